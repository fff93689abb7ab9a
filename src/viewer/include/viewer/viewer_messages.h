// The viewer window's own messages and timers: what its session threads hand to the
// user-interface thread, which they never wait for.
#pragma once

#include <platform/window.h>

// Posted at creation: ask for the password if none is saved, then connect.
constexpr UINT WM_VIEWER_START = WM_USER + 400;
// The desktop was set up or resized: scroll bars, zoom bar and a full repaint.
constexpr UINT WM_VIEWER_DESKTOP_READY = WM_USER + 401;
// An error box with the string-table text wParam.
constexpr UINT WM_VIEWER_ERROR = WM_USER + 402;

constexpr UINT_PTR kUpdateTimer = 4000;  // the next update request, by the server's rate
constexpr UINT_PTR kRedrawTimer = 4001;  // at most one repaint a second while an update arrives

constexpr UINT IDS_NO_FRAME_BUFFER = 6000;
constexpr UINT IDS_NO_FRAME_BUFFER_FOR_MODE = 6001;
