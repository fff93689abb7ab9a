// The snapshot's screen: a headless device display whose screen has the pixel format asked of
// the server, and a FrameBufferStore on it, so that the pixels go the way the viewer's do.
#pragma once

#include "snapshot_screen.h"

#include <memory>

class DisplayInfo;
class FrameBufferStore;

class DeviceFrameBuffer : public SnapshotScreen {
  public:
    // bitsPerPixel 8 (3:3:2), 16 (5:6:5) or 32 (8:8:8).
    explicit DeviceFrameBuffer(int bitsPerPixel);
    ~DeviceFrameBuffer() override;

    bool SetSize(int width, int height) override;
    void SetPixelFormat(int bitsPerPixel, int redBits, int greenBits, int blueBits) override;
    void PutImage(int x, int y, int w, int h, const BYTE* pixels) override;
    void PutImageAsSent(int x, int y, int w, int h, const BYTE* pixels, bool bigEndian) override;
    void CopyRect(int x, int y, int srcX, int srcY, int w, int h) override;
    void FillRect(int x, int y, int w, int h, const BYTE* pixel) override;
    int Width() const override;
    int Height() const override;
    std::vector<std::uint8_t> CaptureRgb() const override;

  private:
    std::unique_ptr<DisplayInfo> display_;
    std::unique_ptr<FrameBufferStore> store_;
};
