// Window classes, creating and destroying windows, and finding top-level windows.
#include <platform_internal/message_queue.h>
#include <platform_internal/remote_windows.h>
#include <platform_internal/window_manager.h>

#include <platform/core.h>
#include <platform/text.h>

#include <algorithm>

namespace {

std::u16string ClassKey(LPCWSTR name) {
    std::u16string key;
    for (int i = 0; name != nullptr && name[i] != 0; ++i) {
        key.push_back(towupper(name[i]));
    }
    return key;
}

// Sends WM_DESTROY to the window and then, in order, to its children; WM_NCDESTROY goes the
// other way, children first.
void SendDestroyMessages(HWND window) {
    CallProcedure(window, WM_DESTROY, 0, 0);
    std::vector<HWND> children;
    {
        WindowManager& manager = WindowManager::Instance();
        std::lock_guard lock(manager.mutex);
        if (WindowObject* object = manager.Find(window)) {
            for (WindowObject* child : object->children) {
                child->destroying = true;
                children.push_back(child->handle);
            }
        }
    }
    for (HWND child : children) {
        SendDestroyMessages(child);
    }
    CallProcedure(window, WM_NCDESTROY, 0, 0);
}

// Takes the window and its children out of the manager into gone.
void Forget(WindowManager& manager, WindowObject* window,
            std::vector<std::unique_ptr<WindowObject>>& gone) {
    for (WindowObject* child : window->children) {
        Forget(manager, child, gone);
    }
    if (manager.focus == window) {
        manager.focus = nullptr;
    }
    if (manager.capture == window) {
        manager.capture = nullptr;
    }
    if (manager.foreground == window) {
        manager.foreground = nullptr;
    }
    manager.windows.ForEach([window](WindowObject* other) {
        if (other->owner == window) {
            other->owner = nullptr;
        }
        if (other->lastActivePopup == window->handle) {
            other->lastActivePopup = nullptr;
        }
    });
    gone.push_back(manager.windows.Remove(window->handle));
}

}  // namespace

ATOM RegisterClassW(const WNDCLASSW* windowClass) {
    if (windowClass == nullptr || windowClass->lpszClassName == nullptr ||
        windowClass->lpfnWndProc == nullptr) {
        return 0;
    }
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    std::u16string key = ClassKey(windowClass->lpszClassName);
    if (key.empty() || manager.classes.count(key) != 0) {
        return 0;
    }
    auto record = std::make_shared<WindowClassRecord>();
    record->name = windowClass->lpszClassName;
    record->procedure = windowClass->lpfnWndProc;
    record->style = windowClass->style;
    record->background = windowClass->hbrBackground;
    record->icon = windowClass->hIcon;
    record->instance = windowClass->hInstance;
    manager.classes.emplace(key, record);
    return static_cast<ATOM>(0xC000 + manager.classes.size());
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE) {
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    auto found = manager.classes.find(ClassKey(className));
    if (found == manager.classes.end()) {
        return FALSE;
    }
    bool inUse = false;
    manager.windows.ForEach([&](const WindowObject* window) {
        inUse = inUse || window->windowClass == found->second;
    });
    if (inUse) {
        return FALSE;  // windows of the class still exist
    }
    manager.classes.erase(found);
    return TRUE;
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance,
                     LPVOID parameter) {
    InstallWindowBlitHook();
    OwnQueue();  // the thread's queue, which receives what is posted and sent to its windows
    WindowManager& manager = WindowManager::Instance();
    HWND handle = nullptr;
    {
        std::lock_guard lock(manager.mutex);
        auto found = manager.classes.find(ClassKey(className));
        WindowObject* parentObject = manager.Find(parent);
        if (found == manager.classes.end() ||
            ((style & WS_CHILD) != 0 && parentObject == nullptr)) {
            return nullptr;
        }
        auto owned = std::make_unique<WindowObject>();
        WindowObject* window = owned.get();
        window->windowClass = found->second;
        window->procedure = found->second->procedure;
        window->style = style & ~WS_VISIBLE;
        window->exStyle = exStyle;
        window->title = title != nullptr ? title : u"";
        window->thread = GetCurrentThreadId();
        if ((style & WS_CHILD) != 0) {
            window->parent = parentObject;
            window->id = static_cast<int>(reinterpret_cast<std::intptr_t>(menuOrId));
            x = x == CW_USEDEFAULT ? 0 : x, y = y == CW_USEDEFAULT ? 0 : y;
            width = width == CW_USEDEFAULT ? 0 : width,
            height = height == CW_USEDEFAULT ? 0 : height;
        } else {
            window->owner = manager.TopLevelOf(parentObject);
            RECT area = DefaultWindowArea();
            x = x == CW_USEDEFAULT ? area.left : x, y = y == CW_USEDEFAULT ? area.top : y;
            width = width == CW_USEDEFAULT ? area.right - area.left : width;
            height = height == CW_USEDEFAULT ? area.bottom - area.top : height;
        }
        window->rect = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
        handle = window->handle = manager.windows.Add(std::move(owned));
        if (handle == nullptr) {
            return nullptr;
        }
        NoteUiThread(window->thread);
        if (window->IsChild()) {
            parentObject->children.push_back(window);
        } else {
            window->surface = std::make_shared<WindowSurface>();
            window->surface->Resize(std::max(width, 0), std::max(height, 0),
                                    CurrentDeviceScreen().format);
            manager.RaiseInZOrder(window);
        }
    }
    CREATESTRUCTW create{
        parameter, instance,  menuOrId, parent, height, width, y, x, static_cast<LONG>(style),
        title,     className, exStyle};
    if (CallProcedure(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    if (!IsWindow(handle)) {
        return nullptr;
    }
    NotifyGeometry(handle, true, true);
    InvalidateAll(handle);
    if ((style & WS_VISIBLE) != 0) {
        ShowWindow(handle, SW_SHOW);
    }
    return IsWindow(handle) ? handle : nullptr;
}

BOOL DestroyWindow(HWND handle) {
    WindowManager& manager = WindowManager::Instance();
    std::vector<HWND> owned;
    bool wasForeground = false;
    HWND next = nullptr;
    {
        std::lock_guard lock(manager.mutex);
        WindowObject* window = manager.Find(handle);
        if (window == nullptr) {
            return FALSE;
        }
        handle = window->handle;
        manager.windows.ForEach([&](const WindowObject* other) {
            if (other->owner == window && !other->destroying) {
                owned.push_back(other->handle);
            }
        });
        window->destroying = true;
        wasForeground = manager.foreground == window;
        next = HandleOf(window->owner);
    }
    for (HWND popup : owned) {
        DestroyWindow(popup);
    }
    if (wasForeground) {
        CallProcedure(handle, WM_ACTIVATE, WA_INACTIVE, 0);
    }
    bool focusInside = false;
    {
        std::lock_guard lock(manager.mutex);
        for (WindowObject* w = manager.focus; w != nullptr;
             w = w->IsChild() ? w->parent : nullptr) {
            focusInside = focusInside || w->handle == handle;
        }
    }
    if (focusInside) {
        SetFocus(nullptr);
    }
    {
        std::lock_guard lock(manager.mutex);
        if (WindowObject* window = manager.Find(handle)) {
            window->style &= ~WS_VISIBLE;
            manager.layoutChanged = true;
            if (manager.foreground == window) {
                manager.foreground = nullptr;
            }
        }
    }
    SendDestroyMessages(handle);
    std::vector<std::unique_ptr<WindowObject>> gone;
    HWND parentToRepaint = nullptr;
    RECT area{};
    {
        std::lock_guard lock(manager.mutex);
        WindowObject* window = manager.Find(handle);
        if (window == nullptr) {
            return TRUE;
        }
        if (window->IsChild()) {
            auto& siblings = window->parent->children;
            siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
            parentToRepaint = window->parent->handle;
            area = window->rect;
        } else {
            manager.RemoveFromZOrder(window);
        }
        Forget(manager, window, gone);
        if (wasForeground && next == nullptr) {
            for (auto it = manager.zOrder.rbegin(); it != manager.zOrder.rend(); ++it) {
                if ((*it)->Visible() &&
                    ((*it)->exStyle & (WS_EX_TOPMOST | WS_EX_NOACTIVATE)) == 0) {
                    next = (*it)->handle;
                    break;
                }
            }
        }
    }
    for (const std::unique_ptr<WindowObject>& window : gone) {
        ForgetWindowMessages(window->thread, window->handle);
    }
    gone.clear();
    if (parentToRepaint != nullptr) {
        InvalidateRect(parentToRepaint, &area, TRUE);
    }
    if (wasForeground && next != nullptr) {
        ActivateWindow(next, false);
    } else if (wasForeground) {
        NotifyShell();
    }
    return TRUE;
}

HWND FindLocalWindow(LPCWSTR className, LPCWSTR title) {
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    std::u16string key = ClassKey(className);
    for (auto it = manager.zOrder.rbegin(); it != manager.zOrder.rend(); ++it) {
        WindowObject* window = *it;
        if (window->destroying ||
            (className != nullptr && ClassKey(window->windowClass->name.c_str()) != key)) {
            continue;
        }
        if (title == nullptr || window->title == title) {
            return window->handle;
        }
    }
    return nullptr;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR title) {
    HWND local = FindLocalWindow(className, title);
    return local != nullptr ? local : FindRemoteWindow(className, title);
}
