// Holds a lock (Mutex, CriticalSection) from its construction to the end of its scope.
#pragma once

#include <sync/thread_annotations.h>

template <typename Lockable>
class SCOPED_CAPABILITY ScopedLock {
  public:
    explicit ScopedLock(Lockable& lock) ACQUIRE(lock) : lock_(lock) { lock_.Lock(); }
    ~ScopedLock() RELEASE() { lock_.Unlock(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

  private:
    Lockable& lock_;
};
