#include <platform/fs.h>

#include <gtest/gtest.h>

#include <fstream>

#include "temp_home.h"

namespace {

TEST(FileSystem, ProgramPathAndItsFolderExist) {
    TempHome home;
    WCHAR path[MAX_PATH];
    EXPECT_EQ(GetModuleFileNameW(nullptr, path, MAX_PATH), 32u);
    EXPECT_EQ(std::u16string(path), u"\\Program Files\\Tavrel\\Tavrel.exe");
    EXPECT_TRUE(std::filesystem::is_directory(home.DeviceFile("Program Files/Tavrel")));
}

TEST(FileSystem, WriteReadAndDeleteAFile) {
    TempHome home;
    WCHAR module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    LPCWSTR path = u"\\Program Files\\Tavrel\\note.bin";
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, "hello", 5, &written, nullptr));
    EXPECT_EQ(written, 5u);
    EXPECT_EQ(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE)
        << "a file opened without sharing cannot be opened again";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(DeleteFileW(path)) << "an open file cannot be deleted";
    CloseHandle(file);

    file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(file, nullptr), 5u);
    char buffer[16] = {};
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(std::string(buffer, read), "hello");
    CloseHandle(file);
    EXPECT_TRUE(std::filesystem::exists(home.DeviceFile("Program Files/Tavrel/note.bin")));

    EXPECT_TRUE(DeleteFileW(path));
    EXPECT_FALSE(DeleteFileW(path));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(FileSystem, PathsCannotLeaveTheDeviceRoot) {
    TempHome home;
    std::ofstream(home.Path() + "/secret") << "x";
    for (LPCWSTR path : {u"\\..\\secret", u"\\Program Files\\..\\..\\secret", u"..\\secret", u""}) {
        EXPECT_EQ(CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
                  INVALID_HANDLE_VALUE);
        EXPECT_FALSE(DeleteFileW(path));
    }
    EXPECT_TRUE(std::filesystem::exists(home.Path() + "/secret"));
}

TEST(FileSystem, BadHandlesAreRefused) {
    DWORD count = 1;
    char byte = 0;
    EXPECT_FALSE(ReadFile(nullptr, &byte, 1, &count, nullptr));
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(WriteFile(reinterpret_cast<HANDLE>(0x1234), &byte, 1, &count, nullptr));
    EXPECT_EQ(GetFileSize(nullptr, nullptr), INVALID_FILE_SIZE);
    EXPECT_EQ(CreateFileW(u"\\missing\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
}

}  // namespace
