// Window rectangles, coordinates, moving, sizing and showing.
#include <platform_internal/window_manager.h>

#include <platform/device_screen.h>

#include <algorithm>

namespace {

bool SameSize(const RECT& a, const RECT& b) {
    return a.right - a.left == b.right - b.left && a.bottom - a.top == b.bottom - b.top;
}

}  // namespace

BOOL GetClientRect(HWND handle, LPRECT rect) {
    return rect != nullptr && ReadWindow(handle, FALSE, [&](WindowManager&, WindowObject& window) {
               *rect = window.ClientArea();
               return TRUE;
           });
}

BOOL GetWindowRect(HWND handle, LPRECT rect) {
    return rect != nullptr &&
           ReadWindow(handle, FALSE, [&](WindowManager& manager, WindowObject& window) {
               POINT origin = manager.ClientOrigin(&window);
               origin.x -= window.Border(), origin.y -= window.Border();
               *rect = {origin.x, origin.y, origin.x + window.rect.right - window.rect.left,
                        origin.y + window.rect.bottom - window.rect.top};
               return TRUE;
           });
}

// Moves point by the window's client origin, times direction (1: to the screen, -1: back).
static BOOL ShiftByClientOrigin(HWND handle, LPPOINT point, int direction) {
    return point != nullptr &&
           ReadWindow(handle, FALSE, [&](WindowManager& manager, WindowObject& window) {
               POINT origin = manager.ClientOrigin(&window);
               point->x += direction * origin.x;
               point->y += direction * origin.y;
               return TRUE;
           });
}

BOOL ClientToScreen(HWND handle, LPPOINT point) {
    return ShiftByClientOrigin(handle, point, 1);
}
BOOL ScreenToClient(HWND handle, LPPOINT point) {
    return ShiftByClientOrigin(handle, point, -1);
}

HWND WindowFromPoint(POINT point) {
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    return HandleOf(manager.WindowAt(point));
}

BOOL SetWindowPos(HWND handle, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    WindowManager& manager = WindowManager::Instance();
    bool moved = false, sized = false, shown = false;
    HWND parent = nullptr;
    RECT before{}, after{};
    {
        std::lock_guard lock(manager.mutex);
        WindowObject* window = manager.Find(handle);
        if (window == nullptr) {
            return FALSE;
        }
        handle = window->handle;
        before = window->rect;
        RECT rect = window->rect;
        if ((flags & SWP_NOMOVE) == 0) {
            OffsetRect(&rect, x - rect.left, y - rect.top);
        }
        if ((flags & SWP_NOSIZE) == 0) {
            rect.right = rect.left + std::max(width, 0);
            rect.bottom = rect.top + std::max(height, 0);
        }
        moved = rect.left != before.left || rect.top != before.top;
        sized = !SameSize(rect, before);
        window->rect = after = rect;
        if ((flags & SWP_SHOWWINDOW) != 0 && !window->Visible()) {
            window->style |= WS_VISIBLE, shown = true;
        }
        if ((flags & SWP_HIDEWINDOW) != 0) {
            window->style &= ~WS_VISIBLE;
        }
        if (window->surface && sized) {
            std::lock_guard pixels(SurfaceMutex());
            window->surface->Resize(rect.right - rect.left, rect.bottom - rect.top,
                                    CurrentDeviceScreen().format);
        }
        if (!window->IsChild() && (flags & SWP_NOZORDER) == 0) {
            if (insertAfter == HWND_TOPMOST) {
                window->exStyle |= WS_EX_TOPMOST;
            }
            WindowObject* above = insertAfter == HWND_TOPMOST || insertAfter == HWND_BOTTOM
                                      ? nullptr
                                      : manager.Find(insertAfter);
            if (insertAfter == HWND_BOTTOM) {
                manager.RemoveFromZOrder(window);
                manager.zOrder.insert(manager.zOrder.begin(), window);
            } else if (above != nullptr && above != window && !above->IsChild()) {
                manager.PlaceBelow(window, above);
            } else {
                manager.RaiseInZOrder(window);
            }
        }
        parent = window->IsChild() ? window->parent->handle : nullptr;
        manager.layoutChanged = true;
    }
    if (parent != nullptr && (moved || sized || (flags & SWP_HIDEWINDOW) != 0)) {
        InvalidateRect(parent, &before, TRUE);
        InvalidateRect(parent, &after, TRUE);
    }
    if (sized || shown) {
        InvalidateAll(handle);
    }
    NotifyGeometry(handle, moved, sized);
    return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(window, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

void NotifyGeometry(HWND handle, bool moved, bool sized) {
    RECT rect{}, client{};
    {
        WindowManager& manager = WindowManager::Instance();
        std::lock_guard lock(manager.mutex);
        WindowObject* window = manager.Find(handle);
        if (window == nullptr) {
            return;
        }
        rect = window->rect;
        client = window->ClientArea();
        window->frameDirty = window->frameDirty || sized;
    }
    if (sized) {
        CallProcedure(handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    }
    if (moved) {
        CallProcedure(handle, WM_MOVE, 0, MAKELPARAM(rect.left, rect.top));
    }
}

BOOL ShowWindow(HWND handle, int command) {
    WindowManager& manager = WindowManager::Instance();
    bool wasVisible, activate = false, deactivate = false;
    HWND parent = nullptr;
    RECT area{};
    {
        std::lock_guard lock(manager.mutex);
        WindowObject* window = manager.Find(handle);
        if (window == nullptr) {
            return FALSE;
        }
        handle = window->handle;
        wasVisible = window->Visible();
        bool show = command != SW_HIDE;
        if (show == wasVisible) {
            return wasVisible;
        }
        window->style = show ? window->style | WS_VISIBLE : window->style & ~WS_VISIBLE;
        manager.layoutChanged = true;
        parent = window->IsChild() ? window->parent->handle : nullptr;
        area = window->rect;
        activate = show && parent == nullptr && (command == SW_SHOW || command == SW_SHOWNORMAL) &&
                   (window->exStyle & WS_EX_NOACTIVATE) == 0;
        deactivate = !show && manager.foreground == window;
        if (!show && manager.focus != nullptr && manager.TopLevelOf(manager.focus) == window) {
            manager.focus = nullptr;
        }
    }
    CallProcedure(handle, WM_SHOWWINDOW, command != SW_HIDE, 0);
    if (parent != nullptr) {
        InvalidateRect(parent, &area, TRUE);
    }
    if (command != SW_HIDE) {
        InvalidateAll(handle);
    }
    if (activate) {
        ActivateWindow(handle, false);
    }
    if (deactivate) {
        HWND owner = GetWindow(handle, GW_OWNER);
        CallProcedure(handle, WM_ACTIVATE, WA_INACTIVE, 0);
        {
            std::lock_guard lock(manager.mutex);
            if (HandleOf(manager.foreground) == handle) {
                manager.foreground = nullptr;
            }
        }
        if (owner != nullptr && IsWindowVisible(owner)) {
            ActivateWindow(owner, false);
        }
    }
    return wasVisible;
}

int GetSystemMetrics(int index) {
    DeviceScreenConfig screen = CurrentDeviceScreen();
    auto scaled = [&](int logical) { return (logical * screen.dpi + 48) / 96; };
    switch (index) {
        case SM_CXSCREEN:
            return screen.width;
        case SM_CYSCREEN:
            return screen.height;
        case SM_CXVSCROLL:
        case SM_CYHSCROLL:
            return scaled(13);
        case SM_CYCAPTION:
            return scaled(26);
        case SM_CXBORDER:
        case SM_CYBORDER:
            return 1;
        case SM_CXICON:
        case SM_CYICON:
            return scaled(32);
        default:
            return 0;
    }
}
