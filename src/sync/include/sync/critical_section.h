// The platform's critical section as a lock that clang's thread-safety analysis knows.
#pragma once

#include <sync/thread_annotations.h>

#include <platform/core.h>

class CAPABILITY("critical section") CriticalSection {
  public:
    CriticalSection() { InitializeCriticalSection(&section_); }
    ~CriticalSection() { DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Lock() ACQUIRE() { EnterCriticalSection(&section_); }
    void Unlock() RELEASE() { LeaveCriticalSection(&section_); }

  private:
    CRITICAL_SECTION section_;
};
