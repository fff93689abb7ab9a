// Stock objects, solid brushes, pens and the system colours.
#include <platform_internal/dc_object.h>

#include <array>
#include <mutex>

namespace {

template <class T>
HGDIOBJ Permanent(std::unique_ptr<T> object) {
    object->permanent = true;
    return AddGdiObject(std::move(object));
}

HGDIOBJ MakeBrush(COLORREF colour, bool hollow) {
    auto brush = std::make_unique<BrushObject>();
    brush->colour = colour;
    brush->hollow = hollow;
    return Permanent(std::move(brush));
}

HGDIOBJ MakePen(int style, COLORREF colour) {
    auto pen = std::make_unique<PenObject>();
    pen->style = style;
    pen->colour = colour;
    return Permanent(std::move(pen));
}

HGDIOBJ MakeSystemFont() {
    auto font = std::make_unique<FontObject>();
    font->logFont.lfHeight = 0;  // the default size: 8 points at the screen's dpi
    font->logFont.lfWeight = FW_NORMAL;
    return Permanent(std::move(font));
}

constexpr std::array<COLORREF, 27> kSystemColours = {
    RGB(200, 200, 200),  // scroll bar
    RGB(255, 255, 255),  // background
    RGB(0, 0, 128),      // active caption
    RGB(192, 192, 192),  // inactive caption
    RGB(255, 255, 255),  // menu
    RGB(255, 255, 255),  // window
    RGB(0, 0, 0),        // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(255, 255, 255),  // caption text
    RGB(192, 192, 192),  // active border
    RGB(192, 192, 192),  // inactive border
    RGB(128, 128, 128),  // app workspace
    RGB(0, 0, 128),      // highlight
    RGB(255, 255, 255),  // highlight text
    RGB(192, 192, 192),  // button face
    RGB(128, 128, 128),  // button shadow
    RGB(128, 128, 128),  // gray text
    RGB(0, 0, 0),        // button text
    RGB(0, 0, 0),        // inactive caption text
    RGB(255, 255, 255),  // button highlight
    RGB(64, 64, 64),     // 3D dark shadow
    RGB(223, 223, 223),  // 3D light
    RGB(0, 0, 0),        // info text
    RGB(255, 255, 225),  // info background
    RGB(255, 255, 255),  // static
    RGB(0, 0, 0),        // static text
};

}  // namespace

HGDIOBJ GetStockObject(int index) {
    static const std::array<HGDIOBJ, 14> stock = [] {
        std::array<HGDIOBJ, 14> objects{};
        objects[WHITE_BRUSH] = MakeBrush(RGB(255, 255, 255), false);
        objects[LTGRAY_BRUSH] = MakeBrush(RGB(192, 192, 192), false);
        objects[GRAY_BRUSH] = MakeBrush(RGB(128, 128, 128), false);
        objects[DKGRAY_BRUSH] = MakeBrush(RGB(64, 64, 64), false);
        objects[BLACK_BRUSH] = MakeBrush(RGB(0, 0, 0), false);
        objects[NULL_BRUSH] = MakeBrush(0, true);
        objects[WHITE_PEN] = MakePen(PS_SOLID, RGB(255, 255, 255));
        objects[BLACK_PEN] = MakePen(PS_SOLID, RGB(0, 0, 0));
        objects[NULL_PEN] = MakePen(PS_NULL, 0);
        objects[SYSTEM_FONT] = MakeSystemFont();
        return objects;
    }();
    return index >= 0 && index < static_cast<int>(stock.size()) ? stock[index] : nullptr;
}

HBRUSH DefaultBrush() {
    return GetStockObject(WHITE_BRUSH);
}
HPEN DefaultPen() {
    return GetStockObject(BLACK_PEN);
}
HFONT DefaultFont() {
    return GetStockObject(SYSTEM_FONT);
}

HBRUSH CreateSolidBrush(COLORREF colour) {
    auto brush = std::make_unique<BrushObject>();
    brush->colour = colour & 0xFFFFFF;
    return AddGdiObject(std::move(brush));
}

HPEN CreatePen(int style, int width, COLORREF colour) {
    if (style != PS_SOLID && style != PS_DASH && style != PS_NULL) {
        return nullptr;
    }
    auto pen = std::make_unique<PenObject>();
    pen->style = style;
    pen->width = width < 1 ? 1 : width;
    pen->colour = colour & 0xFFFFFF;
    return AddGdiObject(std::move(pen));
}

COLORREF GetSysColor(int index) {
    index &= ~0x40000000;  // the handheld's SYS_COLOR_INDEX_FLAG
    return index >= 0 && index < static_cast<int>(kSystemColours.size()) ? kSystemColours[index]
                                                                         : 0;
}

HBRUSH GetSysColorBrush(int index) {
    static std::mutex mutex;
    static std::array<HBRUSH, kSystemColours.size()> brushes{};
    index &= ~0x40000000;
    if (index < 0 || index >= static_cast<int>(kSystemColours.size())) {
        return nullptr;
    }
    std::lock_guard lock(mutex);
    if (brushes[index] == nullptr) {
        brushes[index] = MakeBrush(kSystemColours[index], false);
    }
    return brushes[index];
}
