// One open key of the settings store, with typed reads (with defaults) and writes.
#pragma once

#include <platform/registry.h>

// The application key below HKEY_CURRENT_USER, and its collections.
inline constexpr const WCHAR* kApplicationKeyPath = u"Software\\Orlin Software\\Tavrel";
inline constexpr int kTextCapacity = 260;  // 259 units and the terminator

class SettingsKey {
  public:
    // Opens parent\subPath, creating every missing key. Never fails: a key that can be neither
    // opened nor created behaves as an empty key that ignores writes.
    SettingsKey(HKEY parent, LPCWSTR subPath);
    ~SettingsKey();
    SettingsKey(const SettingsKey&) = delete;
    SettingsKey& operator=(const SettingsKey&) = delete;

    // The child key, created when absent; null only when allocation fails. The caller closes
    // and deletes it.
    SettingsKey* openSubkey(LPCWSTR name);
    void close();

    DWORD readDword(LPCWSTR name, DWORD defaultValue);
    // Fills buffer (kTextCapacity units); the default text when the value is missing or longer.
    void readString(LPCWSTR name, LPCWSTR defaultText, WCHAR* buffer);
    // Bytes copied; 0 when the value is missing or larger than capacity.
    DWORD readBinary(LPCWSTR name, void* buffer, DWORD capacity);

    void writeDword(LPCWSTR name, DWORD value);
    void writeString(LPCWSTR name, LPCWSTR text);
    void writeBinary(LPCWSTR name, const void* bytes, DWORD length);
    void deleteValue(LPCWSTR name);
    void deleteSubkey(LPCWSTR name);
    // True and the name (kTextCapacity units) of the index-th child; false past the last.
    bool enumSubkey(DWORD index, WCHAR* name);

    HKEY handle() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

// Opens the application key, then its collection (such as "Servers"), and closes the
// application key at once. The caller closes and deletes the result; null only without memory.
SettingsKey* OpenSettingsCollection(LPCWSTR name);
