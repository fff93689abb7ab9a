// The window manager's shared state: lookup, coordinates, z-order and hit testing.
#include <platform_internal/window_manager.h>

#include <platform/device_screen.h>

#include <algorithm>

WindowManager& WindowManager::Instance() {
    static auto* manager = new WindowManager;
    return *manager;
}

WindowObject* WindowManager::Find(HWND handle) const {
    return windows.Find(
        reinterpret_cast<HWND>(reinterpret_cast<std::uintptr_t>(handle) & ~std::uintptr_t{1}));
}

WindowObject* WindowManager::TopLevelOf(WindowObject* window) const {
    while (window != nullptr && window->IsChild()) {
        window = window->parent;
    }
    return window;
}

POINT WindowManager::ClientOrigin(const WindowObject* window) const {
    POINT origin{0, 0};
    for (; window != nullptr; window = window->IsChild() ? window->parent : nullptr) {
        origin.x += window->rect.left + window->Border();
        origin.y += window->rect.top + window->Border();
    }
    return origin;
}

POINT WindowManager::SurfaceOrigin(const WindowObject* window) const {
    POINT origin{0, 0};
    for (; window != nullptr; window = window->IsChild() ? window->parent : nullptr) {
        if (window->IsChild()) {
            origin.x += window->rect.left;
            origin.y += window->rect.top;
        }
        origin.x += window->Border();
        origin.y += window->Border();
    }
    return origin;
}

int WindowObject::Border() const {
    return (style & WS_CHILD) == 0 && (style & WS_CAPTION) == WS_BORDER ? 1 : 0;
}

RECT WindowObject::ClientArea() const {
    int width = std::max(rect.right - rect.left - 2 * Border(), 0);
    int height = std::max(rect.bottom - rect.top - 2 * Border(), 0);
    int thickness = (style & (WS_HSCROLL | WS_VSCROLL)) != 0 ? ScrollBarThickness() : 0;
    if ((style & WS_VSCROLL) != 0) {
        width = std::max(width - thickness, 0);
    }
    if ((style & WS_HSCROLL) != 0) {
        height = std::max(height - thickness, 0);
    }
    return {0, 0, width, height};
}

namespace {

// area (surface pixels) clipped to the client areas of every ancestor of window.
RECT ClipToAncestors(const WindowManager& manager, const WindowObject* window, RECT area) {
    for (const WindowObject* up = window; up->IsChild(); up = up->parent) {
        POINT parentOrigin = manager.SurfaceOrigin(up->parent);
        RECT parent = up->parent->ClientArea();
        OffsetRect(&parent, parentOrigin.x, parentOrigin.y);
        if (!IntersectRect(&area, &area, &parent)) {
            return {0, 0, 0, 0};
        }
    }
    return area;
}

}  // namespace

RECT WindowManager::VisibleOnSurface(const WindowObject* window) const {
    POINT origin = SurfaceOrigin(window);
    RECT client = window->ClientArea();
    OffsetRect(&client, origin.x, origin.y);
    return ClipToAncestors(*this, window, client);
}

RECT WindowManager::FrameOnSurface(const WindowObject* window) const {
    POINT origin = SurfaceOrigin(window);
    int inset = 2 * window->Border();
    RECT frame{origin.x, origin.y, origin.x + (window->rect.right - window->rect.left - inset),
               origin.y + (window->rect.bottom - window->rect.top - inset)};
    return ClipToAncestors(*this, window, frame);
}

bool WindowManager::IsShown(const WindowObject* window) const {
    for (; window != nullptr; window = window->IsChild() ? window->parent : nullptr) {
        if (!window->Visible()) {
            return false;
        }
    }
    return true;
}

bool WindowManager::Displayed(const WindowObject* window) const {
    for (int depth = 0; window != nullptr && depth < 64; window = window->owner, ++depth) {
        if (!window->Visible()) {
            return false;
        }
    }
    return true;
}

void WindowManager::RemoveFromZOrder(WindowObject* window) {
    zOrder.erase(std::remove(zOrder.begin(), zOrder.end(), window), zOrder.end());
    layoutChanged = true;
}

void WindowManager::RaiseInZOrder(WindowObject* window) {
    RemoveFromZOrder(window);
    bool topmost = (window->exStyle & WS_EX_TOPMOST) != 0;
    auto position = zOrder.end();
    if (!topmost) {
        position = std::find_if(zOrder.begin(), zOrder.end(),
                                [](WindowObject* w) { return (w->exStyle & WS_EX_TOPMOST) != 0; });
    }
    zOrder.insert(position, window);
}

void WindowManager::PlaceBelow(WindowObject* window, WindowObject* above) {
    RemoveFromZOrder(window);
    auto indexOf = [this](const WindowObject* w) {
        return static_cast<std::size_t>(std::find(zOrder.begin(), zOrder.end(), w) -
                                        zOrder.begin());
    };
    std::size_t position = std::min(indexOf(above), zOrder.size());
    if (window->owner != nullptr && indexOf(window->owner) < zOrder.size() &&
        position <= indexOf(window->owner)) {
        position = indexOf(window->owner) + 1;
    }
    std::size_t band = static_cast<std::size_t>(
        std::find_if(zOrder.begin(), zOrder.end(),
                     [](WindowObject* w) { return (w->exStyle & WS_EX_TOPMOST) != 0; }) -
        zOrder.begin());
    bool topmost = (window->exStyle & WS_EX_TOPMOST) != 0;
    position = topmost ? std::max(position, band) : std::min(position, band);
    zOrder.insert(zOrder.begin() + static_cast<std::ptrdiff_t>(position), window);
}

namespace {

WindowObject* ChildAt(const WindowManager& manager, WindowObject* window, POINT screen) {
    POINT windowOrigin = manager.ClientOrigin(window);
    RECT client = window->ClientArea();
    OffsetRect(&client, windowOrigin.x, windowOrigin.y);
    if (!PtInRect(&client, screen)) {
        return window;  // on its scroll bars: children lie in the client area only
    }
    for (auto it = window->children.rbegin(); it != window->children.rend(); ++it) {
        WindowObject* child = *it;
        if (!child->Visible()) {
            continue;
        }
        POINT origin = manager.ClientOrigin(child);
        RECT area{origin.x, origin.y, origin.x + (child->rect.right - child->rect.left),
                  origin.y + (child->rect.bottom - child->rect.top)};
        if (PtInRect(&area, screen)) {
            return (child->style & WS_DISABLED) != 0 ? window : ChildAt(manager, child, screen);
        }
    }
    return window;
}

}  // namespace

WindowObject* WindowManager::WindowAt(POINT screen) const {
    for (auto it = zOrder.rbegin(); it != zOrder.rend(); ++it) {
        WindowObject* top = *it;
        if (Displayed(top) && PtInRect(&top->rect, screen)) {
            return ChildAt(*this, top, screen);
        }
    }
    return nullptr;
}

int ScrollBarThickness() {
    return (13 * CurrentDeviceScreen().dpi + 48) / 96;
}

int ShellBarHeight() {
    return (26 * CurrentDeviceScreen().dpi + 48) / 96;
}

RECT DefaultWindowArea() {
    DeviceScreenConfig screen = CurrentDeviceScreen();
    return {0, ShellBarHeight(), screen.width, screen.height};
}

std::vector<HWND> TopLevelWindows() {
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    std::vector<HWND> windows;
    for (const WindowObject* window : manager.zOrder) {
        windows.push_back(window->handle);
    }
    return windows;
}

std::u16string ClassOf(HWND handle) {
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    WindowObject* window = manager.Find(handle);
    return window == nullptr ? std::u16string() : window->windowClass->name;
}
