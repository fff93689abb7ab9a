// Activation, the foreground window, focus and capture.
#include <platform_internal/remote_windows.h>
#include <platform_internal/window_manager.h>

#include <algorithm>

namespace {

bool Activatable(const WindowObject* window) {
    return window->Visible() && (window->exStyle & WS_EX_NOACTIVATE) == 0 && !window->destroying;
}

}  // namespace

void ActivateWindow(HWND handle, bool withPopups) {
    WindowManager& manager = WindowManager::Instance();
    HWND previous = nullptr, target = nullptr;
    {
        std::lock_guard lock(manager.mutex);
        WindowObject* window = manager.TopLevelOf(manager.Find(handle));
        if (window == nullptr) {
            return;
        }
        manager.RaiseInZOrder(window);
        // Owned pop-ups stay above their owner, in their present order.
        std::vector<WindowObject*> owned;
        for (WindowObject* other : manager.zOrder) {
            if (other->owner == window) {
                owned.push_back(other);
            }
        }
        for (WindowObject* popup : owned) {
            manager.RaiseInZOrder(popup);
        }
        WindowObject* active = window;
        if (withPopups) {
            for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
                if (Activatable(*it)) {
                    active = *it;
                    break;
                }
            }
        }
        previous = HandleOf(manager.foreground);
        manager.foreground = active;
        target = active->handle;
        if (WindowObject* owner = active->owner) {
            owner->lastActivePopup = target;
        }
        manager.layoutChanged = true;
    }
    if (previous != target) {
        NotifyShell();
        if (previous != nullptr) {
            CallProcedure(previous, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(target));
        }
        CallProcedure(target, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous));
        HWND focus = GetFocus();
        bool focusInside = false;
        {
            std::lock_guard lock(manager.mutex);
            WindowObject* focused = manager.Find(focus);
            focusInside = focused != nullptr && HandleOf(manager.TopLevelOf(focused)) == target;
        }
        if (!focusInside) {
            SetFocus(target);
        }
    }
}

BOOL SetForegroundWindow(HWND handle) {
    bool remote = false;
    bool result = BringRemoteWindowForward(handle, &remote);
    if (remote) {
        return result;
    }
    bool withPopups = (reinterpret_cast<std::uintptr_t>(handle) & 1) != 0;
    if (!IsWindow(handle)) {
        return FALSE;
    }
    ActivateWindow(handle, withPopups);
    return TRUE;
}

HWND GetForegroundWindow() {
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    return HandleOf(manager.foreground);
}

HWND SetFocus(HWND handle) {
    WindowManager& manager = WindowManager::Instance();
    HWND previous;
    {
        std::lock_guard lock(manager.mutex);
        WindowObject* window = manager.Find(handle);
        if (handle != nullptr && window == nullptr) {
            return nullptr;
        }
        previous = HandleOf(manager.focus);
        if (manager.focus == window) {
            return previous;
        }
        manager.focus = window;
    }
    if (previous != nullptr) {
        CallProcedure(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(handle), 0);
    }
    if (handle != nullptr) {
        CallProcedure(handle, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    }
    return previous;
}

HWND GetFocus() {
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    return HandleOf(manager.focus);
}

HWND SetCapture(HWND handle) {
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    HWND previous = HandleOf(manager.capture);
    manager.capture = manager.Find(handle);
    return previous;
}

BOOL ReleaseCapture() {
    WindowManager& manager = WindowManager::Instance();
    HWND previous;
    {
        std::lock_guard lock(manager.mutex);
        previous = HandleOf(manager.capture);
        manager.capture = nullptr;
    }
    if (previous != nullptr) {
        CallProcedure(previous, WM_CAPTURECHANGED, 0, 0);
    }
    return TRUE;
}

HWND GetCapture() {
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    return HandleOf(manager.capture);
}
