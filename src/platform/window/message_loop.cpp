// GetMessageW and PeekMessageW: sent messages, posted messages, quit, paint and timers, in that
// order; the idle wait composes the screen and lets the host pump its events.
#include <platform_internal/host_backend.h>
#include <platform_internal/keyboard_state.h>
#include <platform_internal/message_queue.h>
#include <platform_internal/scroll_bars.h>
#include <platform_internal/window_manager.h>

#include <platform/core.h>

#include <algorithm>

namespace {

using Clock = std::chrono::steady_clock;

bool InRange(UINT message, UINT first, UINT last) {
    return (first == 0 && last == 0) || (message >= first && message <= last);
}

bool MatchesWindow(HWND filter, HWND window) {
    return filter == nullptr || filter == window;
}

// A window of this thread that needs painting, parents before their children.
HWND FindWindowToPaint(DWORD thread, HWND filter) {
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    std::vector<WindowObject*> pending(manager.zOrder.begin(), manager.zOrder.end());
    for (std::size_t i = 0; i < pending.size(); ++i) {
        WindowObject* window = pending[i];
        if (!window->Visible()) {
            continue;
        }
        if (window->hasInvalid && window->thread == thread &&
            MatchesWindow(filter, window->handle)) {
            return window->handle;
        }
        pending.insert(pending.end(), window->children.begin(), window->children.end());
    }
    return nullptr;
}

bool TakeMessage(MessageQueue& queue, MSG* out, HWND filter, UINT first, UINT last, bool remove) {
    {
        std::lock_guard lock(queue.mutex);
        for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
            if (MatchesWindow(filter, it->hwnd) && InRange(it->message, first, last)) {
                *out = *it;
                if (remove) {
                    queue.posted.erase(it);
                }
                return true;
            }
        }
        if (queue.quit) {
            *out = MSG{nullptr, WM_QUIT,        static_cast<WPARAM>(queue.quitCode),
                       0,       GetTickCount(), {0, 0}};
            if (remove) {
                queue.quit = false;
            }
            return true;
        }
    }
    if (InRange(WM_PAINT, first, last)) {
        if (HWND window = FindWindowToPaint(queue.thread, filter)) {
            *out = MSG{window, WM_PAINT, 0, 0, GetTickCount(), {0, 0}};
            return true;
        }
        // Scroll bars go on last, over whatever their parents painted.
        DrawDirtyScrollBars(queue.thread);
    }
    if (InRange(WM_TIMER, first, last)) {
        std::lock_guard lock(queue.mutex);
        Clock::time_point now = Clock::now();
        for (TimerRecord& timer : queue.timers) {
            if (timer.due <= now && MatchesWindow(filter, timer.window)) {
                *out = MSG{timer.window,   WM_TIMER,
                           timer.id,       reinterpret_cast<LPARAM>(timer.procedure),
                           GetTickCount(), {0, 0}};
                if (remove) {
                    timer.due = now + timer.interval;
                }
                return true;
            }
        }
    }
    return false;
}

// On the UI thread only: composes the screen, lets the host show it and pump its input; returns
// the host (null elsewhere, or when there is none).
HostBackend* ShowAndPump() {
    if (GetCurrentThreadId() != UiThread()) {
        return nullptr;
    }
    ComposeScreen(false);
    HostBackend* host = CurrentHostBackend();
    if (host != nullptr) {
        host->ShowScreen();
        host->PumpEvents();
    }
    return host;
}

// Nothing to do: compose and show the screen, let the host pump, and wait for something to
// arrive, a wake (a surface drawn on another thread: composed at once), the next timer, or the
// host's poll interval. A wake taken here is answered by the composing that follows; one that
// comes while it runs ends the wait at once.
void WaitForWork(MessageQueue& queue) {
    {
        std::lock_guard lock(queue.mutex);
        queue.woken = false;
    }
    HostBackend* host = ShowAndPump();
    std::unique_lock lock(queue.mutex);
    Clock::time_point until = Clock::now() + std::chrono::seconds(1);
    for (const TimerRecord& timer : queue.timers) {
        until = std::min(until, timer.due);
    }
    if (host != nullptr && host->PollMilliseconds() > 0) {
        until = std::min(until, Clock::now() + std::chrono::milliseconds(host->PollMilliseconds()));
    }
    queue.changed.wait_until(lock, until, [&] {
        return !queue.posted.empty() || !queue.sent.empty() || !queue.tasks.empty() || queue.quit ||
               queue.woken;
    });
}

}  // namespace

BOOL GetMessageW(MSG* message, HWND window, UINT first, UINT last) {
    if (message == nullptr) {
        return -1;
    }
    auto queue = OwnQueue();
    for (;;) {
        ProcessIncoming(*queue);
        if (TakeMessage(*queue, message, window, first, last, true)) {
            return message->message == WM_QUIT ? FALSE : TRUE;
        }
        WaitForWork(*queue);
    }
}

BOOL PeekMessageW(MSG* message, HWND window, UINT first, UINT last, UINT remove) {
    if (message == nullptr) {
        return FALSE;
    }
    auto queue = OwnQueue();
    ProcessIncoming(*queue);
    if (TakeMessage(*queue, message, window, first, last, (remove & PM_REMOVE) != 0)) {
        return TRUE;
    }
    ShowAndPump();
    return FALSE;
}

LRESULT DispatchMessageW(const MSG* message) {
    if (message == nullptr) {
        return 0;
    }
    if (message->message == WM_TIMER && message->lParam != 0) {
        auto procedure = reinterpret_cast<TIMERPROC>(message->lParam);
        procedure(message->hwnd, WM_TIMER, message->wParam, GetTickCount());
        return 0;
    }
    if (message->hwnd == nullptr) {
        return 0;
    }
    return CallProcedure(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL TranslateMessage(const MSG* message) {
    if (message == nullptr ||
        (message->message != WM_KEYDOWN && message->message != WM_SYSKEYDOWN)) {
        return FALSE;
    }
    // The input panel's key-downs carry their character; other keys produce what the keyboard
    // state gives them.
    auto character = static_cast<WCHAR>(HIWORD(static_cast<std::uintptr_t>(message->lParam)));
    if (character == 0) {
        character = CharacterForKey(static_cast<UINT>(message->wParam));
    }
    if (character == 0) {
        return FALSE;
    }
    UINT charMessage = message->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    return PostMessageW(message->hwnd, charMessage, character, message->lParam);
}

UINT_PTR SetTimer(HWND handle, UINT_PTR id, UINT milliseconds, TIMERPROC procedure) {
    auto queue = QueueFor(&handle);
    if (!queue) {
        return 0;
    }
    std::lock_guard lock(queue->mutex);
    if (handle == nullptr && id == 0) {
        id = 0x7000;
        while (std::any_of(queue->timers.begin(), queue->timers.end(), [&](const TimerRecord& t) {
            return t.window == nullptr && t.id == id;
        })) {
            ++id;
        }
    }
    auto interval = std::chrono::milliseconds(std::max<UINT>(milliseconds, 1));
    auto existing =
        std::find_if(queue->timers.begin(), queue->timers.end(),
                     [&](const TimerRecord& t) { return t.window == handle && t.id == id; });
    TimerRecord timer{handle, id, interval, procedure, Clock::now() + interval};
    if (existing != queue->timers.end()) {
        *existing = timer;
    } else {
        queue->timers.push_back(timer);
    }
    queue->changed.notify_all();
    return id == 0 ? 1 : id;
}

BOOL KillTimer(HWND handle, UINT_PTR id) {
    auto queue = QueueFor(&handle);
    if (!queue) {
        return FALSE;
    }
    std::lock_guard lock(queue->mutex);
    auto found =
        std::find_if(queue->timers.begin(), queue->timers.end(),
                     [&](const TimerRecord& t) { return t.window == handle && t.id == id; });
    if (found == queue->timers.end()) {
        return FALSE;
    }
    queue->timers.erase(found);
    return TRUE;
}
