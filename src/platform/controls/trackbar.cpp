// The trackbar: a raised thumb on a sunken channel, tick marks beside it (below a horizontal
// bar, right of a vertical one) at the minimum, the maximum and every tick set. The stylus drags
// the thumb (TB_THUMBTRACK at each new position, TB_THUMBPOSITION where it is let go) or, on the
// channel, moves it a page towards the stylus; the arrow, page, Home and End keys move it too.
// Every action ends with TB_ENDTRACK.
#include "control_state.h"

#include <platform_internal/filled_paint.h>
#include <platform_internal/scroll_drawing.h>

#include <platform/device_screen.h>
#include <platform/trackbar.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

struct TrackbarState {
    int min = 0;
    int max = 100;
    int pos = 0;
    int page = 20;           // a fifth of the range
    std::vector<int> ticks;  // set with TBM_SETTIC, in order
    bool dragging = false;
    int grab = 0;  // from the thumb's centre to where the stylus took it
};

ControlStates<TrackbarState> states;

int Scaled(int logical) {
    return (logical * CurrentDeviceScreen().dpi + 48) / 96;
}

bool Vertical(HWND window) {
    return (static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) & TBS_VERT) != 0;
}

// The trackbar's geometry with "along" the bar's axis and "across" it.
struct Layout {
    bool vertical = false;
    int channelStart = 0, channelEnd = 0;  // where the thumb's centre may go
    int thumbLength = 0, thumbThickness = 0, thumbAcross = 0;
    int tickAcross = 0, tickLength = 0;

    RECT Box(int alongStart, int alongEnd, int acrossStart, int acrossEnd) const {
        return vertical ? RECT{acrossStart, alongStart, acrossEnd, alongEnd}
                        : RECT{alongStart, acrossStart, alongEnd, acrossEnd};
    }
    int Along(POINT point) const { return vertical ? point.y : point.x; }
};

Layout LayoutOf(HWND window) {
    Layout layout;
    layout.vertical = Vertical(window);
    RECT client;
    GetClientRect(window, &client);
    int along = layout.vertical ? client.bottom : client.right;
    int across = layout.vertical ? client.right : client.bottom;
    layout.thumbLength = std::clamp(Scaled(11), 1, std::max(along / 2, 1));
    int margin = layout.thumbLength / 2 + Scaled(2);
    layout.channelStart = margin;
    layout.channelEnd = std::max(along - margin, margin);
    layout.tickLength = Scaled(3);
    int tickSpace = layout.tickLength + Scaled(3);
    layout.thumbThickness = std::clamp(across - tickSpace - Scaled(4), 4, Scaled(19));
    layout.thumbAcross = std::max((across - layout.thumbThickness - tickSpace) / 2, 0);
    layout.tickAcross = layout.thumbAcross + layout.thumbThickness + Scaled(2);
    return layout;
}

int CentreOf(const Layout& layout, const TrackbarState& state, int position) {
    int span = layout.channelEnd - layout.channelStart;
    if (state.max <= state.min) {
        return layout.channelStart;
    }
    return layout.channelStart + static_cast<int>(static_cast<long long>(position - state.min) *
                                                  span / (state.max - state.min));
}

int PositionAt(const Layout& layout, const TrackbarState& state, int along) {
    int span = layout.channelEnd - layout.channelStart;
    if (span <= 0) {
        return state.min;
    }
    long long moved = std::clamp(along - layout.channelStart, 0, span);
    return state.min + static_cast<int>((moved * (state.max - state.min) + span / 2) / span);
}

RECT ThumbRect(const Layout& layout, const TrackbarState& state) {
    int centre = CentreOf(layout, state, state.pos);
    int start = centre - layout.thumbLength / 2;
    return layout.Box(start, start + layout.thumbLength, layout.thumbAcross,
                      layout.thumbAcross + layout.thumbThickness);
}

void Paint(HWND window, const TrackbarState& state) {
    PAINTSTRUCT paint;
    RECT client;
    HDC dc = BeginFilledPaint(window, paint, client, COLOR_WINDOW);
    Layout layout = LayoutOf(window);
    int middle = layout.thumbAcross + layout.thumbThickness / 2;
    int groove = Scaled(2);
    RECT channel = layout.Box(layout.channelStart - Scaled(2), layout.channelEnd + Scaled(2),
                              middle - groove, middle + groove);
    FillRect(dc, &channel, GetSysColorBrush(COLOR_BTNSHADOW));
    InflateRect(&channel, -1, -1);
    FillRect(dc, &channel, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
    std::vector<int> marks = state.ticks;
    marks.push_back(state.min);
    marks.push_back(state.max);
    for (int mark : marks) {
        int at = CentreOf(layout, state, mark);
        RECT tick =
            layout.Box(at, at + 1, layout.tickAcross, layout.tickAcross + layout.tickLength);
        FillRect(dc, &tick, GetSysColorBrush(COLOR_WINDOWTEXT));
    }
    DrawRaisedBox(dc, ThumbRect(layout, state), state.dragging);
    EndPaint(window, &paint);
}

void Notify(HWND window, WORD code, int position = 0) {
    HWND parent = GetParent(window);
    if (parent != nullptr) {
        SendMessageW(parent, Vertical(window) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, position),
                     reinterpret_cast<LPARAM>(window));
    }
}

void MoveTo(HWND window, TrackbarState& state, int position) {
    position = std::clamp(position, state.min, state.max);
    if (position != state.pos) {
        state.pos = position;
        InvalidateRect(window, nullptr, TRUE);
    }
}

// A key that moves the thumb: its code and the position it asks for; false for other keys.
bool KeyMove(WPARAM key, const TrackbarState& state, WORD* code, int* position) {
    switch (key) {
        case VK_LEFT:
        case VK_UP:
            *code = TB_LINEUP, *position = state.pos - 1;
            return true;
        case VK_RIGHT:
        case VK_DOWN:
            *code = TB_LINEDOWN, *position = state.pos + 1;
            return true;
        case VK_PRIOR:
            *code = TB_PAGEUP, *position = state.pos - state.page;
            return true;
        case VK_NEXT:
            *code = TB_PAGEDOWN, *position = state.pos + state.page;
            return true;
        case VK_HOME:
            *code = TB_TOP, *position = state.min;
            return true;
        case VK_END:
            *code = TB_BOTTOM, *position = state.max;
            return true;
        default:
            return false;
    }
}

void PressAt(HWND window, TrackbarState& state, POINT point) {
    // Focus only inside the active window: a trackbar on a tool bar that never activates leaves
    // the keys with the window they were going to.
    HWND top = window;
    while (GetParent(top) != nullptr) {
        top = GetParent(top);
    }
    if (top == GetForegroundWindow()) {
        SetFocus(window);
    }
    SetCapture(window);
    Layout layout = LayoutOf(window);
    RECT thumb = ThumbRect(layout, state);
    if (PtInRect(&thumb, point)) {
        state.dragging = true;
        state.grab = layout.Along(point) - CentreOf(layout, state, state.pos);
        InvalidateRect(window, nullptr, TRUE);
        return;
    }
    bool before = layout.Along(point) < CentreOf(layout, state, state.pos);
    MoveTo(window, state, before ? state.pos - state.page : state.pos + state.page);
    Notify(window, before ? TB_PAGEUP : TB_PAGEDOWN);
}

void SetRange(HWND window, TrackbarState& state, int min, int max, bool redraw) {
    state.min = min;
    state.max = std::max(min, max);
    state.page = std::max((state.max - state.min) / 5, 1);
    state.pos = std::clamp(state.pos, state.min, state.max);
    if (redraw) {
        InvalidateRect(window, nullptr, TRUE);
    }
}

}  // namespace

LRESULT TrackbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TrackbarState& state = states.Of(window);
    switch (message) {
        case WM_PAINT:
            Paint(window, state);
            return 0;
        case WM_LBUTTONDOWN:
            PressAt(window, state, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        case WM_MOUSEMOVE:
            if (state.dragging && GetCapture() == window) {
                Layout layout = LayoutOf(window);
                int along = layout.Along({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
                int position = PositionAt(layout, state, along - state.grab);
                if (position != state.pos) {
                    MoveTo(window, state, position);
                    Notify(window, TB_THUMBTRACK, state.pos);
                }
            }
            return 0;
        case WM_LBUTTONUP:
            if (GetCapture() == window) {
                // The parent may destroy the trackbar when told: nothing of it is touched after.
                ReleaseCapture();
                bool dragged = std::exchange(state.dragging, false);
                int position = state.pos;
                InvalidateRect(window, nullptr, TRUE);
                if (dragged) {
                    Notify(window, TB_THUMBPOSITION, position);
                }
                Notify(window, TB_ENDTRACK);
            }
            return 0;
        case WM_KEYDOWN: {
            WORD code;
            int position;
            if (KeyMove(wParam, state, &code, &position)) {
                MoveTo(window, state, position);
                Notify(window, code);
            } else {
                ForwardDialogKey(window, wParam);
            }
            return 0;
        }
        case WM_KEYUP: {
            WORD code;
            int position;
            if (KeyMove(wParam, state, &code, &position)) {
                Notify(window, TB_ENDTRACK);
            }
            return 0;
        }
        case TBM_GETPOS:
            return state.pos;
        case TBM_GETRANGEMIN:
            return state.min;
        case TBM_GETRANGEMAX:
            return state.max;
        case TBM_SETPOS:
            MoveTo(window, state, static_cast<int>(lParam));
            return 0;
        case TBM_SETRANGE:
            SetRange(window, state, static_cast<short>(LOWORD(static_cast<std::uintptr_t>(lParam))),
                     static_cast<short>(HIWORD(static_cast<std::uintptr_t>(lParam))), wParam != 0);
            return 0;
        case TBM_SETTIC: {
            int tick = static_cast<int>(lParam);
            if (tick < state.min || tick > state.max) {
                return FALSE;
            }
            state.ticks.insert(std::upper_bound(state.ticks.begin(), state.ticks.end(), tick),
                               tick);
            InvalidateRect(window, nullptr, TRUE);
            return TRUE;
        }
        case TBM_CLEARTICS:
            state.ticks.clear();
            if (wParam != 0) {
                InvalidateRect(window, nullptr, TRUE);
            }
            return 0;
        case TBM_GETNUMTICS:
            return static_cast<LRESULT>(state.ticks.size()) + 2;
        case TBM_GETTIC:
            return wParam < state.ticks.size() ? state.ticks[wParam] : -1;
        case WM_NCDESTROY:
            states.Forget(window);
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
