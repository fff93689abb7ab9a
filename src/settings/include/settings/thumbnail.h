// Thumbnail images: scaling the device-format framebuffer into 24-bit blue-green-red, and the
// bitmap files next to the program that keep them.
#pragma once

#include <platform/types.h>

enum class ThumbnailFormat { Rgb332, Rgb565, Rgb24, Rgb32 };

int ThumbnailBytesPerPixel(ThumbnailFormat format);

// Nearest-neighbour shrink of a packed srcW x srcH image into dstW x dstH x 3 bytes.
void ScaleImageToBgr(const BYTE* source, int srcW, int srcH, BYTE* destination, int dstW, int dstH,
                     ThumbnailFormat format);
void ScaleRowToBgr(const BYTE* sourceRow, int srcW, BYTE* destinationRow, int dstW,
                   ThumbnailFormat format);

// The longer side 128: the thumbnail size of a width x height framebuffer.
void ThumbnailSize(int width, int height, int* thumbWidth, int* thumbHeight);

// A 24-bit bottom-up bitmap file of h rows of w x 3 bytes (blue, green, red), given top-down.
// False when the file cannot be created or written completely.
bool WriteBitmapFile(LPCWSTR path, int w, int h, const BYTE* pixels);
