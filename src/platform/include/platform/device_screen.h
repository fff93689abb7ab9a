// Host side: the emulated device's screen (size, dpi, pixel format), chosen before the program
// starts (tavrel's --screen/--dpi/--bpp, the test harness, tavrel-snapshot).
#pragma once

enum class DevicePixelFormat {
    Rgb332,   // 8 bits: red 3, green 3, blue 2
    Rgb555,   // 16 bits, little-endian: red 5, green 5, blue 5
    Rgb565,   // 16 bits, little-endian: red 5, green 6, blue 5
    Rgb888,   // 24 bits: blue, green, red bytes
    Xrgb8888  // 32 bits: blue, green, red, unused bytes
};

struct DeviceScreenConfig {
    int width = 240;
    int height = 320;
    int dpi = 96;
    DevicePixelFormat format = DevicePixelFormat::Rgb565;
};

int BytesPerDevicePixel(DevicePixelFormat format);

// Sets the screen for the platform; call before anything draws. Resets its contents to black.
void ConfigureDeviceScreen(const DeviceScreenConfig& config);
DeviceScreenConfig CurrentDeviceScreen();
