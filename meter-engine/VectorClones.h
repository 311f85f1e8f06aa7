#pragma once
// Loops over samples that are also built for AVX2 on x86-64, picked when the program is loaded,
// where vectors of four doubles fill a register: a function marked VECTOR_CLONES is built once for
// each instruction set, and what it inlines takes the set of its copy. The thread-sanitiser build
// leaves them out: the loader calls the picker before that sanitiser's runtime is up, and the
// instrumented picker crashes. GCC names that build with a macro, clang with a feature.
#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VECTOR_CLONES_THREAD_SANITIZER 1
#endif
#endif
#if defined(__x86_64__) && defined(__ELF__) && !defined(__SANITIZE_THREAD__) && !defined(VECTOR_CLONES_THREAD_SANITIZER)
#define VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VECTOR_CLONES
#endif
