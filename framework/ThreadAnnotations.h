#pragma once
// Lock rules the compiler checks: clang's thread-safety analysis reads these attributes and
// reports a guarded member touched, or a function that needs a lock called, without the lock
// held. Other compilers see nothing.

#if defined(__clang__)
#define VX_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define VX_THREAD_ANNOTATION(x)
#endif

#define VX_CAPABILITY(name) VX_THREAD_ANNOTATION(capability(name))
#define VX_SCOPED_CAPABILITY VX_THREAD_ANNOTATION(scoped_lockable)
#define VX_GUARDED_BY(mutex) VX_THREAD_ANNOTATION(guarded_by(mutex))
#define VX_PT_GUARDED_BY(mutex) VX_THREAD_ANNOTATION(pt_guarded_by(mutex))
#define VX_REQUIRES(...) VX_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define VX_ACQUIRE(...) VX_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define VX_RELEASE(...) VX_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#define VX_RETURN_CAPABILITY(x) VX_THREAD_ANNOTATION(lock_returned(x))
#define VX_NO_THREAD_SAFETY_ANALYSIS VX_THREAD_ANNOTATION(no_thread_safety_analysis)
