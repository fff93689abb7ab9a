// Device contexts: window and memory contexts, selected objects, colours and capabilities.
#include <platform_internal/dc_object.h>

DcObject::~DcObject() = default;

namespace {

HDC AddDc(std::unique_ptr<DcObject> dc) {
    dc->brush = DefaultBrush();
    dc->pen = DefaultPen();
    dc->font = DefaultFont();
    return AddGdiObject(std::move(dc));
}

}  // namespace

HDC CreateWindowDc(HWND window, std::shared_ptr<WindowSurface> surface, POINT origin, RECT clip) {
    auto dc = std::make_unique<DcObject>();
    dc->window = window;
    dc->surface = std::move(surface);
    dc->origin = origin;
    dc->clip = clip;
    return AddDc(std::move(dc));
}

HDC CreateCompatibleDC(HDC) {
    auto dc = std::make_unique<DcObject>();
    auto bitmap = std::make_unique<BitmapObject>();
    bitmap->width = bitmap->height = 1;
    bitmap->stride = 4;
    bitmap->bits.assign(4, 0);
    dc->defaultBitmap = dc->bitmap = AddGdiObject(std::move(bitmap));
    dc->clip = {0, 0, 1, 1};
    return AddDc(std::move(dc));
}

BOOL DeleteDC(HDC handle) {
    DcObject* dc = FindDc(handle);
    if (dc == nullptr) {
        return FALSE;
    }
    HBITMAP own = dc->defaultBitmap;
    DeleteObject(handle);
    if (own != nullptr) {
        DeleteObject(own);
    }
    return TRUE;
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height) {
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767 ||
        static_cast<long long>(width) * height > (64ll << 20)) {
        return nullptr;
    }
    auto bitmap = std::make_unique<BitmapObject>();
    bitmap->width = width;
    bitmap->height = height;
    bitmap->bitsPerPixel = 24;
    bitmap->stride = ((width * 24 + 31) / 32) * 4;
    bitmap->bits.assign(static_cast<std::size_t>(bitmap->stride) * height, 0);
    return AddGdiObject(std::move(bitmap));
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object) {
    DcObject* dc = FindDc(handle);
    GdiObject* found = FindGdiObject(object);
    if (dc == nullptr || found == nullptr) {
        return nullptr;
    }
    HGDIOBJ previous = nullptr;
    if (dynamic_cast<BrushObject*>(found) != nullptr) {
        previous = dc->brush, dc->brush = object;
    } else if (dynamic_cast<PenObject*>(found) != nullptr) {
        previous = dc->pen, dc->pen = object;
    } else if (dynamic_cast<FontObject*>(found) != nullptr) {
        previous = dc->font, dc->font = object;
    } else if (auto* bitmap = dynamic_cast<BitmapObject*>(found);
               bitmap != nullptr && !dc->surface) {
        std::lock_guard lock(SurfaceMutex());
        previous = dc->bitmap, dc->bitmap = object;
        dc->clip = {0, 0, bitmap->width, bitmap->height};
    }
    return previous;
}

bool WithCanvas(HDC handle, const std::function<void(DcObject& state, Canvas& canvas)>& draw) {
    std::lock_guard lock(SurfaceMutex());
    DcObject* dc = FindDc(handle);
    if (dc == nullptr) {
        return false;
    }
    if (dc->surface) {
        Canvas canvas(dc->surface);
        draw(*dc, canvas);
        MarkWindowSurfacesChanged();
        return true;
    }
    BitmapObject* bitmap = FindBitmap(dc->bitmap);
    if (bitmap == nullptr) {
        return false;
    }
    Canvas canvas(bitmap);
    draw(*dc, canvas);
    return true;
}

// Sets one colour of the DC; returns the previous one (CLR_INVALID for a bad handle).
static COLORREF ExchangeColour(HDC handle, COLORREF DcObject::*member, COLORREF colour) {
    DcObject* dc = FindDc(handle);
    if (dc == nullptr) {
        return CLR_INVALID;
    }
    COLORREF previous = dc->*member;
    dc->*member = colour & 0xFFFFFF;
    return previous;
}

COLORREF SetTextColor(HDC dc, COLORREF colour) {
    return ExchangeColour(dc, &DcObject::textColour, colour);
}

COLORREF SetBkColor(HDC dc, COLORREF colour) {
    return ExchangeColour(dc, &DcObject::backColour, colour);
}

static COLORREF ColourOf(HDC handle, COLORREF DcObject::*member) {
    DcObject* dc = FindDc(handle);
    return dc == nullptr ? CLR_INVALID : dc->*member;
}

COLORREF GetTextColor(HDC dc) {
    return ColourOf(dc, &DcObject::textColour);
}

COLORREF GetBkColor(HDC dc) {
    return ColourOf(dc, &DcObject::backColour);
}

int SetBkMode(HDC handle, int mode) {
    DcObject* dc = FindDc(handle);
    if (dc == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) {
        return 0;
    }
    int previous = dc->backMode;
    dc->backMode = mode;
    return previous;
}

int GetDeviceCaps(HDC, int index) {
    DeviceScreenConfig screen = CurrentDeviceScreen();
    switch (index) {
        case HORZRES:
            return screen.width;
        case VERTRES:
            return screen.height;
        case BITSPIXEL:
            return BytesPerDevicePixel(screen.format) * 8;
        case LOGPIXELSX:
        case LOGPIXELSY:
            return screen.dpi;
        default:
            return 0;
    }
}

int MulDiv(int a, int b, int c) {
    if (c == 0) {
        return -1;
    }
    long long n = static_cast<long long>(a) * b;
    long long d = c;
    if (d < 0) {
        n = -n, d = -d;
    }
    long long result = n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d);
    if (result > INT32_MAX || result < INT32_MIN) {
        return -1;
    }
    return static_cast<int>(result);
}
