// Runtime choice of the vector width. The build targets any x86-64, so the
// hot entry points are compiled twice (AVX2 and baseline) and the loader picks
// one by the CPU it runs on. Everything such an entry point calls in its hot
// loop must be inlined into it, or that code stays baseline.
#pragma once

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define VELMOR_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VELMOR_VECTOR_CLONES
#endif

#if defined(__GNUC__)
#define VELMOR_INLINE inline __attribute__((always_inline))
#else
#define VELMOR_INLINE inline
#endif
