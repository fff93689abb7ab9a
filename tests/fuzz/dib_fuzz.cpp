// Feeds arbitrary bytes to the bitmap reader through the program's two ways in: as a bitmap
// resource, and as a bitmap file (the bytes after a file header whose pixel offset points into
// them) loaded from the device's file system. Whatever loads is read pixel by pixel.
#include <platform/boot.h>
#include <platform/gdi.h>
#include <platform/resources.h>
#include <platform/shell.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

void ReadPixels(HBITMAP bitmap) {
    if (bitmap == nullptr) {
        return;
    }
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ before = SelectObject(memory, bitmap);
    volatile COLORREF sink = 0;
    for (int y = 0; y < info.bmHeight; y += 7) {
        for (int x = 0; x < info.bmWidth; x += 7) {
            sink = sink + GetPixel(memory, x, y);
        }
    }
    SelectObject(memory, before);
    DeleteDC(memory);
    DeleteObject(bitmap);
}

const std::string& Home() {
    static const std::string home = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "dib-fuzz-XXXXXX").string();
        std::string path = ::mkdtemp(pattern.data()) ? pattern : std::string(".");
        SetPlatformHome(path);
        std::filesystem::create_directories(path + "/device");
        return path;
    }();
    return home;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    AddResource(module, RT_BITMAP, 1, std::vector<BYTE>(data, data + size));
    ReadPixels(LoadBitmapW(module, MAKEINTRESOURCEW(1)));

    // "BM", the file's size, two reserved words, then the pixel offset: half-way into the bytes.
    std::uint32_t fileSize = static_cast<std::uint32_t>(14 + size);
    std::uint32_t pixelOffset = static_cast<std::uint32_t>(14 + size / 2);
    std::vector<std::uint8_t> file = {'B', 'M'};
    for (std::uint32_t value : {fileSize, 0u, pixelOffset}) {
        for (int i = 0; i < 4; ++i) {
            file.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }
    file.insert(file.end(), data, data + size);
    std::string path = Home() + "/device/fuzz.bmp";
    if (std::FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(file.data(), 1, file.size(), out);
        std::fclose(out);
        ReadPixels(SHLoadDIBitmap(u"\\fuzz.bmp"));
    }
    return 0;
}
