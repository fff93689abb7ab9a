#include <settings/server_time.h>

#include <platform/core.h>
#include <settings/server_record.h>

DWORD CurrentTimeSeconds() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    FILETIME fileTime;
    if (!SystemTimeToFileTime(&now, &fileTime)) {
        return 0;
    }
    std::uint64_t ticks =
        (static_cast<std::uint64_t>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
    return static_cast<DWORD>((ticks - 116444736000000000ULL) / 10000000ULL);
}

void MakeRandomId(WCHAR* out, int length) {
    static constexpr char kAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (int i = 0; i < length; ++i) {
        int r = rand() & 0x7FFF;
        out[i] = static_cast<WCHAR>(kAlphabet[(r * 36) / 32768]);
    }
    out[length] = 0;
}

void MakeServerId(WCHAR* out) {
    MakeRandomId(out, kServerIdLength);
}
