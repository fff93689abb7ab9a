#include <settings/password.h>

#include <platform/text.h>
#include <settings/server_time.h>
#include <settings/settings_key.h>

namespace {

// The scrambling key, looked up afresh each time; created from the clock when missing or 0.
void ScrambleKey(BYTE key[4]) {
    SettingsKey application(HKEY_CURRENT_USER, kApplicationKeyPath);
    DWORD hash = application.readDword(u"Hash", 0);
    if (hash == 0) {
        hash = CurrentTimeSeconds();
        application.writeDword(u"Hash", hash);
    }
    application.close();
    for (int i = 0; i < 4; ++i) {
        key[i] = static_cast<BYTE>(hash >> (8 * i));
    }
}

}  // namespace

DWORD ScramblePassword(LPCWSTR password, BYTE* out) {
    BYTE key[4];
    ScrambleKey(key);
    auto n = static_cast<DWORD>(2 * lstrlenW(password));
    for (DWORD i = 0; i < n; ++i) {
        WCHAR unit = password[i / 2];
        BYTE byte = static_cast<BYTE>(i % 2 == 0 ? unit : unit >> 8);
        out[i] = byte ^ key[i % 4];
    }
    return n;
}

void UnscramblePassword(const BYTE* in, DWORD count, WCHAR* text) {
    BYTE key[4];
    ScrambleKey(key);
    for (DWORD i = 0; i + 1 < count; i += 2) {
        text[i / 2] =
            static_cast<WCHAR>((in[i] ^ key[i % 4]) | (in[i + 1] ^ key[(i + 1) % 4]) << 8);
    }
    text[count / 2] = 0;  // a stray odd last byte is dropped with it
}
