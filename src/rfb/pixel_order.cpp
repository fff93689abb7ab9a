#include <rfb/pixel_order.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

void SwapPixelBytes16(BYTE* pixels, std::size_t count) {
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i + 8 <= count; i += 8) {
        auto* at = reinterpret_cast<__m128i*>(pixels + 2 * i);
        __m128i v = _mm_loadu_si128(at);
        _mm_storeu_si128(at, _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8)));
    }
#endif
    for (; i < count; ++i) {
        std::uint16_t p;
        std::memcpy(&p, pixels + 2 * i, 2);
        p = __builtin_bswap16(p);
        std::memcpy(pixels + 2 * i, &p, 2);
    }
}

void SwapPixelBytes32(BYTE* pixels, std::size_t count) {
    std::size_t i = 0;
#if defined(__SSE2__)
    // Swap the bytes within each 16-bit half, then the two halves.
    for (; i + 4 <= count; i += 4) {
        auto* at = reinterpret_cast<__m128i*>(pixels + 4 * i);
        __m128i v = _mm_loadu_si128(at);
        v = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
        v = _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0xB1), 0xB1);
        _mm_storeu_si128(at, v);
    }
#endif
    for (; i < count; ++i) {
        std::uint32_t p;
        std::memcpy(&p, pixels + 4 * i, 4);
        p = __builtin_bswap32(p);
        std::memcpy(pixels + 4 * i, &p, 4);
    }
}
