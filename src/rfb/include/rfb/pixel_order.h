// Brings big-endian pixels into host (little-endian) order in place: 16- and 32-bit pixels are
// byte-swapped, 8- and 24-bit ones left as they are.
#pragma once

#include <rfb/pixel_format.h>

#include <cstddef>

void FixPixelOrder(const PixelFormat& format, BYTE* pixels, std::size_t pixelCount);
