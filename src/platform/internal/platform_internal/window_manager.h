// The window manager's state, shared by the window, shell, host and testing parts of the platform.
// One mutex guards it; it is never held while a window procedure runs.
#pragma once

#include <platform/window.h>
#include <platform_internal/handle_table.h>
#include <platform_internal/window_surface.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct WindowClassRecord {
    std::u16string name;
    WNDPROC procedure = nullptr;
    UINT style = 0;
    HBRUSH background = nullptr;
    HICON icon = nullptr;
    HINSTANCE instance = nullptr;
};

// One of a window's two scroll bars: its values, and the thumb's place while the stylus drags it.
struct ScrollBarState {
    int min = 0;
    int max = 100;
    int page = 0;
    int pos = 0;
    int trackPos = 0;
    bool tracking = false;
    bool disabled = false;
    int pressed = 0;  // the part the stylus holds down (a ScrollPart), drawn pressed
};

struct WindowObject {
    HWND handle = nullptr;  // what the callers know it by
    std::shared_ptr<WindowClassRecord> windowClass;
    WNDPROC procedure = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect{};  // screen coordinates for top-levels, the parent's client coordinates for children
    WindowObject* parent = nullptr;
    WindowObject* owner = nullptr;
    std::vector<WindowObject*> children;  // bottom first
    std::u16string title;
    LONG_PTR userData = 0;
    int id = 0;
    DWORD thread = 0;
    bool destroying = false;
    bool hasInvalid = false;
    bool erase = false;
    RECT invalid{};                          // client coordinates
    std::shared_ptr<WindowSurface> surface;  // top-levels and pop-ups only
    HWND lastActivePopup = nullptr;
    ScrollBarState scrollBars[2];  // SB_HORZ, SB_VERT; shown while the style has its bit
    bool frameDirty = false;       // the border and the scroll bars need drawing

    bool IsChild() const { return (style & WS_CHILD) != 0 && parent != nullptr; }
    // The width of the frame around a top-level window with WS_BORDER alone (no caption): 1 pixel
    // (SM_CXBORDER); 0 for every other window.
    int Border() const;
    // The client area in the window's own coordinates: the window less its border and its shown
    // scroll bars.
    RECT ClientArea() const;
    bool Visible() const { return (style & WS_VISIBLE) != 0; }
};

class WindowManager {
  public:
    static WindowManager& Instance();

    std::mutex mutex;
    HandleTable<WindowObject, HWND> windows{kWindowHandles};
    std::vector<WindowObject*> zOrder;  // top-levels and pop-ups, bottom first
    std::map<std::u16string, std::shared_ptr<WindowClassRecord>> classes;  // by upper-case name
    WindowObject* foreground = nullptr;
    WindowObject* focus = nullptr;
    WindowObject* capture = nullptr;
    bool layoutChanged = true;

    // Everything below: call with the mutex held.
    // The live window a handle names (bit 0 of the handle ignored), or null.
    WindowObject* Find(HWND handle) const;
    WindowObject* TopLevelOf(WindowObject* window) const;
    // Screen position of the window's client origin.
    POINT ClientOrigin(const WindowObject* window) const;
    // The window's client area on its top-level's surface, clipped to every ancestor's.
    RECT VisibleOnSurface(const WindowObject* window) const;
    // The window inside its border (scroll bars too) on its top-level's surface, clipped to the
    // ancestors.
    RECT FrameOnSurface(const WindowObject* window) const;
    POINT SurfaceOrigin(const WindowObject* window) const;
    bool IsShown(const WindowObject* window) const;  // visible, and every ancestor too
    // A top-level on screen: visible, and its owner (if any) too.
    bool Displayed(const WindowObject* window) const;
    // Places a top-level just above the others of its band (topmost windows stay above).
    void RaiseInZOrder(WindowObject* window);
    // Places a top-level directly below another, in its own band; an owned window never goes
    // below its owner: asked to, it goes directly above it.
    void PlaceBelow(WindowObject* window, WindowObject* above);
    void RemoveFromZOrder(WindowObject* window);
    // The child-most shown, enabled window at a screen point, or null.
    WindowObject* WindowAt(POINT screen) const;
};

// The window's handle; null for none.
inline HWND HandleOf(const WindowObject* window) {
    return window == nullptr ? nullptr : window->handle;
}

// Calls read(manager, window) with the manager's mutex held, or returns fallback when the handle
// names no window.
template <class Result, class Read>
Result ReadWindow(HWND handle, Result fallback, Read read) {
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    WindowObject* window = manager.Find(handle);
    return window == nullptr ? fallback : read(manager, *window);
}

// Window procedure of a window, called with no lock held.
LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Sends WM_SIZE / WM_MOVE after a size or position change.
void NotifyGeometry(HWND window, bool moved, bool sized);
// The thickness of a window's scroll bar in device pixels (13 logical pixels).
int ScrollBarThickness();
// The height of the task bar and of a menu bar in device pixels (26 logical pixels).
int ShellBarHeight();
// Screen minus task bar (the menu bars are the windows' own business).
RECT DefaultWindowArea();
// Invalidates a window and all its children entirely.
void InvalidateAll(HWND window);
// Activation: brings window (and its owned pop-ups) forward, sends WM_ACTIVATE to the windows
// losing and gaining activation, moves the focus.
void ActivateWindow(HWND window, bool withPopups);

HWND FindLocalWindow(LPCWSTR className, LPCWSTR title);

// Routes DirectDraw's blits through clippers bound to windows into the windows (once a window
// exists).
void InstallWindowBlitHook();

// Re-composes the screen from the window surfaces when something changed; true when it did.
bool ComposeScreen(bool force);
// Wakes the UI thread from its wait (a DirectDraw blit, a post from another thread).
void WakeUiThread();

// The shell's listener for changes of the foreground window or of its title (the task bar).
void SetShellListener(void (*listener)());
void NotifyShell();

// Every top-level window and pop-up, bottom of the z-order first.
std::vector<HWND> TopLevelWindows();
// The class name of a window ("" when it is gone).
std::u16string ClassOf(HWND window);
