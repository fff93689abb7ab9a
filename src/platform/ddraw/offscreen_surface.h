// An off-screen surface: packed rows in ordinary memory, charged to the video memory budget.
#pragma once

#include "surface.h"

#include <cstdlib>
#include <memory>

class OffscreenSurface final : public Surface {
  public:
    // Reserves the memory from the budget; false (nothing reserved) past it.
    static bool Reserve(std::size_t bytes);
    static void Return(std::size_t bytes);

    OffscreenSurface(IDirectDraw* owner, int width, int height, DevicePixelFormat format);
    ~OffscreenSurface() override;

  protected:
    std::unique_lock<std::mutex> MemoryGuard() override {
        return std::unique_lock<std::mutex>(mutex_, std::defer_lock);
    }
    PixelPlane Plane() override;
    DevicePixelFormat Format() override { return format_; }

  private:
    std::mutex mutex_;
    int width_;
    int height_;
    DevicePixelFormat format_;
    struct Free {
        void operator()(BYTE* p) const { std::free(p); }
    };
    std::size_t bytes_;
    // calloc: a large block comes from the host already zeroed (black), page by page as it is
    // first written, instead of being cleared here in full. The pixels start on the block's first
    // cache line boundary (64 bytes more are taken for that), so rows of whole lines are copied
    // and filled a line a store.
    std::unique_ptr<BYTE, Free> block_;
    BYTE* pixels_;
};
