// Drawing a window's frame: the one-pixel border of a top-level window with WS_BORDER, and the
// scroll bars in the device's style: square arrow buttons at both ends, a light track, a raised
// thumb as long as the page is against the range.
#include <platform_internal/dc_object.h>
#include <platform_internal/scroll_bars.h>
#include <platform_internal/scroll_drawing.h>

#include <vector>

namespace {

struct FrameToDraw {
    HWND window = nullptr;
    std::shared_ptr<WindowSurface> surface;
    POINT origin{};
    RECT clip{};
    bool shown[2] = {false, false};
    ScrollBarLayout layouts[2];
    ScrollBarState states[2];
    RECT corner{};   // the square between two shown bars
    RECT outline{};  // the whole window on its surface, when it has a border
    int border = 0;  // the border's width
};

std::vector<FrameToDraw> TakeDirtyFrames(DWORD thread) {
    std::vector<FrameToDraw> frames;
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    manager.windows.ForEach([&](WindowObject* window) {
        if (!window->frameDirty || window->thread != thread) {
            return;
        }
        window->frameDirty = false;
        WindowObject* top = manager.TopLevelOf(window);
        if (!manager.IsShown(window) || top == nullptr || !top->surface ||
            ((window->style & (WS_HSCROLL | WS_VSCROLL)) == 0 && window->Border() == 0)) {
            return;
        }
        FrameToDraw frame;
        frame.window = window->handle;
        frame.surface = top->surface;
        frame.border = window->Border();
        if (frame.border != 0) {
            frame.outline = {0, 0, window->rect.right - window->rect.left,
                             window->rect.bottom - window->rect.top};
        }
        frame.origin = manager.SurfaceOrigin(window);
        frame.clip = manager.FrameOnSurface(window);
        for (int bar : {SB_HORZ, SB_VERT}) {
            frame.shown[bar] = ScrollBarShown(*window, bar);
            frame.layouts[bar] = LayoutScrollBar(*window, bar);
            frame.states[bar] = window->scrollBars[bar];
        }
        if (frame.shown[SB_HORZ] && frame.shown[SB_VERT]) {
            frame.corner = {frame.layouts[SB_VERT].bar.left, frame.layouts[SB_HORZ].bar.top,
                            frame.layouts[SB_VERT].bar.right, frame.layouts[SB_HORZ].bar.bottom};
        }
        frames.push_back(frame);
    });
    return frames;
}

// The rectangle of a stretch along the bar, from offset start for length pixels.
RECT Along(const ScrollBarLayout& layout, int start, int length) {
    RECT part = layout.bar;
    if (layout.vertical) {
        part.top += start;
        part.bottom = part.top + length;
    } else {
        part.left += start;
        part.right = part.left + length;
    }
    return part;
}

void DrawBar(HDC dc, const ScrollBarLayout& layout, const ScrollBarState& state) {
    RECT track = Along(layout, layout.arrow, layout.length - 2 * layout.arrow);
    FillRect(dc, &track, GetSysColorBrush(COLOR_SCROLLBAR));
    DrawFrameLine(dc, layout.bar, layout.vertical);
    bool enabled = !state.disabled && layout.hasThumb;
    RECT up = Along(layout, 0, layout.arrow);
    RECT down = Along(layout, layout.length - layout.arrow, layout.arrow);
    DrawArrowButton(dc, up, layout.vertical ? ArrowDirection::Up : ArrowDirection::Left,
                    state.pressed == kLineUpPart, enabled);
    DrawArrowButton(dc, down, layout.vertical ? ArrowDirection::Down : ArrowDirection::Right,
                    state.pressed == kLineDownPart, enabled);
    if (layout.hasThumb) {
        RECT thumb = Along(layout, layout.thumbStart, layout.thumbLength);
        DrawRaisedBox(dc, thumb, state.tracking);
    }
}

// A line of the border's width along each edge of the outline.
void DrawBorder(const FrameToDraw& frame) {
    HDC dc = CreateWindowDc(frame.window, frame.surface, {0, 0}, frame.outline);
    if (dc == nullptr) {
        return;
    }
    const RECT& r = frame.outline;
    int width = frame.border;
    RECT edges[4] = {{r.left, r.top, r.right, r.top + width},
                     {r.left, r.bottom - width, r.right, r.bottom},
                     {r.left, r.top, r.left + width, r.bottom},
                     {r.right - width, r.top, r.right, r.bottom}};
    for (const RECT& edge : edges) {
        FillRect(dc, &edge, GetSysColorBrush(COLOR_WINDOWFRAME));
    }
    DeleteDC(dc);
}

}  // namespace

void DrawDirtyScrollBars(DWORD thread) {
    for (FrameToDraw& frame : TakeDirtyFrames(thread)) {
        if (!IsRectEmpty(&frame.outline)) {
            DrawBorder(frame);
            MarkWindowSurfacesChanged();
        }
        if (!frame.shown[SB_HORZ] && !frame.shown[SB_VERT]) {
            continue;
        }
        HDC dc = CreateWindowDc(frame.window, frame.surface, frame.origin, frame.clip);
        if (dc == nullptr) {
            continue;
        }
        for (int bar : {SB_HORZ, SB_VERT}) {
            if (frame.shown[bar]) {
                DrawBar(dc, frame.layouts[bar], frame.states[bar]);
            }
        }
        if (!IsRectEmpty(&frame.corner)) {
            FillRect(dc, &frame.corner, GetSysColorBrush(COLOR_BTNFACE));
        }
        DeleteDC(dc);
        MarkWindowSurfacesChanged();
    }
}
