#include "offscreen_surface.h"

namespace {

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
      pixels_(static_cast<std::size_t>(width) * height * BytesPerDevicePixel(format)) {}

OffscreenSurface::~OffscreenSurface() {
    Return(pixels_.size());
}

PixelPlane OffscreenSurface::Plane() {
    int bytes = BytesPerDevicePixel(format_);
    return PixelPlane{pixels_.data(), width_ * bytes, width_, height_, bytes};
}
