// TrackPopupMenuEx: pop-up menus drawn on their own windows and operated with the stylus; a tap
// on a pop-up item opens its menu beside it, a tap outside every open menu closes them all.
#include "shell_metrics.h"

#include <platform_internal/device_input.h>
#include <platform_internal/menu_object.h>

#include <platform/core.h>

#include <algorithm>
#include <memory>

namespace {

constexpr WCHAR kPopupClass[] = u"MNU";

struct Level {
    HMENU menu = nullptr;
    HWND window = nullptr;
    std::vector<MenuItem> items;
    int highlighted = -1;
};

struct Tracking {
    std::vector<Level> levels;
    bool done = false;
    UINT chosen = 0;
};

int ItemHeight(const MenuItem& item) {
    return (item.flags & MF_SEPARATOR) != 0 ? ShellScaled(7) : ShellScaled(21);
}

SIZE MenuSize(const std::vector<MenuItem>& items) {
    HDC dc = CreateCompatibleDC(nullptr);
    int width = ShellScaled(60), height = 2;
    for (const MenuItem& item : items) {
        SIZE text{};
        GetTextExtentPoint32W(dc, item.text.c_str(), static_cast<int>(item.text.size()), &text);
        width = std::max<int>(width, text.cx + ShellScaled(40));
        height += ItemHeight(item);
    }
    DeleteDC(dc);
    return {width + 2, height};
}

int ItemAt(const Level& level, POINT client) {
    int y = 1;
    for (std::size_t i = 0; i < level.items.size(); ++i) {
        int next = y + ItemHeight(level.items[i]);
        if (client.y >= y && client.y < next) {
            return static_cast<int>(i);
        }
        y = next;
    }
    return -1;
}

void PaintLevel(HWND window, const Level& level) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    Rectangle(dc, client.left, client.top, client.right, client.bottom);
    SetBkMode(dc, TRANSPARENT);
    int y = 1;
    for (std::size_t i = 0; i < level.items.size(); ++i) {
        const MenuItem& item = level.items[i];
        int height = ItemHeight(item);
        RECT row{1, y, client.right - 1, y + height};
        if ((item.flags & MF_SEPARATOR) != 0) {
            SelectObject(dc, GetStockObject(BLACK_PEN));
            MoveToEx(dc, ShellScaled(4), y + height / 2, nullptr);
            LineTo(dc, client.right - ShellScaled(4), y + height / 2);
        } else {
            bool grayed = (item.flags & (MF_GRAYED | MF_DISABLED)) != 0;
            bool lit = static_cast<int>(i) == level.highlighted && !grayed;
            if (lit) {
                FillRect(dc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
            }
            SetTextColor(dc, grayed ? GetSysColor(COLOR_GRAYTEXT)
                             : lit  ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                    : 0);
            RECT text{row.left + ShellScaled(18), row.top, row.right - ShellScaled(14), row.bottom};
            DrawTextW(dc, item.text.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
            HPEN pen = CreatePen(PS_SOLID, 1, lit ? GetSysColor(COLOR_HIGHLIGHTTEXT) : 0);
            HGDIOBJ previous = SelectObject(dc, pen);
            int middle = y + height / 2;
            if ((item.flags & MF_CHECKED) != 0) {  // a check mark
                int x = ShellScaled(5);
                POINT mark[] = {{x, middle},
                                {x + ShellScaled(3), middle + ShellScaled(3)},
                                {x + ShellScaled(9), middle - ShellScaled(4)}};
                Polyline(dc, mark, 3);
            }
            if ((item.flags & MF_POPUP) != 0) {  // an arrow to the right
                int x = client.right - ShellScaled(10);
                for (int d = 0; d <= ShellScaled(4); ++d) {
                    MoveToEx(dc, x + d, middle - ShellScaled(4) + d, nullptr);
                    LineTo(dc, x + d, middle + ShellScaled(4) - d + 1);
                }
            }
            SelectObject(dc, previous);
            DeleteObject(pen);
        }
        y += height;
    }
    EndPaint(window, &paint);
}

Tracking* TrackingOf(HWND window) {
    return reinterpret_cast<Tracking*>(GetWindowLongPtrW(window, GWL_USERDATA));
}

void CloseLevelsAbove(Tracking& tracking, std::size_t keep) {
    while (tracking.levels.size() > keep) {
        DestroyWindow(tracking.levels.back().window);
        tracking.levels.pop_back();
    }
}

void OpenLevel(Tracking& tracking, HMENU menu, int x, int y, UINT flags) {
    Level level;
    level.menu = menu;
    level.items = MenuItems(menu);
    SIZE size = MenuSize(level.items);
    DeviceScreenConfig screen = CurrentDeviceScreen();
    if ((flags & TPM_RIGHTALIGN) != 0) {
        x -= size.cx;
    } else if ((flags & TPM_CENTERALIGN) != 0) {
        x -= size.cx / 2;
    }
    if ((flags & TPM_BOTTOMALIGN) != 0) {
        y -= size.cy;
    }
    x = std::clamp<int>(x, 0, std::max<int>(0, screen.width - size.cx));
    y = std::clamp<int>(y, 0, std::max<int>(0, screen.height - size.cy));
    tracking.levels.push_back(level);
    HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, kPopupClass, u"", WS_POPUP, x,
                                  y, size.cx, size.cy, nullptr, nullptr, nullptr, nullptr);
    tracking.levels.back().window = window;
    SetWindowLongPtrW(window, GWL_USERDATA, reinterpret_cast<LONG_PTR>(&tracking));
    ShowWindow(window, SW_SHOWNOACTIVATE);
    SetCapture(window);
}

// The stylus at a screen point: highlight, open a nested menu, choose, or close.
void Stylus(Tracking& tracking, UINT message, POINT screen) {
    for (std::size_t i = tracking.levels.size(); i-- > 0;) {
        Level& level = tracking.levels[i];
        RECT area;
        GetWindowRect(level.window, &area);
        if (!PtInRect(&area, screen)) {
            continue;
        }
        int index = ItemAt(level, {screen.x - area.left, screen.y - area.top});
        if (index != level.highlighted) {
            level.highlighted = index;
            InvalidateRect(level.window, nullptr, FALSE);
        }
        if (message != WM_LBUTTONUP || index < 0) {
            return;
        }
        const MenuItem& item = level.items[index];
        if ((item.flags & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR)) != 0) {
            return;
        }
        if ((item.flags & MF_POPUP) != 0) {
            CloseLevelsAbove(tracking, i + 1);
            int top = area.top + 1;
            for (int k = 0; k < index; ++k) {
                top += ItemHeight(level.items[k]);
            }
            SIZE size = MenuSize(MenuItems(item.popup));
            DeviceScreenConfig screenConfig = CurrentDeviceScreen();
            bool fitsRight = area.right + size.cx <= screenConfig.width;
            OpenLevel(tracking, item.popup, fitsRight ? area.right - 2 : area.left + 2, top,
                      fitsRight ? TPM_LEFTALIGN : TPM_RIGHTALIGN);
            return;
        }
        tracking.chosen = item.id;
        tracking.done = true;
        return;
    }
    if (message == WM_LBUTTONDOWN) {
        tracking.done = true;  // a tap outside every open menu
    }
}

LRESULT PopupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Tracking* tracking = TrackingOf(window);
    switch (message) {
        case WM_PAINT:
            if (tracking != nullptr) {
                for (const Level& level : tracking->levels) {
                    if (level.window == window) {
                        PaintLevel(window, level);
                        return 0;
                    }
                }
            }
            break;
        case WM_LBUTTONDOWN:
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
            if (tracking != nullptr) {
                POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                ClientToScreen(window, &point);
                Stylus(*tracking, message, point);
            }
            return 0;
        case WM_KEYDOWN:
            if (tracking != nullptr && wParam == VK_ESCAPE) {
                tracking->done = true;
            }
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterPopupClass() {
    static bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = PopupProc;
        windowClass.lpszClassName = kPopupClass;
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        return RegisterClassW(&windowClass) != 0;
    }();
    (void)registered;
}

}  // namespace

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS) {
    if (MenuItems(menu).empty() || !IsWindow(owner)) {
        return FALSE;
    }
    RegisterPopupClass();
    SendMessageW(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    auto tracking = std::make_unique<Tracking>();
    HWND previousCapture = GetCapture();
    OpenLevel(*tracking, menu, x, y, flags);
    bool quit = false;
    int quitCode = 0;
    while (!tracking->done && IsWindow(owner)) {
        MSG message;
        if (!GetMessageW(&message, nullptr, 0, 0)) {
            quit = true, quitCode = static_cast<int>(message.wParam);
            break;
        }
        if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
            break;
        }
        DispatchMessageW(&message);
    }
    CloseLevelsAbove(*tracking, 0);
    ReleaseCapture();
    // The press that opened the menu (a tap-and-hold) gets its window back only while it lasts:
    // once the stylus was lifted in the menu, the next tap goes where it lands.
    if (previousCapture != nullptr && IsWindow(previousCapture) && StylusIsDown()) {
        SetCapture(previousCapture);
    }
    if (quit) {
        PostQuitMessage(quitCode);
        return FALSE;
    }
    UINT chosen = tracking->done ? tracking->chosen : 0;
    if ((flags & TPM_RETURNCMD) != 0) {
        return static_cast<BOOL>(chosen);
    }
    if (chosen != 0 && (flags & TPM_NONOTIFY) == 0 && IsWindow(owner)) {
        PostMessageW(owner, WM_COMMAND, MAKEWPARAM(static_cast<int>(chosen), 0), 0);
    }
    return TRUE;
}
