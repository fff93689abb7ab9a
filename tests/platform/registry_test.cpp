#include <platform/registry.h>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "temp_home.h"

namespace {

HKEY Create(HKEY parent, LPCWSTR path, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(parent, path, 0, nullptr, 0, 0, nullptr, &key, disposition),
              ERROR_SUCCESS);
    return key;
}

void SetDword(HKEY key, LPCWSTR name, DWORD value) {
    ASSERT_EQ(RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4),
              ERROR_SUCCESS);
}

DWORD GetDword(HKEY key, LPCWSTR name, DWORD fallback = 0xDEAD) {
    DWORD value = 0, size = 4;
    return RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) ==
                   ERROR_SUCCESS
               ? value
               : fallback;
}

std::vector<std::u16string> Children(HKEY key) {
    std::vector<std::u16string> names;
    WCHAR name[260];
    for (DWORD i = 0;; ++i) {
        DWORD length = 260;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return names;
        }
        names.emplace_back(name, length);
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Registry, CreatesMissingKeysAlongAPathAndReopensThem) {
    TempHome home;
    DWORD disposition = 0;
    HKEY key = Create(HKEY_CURRENT_USER, u"Software\\Orlin Software\\Tavrel", &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(key);
    key = Create(HKEY_CURRENT_USER, u"software\\ORLIN SOFTWARE\\tavrel", &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY) << "names compare without case";
    RegCloseKey(key);
    HKEY opened = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Nobody", 0, 0, &opened),
              ERROR_FILE_NOT_FOUND);
}

TEST(Registry, ValuesKeepTheirTypeAndBytesAndReportSizes) {
    TempHome home;
    HKEY key = Create(HKEY_CURRENT_USER, u"Software\\Test");
    SetDword(key, u"Rate", 0xFFFFFFFF);
    const BYTE blob[3] = {1, 2, 3};
    ASSERT_EQ(RegSetValueExW(key, u"Blob", 0, REG_BINARY, blob, 3), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, u"Empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);

    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExW(key, u"Blob", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(size, 3u);
    BYTE small[2];
    size = 2;
    EXPECT_EQ(RegQueryValueExW(key, u"Blob", nullptr, nullptr, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 3u);
    size = 0;
    BYTE none[1];
    EXPECT_EQ(RegQueryValueExW(key, u"Empty", nullptr, &type, none, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(GetDword(key, u"RATE"), 0xFFFFFFFFu);

    EXPECT_EQ(RegDeleteValueW(key, u"Rate"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(key, u"Rate"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetDword(key, u"Rate"), 0xDEADu);
    RegCloseKey(key);
}

TEST(Registry, ChildrenEnumerateInCreationOrder) {
    TempHome home;
    HKEY key = Create(HKEY_CURRENT_USER, u"Software\\Order");
    for (LPCWSTR name : {u"zeta", u"alpha", u"Mid", u"beta"}) {
        RegCloseKey(Create(key, name));
    }
    std::vector<std::u16string> expected = {u"zeta", u"alpha", u"Mid", u"beta"};
    EXPECT_EQ(Children(key), expected);
    WCHAR tiny[3];
    DWORD length = 3;
    EXPECT_EQ(RegEnumKeyExW(key, 0, tiny, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    RegCloseKey(key);
    ReloadRegistry();
    key = Create(HKEY_CURRENT_USER, u"Software\\Order");
    EXPECT_EQ(Children(key), expected) << "the order survives a restart";
    RegCloseKey(key);
}

TEST(Registry, DeletingAKeyRemovesItsSubtreeAndInvalidatesOpenHandles) {
    TempHome home;
    HKEY servers = Create(HKEY_CURRENT_USER, u"Software\\T\\Servers");
    HKEY inner = Create(servers, u"AB12CD34\\Keys\\K1");
    SetDword(inner, u"InToolbar", 1);
    EXPECT_EQ(RegDeleteKeyW(servers, u"AB12CD34"), ERROR_SUCCESS);
    EXPECT_TRUE(Children(servers).empty());
    EXPECT_NE(RegSetValueExW(inner, u"X", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(servers, u"AB12CD34"), ERROR_FILE_NOT_FOUND);
    RegCloseKey(inner);
    RegCloseKey(servers);
    EXPECT_EQ(ReadFile(home.RegistryFile()).find("AB12CD34"), std::string::npos);
}

TEST(Registry, EveryChangeIsOnDiskWithOwnerOnlyMode) {
    TempHome home;
    HKEY key = Create(HKEY_CURRENT_USER, u"Software\\Persist");
    SetDword(key, u"Hash", 0x5f3a2b10);
    const char16_t text[] = u"caf\u00e9 \"quoted\" back\\slash\nline";
    ASSERT_EQ(
        RegSetValueExW(key, u"Title", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text),
        ERROR_SUCCESS);
    // Still open: a new store (as after a restart) must see everything already.
    ReloadRegistry();
    HKEY again = Create(HKEY_CURRENT_USER, u"Software\\Persist");
    EXPECT_EQ(GetDword(again, u"Hash"), 0x5f3a2b10u);
    char16_t read[64] = {};
    DWORD size = sizeof read;
    ASSERT_EQ(
        RegQueryValueExW(again, u"Title", nullptr, nullptr, reinterpret_cast<BYTE*>(read), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(size, sizeof text);
    EXPECT_EQ(std::u16string(read), std::u16string(text));
    RegCloseKey(again);
    RegCloseKey(key);

    struct stat info {};
    ASSERT_EQ(::stat(home.RegistryFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_NE(ReadFile(home.RegistryFile()).find("\"Hash\"=dword:5f3a2b10"), std::string::npos);
}

TEST(Registry, ADamagedFileIsMovedAsideAndAnEmptyStoreStarts) {
    TempHome home;
    std::filesystem::create_directories(home.Path());
    std::ofstream(home.RegistryFile())
        << "Tavrel registry 1\n[HKEY_CURRENT_USER\\Software]\n\"X\"=dword:zz\n";
    testing::internal::CaptureStderr();
    HKEY key = Create(HKEY_CURRENT_USER, u"Software");
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("damaged"), std::string::npos) << message;
    EXPECT_TRUE(Children(key).empty());
    RegCloseKey(key);
    int asides = 0;
    for (const auto& entry : std::filesystem::directory_iterator(home.Path())) {
        if (entry.path().filename().string().rfind("registry.reg.damaged-", 0) == 0) {
            ++asides;
            EXPECT_NE(ReadFile(entry.path()).find("dword:zz"), std::string::npos)
                << "kept as it was";
        }
    }
    EXPECT_EQ(asides, 1);
}

TEST(Registry, AFailedWriteLeavesThePreviousStateInMemoryAndOnDisk) {
    TempHome home;
    HKEY key = Create(HKEY_CURRENT_USER, u"Software\\W");
    SetDword(key, u"Port", 5900);
    RegCloseKey(Create(key, u"Child"));
    // A folder where the temporary file should go: every write fails from here on.
    std::filesystem::create_directory(home.RegistryFile() + ".tmp");
    DWORD value = 5901;
    EXPECT_EQ(RegSetValueExW(key, u"Port", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), 4),
              ERROR_WRITE_FAULT);
    EXPECT_EQ(RegSetValueExW(key, u"New", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), 4),
              ERROR_WRITE_FAULT);
    EXPECT_EQ(RegDeleteValueW(key, u"Port"), ERROR_WRITE_FAULT);
    EXPECT_EQ(RegDeleteKeyW(key, u"Child"), ERROR_WRITE_FAULT);
    HKEY created = nullptr;
    EXPECT_EQ(RegCreateKeyExW(key, u"Other\\Deep", 0, nullptr, 0, 0, nullptr, &created, nullptr),
              ERROR_WRITE_FAULT);
    EXPECT_EQ(GetDword(key, u"Port"), 5900u);
    EXPECT_EQ(GetDword(key, u"New"), 0xDEADu);
    EXPECT_EQ(Children(key), std::vector<std::u16string>{u"Child"});

    std::filesystem::remove(home.RegistryFile() + ".tmp");
    ReloadRegistry();
    HKEY again = Create(HKEY_CURRENT_USER, u"Software\\W");
    EXPECT_EQ(GetDword(again, u"Port"), 5900u);
    EXPECT_EQ(Children(again), std::vector<std::u16string>{u"Child"});
    RegCloseKey(again);
    RegCloseKey(key);
}

TEST(Registry, BadHandlesAndArgumentsAreRefused) {
    TempHome home;
    HKEY bogus = reinterpret_cast<HKEY>(0x4242);
    HKEY result = nullptr;
    EXPECT_EQ(RegCreateKeyExW(bogus, u"x", 0, nullptr, 0, 0, nullptr, &result, nullptr),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(bogus), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExW(nullptr, u"x", 0, REG_DWORD, nullptr, 4), ERROR_INVALID_PARAMETER);
    std::u16string longName(256, u'k');
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, longName.c_str(), 0, nullptr, 0, 0, nullptr,
                              &result, nullptr),
              ERROR_INVALID_PARAMETER);
    HKEY key = Create(HKEY_CURRENT_USER, u"Software");
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE) << "a closed handle is not reused";
}

}  // namespace
