// PNG files of 8-bit RGB images.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The order of the three bytes of each pixel in the rows handed to the writer.
enum class PngByteOrder { Rgb, Bgr };

// height rows of width pixels, 3 bytes each; a row starts stride bytes after the one above it.
struct PngImage {
    const std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::size_t stride = 0;
    PngByteOrder order = PngByteOrder::Rgb;
};

// Writes the image as a lossless 8-bit RGB PNG (deflate level 1, each row filtered against the
// one above). The file is written as path + ".part" and renamed over path once complete, so a
// failure leaves no partial file and keeps what path held before. False when the image is
// empty or malformed (stride shorter than a row) or the file cannot be written.
bool WritePngFile(const std::string& path, const PngImage& image);
// rgb holds width x height x 3 bytes, red first; false also when its size does not match.
bool WritePngFile(const std::string& path, int width, int height,
                  const std::vector<std::uint8_t>& rgb);

// False when the file is not a readable PNG; any PNG is turned into 8-bit RGB.
bool ReadPngFile(const std::string& path, int& width, int& height, std::vector<std::uint8_t>& rgb);
