#include "clipper.h"
#include "offscreen_surface.h"
#include "ref_counted.h"
#include "screen_surface.h"

#include <new>

namespace {

constexpr DWORD kLargestSide = 32767;

class DirectDraw final : public RefCounted<IDirectDraw> {
  public:
    HRESULT SetCooperativeLevel(HWND, DWORD) override { return DD_OK; }

    HRESULT CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface,
                          IUnknown* outer) override {
        if (surface == nullptr) {
            return DDERR_INVALIDPARAMS;
        }
        *surface = nullptr;
        if (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC) || outer != nullptr) {
            return DDERR_INVALIDPARAMS;
        }
        if ((desc->dwFlags & DDSD_CAPS) != 0 &&
            (desc->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0) {
            *surface = new ScreenSurface(this);
            return DD_OK;
        }
        if ((desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT) ||
            desc->dwWidth == 0 || desc->dwHeight == 0 || desc->dwWidth > kLargestSide ||
            desc->dwHeight > kLargestSide) {
            return DDERR_INVALIDPARAMS;
        }
        DevicePixelFormat format = CurrentDeviceScreen().format;
        std::size_t bytes =
            static_cast<std::size_t>(desc->dwWidth) * desc->dwHeight * BytesPerDevicePixel(format);
        if (!OffscreenSurface::Reserve(bytes)) {
            return DDERR_OUTOFVIDEOMEMORY;
        }
        try {
            *surface = new OffscreenSurface(this, static_cast<int>(desc->dwWidth),
                                            static_cast<int>(desc->dwHeight), format);
        } catch (const std::bad_alloc&) {
            OffscreenSurface::Return(bytes);
            return DDERR_OUTOFMEMORY;
        }
        return DD_OK;
    }

    HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer) override {
        if (clipper == nullptr) {
            return DDERR_INVALIDPARAMS;
        }
        *clipper = nullptr;
        if (flags != 0 || outer != nullptr) {
            return DDERR_INVALIDPARAMS;
        }
        *clipper = new Clipper(this);
        return DD_OK;
    }

    // Emulated surfaces are never lost; the primary surface follows the screen's current
    // size and format by itself.
    HRESULT RestoreAllSurfaces() override { return DD_OK; }
};

}  // namespace

HRESULT DirectDrawCreate(GUID* guid, LPDIRECTDRAW* directDraw, IUnknown* outer) {
    if (directDraw == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *directDraw = nullptr;
    if (guid != nullptr || outer != nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *directDraw = new DirectDraw;
    return DD_OK;
}
