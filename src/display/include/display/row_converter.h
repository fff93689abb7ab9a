// Bulk pixel conversion, a row at a time: the same bits as reading each pixel with the source
// codec and writing it with the device codec, without a virtual call per pixel.
#pragma once

#include <display/pixel_codec.h>

#include <cstdint>

// count source pixels, packed, to count device pixels destStep bytes apart.
using RowConverter = void (*)(const BYTE* source, BYTE* dest, int count, int destStep);

// Null when either codec is not one of the known codecs (callers then go pixel by pixel).
// bigEndian: source pixels of two or four bytes come most significant byte first (as a server
// sends them) rather than in host order; the byte swap is part of the one pass over the row.
RowConverter FindRowConverter(const PixelCodec& source, const PixelCodec& device,
                              bool bigEndian = false);

// True when a source pixel in host order becomes the device pixel by setting *setBits in it: 0
// where the converter is a copy, the unused byte (0xFF000000) for 32 bits to 32 bits.
bool ConvertsBySettingBits(const PixelCodec& source, const PixelCodec& device,
                           std::uint32_t* setBits);

// Writes the devicePixelBytes-byte pixel at each of count places destStep bytes apart.
void FillRow(BYTE* dest, int count, int destStep, const BYTE* devicePixel, int devicePixelBytes);
