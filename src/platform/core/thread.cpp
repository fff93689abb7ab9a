#include <platform/core.h>
#include <platform_internal/handles.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// A thread runs detached; its object keeps the exit state that waits and exit-code reads see.
class ThreadObject : public KernelObject {
  public:
    bool Wait(DWORD milliseconds) override {
        std::unique_lock lock(mutex_);
        if (milliseconds == INFINITE) {
            finishedChanged_.wait(lock, [this] { return finished_; });
            return true;
        }
        return finishedChanged_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                         [this] { return finished_; });
    }
    void Finish(DWORD code) {
        std::lock_guard lock(mutex_);
        exitCode_ = code;
        finished_ = true;
        finishedChanged_.notify_all();
    }
    DWORD ExitCode() {
        std::lock_guard lock(mutex_);
        return finished_ ? exitCode_ : STILL_ACTIVE;
    }

  private:
    std::mutex mutex_;
    std::condition_variable finishedChanged_;
    bool finished_ = false;
    DWORD exitCode_ = 0;
};

std::atomic<DWORD> nextThreadId{1};
thread_local DWORD currentThreadId = 0;

}  // namespace

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, std::size_t, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD, LPDWORD threadId) {
    if (start == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto object = std::make_shared<ThreadObject>();
    DWORD id = nextThreadId.fetch_add(1);
    try {
        std::thread([object, start, parameter, id] {
            currentThreadId = id;
            object->Finish(start(parameter));
        }).detach();
    } catch (const std::system_error&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (threadId != nullptr) {
        *threadId = id;
    }
    return RegisterHandle(object);
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode) {
    auto object = LookupHandleAs<ThreadObject>(thread);
    if (!object || exitCode == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *exitCode = object->ExitCode();
    return TRUE;
}

DWORD GetCurrentThreadId() {
    if (currentThreadId == 0) {
        currentThreadId = nextThreadId.fetch_add(1);
    }
    return currentThreadId;
}

void Sleep(DWORD milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

DWORD GetTickCount() {
    using namespace std::chrono;
    return static_cast<DWORD>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void InitializeCriticalSection(LPCRITICAL_SECTION section) {
    if (section != nullptr) {
        section->impl = new std::recursive_mutex;
    }
}

void DeleteCriticalSection(LPCRITICAL_SECTION section) {
    if (section != nullptr) {
        delete static_cast<std::recursive_mutex*>(section->impl);
        section->impl = nullptr;
    }
}

void EnterCriticalSection(LPCRITICAL_SECTION section) {
    if (section != nullptr && section->impl != nullptr) {
        static_cast<std::recursive_mutex*>(section->impl)->lock();
    }
}

void LeaveCriticalSection(LPCRITICAL_SECTION section) {
    if (section != nullptr && section->impl != nullptr) {
        static_cast<std::recursive_mutex*>(section->impl)->unlock();
    }
}
