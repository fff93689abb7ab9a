// GDI objects behind the handles: the registry of live objects and the bitmap.
#pragma once

#include <platform/gdi.h>

#include <memory>
#include <vector>

struct GdiObject {
    virtual ~GdiObject() = default;
    // Stock objects survive DeleteObject.
    bool permanent = false;
};

// A device-independent bitmap: 1, 4 or 8 bits with a palette, or 24 bits blue-green-red.
// Rows are stored top-down, each padded to a multiple of 4 bytes.
struct BitmapObject : GdiObject {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 24;
    int stride = 0;
    std::vector<DWORD> palette;  // 0x00RRGGBB entries
    std::vector<BYTE> bits;

    // Colour of one pixel as 0x00RRGGBB; 0 outside the bitmap.
    DWORD PixelRgb(int x, int y) const;
};

// Registers a new object and returns its handle (null when out of memory).
HGDIOBJ AddGdiObject(std::unique_ptr<GdiObject> object);
// The live object behind a handle, or null. The object stays valid until DeleteObject.
GdiObject* FindGdiObject(HGDIOBJ handle);
inline BitmapObject* FindBitmap(HGDIOBJ handle) {
    return dynamic_cast<BitmapObject*>(FindGdiObject(handle));
}

// Parses a DIB: a BITMAPINFOHEADER (or larger) at the start of data, the palette or the bit
// fields, and the rows at pixelOffset (0: right after the palette). Null when malformed.
std::unique_ptr<BitmapObject> ParseDib(const BYTE* data, std::size_t size, std::size_t pixelOffset);
