#include "display_state.h"

#include <display/display.h>
#include <display/frame_buffer_store.h>
#include <display/row_converter.h>
#include <settings/thumbnail.h>
#include <sync/scoped_lock.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

namespace {

// The part of a w x h rectangle at (x, y) that lies inside a width x height area, and how far
// into the rectangle it starts.
struct ClippedArea {
    int x = 0;
    int y = 0;
    int columns = 0;
    int rows = 0;
    int skipColumns = 0;
    int skipRows = 0;
};

bool ClipToArea(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h, int width,
                int height, ClippedArea* out) {
    std::int64_t left = std::max<std::int64_t>(x, 0);
    std::int64_t top = std::max<std::int64_t>(y, 0);
    std::int64_t right = std::min<std::int64_t>(x + w, width);
    std::int64_t bottom = std::min<std::int64_t>(y + h, height);
    if (w <= 0 || h <= 0 || left >= right || top >= bottom) {
        return false;
    }
    *out = ClippedArea{static_cast<int>(left),         static_cast<int>(top),
                       static_cast<int>(right - left), static_cast<int>(bottom - top),
                       static_cast<int>(left - x),     static_cast<int>(top - y)};
    return true;
}

// The surface locked for writing, with the layout the device codec needs; unlocks on exit.
class SurfaceAccess {
  public:
    SurfaceAccess(IDirectDrawSurface* surface, int devicePixelBytes) : surface_(surface) {
        std::memset(&desc_, 0, sizeof(desc_));
        desc_.dwSize = sizeof(desc_);
        if (surface_ == nullptr || devicePixelBytes <= 0 ||
            FAILED(
                surface_->Lock(nullptr, &desc_, DDLOCK_WRITEONLY | DDLOCK_WAITNOTBUSY, nullptr))) {
            surface_ = nullptr;
            return;
        }
        // A surface in another format than the display's (the screen was re-configured since
        // start-up) is left alone rather than written with pixels of the wrong size.
        if (static_cast<int>(desc_.ddpfPixelFormat.dwRGBBitCount) != devicePixelBytes * 8 ||
            desc_.lXPitch < devicePixelBytes) {
            surface_->Unlock(nullptr);
            surface_ = nullptr;
        }
    }
    ~SurfaceAccess() {
        if (surface_ != nullptr) {
            surface_->Unlock(nullptr);
        }
    }
    SurfaceAccess(const SurfaceAccess&) = delete;
    SurfaceAccess& operator=(const SurfaceAccess&) = delete;

    bool Ok() const { return surface_ != nullptr; }
    // Leaves the surface locked past this object; the caller unlocks it.
    IDirectDrawSurface* Keep() {
        IDirectDrawSurface* surface = surface_;
        surface_ = nullptr;
        return surface;
    }
    int Width() const { return static_cast<int>(desc_.dwWidth); }
    int Height() const { return static_cast<int>(desc_.dwHeight); }
    int Pitch() const { return desc_.lPitch; }
    int XPitch() const { return desc_.lXPitch; }
    BYTE* At(int x, int y) const {
        return static_cast<BYTE*>(desc_.lpSurface) + static_cast<std::ptrdiff_t>(y) * desc_.lPitch +
               static_cast<std::ptrdiff_t>(x) * desc_.lXPitch;
    }

  private:
    IDirectDrawSurface* surface_;
    DDSURFACEDESC desc_;
};

DDBLTFX SourceCopy() {
    DDBLTFX fx;
    std::memset(&fx, 0, sizeof(fx));
    fx.dwSize = sizeof(fx);
    fx.dwROP = SRCCOPY;
    return fx;
}

bool FitsLong(std::int64_t value) {
    return value >= INT32_MIN && value <= INT32_MAX;
}

bool ThumbnailFormatOf(int formatCode, ThumbnailFormat* format) {
    switch (formatCode) {
        case 0:
            *format = ThumbnailFormat::Rgb332;
            return true;
        case 1:
            *format = ThumbnailFormat::Rgb565;
            return true;
        case 3:
            *format = ThumbnailFormat::Rgb24;
            return true;
        case 4:
            *format = ThumbnailFormat::Rgb32;
            return true;
        default:
            return false;
    }
}

// Thumbnails larger than this are refused rather than allocated.
constexpr std::int64_t kLargestCapture = std::int64_t{1} << 26;

}  // namespace

FrameBufferStore::FrameBufferStore(DisplayInfo* display)
    : serverCodec_(std::make_unique<Codec24>()), display_(display) {
    CreateSurface();
}

FrameBufferStore::~FrameBufferStore() {
    if (IDirectDrawSurface* surface = surface_.exchange(nullptr)) {
        surface->Release();
    }
}

void FrameBufferStore::CreateSurface() {
    if (IDirectDrawSurface* old = surface_.exchange(nullptr)) {
        old->Release();
    }
    IDirectDraw* directDraw = Display().directDraw;
    if (directDraw == nullptr || width_ <= 0 || height_ <= 0) {
        return;
    }
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwHeight = static_cast<DWORD>(height_);
    desc.dwWidth = static_cast<DWORD>(width_);
    IDirectDrawSurface* surface = nullptr;
    if (SUCCEEDED(directDraw->CreateSurface(&desc, &surface, nullptr))) {
        surface_.store(surface);
    }
}

void FrameBufferStore::SetSize(int width, int height) {
    ScopedLock guard(lock_);
    width_ = width;
    height_ = height;
    CreateSurface();
}

void FrameBufferStore::SetPixelFormat(int bitsPerPixel, int redBits, int greenBits, int blueBits) {
    ScopedLock guard(lock_);
    serverBitsPerPixel_ = bitsPerPixel;
    if (auto codec = SelectSourceCodec(bitsPerPixel, redBits, greenBits, blueBits)) {
        serverCodec_ = std::move(codec);
    }
}

bool FrameBufferStore::HasSurface() const {
    return surface_.load() != nullptr;
}

int FrameBufferStore::GetWidth() {
    ScopedLock guard(lock_);
    return width_;
}

int FrameBufferStore::GetHeight() {
    ScopedLock guard(lock_);
    return height_;
}

// A format whose codec could not be chosen keeps the previous codec; when that codec's pixel
// size differs from the server's, reading w x h pixels with it would run past the caller's
// buffer, so nothing is drawn until the two agree again.
bool FrameBufferStore::ServerPixelsMatchCodec() const {
    return serverBitsPerPixel_ / 8 == BytesPerPixel(serverCodec_->Kind());
}

void FrameBufferStore::PutImage(int x, int y, int w, int h, const BYTE* pixels) {
    PutImageAsSent(x, y, w, h, pixels, false);
}

void FrameBufferStore::PutImageAsSent(int x, int y, int w, int h, const BYTE* pixels,
                                      bool bigEndian) {
    ScopedLock guard(lock_);
    const PixelCodec* device = Display().deviceCodec.get();
    if (pixels == nullptr || device == nullptr || !ServerPixelsMatchCodec()) {
        return;
    }
    SurfaceAccess access(surface_.load(), BytesPerPixel(device->Kind()));
    ClippedArea area;
    if (!access.Ok() || !ClipToArea(x, y, w, h, access.Width(), access.Height(), &area)) {
        return;
    }
    const PixelCodec& source = *serverCodec_;
    std::size_t sourceBytes = static_cast<std::size_t>(serverBitsPerPixel_ / 8);
    RowConverter convert =
        perPixel_.load() ? nullptr : FindRowConverter(source, *device, bigEndian);
    // The reference path reads each pixel from a copy in host order.
    bool reversed = bigEndian && (sourceBytes == 2 || sourceBytes == 4);
    BYTE host[4];
    for (int r = 0; r < area.rows; ++r) {
        const BYTE* in = pixels + (static_cast<std::size_t>(area.skipRows + r) * w +
                                   static_cast<std::size_t>(area.skipColumns)) *
                                      sourceBytes;
        BYTE* out = access.At(area.x, area.y + r);
        if (convert != nullptr) {
            convert(in, out, area.columns, access.XPitch());
            continue;
        }
        for (int c = 0; c < area.columns; ++c) {
            if (reversed) {
                std::reverse_copy(in, in + sourceBytes, host);
            }
            device->WritePixel(out, source.ReadPixel(reversed ? host : in));
            in += sourceBytes;
            out += access.XPitch();
        }
    }
}

bool FrameBufferStore::BeginDirect(int x, int y, int w, int h, int bytesPerPixel, BYTE** at,
                                   int* stride, std::uint32_t* setBits) {
    lock_.Lock();
    const PixelCodec* device = Display().deviceCodec.get();
    if (device != nullptr && !perPixel_.load() && ServerPixelsMatchCodec() &&
        bytesPerPixel == serverBitsPerPixel_ / 8 &&
        ConvertsBySettingBits(*serverCodec_, *device, setBits) && x >= 0 && y >= 0 && w > 0 &&
        h > 0) {
        SurfaceAccess access(surface_.load(), bytesPerPixel);
        if (access.Ok() && access.XPitch() == bytesPerPixel &&
            std::int64_t{x} + w <= access.Width() && std::int64_t{y} + h <= access.Height()) {
            *at = access.At(x, y);
            *stride = access.Pitch();
            directSurface_ = access.Keep();
            return true;
        }
    }
    lock_.Unlock();
    return false;
}

void FrameBufferStore::EndDirect() {
    if (directSurface_ != nullptr) {
        directSurface_->Unlock(nullptr);
        directSurface_ = nullptr;
    }
    lock_.Unlock();
}

void FrameBufferStore::FillRect(int x, int y, int w, int h, const BYTE* pixel) {
    ScopedLock guard(lock_);
    const PixelCodec* device = Display().deviceCodec.get();
    if (pixel == nullptr || device == nullptr || !ServerPixelsMatchCodec()) {
        return;
    }
    int deviceBytes = BytesPerPixel(device->Kind());
    SurfaceAccess access(surface_.load(), deviceBytes);
    ClippedArea area;
    if (!access.Ok() || !ClipToArea(x, y, w, h, access.Width(), access.Height(), &area)) {
        return;
    }
    ColourValue colour = serverCodec_->ReadPixel(pixel);
    BYTE devicePixel[4];
    device->WritePixel(devicePixel, colour);
    bool perPixel = perPixel_.load();
    for (int r = 0; r < area.rows; ++r) {
        BYTE* out = access.At(area.x, area.y + r);
        if (!perPixel) {
            FillRow(out, area.columns, access.XPitch(), devicePixel, deviceBytes);
            continue;
        }
        for (int c = 0; c < area.columns; ++c) {
            device->WritePixel(out, colour);
            out += access.XPitch();
        }
    }
}

void FrameBufferStore::CopyRect(int x, int y, int srcX, int srcY, int w, int h) {
    ScopedLock guard(lock_);
    IDirectDrawSurface* surface = surface_.load();
    if (surface == nullptr || w <= 0 || h <= 0) {
        return;
    }
    // Clip so that both the source and the destination lie inside the framebuffer, moving
    // them together.
    std::int64_t dx = x, dy = y, sx = srcX, sy = srcY, cw = w, ch = h;
    std::int64_t shiftX = std::max<std::int64_t>({0, -dx, -sx});
    std::int64_t shiftY = std::max<std::int64_t>({0, -dy, -sy});
    dx += shiftX, sx += shiftX, cw -= shiftX;
    dy += shiftY, sy += shiftY, ch -= shiftY;
    cw = std::min<std::int64_t>({cw, width_ - dx, width_ - sx});
    ch = std::min<std::int64_t>({ch, height_ - dy, height_ - sy});
    if (cw <= 0 || ch <= 0) {
        return;
    }
    RECT dest{static_cast<LONG>(dx), static_cast<LONG>(dy), static_cast<LONG>(dx + cw),
              static_cast<LONG>(dy + ch)};
    RECT source{static_cast<LONG>(sx), static_cast<LONG>(sy), static_cast<LONG>(sx + cw),
                static_cast<LONG>(sy + ch)};
    DDBLTFX fx = SourceCopy();
    surface->Blt(&dest, surface, &source, DDBLT_ROP | DDBLT_WAITNOTBUSY, &fx);
}

void FrameBufferStore::Present(int /*orientation*/, int destLeft, int destTop, int destWidth,
                               int destHeight, Fraction zoom, int scrollX, int scrollY) {
    ScopedLock guard(lock_);
    const DisplayState& state = Display();
    IDirectDrawSurface* surface = surface_.load();
    if (state.primary == nullptr || surface == nullptr) {
        return;
    }
    if (state.clipper != nullptr) {
        state.clipper->SetHWnd(0, display_ != nullptr ? display_->GetWindow() : nullptr);
    }
    std::int32_t srcLeft = ToInt(Divide(Fraction::FromInt(scrollX), zoom));
    std::int32_t srcTop = ToInt(Divide(Fraction::FromInt(scrollY), zoom));
    std::int32_t srcWidth = ToInt(Divide(Fraction::FromInt(destWidth), zoom));
    std::int32_t srcHeight = ToInt(Divide(Fraction::FromInt(destHeight), zoom));
    if (srcWidth > width_) {
        srcWidth = width_;
        destWidth = ToInt(Multiply(Fraction::FromInt(width_), zoom));
    }
    if (srcHeight > height_) {
        srcHeight = height_;
        destHeight = ToInt(Multiply(Fraction::FromInt(height_), zoom));
    }
    std::int64_t destRight = std::int64_t{destLeft} + destWidth;
    std::int64_t destBottom = std::int64_t{destTop} + destHeight;
    std::int64_t srcRight = std::int64_t{srcLeft} + srcWidth;
    std::int64_t srcBottom = std::int64_t{srcTop} + srcHeight;
    if (!FitsLong(destRight) || !FitsLong(destBottom) || !FitsLong(srcRight) ||
        !FitsLong(srcBottom)) {
        return;
    }
    RECT dest{destLeft, destTop, static_cast<LONG>(destRight), static_cast<LONG>(destBottom)};
    RECT source{srcLeft, srcTop, static_cast<LONG>(srcRight), static_cast<LONG>(srcBottom)};
    DDBLTFX fx = SourceCopy();
    // A rectangle DirectDraw refuses (scrolled past the framebuffer) simply draws nothing.
    state.primary->Blt(&dest, surface, &source, DDBLT_ROP | DDBLT_WAITNOTBUSY, &fx);
}

std::unique_ptr<BYTE[]> FrameBufferStore::CaptureRgb(int outWidth, int outHeight) {
    ScopedLock guard(lock_);
    ThumbnailFormat format;
    if (!ThumbnailFormatOf(Display().formatCode, &format) || outWidth <= 0 || outHeight <= 0 ||
        std::int64_t{outWidth} * outHeight > kLargestCapture / 3) {
        return nullptr;
    }
    int bytes = ThumbnailBytesPerPixel(format);
    SurfaceAccess access(surface_.load(), bytes);
    if (!access.Ok()) {
        return nullptr;
    }
    std::unique_ptr<BYTE[]> out(new (std::nothrow)
                                    BYTE[static_cast<std::size_t>(outWidth) * outHeight * 3]);
    if (out == nullptr) {
        return nullptr;
    }
    const BYTE* image = access.At(0, 0);
    std::vector<BYTE> packed;
    std::size_t rowBytes = static_cast<std::size_t>(access.Width()) * bytes;
    if (access.XPitch() != bytes || static_cast<std::size_t>(access.Pitch()) != rowBytes) {
        // The scaler wants packed rows of whole pixels.
        packed.resize(rowBytes * access.Height());
        for (int y = 0; y < access.Height(); ++y) {
            for (int x = 0; x < access.Width(); ++x) {
                std::memcpy(&packed[y * rowBytes + static_cast<std::size_t>(x) * bytes],
                            access.At(x, y), bytes);
            }
        }
        image = packed.data();
    }
    ScaleImageToBgr(image, access.Width(), access.Height(), out.get(), outWidth, outHeight, format);
    return out;
}
