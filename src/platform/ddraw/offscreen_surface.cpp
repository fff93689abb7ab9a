#include "offscreen_surface.h"

#include <cstdint>
#include <new>

namespace {

constexpr std::size_t kLineBytes = 64;

std::mutex budgetMutex;
std::size_t budget = std::size_t{64} << 20;
std::size_t inUse = 0;

}  // namespace

bool OffscreenSurface::Reserve(std::size_t bytes) {
    std::lock_guard lock(budgetMutex);
    if (bytes > budget || inUse > budget - bytes) {
        return false;
    }
    inUse += bytes;
    return true;
}

void OffscreenSurface::Return(std::size_t bytes) {
    std::lock_guard lock(budgetMutex);
    inUse -= bytes;
}

void SetVideoMemoryBudget(std::size_t bytes) {
    std::lock_guard lock(budgetMutex);
    budget = bytes;
}

std::size_t VideoMemoryInUse() {
    std::lock_guard lock(budgetMutex);
    return inUse;
}

OffscreenSurface::OffscreenSurface(IDirectDraw* owner, int width, int height,
                                   DevicePixelFormat format)
    : Surface(owner),
      width_(width),
      height_(height),
      format_(format),
      bytes_(static_cast<std::size_t>(width) * height * BytesPerDevicePixel(format)),
      block_(static_cast<BYTE*>(std::calloc(bytes_ + kLineBytes, 1))) {
    if (block_ == nullptr) {
        throw std::bad_alloc();
    }
    auto address = reinterpret_cast<std::uintptr_t>(block_.get());
    pixels_ = block_.get() + (kLineBytes - address % kLineBytes) % kLineBytes;
}

OffscreenSurface::~OffscreenSurface() {
    Return(bytes_);
}

PixelPlane OffscreenSurface::Plane() {
    int bytes = BytesPerDevicePixel(format_);
    return PixelPlane{pixels_, width_ * bytes, width_, height_, bytes};
}
