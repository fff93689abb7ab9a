// Painting decoded pixels into a local image before it is handed on in one drawing call: the
// pixel types of the four decodable sizes, reading one pixel off the wire into host order, and
// filling a rectangle of an image. Each decoder that paints is a template over the pixel type,
// so a pixel is one typed store rather than a copy of a run-time number of bytes.
#pragma once

#include <encodings/paint_stores.h>
#include <rfb/pixel_format.h>
#include <rfb/session_listener.h>
#include <rfb/transport.h>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
// What a function that uses the masked stores is compiled for.
#define TAVREL_MASKED_STORES 1
#define TAVREL_MASKED_TARGET gnu::target("avx512f,avx512bw,avx512vl,bmi2")
#else
#define TAVREL_MASKED_TARGET
#endif
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cstdint>
#include <cstring>
#include <type_traits>

struct Pixel24 {
    BYTE bytes[3];
};

// Pixels are kept in host order, as the listener receives them.
template <typename Pixel>
Pixel ReadWirePixel(const BYTE* p, bool bigEndian) {
    Pixel value;
    std::memcpy(&value, p, sizeof(Pixel));
    if constexpr (std::is_same_v<Pixel, std::uint16_t>) {
        return bigEndian ? __builtin_bswap16(value) : value;
    } else if constexpr (std::is_same_v<Pixel, std::uint32_t>) {
        return bigEndian ? __builtin_bswap32(value) : value;
    } else {
        return value;  // one byte, or three that are never swapped
    }
}

// A pixel with the bits set that the framebuffer painted into keeps set in every pixel (a 32-bit
// framebuffer's unused byte; none where the decoder paints into a band).
template <typename Pixel>
inline Pixel WithBits(Pixel pixel, std::uint32_t setBits) {
    if constexpr (std::is_same_v<Pixel, std::uint32_t>) {
        return pixel | setBits;
    } else {
        return pixel;
    }
}

// Where pixels of this type are painted straight into the listener's framebuffer.
template <typename Pixel>
struct DirectPlace {
    Pixel* at = nullptr;            // the rectangle's top-left pixel
    int stride = 0;                 // pixels from one row to the next
    std::uint32_t setBits = 0;      // set in every pixel painted
};

// BeginDirectPaint for pixels of this type: true with *place filled in; false where the listener
// offers none, or a place these pixels cannot be painted into (ended again at once).
template <typename Pixel>
bool BeginDirectPaint(SessionListener& listener, int x, int y, int width, int height,
                      DirectPlace<Pixel>* place) {
    BYTE* at = nullptr;
    int strideBytes = 0;
    std::uint32_t setBits = 0;
    if (!listener.BeginDirectPaint(x, y, width, height, sizeof(Pixel), &at, &strideBytes,
                                   &setBits)) {
        return false;
    }
    if (strideBytes % static_cast<int>(sizeof(Pixel)) != 0 ||
        (setBits != 0 && !std::is_same_v<Pixel, std::uint32_t>)) {
        listener.EndDirectPaint(x, y, 0, 0);
        return false;
    }
    *place = {reinterpret_cast<Pixel*>(at), strideBytes / static_cast<int>(sizeof(Pixel)),
              setBits};
    return true;
}

// count pixels as sent to count host-order pixels, with setBits set (32-bit pixels): the byte
// swap, where there is one, in the copy. Eight or four pixels (16 bytes) a step where SSE2 is
// there.
template <typename Pixel>
inline void CopyWirePixels(Pixel* dest, const BYTE* wire, int count, bool bigEndian,
                           std::uint32_t setBits = 0) {
    if constexpr (std::is_same_v<Pixel, std::uint16_t> || std::is_same_v<Pixel, std::uint32_t>) {
        if (bigEndian || (sizeof(Pixel) == 4 && setBits != 0)) {
            int i = 0;
#if defined(__SSE2__)
            constexpr int kStep = 16 / sizeof(Pixel);
            const __m128i bits = _mm_set1_epi32(sizeof(Pixel) == 4 ? static_cast<int>(setBits) : 0);
            for (; i + kStep <= count; i += kStep) {
                __m128i v =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(wire + i * sizeof(Pixel)));
                if (bigEndian) {
                    v = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
                    if constexpr (sizeof(Pixel) == 4) {
                        v = _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0xB1), 0xB1);
                    }
                }
                _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + i), _mm_or_si128(v, bits));
            }
#endif
            for (; i < count; ++i) {
                dest[i] = WithBits(ReadWirePixel<Pixel>(wire + i * sizeof(Pixel), bigEndian),
                                   setBits);
            }
            return;
        }
    }
    std::memcpy(dest, wire, static_cast<std::size_t>(count) * sizeof(Pixel));
}

// The next length bytes of the stream: where the transport holds them (inPlace, from its
// ReceivesInPlace) without copying them, unless they straddle the end of what it holds; otherwise
// read into scratch (at least length bytes). Null when a read failed.
inline const BYTE* ReceiveWhole(Transport& transport, bool inPlace, BYTE* scratch, int length) {
    if (length <= 0) {
        return scratch;
    }
    int held = 0;
    if (inPlace) {
        if (const BYTE* bytes = transport.TakeHeld(length)) {
            return bytes;
        }
        const BYTE* bytes = transport.ReceiveInPlace(1, length, &held);
        if (bytes == nullptr) {
            return nullptr;
        }
        if (held == length) {
            return bytes;
        }
        std::memcpy(scratch, bytes, static_cast<std::size_t>(held));
    }
    return transport.Receive(scratch + held, length - held) ? scratch : nullptr;
}

// Sets count pixels from p on: whole 8-byte words of the repeated pixel where it divides them.
template <typename Pixel>
inline void FillPixels(Pixel* p, int count, Pixel colour) {
    if constexpr (std::is_same_v<Pixel, std::uint8_t>) {
        std::memset(p, colour, static_cast<std::size_t>(count));
    } else if constexpr (std::is_same_v<Pixel, Pixel24>) {
        for (int i = 0; i < count; ++i) {
            p[i] = colour;
        }
    } else {
        constexpr int kPerWord = 8 / sizeof(Pixel);
        int i = 0;
        if (count >= 2 * kPerWord) {
            std::uint64_t word = 0;
            for (int k = 0; k < kPerWord; ++k) {
                word |= std::uint64_t{colour} << (8 * sizeof(Pixel) * k);
            }
            // Long runs (a rectangle's background) 32 bytes a step.
            const std::uint64_t block[4] = {word, word, word, word};
            for (; i + 4 * kPerWord <= count; i += 4 * kPerWord) {
                std::memcpy(p + i, block, sizeof block);
            }
            for (; i + kPerWord <= count; i += kPerWord) {
                std::memcpy(p + i, &word, 8);
            }
        }
        for (; i < count; ++i) {
            p[i] = colour;
        }
    }
}

// Fills h rows of n bytes (2 to 32, whole pixels), rowBytes apart, from word, a pixel repeated
// over 8 bytes: two or four stores a row, the later ones overlapping the earlier where n is not a
// multiple of their size. Both ends of every store are on pixel boundaries, so the overlap
// writes the same pixels again.
[[gnu::always_inline]] inline void PaintNarrowRows(BYTE* row, std::ptrdiff_t rowBytes,
                                                   std::size_t n, int h, std::uint64_t word) {
    auto put = [](BYTE* at, const void* from, std::size_t size) { std::memcpy(at, from, size); };
    if (n >= 16) {
        for (int r = 0; r < h; ++r, row += rowBytes) {
            put(row, &word, 8), put(row + 8, &word, 8);
            put(row + n - 16, &word, 8), put(row + n - 8, &word, 8);
        }
    } else if (n >= 8) {
        for (int r = 0; r < h; ++r, row += rowBytes) {
            put(row, &word, 8), put(row + n - 8, &word, 8);
        }
    } else if (n >= 4) {
        for (int r = 0; r < h; ++r, row += rowBytes) {
            put(row, &word, 4), put(row + n - 4, &word, 4);
        }
    } else {
        for (int r = 0; r < h; ++r, row += rowBytes) {
            put(row, &word, 2);
        }
    }
}

// Fills w x h pixels at (x, y) of an image whose rows are stride pixels apart.
template <typename Pixel>
[[gnu::always_inline]] inline void PaintRect(Pixel* image, int stride, int x, int y, int w, int h,
                                             Pixel colour) {
    Pixel* row = image + static_cast<std::ptrdiff_t>(y) * stride + x;
    if constexpr (std::is_same_v<Pixel, std::uint16_t> || std::is_same_v<Pixel, std::uint32_t>) {
        // Most subrectangles are a few pixels wide: up to 32 bytes a row go by fixed stores.
        auto n = static_cast<std::size_t>(w) * sizeof(Pixel);
        if (w > 0 && n <= 32) {
            std::uint64_t word = sizeof(Pixel) == 2 ? std::uint64_t{colour} * 0x0001000100010001u
                                                    : std::uint64_t{colour} * 0x0000000100000001u;
            PaintNarrowRows(reinterpret_cast<BYTE*>(row),
                            static_cast<std::ptrdiff_t>(stride) * sizeof(Pixel), n, h, word);
            return;
        }
    }
    if (w == 1) {
        for (int r = 0; r < h; ++r, row += stride) {
            *row = colour;
        }
        return;
    }
    if (w == stride) {
        FillPixels(row, w * h, colour);  // whole rows: one run
        return;
    }
    for (int r = 0; r < h; ++r, row += stride) {
        FillPixels(row, w, colour);
    }
}

// How a decoder's painting loop fills its rectangles: Fill(image, stride, x, y, w, h, colour).
// A loop is instantiated with one of the two and compiled for it whole (PaintTilePlain and
// PaintTileMasked in the Hextile decoder): the masked one only runs where the processor has
// AVX-512BW.
struct PlainStores {
    template <typename Pixel>
    [[gnu::always_inline]] static void Fill(Pixel* image, int stride, int x, int y, int w, int h,
                                            Pixel colour) {
        PaintRect(image, stride, x, y, w, h, colour);
    }
};

#if defined(TAVREL_MASKED_STORES)
// Rows of up to 16 pixels are one masked store each, whatever their width: no choice of store
// sizes that the processor would have to guess. Rows of exactly 16 (every tile's background, the
// solid tiles) take a plain store of the same size: some processors write masked stores much
// more slowly (a Hextile session of solid tiles at 32 bits spent half its painting in them).
struct MaskedStores {
    template <typename Pixel>
    [[TAVREL_MASKED_TARGET]] static void Fill(Pixel* image, int stride, int x, int y, int w, int h,
                                              Pixel colour) {
        if constexpr (!std::is_same_v<Pixel, Pixel24>) {
            if (w > 0 && w <= 16) {
                Pixel* row = image + static_cast<std::ptrdiff_t>(y) * stride + x;
                auto mask = static_cast<__mmask16>(_bzhi_u32(0xFFFFu, static_cast<unsigned>(w)));
                if constexpr (sizeof(Pixel) == 1) {
                    __m128i fill = _mm_set1_epi8(static_cast<char>(colour));
                    for (int r = 0; r < h; ++r, row += stride) {
                        _mm_mask_storeu_epi8(row, mask, fill);
                    }
                } else if constexpr (sizeof(Pixel) == 2) {
                    __m256i fill = _mm256_set1_epi16(static_cast<short>(colour));
                    if (w == 16) {
                        for (int r = 0; r < h; ++r, row += stride) {
                            _mm256_storeu_si256(reinterpret_cast<__m256i*>(row), fill);
                        }
                        return;
                    }
                    for (int r = 0; r < h; ++r, row += stride) {
                        _mm256_mask_storeu_epi16(row, mask, fill);
                    }
                } else {
                    __m512i fill = _mm512_set1_epi32(static_cast<int>(colour));
                    if (w == 16) {
                        for (int r = 0; r < h; ++r, row += stride) {
                            _mm512_storeu_si512(row, fill);
                        }
                        return;
                    }
                    for (int r = 0; r < h; ++r, row += stride) {
                        _mm512_mask_storeu_epi32(row, mask, fill);
                    }
                }
                return;
            }
        }
        PaintRect(image, stride, x, y, w, h, colour);
    }
};
#else
// Elsewhere the masked stores are never chosen (MaskedPaintStores() is false).
using MaskedStores = PlainStores;
#endif

// Calls paint(Pixel{}) with the pixel type of a format's size (1, 2, 3 or 4 bytes).
template <typename Paint>
bool WithPixelType(int bytesPerPixel, Paint&& paint) {
    switch (bytesPerPixel) {
        case 1:
            return paint(std::uint8_t{});
        case 2:
            return paint(std::uint16_t{});
        case 3:
            return paint(Pixel24{});
        default:
            return paint(std::uint32_t{});
    }
}
