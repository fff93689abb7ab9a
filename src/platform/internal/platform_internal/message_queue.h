// A thread's message queue: posted messages, messages sent from other threads, timers, the quit
// flag and tasks to run on that thread. A thread has one from its first window or message call
// until it ends; then the queue is closed (what was sent to it is answered with 0, the rest
// dropped) and forgotten.
#pragma once

#include <platform/window.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

struct SentMessage {
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;
    bool done = false;  // result and done are guarded by the sender's queue mutex
    std::weak_ptr<class MessageQueue> sender;
};

struct TimerRecord {
    HWND window = nullptr;
    UINT_PTR id = 0;
    std::chrono::milliseconds interval{0};
    TIMERPROC procedure = nullptr;
    std::chrono::steady_clock::time_point due;
};

class MessageQueue {
  public:
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
    std::deque<std::function<void()>> tasks;
    std::vector<TimerRecord> timers;
    bool quit = false;
    int quitCode = 0;
    DWORD thread = 0;
    // Set when the thread has ended: nothing more goes in.
    bool closed = false;
    // Set by Wake: something other than a message wants the thread's next round (a window
    // surface drawn from another thread is composed onto the screen there). Taken by the idle
    // wait, before it composes.
    bool woken = false;

    void Wake();
};

// The calling thread's queue (made on first use, closed when the thread ends).
std::shared_ptr<MessageQueue> OwnQueue();
// The queue of a running thread that has one, or null.
std::shared_ptr<MessageQueue> FindQueue(DWORD thread);
// The queue of the window's thread (the calling thread's for null), with *handle cleaned of its
// low bit; null when the window is gone or its thread has ended.
std::shared_ptr<MessageQueue> QueueFor(HWND* handle);
// How many threads have a queue.
std::size_t MessageQueueCount();
// The thread owning a window (0 when it is gone); clean receives the handle without its low bit.
DWORD WindowThread(HWND handle, HWND* clean);
// The UI thread: the thread that created the first window.
DWORD UiThread();
void NoteUiThread(DWORD thread);
// Runs task on the UI thread at its next message check (from any thread; does not wait); false
// when no UI thread runs to take it.
bool RunOnUiThread(std::function<void()> task);
// Carries out what other threads sent to this queue's thread, and its tasks; true when any.
bool ProcessIncoming(MessageQueue& queue);
// Removes a destroyed window's posted messages and timers.
void ForgetWindowMessages(DWORD thread, HWND window);
