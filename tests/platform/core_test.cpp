#include <platform/core.h>
#include <platform_testing/test_switches.h>
#include <platform/text.h>

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace {

DWORD ReturnParameter(LPVOID parameter) {
    return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(parameter));
}

std::atomic<bool> releaseThread{false};
DWORD WaitForRelease(LPVOID) {
    while (!releaseThread.load()) {
        Sleep(1);
    }
    return 7;
}

TEST(Threads, WaitReturnsAfterTheThreadEndsWithItsExitCode) {
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, ReturnParameter, reinterpret_cast<LPVOID>(42), 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_TRUE(CloseHandle(thread));
    EXPECT_FALSE(CloseHandle(thread)) << "a handle closes once";
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_FAILED);
}

TEST(Threads, WaitTimesOutWhileTheThreadRuns) {
    releaseThread = false;
    HANDLE thread = CreateThread(nullptr, 0, WaitForRelease, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 20), WAIT_TIMEOUT);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, STILL_ACTIVE);
    releaseThread = true;
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 7u);
    CloseHandle(thread);
}

TEST(Threads, CriticalSectionIsRecursiveAndExcludesOtherThreads) {
    static CRITICAL_SECTION section;
    static int counter = 0;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EnterCriticalSection(&section);  // the owner may enter again
    LeaveCriticalSection(&section);
    LeaveCriticalSection(&section);
    auto work = [](LPVOID) -> DWORD {
        for (int i = 0; i < 10000; ++i) {
            EnterCriticalSection(&section);
            counter = counter + 1;
            LeaveCriticalSection(&section);
        }
        return 0;
    };
    HANDLE a = CreateThread(nullptr, 0, work, nullptr, 0, nullptr);
    HANDLE b = CreateThread(nullptr, 0, work, nullptr, 0, nullptr);
    WaitForSingleObject(a, INFINITE);
    WaitForSingleObject(b, INFINITE);
    CloseHandle(a);
    CloseHandle(b);
    EXPECT_EQ(counter, 20000);
    DeleteCriticalSection(&section);
}

TEST(Time, FileTimeCountsHundredNanosecondsFrom1601) {
    SYSTEMTIME epoch{1970, 1, 4, 1, 0, 0, 0, 0};
    FILETIME ft{};
    ASSERT_TRUE(SystemTimeToFileTime(&epoch, &ft));
    std::uint64_t ticks = (std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
    EXPECT_EQ(ticks, 116444736000000000ULL);

    SYSTEMTIME leap{2024, 2, 4, 29, 23, 59, 59, 999};
    ASSERT_TRUE(SystemTimeToFileTime(&leap, &ft));
    ticks = (std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
    EXPECT_EQ((ticks - 116444736000000000ULL) / 10000000ULL, 1709251199ULL);

    SYSTEMTIME notLeap{2023, 2, 0, 29, 0, 0, 0, 0};
    EXPECT_FALSE(SystemTimeToFileTime(&notLeap, &ft));
    SYSTEMTIME tooEarly{1600, 12, 0, 31, 0, 0, 0, 0};
    EXPECT_FALSE(SystemTimeToFileTime(&tooEarly, &ft));
}

TEST(Random, FifteenBitValuesInTheDeviceRuntimesSequence) {
    srand(1);
    // The device runtime's first values for seed 1.
    EXPECT_EQ(rand(), 41);
    EXPECT_EQ(rand(), 18467);
    EXPECT_EQ(rand(), 6334);
    srand(12345);
    for (int i = 0; i < 10000; ++i) {
        int r = rand();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 32767);
    }
}

TEST(Text, FormatsTheConversionsTheProgramUses) {
    WCHAR buffer[64];
    wsprintfW(buffer, u"Update (%i commands) complete\r\n", 12);
    EXPECT_EQ(std::u16string(buffer), u"Update (12 commands) complete\r\n");
    wsprintfW(buffer, u"Getting %i: %.4x, %i\n", 3, 0xab, -1);
    EXPECT_EQ(std::u16string(buffer), u"Getting 3: 00ab, -1\n");
    wsprintfW(buffer, u"[%-5s|%5s|%05d|%X|%c|%%]", u"ab", u"cd", -42, 0xBEEFu, u'z');
    EXPECT_EQ(std::u16string(buffer), u"[ab   |   cd|-0042|BEEF|z|%]");
    EXPECT_EQ(FormatW(buffer, 6, u"%s", u"truncated"), 5);
    EXPECT_EQ(std::u16string(buffer), u"trunc");
}

TEST(Text, CopiesCompareAndUpperCase) {
    WCHAR small[4];
    lstrcpynW(small, u"abcdef", 4);
    EXPECT_EQ(std::u16string(small), u"abc");
    EXPECT_EQ(lstrlenW(nullptr), 0);
    EXPECT_EQ(lstrcmpiW(u"VncClientWindow", u"vncclientWINDOW"), 0);
    EXPECT_LT(lstrcmpW(u"a", u"b"), 0);
    EXPECT_EQ(towupper(u'q'), u'Q');
    EXPECT_EQ(towupper(u'\u00e9'), u'\u00c9');
    EXPECT_EQ(towupper(u'\u0101'), u'\u0100');
    EXPECT_EQ(towupper(u'\u017e'), u'\u017d');
    EXPECT_EQ(towupper(u'\u0436'), u'\u0416');
    EXPECT_EQ(towupper(u'\u00f7'), u'\u00f7') << "division sign is no letter";
    EXPECT_EQ(towupper(u'1'), u'1');
}

TEST(Text, Utf8ConversionKeepsSupplementaryCharactersAndReplacesBadInput) {
    std::u16string text = u"A\u00e9\u20ac\U0001F600";
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
    EXPECT_EQ(Utf8ToUtf16("\xC0\x80"), u"\uFFFD\uFFFD") << "overlong encodings are refused";
    EXPECT_EQ(Utf8ToUtf16("ab\xE2\x82"), u"ab\uFFFD\uFFFD");
}

TEST(Debug, OutputReachesTheCaptureSink) {
    std::vector<std::u16string> seen;
    SetDebugOutputSink([&](const std::u16string& text) { seen.push_back(text); });
    OutputDebugStringW(u"Failed to translate character\r\n");
    OutputDebugStringW(nullptr);
    SetDebugOutputSink(nullptr);
    OutputDebugStringW(u"not captured");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], u"Failed to translate character\r\n");
}

}  // namespace
