#include <display/row_converter.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace {

template <typename Source, typename Device, int kStep>
void ConvertWithStep(const BYTE* source, BYTE* dest, int count, int destStep) {
    int step = kStep != 0 ? kStep : destStep;
    for (int i = 0; i < count; ++i) {
        Device::Write(dest, Source::Read(source));
        source += Source::kBytes;
        dest += step;
    }
}

// Packed device pixels (the usual case) with the step known when compiling, so that the loop
// can be unrolled and vectorised.
template <typename Source, typename Device>
void ConvertRow(const BYTE* source, BYTE* dest, int count, int destStep) {
    if (destStep == Device::kBytes) {
        ConvertWithStep<Source, Device, Device::kBytes>(source, dest, count, destStep);
    } else {
        ConvertWithStep<Source, Device, 0>(source, dest, count, destStep);
    }
}

// Server pixels of two or four bytes sent most significant byte first: read as the codec reads
// the same pixel in host order.
template <typename Codec>
struct BigEndian {
    static constexpr int kBytes = Codec::kBytes;
    static ColourValue Read(const BYTE* p) {
        BYTE host[kBytes];
        for (int i = 0; i < kBytes; ++i) {
            host[i] = p[kBytes - 1 - i];
        }
        return Codec::Read(host);
    }
};

// One-byte server pixels: a table of the 256 device pixels, filled through the codecs.
template <int kBytes>
struct DevicePixelWord {
    using Type = std::array<BYTE, kBytes>;
};
template <>
struct DevicePixelWord<1> {
    using Type = std::uint8_t;
};
template <>
struct DevicePixelWord<2> {
    using Type = std::uint16_t;
};
template <>
struct DevicePixelWord<4> {
    using Type = std::uint32_t;
};

template <typename Source, typename Device>
void LookUpRow(const BYTE* source, BYTE* dest, int count, int destStep) {
    using Word = typename DevicePixelWord<Device::kBytes>::Type;
    static_assert(sizeof(Word) == Device::kBytes);
    struct Table {
        Word pixels[256];
        Table() {
            for (int v = 0; v < 256; ++v) {
                BYTE b = static_cast<BYTE>(v);
                BYTE bytes[Device::kBytes];
                Device::Write(bytes, Source::Read(&b));
                std::memcpy(&pixels[v], bytes, sizeof(Word));
            }
        }
    };
    static const Table table;
    if (destStep == Device::kBytes) {
        for (int i = 0; i < count; ++i) {
            std::memcpy(dest + i * Device::kBytes, &table.pixels[source[i]], sizeof(Word));
        }
        return;
    }
    for (int i = 0; i < count; ++i) {
        std::memcpy(dest, &table.pixels[source[i]], sizeof(Word));
        dest += destStep;
    }
}

// A plain copy when packed.
template <typename Codec>
void CopyRow(const BYTE* source, BYTE* dest, int count, int destStep) {
    if (destStep == Codec::kBytes) {
        std::memcpy(dest, source, static_cast<std::size_t>(count) * Codec::kBytes);
    } else {
        ConvertRow<Codec, Codec>(source, dest, count, destStep);
    }
}

// The common pairs of wider pixels, on whole little-endian words so that the compiler can
// vectorise them; the same arithmetic as the codecs (the tests compare them pixel for pixel).
template <typename Word>
Word Load(const BYTE* p) {
    Word w;
    std::memcpy(&w, p, sizeof(w));
    return w;
}

template <typename Word>
void Store(BYTE* p, Word w) {
    std::memcpy(p, &w, sizeof(w));
}

// A source pixel as a host-order word; kBigEndian: its bytes arrive the other way round.
template <typename Word, bool kBigEndian>
Word LoadPixel(const BYTE* p) {
    Word w = Load<Word>(p);
    if constexpr (kBigEndian) {
        if constexpr (sizeof(Word) == 2) {
            w = __builtin_bswap16(w);
        } else {
            w = __builtin_bswap32(w);
        }
    }
    return w;
}

// Same-format big-endian pixels to host order: the copy and the byte swap in one pass.
template <typename Word>
void SwapRow(const BYTE* source, BYTE* dest, int count) {
    for (int i = 0; i < count; ++i) {
        Store<Word>(dest + sizeof(Word) * i, LoadPixel<Word, true>(source + sizeof(Word) * i));
    }
}

std::uint16_t Pack565(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return static_cast<std::uint16_t>((r & 0xF8) << 8 | (g & 0xFC) << 3 | b >> 3);
}

template <bool kBigEndian>
void Row565To32(const BYTE* source, BYTE* dest, int count) {
    for (int i = 0; i < count; ++i) {
        std::uint32_t v = LoadPixel<std::uint16_t, kBigEndian>(source + 2 * i);
        std::uint32_t r = (v >> 11) << 3, g = ((v >> 5) & 0x3F) << 2, b = (v & 0x1F) << 3;
        Store<std::uint32_t>(dest + 4 * i, b | g << 8 | r << 16 | 0xFF000000u);
    }
}

template <bool kBigEndian>
void Row32To565(const BYTE* source, BYTE* dest, int count) {
    for (int i = 0; i < count; ++i) {
        std::uint32_t v = LoadPixel<std::uint32_t, kBigEndian>(source + 4 * i);
        Store<std::uint16_t>(dest + 2 * i, Pack565((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
    }
}

// Four 3-byte pixels from three little-endian words: each as 0x00RRGGBB.
void Load24x4(const BYTE* p, std::uint32_t out[4]) {
    std::uint32_t w0 = Load<std::uint32_t>(p);
    std::uint32_t w1 = Load<std::uint32_t>(p + 4);
    std::uint32_t w2 = Load<std::uint32_t>(p + 8);
    out[0] = w0 & 0xFFFFFF;
    out[1] = w0 >> 24 | (w1 & 0xFFFF) << 8;
    out[2] = w1 >> 16 | (w2 & 0xFF) << 16;
    out[3] = w2 >> 8;
}

std::uint32_t Load24(const BYTE* p) {
    return p[0] | p[1] << 8 | std::uint32_t{p[2]} << 16;
}

std::uint16_t Pack565(std::uint32_t rgb) {
    return Pack565((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

void Row24To565(const BYTE* source, BYTE* dest, int count) {
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        std::uint32_t rgb[4];
        Load24x4(source + 3 * i, rgb);
        for (int k = 0; k < 4; ++k) {
            Store<std::uint16_t>(dest + 2 * (i + k), Pack565(rgb[k]));
        }
    }
    for (; i < count; ++i) {
        Store<std::uint16_t>(dest + 2 * i, Pack565(Load24(source + 3 * i)));
    }
}

template <bool kBigEndian>
void Row32To32(const BYTE* source, BYTE* dest, int count) {
    for (int i = 0; i < count; ++i) {
        Store<std::uint32_t>(dest + 4 * i,
                             LoadPixel<std::uint32_t, kBigEndian>(source + 4 * i) | 0xFF000000u);
    }
}

void Row24To32(const BYTE* source, BYTE* dest, int count) {
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        std::uint32_t rgb[4];
        Load24x4(source + 3 * i, rgb);
        for (int k = 0; k < 4; ++k) {
            Store<std::uint32_t>(dest + 4 * (i + k), rgb[k] | 0xFF000000u);
        }
    }
    for (; i < count; ++i) {
        Store<std::uint32_t>(dest + 4 * i, Load24(source + 3 * i) | 0xFF000000u);
    }
}

using PackedRow = void (*)(const BYTE* source, BYTE* dest, int count);

#if defined(__x86_64__)
// The same routine compiled whole for processors with AVX2, chosen at run time: twice the
// pixels per step of the SSE2 loop that every x86-64 processor runs (the conversions to and
// from 5:6:5 are arithmetic-bound).
template <PackedRow kPacked>
[[gnu::target("avx2"), gnu::flatten]] void WideRow(const BYTE* source, BYTE* dest, int count) {
    kPacked(source, dest, count);
}

template <PackedRow kPacked>
void PackedRowFor(const BYTE* source, BYTE* dest, int count) {
    static const bool wide = __builtin_cpu_supports("avx2");
    (wide ? WideRow<kPacked> : kPacked)(source, dest, count);
}
#else
template <PackedRow kPacked>
void PackedRowFor(const BYTE* source, BYTE* dest, int count) {
    kPacked(source, dest, count);
}
#endif

template <typename Source, typename Device, PackedRow kPacked>
void SpecialisedRow(const BYTE* source, BYTE* dest, int count, int destStep) {
    if (destStep == Device::kBytes) {
        PackedRowFor<kPacked>(source, dest, count);
    } else {
        ConvertWithStep<Source, Device, 0>(source, dest, count, destStep);
    }
}

// kBigEndian: the server's two- or four-byte pixels arrive most significant byte first.
template <typename Source, typename Device, bool kBigEndian>
RowConverter Pick() {
    constexpr bool little = std::endian::native == std::endian::little;
    using Sent = std::conditional_t<kBigEndian, BigEndian<Source>, Source>;
    // Formats whose read-then-write gives back the same bytes (not 32 bits: its unused byte
    // becomes 0xFF).
    constexpr bool copies = std::is_same_v<Source, Device> && !std::is_same_v<Source, Codec222> &&
                            !std::is_same_v<Source, Codec32>;
    if constexpr (copies && !kBigEndian) {
        return CopyRow<Source>;
    } else if constexpr (Source::kBytes == 1) {
        return LookUpRow<Source, Device>;
    } else if constexpr (little && copies && Source::kBytes == 2) {
        return SpecialisedRow<Sent, Device, SwapRow<std::uint16_t>>;
    } else if constexpr (little && std::is_same_v<Source, Codec565> &&
                         std::is_same_v<Device, Codec32>) {
        return SpecialisedRow<Sent, Device, Row565To32<kBigEndian>>;
    } else if constexpr (little && std::is_same_v<Source, Codec32> &&
                         std::is_same_v<Device, Codec565>) {
        return SpecialisedRow<Sent, Device, Row32To565<kBigEndian>>;
    } else if constexpr (little && std::is_same_v<Source, Codec24> &&
                         std::is_same_v<Device, Codec565>) {
        return SpecialisedRow<Sent, Device, Row24To565>;
    } else if constexpr (little && std::is_same_v<Source, Codec32> &&
                         std::is_same_v<Device, Codec32>) {
        return SpecialisedRow<Sent, Device, Row32To32<kBigEndian>>;
    } else if constexpr (little && std::is_same_v<Source, Codec24> &&
                         std::is_same_v<Device, Codec32>) {
        return SpecialisedRow<Sent, Device, Row24To32>;
    } else {
        return ConvertRow<Sent, Device>;
    }
}

template <typename Source, bool kBigEndian>
RowConverter ForDevice(CodecKind device) {
    switch (device) {
        case CodecKind::Rgb332:
            return Pick<Source, Codec332, kBigEndian>();
        case CodecKind::Rgb222:
            return Pick<Source, Codec222, kBigEndian>();
        case CodecKind::Rgb565:
            return Pick<Source, Codec565, kBigEndian>();
        case CodecKind::Rgb24:
            return Pick<Source, Codec24, kBigEndian>();
        case CodecKind::Rgb32:
            return Pick<Source, Codec32, kBigEndian>();
        case CodecKind::Other:
            break;
    }
    return nullptr;
}

// Byte order matters only for the server pixels of two and four bytes.
template <typename Source>
RowConverter ForDevice(CodecKind device, bool bigEndian) {
    if constexpr (Source::kBytes == 2 || Source::kBytes == 4) {
        if (bigEndian) {
            return ForDevice<Source, true>(device);
        }
    }
    return ForDevice<Source, false>(device);
}

}  // namespace

bool ConvertsBySettingBits(const PixelCodec& source, const PixelCodec& device,
                           std::uint32_t* setBits) {
    // As Pick: the same codec copies, but for 2:2:2 (its spare bits are cleared) and 32 bits
    // (its unused byte becomes 0xFF, as Row32To32 does).
    CodecKind kind = source.Kind();
    *setBits = kind == CodecKind::Rgb32 ? 0xFF000000u : 0;
    return kind == device.Kind() && kind != CodecKind::Other && kind != CodecKind::Rgb222;
}

RowConverter FindRowConverter(const PixelCodec& source, const PixelCodec& device, bool bigEndian) {
    CodecKind to = device.Kind();
    switch (source.Kind()) {
        case CodecKind::Rgb332:
            return ForDevice<Codec332>(to, bigEndian);
        case CodecKind::Rgb222:
            return ForDevice<Codec222>(to, bigEndian);
        case CodecKind::Rgb565:
            return ForDevice<Codec565>(to, bigEndian);
        case CodecKind::Rgb24:
            return ForDevice<Codec24>(to, bigEndian);
        case CodecKind::Rgb32:
            return ForDevice<Codec32>(to, bigEndian);
        case CodecKind::Other:
            break;
    }
    return nullptr;
}

// Packed pixels of a power-of-two size: whole words of the pixel repeated, then the rest.
template <typename Word>
void FillPacked(BYTE* dest, int count, const BYTE* devicePixel) {
    Word pixel = Load<Word>(devicePixel);
    int i = 0;
    if constexpr (sizeof(Word) < 8) {
        std::uint64_t word = 0;
        for (std::size_t b = 0; b < 8; b += sizeof(Word)) {
            word |= std::uint64_t{pixel} << (8 * b);
        }
        constexpr int kPerWord = 8 / sizeof(Word);
        for (; i + kPerWord <= count; i += kPerWord) {
            Store<std::uint64_t>(dest + i * sizeof(Word), word);
        }
    }
    for (; i < count; ++i) {
        Store<Word>(dest + i * sizeof(Word), pixel);
    }
}

void FillRow(BYTE* dest, int count, int destStep, const BYTE* devicePixel, int devicePixelBytes) {
    if (devicePixelBytes == 1 && destStep == 1) {
        std::memset(dest, devicePixel[0], static_cast<std::size_t>(count));
        return;
    }
    if (devicePixelBytes == 2 && destStep == 2) {
        FillPacked<std::uint16_t>(dest, count, devicePixel);
        return;
    }
    if (devicePixelBytes == 4 && destStep == 4) {
        FillPacked<std::uint32_t>(dest, count, devicePixel);
        return;
    }
    if (devicePixelBytes == 3) {
        for (int i = 0; i < count; ++i, dest += destStep) {
            std::memcpy(dest, devicePixel, 3);
        }
        return;
    }
    for (int i = 0; i < count; ++i) {
        std::memcpy(dest, devicePixel, static_cast<std::size_t>(devicePixelBytes));
        dest += destStep;
    }
}
