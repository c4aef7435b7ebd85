// Runtime choice of the vector width. The build targets any x86-64, so the
// hot entry points are compiled three times (AVX-512BW, AVX2, baseline) and
// the loader picks one by the CPU it runs on. Everything such an entry point
// calls in its hot loop must be inlined into it, or that code stays baseline.
// VELMOR_SINGLE_TARGET compiles one variant only, with the compiler's own
// flags: the tests use it to prove each width against the reference.
#pragma once

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && !defined(VELMOR_SINGLE_TARGET)
#define VELMOR_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define VELMOR_VECTOR_CLONES
#endif

#if defined(__GNUC__)
#define VELMOR_INLINE inline __attribute__((always_inline))
#else
#define VELMOR_INLINE inline
#endif
