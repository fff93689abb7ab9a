#include <platform_internal/scroll_drawing.h>

#include <algorithm>

namespace {

void Fill(HDC dc, RECT rect, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void Outline(HDC dc, const RECT& box, COLORREF colour) {
    Fill(dc, {box.left, box.top, box.right, box.top + 1}, colour);
    Fill(dc, {box.left, box.bottom - 1, box.right, box.bottom}, colour);
    Fill(dc, {box.left, box.top, box.left + 1, box.bottom}, colour);
    Fill(dc, {box.right - 1, box.top, box.right, box.bottom}, colour);
}

}  // namespace

void DrawTriangle(HDC dc, const RECT& area, ArrowDirection direction, int size, COLORREF colour) {
    int cx = (area.left + area.right) / 2, cy = (area.top + area.bottom) / 2;
    bool vertical = direction == ArrowDirection::Up || direction == ArrowDirection::Down;
    bool towardsStart = direction == ArrowDirection::Up || direction == ArrowDirection::Left;
    // Row d (0 at the tip) is 2d + 1 pixels wide; the triangle is centred on its middle row.
    int tip = (vertical ? cy : cx) + (towardsStart ? -size / 2 : size / 2);
    for (int d = 0; d < size; ++d) {
        int across = towardsStart ? tip + d : tip - d;
        RECT row = vertical ? RECT{cx - d, across, cx + d + 1, across + 1}
                            : RECT{across, cy - d, across + 1, cy + d + 1};
        Fill(dc, row, colour);
    }
}

void DrawArrowButton(HDC dc, const RECT& button, ArrowDirection direction, bool pressed,
                     bool enabled) {
    Fill(dc, button, GetSysColor(pressed ? COLOR_BTNSHADOW : COLOR_BTNFACE));
    Outline(dc, button, GetSysColor(COLOR_WINDOWFRAME));
    int side = std::min(button.right - button.left, button.bottom - button.top);
    COLORREF colour = !enabled  ? GetSysColor(COLOR_GRAYTEXT)
                      : pressed ? GetSysColor(COLOR_BTNHIGHLIGHT)
                                : GetSysColor(COLOR_BTNTEXT);
    DrawTriangle(dc, button, direction, std::max(side / 3, 2), colour);
}

void DrawRaisedBox(HDC dc, const RECT& box, bool held) {
    Fill(dc, box, GetSysColor(held ? COLOR_BTNSHADOW : COLOR_BTNFACE));
    RECT inner = box;
    InflateRect(&inner, -1, -1);
    if (!IsRectEmpty(&inner)) {
        Fill(dc, {inner.left, inner.top, inner.right, inner.top + 1},
             GetSysColor(COLOR_BTNHIGHLIGHT));
        Fill(dc, {inner.left, inner.top, inner.left + 1, inner.bottom},
             GetSysColor(COLOR_BTNHIGHLIGHT));
    }
    Outline(dc, box, GetSysColor(COLOR_WINDOWFRAME));
}

void DrawFrameLine(HDC dc, const RECT& bar, bool vertical) {
    RECT line = vertical ? RECT{bar.left, bar.top, bar.left + 1, bar.bottom}
                         : RECT{bar.left, bar.top, bar.right, bar.top + 1};
    Fill(dc, line, GetSysColor(COLOR_WINDOWFRAME));
}
