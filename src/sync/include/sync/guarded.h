// A value that can only be reached with its mutex held: Lock() gives an accessor that holds the
// mutex for as long as it lives, With(fn) runs fn on the value under it. State that threads share
// is declared as Guarded<State>, so the rule "take the lock first" needs no comment to be kept.
#pragma once

#include <sync/mutex.h>
#include <sync/scoped_lock.h>
#include <sync/thread_annotations.h>

#include <chrono>
#include <condition_variable>
#include <utility>

template <typename T>
class Guarded {
  public:
    // The value with the mutex held; the mutex is given back when the accessor goes. Keep it for
    // a short scope and let no pointer or reference into the value outlive it.
    class Access {
      public:
        // The analysis cannot follow a lock held by an object that a function returns (Lock()),
        // so the accessor's own locking is left out of it; ScopedLock in With is checked.
        explicit Access(Guarded& guarded) NO_THREAD_SAFETY_ANALYSIS : mutex_(guarded.mutex_),
                                                                      value_(&guarded.value_) {
            mutex_.Lock();
        }
        ~Access() NO_THREAD_SAFETY_ANALYSIS { mutex_.Unlock(); }
        Access(const Access&) = delete;
        Access& operator=(const Access&) = delete;

        T* operator->() const { return value_; }
        T& operator*() const { return *value_; }

        // Waits, with the mutex given up meanwhile, until ready(value) holds or the deadline has
        // passed; ready is tested with the mutex held. Whoever changes the value so that ready
        // may hold notifies condition. False when it returned at the deadline without ready.
        template <typename Clock, typename Duration, typename Ready>
        bool WaitUntil(std::condition_variable& condition,
                       const std::chrono::time_point<Clock, Duration>& deadline,
                       Ready ready) NO_THREAD_SAFETY_ANALYSIS {
            while (!ready(std::as_const(*value_))) {
                if (!mutex_.WaitUntil(condition, deadline)) {
                    return ready(std::as_const(*value_));
                }
            }
            return true;
        }

      private:
        Mutex& mutex_;
        T* value_;
    };

    template <typename... Args>
    explicit Guarded(Args&&... args) : value_(std::forward<Args>(args)...) {}
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;

    Access Lock() { return Access(*this); }

    // fn(value) with the mutex held; returns what fn returns.
    template <typename Fn>
    decltype(auto) With(Fn&& fn) {
        ScopedLock lock(mutex_);
        return std::forward<Fn>(fn)(value_);
    }

  private:
    Mutex mutex_;
    T value_ GUARDED_BY(mutex_);
};
