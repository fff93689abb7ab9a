#include <display/row_converter.h>

#include <cstring>
#include <type_traits>

namespace {

template <typename Source, typename Device>
void ConvertRow(const BYTE* source, BYTE* dest, int count, int destStep) {
    for (int i = 0; i < count; ++i) {
        Device::Write(dest, Source::Read(source));
        source += Source::kBytes;
        dest += destStep;
    }
}

// Formats whose read-then-write gives back the same bytes: a plain copy when packed.
template <typename Codec>
void CopyRow(const BYTE* source, BYTE* dest, int count, int destStep) {
    if (destStep == Codec::kBytes) {
        std::memcpy(dest, source, static_cast<std::size_t>(count) * Codec::kBytes);
    } else {
        ConvertRow<Codec, Codec>(source, dest, count, destStep);
    }
}

template <typename Source>
RowConverter ForDevice(CodecKind device) {
    switch (device) {
        case CodecKind::Rgb332:
            return std::is_same_v<Source, Codec332> ? CopyRow<Codec332>
                                                    : ConvertRow<Source, Codec332>;
        case CodecKind::Rgb222:
            return ConvertRow<Source, Codec222>;
        case CodecKind::Rgb565:
            return std::is_same_v<Source, Codec565> ? CopyRow<Codec565>
                                                    : ConvertRow<Source, Codec565>;
        case CodecKind::Rgb24:
            return std::is_same_v<Source, Codec24> ? CopyRow<Codec24> : ConvertRow<Source, Codec24>;
        case CodecKind::Rgb32:
            return ConvertRow<Source, Codec32>;
        case CodecKind::Other:
            break;
    }
    return nullptr;
}

}  // namespace

RowConverter FindRowConverter(const PixelCodec& source, const PixelCodec& device) {
    CodecKind to = device.Kind();
    switch (source.Kind()) {
        case CodecKind::Rgb332:
            return ForDevice<Codec332>(to);
        case CodecKind::Rgb222:
            return ForDevice<Codec222>(to);
        case CodecKind::Rgb565:
            return ForDevice<Codec565>(to);
        case CodecKind::Rgb24:
            return ForDevice<Codec24>(to);
        case CodecKind::Rgb32:
            return ForDevice<Codec32>(to);
        case CodecKind::Other:
            break;
    }
    return nullptr;
}

void FillRow(BYTE* dest, int count, int destStep, const BYTE* devicePixel, int devicePixelBytes) {
    if (devicePixelBytes == 1 && destStep == 1) {
        std::memset(dest, devicePixel[0], static_cast<std::size_t>(count));
        return;
    }
    for (int i = 0; i < count; ++i) {
        std::memcpy(dest, devicePixel, static_cast<std::size_t>(devicePixelBytes));
        dest += destStep;
    }
}
