// Where tavrel-snapshot draws the remote screen: the framebuffer operations the session's
// listener needs, and an RGB copy for the PNG.
#pragma once

#include <platform/types.h>

#include <cstdint>
#include <vector>

class SnapshotScreen {
  public:
    virtual ~SnapshotScreen() = default;
    // False when the framebuffer cannot be had at that size.
    virtual bool SetSize(int width, int height) = 0;
    virtual void SetPixelFormat(int bitsPerPixel, int redBits, int greenBits, int blueBits) = 0;
    virtual void PutImage(int x, int y, int w, int h, const BYTE* pixels) = 0;
    // PutImage of pixels as the server sent them (bigEndian: each pixel's bytes reversed).
    virtual void PutImageAsSent(int x, int y, int w, int h, const BYTE* pixels, bool bigEndian) = 0;
    virtual void CopyRect(int x, int y, int srcX, int srcY, int w, int h) = 0;
    virtual void FillRect(int x, int y, int w, int h, const BYTE* pixel) = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Width x height x 3 bytes, red first.
    virtual std::vector<std::uint8_t> CaptureRgb() const = 0;
};
