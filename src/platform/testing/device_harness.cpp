#include <platform_testing/device_harness.h>
#include <platform_testing/screen_probe.h>

#include <platform_internal/beeps.h>
#include <platform_internal/device_input.h>
#include <platform_internal/device_shell.h>
#include <platform_internal/message_queue.h>
#include <platform_internal/screen_buffer.h>
#include <platform_internal/screen_png.h>
#include <platform_internal/started_processes.h>
#include <platform_internal/window_manager.h>
#include <platform_internal/window_surface.h>

#include <platform/core.h>

#include <chrono>
#include <thread>

namespace {

bool IsShellWindow(HWND window) {
    std::u16string windowClass = ClassOf(window);
    return windowClass == u"HHTaskBar";
}

}  // namespace

DeviceHarness::DeviceHarness(const DeviceScreenConfig& screen) {
    ConfigureDeviceScreen(screen);
    StartDeviceShell();
    FitShellToScreen();
    PumpUntilIdle();  // composing may ask windows made for another pixel format to paint again
    PumpUntilIdle();
}

DeviceHarness::~DeviceHarness() {
    ReleaseCapture();
    for (HWND window : TopLevels()) {
        if (!IsShellWindow(window) && IsWindow(window)) {
            DestroyWindow(window);
        }
    }
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT) {
            DispatchMessageW(&message);
        }
    }
}

int DeviceHarness::PumpUntilIdle() {
    int dispatched = 0;
    MSG message;
    // A window that never validates its paint would keep this busy: the bound stops it.
    while (dispatched < 10000 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));  // leave it for the program's loop
            break;
        }
        TranslateMessage(&message);  // as the program's loop does: the input panel's characters
        DispatchMessageW(&message);
        ++dispatched;
    }
    ComposeScreen(false);
    return dispatched;
}

bool DeviceHarness::RunUntil(const std::function<bool()>& condition, int timeoutMilliseconds) {
    auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
    for (;;) {
        PumpUntilIdle();
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void DeviceHarness::Tap(int x, int y) {
    DeliverStylus(StylusAction::Down, {x, y});
    PumpUntilIdle();
    DeliverStylus(StylusAction::Up, {x, y});
    PumpUntilIdle();
}

void DeviceHarness::PressAndHold(int x, int y) {
    DeliverStylus(StylusAction::Down, {x, y});
    PumpUntilIdle();
    DeliverStylusHold({x, y});
    PumpUntilIdle();
    DeliverStylus(StylusAction::Up, {x, y});
    PumpUntilIdle();
}

void DeviceHarness::StylusDown(int x, int y) {
    DeliverStylus(StylusAction::Down, {x, y});
}

void DeviceHarness::StylusUp(int x, int y) {
    DeliverStylus(StylusAction::Up, {x, y});
}

void DeviceHarness::Drag(POINT from, POINT to, int steps) {
    steps = steps < 1 ? 1 : steps;
    DeliverStylus(StylusAction::Down, from);
    PumpUntilIdle();
    for (int i = 1; i <= steps; ++i) {
        DeliverStylus(StylusAction::Move,
                      {from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
        PumpUntilIdle();
    }
    DeliverStylus(StylusAction::Up, to);
    PumpUntilIdle();
}

void DeviceHarness::Type(const std::u16string& text) {
    for (char16_t unit : text) {
        DeliverCharacter(unit, false);
        PumpUntilIdle();
    }
}

void DeviceHarness::TypeAtOnce(const std::u16string& text) {
    for (char16_t unit : text) {
        DeliverCharacter(unit, false);
    }
}

void DeviceHarness::PressKey(UINT virtualKey, bool alt) {
    DeliverKey(virtualKey, true, alt);
    DeliverKey(virtualKey, false, alt);
    PumpUntilIdle();
}

void DeviceHarness::HoldKey(UINT virtualKey, bool alt) {
    DeliverKey(virtualKey, true, alt);
    PumpUntilIdle();
}

void DeviceHarness::ReleaseKey(UINT virtualKey, bool alt) {
    DeliverKey(virtualKey, false, alt);
    PumpUntilIdle();
}

void DeviceHarness::RequestHelp() {
    DeliverHelpRequest();
    PumpUntilIdle();
}

void DeviceHarness::Rotate() {
    RotateDeviceScreen();
    PumpUntilIdle();
}

HWND DeviceHarness::FindTopLevel(const std::u16string& windowClass,
                                 const std::u16string& title) const {
    std::vector<HWND> windows = TopLevels();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if ((windowClass.empty() || ClassOf(*it) == windowClass) &&
            (title.empty() || TextOf(*it) == title)) {
            return *it;
        }
    }
    return nullptr;
}

HWND DeviceHarness::FindChild(HWND parent, int id) const {
    return GetDlgItem(parent, id);
}

std::vector<HWND> DeviceHarness::TopLevels() const {
    return TopLevelWindows();
}

std::u16string DeviceHarness::TextOf(HWND window) const {
    WCHAR text[1024];
    GetWindowTextW(window, text, 1024);
    return text;
}

RECT DeviceHarness::ScreenRectOf(HWND window) const {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

COLORREF DeviceHarness::ScreenPixel(int x, int y) {
    ComposeScreen(false);
    DeviceScreenConfig config = CurrentDeviceScreen();
    if (x < 0 || y < 0 || x >= config.width || y >= config.height) {
        return 0xFFFFFFFF;
    }
    return DecodeDevicePixel(config.format, ScreenPixelValue(x, y));
}

bool DeviceHarness::SaveScreenshot(const std::string& path) {
    ComposeScreen(false);
    return WriteScreenPng(path);
}

int DeviceHarness::Beeps() const {
    return BeepCount();
}

std::vector<std::u16string> DeviceHarness::StartedProcesses() const {
    return ::StartedProcesses();
}

void DeviceHarness::ClearStartedProcesses() {
    ::ClearStartedProcesses();
}

std::size_t DeviceHarness::MessageQueues() const {
    return MessageQueueCount();
}

std::size_t DeviceHarness::SurfaceBytes(HWND window) const {
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    WindowObject* object = manager.Find(window);
    return object != nullptr && object->surface ? object->surface->pixels.capacity() : 0;
}
