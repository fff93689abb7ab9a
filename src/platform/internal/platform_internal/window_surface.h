// A block of pixels in the device's pixel format: the backing surface of a top-level window.
#pragma once

#include <platform/device_screen.h>
#include <platform/gdi.h>

#include <cstdint>
#include <mutex>
#include <vector>

struct WindowSurface {
    DevicePixelFormat format = DevicePixelFormat::Rgb565;
    int width = 0;
    int height = 0;
    int pitch = 0;
    std::vector<std::uint8_t> pixels;

    // Re-sizes and clears to black.
    void Resize(int newWidth, int newHeight, DevicePixelFormat newFormat);
    void Put(int x, int y, COLORREF colour);
    COLORREF Get(int x, int y) const;
};

// Device pixel value of a colour (low bytes used) and back.
std::uint32_t EncodeDevicePixel(DevicePixelFormat format, COLORREF colour);
COLORREF DecodeDevicePixel(DevicePixelFormat format, std::uint32_t value);
void StoreDevicePixel(std::uint8_t* at, int bytes, std::uint32_t value);
std::uint32_t LoadDevicePixel(const std::uint8_t* at, int bytes);

// Guards the pixels of every window surface: GDI on the UI thread, DirectDraw blits from other
// threads and the compositor. Held only for one drawing operation, never while application code
// runs.
std::mutex& SurfaceMutex();

// Set whenever a window surface changed; the compositor takes it when it assembles the screen.
void MarkWindowSurfacesChanged();
bool TakeWindowSurfacesChanged();
