// Window classes, creating and destroying windows, window longs, texts and relations.
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
    std::vector<WindowObject*> children;
    {
        WindowManager& manager = WindowManager::Instance();
        std::lock_guard lock(manager.mutex);
        if (WindowObject* object = manager.Find(window)) {
            children = object->children;
            for (WindowObject* child : children) {
                child->destroying = true;
            }
        }
    }
    for (WindowObject* child : children) {
        SendDestroyMessages(child);
    }
    CallProcedure(window, WM_NCDESTROY, 0, 0);
}

void Forget(WindowManager& manager, WindowObject* window,
            std::vector<std::pair<DWORD, HWND>>& forgotten) {
    for (WindowObject* child : window->children) {
        Forget(manager, child, forgotten);
    }
    manager.windows.erase(window);
    if (manager.focus == window) {
        manager.focus = nullptr;
    }
    if (manager.capture == window) {
        manager.capture = nullptr;
    }
    if (manager.foreground == window) {
        manager.foreground = nullptr;
    }
    for (WindowObject* other : manager.windows) {
        if (other->owner == window) {
            other->owner = nullptr;
        }
        if (other->lastActivePopup == window) {
            other->lastActivePopup = nullptr;
        }
    }
    forgotten.emplace_back(window->thread, window);
}

void DeleteTree(WindowObject* window) {
    for (WindowObject* child : window->children) {
        DeleteTree(child);
    }
    delete window;
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
    for (WindowObject* window : manager.windows) {
        if (window->windowClass == found->second) {
            return FALSE;  // windows of the class still exist
        }
    }
    manager.classes.erase(found);
    return TRUE;
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance,
                     LPVOID parameter) {
    InstallWindowBlitHook();
    WindowManager& manager = WindowManager::Instance();
    auto* window = new WindowObject;
    {
        std::lock_guard lock(manager.mutex);
        auto found = manager.classes.find(ClassKey(className));
        WindowObject* parentObject = manager.Find(parent);
        if (found == manager.classes.end() ||
            ((style & WS_CHILD) != 0 && parentObject == nullptr)) {
            delete window;
            return nullptr;
        }
        window->windowClass = found->second;
        window->procedure = found->second->procedure;
        window->style = style & ~WS_VISIBLE;
        window->exStyle = exStyle;
        window->title = title != nullptr ? title : u"";
        window->thread = GetCurrentThreadId();
        NoteUiThread(window->thread);
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
        manager.windows.insert(window);
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
    if (CallProcedure(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(window);
        return nullptr;
    }
    if (!IsWindow(window)) {
        return nullptr;
    }
    NotifyGeometry(window, true, true);
    InvalidateAll(window);
    if ((style & WS_VISIBLE) != 0) {
        ShowWindow(window, SW_SHOW);
    }
    return IsWindow(window) ? window : nullptr;
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
        handle = window;
        for (WindowObject* other : manager.windows) {
            if (other->owner == window && !other->destroying) {
                owned.push_back(other);
            }
        }
        window->destroying = true;
        wasForeground = manager.foreground == window;
        next = window->owner;
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
            focusInside = focusInside || w == handle;
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
    std::vector<std::pair<DWORD, HWND>> forgotten;
    WindowObject* parentToRepaint = nullptr;
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
            parentToRepaint = window->parent;
            area = window->rect;
        } else {
            manager.RemoveFromZOrder(window);
        }
        Forget(manager, window, forgotten);
        DeleteTree(window);
        if (wasForeground && next == nullptr) {
            for (auto it = manager.zOrder.rbegin(); it != manager.zOrder.rend(); ++it) {
                if ((*it)->Visible() &&
                    ((*it)->exStyle & (WS_EX_TOPMOST | WS_EX_NOACTIVATE)) == 0) {
                    next = *it;
                    break;
                }
            }
        }
    }
    for (auto& [thread, window] : forgotten) {
        ForgetWindowMessages(thread, window);
    }
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

BOOL IsWindow(HWND handle) {
    return ReadWindow(handle, FALSE, [](WindowManager&, WindowObject&) { return TRUE; });
}

BOOL IsWindowVisible(HWND handle) {
    return ReadWindow(handle, FALSE, [](WindowManager& manager, WindowObject& window) {
        return manager.IsShown(&window) ? TRUE : FALSE;
    });
}

BOOL IsWindowEnabled(HWND handle) {
    return ReadWindow(handle, FALSE, [](WindowManager&, WindowObject& window) {
        return (window.style & WS_DISABLED) == 0 ? TRUE : FALSE;
    });
}

BOOL EnableWindow(HWND handle, BOOL enable) {
    bool wasDisabled;
    {
        WindowManager& manager = WindowManager::Instance();
        std::lock_guard lock(manager.mutex);
        WindowObject* window = manager.Find(handle);
        if (window == nullptr) {
            return FALSE;
        }
        wasDisabled = (window->style & WS_DISABLED) != 0;
        if (wasDisabled == !enable) {
            return wasDisabled;
        }
        window->style = enable ? window->style & ~WS_DISABLED : window->style | WS_DISABLED;
        if (!enable && manager.capture == window) {
            manager.capture = nullptr;
        }
    }
    SendMessageW(handle, WM_ENABLE, enable ? TRUE : FALSE, 0);
    InvalidateRect(handle, nullptr, TRUE);
    return wasDisabled;
}

LONG_PTR GetWindowLongPtrW(HWND handle, int index) {
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    WindowObject* window = manager.Find(handle);
    if (window == nullptr) {
        return 0;
    }
    switch (index) {
        case GWL_USERDATA:
            return window->userData;
        case GWL_STYLE:
            return static_cast<LONG>(window->style);
        case GWL_EXSTYLE:
            return static_cast<LONG>(window->exStyle);
        case GWL_WNDPROC:
            return reinterpret_cast<LONG_PTR>(window->procedure);
        case GWL_ID:
            return window->id;
        default:
            return 0;
    }
}

LONG_PTR SetWindowLongPtrW(HWND handle, int index, LONG_PTR value) {
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    WindowObject* window = manager.Find(handle);
    if (window == nullptr) {
        return 0;
    }
    LONG_PTR previous = 0;
    switch (index) {
        case GWL_USERDATA:
            previous = window->userData, window->userData = value;
            break;
        case GWL_STYLE:
            previous = static_cast<LONG>(window->style), window->style = static_cast<DWORD>(value);
            manager.layoutChanged = true;
            break;
        case GWL_EXSTYLE:
            previous = static_cast<LONG>(window->exStyle),
            window->exStyle = static_cast<DWORD>(value);
            break;
        case GWL_WNDPROC:
            if (value != 0) {
                previous = reinterpret_cast<LONG_PTR>(window->procedure);
                window->procedure = reinterpret_cast<WNDPROC>(value);
            }
            break;
        case GWL_ID:
            previous = window->id, window->id = static_cast<int>(value);
            break;
        default:
            break;
    }
    return previous;
}

LONG GetWindowLongW(HWND window, int index) {
    return static_cast<LONG>(GetWindowLongPtrW(window, index));
}
LONG SetWindowLongW(HWND window, int index, LONG value) {
    return static_cast<LONG>(SetWindowLongPtrW(window, index, value));
}

BOOL SetWindowTextW(HWND handle, LPCWSTR text) {
    bool sameThread = false, isForeground = false;
    {
        WindowManager& manager = WindowManager::Instance();
        std::lock_guard lock(manager.mutex);
        WindowObject* window = manager.Find(handle);
        if (window == nullptr) {
            return FALSE;
        }
        sameThread = window->thread == GetCurrentThreadId();
        if (!sameThread) {
            // From another thread the text changes at once, without waiting for the UI thread.
            window->title = text != nullptr ? text : u"";
            isForeground = manager.foreground == window;
        }
    }
    if (isForeground) {
        NotifyShell();
    }
    if (!sameThread) {
        return TRUE;
    }
    return SendMessageW(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0;
}

// Copies text into buffer (capacity units, terminated); returns the length copied.
static int CopyOut(const std::u16string& text, LPWSTR buffer, int capacity) {
    lstrcpynW(buffer, text.c_str(), capacity);
    return lstrlenW(buffer);
}

int GetWindowTextW(HWND handle, LPWSTR buffer, int capacity) {
    if (buffer == nullptr || capacity <= 0) {
        return 0;
    }
    buffer[0] = 0;
    return ReadWindow(handle, 0, [&](WindowManager&, WindowObject& window) {
        return CopyOut(window.title, buffer, capacity);
    });
}

int GetWindowTextLengthW(HWND handle) {
    return ReadWindow(handle, 0, [](WindowManager&, WindowObject& window) {
        return static_cast<int>(window.title.size());
    });
}

int GetClassNameW(HWND handle, LPWSTR buffer, int capacity) {
    if (buffer == nullptr || capacity <= 0) {
        return 0;
    }
    buffer[0] = 0;
    return ReadWindow(handle, 0, [&](WindowManager&, WindowObject& window) {
        return CopyOut(window.windowClass->name, buffer, capacity);
    });
}

HWND GetParent(HWND handle) {
    return ReadWindow(handle, HWND{nullptr}, [](WindowManager&, WindowObject& window) -> HWND {
        return window.IsChild() ? window.parent : window.owner;
    });
}

HWND GetWindow(HWND handle, UINT relation) {
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    WindowObject* window = manager.Find(handle);
    if (window == nullptr) {
        return nullptr;
    }
    if (relation == GW_OWNER) {
        return window->owner;
    }
    if (relation == GW_CHILD) {
        return window->children.empty() ? nullptr : window->children.front();
    }
    if (relation == GW_HWNDNEXT && window->IsChild()) {
        auto& siblings = window->parent->children;
        auto it = std::find(siblings.begin(), siblings.end(), window);
        return it != siblings.end() && it + 1 != siblings.end() ? *(it + 1) : nullptr;
    }
    return nullptr;
}

HWND GetDlgItem(HWND dialog, int id) {
    return ReadWindow(dialog, HWND{nullptr}, [&](WindowManager&, WindowObject& window) -> HWND {
        for (WindowObject* child : window.children) {
            if (child->id == id) {
                return child;
            }
        }
        return nullptr;
    });
}

int GetDlgCtrlID(HWND handle) {
    return static_cast<int>(GetWindowLongPtrW(handle, GWL_ID));
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
            return window;
        }
    }
    return nullptr;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR title) {
    HWND local = FindLocalWindow(className, title);
    return local != nullptr ? local : FindRemoteWindow(className, title);
}
