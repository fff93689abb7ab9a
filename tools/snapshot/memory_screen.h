// A SnapshotScreen in ordinary memory: every pixel is kept as the colour that the device's codec
// for the chosen format reads from it (3:3:2 levels 0, 36, ... 255; 5:6:5 fields shifted up with
// zero low bits; 8:8:8 exact), which is what a device screen of that same format shows.
#pragma once

#include "snapshot_screen.h"

#include <mutex>

class MemoryScreen : public SnapshotScreen {
  public:
    bool SetSize(int width, int height) override;
    void SetPixelFormat(int bitsPerPixel, int redBits, int greenBits, int blueBits) override;
    void PutImage(int x, int y, int w, int h, const BYTE* pixels) override;
    void CopyRect(int x, int y, int srcX, int srcY, int w, int h) override;
    void FillRect(int x, int y, int w, int h, const BYTE* pixel) override;
    int Width() const override;
    int Height() const override;
    std::vector<std::uint8_t> CaptureRgb() const override;

  private:
    std::uint32_t ReadColour(const BYTE* pixel) const;  // 0x00BBGGRR
    // The part of (x, y, w, h) inside the screen; false when nothing is left.
    bool Clip(int& x, int& y, int& w, int& h) const;

    mutable std::mutex lock_;
    int width_ = 0;
    int height_ = 0;
    int bitsPerPixel_ = 16;
    std::vector<std::uint32_t> colours_;
};
