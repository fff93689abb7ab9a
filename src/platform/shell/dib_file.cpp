#include <platform/fs.h>
#include <platform/shell.h>
#include <platform_internal/gdi_objects.h>

#include <vector>

namespace {
constexpr DWORD kMaxBitmapFile = 256u << 20;
}

HBITMAP SHLoadDIBitmap(LPCWSTR path) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    DWORD high = 0;
    DWORD size = GetFileSize(file, &high);
    std::vector<BYTE> bytes;
    DWORD read = 0;
    bool ok = size != INVALID_FILE_SIZE && high == 0 && size >= 14 && size <= kMaxBitmapFile;
    if (ok) {
        bytes.resize(size);
        ok = ReadFile(file, bytes.data(), size, &read, nullptr) && read == size;
    }
    CloseHandle(file);
    if (!ok || bytes[0] != 'B' || bytes[1] != 'M') {
        return nullptr;
    }
    std::uint32_t pixelOffset =
        bytes[10] | bytes[11] << 8 | bytes[12] << 16 | static_cast<std::uint32_t>(bytes[13]) << 24;
    if (pixelOffset < 14 + 40 || pixelOffset > size) {
        return nullptr;
    }
    return AddGdiObject(ParseDib(bytes.data() + 14, size - 14, pixelOffset - 14));
}
