// The primary surface: the device screen buffer itself, in the screen's current format.
#pragma once

#include "surface.h"

class ScreenSurface final : public Surface {
  public:
    using Surface::Surface;

  protected:
    std::unique_lock<std::mutex> MemoryGuard() override;
    PixelPlane Plane() override;
    DevicePixelFormat Format() override;
    void Changed() override;
    bool IsPrimary() const override { return true; }
};
