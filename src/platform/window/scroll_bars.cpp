// SetScrollInfo / GetScrollInfo and the geometry of a window's scroll bars.
#include <platform_internal/message_queue.h>
#include <platform_internal/scroll_bars.h>

#include <algorithm>
#include <cstdint>

namespace {

DWORD BarStyle(int bar) {
    return bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
}

// The highest position: the page's last line sits on nMax. 64-bit, since a range may span every
// int.
std::int64_t HighestPosition(const ScrollBarState& state) {
    std::int64_t high = std::int64_t{state.max} - std::max(state.page, 1) + 1;
    return std::max<std::int64_t>(high, state.min);
}

// True when the range holds more than one page, so there is something to scroll.
bool Scrollable(const ScrollBarState& state) {
    return std::int64_t{state.max} - state.min + 1 > std::max(state.page, 0) &&
           state.max > state.min;
}

}  // namespace

bool ScrollBarShown(const WindowObject& window, int bar) {
    return (window.style & BarStyle(bar)) != 0;
}

ScrollBarLayout LayoutScrollBar(const WindowObject& window, int bar) {
    ScrollBarLayout layout;
    int width = window.rect.right - window.rect.left - 2 * window.Border();
    int height = window.rect.bottom - window.rect.top - 2 * window.Border();
    int thickness = ScrollBarThickness();
    layout.vertical = bar == SB_VERT;
    if (layout.vertical) {
        int bottom = height - (ScrollBarShown(window, SB_HORZ) ? thickness : 0);
        layout.bar = {std::max(width - thickness, 0), 0, width, std::max(bottom, 0)};
        layout.length = layout.bar.bottom;
    } else {
        int right = width - (ScrollBarShown(window, SB_VERT) ? thickness : 0);
        layout.bar = {0, std::max(height - thickness, 0), std::max(right, 0), height};
        layout.length = layout.bar.right;
    }
    layout.arrow = std::min(thickness, layout.length / 2);
    const ScrollBarState& state = window.scrollBars[bar];
    int track = layout.length - 2 * layout.arrow;
    int smallest = std::max(thickness * 2 / 3, 4);
    if (state.disabled || !Scrollable(state) || track < smallest) {
        return layout;
    }
    std::int64_t range = std::int64_t{state.max} - state.min + 1;
    std::int64_t length = state.page > 0 ? track * std::int64_t{state.page} / range : smallest;
    layout.thumbLength = static_cast<int>(std::clamp<std::int64_t>(length, smallest, track));
    std::int64_t span = HighestPosition(state) - state.min;
    int position = state.tracking ? state.trackPos : state.pos;
    std::int64_t offset =
        span > 0 ? (track - layout.thumbLength) * (std::int64_t{position} - state.min) / span : 0;
    layout.thumbStart = layout.arrow + static_cast<int>(std::clamp<std::int64_t>(
                                           offset, 0, track - layout.thumbLength));
    layout.hasThumb = true;
    return layout;
}

int ScrollPartAt(const ScrollBarLayout& layout, POINT point) {
    if (!PtInRect(&layout.bar, point)) {
        return kNoScrollPart;
    }
    int along = layout.vertical ? point.y - layout.bar.top : point.x - layout.bar.left;
    if (along < layout.arrow) {
        return kLineUpPart;
    }
    if (along >= layout.length - layout.arrow) {
        return kLineDownPart;
    }
    if (!layout.hasThumb) {
        return kNoScrollPart;
    }
    if (along < layout.thumbStart) {
        return kPageUpPart;
    }
    return along < layout.thumbStart + layout.thumbLength ? kThumbPart : kPageDownPart;
}

int ScrollPositionForThumb(const ScrollBarState& state, const ScrollBarLayout& layout, int offset) {
    int travel = layout.length - 2 * layout.arrow - layout.thumbLength;
    std::int64_t span = HighestPosition(state) - state.min;
    if (travel <= 0 || span <= 0) {
        return state.min;
    }
    std::int64_t moved = std::clamp(offset - layout.arrow, 0, travel);
    return static_cast<int>(state.min + (moved * span + travel / 2) / travel);
}

int SetScrollInfo(HWND handle, int bar, LPCSCROLLINFO info, BOOL redraw) {
    if (info == nullptr || info->cbSize != sizeof(SCROLLINFO) ||
        (bar != SB_HORZ && bar != SB_VERT)) {
        return 0;
    }
    WindowManager& manager = WindowManager::Instance();
    bool shownChanged = false;
    int position = 0;
    DWORD thread = 0;
    {
        std::lock_guard lock(manager.mutex);
        WindowObject* window = manager.Find(handle);
        if (window == nullptr) {
            return 0;
        }
        handle = window->handle;
        ScrollBarState& state = window->scrollBars[bar];
        if ((info->fMask & SIF_RANGE) != 0) {
            // A range that ends before it starts holds one position.
            state.min = info->nMin;
            state.max = std::max(info->nMin, info->nMax);
        }
        if ((info->fMask & SIF_PAGE) != 0) {
            state.page = static_cast<int>(std::min<std::int64_t>(info->nPage, INT32_MAX));
        }
        state.page = static_cast<int>(
            std::min<std::int64_t>(state.page, std::int64_t{state.max} - state.min + 1));
        if ((info->fMask & SIF_POS) != 0) {
            state.pos = info->nPos;
        }
        state.pos = static_cast<int>(
            std::clamp<std::int64_t>(state.pos, state.min, HighestPosition(state)));
        if ((info->fMask & (SIF_RANGE | SIF_PAGE)) != 0) {
            bool wasShown = ScrollBarShown(*window, bar);
            bool keep = (info->fMask & SIF_DISABLENOSCROLL) != 0;
            bool scrollable = Scrollable(state);
            state.disabled = !scrollable && keep;
            bool show = scrollable || (keep && wasShown);
            window->style = show ? window->style | BarStyle(bar) : window->style & ~BarStyle(bar);
            shownChanged = show != wasShown;
        }
        if (redraw || shownChanged) {
            window->frameDirty = true;
            manager.layoutChanged = true;
        }
        position = state.pos;
        thread = window->thread;
    }
    if (shownChanged) {
        InvalidateAll(handle);
        NotifyGeometry(handle, false, true);
    } else if (auto queue = redraw ? FindQueue(thread) : nullptr) {
        queue->Wake();
    }
    return position;
}

BOOL GetScrollInfo(HWND handle, int bar, LPSCROLLINFO info) {
    if (info == nullptr || info->cbSize != sizeof(SCROLLINFO) ||
        (bar != SB_HORZ && bar != SB_VERT) || (info->fMask & SIF_ALL) == 0) {
        return FALSE;
    }
    return ReadWindow(handle, FALSE, [&](WindowManager&, WindowObject& window) {
        const ScrollBarState& state = window.scrollBars[bar];
        if ((info->fMask & SIF_RANGE) != 0) {
            info->nMin = state.min;
            info->nMax = state.max;
        }
        if ((info->fMask & SIF_PAGE) != 0) {
            info->nPage = static_cast<UINT>(state.page);
        }
        if ((info->fMask & SIF_POS) != 0) {
            info->nPos = state.pos;
        }
        if ((info->fMask & SIF_TRACKPOS) != 0) {
            info->nTrackPos = state.tracking ? state.trackPos : state.pos;
        }
        return TRUE;
    });
}
