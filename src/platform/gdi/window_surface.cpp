// Window surfaces in the device pixel format, and the conversions between colours and device
// pixels.
#include <platform_internal/window_surface.h>

#include <atomic>

namespace {

std::atomic<bool> surfacesChanged{true};

// Widens a component of the given bit width to 8 bits.
std::uint32_t Widen(std::uint32_t value, int bits) {
    std::uint32_t out = value << (8 - bits);
    return out | (out >> bits) | (bits < 4 ? out >> (2 * bits) : 0);
}

}  // namespace

std::uint32_t EncodeDevicePixel(DevicePixelFormat format, COLORREF colour) {
    std::uint32_t r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
    switch (format) {
        case DevicePixelFormat::Rgb332:
            return (r >> 5) << 5 | (g >> 5) << 2 | (b >> 6);
        case DevicePixelFormat::Rgb555:
            return (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
        case DevicePixelFormat::Rgb565:
            return (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
        case DevicePixelFormat::Rgb888:
        case DevicePixelFormat::Xrgb8888:
            return r << 16 | g << 8 | b;
    }
    return 0;
}

COLORREF DecodeDevicePixel(DevicePixelFormat format, std::uint32_t v) {
    switch (format) {
        case DevicePixelFormat::Rgb332:
            return RGB(Widen((v >> 5) & 7, 3), Widen((v >> 2) & 7, 3), Widen(v & 3, 2));
        case DevicePixelFormat::Rgb555:
            return RGB(Widen((v >> 10) & 31, 5), Widen((v >> 5) & 31, 5), Widen(v & 31, 5));
        case DevicePixelFormat::Rgb565:
            return RGB(Widen((v >> 11) & 31, 5), Widen((v >> 5) & 63, 6), Widen(v & 31, 5));
        case DevicePixelFormat::Rgb888:
        case DevicePixelFormat::Xrgb8888:
            return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    return 0;
}

void StoreDevicePixel(std::uint8_t* at, int bytes, std::uint32_t value) {
    for (int i = 0; i < bytes; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t LoadDevicePixel(const std::uint8_t* at, int bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        value |= static_cast<std::uint32_t>(at[i]) << (8 * i);
    }
    return value;
}

void WindowSurface::Resize(int newWidth, int newHeight, DevicePixelFormat newFormat) {
    format = newFormat;
    width = newWidth < 0 ? 0 : newWidth;
    height = newHeight < 0 ? 0 : newHeight;
    pitch = width * BytesPerDevicePixel(format);
    auto bytes = static_cast<std::size_t>(pitch) * height;
    if (pixels.capacity() / 2 > bytes) {
        // A window made much smaller (tool windows begin at the default size) gives back what it
        // no longer uses.
        std::vector<std::uint8_t>(bytes, 0).swap(pixels);
    } else {
        pixels.assign(bytes, 0);
    }
}

void WindowSurface::Put(int x, int y, COLORREF colour) {
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return;
    }
    int bytes = BytesPerDevicePixel(format);
    StoreDevicePixel(pixels.data() + static_cast<std::size_t>(y) * pitch + x * bytes, bytes,
                     EncodeDevicePixel(format, colour));
}

COLORREF WindowSurface::Get(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return 0;
    }
    int bytes = BytesPerDevicePixel(format);
    return DecodeDevicePixel(
        format,
        LoadDevicePixel(pixels.data() + static_cast<std::size_t>(y) * pitch + x * bytes, bytes));
}

std::mutex& SurfaceMutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}

void MarkWindowSurfacesChanged() {
    surfacesChanged = true;
}
bool TakeWindowSurfacesChanged() {
    return surfacesChanged.exchange(false);
}
