// Device contexts and the drawing objects selected into them.
#pragma once

#include <platform/gdi.h>
#include <platform_internal/gdi_objects.h>
#include <platform_internal/window_surface.h>

#include <functional>
#include <memory>

struct BrushObject : GdiObject {
    COLORREF colour = 0;
    bool hollow = false;
};

struct PenObject : GdiObject {
    int style = PS_SOLID;
    int width = 1;
    COLORREF colour = 0;
};

struct FontObject : GdiObject {
    LOGFONTW logFont{};
    // Size of the em square in 1/64 pixels, from the logical height.
    int EmPixels() const;
    bool Bold() const { return logFont.lfWeight >= 600; }
    bool Rotated() const { return logFont.lfEscapement == 900; }
};

// Where a device context draws: a window's backing surface or the bitmap selected into a memory
// context. Coordinates are the target's own pixels.
class Canvas {
  public:
    Canvas(std::shared_ptr<WindowSurface> surface) : surface_(std::move(surface)) {}
    explicit Canvas(BitmapObject* bitmap) : bitmap_(bitmap) {}
    int Width() const;
    int Height() const;
    void Put(int x, int y, COLORREF colour);
    COLORREF Get(int x, int y) const;
    bool IsWindowSurface() const { return surface_ != nullptr; }

  private:
    std::shared_ptr<WindowSurface> surface_;
    BitmapObject* bitmap_ = nullptr;
};

struct DcObject : GdiObject {
    // A window DC draws into the window's surface; a memory DC into its selected bitmap.
    std::shared_ptr<WindowSurface> surface;
    HBITMAP bitmap = nullptr;
    HBITMAP defaultBitmap = nullptr;  // the 1 x 1 bitmap a memory DC starts with
    POINT origin{0, 0};               // where logical (0, 0) lies on the target
    RECT clip{0, 0, 0, 0};            // target pixels that may change
    HWND window = nullptr;
    HBRUSH brush = nullptr;
    HPEN pen = nullptr;
    HFONT font = nullptr;
    COLORREF textColour = 0;
    COLORREF backColour = 0xFFFFFF;
    int backMode = OPAQUE;
    POINT position{0, 0};
    ~DcObject() override;
};

inline DcObject* FindDc(HGDIOBJ handle) {
    return dynamic_cast<DcObject*>(FindGdiObject(handle));
}
inline BrushObject* FindBrush(HGDIOBJ handle) {
    return dynamic_cast<BrushObject*>(FindGdiObject(handle));
}
inline PenObject* FindPen(HGDIOBJ handle) {
    return dynamic_cast<PenObject*>(FindGdiObject(handle));
}
inline FontObject* FindFont(HGDIOBJ handle) {
    return dynamic_cast<FontObject*>(FindGdiObject(handle));
}

// A device context drawing into a window's surface at origin, limited to clip (surface pixels).
HDC CreateWindowDc(HWND window, std::shared_ptr<WindowSurface> surface, POINT origin, RECT clip);

// Runs draw with the DC's canvas while the surfaces are locked; false for a bad handle.
bool WithCanvas(HDC dc, const std::function<void(DcObject& state, Canvas& canvas)>& draw);
// The default drawing objects of a new DC.
HBRUSH DefaultBrush();
HPEN DefaultPen();
HFONT DefaultFont();
// Every pixel of a filled rectangle in target coordinates, clipped to the DC.
void FillTargetRect(const DcObject& dc, Canvas& canvas, RECT rect, COLORREF colour);
