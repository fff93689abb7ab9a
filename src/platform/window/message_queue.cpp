// Thread message queues, posting and sending, the quit flag and tasks for the UI thread.
#include <platform_internal/host_backend.h>
#include <platform_internal/message_queue.h>
#include <platform_internal/window_manager.h>

#include <platform/core.h>

#include <algorithm>
#include <atomic>
#include <map>

namespace {

struct Queues {
    std::mutex mutex;
    std::map<DWORD, std::shared_ptr<MessageQueue>> byThread;  // running threads only
    std::atomic<DWORD> uiThread{0};
    HostBackend* host = nullptr;
};

Queues& AllQueues() {
    static auto* queues = new Queues;
    return *queues;
}

// Answers a message sent from another thread and wakes its sender.
void Reply(SentMessage& sent, LRESULT result) {
    std::shared_ptr<MessageQueue> sender = sent.sender.lock();
    if (sender) {
        std::lock_guard lock(sender->mutex);
        sent.result = result;
        sent.done = true;
        sender->changed.notify_all();
    }
}

// The end of a thread's queue: no longer found, closed to new messages, its senders answered
// with 0 (they would otherwise wait for a thread that is gone), the rest dropped.
void CloseQueue(const std::shared_ptr<MessageQueue>& queue) {
    {
        Queues& queues = AllQueues();
        std::lock_guard lock(queues.mutex);
        queues.byThread.erase(queue->thread);
    }
    std::deque<std::shared_ptr<SentMessage>> sent;
    std::deque<std::function<void()>> tasks;
    {
        std::lock_guard lock(queue->mutex);
        queue->closed = true;
        sent.swap(queue->sent);
        tasks.swap(queue->tasks);
        queue->posted.clear();
        queue->timers.clear();
    }
    for (const std::shared_ptr<SentMessage>& message : sent) {
        Reply(*message, 0);
    }
}

// Holds the thread's queue; the thread's end closes it.
struct OwnQueueHolder {
    std::shared_ptr<MessageQueue> queue;
    ~OwnQueueHolder() {
        if (queue) {
            CloseQueue(queue);
        }
    }
};

thread_local OwnQueueHolder ownQueue;

}  // namespace

DWORD WindowThread(HWND handle, HWND* clean) {
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    WindowObject* window = manager.Find(handle);
    *clean = HandleOf(window);
    return window == nullptr ? 0 : window->thread;
}

void MessageQueue::Wake() {
    std::lock_guard lock(mutex);
    woken = true;
    changed.notify_all();
}

std::shared_ptr<MessageQueue> OwnQueue() {
    if (!ownQueue.queue) {
        auto queue = std::make_shared<MessageQueue>();
        queue->thread = GetCurrentThreadId();
        Queues& queues = AllQueues();
        std::lock_guard lock(queues.mutex);
        queues.byThread[queue->thread] = queue;
        ownQueue.queue = std::move(queue);
    }
    return ownQueue.queue;
}

std::shared_ptr<MessageQueue> FindQueue(DWORD thread) {
    Queues& queues = AllQueues();
    std::lock_guard lock(queues.mutex);
    auto found = queues.byThread.find(thread);
    return found == queues.byThread.end() ? nullptr : found->second;
}

std::shared_ptr<MessageQueue> QueueFor(HWND* handle) {
    if (*handle == nullptr) {
        return OwnQueue();
    }
    DWORD thread = WindowThread(*handle, handle);
    return thread == 0 ? nullptr : FindQueue(thread);
}

std::size_t MessageQueueCount() {
    Queues& queues = AllQueues();
    std::lock_guard lock(queues.mutex);
    return queues.byThread.size();
}

DWORD UiThread() {
    return AllQueues().uiThread.load();
}

void NoteUiThread(DWORD thread) {
    DWORD none = 0;
    AllQueues().uiThread.compare_exchange_strong(none, thread);
}

void SetHostBackend(HostBackend* backend) {
    std::lock_guard lock(AllQueues().mutex);
    AllQueues().host = backend;
}

HostBackend* CurrentHostBackend() {
    std::lock_guard lock(AllQueues().mutex);
    return AllQueues().host;
}

bool RunOnUiThread(std::function<void()> task) {
    auto queue = FindQueue(UiThread());
    if (!queue) {
        return false;  // no UI thread, or it has ended
    }
    std::lock_guard lock(queue->mutex);
    if (queue->closed) {
        return false;
    }
    queue->tasks.push_back(std::move(task));
    queue->changed.notify_all();
    return true;
}

void WakeUiThread() {
    if (auto queue = FindQueue(UiThread())) {
        queue->Wake();
    }
}

void ForgetWindowMessages(DWORD thread, HWND window) {
    auto queue = FindQueue(thread);
    if (!queue) {
        return;
    }
    std::lock_guard lock(queue->mutex);
    queue->posted.erase(std::remove_if(queue->posted.begin(), queue->posted.end(),
                                       [&](const MSG& m) { return m.hwnd == window; }),
                        queue->posted.end());
    queue->timers.erase(std::remove_if(queue->timers.begin(), queue->timers.end(),
                                       [&](const TimerRecord& t) { return t.window == window; }),
                        queue->timers.end());
}

LRESULT CallProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC procedure = nullptr;
    {
        WindowManager& manager = WindowManager::Instance();
        std::lock_guard lock(manager.mutex);
        WindowObject* window = manager.Find(handle);
        if (window == nullptr) {
            return 0;
        }
        handle = window->handle;
        procedure = window->procedure;
    }
    return procedure == nullptr ? 0 : procedure(handle, message, wParam, lParam);
}

LRESULT CallWindowProcW(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                        LPARAM lParam) {
    return procedure == nullptr ? 0 : procedure(window, message, wParam, lParam);
}

BOOL PostMessageW(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<MessageQueue> queue = QueueFor(&handle);
    if (!queue) {
        return FALSE;  // no such window, or its thread has ended
    }
    std::lock_guard lock(queue->mutex);
    if (queue->closed) {
        return FALSE;
    }
    queue->posted.push_back(MSG{handle, message, wParam, lParam, GetTickCount(), {0, 0}});
    queue->changed.notify_all();
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    auto queue = OwnQueue();
    std::lock_guard lock(queue->mutex);
    queue->quit = true;
    queue->quitCode = exitCode;
    queue->changed.notify_all();
}

// Carries out the messages that other threads sent to this thread's windows, and its tasks.
bool ProcessIncoming(MessageQueue& queue) {
    bool any = false;
    for (;;) {
        std::shared_ptr<SentMessage> sent;
        std::function<void()> task;
        {
            std::lock_guard lock(queue.mutex);
            if (!queue.sent.empty()) {
                sent = queue.sent.front();
                queue.sent.pop_front();
            } else if (!queue.tasks.empty()) {
                task = std::move(queue.tasks.front());
                queue.tasks.pop_front();
            } else {
                return any;
            }
        }
        any = true;
        if (task) {
            task();
            continue;
        }
        Reply(*sent, CallProcedure(sent->window, sent->message, sent->wParam, sent->lParam));
    }
}

LRESULT SendMessageW(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD thread = WindowThread(handle, &handle);
    if (thread == 0) {
        return 0;
    }
    DWORD self = GetCurrentThreadId();
    if (thread == self) {
        return CallProcedure(handle, message, wParam, lParam);
    }
    // Across threads: the window's thread carries it out; this thread waits, still carrying out
    // what is sent to it, so two threads sending to each other cannot deadlock.
    auto target = FindQueue(thread);
    if (!target) {
        return 0;  // the window's thread has ended
    }
    auto own = OwnQueue();
    auto sent = std::make_shared<SentMessage>();
    sent->window = handle;
    sent->message = message;
    sent->wParam = wParam;
    sent->lParam = lParam;
    sent->sender = own;
    {
        std::lock_guard lock(target->mutex);
        if (target->closed) {
            return 0;
        }
        target->sent.push_back(sent);
        target->changed.notify_all();
    }
    for (;;) {
        ProcessIncoming(*own);
        {
            std::unique_lock lock(own->mutex);
            if (!sent->done) {
                own->changed.wait_for(lock, std::chrono::milliseconds(20), [&] {
                    return sent->done || !own->sent.empty() || !own->tasks.empty();
                });
            }
            if (sent->done) {
                return sent->result;
            }
        }
        if (!IsWindow(handle)) {
            std::lock_guard lock(target->mutex);
            auto it = std::find(target->sent.begin(), target->sent.end(), sent);
            if (it != target->sent.end()) {
                target->sent.erase(it);
                return 0;
            }
        }
    }
}
