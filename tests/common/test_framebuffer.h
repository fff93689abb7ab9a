// A framebuffer for tests: one 32-bit pixel value per position (host order, as the decoders hand
// them on), drawing clipped to its size.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

class TestFrameBuffer {
  public:
    TestFrameBuffer(int width = 0, int height = 0) { Resize(width, height); }

    void Resize(int width, int height) {
        width_ = width < 0 ? 0 : width;
        height_ = height < 0 ? 0 : height;
        pixels_.assign(static_cast<std::size_t>(width_) * height_, 0);
    }
    void SetBytesPerPixel(int bytes) { bytesPerPixel_ = bytes; }

    // A pixel of bytesPerPixel bytes in host order.
    std::uint32_t Read(const std::uint8_t* p) const {
        std::uint32_t value = 0;
        std::memcpy(&value, p, static_cast<std::size_t>(bytesPerPixel_));
        return value;
    }
    void PutImage(int x, int y, int w, int h, const std::uint8_t* pixels) {
        for (int r = 0; r < h && y + r < height_; ++r) {
            for (int c = 0; c < w && x + c < width_; ++c) {
                Set(x + c, y + r,
                    Read(pixels + (static_cast<std::size_t>(r) * w + c) * bytesPerPixel_));
            }
        }
    }
    void Fill(int x, int y, int w, int h, const std::uint8_t* pixel) {
        std::uint32_t value = Read(pixel);
        for (int r = 0; r < h && y + r < height_; ++r) {
            for (int c = 0; c < w && x + c < width_; ++c) {
                Set(x + c, y + r, value);
            }
        }
    }
    // Copies through a temporary, so overlapping areas behave as a blit does; parts whose source
    // or destination lies outside stay as they were.
    void Copy(int x, int y, int srcX, int srcY, int w, int h) {
        int rows = std::min({h, height_ - y, height_ - srcY});
        int columns = std::min({w, width_ - x, width_ - srcX});
        if (rows <= 0 || columns <= 0) {
            return;
        }
        std::vector<std::uint32_t> area;
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                area.push_back(At(srcX + c, srcY + r));
            }
        }
        for (int r = 0, i = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                Set(x + c, y + r, area[i++]);
            }
        }
    }

    std::uint32_t At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) {
            return 0;
        }
        return pixels_[static_cast<std::size_t>(y) * width_ + x];
    }
    const std::vector<std::uint32_t>& Pixels() const { return pixels_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int BytesPerPixel() const { return bytesPerPixel_; }

  private:
    void Set(int x, int y, std::uint32_t value) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_) {
            pixels_[static_cast<std::size_t>(y) * width_ + x] = value;
        }
    }

    int width_ = 0;
    int height_ = 0;
    int bytesPerPixel_ = 2;
    std::vector<std::uint32_t> pixels_;
};
