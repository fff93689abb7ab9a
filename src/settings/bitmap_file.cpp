#include <platform/fs.h>
#include <settings/thumbnail.h>

#include <vector>

namespace {

void Put16(std::vector<BYTE>& out, std::uint16_t v) {
    out.push_back(static_cast<BYTE>(v));
    out.push_back(static_cast<BYTE>(v >> 8));
}
void Put32(std::vector<BYTE>& out, std::uint32_t v) {
    Put16(out, static_cast<std::uint16_t>(v));
    Put16(out, static_cast<std::uint16_t>(v >> 16));
}

}  // namespace

bool WriteBitmapFile(LPCWSTR path, int w, int h, const BYTE* pixels) {
    if (w <= 0 || h <= 0 || pixels == nullptr) {
        return false;
    }
    HANDLE file =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    std::size_t rowBytes = static_cast<std::size_t>(w) * 3;
    std::size_t fileRow = (rowBytes + 3) & ~std::size_t{3};
    std::vector<BYTE> out;
    out.reserve(54 + fileRow * h);
    out.push_back('B');
    out.push_back('M');
    Put32(out, static_cast<std::uint32_t>(54 + fileRow * h));
    Put16(out, 0);
    Put16(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(w));
    Put32(out, static_cast<std::uint32_t>(h));
    Put16(out, 1);
    Put16(out, 24);
    for (int i = 0; i < 6; ++i) {
        Put32(out, 0);  // compression, image size, resolutions, colours used and important
    }
    for (int row = h - 1; row >= 0; --row) {
        const BYTE* line = pixels + rowBytes * row;
        out.insert(out.end(), line, line + rowBytes);
        out.insert(out.end(), fileRow - rowBytes, 0);
    }
    DWORD written = 0;
    bool ok = WriteFile(file, out.data(), static_cast<DWORD>(out.size()), &written, nullptr) &&
              written == out.size();
    CloseHandle(file);
    return ok;
}
