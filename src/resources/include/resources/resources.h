// The program's resources: string table, bitmaps, ... installed into the module at start.
#pragma once

#include <platform/types.h>

#include <vector>

// Resource ids used by the application's code.
constexpr unsigned IDS_PRODUCT_NAME = 1;
constexpr unsigned IDS_NEW_SERVER_TITLE = 3000;
constexpr unsigned IDB_THUMBNAIL_PLACEHOLDER = 1000;

void InstallResources(HINSTANCE module);

// Builders, one per resource file.
void InstallStringTable(HINSTANCE module);
std::vector<BYTE> BuildPlaceholderBitmap();  // 128 x 96, 8 bits per pixel
