#include <platform_internal/pixel_plane.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#elif defined(__SSE2__)
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

// Row copies between distinct buffers. On rows of a few hundred bytes to a few kilobytes (screen
// rows) a loop of aligned vector stores beats the C library's memcpy, whose widest code pays off
// only on longer runs (see bench/README.md). A row of at least one vector: the first vector is
// stored unaligned, the rest aligned from the next boundary on, the last vector again unaligned
// and overlapping; the overlaps store the same bytes twice.
#if defined(__x86_64__) && defined(__GNUC__)
#define TAVREL_WIDE_ROWS 1

// 64-byte vectors: one store a cache line.
[[gnu::target("avx512f")]] void CopyRows64(BYTE* dest, std::ptrdiff_t destPitch, const BYTE* source,
                                           std::ptrdiff_t sourcePitch, std::size_t bytes,
                                           int rows) {
    using V = __m512i;
    for (int r = 0; r < rows; ++r, dest += destPitch, source += sourcePitch) {
        if (bytes < 64) {
            std::memcpy(dest, source, bytes);
            continue;
        }
        auto* out = reinterpret_cast<V*>(dest);
        auto* in = reinterpret_cast<const V*>(source);
        _mm512_storeu_si512(out, _mm512_loadu_si512(in));
        std::size_t at = 64 - (reinterpret_cast<std::uintptr_t>(dest) & 63);
        for (; at + 256 <= bytes; at += 256) {
            V a = _mm512_loadu_si512(source + at);
            V b = _mm512_loadu_si512(source + at + 64);
            V c = _mm512_loadu_si512(source + at + 128);
            V d = _mm512_loadu_si512(source + at + 192);
            _mm512_store_si512(dest + at, a);
            _mm512_store_si512(dest + at + 64, b);
            _mm512_store_si512(dest + at + 128, c);
            _mm512_store_si512(dest + at + 192, d);
        }
        for (; at + 64 <= bytes; at += 64) {
            _mm512_store_si512(dest + at, _mm512_loadu_si512(source + at));
        }
        _mm512_storeu_si512(dest + bytes - 64, _mm512_loadu_si512(source + bytes - 64));
    }
}
#endif

// 16-byte vectors where the processor has them (every x86-64 does), else the library's copy.
void CopyRows16(BYTE* dest, std::ptrdiff_t destPitch, const BYTE* source,
                std::ptrdiff_t sourcePitch, std::size_t bytes, int rows) {
    for (int r = 0; r < rows; ++r, dest += destPitch, source += sourcePitch) {
#if defined(__SSE2__)
        if (bytes >= 16) {
            using V = __m128i;
            auto load = [&](std::size_t at) {
                return _mm_loadu_si128(reinterpret_cast<const V*>(source + at));
            };
            _mm_storeu_si128(reinterpret_cast<V*>(dest), load(0));
            std::size_t at = 16 - (reinterpret_cast<std::uintptr_t>(dest) & 15);
            for (; at + 64 <= bytes; at += 64) {
                V a = load(at), b = load(at + 16), c = load(at + 32), d = load(at + 48);
                _mm_store_si128(reinterpret_cast<V*>(dest + at), a);
                _mm_store_si128(reinterpret_cast<V*>(dest + at + 16), b);
                _mm_store_si128(reinterpret_cast<V*>(dest + at + 32), c);
                _mm_store_si128(reinterpret_cast<V*>(dest + at + 48), d);
            }
            for (; at + 16 <= bytes; at += 16) {
                _mm_store_si128(reinterpret_cast<V*>(dest + at), load(at));
            }
            _mm_storeu_si128(reinterpret_cast<V*>(dest + bytes - 16), load(bytes - 16));
            continue;
        }
#endif
        std::memcpy(dest, source, bytes);
    }
}

// The widest row copy the processor can run: 64 or 16 bytes a vector.
int WidestRowCopy() {
#if defined(TAVREL_WIDE_ROWS)
    if (__builtin_cpu_supports("avx512f")) {
        return 64;
    }
#endif
    return 16;
}

std::atomic<int>& RowCopyVector() {
    static std::atomic<int> bytes = WidestRowCopy();
    return bytes;
}

// rows rows of bytes each, pitch apart, between distinct buffers.
void CopyRows(BYTE* dest, std::ptrdiff_t destPitch, const BYTE* source, std::ptrdiff_t sourcePitch,
              std::size_t bytes, int rows) {
#if defined(TAVREL_WIDE_ROWS)
    if (RowCopyVector().load(std::memory_order_relaxed) == 64) {
        CopyRows64(dest, destPitch, source, sourcePitch, bytes, rows);
        return;
    }
#endif
    CopyRows16(dest, destPitch, source, sourcePitch, bytes, rows);
}

inline void CopyRow(BYTE* dest, const BYTE* source, std::size_t bytes) {
    CopyRows(dest, 0, source, 0, bytes, 1);
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
        CopyRows(to, toPitch, from, fromPitch, bytes, rows);
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

int SetBlitRowVectorBytes(int bytes) {
    std::atomic<int>& current = RowCopyVector();
    if (bytes == 16 || bytes == WidestRowCopy()) {
        current = bytes;
    }
    return current;
}
