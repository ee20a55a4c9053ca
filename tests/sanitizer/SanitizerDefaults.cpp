// Built into every program of the sanitizer build: the defaults the runtime
// reads at start-up, so a plain run of any test or tool is checked the same
// way as CI's.
extern "C" {

// Full stacks for leaks: the X and SDL libraries have no frame pointers, and
// the suppressions match the SDL-side functions deep in those stacks.
const char* __asan_default_options() { return "fast_unwind_on_malloc=0:detect_leaks=1"; }

const char* __lsan_default_options() { return "print_suppressions=0:suppressions=" FRACTALS_LSAN_SUPPRESSIONS; }

// The suppressions cover SDL's code only, whose checks for them are recoverable.
const char* __ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1:suppressions=" FRACTALS_UBSAN_SUPPRESSIONS;
}
}
