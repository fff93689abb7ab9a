// The private messages between a viewer window and the server list window. lParam is always the
// sending viewer (a ServerViewer pointer); the list ignores a viewer that no record knows.
#pragma once

#include <platform/window.h>

// The viewer closed: the list detaches it from its record and destroys it. Result 1.
constexpr UINT WM_VIEWER_CLOSED = WM_USER + 100;
// A thumbnail of the viewer's screen: wParam points to a ThumbnailImage. Result 1.
constexpr UINT WM_VIEWER_THUMBNAIL = WM_USER + 101;
// The record that the viewer is open on, or 0.
constexpr UINT WM_VIEWER_RECORD = WM_USER + 300;
// Posted (from any thread): the viewer's connection state changed; the list repaints its item.
constexpr UINT WM_VIEWER_STATE_CHANGED = WM_USER + 102;

// width x height pixels of 3 bytes (blue, green, red), the top row first.
struct ThumbnailImage {
    int width;
    int height;
    const BYTE* pixels;
};
