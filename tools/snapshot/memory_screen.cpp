#include "memory_screen.h"

#include <algorithm>
#include <cstring>

namespace {
// Screens larger than this are refused like a device that cannot allocate them.
constexpr long long kMaxPixels = 8192LL * 8192;
}  // namespace

bool MemoryScreen::SetSize(int width, int height) {
    std::lock_guard guard(lock_);
    if (width < 0 || height < 0 || static_cast<long long>(width) * height > kMaxPixels) {
        width_ = height_ = 0;
        colours_.clear();
        return false;
    }
    width_ = width;
    height_ = height;
    colours_.assign(static_cast<std::size_t>(width) * height, 0);
    return true;
}

void MemoryScreen::SetPixelFormat(int bitsPerPixel, int, int, int) {
    std::lock_guard guard(lock_);
    bitsPerPixel_ = bitsPerPixel;
}

std::uint32_t MemoryScreen::ReadColour(const BYTE* p) const {
    std::uint32_t r, g, b;
    if (bitsPerPixel_ == 8) {
        r = ((p[0] >> 5) & 7) * 255 / 7;
        g = ((p[0] >> 2) & 7) * 255 / 7;
        b = (p[0] & 3) * 255 / 3;
    } else if (bitsPerPixel_ == 16) {
        std::uint32_t v = p[0] | (p[1] << 8);
        r = (v >> 11) << 3;
        g = ((v >> 5) & 0x3F) << 2;
        b = (v & 0x1F) << 3;
    } else {
        b = p[0];
        g = p[1];
        r = p[2];
    }
    return r | (g << 8) | (b << 16);
}

bool MemoryScreen::Clip(int& x, int& y, int& w, int& h) const {
    w = std::min(w, width_ - x);
    h = std::min(h, height_ - y);
    return x >= 0 && y >= 0 && w > 0 && h > 0;
}

void MemoryScreen::PutImage(int x, int y, int w, int h, const BYTE* pixels) {
    std::lock_guard guard(lock_);
    int stride = w;
    int bytes = bitsPerPixel_ / 8;
    if (!Clip(x, y, w, h)) {
        return;
    }
    for (int r = 0; r < h; ++r) {
        std::uint32_t* row = &colours_[static_cast<std::size_t>(y + r) * width_ + x];
        const BYTE* source = pixels + static_cast<std::size_t>(r) * stride * bytes;
        for (int c = 0; c < w; ++c) {
            row[c] = ReadColour(source + c * bytes);
        }
    }
}

void MemoryScreen::FillRect(int x, int y, int w, int h, const BYTE* pixel) {
    std::lock_guard guard(lock_);
    if (!Clip(x, y, w, h)) {
        return;
    }
    std::uint32_t colour = ReadColour(pixel);
    for (int r = 0; r < h; ++r) {
        std::fill_n(&colours_[static_cast<std::size_t>(y + r) * width_ + x], w, colour);
    }
}

void MemoryScreen::CopyRect(int x, int y, int srcX, int srcY, int w, int h) {
    std::lock_guard guard(lock_);
    w = std::min(w, width_ - srcX);
    h = std::min(h, height_ - srcY);
    if (srcX < 0 || srcY < 0 || !Clip(x, y, w, h)) {
        return;
    }
    // Rows are walked away from the overlap, as a blit does.
    for (int i = 0; i < h; ++i) {
        int r = y > srcY ? h - 1 - i : i;
        std::memmove(&colours_[static_cast<std::size_t>(y + r) * width_ + x],
                     &colours_[static_cast<std::size_t>(srcY + r) * width_ + srcX],
                     sizeof(std::uint32_t) * w);
    }
}

int MemoryScreen::Width() const {
    std::lock_guard guard(lock_);
    return width_;
}

int MemoryScreen::Height() const {
    std::lock_guard guard(lock_);
    return height_;
}

std::vector<std::uint8_t> MemoryScreen::CaptureRgb() const {
    std::lock_guard guard(lock_);
    std::vector<std::uint8_t> rgb;
    rgb.reserve(colours_.size() * 3);
    for (std::uint32_t colour : colours_) {
        rgb.push_back(static_cast<std::uint8_t>(colour));
        rgb.push_back(static_cast<std::uint8_t>(colour >> 8));
        rgb.push_back(static_cast<std::uint8_t>(colour >> 16));
    }
    return rgb;
}
