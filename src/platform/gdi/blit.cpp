// BitBlt and StretchBlt between device contexts (window surfaces and memory bitmaps).
#include <platform_internal/dc_object.h>

#include <algorithm>
#include <optional>

namespace {

std::optional<Canvas> CanvasOf(const DcObject& dc) {
    if (dc.surface) {
        return Canvas(dc.surface);
    }
    BitmapObject* bitmap = FindBitmap(dc.bitmap);
    if (bitmap == nullptr) {
        return std::nullopt;
    }
    return Canvas(bitmap);
}

// Copies the source rectangle onto the target rectangle, scaling by nearest neighbour. Source
// pixels are read before any is written, so overlapping copies within one bitmap are safe.
BOOL Blit(HDC targetHandle, RECT target, HDC sourceHandle, RECT source, DWORD rop) {
    std::lock_guard lock(SurfaceMutex());
    DcObject* targetDc = FindDc(targetHandle);
    if (targetDc == nullptr) {
        return FALSE;
    }
    std::optional<Canvas> out = CanvasOf(*targetDc);
    if (!out) {
        return FALSE;
    }
    int width = target.right - target.left, height = target.bottom - target.top;
    if (width <= 0 || height <= 0) {
        return TRUE;
    }
    int ox = targetDc->origin.x, oy = targetDc->origin.y;
    RECT clip = targetDc->clip;
    int left = std::max({target.left + ox, clip.left, LONG{0}}) - ox;
    int top = std::max({target.top + oy, clip.top, LONG{0}}) - oy;
    int right = std::min({target.right + ox, clip.right, static_cast<LONG>(out->Width())}) - ox;
    int bottom = std::min({target.bottom + oy, clip.bottom, static_cast<LONG>(out->Height())}) - oy;
    if (left >= right || top >= bottom) {
        return TRUE;
    }
    std::vector<COLORREF> colours(static_cast<std::size_t>(right - left) * (bottom - top));
    if (rop == SRCCOPY) {
        DcObject* sourceDc = FindDc(sourceHandle);
        std::optional<Canvas> in = sourceDc != nullptr ? CanvasOf(*sourceDc) : std::nullopt;
        if (!in) {
            return FALSE;
        }
        int sw = source.right - source.left, sh = source.bottom - source.top;
        for (int y = top; y < bottom; ++y) {
            int sy = source.top +
                     static_cast<int>((static_cast<long long>(y - target.top) * sh) / height);
            for (int x = left; x < right; ++x) {
                int sx = source.left +
                         static_cast<int>((static_cast<long long>(x - target.left) * sw) / width);
                colours[static_cast<std::size_t>(y - top) * (right - left) + (x - left)] =
                    in->Get(sx + sourceDc->origin.x, sy + sourceDc->origin.y);
            }
        }
    } else {
        COLORREF fill = rop == WHITENESS ? RGB(255, 255, 255) : 0;
        if (rop == PATCOPY) {
            BrushObject* brush = FindBrush(targetDc->brush);
            fill = brush != nullptr ? brush->colour : 0;
        }
        std::fill(colours.begin(), colours.end(), fill);
    }
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            out->Put(x + ox, y + oy,
                     colours[static_cast<std::size_t>(y - top) * (right - left) + (x - left)]);
        }
    }
    if (out->IsWindowSurface()) {
        MarkWindowSurfacesChanged();
    }
    return TRUE;
}

}  // namespace

BOOL BitBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
            DWORD rop) {
    return Blit(target, {x, y, x + width, y + height}, source,
                {sourceX, sourceY, sourceX + width, sourceY + height}, rop);
}

BOOL StretchBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
                int sourceY, int sourceWidth, int sourceHeight, DWORD rop) {
    if (sourceWidth <= 0 || sourceHeight <= 0) {
        return FALSE;
    }
    return Blit(target, {x, y, x + width, y + height}, source,
                {sourceX, sourceY, sourceX + sourceWidth, sourceY + sourceHeight}, rop);
}
