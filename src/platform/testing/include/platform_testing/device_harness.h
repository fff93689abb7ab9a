// The device test harness: boots the platform headless with a chosen screen, runs the UI loop
// step by step, drives the stylus and the keys at screen positions, finds windows and reads
// their state, and writes screenshots. Use from one thread (it becomes the UI thread).
#pragma once

#include <platform/device_screen.h>
#include <platform/window.h>

#include <functional>
#include <string>
#include <vector>

class DeviceHarness {
  public:
    // Configures the screen, starts the shell (task bar) and the headless host.
    explicit DeviceHarness(const DeviceScreenConfig& screen = DeviceScreenConfig{});
    // Destroys every window the test left, except the shell's.
    ~DeviceHarness();
    DeviceHarness(const DeviceHarness&) = delete;
    DeviceHarness& operator=(const DeviceHarness&) = delete;

    // Dispatches everything that is ready (sent and posted messages, paints, due timers) and
    // composes the screen; returns the number of messages dispatched.
    int PumpUntilIdle();
    // Pumps until condition holds (true) or the time-out passes (false); timers fire in real time.
    bool RunUntil(const std::function<bool()>& condition, int timeoutMilliseconds);

    // Stylus and keys, at screen positions; each pumps until idle afterwards.
    void Tap(int x, int y);
    void PressAndHold(int x, int y);
    void Drag(POINT from, POINT to, int steps = 8);
    // Only the stylus going down, or only its lift (to hold it down while time passes); nothing
    // is pumped.
    void StylusDown(int x, int y);
    void StylusUp(int x, int y);
    void Type(const std::u16string& text);
    // Every character's keys are queued before any is read, as when the host delivers several
    // characters in one event; nothing is pumped.
    void TypeAtOnce(const std::u16string& text);
    void PressKey(UINT virtualKey, bool alt = false);
    // Only the key-down, or only the key-up, of a key (to hold Shift across other keys).
    void HoldKey(UINT virtualKey, bool alt = false);
    void ReleaseKey(UINT virtualKey, bool alt = false);
    void Rotate();
    // The shell's Help command (F10 under the sdl host): WM_HELP to the focus or the foreground.
    void RequestHelp();

    // Windows: top-level by class and/or title (empty: any), children by id.
    HWND FindTopLevel(const std::u16string& windowClass, const std::u16string& title = u"") const;
    HWND FindChild(HWND parent, int id) const;
    std::vector<HWND> TopLevels() const;
    std::u16string TextOf(HWND window) const;
    RECT ScreenRectOf(HWND window) const;

    // The bytes a top-level window's backing surface holds (0 for none).
    std::size_t SurfaceBytes(HWND window) const;
    // How many times MessageBeep was called in this process.
    int Beeps() const;
    // What CreateProcessW was asked to start, as "application|command line", oldest first;
    // and forgetting them.
    std::vector<std::u16string> StartedProcesses() const;
    void ClearStartedProcesses();
    // How many threads have a message queue: those that made a window or used their queue, until
    // they end.
    std::size_t MessageQueues() const;

    // The composed screen.
    COLORREF ScreenPixel(int x, int y);
    bool SaveScreenshot(const std::string& path);
};
