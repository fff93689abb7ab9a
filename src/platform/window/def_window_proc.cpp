// The default window procedure.
#include <platform_internal/window_manager.h>

#include <platform/text.h>

namespace {

void (*shellListener)() = nullptr;

}  // namespace

void SetShellListener(void (*listener)()) {
    shellListener = listener;
}

void NotifyShell() {
    if (shellListener != nullptr) {
        shellListener();
    }
}

LRESULT DefWindowProcW(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowManager& manager = WindowManager::Instance();
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(handle, &paint);
            EndPaint(handle, &paint);
            return 0;
        }
        case WM_ERASEBKGND: {
            HBRUSH brush = nullptr;
            {
                std::lock_guard lock(manager.mutex);
                WindowObject* window = manager.Find(handle);
                brush = window != nullptr ? window->windowClass->background : nullptr;
            }
            RECT client;
            if (brush == nullptr || !GetClientRect(handle, &client)) {
                return 0;
            }
            FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
            return 1;
        }
        case WM_CLOSE:
            DestroyWindow(handle);
            return 0;
        case WM_SETTEXT: {
            bool isForeground = false;
            {
                std::lock_guard lock(manager.mutex);
                WindowObject* window = manager.Find(handle);
                if (window == nullptr) {
                    return FALSE;
                }
                auto text = reinterpret_cast<LPCWSTR>(lParam);
                window->title = text != nullptr ? text : u"";
                isForeground = manager.foreground == window;
            }
            if (isForeground) {
                NotifyShell();
            }
            return TRUE;
        }
        case WM_GETTEXT:
            return GetWindowTextW(handle, reinterpret_cast<LPWSTR>(lParam),
                                  static_cast<int>(wParam));
        case WM_GETTEXTLENGTH:
            return GetWindowTextLengthW(handle);
        case WM_CONTEXTMENU: {
            HWND parent = nullptr;
            {
                std::lock_guard lock(manager.mutex);
                WindowObject* window = manager.Find(handle);
                parent = window != nullptr && window->IsChild() ? window->parent->handle : nullptr;
            }
            return parent != nullptr
                       ? SendMessageW(parent, message, reinterpret_cast<WPARAM>(handle), lParam)
                       : 0;
        }
        case WM_HELP: {
            // Unanswered help goes up: from a child to its parent, from a top-level to its owner.
            HWND next = nullptr;
            {
                std::lock_guard lock(manager.mutex);
                WindowObject* window = manager.Find(handle);
                if (window != nullptr) {
                    next = HandleOf(window->IsChild() ? window->parent : window->owner);
                }
            }
            return next != nullptr ? SendMessageW(next, message, wParam, lParam) : FALSE;
        }
        default:
            return 0;
    }
}
