// FRACTALS_CPU_CLONES: compile a hot function once for baseline x86-64 and
// again for AVX2 and AVX-512 machines; the loader picks the version for the
// CPU it runs on. Elsewhere (another compiler or architecture) the function
// is built once, plainly, as it is with FRACTALS_NO_CPU_CLONES defined, which
// lets a build pin one instruction set (-march) to test that version alone.
#pragma once

#if defined(__GNUC__) && defined(__x86_64__) && !defined(__clang__) && !defined(FRACTALS_NO_CPU_CLONES)
#define FRACTALS_CPU_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define FRACTALS_CPU_CLONES
#endif
