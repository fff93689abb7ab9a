// Where tavrel-snapshot draws the remote screen: a headless device display whose screen has the
// pixel format asked of the server, and a FrameBufferStore on it, so that the pixels go the way
// the viewer's do.
#pragma once

#include <platform/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class DisplayInfo;
class FrameBufferStore;

class DeviceFrameBuffer {
  public:
    // bitsPerPixel 8 (3:3:2), 16 (5:6:5) or 32 (8:8:8).
    explicit DeviceFrameBuffer(int bitsPerPixel);
    ~DeviceFrameBuffer();
    DeviceFrameBuffer(const DeviceFrameBuffer&) = delete;
    DeviceFrameBuffer& operator=(const DeviceFrameBuffer&) = delete;

    // False when the framebuffer cannot be had at that size.
    bool SetSize(int width, int height);
    void SetPixelFormat(int bitsPerPixel, int redBits, int greenBits, int blueBits);
    void PutImage(int x, int y, int w, int h, const BYTE* pixels);
    // PutImage of pixels as the server sent them (bigEndian: each pixel's bytes reversed).
    void PutImageAsSent(int x, int y, int w, int h, const BYTE* pixels, bool bigEndian);
    void CopyRect(int x, int y, int srcX, int srcY, int w, int h);
    void FillRect(int x, int y, int w, int h, const BYTE* pixel);
    // Painting straight into the framebuffer, as FrameBufferStore's BeginDirect and EndDirect.
    bool BeginDirect(int x, int y, int w, int h, int bytesPerPixel, BYTE** at, int* stride,
                     std::uint32_t* setBits);
    void EndDirect();
    int Width() const;
    int Height() const;
    // Width x height x 3 bytes, red first.
    std::vector<std::uint8_t> CaptureRgb() const;
    // The whole framebuffer as a PNG file (see WritePngFile); false when it cannot be written.
    bool WritePng(const std::string& path) const;

  private:
    std::unique_ptr<DisplayInfo> display_;
    std::unique_ptr<FrameBufferStore> store_;
};
