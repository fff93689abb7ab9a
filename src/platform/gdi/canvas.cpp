// Pixel access to what a device context draws on.
#include <platform_internal/dc_object.h>

namespace {

// The palette entry nearest to a colour (a palettised bitmap can hold only those).
unsigned NearestIndex(const std::vector<DWORD>& palette, COLORREF colour) {
    unsigned best = 0;
    long bestDistance = -1;
    for (unsigned i = 0; i < palette.size(); ++i) {
        long dr = static_cast<long>((palette[i] >> 16) & 0xFF) - GetRValue(colour);
        long dg = static_cast<long>((palette[i] >> 8) & 0xFF) - GetGValue(colour);
        long db = static_cast<long>(palette[i] & 0xFF) - GetBValue(colour);
        long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            best = i, bestDistance = distance;
        }
    }
    return best;
}

}  // namespace

int Canvas::Width() const {
    return surface_ ? surface_->width : bitmap_ ? bitmap_->width : 0;
}
int Canvas::Height() const {
    return surface_ ? surface_->height : bitmap_ ? bitmap_->height : 0;
}

void Canvas::Put(int x, int y, COLORREF colour) {
    if (surface_) {
        surface_->Put(x, y, colour);
        return;
    }
    if (bitmap_ == nullptr || x < 0 || y < 0 || x >= bitmap_->width || y >= bitmap_->height) {
        return;
    }
    BYTE* row = bitmap_->bits.data() + static_cast<std::size_t>(y) * bitmap_->stride;
    if (bitmap_->bitsPerPixel == 24) {
        row[3 * x] = GetBValue(colour);
        row[3 * x + 1] = GetGValue(colour);
        row[3 * x + 2] = GetRValue(colour);
        return;
    }
    int bpp = bitmap_->bitsPerPixel;
    unsigned index = NearestIndex(bitmap_->palette, colour);
    int bit = x * bpp;
    int shift = 8 - bpp - bit % 8;
    BYTE mask = static_cast<BYTE>(((1u << bpp) - 1) << shift);
    row[bit / 8] = static_cast<BYTE>((row[bit / 8] & ~mask) | ((index << shift) & mask));
}

COLORREF Canvas::Get(int x, int y) const {
    if (surface_) {
        return surface_->Get(x, y);
    }
    if (bitmap_ == nullptr) {
        return 0;
    }
    DWORD rgb = bitmap_->PixelRgb(x, y);  // 0x00RRGGBB
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}
