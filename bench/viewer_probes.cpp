#include "viewer_probes.h"

#include "display_state.h"

#include <platform_internal/screen_buffer.h>

#include <cstring>

ProbedPrimary::ProbedPrimary(Observer observer)
    : inner_(Display().primary), observer_(std::move(observer)) {
    Display().primary = this;
}

ProbedPrimary::~ProbedPrimary() {
    if (Display().primary == this) {
        Display().primary = inner_;
    }
}

HRESULT ProbedPrimary::Blt(RECT* destRect, IDirectDrawSurface* source, RECT* sourceRect,
                           DWORD flags, DDBLTFX* fx) {
    if (!observing_ || source == nullptr) {
        return inner_->Blt(destRect, source, sourceRect, flags, fx);
    }
    // The store's lock is held around its Present: nothing writes the source meanwhile.
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    std::uint16_t topLeft = 0, bottomRight = 0;
    if (SUCCEEDED(source->Lock(nullptr, &desc, DDLOCK_WAITNOTBUSY, nullptr))) {
        if (desc.ddpfPixelFormat.dwRGBBitCount == 16 && desc.dwWidth > 0 && desc.dwHeight > 0) {
            const auto* pixels = static_cast<const std::uint8_t*>(desc.lpSurface);
            std::memcpy(&topLeft, pixels, 2);
            std::memcpy(&bottomRight,
                        pixels + static_cast<std::ptrdiff_t>(desc.dwHeight - 1) * desc.lPitch +
                            static_cast<std::ptrdiff_t>(desc.dwWidth - 1) * desc.lXPitch,
                        2);
        }
        source->Unlock(nullptr);
    }
    observer_.starting(topLeft, bottomRight, ProbeClock::now());
    HRESULT result = inner_->Blt(destRect, source, sourceRect, flags, fx);
    ProbeClock::time_point returned = ProbeClock::now();
    observer_.returned(returned);
    return result;
}

ProbeHost::ProbeHost(Observer observer, std::unique_ptr<HostBackend> inner)
    : observer_(std::move(observer)), inner_(std::move(inner)) {}

void ProbeHost::PumpEvents() {
    if (inner_) {
        inner_->PumpEvents();
    }
}

void ProbeHost::ShowScreen() {
    ProbeClock::time_point composed = ProbeClock::now();
    std::uint16_t pixel = 0;
    bool changed;
    {
        ScreenBuffer& screen = ScreenBuffer::Instance();
        auto lock = screen.Lock();
        changed = screen.TakeDirty();
        const DeviceScreenConfig& config = screen.Config();
        if (changed && inner_) {
            screen.MarkDirty();  // the inner host shows what changed
        }
        if (changed && BytesPerDevicePixel(config.format) == 2 && x_ >= 0 && y_ >= 0 &&
            x_ < config.width && y_ < config.height) {
            std::memcpy(&pixel,
                        screen.Pixels() + static_cast<std::size_t>(y_) * screen.Pitch() + x_ * 2,
                        2);
        }
    }
    if (inner_) {
        inner_->ShowScreen();
    }
    if (changed) {
        observer_(pixel, composed, ProbeClock::now());
    }
}
