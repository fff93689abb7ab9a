// Invalid regions, WM_PAINT, BeginPaint / EndPaint and window device contexts.
#include <platform_internal/dc_object.h>
#include <platform_internal/filled_paint.h>
#include <platform_internal/message_queue.h>
#include <platform_internal/window_manager.h>

namespace {

// Adds area (client coordinates; null: all) to the window's invalid region and to the children
// it overlaps, since the parent paints over them.
void AddInvalid(WindowManager& manager, WindowObject* window, const RECT* area, bool erase) {
    // Painting over a window's scroll bars (a parent painting its children's area, or a window
    // painted afresh) has them drawn again, and its border with them.
    RECT whole{0, 0, window->rect.right - window->rect.left,
               window->rect.bottom - window->rect.top};
    RECT touched{};
    if (((window->style & (WS_HSCROLL | WS_VSCROLL)) != 0 || window->Border() != 0) &&
        (area == nullptr || IntersectRect(&touched, area, &whole))) {
        window->frameDirty = true;
    }
    RECT client = window->ClientArea();
    RECT part = client;
    if (area != nullptr && !IntersectRect(&part, area, &client)) {
        return;
    }
    if (window->hasInvalid) {
        UnionRect(&window->invalid, &window->invalid, &part);
    } else {
        window->invalid = part;
        window->hasInvalid = true;
    }
    window->erase = window->erase || erase;
    for (WindowObject* child : window->children) {
        RECT inChild = part;
        OffsetRect(&inChild, -child->rect.left, -child->rect.top);
        AddInvalid(manager, child, &inChild, erase);
    }
}

}  // namespace

BOOL InvalidateRect(HWND handle, const RECT* rect, BOOL erase) {
    WindowManager& manager = WindowManager::Instance();
    std::vector<DWORD> threads;
    {
        std::lock_guard lock(manager.mutex);
        if (handle == nullptr) {
            for (WindowObject* window : manager.zOrder) {
                AddInvalid(manager, window, nullptr, erase != FALSE);
                threads.push_back(window->thread);
            }
        } else {
            WindowObject* window = manager.Find(handle);
            if (window == nullptr) {
                return FALSE;
            }
            AddInvalid(manager, window, rect, erase != FALSE);
            threads.push_back(window->thread);
        }
    }
    for (DWORD thread : threads) {
        if (auto queue = FindQueue(thread)) {
            queue->Wake();
        }
    }
    return TRUE;
}

void InvalidateAll(HWND window) {
    InvalidateRect(window, nullptr, TRUE);
}

BOOL GetUpdateRect(HWND handle, LPRECT rect, BOOL) {
    return ReadWindow(handle, FALSE, [&](WindowManager&, WindowObject& window) {
        if (rect != nullptr) {
            *rect = window.hasInvalid ? window.invalid : RECT{0, 0, 0, 0};
        }
        return window.hasInvalid ? TRUE : FALSE;
    });
}

BOOL UpdateWindow(HWND handle) {
    std::vector<HWND> toPaint;
    {
        WindowManager& manager = WindowManager::Instance();
        std::lock_guard lock(manager.mutex);
        WindowObject* window = manager.Find(handle);
        if (window == nullptr) {
            return FALSE;
        }
        std::vector<WindowObject*> pending{window};
        for (std::size_t i = 0; i < pending.size(); ++i) {
            if (pending[i]->hasInvalid && manager.IsShown(pending[i])) {
                toPaint.push_back(pending[i]->handle);
            }
            pending.insert(pending.end(), pending[i]->children.begin(), pending[i]->children.end());
        }
    }
    for (HWND window : toPaint) {
        CallProcedure(window, WM_PAINT, 0, 0);
    }
    return TRUE;
}

namespace {

// A DC on the window's top-level surface, clipped to the window and to limit (client
// coordinates; null: no further limit).
HDC WindowDc(HWND handle, const RECT* limit) {
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    WindowObject* window = manager.Find(handle);
    WindowObject* top = manager.TopLevelOf(window);
    if (window == nullptr || top == nullptr || !top->surface) {
        return nullptr;
    }
    POINT origin = manager.SurfaceOrigin(window);
    RECT clip = manager.VisibleOnSurface(window);
    if (limit != nullptr) {
        RECT area = *limit;
        OffsetRect(&area, origin.x, origin.y);
        if (!IntersectRect(&clip, &clip, &area)) {
            clip = {0, 0, 0, 0};
        }
    }
    return CreateWindowDc(window->handle, top->surface, origin, clip);
}

}  // namespace

HDC BeginPaint(HWND handle, PAINTSTRUCT* paint) {
    if (paint == nullptr) {
        return nullptr;
    }
    RECT invalid{};
    bool erase = false;
    {
        WindowManager& manager = WindowManager::Instance();
        std::lock_guard lock(manager.mutex);
        WindowObject* window = manager.Find(handle);
        if (window == nullptr) {
            return nullptr;
        }
        invalid = window->hasInvalid ? window->invalid : RECT{0, 0, 0, 0};
        erase = window->erase;
        window->hasInvalid = false;
        window->erase = false;
    }
    *paint = PAINTSTRUCT{};
    paint->hdc = WindowDc(handle, &invalid);
    paint->rcPaint = invalid;
    paint->fErase = TRUE;
    if (erase && paint->hdc != nullptr) {
        paint->fErase =
            CallProcedure(handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0) == 0;
    }
    return paint->hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* paint) {
    if (paint == nullptr) {
        return FALSE;
    }
    DeleteDC(paint->hdc);
    MarkWindowSurfacesChanged();
    return TRUE;
}

HDC GetDC(HWND handle) {
    if (handle == nullptr) {
        return CreateCompatibleDC(
            nullptr);  // the screen's capabilities; drawing on it shows nothing
    }
    return WindowDc(handle, nullptr);
}

int ReleaseDC(HWND, HDC dc) {
    MarkWindowSurfacesChanged();
    return DeleteDC(dc);
}

HDC BeginFilledPaint(HWND window, PAINTSTRUCT& paint, RECT& client, int colourIndex) {
    HDC dc = BeginPaint(window, &paint);
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(colourIndex));
    return dc;
}
