// Filled rectangles, rounded rectangles, lines and single pixels.
#include <platform_internal/dc_object.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

RECT ToTarget(const DcObject& dc, RECT rect) {
    return {rect.left + dc.origin.x, rect.top + dc.origin.y, rect.right + dc.origin.x,
            rect.bottom + dc.origin.y};
}

bool Visible(const DcObject& dc, const Canvas& canvas, int x, int y) {
    return x >= dc.clip.left && x < dc.clip.right && y >= dc.clip.top && y < dc.clip.bottom &&
           x >= 0 && y >= 0 && x < canvas.Width() && y < canvas.Height();
}

void Plot(const DcObject& dc, Canvas& canvas, int x, int y, COLORREF colour) {
    if (Visible(dc, canvas, x, y)) {
        canvas.Put(x, y, colour);
    }
}

// Whether the centre of pixel (x, y) lies inside a rectangle whose corners are rounded by
// ellipses of radii rx, ry.
bool InsideRounded(const RECT& r, double rx, double ry, int x, int y) {
    if (x < r.left || x >= r.right || y < r.top || y >= r.bottom) {
        return false;
    }
    if (rx <= 0 || ry <= 0) {
        return true;
    }
    double px = x + 0.5, py = y + 0.5;
    double cx = std::clamp(px, r.left + rx, r.right - rx);
    double cy = std::clamp(py, r.top + ry, r.bottom - ry);
    double dx = (px - cx) / rx, dy = (py - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
}

// Outline with the pen, inside with the brush, as Rectangle and RoundRect draw.
void DrawShape(HDC handle, RECT shape, int ellipseWidth, int ellipseHeight) {
    WithCanvas(handle, [&](DcObject& dc, Canvas& canvas) {
        RECT outer = ToTarget(dc, shape);
        PenObject* pen = FindPen(dc.pen);
        BrushObject* brush = FindBrush(dc.brush);
        bool outline = pen != nullptr && pen->style != PS_NULL;
        int penWidth = outline ? pen->width : 0;
        RECT inner{outer.left + penWidth, outer.top + penWidth, outer.right - penWidth,
                   outer.bottom - penWidth};
        double rx = ellipseWidth / 2.0, ry = ellipseHeight / 2.0;
        double innerRx = std::max(0.0, rx - penWidth), innerRy = std::max(0.0, ry - penWidth);
        RECT span{std::max(outer.left, dc.clip.left), std::max(outer.top, dc.clip.top),
                  std::min(outer.right, dc.clip.right), std::min(outer.bottom, dc.clip.bottom)};
        for (int y = span.top; y < span.bottom; ++y) {
            for (int x = span.left; x < span.right; ++x) {
                if (!InsideRounded(outer, rx, ry, x, y)) {
                    continue;
                }
                if (InsideRounded(inner, innerRx, innerRy, x, y)) {
                    if (brush != nullptr && !brush->hollow) {
                        Plot(dc, canvas, x, y, brush->colour);
                    }
                } else if (outline) {
                    Plot(dc, canvas, x, y, pen->colour);
                }
            }
        }
    });
}

}  // namespace

void FillTargetRect(const DcObject& dc, Canvas& canvas, RECT r, COLORREF colour) {
    int left = std::max({r.left, dc.clip.left, LONG{0}});
    int top = std::max({r.top, dc.clip.top, LONG{0}});
    int right = std::min({r.right, dc.clip.right, static_cast<LONG>(canvas.Width())});
    int bottom = std::min({r.bottom, dc.clip.bottom, static_cast<LONG>(canvas.Height())});
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            canvas.Put(x, y, colour);
        }
    }
}

BOOL FillRect(HDC handle, const RECT* rect, HBRUSH brushHandle) {
    BrushObject* brush = FindBrush(brushHandle);
    if (rect == nullptr || brush == nullptr) {
        return FALSE;
    }
    if (brush->hollow) {
        return TRUE;
    }
    COLORREF colour = brush->colour;
    return WithCanvas(handle, [&](DcObject& dc, Canvas& canvas) {
        FillTargetRect(dc, canvas, ToTarget(dc, *rect), colour);
    });
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    if (FindDc(dc) == nullptr) {
        return FALSE;
    }
    DrawShape(dc, {left, top, right, bottom}, 0, 0);
    return TRUE;
}

BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height) {
    if (FindDc(dc) == nullptr) {
        return FALSE;
    }
    DrawShape(dc, {left, top, right, bottom}, std::clamp(width, 0, right - left),
              std::clamp(height, 0, bottom - top));
    return TRUE;
}

BOOL MoveToEx(HDC handle, int x, int y, LPPOINT previous) {
    DcObject* dc = FindDc(handle);
    if (dc == nullptr) {
        return FALSE;
    }
    if (previous != nullptr) {
        *previous = dc->position;
    }
    dc->position = {x, y};
    return TRUE;
}

// Draws from the current position to (x, y), leaving out the last pixel.
BOOL LineTo(HDC handle, int x, int y) {
    return WithCanvas(handle, [&](DcObject& dc, Canvas& canvas) {
        PenObject* pen = FindPen(dc.pen);
        int x0 = dc.position.x + dc.origin.x, y0 = dc.position.y + dc.origin.y;
        int x1 = x + dc.origin.x, y1 = y + dc.origin.y;
        dc.position = {x, y};
        if (pen == nullptr || pen->style == PS_NULL) {
            return;
        }
        int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
        int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        int error = dx + dy;
        int half = (pen->width - 1) / 2;
        for (int step = 0; !(x0 == x1 && y0 == y1); ++step) {
            if (pen->style != PS_DASH || (step / 4) % 2 == 0) {
                for (int oy = -half; oy < pen->width - half; ++oy) {
                    for (int ox = -half; ox < pen->width - half; ++ox) {
                        Plot(dc, canvas, x0 + ox, y0 + oy, pen->colour);
                    }
                }
            }
            int twice = 2 * error;
            if (twice >= dy) {
                error += dy, x0 += sx;
            }
            if (twice <= dx) {
                error += dx, y0 += sy;
            }
        }
    });
}

BOOL Polyline(HDC dc, const POINT* points, int count) {
    if (points == nullptr || count < 2 || !MoveToEx(dc, points[0].x, points[0].y, nullptr)) {
        return FALSE;
    }
    for (int i = 1; i < count; ++i) {
        LineTo(dc, points[i].x, points[i].y);
    }
    return TRUE;
}

COLORREF SetPixel(HDC handle, int x, int y, COLORREF colour) {
    COLORREF result = 0xFFFFFFFF;
    WithCanvas(handle, [&](DcObject& dc, Canvas& canvas) {
        int tx = x + dc.origin.x, ty = y + dc.origin.y;
        if (Visible(dc, canvas, tx, ty)) {
            canvas.Put(tx, ty, colour & 0xFFFFFF);
            result = canvas.Get(tx, ty);
        }
    });
    return result;
}

COLORREF GetPixel(HDC handle, int x, int y) {
    COLORREF result = 0xFFFFFFFF;
    WithCanvas(handle, [&](DcObject& dc, Canvas& canvas) {
        int tx = x + dc.origin.x, ty = y + dc.origin.y;
        if (Visible(dc, canvas, tx, ty)) {
            result = canvas.Get(tx, ty);
        }
    });
    return result;
}
