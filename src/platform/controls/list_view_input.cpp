// The list view's stylus and keys: a tap selects a row, a tap on the row that was already
// selected activates it, a press-and-hold asks the parent for a context menu; the arrow keys move
// the selection and Return activates; the scroll bar at the right edge scrolls by its arrows, by
// a tap on its track and by dragging its thumb, each as WM_VSCROLL sent to the list itself.
#include "list_view_state.h"

#include <algorithm>
#include <cstdint>

namespace {

void SendScroll(HWND list, WORD request, int position = 0) {
    if (ListViewState* state = ListStateOf(list); state != nullptr && position != 0) {
        state->thumbReport = position;
    }
    SendMessageW(list, WM_VSCROLL, MAKEWPARAM(request, position), 0);
    if (ListViewState* state = ListStateOf(list)) {
        state->thumbReport = -1;
    }
}

// The row the thumb points at when its top edge is at y.
int TopForThumb(HWND list, ListViewState& state, int thumbTop) {
    RECT bar = ListScrollBarRect(list, state);
    RECT thumb = ListThumbRect(list, state);
    int arrow = bar.right - bar.left;
    int travel = (bar.bottom - arrow) - (bar.top + arrow) - (thumb.bottom - thumb.top);
    int maxTop = ListMaxTop(list, state);
    if (travel <= 0) {
        return state.top;
    }
    std::int64_t offset = std::clamp(thumbTop - (bar.top + arrow), 0, travel);
    return static_cast<int>((offset * maxTop + travel / 2) / travel);
}

void PressScrollBar(HWND list, ListViewState& state, POINT point) {
    RECT bar = ListScrollBarRect(list, state);
    RECT thumb = ListThumbRect(list, state);
    int arrow = bar.right - bar.left;
    WORD request;
    if (point.y < bar.top + arrow) {
        request = SB_LINEUP;
    } else if (point.y >= bar.bottom - arrow) {
        request = SB_LINEDOWN;
    } else if (point.y < thumb.top) {
        request = SB_PAGEUP;
    } else if (point.y >= thumb.bottom) {
        request = SB_PAGEDOWN;
    } else {
        state.press = ListPress::ScrollThumb;
        state.thumbGrab = point.y - thumb.top;
        state.trackedTop = state.top;
        SetCapture(list);
        return;
    }
    SendScroll(list, request);
    SendScroll(list, SB_ENDSCROLL);
}

void PressDown(HWND list, ListViewState& state, POINT point) {
    SetFocus(list);
    RECT bar = ListScrollBarRect(list, state);
    if (PtInRect(&bar, point)) {
        PressScrollBar(list, state, point);
        return;
    }
    int row = ListRowAt(list, state, point);
    if (row < 0) {
        RECT content = ListContentRect(list, state);
        if (point.y >= content.top + ListHeaderHeight(list)) {
            ListSetItemState(list, -1, 0, LVIS_SELECTED);  // a tap beside the rows
        }
        return;
    }
    state.press = ListPress::Row;
    state.pressedRow = row;
    state.pressedWasSelected = state.selected.count(row) != 0;
    state.held = false;
    SetCapture(list);
    // A press on a selected row keeps a multiple selection for a press-and-hold; the tap that
    // ends it selects that row alone.
    if (!state.pressedWasSelected) {
        ListSelectOnly(list, row);
    }
}

void Release(HWND list, ListViewState& state, POINT point) {
    ListPress press = state.press;
    int row = state.pressedRow;
    bool tapOnSelected = state.pressedWasSelected && !state.held;
    bool held = state.held;
    int trackedTop = state.trackedTop;
    state.press = ListPress::None;
    if (GetCapture() == list) {
        ReleaseCapture();
    }
    if (press == ListPress::ScrollThumb) {
        SendScroll(list, SB_THUMBPOSITION, trackedTop);
        SendScroll(list, SB_ENDSCROLL);
        return;
    }
    if (press != ListPress::Row || held || ListRowAt(list, state, point) != row) {
        return;
    }
    if (tapOnSelected && ListSelectOnly(list, row)) {
        POINT at = point;
        ListNotifyActivate(list, row, at);
    }
}

void Drag(HWND list, ListViewState& state, POINT point) {
    if (state.press != ListPress::ScrollThumb) {
        return;
    }
    int top = TopForThumb(list, state, point.y - state.thumbGrab);
    if (top != state.trackedTop) {
        state.trackedTop = top;
        SendScroll(list, SB_THUMBTRACK, top);
    }
}

void Key(HWND list, ListViewState& state, WPARAM key) {
    int count = ListCount(list, state);
    int current = state.focused >= 0        ? state.focused
                  : !state.selected.empty() ? *state.selected.begin()
                                            : -1;
    int page = ListRowsPerPage(list, state);
    int next;
    switch (key) {
        case VK_UP:
            next = current < 0 ? 0 : current - 1;
            break;
        case VK_DOWN:
            next = current + 1;
            break;
        case VK_PRIOR:
            next = current - page;
            break;
        case VK_NEXT:
            next = current < 0 ? page - 1 : current + page;
            break;
        case VK_HOME:
            next = 0;
            break;
        case VK_END:
            next = count - 1;
            break;
        case VK_RETURN:
            if (current >= 0) {
                RECT row{};
                ListRowRect(list, state, current, &row);
                ListNotifyActivate(list, current, {row.left, row.top});
            } else {
                ForwardDialogKey(list, key);
            }
            return;
        default:
            ForwardDialogKey(list, key);
            return;
    }
    if (count == 0) {
        return;
    }
    next = std::clamp(next, 0, count - 1);
    if (next != current || state.selected.count(next) == 0 || state.selected.size() > 1) {
        ListSelectOnly(list, next);
    } else {
        ListEnsureVisible(list, state, next);
    }
}

}  // namespace

LRESULT ListHandleInput(HWND list, UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
    ListViewState* state = ListStateOf(list);
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    *handled = true;
    switch (message) {
        case WM_LBUTTONDOWN:
            PressDown(list, *state, point);
            return 0;
        case WM_MOUSEMOVE:
            Drag(list, *state, point);
            return 0;
        case WM_LBUTTONUP:
            Release(list, *state, point);
            return 0;
        case WM_CAPTURECHANGED:
            if (state->press == ListPress::ScrollThumb) {
                SendScroll(list, SB_ENDSCROLL);
            }
            state->press = ListPress::None;
            return 0;
        case WM_CONTEXTMENU:
            // A press-and-hold: its release is no tap. The parent hears of it (default handling).
            if (state->press == ListPress::ScrollThumb) {
                return 0;
            }
            state->held = true;
            *handled = false;
            return 0;
        case WM_KEYDOWN:
            Key(list, *state, wParam);
            return 0;
        default:
            *handled = false;
            return 0;
    }
}
