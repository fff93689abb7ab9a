// How the device's own controls and windows start painting: the whole client area is filled with
// one system colour before anything is drawn on it.
#pragma once

#include <platform/window.h>

// BeginPaint, then client is set to the client area and filled with the system colour colourIndex
// (COLOR_WINDOW, COLOR_BTNFACE, ...). End with EndPaint as usual.
HDC BeginFilledPaint(HWND window, PAINTSTRUCT& paint, RECT& client, int colourIndex);
