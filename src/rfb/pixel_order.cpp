#include <rfb/pixel_order.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <array>

namespace {

#if defined(__x86_64__)
// Byte indices, per 16-byte lane, of the byte that each byte of a swapped pixel comes from.
template <int kPixelBytes>
constexpr std::array<char, 64> SwapOrder() {
    std::array<char, 64> order{};
    for (int i = 0; i < 64; ++i) {
        int lane = i % 16;
        int first = lane - lane % kPixelBytes;
        order[i] = static_cast<char>(first + kPixelBytes - 1 - (lane - first));
    }
    return order;
}

// 64 bytes a step where the processor has AVX-512BW. Returns the bytes done.
[[gnu::target("avx512f,avx512bw")]] std::size_t SwapWide(BYTE* pixels, std::size_t bytes,
                                                         const char* order) {
    __m512i shuffle = _mm512_loadu_si512(order);
    std::size_t done = 0;
    for (; done + 64 <= bytes; done += 64) {
        __m512i v = _mm512_loadu_si512(pixels + done);
        _mm512_storeu_si512(pixels + done, _mm512_shuffle_epi8(v, shuffle));
    }
    return done;
}

// The pixels swapped with the widest stores the processor has, from the start; the caller does
// the rest.
std::size_t SwapWideBytes(BYTE* pixels, std::size_t bytes, int pixelBytes) {
    static const bool wide =
        __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
    static constexpr std::array<char, 64> kOrder16 = SwapOrder<2>();
    static constexpr std::array<char, 64> kOrder32 = SwapOrder<4>();
    if (!wide) {
        return 0;
    }
    return SwapWide(pixels, bytes, pixelBytes == 2 ? kOrder16.data() : kOrder32.data()) /
           pixelBytes;
}
#else
std::size_t SwapWideBytes(BYTE*, std::size_t, int) {
    return 0;
}
#endif

}  // namespace

void SwapPixelBytes16(BYTE* pixels, std::size_t count) {
    std::size_t i = SwapWideBytes(pixels, 2 * count, 2);
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
    std::size_t i = SwapWideBytes(pixels, 4 * count, 4);
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
