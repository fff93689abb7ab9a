// The race's framebuffer: a 16-bit 5:6:5 device surface behind a lock, written the way the
// framebuffer store does (server pixel read by the server format's codec, written by the device
// codec). Server and device formats are both 5:6:5 here, so a row is a straight copy.
#pragma once

#include <rfb/session_listener.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

class DeviceSurface16 : public SessionListener {
public:
    void OnServerInit(const WCHAR*, int width, int height, const PixelFormat&) override { Resize(width, height); }
    void OnBell() override {}
    void OnServerCutText(const WCHAR*, int) override {}
    void OnProtocolError(int) override {}
    void OnDesktopResize(int width, int height) override { Resize(width, height); }
    void OnCursorShape(int, int, int, int, const BYTE*, const BYTE*) override {}
    void OnImageRect(int x, int y, int w, int h, const BYTE* pixels) override {
        std::lock_guard lock(lock_);
        int columns = std::min(w, width_ - x);
        for (int r = 0; r < h && y + r < height_; ++r) {
            if (columns > 0) {
                std::memcpy(&surface_[static_cast<std::size_t>(y + r) * width_ + x],
                            pixels + static_cast<std::size_t>(r) * w * 2, static_cast<std::size_t>(columns) * 2);
            }
        }
    }
    void OnCopyRect(int x, int y, int srcX, int srcY, int w, int h) override {
        std::lock_guard lock(lock_);
        w = std::min({w, width_ - x, width_ - srcX});
        h = std::min({h, height_ - y, height_ - srcY});
        for (int i = 0; i < h && w > 0; ++i) {
            int r = y > srcY ? h - 1 - i : i;
            std::memmove(&surface_[static_cast<std::size_t>(y + r) * width_ + x],
                         &surface_[static_cast<std::size_t>(srcY + r) * width_ + srcX], static_cast<std::size_t>(w) * 2);
        }
    }
    void OnFillRect(int x, int y, int w, int h, const BYTE* pixel) override {
        std::lock_guard lock(lock_);
        std::uint16_t value;
        std::memcpy(&value, pixel, 2);
        int columns = std::min(w, width_ - x);
        for (int r = 0; r < h && y + r < height_ && columns > 0; ++r) {
            std::fill_n(&surface_[static_cast<std::size_t>(y + r) * width_ + x], columns, value);
        }
    }
    void OnUpdateComplete() override {}

    std::uint16_t At(int x, int y) const { return surface_[static_cast<std::size_t>(y) * width_ + x]; }

private:
    void Resize(int width, int height) {
        std::lock_guard lock(lock_);
        width_ = width;
        height_ = height;
        surface_.assign(static_cast<std::size_t>(width) * height, 0);
    }
    std::mutex lock_;
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint16_t> surface_;
};
