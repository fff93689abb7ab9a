// Where the list view's parts lie: border, header, rows, and the scroll bar at the right edge
// that appears when the rows do not fit.
#include "list_view_state.h"

#include <platform/device_screen.h>

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

bool HasBorder(HWND list) {
    return (GetWindowLongW(list, GWL_STYLE) & WS_BORDER) != 0;
}

RECT InnerRect(HWND list) {
    RECT inner;
    GetClientRect(list, &inner);
    if (HasBorder(list)) {
        InflateRect(&inner, -1, -1);
    }
    inner.right = std::max(inner.right, inner.left);
    inner.bottom = std::max(inner.bottom, inner.top);
    return inner;
}

int ClampToInt(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN / 2, INT_MAX / 2));
}

// The rows' area: the content below the header.
RECT RowsRect(HWND list, ListViewState& state) {
    RECT rows = ListContentRect(list, state);
    rows.top = std::min(rows.top + ListHeaderHeight(list), rows.bottom);
    return rows;
}

int FullRowsIn(HWND list, ListViewState& state, const RECT& rows) {
    return (rows.bottom - rows.top) / ListRowHeight(list, state);
}

}  // namespace

int ScaledLength(int logical) {
    return (logical * CurrentDeviceScreen().dpi + 48) / 96;
}

int ListCount(HWND list, const ListViewState& state) {
    return (GetWindowLongW(list, GWL_STYLE) & LVS_OWNERDATA) != 0
               ? state.virtualCount
               : static_cast<int>(state.rows.size());
}

int ListRowHeight(HWND list, ListViewState& state) {
    if ((GetWindowLongW(list, GWL_STYLE) & LVS_OWNERDRAWFIXED) != 0 && state.measuredHeight > 0) {
        return std::min(state.measuredHeight, kMaxRowHeight);
    }
    if (state.textHeight == 0) {
        HDC dc = GetDC(list);
        HGDIOBJ previous = SelectControlFont(dc, state.font);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, previous);
        ReleaseDC(list, dc);
        state.textHeight = std::max<int>(metrics.tmHeight, 1);
    }
    int imageHeight = 0;
    int imageWidth = 0;
    if (state.smallImages != nullptr) {
        ImageList_GetIconSize(state.smallImages, &imageWidth, &imageHeight);
    }
    return std::clamp(std::max(state.textHeight + ScaledLength(4), imageHeight), 1, kMaxRowHeight);
}

int ListHeaderHeight(HWND list) {
    DWORD style = GetWindowLongW(list, GWL_STYLE);
    if ((style & LVS_NOCOLUMNHEADER) != 0 || (style & LVS_TYPEMASK) != LVS_REPORT) {
        return 0;
    }
    return ScaledLength(18);
}

bool ListNeedsScrollBar(HWND list, ListViewState& state) {
    RECT inner = InnerRect(list);
    int height = inner.bottom - inner.top - ListHeaderHeight(list);
    return static_cast<std::int64_t>(ListCount(list, state)) * ListRowHeight(list, state) > height;
}

RECT ListScrollBarRect(HWND list, ListViewState& state) {
    RECT inner = InnerRect(list);
    if (!ListNeedsScrollBar(list, state)) {
        return {inner.right, inner.top, inner.right, inner.bottom};
    }
    int width = std::min<int>(GetSystemMetrics(SM_CXVSCROLL), inner.right - inner.left);
    return {inner.right - width, inner.top, inner.right, inner.bottom};
}

RECT ListContentRect(HWND list, ListViewState& state) {
    RECT content = InnerRect(list);
    content.right = ListScrollBarRect(list, state).left;
    return content;
}

RECT ListThumbRect(HWND list, ListViewState& state) {
    RECT bar = ListScrollBarRect(list, state);
    int arrow = bar.right - bar.left;
    int trackTop = bar.top + arrow;
    int track = bar.bottom - arrow - trackTop;
    int count = ListCount(list, state);
    int maxTop = ListMaxTop(list, state);
    if (track <= 0 || count == 0) {
        return {bar.left, trackTop, bar.right, trackTop};
    }
    int page = ListRowsPerPage(list, state);
    int thumb = std::clamp(static_cast<int>(static_cast<std::int64_t>(track) * page / count),
                           std::min(ScaledLength(10), track), track);
    int offset = maxTop == 0 ? 0
                             : static_cast<int>(static_cast<std::int64_t>(track - thumb) *
                                                std::min(state.top, maxTop) / maxTop);
    return {bar.left, trackTop + offset, bar.right, trackTop + offset + thumb};
}

int ListRowsPerPage(HWND list, ListViewState& state) {
    return std::max(FullRowsIn(list, state, RowsRect(list, state)), 1);
}

int ListMaxTop(HWND list, ListViewState& state) {
    return std::max(ListCount(list, state) - ListRowsPerPage(list, state), 0);
}

bool ListRowRect(HWND list, ListViewState& state, int index, RECT* rect) {
    if (index < 0 || index >= ListCount(list, state)) {
        return false;
    }
    RECT rows = RowsRect(list, state);
    int height = ListRowHeight(list, state);
    int width = 0;
    for (const ListColumn& column : state.columns) {
        width += column.width;
    }
    if (state.columns.empty()) {
        width = rows.right - rows.left;
    }
    int top = ClampToInt(rows.top + static_cast<std::int64_t>(index - state.top) * height);
    *rect = {rows.left, top, rows.left + width,
             ClampToInt(static_cast<std::int64_t>(top) + height)};
    return true;
}

int ListRowAt(HWND list, ListViewState& state, POINT point) {
    RECT rows = RowsRect(list, state);
    if (!PtInRect(&rows, point)) {
        return -1;
    }
    int index = state.top + (point.y - rows.top) / ListRowHeight(list, state);
    RECT row;
    if (!ListRowRect(list, state, index, &row)) {
        return -1;
    }
    int right = row.right;
    if ((state.exStyle & LVS_EX_FULLROWSELECT) == 0 && !state.columns.empty()) {
        right = row.left + state.columns[0].width;  // without full-row select only the label
    }
    return point.x < right ? index : -1;
}
