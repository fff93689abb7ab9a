// Fonts and text output: CreateFontIndirectW, ExtTextOutW, DrawTextW and text measurement.
#include "font_engine.h"
#include "text_layout.h"

#include <platform/text.h>
#include <platform_internal/dc_object.h>

#include <algorithm>
#include <string>

int FontObject::EmPixels() const {
    return EmPixelsForHeight(logFont.lfHeight, Bold(), CurrentDeviceScreen().dpi);
}

namespace {

FontObject* SelectedFont(const DcObject& dc) {
    FontObject* font = FindFont(dc.font);
    return font != nullptr ? font : FindFont(DefaultFont());
}

COLORREF Blend(COLORREF under, COLORREF over, int coverage) {
    auto mix = [&](int a, int b) { return (a * (255 - coverage) + b * coverage + 127) / 255; };
    return RGB(mix(GetRValue(under), GetRValue(over)), mix(GetGValue(under), GetGValue(over)),
               mix(GetBValue(under), GetBValue(over)));
}

// Draws one line with the top-left of its cell at logical (x, y), clipped to clip (logical;
// null: the DC's own clip). A font with escapement 900 turns the line a quarter turn
// anticlockwise about (x, y).
void DrawLine(DcObject& dc, Canvas& canvas, int x, int y, std::u16string_view text,
              const RECT* clip) {
    FontObject* font = SelectedFont(dc);
    if (font == nullptr) {
        return;
    }
    RECT limit = dc.clip;
    if (clip != nullptr) {
        limit.left = std::max(limit.left, clip->left + dc.origin.x);
        limit.top = std::max(limit.top, clip->top + dc.origin.y);
        limit.right = std::min(limit.right, clip->right + dc.origin.x);
        limit.bottom = std::min(limit.bottom, clip->bottom + dc.origin.y);
    }
    int em = font->EmPixels();
    bool bold = font->Bold();
    bool rotated = font->Rotated();
    int originX = x + dc.origin.x, originY = y + dc.origin.y;
    auto place = [&](int u, int v, int* px, int* py) {
        *px = rotated ? originX + v : originX + u;
        *py = rotated ? originY - u : originY + v;
    };
    auto inside = [&](int px, int py) {
        return px >= limit.left && px < limit.right && py >= limit.top && py < limit.bottom &&
               px >= 0 && py >= 0 && px < canvas.Width() && py < canvas.Height();
    };
    if (dc.backMode == OPAQUE) {
        FontMetrics metrics;
        GetFontMetrics(em, bold, &metrics);
        int width = 0;
        for (int advance : TextAdvances(em, bold, text)) {
            width += advance;
        }
        for (int v = 0; v < metrics.ascent + metrics.descent; ++v) {
            for (int u = 0; u < width; ++u) {
                int px, py;
                place(u, v, &px, &py);
                if (inside(px, py)) {
                    canvas.Put(px, py, dc.backColour);
                }
            }
        }
    }
    RenderText(em, bold, text, [&](int u, int v, int coverage) {
        int px, py;
        place(u, v, &px, &py);
        if (inside(px, py)) {
            canvas.Put(px, py,
                       coverage >= 255 ? dc.textColour
                                       : Blend(canvas.Get(px, py), dc.textColour, coverage));
        }
    });
}

int LineHeight(const FontObject* font) {
    FontMetrics metrics;
    GetFontMetrics(font->EmPixels(), font->Bold(), &metrics);
    return metrics.ascent + metrics.descent;
}

}  // namespace

HFONT CreateFontIndirectW(const LOGFONTW* logFont) {
    if (logFont == nullptr) {
        return nullptr;
    }
    auto font = std::make_unique<FontObject>();
    font->logFont = *logFont;
    return AddGdiObject(std::move(font));
}

BOOL GetTextMetricsW(HDC handle, TEXTMETRICW* out) {
    DcObject* dc = FindDc(handle);
    if (dc == nullptr || out == nullptr) {
        return FALSE;
    }
    FontObject* font = SelectedFont(*dc);
    FontMetrics metrics;
    GetFontMetrics(font->EmPixels(), font->Bold(), &metrics);
    *out = TEXTMETRICW{};
    out->tmAscent = metrics.ascent;
    out->tmDescent = metrics.descent;
    out->tmHeight = metrics.ascent + metrics.descent;
    out->tmInternalLeading = out->tmHeight - (font->EmPixels() + 32) / 64;
    out->tmAveCharWidth = metrics.averageWidth;
    out->tmMaxCharWidth = metrics.maxWidth;
    out->tmWeight = font->logFont.lfWeight;
    return TRUE;
}

BOOL GetTextExtentExPointW(HDC handle, LPCWSTR text, int count, int maxExtent, int* fits,
                           int* extents, SIZE* size) {
    DcObject* dc = FindDc(handle);
    if (dc == nullptr || (text == nullptr && count > 0) || count < 0) {
        return FALSE;
    }
    FontObject* font = SelectedFont(*dc);
    std::vector<int> advances =
        TextAdvances(font->EmPixels(), font->Bold(), std::u16string_view(text, count));
    int total = 0, fit = 0;
    for (int i = 0; i < count; ++i) {
        total += advances[i];
        if (extents != nullptr) {
            extents[i] = total;
        }
        if (total <= maxExtent) {
            fit = i + 1;
        }
    }
    if (fits != nullptr) {
        *fits = fit;
    }
    if (size != nullptr) {
        size->cx = total;
        size->cy = LineHeight(font);
    }
    return TRUE;
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, SIZE* size) {
    return GetTextExtentExPointW(dc, text, count, 0, nullptr, nullptr, size);
}

BOOL ExtTextOutW(HDC handle, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count,
                 const int*) {
    if (text == nullptr && count > 0) {
        return FALSE;
    }
    return WithCanvas(handle, [&](DcObject& dc, Canvas& canvas) {
        if ((options & ETO_OPAQUE) != 0 && rect != nullptr) {
            FillTargetRect(dc, canvas,
                           {rect->left + dc.origin.x, rect->top + dc.origin.y,
                            rect->right + dc.origin.x, rect->bottom + dc.origin.y},
                           dc.backColour);
        }
        DrawLine(dc, canvas, x, y, std::u16string_view(text, count),
                 (options & ETO_CLIPPED) != 0 ? rect : nullptr);
    });
}

int DrawTextW(HDC handle, LPCWSTR text, int count, LPRECT rect, UINT format) {
    DcObject* dc = FindDc(handle);
    if (dc == nullptr || rect == nullptr || text == nullptr) {
        return 0;
    }
    std::u16string_view source(text, count < 0 ? static_cast<std::size_t>(lstrlenW(text))
                                               : static_cast<std::size_t>(count));
    FontObject* font = SelectedFont(*dc);
    int em = font->EmPixels();
    bool bold = font->Bold();
    auto measure = [&](std::u16string_view line) {
        int width = 0;
        for (int advance : TextAdvances(em, bold, line)) {
            width += advance;
        }
        return width;
    };
    std::vector<std::u16string> lines =
        LayOutText(source, format, rect->right - rect->left, measure);
    int lineHeight = LineHeight(font);
    int height = lineHeight * static_cast<int>(lines.size());
    if ((format & DT_CALCRECT) != 0) {
        int widest = 0;
        for (const auto& line : lines) {
            widest = std::max(widest, measure(line));
        }
        rect->right = rect->left + widest;
        rect->bottom = rect->top + height;
        return height;
    }
    int top = rect->top;
    if ((format & DT_SINGLELINE) != 0 && (format & DT_VCENTER) != 0) {
        top = rect->top + (rect->bottom - rect->top - height) / 2;
    } else if ((format & DT_SINGLELINE) != 0 && (format & DT_BOTTOM) != 0) {
        top = rect->bottom - height;
    }
    RECT clip = *rect;
    WithCanvas(handle, [&](DcObject& state, Canvas& canvas) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            int width = measure(lines[i]);
            int left = rect->left;
            if ((format & DT_CENTER) != 0) {
                left = rect->left + (rect->right - rect->left - width) / 2;
            } else if ((format & DT_RIGHT) != 0) {
                left = rect->right - width;
            }
            DrawLine(state, canvas, left, top + static_cast<int>(i) * lineHeight, lines[i],
                     (format & DT_NOCLIP) != 0 ? nullptr : &clip);
        }
    });
    return height;
}
