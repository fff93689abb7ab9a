// The task bar at the top of the screen: the foreground window's title.
#include "shell_metrics.h"

#include <platform_internal/device_shell.h>
#include <platform_internal/window_manager.h>

#include <platform/shell.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace {

constexpr WCHAR kTaskBarClass[] = u"HHTaskBar";
std::atomic<HWND> taskBar{nullptr};  // read by the shell listener from any thread
std::mutex doneMutex;
std::vector<HWND> doneWindows;  // full-screen dialogs that asked for the "ok" button

bool HasDoneButton(HWND window) {
    std::lock_guard lock(doneMutex);
    return window != nullptr &&
           std::find(doneWindows.begin(), doneWindows.end(), window) != doneWindows.end();
}

// The "ok" button's place at the right end of the bar.
RECT DoneButtonRect(const RECT& client) {
    return {client.right - ShellScaled(32), 0, client.right, client.bottom};
}

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
    bool done = HasDoneButton(foreground);
    RECT text{ShellScaled(6), 0, client.right - ShellScaled(done ? 38 : 6), client.bottom};
    DrawTextW(dc, title, -1, &text,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (done) {
        RECT button = DoneButtonRect(client);
        InflateRect(&button, -ShellScaled(2), -ShellScaled(3));
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
        HGDIOBJ previousPen = SelectObject(dc, pen);
        HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        RoundRect(dc, button.left, button.top, button.right, button.bottom, ShellScaled(6),
                  ShellScaled(6));
        SelectObject(dc, previousBrush);
        SelectObject(dc, previousPen);
        DeleteObject(pen);
        DrawTextW(dc, u"ok", -1, &button, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
    }
    SelectObject(dc, previous);
    DeleteObject(font);
    EndPaint(window, &paint);
}

LRESULT TaskBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        Paint(window);
        return 0;
    }
    if (message == WM_LBUTTONUP) {
        RECT client;
        GetClientRect(window, &client);
        RECT button = DoneButtonRect(client);
        HWND foreground = GetForegroundWindow();
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (PtInRect(&button, point) && HasDoneButton(foreground)) {
            PostMessageW(foreground, WM_COMMAND, MAKEWPARAM(1 /* IDOK */, 0), 0);
        }
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

void SetTaskBarDoneButton(HWND window, bool shown) {
    {
        std::lock_guard lock(doneMutex);
        doneWindows.erase(std::remove(doneWindows.begin(), doneWindows.end(), window),
                          doneWindows.end());
        if (shown) {
            doneWindows.push_back(window);
        }
    }
    TitleChanged();
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
