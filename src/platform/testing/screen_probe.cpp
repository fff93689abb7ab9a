#include <platform_testing/screen_probe.h>

#include <platform_internal/screen_buffer.h>
#include <platform_internal/window_surface.h>

std::uint32_t ScreenPixelValue(int x, int y) {
    ScreenBuffer& screen = ScreenBuffer::Instance();
    auto lock = screen.Lock();
    const DeviceScreenConfig& config = screen.Config();
    if (x < 0 || y < 0 || x >= config.width || y >= config.height) {
        return 0xFFFFFFFF;
    }
    int bytes = BytesPerDevicePixel(config.format);
    return LoadDevicePixel(
        screen.Pixels() + static_cast<std::size_t>(y) * screen.Pitch() + x * bytes, bytes);
}

bool TakeScreenChanged() {
    ScreenBuffer& screen = ScreenBuffer::Instance();
    auto lock = screen.Lock();
    return screen.TakeDirty();
}

std::uint32_t DevicePixelValue(COLORREF colour) {
    return EncodeDevicePixel(CurrentDeviceScreen().format, colour);
}

COLORREF ShownColour(COLORREF colour) {
    DevicePixelFormat format = CurrentDeviceScreen().format;
    return DecodeDevicePixel(format, EncodeDevicePixel(format, colour));
}
