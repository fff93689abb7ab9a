// The kernel handle table shared by the platform's parts: threads, files, ...
#pragma once

#include <platform/types.h>

#include <memory>

class KernelObject {
  public:
    virtual ~KernelObject() = default;
    // Waits until the object is signalled; false on time-out. Objects that cannot be waited on
    // return true at once.
    virtual bool Wait(DWORD milliseconds) {
        (void)milliseconds;
        return true;
    }
};

HANDLE RegisterHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);

template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(LookupHandle(handle));
}
