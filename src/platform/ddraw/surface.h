// What the primary surface and the off-screen surfaces share: locking, blits, the description
// and the clipper. The pixel memory and its mutex come from the derived class.
#pragma once

#include "clipper.h"
#include "ref_counted.h"

#include <platform/ddraw.h>
#include <platform/device_screen.h>
#include <platform_internal/pixel_plane.h>

#include <atomic>
#include <mutex>
#include <thread>

class Surface : public RefCounted<IDirectDrawSurface> {
  public:
    explicit Surface(IDirectDraw* owner);
    ~Surface() override;

    HRESULT Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, HANDLE event) override;
    HRESULT Unlock(RECT* rect) override;
    HRESULT Blt(RECT* destRect, IDirectDrawSurface* source, RECT* sourceRect, DWORD flags,
                DDBLTFX* fx) override;
    HRESULT GetSurfaceDesc(DDSURFACEDESC* desc) override;
    HRESULT SetClipper(IDirectDrawClipper* clipper) override;
    HRESULT Restore() override { return DD_OK; }

  protected:
    // A lock on the pixel memory's mutex, not yet taken.
    virtual std::unique_lock<std::mutex> MemoryGuard() = 0;
    // With the memory locked:
    virtual PixelPlane Plane() = 0;
    virtual DevicePixelFormat Format() = 0;
    virtual void Changed() {}
    virtual bool IsPrimary() const { return false; }

  private:
    bool LockedByCaller() const { return lockOwner_.load() == std::this_thread::get_id(); }
    HWND ClipperWindow();
    void Describe(DDSURFACEDESC* desc);
    HRESULT BltToWindow(HWND window, const RECT& destRect, Surface* source, RECT* sourceRect,
                        bool* done);
    HRESULT BltLocked(RECT* destRect, Surface* source, RECT* sourceRect);

    IDirectDraw* owner_;
    std::atomic<std::thread::id> lockOwner_{};
    std::unique_lock<std::mutex> held_;  // while locked through Lock
    std::mutex clipperMutex_;
    Clipper* clipper_ = nullptr;
};
