// Annotations for clang's thread-safety analysis (-Wthread-safety, on in every clang build): a
// value names the lock that guards it where it is declared, a function the locks it takes, gives
// back or needs, and clang rejects code that touches the value without the lock. Other compilers
// have no such analysis and see nothing.
#pragma once

#if defined(__clang__)
#define THREAD_ANNOTATION(x) __attribute__((x))
#else
#define THREAD_ANNOTATION(x)
#endif

// A type whose objects are locks.
#define CAPABILITY(name) THREAD_ANNOTATION(capability(name))
// A type whose objects hold a lock from construction to destruction.
#define SCOPED_CAPABILITY THREAD_ANNOTATION(scoped_lockable)
// A member read and written only with the lock held.
#define GUARDED_BY(lock) THREAD_ANNOTATION(guarded_by(lock))
// A pointer member whose target is read and written only with the lock held.
#define PT_GUARDED_BY(lock) THREAD_ANNOTATION(pt_guarded_by(lock))
// Called with the lock held.
#define REQUIRES(...) THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
// Called without the lock held (it takes the lock itself).
#define EXCLUDES(...) THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
// Returns with the lock held / with the lock given back.
#define ACQUIRE(...) THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define RELEASE(...) THREAD_ANNOTATION(release_capability(__VA_ARGS__))
// Returns with the lock held when it returns the first argument.
#define TRY_ACQUIRE(...) THREAD_ANNOTATION(try_acquire_capability(__VA_ARGS__))
// Code whose locking the analysis cannot follow; it must say why where it is used.
#define NO_THREAD_SAFETY_ANALYSIS THREAD_ANNOTATION(no_thread_safety_analysis)
