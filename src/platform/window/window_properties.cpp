// Window state read and changed by handle: visibility, enabling, window longs, texts, relations.
#include <platform_internal/message_queue.h>
#include <platform_internal/window_manager.h>

#include <platform/core.h>
#include <platform/text.h>

#include <algorithm>

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

namespace {

LONG_PTR SetWindowLongLocked(HWND handle, int index, LONG_PTR value, bool* frameChanged) {
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
        case GWL_STYLE: {
            int border = window->Border();
            previous = static_cast<LONG>(window->style), window->style = static_cast<DWORD>(value);
            *frameChanged = window->Border() != border;
            window->frameDirty = window->frameDirty || *frameChanged;
            manager.layoutChanged = true;
            break;
        }
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

}  // namespace

LONG_PTR SetWindowLongPtrW(HWND handle, int index, LONG_PTR value) {
    bool frameChanged = false;
    LONG_PTR previous = SetWindowLongLocked(handle, index, value, &frameChanged);
    if (frameChanged) {
        InvalidateRect(handle, nullptr, TRUE);  // the client area moved inside the new frame
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
        return HandleOf(window.IsChild() ? window.parent : window.owner);
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
        return HandleOf(window->owner);
    }
    if (relation == GW_CHILD) {
        return window->children.empty() ? nullptr : window->children.front()->handle;
    }
    if (relation == GW_HWNDNEXT && window->IsChild()) {
        auto& siblings = window->parent->children;
        auto it = std::find(siblings.begin(), siblings.end(), window);
        return it != siblings.end() && it + 1 != siblings.end() ? (*(it + 1))->handle : nullptr;
    }
    return nullptr;
}

HWND GetDlgItem(HWND dialog, int id) {
    return ReadWindow(dialog, HWND{nullptr}, [&](WindowManager&, WindowObject& window) -> HWND {
        for (WindowObject* child : window.children) {
            if (child->id == id) {
                return child->handle;
            }
        }
        return nullptr;
    });
}

int GetDlgCtrlID(HWND handle) {
    return static_cast<int>(GetWindowLongPtrW(handle, GWL_ID));
}
