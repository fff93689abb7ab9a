#include <platform/device_screen.h>
#include <platform_internal/screen_buffer.h>

int BytesPerDevicePixel(DevicePixelFormat format) {
    switch (format) {
        case DevicePixelFormat::Rgb332:
            return 1;
        case DevicePixelFormat::Rgb555:
        case DevicePixelFormat::Rgb565:
            return 2;
        case DevicePixelFormat::Rgb888:
            return 3;
        case DevicePixelFormat::Xrgb8888:
            return 4;
    }
    return 2;
}

ScreenBuffer& ScreenBuffer::Instance() {
    static auto* screen = [] {
        auto* buffer = new ScreenBuffer;
        buffer->Configure(DeviceScreenConfig{});
        return buffer;
    }();
    return *screen;
}

void ScreenBuffer::Configure(const DeviceScreenConfig& config) {
    auto lock = Lock();
    config_ = config;
    pitch_ = config.width * BytesPerDevicePixel(config.format);
    pixels_.assign(static_cast<std::size_t>(pitch_) * config.height, 0);
    dirty_ = true;
}

void ConfigureDeviceScreen(const DeviceScreenConfig& config) {
    ScreenBuffer::Instance().Configure(config);
}

DeviceScreenConfig CurrentDeviceScreen() {
    ScreenBuffer& screen = ScreenBuffer::Instance();
    auto lock = screen.Lock();
    return screen.Config();
}
