// A test's steps run from a timer, so they go on inside the nested loops of menus and modal
// dialogs the way a person's taps do: each step waits until its condition holds, then acts.
#pragma once

#include <platform/window.h>
#include <platform_testing/device_harness.h>

#include <deque>
#include <functional>
#include <string>
#include <utility>

class UiScript {
  public:
    explicit UiScript(DeviceHarness& device) : device_(device) {}
    ~UiScript() { Stop(); }
    UiScript(const UiScript&) = delete;
    UiScript& operator=(const UiScript&) = delete;

    UiScript& When(std::function<bool()> condition, std::function<void()> action) {
        steps_.push_back({std::move(condition), std::move(action)});
        return *this;
    }
    // A step for the foreground dialog (class "Dialog") once it is shown.
    UiScript& InDialog(std::function<void(HWND)> action) {
        return When([this] { return OpenDialog() != nullptr; },
                    [this, action = std::move(action)] { action(OpenDialog()); });
    }
    // A step for the open pop-up menu, once it is shown.
    UiScript& InMenu(std::function<void(RECT)> action) {
        return When([this] { return device_.FindTopLevel(u"MNU") != nullptr; },
                    [this, action = std::move(action)] {
                        action(device_.ScreenRectOf(device_.FindTopLevel(u"MNU")));
                    });
    }

    void Start() {
        current = this;
        timer_ = SetTimer(nullptr, 0, 10, Tick);
    }
    void Stop() {
        if (timer_ != 0) {
            KillTimer(nullptr, timer_);
            timer_ = 0;
        }
        if (current == this) {
            current = nullptr;
        }
    }
    bool Done() const { return steps_.empty() && running_ == 0; }
    // Starts, then pumps until every step ran (false after the time-out).
    bool Run(int timeoutMilliseconds = 5000) {
        Start();
        bool done = device_.RunUntil([this] { return Done(); }, timeoutMilliseconds);
        Stop();
        return done;
    }

    HWND OpenDialog() const {
        HWND dialog = device_.FindTopLevel(u"Dialog");
        return dialog != nullptr && IsWindowVisible(dialog) ? dialog : nullptr;
    }
    // A tap in the middle of a dialog's control.
    void TapControl(HWND dialog, int id) {
        RECT r = device_.ScreenRectOf(GetDlgItem(dialog, id));
        device_.Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    // The n-th (0-based) item of an open menu whose items are 21 pixels high, with no separator
    // above it.
    void TapMenuItem(const RECT& menu, int n) {
        device_.Tap((menu.left + menu.right) / 2, menu.top + 1 + 21 * n + 10);
    }

  private:
    struct Step {
        std::function<bool()> condition;
        std::function<void()> action;
    };

    static void Tick(HWND, UINT, UINT_PTR, DWORD) {
        UiScript* script = current;
        if (script == nullptr || script->steps_.empty() || !script->steps_.front().condition()) {
            return;
        }
        // Taken off first: the action's taps may run a nested loop in which the next step runs.
        Step step = std::move(script->steps_.front());
        script->steps_.pop_front();
        ++script->running_;
        script->device_.PumpUntilIdle();
        step.action();
        --script->running_;
    }

    static inline UiScript* current = nullptr;
    DeviceHarness& device_;
    std::deque<Step> steps_;
    UINT_PTR timer_ = 0;
    int running_ = 0;
};
