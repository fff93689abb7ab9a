// A listener for the fuzz targets: draws into a clipped framebuffer and checks every pointer it
// is given by touching the bytes, so that the sanitizers see any read past a buffer.
#pragma once

#include "test_framebuffer.h"

#include <rfb/session_listener.h>

#include <algorithm>

class FuzzListener : public SessionListener {
  public:
    FuzzListener(int width, int height, int bytesPerPixel) : framebuffer(width, height) {
        framebuffer.SetBytesPerPixel(bytesPerPixel);
        bytesPerPixel_ = bytesPerPixel;
    }
    void OnServerInit(const WCHAR* name, int, int, const PixelFormat&) override {
        while (*name != 0) {
            checksum_ += *name++;
        }
    }
    void OnBell() override {}
    void OnServerCutText(const WCHAR* text, int length) override {
        for (int i = 0; i <= length; ++i) {
            checksum_ += text[i];
        }
    }
    void OnProtocolError(int code) override { checksum_ += static_cast<unsigned>(code); }
    // A real viewer fails to allocate a huge framebuffer; this one stays small.
    void OnDesktopResize(int width, int height) override {
        framebuffer.Resize(std::min(width, 512), std::min(height, 512));
    }
    void OnCursorShape(int, int, int width, int height, const BYTE* pixels,
                       const BYTE* mask) override {
        std::size_t pixelBytes = static_cast<std::size_t>(width) * height * bytesPerPixel_;
        std::size_t maskBytes = static_cast<std::size_t>((width + 7) / 8) * height;
        for (std::size_t i = 0; i < pixelBytes; ++i) {
            checksum_ += pixels[i];
        }
        for (std::size_t i = 0; i < maskBytes; ++i) {
            checksum_ += mask[i];
        }
    }
    void OnImageRect(int x, int y, int width, int height, const BYTE* pixels) override {
        if (width > 0 && height > 0) {
            // The last pixel of the block must be readable.
            checksum_ += framebuffer.Read(pixels + (static_cast<std::size_t>(width) * height - 1) *
                                                       bytesPerPixel_);
        }
        framebuffer.PutImage(x, y, width, height, pixels);
    }
    void OnCopyRect(int x, int y, int srcX, int srcY, int width, int height) override {
        framebuffer.Copy(x, y, srcX, srcY, width, height);
    }
    void OnFillRect(int x, int y, int width, int height, const BYTE* pixel) override {
        framebuffer.Fill(x, y, width, height, pixel);
    }
    void OnUpdateComplete() override { ++updates_; }

    TestFrameBuffer framebuffer;

  private:
    int bytesPerPixel_;
    unsigned checksum_ = 0;
    int updates_ = 0;
};
