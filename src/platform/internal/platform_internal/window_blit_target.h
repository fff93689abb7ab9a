// The hook through which DirectDraw blits onto the screen reach a window: the window system
// registers it; a Blt on the primary surface through a clipper bound to a window calls it.
// Without a hook, such blits land on the screen buffer itself, clipped to the screen.
#pragma once

#include <platform/types.h>
#include <platform_internal/pixel_plane.h>

#include <functional>

struct WindowBlitTarget {
    PixelPlane plane;  // the window's backing surface, in the device pixel format
    int originX = 0;   // screen position of the plane's pixel (0, 0)
    int originY = 0;
    RECT clip{};  // the window's client area, in screen coordinates
};

using WindowBlitDraw = std::function<void(const WindowBlitTarget&)>;
// For window: lock its backing surface, call draw once with it, unlock, mark the screen dirty,
// and return true; false (draw not called) when the window has nothing to draw into. Called
// with the blit's source surface locked: it must not take any DirectDraw surface lock.
using WindowBlitHook = std::function<bool(HWND window, const WindowBlitDraw& draw)>;

// An empty hook restores the default (blits land on the screen).
void SetWindowBlitHook(WindowBlitHook hook);
// True when a hook is registered; then *handled tells whether it drew.
bool RouteWindowBlit(HWND window, const WindowBlitDraw& draw, bool* handled);
