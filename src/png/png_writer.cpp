#include <png/png_file.h>

#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Filtered rows go to the compressor about 64 KiB at a time (so they are still in the cache when
// it reads them), and the compressed stream goes out in IDAT chunks of up to 256 KiB.
constexpr std::size_t kBandBytes = 64 * 1024;
constexpr std::size_t kChunkDataBytes = 256 * 1024;
constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t kFilterNone = 0;
constexpr std::uint8_t kFilterUp = 2;

void PutBigEndian32(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value >> 24);
    at[1] = static_cast<std::uint8_t>(value >> 16);
    at[2] = static_cast<std::uint8_t>(value >> 8);
    at[3] = static_cast<std::uint8_t>(value);
}

// Chunks into an open file: each one assembled as length, type, data and CRC, then written whole.
class ChunkWriter {
  public:
    explicit ChunkWriter(std::FILE* file)
        : file_(file), chunk_(std::make_unique<std::uint8_t[]>(8 + kChunkDataBytes + 4)) {}

    // Room for up to kChunkDataBytes of data of the next chunk.
    std::uint8_t* Data() { return chunk_.get() + 8; }

    bool Write(const char type[4], std::size_t length) {
        std::uint8_t* chunk = chunk_.get();
        PutBigEndian32(chunk, static_cast<std::uint32_t>(length));
        std::memcpy(chunk + 4, type, 4);
        PutBigEndian32(chunk + 8 + length, crc32_gzip_refl(0, chunk + 4, length + 4));
        return std::fwrite(chunk, 1, length + 12, file_) == length + 12;
    }

  private:
    std::FILE* file_;
    std::unique_ptr<std::uint8_t[]> chunk_;
};

// Row y as the PNG stores it: a filter byte, then red, green, blue for each pixel; every row but
// the first is "Up", each byte less the one above it (most of a screen repeats the row above).
template <PngByteOrder kOrder>
void FilterRow(const PngImage& image, int y, std::uint8_t* out) {
    constexpr int kRed = kOrder == PngByteOrder::Rgb ? 0 : 2;
    constexpr int kBlue = 2 - kRed;
    const std::uint8_t* row = image.pixels + static_cast<std::size_t>(y) * image.stride;
    *out++ = y == 0 ? kFilterNone : kFilterUp;
    if (y == 0) {
        for (int x = 0; x < image.width; ++x, row += 3, out += 3) {
            out[0] = row[kRed], out[1] = row[1], out[2] = row[kBlue];
        }
        return;
    }
    const std::uint8_t* above = row - image.stride;
    for (int x = 0; x < image.width; ++x, row += 3, above += 3, out += 3) {
        out[0] = static_cast<std::uint8_t>(row[kRed] - above[kRed]);
        out[1] = static_cast<std::uint8_t>(row[1] - above[1]);
        out[2] = static_cast<std::uint8_t>(row[kBlue] - above[kBlue]);
    }
}

bool WriteHeader(std::FILE* file, ChunkWriter& chunks, const PngImage& image) {
    std::uint8_t* header = chunks.Data();
    PutBigEndian32(header, static_cast<std::uint32_t>(image.width));
    PutBigEndian32(header + 4, static_cast<std::uint32_t>(image.height));
    header[8] = 8;                             // bits per sample
    header[9] = 2;                             // colour type: RGB
    header[10] = header[11] = header[12] = 0;  // deflate, adaptive filters, not interlaced
    return std::fwrite(kSignature, 1, sizeof kSignature, file) == sizeof kSignature &&
           chunks.Write("IHDR", 13);
}

// The filtered rows through deflate (level 1, zlib wrapper) into IDAT chunks.
bool WriteImageData(ChunkWriter& chunks, const PngImage& image) {
    auto stream = std::make_unique<isal_zstream>();
    isal_deflate_init(stream.get());
    auto levelBuffer = std::make_unique<std::uint8_t[]>(ISAL_DEF_LVL1_DEFAULT);
    stream->level = 1;
    stream->level_buf = levelBuffer.get();
    stream->level_buf_size = ISAL_DEF_LVL1_DEFAULT;
    stream->gzip_flag = IGZIP_ZLIB;
    stream->next_out = chunks.Data();
    stream->avail_out = kChunkDataBytes;

    std::size_t rowBytes = 1 + static_cast<std::size_t>(image.width) * 3;
    int bandRows = static_cast<int>(std::max<std::size_t>(1, kBandBytes / rowBytes));
    auto band = std::make_unique<std::uint8_t[]>(rowBytes * bandRows);
    for (int top = 0; top < image.height; top += bandRows) {
        int rows = std::min(bandRows, image.height - top);
        for (int y = top; y < top + rows; ++y) {
            std::uint8_t* out = band.get() + (y - top) * rowBytes;
            if (image.order == PngByteOrder::Rgb) {
                FilterRow<PngByteOrder::Rgb>(image, y, out);
            } else {
                FilterRow<PngByteOrder::Bgr>(image, y, out);
            }
        }
        bool last = top + rows == image.height;
        stream->next_in = band.get();
        stream->avail_in = static_cast<std::uint32_t>(rowBytes * rows);
        stream->end_of_stream = last ? 1 : 0;
        while (stream->avail_in > 0 || (last && stream->internal_state.state != ZSTATE_END)) {
            if (isal_deflate(stream.get()) != COMP_OK) {
                return false;
            }
            if (stream->avail_out == 0) {
                if (!chunks.Write("IDAT", kChunkDataBytes)) {
                    return false;
                }
                stream->next_out = chunks.Data();
                stream->avail_out = kChunkDataBytes;
            }
        }
    }
    std::size_t rest = kChunkDataBytes - stream->avail_out;
    return rest == 0 || chunks.Write("IDAT", rest);
}

bool Describes(const PngImage& image) {
    // A row (with its filter byte) must fit the compressor's 32-bit input count.
    constexpr int kWidestRow = (0x7FFFFFFF - 1) / 3;
    return image.pixels != nullptr && image.width > 0 && image.height > 0 &&
           image.width <= kWidestRow && image.stride >= static_cast<std::size_t>(image.width) * 3;
}

}  // namespace

bool WritePngFile(const std::string& path, const PngImage& image) {
    if (!Describes(image)) {
        return false;
    }
    std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    ChunkWriter chunks(file);
    bool written = WriteHeader(file, chunks, image) && WriteImageData(chunks, image) &&
                   chunks.Write("IEND", 0);
    if (std::fclose(file) != 0 || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool WritePngFile(const std::string& path, int width, int height,
                  const std::vector<std::uint8_t>& rgb) {
    if (width <= 0 || height <= 0 ||
        rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) {
        return false;
    }
    return WritePngFile(path, PngImage{rgb.data(), width, height,
                                       static_cast<std::size_t>(width) * 3, PngByteOrder::Rgb});
}
