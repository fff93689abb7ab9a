// The trackbar control ("msctls_trackbar32"): a thumb on a channel between a minimum and a
// maximum, with tick marks. The stylus and the keys move it; each move is reported to the parent
// as WM_HSCROLL (WM_VSCROLL for TBS_VERT) with a TB_ code in the low word of wParam (the position
// in the high word for TB_THUMBTRACK and TB_THUMBPOSITION) and the trackbar in lParam.
#pragma once

#include <platform/window.h>

inline LPCWSTR const TRACKBAR_CLASS = u"msctls_trackbar32";

constexpr DWORD TBS_HORZ = 0x0000;
constexpr DWORD TBS_VERT = 0x0002;

constexpr UINT TBM_GETPOS = WM_USER;
constexpr UINT TBM_GETRANGEMIN = WM_USER + 1;
constexpr UINT TBM_GETRANGEMAX = WM_USER + 2;
constexpr UINT TBM_GETTIC = WM_USER + 3;  // wParam: index among the set ticks; -1 if none
constexpr UINT TBM_SETTIC = WM_USER + 4;  // lParam: a position within the range; FALSE outside
constexpr UINT TBM_SETPOS = WM_USER + 5;  // wParam: redraw; lParam: kept within the range
// wParam: redraw; lParam: the minimum in its low word, the maximum in its high word (signed)
constexpr UINT TBM_SETRANGE = WM_USER + 6;
constexpr UINT TBM_CLEARTICS = WM_USER + 9;    // wParam: redraw
constexpr UINT TBM_GETNUMTICS = WM_USER + 16;  // the set ticks and the two at the ends

constexpr WORD TB_LINEUP = 0;
constexpr WORD TB_LINEDOWN = 1;
constexpr WORD TB_PAGEUP = 2;
constexpr WORD TB_PAGEDOWN = 3;
constexpr WORD TB_THUMBPOSITION = 4;
constexpr WORD TB_THUMBTRACK = 5;
constexpr WORD TB_TOP = 6;
constexpr WORD TB_BOTTOM = 7;
constexpr WORD TB_ENDTRACK = 8;
