// What the viewer benchmark watches on the device: the blits onto the screen (the display's
// primary surface, wrapped) and the composed screen as the host is given it (a host backend).
#pragma once

#include <platform/ddraw.h>
#include <platform_internal/host_backend.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

using ProbeClock = std::chrono::steady_clock;

// Stands in for the display's primary surface and passes everything on. Each blit from another
// surface is reported twice: as it begins, with that surface's top-left and bottom-right pixels
// (the markers; the screen may show them before the blit has returned) and the time, and once
// it has returned, with the time.
class ProbedPrimary final : public IDirectDrawSurface {
  public:
    struct Observer {
        std::function<void(std::uint16_t topLeft, std::uint16_t bottomRight,
                           ProbeClock::time_point starting)>
            starting;
        std::function<void(ProbeClock::time_point returned)> returned;
    };

    // Puts itself in place of the display's primary surface; the destructor puts it back.
    explicit ProbedPrimary(Observer observer);
    ~ProbedPrimary();
    ProbedPrimary(const ProbedPrimary&) = delete;
    ProbedPrimary& operator=(const ProbedPrimary&) = delete;
    // Off: blits pass through unobserved (for timing Present alone).
    void Observe(bool on) { observing_.store(on); }

    ULONG AddRef() override { return inner_->AddRef(); }
    ULONG Release() override { return inner_->Release(); }
    HRESULT Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, HANDLE event) override {
        return inner_->Lock(rect, desc, flags, event);
    }
    HRESULT Unlock(RECT* rect) override { return inner_->Unlock(rect); }
    HRESULT Blt(RECT* destRect, IDirectDrawSurface* source, RECT* sourceRect, DWORD flags,
                DDBLTFX* fx) override;
    HRESULT GetSurfaceDesc(DDSURFACEDESC* desc) override { return inner_->GetSurfaceDesc(desc); }
    HRESULT SetClipper(IDirectDrawClipper* clipper) override { return inner_->SetClipper(clipper); }
    HRESULT Restore() override { return inner_->Restore(); }

  private:
    IDirectDrawSurface* inner_;
    Observer observer_;
    std::atomic<bool> observing_{true};
};

// The host the benchmark runs the device with: after each composition it reads the screen's
// pixel at a chosen point and reports it with the time, then hands the screen on to an inner
// host when there is one (whose showing is timed as well).
class ProbeHost final : public HostBackend {
  public:
    using Observer = std::function<void(std::uint16_t pixel, ProbeClock::time_point composed,
                                        ProbeClock::time_point shown)>;

    ProbeHost(Observer observer, std::unique_ptr<HostBackend> inner);
    void SetProbePoint(int x, int y) {
        x_ = x;
        y_ = y;
    }

    void PumpEvents() override;
    void ShowScreen() override;
    // The desktop window's host wakes every 10 ms; so does this one without an inner host.
    int PollMilliseconds() const override { return inner_ ? inner_->PollMilliseconds() : 10; }

  private:
    Observer observer_;
    std::unique_ptr<HostBackend> inner_;
    int x_ = 0;
    int y_ = 0;
};
