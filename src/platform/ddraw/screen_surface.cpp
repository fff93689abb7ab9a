#include "screen_surface.h"

#include <platform_internal/screen_buffer.h>

std::unique_lock<std::mutex> ScreenSurface::MemoryGuard() {
    auto lock = ScreenBuffer::Instance().Lock();
    lock.unlock();
    return lock;
}

PixelPlane ScreenSurface::Plane() {
    ScreenBuffer& screen = ScreenBuffer::Instance();
    const DeviceScreenConfig& config = screen.Config();
    return PixelPlane{screen.Pixels(), screen.Pitch(), config.width, config.height,
                      BytesPerDevicePixel(config.format)};
}

DevicePixelFormat ScreenSurface::Format() {
    return ScreenBuffer::Instance().Config().format;
}

void ScreenSurface::Changed() {
    ScreenBuffer::Instance().MarkDirty();
}
