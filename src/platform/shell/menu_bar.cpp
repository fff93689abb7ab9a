// SHCreateMenuBar: the soft-key bar at the bottom of the screen, built from a menu-bar record.
#include "shell_metrics.h"

#include <platform/resources.h>
#include <platform/shell.h>
#include <platform/text.h>
#include <platform_internal/filled_paint.h>
#include <platform_internal/window_manager.h>

#include <vector>

namespace {

constexpr WCHAR kMenuBarClass[] = u"menu_worker";
constexpr WORD kNoPopup = 0xFFFF;

struct Button {
    int command = 0;
    BYTE state = 0;
    BYTE style = 0;
    std::u16string label;
    HMENU popup = nullptr;
};

struct MenuBar {
    HWND parent = nullptr;
    HMENU menu = nullptr;
    std::vector<Button> buttons;
    int pressed = -1;
};

MenuBar* BarOf(HWND window) {
    return reinterpret_cast<MenuBar*>(GetWindowLongPtrW(window, GWL_USERDATA));
}

RECT ButtonRect(HWND window, const MenuBar& bar, int index) {
    RECT client;
    GetClientRect(window, &client);
    int count = static_cast<int>(bar.buttons.size());
    int width = count > 0 ? client.right / count : client.right;
    return {index * width, 0, index == count - 1 ? client.right : (index + 1) * width,
            client.bottom};
}

int ButtonAt(HWND window, const MenuBar& bar, POINT point) {
    for (int i = 0; i < static_cast<int>(bar.buttons.size()); ++i) {
        RECT area = ButtonRect(window, bar, i);
        if (PtInRect(&area, point)) {
            return i;
        }
    }
    return -1;
}

void Paint(HWND window, const MenuBar& bar) {
    PAINTSTRUCT paint;
    RECT client;
    HDC dc = BeginFilledPaint(window, paint, client, COLOR_BTNFACE);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, client.right, 0);
    LOGFONTW bold{};
    bold.lfHeight = 0;
    bold.lfWeight = FW_BOLD;
    HFONT font = CreateFontIndirectW(&bold);
    HGDIOBJ previous = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < static_cast<int>(bar.buttons.size()); ++i) {
        RECT area = ButtonRect(window, bar, i);
        if (i == bar.pressed) {
            RECT lit{area.left + 1, area.top + 1, area.right - 1, area.bottom};
            FillRect(dc, &lit, GetSysColorBrush(COLOR_HIGHLIGHT));
        }
        if (i > 0) {
            MoveToEx(dc, area.left, ShellScaled(4), nullptr);
            LineTo(dc, area.left, area.bottom - ShellScaled(4));
        }
        bool enabled = (bar.buttons[i].state & TBSTATE_ENABLED) != 0;
        SetTextColor(dc, !enabled           ? GetSysColor(COLOR_GRAYTEXT)
                         : i == bar.pressed ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                            : GetSysColor(COLOR_BTNTEXT));
        DrawTextW(dc, bar.buttons[i].label.c_str(), -1, &area,
                  DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
    }
    SelectObject(dc, previous);
    DeleteObject(font);
    EndPaint(window, &paint);
}

void Press(HWND window, MenuBar& bar, int index) {
    const Button& button = bar.buttons[index];
    if ((button.state & TBSTATE_ENABLED) == 0) {
        return;
    }
    if (button.popup == nullptr) {
        PostMessageW(bar.parent, WM_COMMAND, MAKEWPARAM(button.command, 0),
                     reinterpret_cast<LPARAM>(window));
        return;
    }
    RECT area = ButtonRect(window, bar, index);
    POINT anchor{index == 0 ? area.left : area.right, 0};
    ClientToScreen(window, &anchor);
    bar.pressed = index;
    InvalidateRect(window, nullptr, FALSE);
    TrackPopupMenuEx(button.popup, TPM_BOTTOMALIGN | (index == 0 ? TPM_LEFTALIGN : TPM_RIGHTALIGN),
                     anchor.x, anchor.y, bar.parent, nullptr);
    if (IsWindow(window)) {
        bar.pressed = -1;
        InvalidateRect(window, nullptr, FALSE);
    }
}

LRESULT GetButtonInfo(const MenuBar& bar, WPARAM which, TBBUTTONINFOW* info) {
    if (info == nullptr || info->cbSize < sizeof(TBBUTTONINFOW)) {
        return -1;
    }
    int index = -1;
    for (int i = 0; i < static_cast<int>(bar.buttons.size()); ++i) {
        bool byIndex = (info->dwMask & TBIF_BYINDEX) != 0;
        if ((byIndex && i == static_cast<int>(which)) ||
            (!byIndex && bar.buttons[i].command == static_cast<int>(which))) {
            index = i;
        }
    }
    if (index < 0) {
        return -1;
    }
    const Button& button = bar.buttons[index];
    info->idCommand = button.command;
    info->iImage = -2;  // no image
    info->fsState = button.state;
    info->fsStyle = button.style;
    info->lParam = reinterpret_cast<LPARAM>(button.popup);
    if ((info->dwMask & TBIF_TEXT) != 0 && info->pszText != nullptr && info->cchText > 0) {
        lstrcpynW(info->pszText, button.label.c_str(), info->cchText);
    }
    return index;
}

LRESULT MenuBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MenuBar* bar = BarOf(window);
    if (bar == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    switch (message) {
        case WM_PAINT:
            Paint(window, *bar);
            return 0;
        case WM_LBUTTONDOWN:
            bar->pressed = ButtonAt(window, *bar, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            SetCapture(window);
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_LBUTTONUP: {
            int index = ButtonAt(window, *bar, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            bool hit = index >= 0 && index == bar->pressed;
            bar->pressed = -1;
            ReleaseCapture();
            InvalidateRect(window, nullptr, FALSE);
            if (hit) {
                Press(window, *bar, index);
            }
            return 0;
        }
        case SHCMBM_GETSUBMENU:
            for (const Button& button : bar->buttons) {
                if (button.command == static_cast<int>(lParam)) {
                    return reinterpret_cast<LRESULT>(button.popup);
                }
            }
            return 0;
        case SHCMBM_GETMENU:
            return reinterpret_cast<LRESULT>(bar->menu);
        case TB_GETBUTTONINFO:
            return GetButtonInfo(*bar, wParam, reinterpret_cast<TBBUTTONINFOW*>(lParam));
        case WM_NCDESTROY:
            SetWindowLongPtrW(window, GWL_USERDATA, 0);
            DestroyMenu(bar->menu);
            delete bar;
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool ReadRecord(HINSTANCE module, UINT id, MenuBar& bar) {
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
    auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
    DWORD size = SizeofResource(module, resource);
    auto word = [&](std::size_t index) {
        return static_cast<WORD>(bytes[2 * index] | bytes[2 * index + 1] << 8);
    };
    if (bytes == nullptr || size < 4) {
        return false;
    }
    WORD menuId = word(0), count = word(1);
    if (count == 0 || size < 4u + 14u * count) {
        return false;
    }
    bar.menu = menuId != 0 ? LoadMenuW(module, MAKEINTRESOURCEW(menuId)) : nullptr;
    for (WORD i = 0; i < count; ++i) {
        std::size_t at = 2 + 7 * static_cast<std::size_t>(i);
        Button button;
        button.command = word(at + 1);
        button.state = static_cast<BYTE>(word(at + 2));
        button.style = static_cast<BYTE>(word(at + 3));
        WCHAR label[260];
        LoadStringW(module, word(at + 4), label, 260);
        button.label = label;
        WORD popup = word(at + 6);
        button.popup = popup != kNoPopup ? GetSubMenu(bar.menu, popup) : nullptr;
        bar.buttons.push_back(button);
    }
    return true;
}

}  // namespace

BOOL SHCreateMenuBar(SHMENUBARINFO* info) {
    if (info == nullptr || info->cbSize < sizeof(SHMENUBARINFO) || !IsWindow(info->hwndParent)) {
        return FALSE;
    }
    static bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = MenuBarProc;
        windowClass.lpszClassName = kMenuBarClass;
        return RegisterClassW(&windowClass) != 0;
    }();
    (void)registered;
    auto bar = std::make_unique<MenuBar>();
    bar->parent = info->hwndParent;
    if ((info->dwFlags & SHCMBF_EMPTYBAR) == 0 &&
        !ReadRecord(info->hInstRes, info->nToolBarId, *bar)) {
        DestroyMenu(bar->menu);
        info->hwndMB = nullptr;
        return FALSE;
    }
    DeviceScreenConfig screen = CurrentDeviceScreen();
    int height = ShellScaled(26);
    HWND window =
        CreateWindowExW(WS_EX_NOACTIVATE, kMenuBarClass, u"", WS_POPUP, 0, screen.height - height,
                        screen.width, height, info->hwndParent, nullptr, info->hInstRes, nullptr);
    if (window == nullptr) {
        DestroyMenu(bar->menu);
        info->hwndMB = nullptr;
        return FALSE;
    }
    SetWindowLongPtrW(window, GWL_USERDATA, reinterpret_cast<LONG_PTR>(bar.release()));
    // A window has one soft-key bar: a named bar made after SHInitDialog's empty one replaces it,
    // so SHFindMenuBar and the taps find the same bar.
    for (HWND earlier : TopLevelWindows()) {
        if (earlier != window && ClassOf(earlier) == kMenuBarClass &&
            GetWindow(earlier, GW_OWNER) == info->hwndParent) {
            DestroyWindow(earlier);
        }
    }
    ShowWindow(window, SW_SHOWNOACTIVATE);
    info->hwndMB = window;
    return TRUE;
}

HWND SHFindMenuBar(HWND window) {
    // The menu bar is an owned pop-up of its window, of the menu bar's class.
    for (HWND candidate : TopLevelWindows()) {
        if (ClassOf(candidate) == kMenuBarClass && GetWindow(candidate, GW_OWNER) == window) {
            return candidate;
        }
    }
    return nullptr;
}
