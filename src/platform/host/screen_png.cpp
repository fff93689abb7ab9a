#include <platform_internal/screen_buffer.h>
#include <platform_internal/screen_png.h>
#include <platform_internal/window_surface.h>

#include <png/png_file.h>

#include <vector>

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
    return WritePngFile(path, width, height, rgb);
}
