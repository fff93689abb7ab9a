#include "surface.h"

#include <platform_internal/window_blit_target.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

struct Masks {
    DWORD red;
    DWORD green;
    DWORD blue;
};

Masks MasksOf(DevicePixelFormat format) {
    switch (format) {
        case DevicePixelFormat::Rgb332:
            return {0xE0, 0x1C, 0x03};
        case DevicePixelFormat::Rgb555:
            return {0x7C00, 0x03E0, 0x001F};
        case DevicePixelFormat::Rgb565:
            return {0xF800, 0x07E0, 0x001F};
        case DevicePixelFormat::Rgb888:
        case DevicePixelFormat::Xrgb8888:
            return {0xFF0000, 0x00FF00, 0x0000FF};
    }
    return {0, 0, 0};
}

RECT WholePlane(const PixelPlane& plane) {
    return RECT{0, 0, plane.width, plane.height};
}

std::int64_t Width(const RECT& r) {
    return std::int64_t{r.right} - r.left;
}
std::int64_t Height(const RECT& r) {
    return std::int64_t{r.bottom} - r.top;
}

bool IsOrdered(const RECT& r) {
    return r.left <= r.right && r.top <= r.bottom;
}
bool IsEmpty(const RECT& r) {
    return r.left == r.right || r.top == r.bottom;
}

bool Contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Intersect(const RECT& a, const RECT& b, RECT* out) {
    *out = RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
    return out->left < out->right && out->top < out->bottom;
}

// r moved by (dx, dy); false when that leaves the coordinate range (nothing is drawn).
bool Offset(const RECT& r, LONG dx, LONG dy, RECT* out) {
    std::int64_t v[4] = {std::int64_t{r.left} + dx, std::int64_t{r.top} + dy,
                         std::int64_t{r.right} + dx, std::int64_t{r.bottom} + dy};
    for (std::int64_t x : v) {
        if (x < INT32_MIN || x > INT32_MAX) {
            return false;
        }
    }
    *out = RECT{static_cast<LONG>(v[0]), static_cast<LONG>(v[1]), static_cast<LONG>(v[2]),
                static_cast<LONG>(v[3])};
    return true;
}

// The source rectangle of a blit: the whole plane when null; it must lie inside the plane.
HRESULT SourceRect(const RECT* given, const PixelPlane& plane, RECT* out) {
    *out = given != nullptr ? *given : WholePlane(plane);
    if (!IsOrdered(*out) || !Contains(WholePlane(plane), *out)) {
        return DDERR_INVALIDRECT;
    }
    return DD_OK;
}

// Copies rect of plane into storage and describes the copy as a plane of its own.
PixelPlane CopyOut(const PixelPlane& plane, RECT* rect, std::vector<BYTE>* storage) {
    int w = rect->right - rect->left;
    int h = rect->bottom - rect->top;
    PixelPlane copy{nullptr, w * plane.bytesPerPixel, w, h, plane.bytesPerPixel};
    storage->resize(static_cast<std::size_t>(copy.pitch) * h);
    copy.pixels = storage->data();
    for (int y = 0; y < h; ++y) {
        std::memcpy(copy.pixels + static_cast<std::size_t>(y) * copy.pitch,
                    plane.pixels + static_cast<std::ptrdiff_t>(rect->top + y) * plane.pitch +
                        static_cast<std::ptrdiff_t>(rect->left) * plane.bytesPerPixel,
                    copy.pitch);
    }
    *rect = RECT{0, 0, w, h};
    return copy;
}

}  // namespace

Surface::Surface(IDirectDraw* owner) : owner_(owner) {
    owner_->AddRef();
}

Surface::~Surface() {
    if (clipper_ != nullptr) {
        clipper_->Release();
    }
    owner_->Release();
}

void Surface::Describe(DDSURFACEDESC* desc) {
    PixelPlane plane = Plane();
    Masks masks = MasksOf(Format());
    std::memset(desc, 0, sizeof(*desc));
    desc->dwSize = sizeof(*desc);
    desc->dwFlags =
        DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_XPITCH | DDSD_PIXELFORMAT;
    desc->dwWidth = static_cast<DWORD>(plane.width);
    desc->dwHeight = static_cast<DWORD>(plane.height);
    desc->lPitch = plane.pitch;
    desc->lXPitch = plane.bytesPerPixel;
    desc->ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    desc->ddpfPixelFormat.dwFlags = DDPF_RGB;
    desc->ddpfPixelFormat.dwRGBBitCount = static_cast<DWORD>(plane.bytesPerPixel * 8);
    desc->ddpfPixelFormat.dwRBitMask = masks.red;
    desc->ddpfPixelFormat.dwGBitMask = masks.green;
    desc->ddpfPixelFormat.dwBBitMask = masks.blue;
    desc->ddsCaps.dwCaps = IsPrimary() ? DDSCAPS_PRIMARYSURFACE : DDSCAPS_OFFSCREENPLAIN;
    desc->dwSurfaceSize = static_cast<DWORD>(plane.pitch * plane.height);
}

HRESULT Surface::GetSurfaceDesc(DDSURFACEDESC* desc) {
    if (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC)) {
        return DDERR_INVALIDPARAMS;
    }
    if (LockedByCaller()) {
        Describe(desc);
        return DD_OK;
    }
    auto guard = MemoryGuard();
    guard.lock();
    Describe(desc);
    return DD_OK;
}

HRESULT Surface::Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, HANDLE) {
    if (rect != nullptr || desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC)) {
        return DDERR_INVALIDPARAMS;
    }
    if (LockedByCaller()) {
        return DDERR_SURFACEBUSY;
    }
    auto guard = MemoryGuard();
    if ((flags & DDLOCK_WAITNOTBUSY) != 0) {
        guard.lock();
    } else if (!guard.try_lock()) {
        return DDERR_SURFACEBUSY;
    }
    Describe(desc);
    desc->dwFlags |= DDSD_LPSURFACE;
    desc->lpSurface = Plane().pixels;
    held_ = std::move(guard);
    lockOwner_.store(std::this_thread::get_id());
    return DD_OK;
}

HRESULT Surface::Unlock(RECT*) {
    if (!LockedByCaller()) {
        return DDERR_NOTLOCKED;
    }
    Changed();
    // Leave held_ empty before the mutex is released: the next locker assigns it.
    auto guard = std::move(held_);
    lockOwner_.store(std::thread::id{});
    guard.unlock();
    return DD_OK;
}

HRESULT Surface::SetClipper(IDirectDrawClipper* clipper) {
    auto* ours = dynamic_cast<Clipper*>(clipper);
    if (clipper != nullptr && ours == nullptr) {
        return DDERR_INVALIDOBJECT;
    }
    if (ours != nullptr) {
        ours->AddRef();
    }
    Clipper* old;
    {
        std::lock_guard lock(clipperMutex_);
        old = clipper_;
        clipper_ = ours;
    }
    if (old != nullptr) {
        old->Release();
    }
    return DD_OK;
}

HWND Surface::ClipperWindow() {
    std::lock_guard lock(clipperMutex_);
    return clipper_ != nullptr ? clipper_->Window() : nullptr;
}

HRESULT Surface::Blt(RECT* destRect, IDirectDrawSurface* sourceInterface, RECT* sourceRect,
                     DWORD flags, DDBLTFX* fx) {
    if ((flags & DDBLT_ROP) == 0 || fx == nullptr || fx->dwSize != sizeof(DDBLTFX)) {
        return DDERR_INVALIDPARAMS;
    }
    if (fx->dwROP != SRCCOPY) {
        return DDERR_NOROPHW;
    }
    auto* source = dynamic_cast<Surface*>(sourceInterface);
    if (source == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    if (LockedByCaller() || source->LockedByCaller()) {
        return DDERR_SURFACEBUSY;
    }
    if (destRect != nullptr && !IsOrdered(*destRect)) {
        return DDERR_INVALIDRECT;
    }
    HWND window = IsPrimary() && !source->IsPrimary() ? ClipperWindow() : nullptr;
    if (window != nullptr && destRect != nullptr) {
        bool done = false;
        HRESULT result = BltToWindow(window, *destRect, source, sourceRect, &done);
        if (done) {
            return result;
        }
    }
    return BltLocked(destRect, source, sourceRect);
}

HRESULT Surface::BltToWindow(HWND window, const RECT& destRect, Surface* source, RECT* sourceRect,
                             bool* done) {
    DevicePixelFormat screenFormat = CurrentDeviceScreen().format;
    auto guard = source->MemoryGuard();
    guard.lock();
    PixelPlane from = source->Plane();
    RECT fromRect;
    HRESULT result = SourceRect(sourceRect, from, &fromRect);
    if (FAILED(result) || source->Format() != screenFormat) {
        *done = true;
        return FAILED(result) ? result : DDERR_INVALIDPIXELFORMAT;
    }
    if (IsEmpty(fromRect) || IsEmpty(destRect)) {
        *done = true;
        return DD_OK;
    }
    WindowBlitDraw draw = [&](const WindowBlitTarget& target) {
        if (target.plane.bytesPerPixel != from.bytesPerPixel) {
            return;
        }
        // Into the backing surface's own coordinates.
        RECT to;
        RECT client;
        RECT clip;
        if (Offset(destRect, -target.originX, -target.originY, &to) &&
            Offset(target.clip, -target.originX, -target.originY, &client) &&
            Intersect(client, WholePlane(target.plane), &clip)) {
            StretchBlit(target.plane, to, clip, from, fromRect);
        }
    };
    bool handled = false;
    if (!RouteWindowBlit(window, draw, &handled)) {
        return DD_OK;  // no window system: the caller blits onto the screen itself
    }
    *done = true;
    return DD_OK;
}

HRESULT Surface::BltLocked(RECT* destRect, Surface* source, RECT* sourceRect) {
    auto destGuard = MemoryGuard();
    std::unique_lock<std::mutex> sourceGuard;
    if (source == this) {
        destGuard.lock();
    } else {
        sourceGuard = source->MemoryGuard();
        std::lock(destGuard, sourceGuard);
    }
    if (Format() != source->Format()) {
        return DDERR_INVALIDPIXELFORMAT;
    }
    PixelPlane to = Plane();
    PixelPlane from = source->Plane();
    RECT fromRect;
    HRESULT result = SourceRect(sourceRect, from, &fromRect);
    if (FAILED(result)) {
        return result;
    }
    RECT whole = WholePlane(to);
    RECT toRect = destRect != nullptr ? *destRect : whole;
    if (!IsPrimary() && !Contains(whole, toRect)) {
        return DDERR_INVALIDRECT;
    }
    if (IsEmpty(fromRect) || IsEmpty(toRect)) {
        return DD_OK;
    }
    bool sameSize = Width(toRect) == Width(fromRect) && Height(toRect) == Height(fromRect);
    RECT overlap;
    std::vector<BYTE> copy;
    if (source == this && !sameSize && Intersect(toRect, fromRect, &overlap)) {
        from = CopyOut(from, &fromRect, &copy);
    }
    StretchBlit(to, toRect, whole, from, fromRect);
    Changed();
    return DD_OK;
}
