// A process killed at any moment while writing leaves a store that opens with its last
// completed write.
#include <platform/text.h>
#include <settings/settings_key.h>

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <random>

#include "temp_home.h"

namespace {

// Writes forever: in round i, "Title" = "title-i", then "Counter" = i, then a child key every
// tenth round; reports each finished round on the pipe.
[[noreturn]] void WriteUntilKilled(int reportFd, DWORD start) {
    SettingsKey key(HKEY_CURRENT_USER, u"Software\\Orlin Software\\Tavrel\\Crash");
    for (DWORD i = start;; ++i) {
        WCHAR title[32];
        FormatW(title, 32, u"title-%u", i);
        key.writeString(u"Title", title);
        key.writeDword(u"Counter", i);
        if (i % 10 == 0) {
            WCHAR name[16];
            FormatW(name, 16, u"K%u", i);
            delete key.openSubkey(name);
        }
        if (::write(reportFd, &i, sizeof i) != sizeof i) {
            _exit(1);
        }
    }
}

TEST(CrashSafety, KilledWritersNeverLoseACompletedWrite) {
    TempHome home;
    std::mt19937 random(12345);
    const int kills = 60;
    int reopened = 0;
    DWORD confirmed = 0;
    for (int round = 0; round < kills; ++round) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(fds[0]);
            WriteUntilKilled(fds[1], confirmed + 1);
        }
        ::close(fds[1]);
        // Once the writer has finished its first round, kill it at a random moment after.
        DWORD value = 0;
        if (::read(fds[0], &value, sizeof value) == sizeof value) {
            confirmed = value;
        }
        ::usleep(random() % 8000);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        while (::read(fds[0], &value, sizeof value) == sizeof value) {
            confirmed = value;
        }
        ::close(fds[0]);

        testing::internal::CaptureStderr();
        ReloadRegistry();
        SettingsKey key(HKEY_CURRENT_USER, u"Software\\Orlin Software\\Tavrel\\Crash");
        std::string complaints = testing::internal::GetCapturedStderr();
        ASSERT_TRUE(complaints.empty()) << complaints;
        DWORD counter = key.readDword(u"Counter", 0);
        ASSERT_GE(counter, confirmed) << "round " << round;
        ASSERT_LE(counter, confirmed + 1) << "round " << round;
        WCHAR title[kTextCapacity];
        key.readString(u"Title", u"", title);
        std::u16string expected = u"title-" + Utf8ToUtf16(std::to_string(counter));
        std::u16string next = u"title-" + Utf8ToUtf16(std::to_string(counter + 1));
        bool untouched = counter == 0 && title[0] == 0;
        ASSERT_TRUE(untouched || title == expected || title == next) << Utf16ToUtf8(title);
        confirmed = counter;
        ++reopened;
    }
    for (const auto& entry : std::filesystem::directory_iterator(home.Path())) {
        EXPECT_EQ(entry.path().filename().string().find("damaged"), std::string::npos);
    }
    std::printf("crash safety: %d kills, %d stores reopened cleanly, %u rounds written\n", kills,
                reopened, confirmed);
    EXPECT_EQ(reopened, kills);
    EXPECT_GT(confirmed, 0u);
}

}  // namespace
