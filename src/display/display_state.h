// The display state that InitDisplay fills in; read by the framebuffer stores.
#pragma once

#include <display/pixel_codec.h>

#include <platform/ddraw.h>

#include <memory>

struct DisplayState {
    IDirectDraw* directDraw = nullptr;
    IDirectDrawSurface* primary = nullptr;
    IDirectDrawClipper* clipper = nullptr;
    int width = 0;
    int height = 0;
    int pitch = 0;
    int xPitch = 0;
    int bitsPerPixel = 0;
    int redBits = 0;
    int greenBits = 0;
    int blueBits = 0;
    // 0 for 8-bit 3:3:2, 1 for 16-bit 5:6:5, 3 for 24-bit, 4 for 32-bit; -1 before any.
    int formatCode = -1;
    std::unique_ptr<PixelCodec> deviceCodec;
};

DisplayState& Display();
