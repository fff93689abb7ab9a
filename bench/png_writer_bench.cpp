// The PNG writer (src/png: rows filtered "up", ISA-L deflate at level 1) against libpng, on three
// 1920 x 1080 pictures as a 5:6:5 device shows them: the interop pattern, a desktop drawn here
// (a gradient, windows with lines of text-like marks, a clock face) and noise. CPU time of one
// whole file write, fastest and median of N, and the file's size.
//   png_writer_bench [--runs N]
// libpng variants: its defaults (zlib level 6, a filter chosen per row: the writer before this
// one), and zlib level 1 with every row "up", with and without zlib's run-length strategy.
#include "pattern.h"

#include <png/png_file.h>

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

struct Picture {
    std::string name;
    std::vector<std::uint8_t> rgb;
};

void Put(std::vector<std::uint8_t>& rgb, int x, int y, std::uint32_t colour) {
    std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * kWidth + x) * 3];
    p[0] = colour >> 16, p[1] = colour >> 8, p[2] = colour;
}

void Fill(std::vector<std::uint8_t>& rgb, int left, int top, int w, int h, std::uint32_t colour) {
    for (int y = top; y < top + h; ++y) {
        for (int x = left; x < left + w; ++x) {
            Put(rgb, x, y, colour);
        }
    }
}

std::vector<Picture> Pictures() {
    std::vector<Picture> pictures(3);
    pictures[0].name = "pattern";
    pictures[1].name = "desktop";
    pictures[2].name = "noise";
    for (Picture& picture : pictures) {
        picture.rgb.resize(static_cast<std::size_t>(kWidth) * kHeight * 3);
    }
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            PatternColour(x, y, 0,
                          &pictures[0].rgb[(static_cast<std::size_t>(y) * kWidth + x) * 3]);
        }
    }
    std::vector<std::uint8_t>& desktop = pictures[1].rgb;
    for (int y = 0; y < kHeight; ++y) {
        std::uint32_t blue = 0xA5 - 0x6B * y / kHeight, green = 0x6E - 0x50 * y / kHeight;
        Fill(desktop, 0, y, kWidth, 1, (0x3A - 0x30 * y / kHeight) << 16 | green << 8 | blue);
    }
    std::mt19937 random(7);
    const int windows[3][4] = {{40, 40, 900, 700}, {1000, 60, 400, 500}, {1000, 650, 300, 300}};
    for (const auto& w : windows) {
        Fill(desktop, w[0], w[1], w[2], w[3], 0xFFFFFF);
        Fill(desktop, w[0], w[1], w[2], 20, 0x000080);
        for (int line = w[1] + 30; line + 10 < w[1] + w[3]; line += 14) {
            int length = static_cast<int>(random() % (w[2] - 20));
            for (int x = w[0] + 10; x < w[0] + 10 + length; x += 7) {  // marks of a 7-pixel font
                std::uint32_t glyph = random();
                for (int bit = 0; bit < 30; ++bit) {
                    if (glyph >> bit & 1) {
                        Put(desktop, x + bit % 5, line + bit / 5, 0x000000);
                    }
                }
            }
        }
    }
    for (int angle = 0; angle < 60; ++angle) {  // the clock's ticks
        for (int r = 130; r < 140; ++r) {
            double a = angle * 6.283185 / 60;
            Put(desktop, 1150 + static_cast<int>(r * std::cos(a)),
                800 + static_cast<int>(r * std::sin(a)), 0);
        }
    }
    for (std::uint8_t& byte : pictures[2].rgb) {
        byte = static_cast<std::uint8_t>(random());
    }
    for (Picture& picture : pictures) {  // 5:6:5: each component's top bits
        for (std::size_t i = 0; i < picture.rgb.size(); i += 3) {
            picture.rgb[i] &= 0xF8, picture.rgb[i + 1] &= 0xFC, picture.rgb[i + 2] &= 0xF8;
        }
    }
    return pictures;
}

bool LibpngWrite(const std::string& path, const std::vector<std::uint8_t>& rgb, bool fast,
                 int strategy) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    if (fast) {
        png_set_compression_level(png, 1);
        png_set_filter(png, 0, PNG_FILTER_UP);
        png_set_compression_strategy(png, strategy);
    }
    png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < kHeight; ++y) {
        png_write_row(png,
                      const_cast<std::uint8_t*>(&rgb[static_cast<std::size_t>(y) * kWidth * 3]));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 9;
    if (argc == 3 && std::string(argv[1]) == "--runs") {
        runs = std::max(1, std::atoi(argv[2]));
    }
    std::string path = (std::filesystem::temp_directory_path() / "png_writer_bench.png").string();
    struct Writer {
        const char* name;
        std::function<bool(const std::vector<std::uint8_t>&)> write;
    };
    const Writer writers[] = {
        {"ours (up, ISA-L level 1)",
         [&](const std::vector<std::uint8_t>& rgb) {
             return WritePngFile(path, kWidth, kHeight, rgb);
         }},
        {"libpng defaults (before)",
         [&](const std::vector<std::uint8_t>& rgb) { return LibpngWrite(path, rgb, false, 0); }},
        {"libpng up, zlib level 1",
         [&](const std::vector<std::uint8_t>& rgb) {
             return LibpngWrite(path, rgb, true, Z_DEFAULT_STRATEGY);
         }},
        {"libpng up, zlib level 1 Z_RLE",
         [&](const std::vector<std::uint8_t>& rgb) { return LibpngWrite(path, rgb, true, Z_RLE); }},
    };
    std::printf("%d x %d, 5:6:5 pixels, CPU ms of one file, fastest / median of %d\n\n", kWidth,
                kHeight, runs);
    std::printf("| picture | writer | CPU ms | bytes | time / ours |\n|---|---|---:|---:|---:|\n");
    for (const Picture& picture : Pictures()) {
        double oursFastest = 0;
        for (const Writer& writer : writers) {
            std::vector<double> times;
            for (int i = 0; i < runs; ++i) {
                double start = CpuMs();
                if (!writer.write(picture.rgb)) {
                    std::fprintf(stderr, "cannot write %s\n", path.c_str());
                    return 1;
                }
                times.push_back(CpuMs() - start);
            }
            std::sort(times.begin(), times.end());
            if (&writer == &writers[0]) {
                oursFastest = times[0];
            }
            std::printf("| %s | %s | %.1f / %.1f | %ju | %.2f |\n", picture.name.c_str(),
                        writer.name, times[0], times[times.size() / 2],
                        static_cast<std::uintmax_t>(std::filesystem::file_size(path)),
                        times[0] / oursFastest);
        }
    }
    std::filesystem::remove(path);
    return 0;
}
