// alloc_guard: preloaded into each hostile-bitmap run, it ends the process
// with a message when one allocation asks for more than 1 GiB. The runs
// are also held to 1 GiB of address space, but there such a request merely
// fails, and a loader that fails it refuses the file: the test would see
// the right verdict and never learn that the loader tried to allocate what
// a header claimed.
#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* old, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
}

namespace {

constexpr size_t kLimit = size_t{1} << 30;

void check(size_t size) {
    if (size <= kLimit) return;
    fprintf(stderr, "alloc_guard: %zu bytes asked for at once\n", size);
    abort();
}

}  // namespace

extern "C" {

void* malloc(size_t size) noexcept {
    check(size);
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) noexcept {
    if (size != 0 && count > SIZE_MAX / size) return __libc_calloc(count, size);  // fails as it should
    check(count * size);
    return __libc_calloc(count, size);
}

void* realloc(void* old, size_t size) noexcept {
    check(size);
    return __libc_realloc(old, size);
}

void* memalign(size_t alignment, size_t size) noexcept {
    check(size);
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) noexcept { return memalign(alignment, size); }

int posix_memalign(void** out, size_t alignment, size_t size) noexcept {
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
    void* p = memalign(alignment, size);
    if (p == nullptr) return ENOMEM;
    *out = p;
    return 0;
}
}
