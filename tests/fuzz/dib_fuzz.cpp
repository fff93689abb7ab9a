// Feeds arbitrary bytes to the bitmap reader, as a bitmap resource and as the body of a file.
#include <platform_internal/gdi_objects.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (std::size_t offset : {std::size_t{0}, size / 2}) {
        if (auto bitmap = ParseDib(data, size, offset)) {
            volatile DWORD sink = 0;
            for (int y = 0; y < bitmap->height; y += 7) {
                for (int x = 0; x < bitmap->width; x += 7) {
                    sink = sink + bitmap->PixelRgb(x, y);
                }
            }
        }
    }
    return 0;
}
