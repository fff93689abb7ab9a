// The task bar at the top of the screen: the foreground window's title.
#include "shell_metrics.h"

#include <platform_internal/device_shell.h>
#include <platform_internal/window_manager.h>

#include <platform/shell.h>

#include <atomic>

namespace {

constexpr WCHAR kTaskBarClass[] = u"HHTaskBar";
std::atomic<HWND> taskBar{nullptr};  // read by the shell listener from any thread

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    HBRUSH background = CreateSolidBrush(RGB(0, 0, 0x80));
    FillRect(dc, &client, background);
    DeleteObject(background);
    WCHAR title[260] = {0};
    HWND foreground = GetForegroundWindow();
    if (foreground != nullptr && foreground != window) {
        GetWindowTextW(foreground, title, 260);
    }
    LOGFONTW bold{};
    bold.lfWeight = FW_BOLD;
    HFONT font = CreateFontIndirectW(&bold);
    HGDIOBJ previous = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT text{ShellScaled(6), 0, client.right - ShellScaled(6), client.bottom};
    DrawTextW(dc, title, -1, &text,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, previous);
    DeleteObject(font);
    EndPaint(window, &paint);
}

LRESULT TaskBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        Paint(window);
        return 0;
    }
    if (message == WM_DESTROY && window == taskBar) {
        taskBar = nullptr;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void TitleChanged() {
    if (taskBar != nullptr) {
        InvalidateRect(taskBar, nullptr, FALSE);
    }
}

}  // namespace

void StartDeviceShell() {
    if (taskBar != nullptr) {
        return;
    }
    static bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = TaskBarProc;
        windowClass.lpszClassName = kTaskBarClass;
        return RegisterClassW(&windowClass) != 0;
    }();
    (void)registered;
    DeviceScreenConfig screen = CurrentDeviceScreen();
    taskBar = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, kTaskBarClass, u"", WS_POPUP, 0, 0,
                              screen.width, ShellScaled(26), nullptr, nullptr, nullptr, nullptr);
    ShowWindow(taskBar, SW_SHOWNOACTIVATE);
    SetShellListener(TitleChanged);
}

void FitShellToScreen() {
    DeviceScreenConfig screen = CurrentDeviceScreen();
    int bar = ShellScaled(26);
    for (HWND window : TopLevelWindows()) {
        std::u16string windowClass = ClassOf(window);
        if (windowClass == kTaskBarClass) {
            MoveWindow(window, 0, 0, screen.width, bar, TRUE);
        } else if (windowClass == u"menu_worker") {
            MoveWindow(window, 0, screen.height - bar, screen.width, bar, TRUE);
        }
    }
}

void RotateDeviceScreen() {
    DeviceScreenConfig screen = CurrentDeviceScreen();
    std::swap(screen.width, screen.height);
    ConfigureDeviceScreen(screen);
    FitShellToScreen();
    for (HWND window : TopLevelWindows()) {
        std::u16string windowClass = ClassOf(window);
        if (windowClass != kTaskBarClass && windowClass != u"menu_worker" &&
            windowClass != u"MNU") {
            SendMessageW(window, WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
        }
    }
    InvalidateRect(nullptr, nullptr, TRUE);
}
