// The device screen as it stands, read without composing the windows: for tests of what
// DirectDraw and the framebuffer put on it, and of how colours come out in its pixel format.
#pragma once

#include <platform/types.h>

#include <cstdint>

// The screen pixel's value in the screen's format (0xFFFFFFFF outside the screen).
std::uint32_t ScreenPixelValue(int x, int y);
// True when the screen's pixels changed since the last call (what makes a host show them).
bool TakeScreenChanged();
// A colour's pixel value in the screen's format, and the colour that pixel shows.
std::uint32_t DevicePixelValue(COLORREF colour);
COLORREF ShownColour(COLORREF colour);
