// PNG files of RGB images (libpng).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// rgb holds width x height x 3 bytes; false when the file cannot be written.
bool WritePngFile(const std::string& path, int width, int height,
                  const std::vector<std::uint8_t>& rgb);
// False when the file is not a readable PNG; any PNG is turned into 8-bit RGB.
bool ReadPngFile(const std::string& path, int& width, int& height, std::vector<std::uint8_t>& rgb);
