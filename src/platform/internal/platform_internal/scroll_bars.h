// The scroll bars of ordinary windows: their layout along the window's right and bottom edges,
// drawing, and the stylus on them.
#pragma once

#include <platform_internal/device_input.h>
#include <platform_internal/window_manager.h>

enum ScrollPart {
    kNoScrollPart = 0,
    kLineUpPart,
    kPageUpPart,
    kThumbPart,
    kPageDownPart,
    kLineDownPart
};

// Where a bar and its parts lie, in the window's coordinates inside its border (those of its
// client area). Along the bar, offsets count
// from bar's top (vertical) or left (horizontal) edge.
struct ScrollBarLayout {
    RECT bar{};
    bool vertical = false;
    int length = 0;      // along the bar
    int arrow = 0;       // each arrow button's length
    int thumbStart = 0;  // the thumb's offset (valid when hasThumb)
    int thumbLength = 0;
    bool hasThumb = false;
};

// Call with the window manager's mutex held. bar is SB_HORZ or SB_VERT; the bar must be shown.
bool ScrollBarShown(const WindowObject& window, int bar);
ScrollBarLayout LayoutScrollBar(const WindowObject& window, int bar);
// The part under point (window coordinates), kNoScrollPart when it is not on the bar.
int ScrollPartAt(const ScrollBarLayout& layout, POINT point);
// The position that puts the thumb's start at offset along the bar, within the bar's range.
int ScrollPositionForThumb(const ScrollBarState& state, const ScrollBarLayout& layout, int offset);

// On the UI thread: draws the scroll bars of this thread's windows that need it.
void DrawDirtyScrollBars(DWORD thread);

// On the UI thread: the stylus on a window's scroll bar; true when a bar took it (a press that
// began on a bar keeps the stylus until it is lifted).
bool ScrollBarStylus(StylusAction action, POINT screen);
// True while the stylus holds a scroll bar (a hold there opens no context menu).
bool ScrollBarHasStylus();
