#include <platform_internal/screen_buffer.h>
#include <platform_internal/screen_png.h>
#include <platform_internal/window_surface.h>

#include <png.h>

#include <cstdio>
#include <vector>

namespace {

bool EncodePng(FILE* file, const std::uint8_t* rgb, int width, int height) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        png_write_row(png,
                      const_cast<std::uint8_t*>(rgb) + static_cast<std::size_t>(y) * width * 3);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool WriteScreenPng(const std::string& path) {
    std::vector<std::uint8_t> rgb;
    int width, height;
    {
        ScreenBuffer& screen = ScreenBuffer::Instance();
        auto lock = screen.Lock();
        const DeviceScreenConfig& config = screen.Config();
        width = config.width, height = config.height;
        int bytes = BytesPerDevicePixel(config.format);
        rgb.resize(static_cast<std::size_t>(width) * height * 3);
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row =
                screen.Pixels() + static_cast<std::size_t>(y) * screen.Pitch();
            for (int x = 0; x < width; ++x) {
                COLORREF colour =
                    DecodeDevicePixel(config.format, LoadDevicePixel(row + x * bytes, bytes));
                std::uint8_t* out = rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
                out[0] = GetRValue(colour), out[1] = GetGValue(colour), out[2] = GetBValue(colour);
            }
        }
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    bool written = EncodePng(file, rgb.data(), width, height);
    return std::fclose(file) == 0 && written;
}
