// The pieces that scroll bars and trackbars are drawn from, in the device's style.
#pragma once

#include <platform/window.h>

enum class ArrowDirection { Up, Down, Left, Right };

// A square button with a black (gray when disabled) triangle pointing in direction; a pressed
// button is drawn dark with a white triangle.
void DrawArrowButton(HDC dc, const RECT& button, ArrowDirection direction, bool pressed,
                     bool enabled);
// A raised box of the button face with a dark outline and a light inner edge (the thumb); a held
// box is drawn one shade darker.
void DrawRaisedBox(HDC dc, const RECT& box, bool held);
// The dark line between a bar and the area it scrolls: along the left edge of a vertical bar,
// the top edge of a horizontal one.
void DrawFrameLine(HDC dc, const RECT& bar, bool vertical);
// A filled triangle pointing in direction, centred in area, size pixels from base to tip.
void DrawTriangle(HDC dc, const RECT& area, ArrowDirection direction, int size, COLORREF colour);
