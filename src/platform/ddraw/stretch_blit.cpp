#include <platform_internal/pixel_plane.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Source coordinate of destination offset d (0 <= d < destSize): the source pixel holding the
// destination pixel's centre.
inline int MapCoordinate(std::int64_t d, std::int64_t sourceSize, std::int64_t destSize) {
    return static_cast<int>(((2 * d + 1) * sourceSize) / (2 * destSize));
}

inline BYTE* PixelAt(const PixelPlane& plane, int x, int y) {
    return plane.pixels + static_cast<std::ptrdiff_t>(y) * plane.pitch +
           static_cast<std::ptrdiff_t>(x) * plane.bytesPerPixel;
}

struct Span {
    int first;  // first destination coordinate written
    int last;   // one past the last
};

Span ClipSpan(LONG destStart, LONG destEnd, LONG clipStart, LONG clipEnd) {
    return Span{static_cast<int>(std::max(destStart, clipStart)),
                static_cast<int>(std::min(destEnd, clipEnd))};
}

// Where each destination pixel of a blit comes from, and which destination pixels are drawn.
struct Mapping {
    Mapping(const RECT& destRect, const RECT& clip, const RECT& sourceRect)
        : dest(destRect),
          source(sourceRect),
          dw(std::int64_t{destRect.right} - destRect.left),
          dh(std::int64_t{destRect.bottom} - destRect.top),
          sw(std::int64_t{sourceRect.right} - sourceRect.left),
          sh(std::int64_t{sourceRect.bottom} - sourceRect.top),
          xs(ClipSpan(destRect.left, destRect.right, clip.left, clip.right)),
          ys(ClipSpan(destRect.top, destRect.bottom, clip.top, clip.bottom)) {}

    int SourceX(int x) const {
        return source.left + MapCoordinate(std::int64_t{x} - dest.left, sw, dw);
    }
    int SourceY(int y) const {
        return source.top + MapCoordinate(std::int64_t{y} - dest.top, sh, dh);
    }

    RECT dest;
    RECT source;
    std::int64_t dw, dh, sw, sh;
    Span xs;  // destination columns drawn
    Span ys;  // destination rows drawn
};

template <typename Pixel>
void GatherRow(BYTE* destRow, const BYTE* sourceRow, const int* offsets, int count) {
    auto* out = reinterpret_cast<Pixel*>(destRow);
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        Pixel a, b, c, d;
        std::memcpy(&a, sourceRow + offsets[i], sizeof(Pixel));
        std::memcpy(&b, sourceRow + offsets[i + 1], sizeof(Pixel));
        std::memcpy(&c, sourceRow + offsets[i + 2], sizeof(Pixel));
        std::memcpy(&d, sourceRow + offsets[i + 3], sizeof(Pixel));
        std::memcpy(out + i, &a, sizeof(Pixel));
        std::memcpy(out + i + 1, &b, sizeof(Pixel));
        std::memcpy(out + i + 2, &c, sizeof(Pixel));
        std::memcpy(out + i + 3, &d, sizeof(Pixel));
    }
    for (; i < count; ++i) {
        std::memcpy(out + i, sourceRow + offsets[i], sizeof(Pixel));
    }
}

void GatherRow24(BYTE* destRow, const BYTE* sourceRow, const int* offsets, int count) {
    for (int i = 0; i < count; ++i) {
        const BYTE* p = sourceRow + offsets[i];
        destRow[0] = p[0];
        destRow[1] = p[1];
        destRow[2] = p[2];
        destRow += 3;
    }
}

// A row copy between distinct buffers: 64 bytes a step with aligned stores. On rows of a few
// hundred bytes to a few kilobytes (screen rows) this beats the C library's memcpy, whose wide
// vector code pays off only on longer runs (see bench/README.md).
inline void CopyRow(BYTE* dest, const BYTE* source, std::size_t bytes) {
#if defined(__SSE2__)
    while (bytes > 0 && (reinterpret_cast<std::uintptr_t>(dest) & 15) != 0) {
        *dest++ = *source++;
        --bytes;
    }
    for (; bytes >= 64; bytes -= 64, dest += 64, source += 64) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 16));
        __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 32));
        __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 48));
        _mm_store_si128(reinterpret_cast<__m128i*>(dest), a);
        _mm_store_si128(reinterpret_cast<__m128i*>(dest + 16), b);
        _mm_store_si128(reinterpret_cast<__m128i*>(dest + 32), c);
        _mm_store_si128(reinterpret_cast<__m128i*>(dest + 48), d);
    }
    for (; bytes >= 16; bytes -= 16, dest += 16, source += 16) {
        _mm_store_si128(reinterpret_cast<__m128i*>(dest),
                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(source)));
    }
    // The last few bytes inline: a library call per row costs more than they do.
    while (bytes > 0) {
        *dest++ = *source++;
        --bytes;
    }
#else
    std::memcpy(dest, source, bytes);
#endif
}

void CopyUnscaled(const PixelPlane& dest, Span xs, Span ys, const PixelPlane& source, int dx,
                  int dy) {
    std::size_t bytes = static_cast<std::size_t>(xs.last - xs.first) * dest.bytesPerPixel;
    int rows = ys.last - ys.first;
    if (dest.pixels != source.pixels) {
        // Plain locals: the compiler need not reload the planes after each store.
        BYTE* to = PixelAt(dest, xs.first, ys.first);
        const BYTE* from = PixelAt(source, xs.first + dx, ys.first + dy);
        std::ptrdiff_t toPitch = dest.pitch, fromPitch = source.pitch;
        for (int i = 0; i < rows; ++i, to += toPitch, from += fromPitch) {
            CopyRow(to, from, bytes);
        }
        return;
    }
    // Within one surface, rows move in the order that never overwrites a row still to be read.
    bool bottomUp = dy < 0;
    for (int i = 0; i < rows; ++i) {
        int y = bottomUp ? ys.last - 1 - i : ys.first + i;
        std::memmove(PixelAt(dest, xs.first, y), PixelAt(source, xs.first + dx, y + dy), bytes);
    }
}

}  // namespace

void StretchBlitReference(const PixelPlane& dest, const RECT& destRect, const RECT& clip,
                          const PixelPlane& source, const RECT& sourceRect) {
    Mapping m(destRect, clip, sourceRect);
    for (int y = m.ys.first; y < m.ys.last; ++y) {
        for (int x = m.xs.first; x < m.xs.last; ++x) {
            std::memcpy(PixelAt(dest, x, y), PixelAt(source, m.SourceX(x), m.SourceY(y)),
                        dest.bytesPerPixel);
        }
    }
}

void StretchBlit(const PixelPlane& dest, const RECT& destRect, const RECT& clip,
                 const PixelPlane& source, const RECT& sourceRect) {
    Mapping m(destRect, clip, sourceRect);
    Span xs = m.xs;
    Span ys = m.ys;
    if (xs.first >= xs.last || ys.first >= ys.last) {
        return;
    }
    if (m.dw == m.sw && m.dh == m.sh) {
        // Equal sizes and a non-empty clipped span keep these offsets small.
        CopyUnscaled(dest, xs, ys, source,
                     static_cast<int>(std::int64_t{sourceRect.left} - destRect.left),
                     static_cast<int>(std::int64_t{sourceRect.top} - destRect.top));
        return;
    }
    // Byte offset in a source row of each destination column, computed once for all rows.
    int count = xs.last - xs.first;
    int bytes = dest.bytesPerPixel;
    thread_local std::vector<int> offsets;
    offsets.resize(count);
    for (int i = 0; i < count; ++i) {
        offsets[i] = m.SourceX(xs.first + i) * bytes;
    }
    std::size_t rowBytes = static_cast<std::size_t>(count) * bytes;
    const BYTE* previousRow = nullptr;
    int previousSourceY = -1;
    for (int y = ys.first; y < ys.last; ++y) {
        int sy = m.SourceY(y);
        BYTE* out = PixelAt(dest, xs.first, y);
        if (sy == previousSourceY) {
            // Enlarging: this row repeats the one above it.
            CopyRow(out, previousRow, rowBytes);
            continue;
        }
        const BYTE* in = source.pixels + static_cast<std::ptrdiff_t>(sy) * source.pitch;
        switch (bytes) {
            case 1:
                GatherRow<std::uint8_t>(out, in, offsets.data(), count);
                break;
            case 2:
                GatherRow<std::uint16_t>(out, in, offsets.data(), count);
                break;
            case 3:
                GatherRow24(out, in, offsets.data(), count);
                break;
            default:
                GatherRow<std::uint32_t>(out, in, offsets.data(), count);
                break;
        }
        previousRow = out;
        previousSourceY = sy;
    }
}
