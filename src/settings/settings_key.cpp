#include <settings/settings_key.h>

#include <platform/text.h>

#include <new>
#include <vector>

SettingsKey::SettingsKey(HKEY parent, LPCWSTR subPath) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(parent, subPath, 0, nullptr, 0, 0, nullptr, &key, &disposition) ==
        ERROR_SUCCESS) {
        key_ = key;
    }
}

SettingsKey::~SettingsKey() {
    close();
}

SettingsKey* SettingsKey::openSubkey(LPCWSTR name) {
    return new (std::nothrow) SettingsKey(key_, name);
}

void SettingsKey::close() {
    if (key_ != nullptr) {
        RegCloseKey(key_);
        key_ = nullptr;
    }
}

DWORD SettingsKey::readDword(LPCWSTR name, DWORD defaultValue) {
    BYTE bytes[4];
    DWORD size = sizeof bytes;
    if (key_ == nullptr ||
        RegQueryValueExW(key_, name, nullptr, nullptr, bytes, &size) != ERROR_SUCCESS ||
        size != 4) {
        return defaultValue;
    }
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<DWORD>(bytes[3]) << 24;
}

void SettingsKey::readString(LPCWSTR name, LPCWSTR defaultText, WCHAR* buffer) {
    if (buffer == nullptr) {
        return;
    }
    BYTE bytes[kTextCapacity * 2];
    DWORD size = sizeof bytes;
    if (key_ == nullptr ||
        RegQueryValueExW(key_, name, nullptr, nullptr, bytes, &size) != ERROR_SUCCESS) {
        lstrcpynW(buffer, defaultText, kTextCapacity);
        return;
    }
    DWORD units = size / 2;
    for (DWORD i = 0; i < units; ++i) {
        buffer[i] = static_cast<WCHAR>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    }
    buffer[units < kTextCapacity ? units : kTextCapacity - 1] = 0;  // a value without terminator
}

DWORD SettingsKey::readBinary(LPCWSTR name, void* buffer, DWORD capacity) {
    DWORD size = capacity;
    if (key_ == nullptr || buffer == nullptr ||
        RegQueryValueExW(key_, name, nullptr, nullptr, static_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS) {
        return 0;
    }
    return size;
}

void SettingsKey::writeDword(LPCWSTR name, DWORD value) {
    const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                           static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
    if (key_ != nullptr) {
        RegSetValueExW(key_, name, 0, REG_DWORD, bytes, sizeof bytes);
    }
}

void SettingsKey::writeString(LPCWSTR name, LPCWSTR text) {
    if (key_ == nullptr || text == nullptr) {
        return;
    }
    auto units = static_cast<DWORD>(lstrlenW(text)) + 1;
    std::vector<BYTE> bytes(units * 2);  // UTF-16LE, terminator included
    for (DWORD i = 0; i < units; ++i) {
        bytes[2 * i] = static_cast<BYTE>(text[i]);
        bytes[2 * i + 1] = static_cast<BYTE>(text[i] >> 8);
    }
    RegSetValueExW(key_, name, 0, REG_SZ, bytes.data(), units * 2);
}

void SettingsKey::writeBinary(LPCWSTR name, const void* bytes, DWORD length) {
    if (key_ != nullptr) {
        RegSetValueExW(key_, name, 0, REG_BINARY, static_cast<const BYTE*>(bytes), length);
    }
}

void SettingsKey::deleteValue(LPCWSTR name) {
    if (key_ != nullptr) {
        RegDeleteValueW(key_, name);
    }
}

void SettingsKey::deleteSubkey(LPCWSTR name) {
    if (key_ != nullptr && name != nullptr && name[0] != 0) {
        RegDeleteKeyW(key_, name);
    }
}

bool SettingsKey::enumSubkey(DWORD index, WCHAR* name) {
    DWORD length = kTextCapacity;
    return key_ != nullptr && name != nullptr &&
           RegEnumKeyExW(key_, index, name, &length, nullptr, nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS;
}

SettingsKey* OpenSettingsCollection(LPCWSTR name) {
    SettingsKey application(HKEY_CURRENT_USER, kApplicationKeyPath);
    SettingsKey* collection = application.openSubkey(name);
    application.close();
    return collection;
}
