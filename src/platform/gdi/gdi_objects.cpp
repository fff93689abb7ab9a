#include <platform_internal/gdi_objects.h>

#include <platform_internal/handle_table.h>

#include <cstring>
#include <mutex>

namespace {

struct ObjectTable {
    std::mutex mutex;
    HandleTable<GdiObject, HGDIOBJ> objects{kGdiHandles};
};

ObjectTable& Objects() {
    static auto* table = new ObjectTable;
    return *table;
}

}  // namespace

DWORD BitmapObject::PixelRgb(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return 0;
    }
    const BYTE* row = bits.data() + static_cast<std::size_t>(y) * stride;
    if (bitsPerPixel == 24) {
        const BYTE* p = row + x * 3;
        return static_cast<DWORD>(p[2]) << 16 | static_cast<DWORD>(p[1]) << 8 | p[0];
    }
    int bitOffset = x * bitsPerPixel;
    unsigned index =
        (row[bitOffset / 8] >> (8 - bitsPerPixel - bitOffset % 8)) & ((1u << bitsPerPixel) - 1);
    return index < palette.size() ? palette[index] : 0;
}

HGDIOBJ AddGdiObject(std::unique_ptr<GdiObject> object) {
    if (!object) {
        return nullptr;
    }
    ObjectTable& table = Objects();
    std::lock_guard lock(table.mutex);
    return table.objects.Add(std::move(object));
}

GdiObject* FindGdiObject(HGDIOBJ handle) {
    ObjectTable& table = Objects();
    std::lock_guard lock(table.mutex);
    return table.objects.Find(handle);
}

BOOL DeleteObject(HGDIOBJ handle) {
    std::unique_ptr<GdiObject> object;
    ObjectTable& table = Objects();
    std::lock_guard lock(table.mutex);
    GdiObject* found = table.objects.Find(handle);
    if (found == nullptr) {
        return FALSE;
    }
    if (!found->permanent) {
        object = table.objects.Remove(handle);
    }
    return TRUE;
}

int GetObjectW(HGDIOBJ handle, int size, LPVOID out) {
    BitmapObject* bitmap = FindBitmap(handle);
    if (bitmap == nullptr) {
        return 0;
    }
    if (out == nullptr) {
        return sizeof(BITMAP);
    }
    if (size < static_cast<int>(sizeof(BITMAP))) {
        return 0;
    }
    BITMAP info{};
    info.bmWidth = bitmap->width;
    info.bmHeight = bitmap->height;
    info.bmWidthBytes = bitmap->stride;
    info.bmPlanes = 1;
    info.bmBitsPixel = static_cast<WORD>(bitmap->bitsPerPixel);
    info.bmBits = bitmap->bits.data();
    std::memcpy(out, &info, sizeof info);
    return sizeof(BITMAP);
}
