// A mutex that clang's thread-safety analysis knows, and waiting on a condition with it held.
#pragma once

#include <sync/thread_annotations.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

class CAPABILITY("mutex") Mutex {
  public:
    Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    void Lock() ACQUIRE() { mutex_.lock(); }
    void Unlock() RELEASE() { mutex_.unlock(); }

    // Gives the mutex up while it waits for condition to be notified (or spuriously woken) or
    // for the deadline, and holds it again when it returns; false once the deadline has passed.
    template <typename Clock, typename Duration>
    bool WaitUntil(std::condition_variable& condition,
                   const std::chrono::time_point<Clock, Duration>& deadline) REQUIRES(this) {
        // The caller's hold on the mutex is lent to the wait and taken back unchanged.
        std::unique_lock<std::mutex> lock(mutex_, std::adopt_lock);
        std::cv_status status = condition.wait_until(lock, deadline);
        lock.release();
        return status == std::cv_status::no_timeout;
    }

  private:
    std::mutex mutex_;
};
