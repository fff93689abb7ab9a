// tavrel-snapshot against real servers: x11vnc on Xvfb, TigerVNC's Xvnc, TightVNC's Xtightvnc
// and our libvncserver pattern server, with and without passwords, in every encoding each one
// honours, at 8, 16 and 32 bits per pixel. The pixels must be the pattern the server shows.
#include "interop_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

namespace {

const int kWidth = 640;
const int kHeight = 480;
const std::string kPassword = "secret";

// Checks every encoding at every pixel size; exclude is a box left out (a pointer drawn in). The
// server may take a moment to show what was put on its display: it is asked until it does.
void ExpectPatternEverywhere(const std::string& folder, int port,
                             const std::vector<std::string>& encodings,
                             const std::vector<std::string>& extra = {},
                             const std::vector<int>& exclude = {}) {
    std::vector<std::string> shown = extra;
    shown.insert(shown.end(),
                 {"--bpp", "32", "--timeout", "20", "127.0.0.1::" + std::to_string(port)});
    Image pattern = ExpectedPattern(kWidth, kHeight, 0, 32);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (SnapshotRun run = RunSnapshot(folder, shown);
         run.exitCode != 0 || CountMismatches(run.image, pattern, exclude) != 0;
         run = RunSnapshot(folder, shown)) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the pattern never showed";
    }
    for (int bpp : {8, 16, 32}) {
        Image expected = ExpectedPattern(kWidth, kHeight, 0, bpp);
        for (const std::string& encoding : encodings) {
            SCOPED_TRACE("bpp " + std::to_string(bpp) + ", encodings " + encoding);
            std::vector<std::string> arguments = extra;
            arguments.insert(arguments.end(), {"--bpp", std::to_string(bpp), "--timeout", "20"});
            if (encoding != "all") {
                arguments.insert(arguments.end(), {"--encodings", encoding});
            }
            arguments.push_back("127.0.0.1::" + std::to_string(port));
            SnapshotRun run = RunSnapshot(folder, arguments);
            ASSERT_EQ(run.exitCode, 0) << run.error;
            EXPECT_EQ(CountMismatches(run.image, expected, exclude), 0);
        }
    }
}

void ExpectWrongPasswordRefused(const std::string& folder, int port) {
    std::string wrong = WritePasswordFile(folder, "wrong", "public");
    SnapshotRun run = RunSnapshot(
        folder, {"--password-file", wrong + ".txt", "127.0.0.1::" + std::to_string(port)});
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_EQ(run.error, "VNC authentication failed");
}

// Puts the pattern on an X display as the root window's background.
bool ShowPattern(const std::string& folder, int display) {
    std::string ppm = WritePatternPpm(folder, kWidth, kHeight, 0);
    int status = RunProgram({"display", "-window", "root", ppm}, folder + "/display.log",
                            {"DISPLAY=:" + std::to_string(display)});
    // display exits with 1 after setting the root window's background; only not running fails.
    return status >= 0;
}

TEST(RealServers, X11vncOnXvfb) {
    REQUIRE_PROGRAMS("Xvfb", "x11vnc", "display");
    std::string folder = MakeTempFolder();
    std::string password = WritePasswordFile(folder, "passwd", kPassword);
    ServerProcess xvfb(
        {"Xvfb", ":141", "-screen", "0", "640x480x24", "-nolisten", "tcp", "-noreset"},
        folder + "/xvfb.log");
    ASSERT_TRUE(WaitForPath("/tmp/.X11-unix/X141"));
    ASSERT_TRUE(ShowPattern(folder, 141));
    std::vector<std::string> common{"x11vnc",  "-display", ":141",      "-localhost", "-forever",
                                    "-shared", "-norc",    "-nocursor", "-quiet"};
    auto open = common;
    open.insert(open.end(), {"-rfbport", "6141", "-nopw"});
    auto locked = common;
    locked.insert(locked.end(), {"-rfbport", "6241", "-rfbauth", password});
    ServerProcess openServer(open, folder + "/x11vnc-open.log");
    ServerProcess lockedServer(locked, folder + "/x11vnc-locked.log");
    ASSERT_TRUE(WaitForRfb(6141));
    ASSERT_TRUE(WaitForRfb(6241));
    ExpectPatternEverywhere(folder, 6141, {"all", "raw", "rre", "corre", "hextile"});
    ExpectPatternEverywhere(folder, 6241, {"hextile"}, {"--password-file", password + ".txt"});
    ExpectWrongPasswordRefused(folder, 6241);
}

TEST(RealServers, TigerVnc) {
    REQUIRE_PROGRAMS("Xtigervnc", "display");
    std::string folder = MakeTempFolder();
    std::string password = WritePasswordFile(folder, "passwd", kPassword);
    std::vector<std::string> common{
        "-geometry",           "640x480",   "-depth",    "24",  "-localhost",
        "-interface",          "127.0.0.1", "-nolisten", "tcp", "-AlwaysShared",
        "-BlacklistThreshold", "1000000"};
    std::vector<std::string> open{"Xtigervnc", ":142",           "-rfbport",
                                  "6142",      "-SecurityTypes", "None"};
    open.insert(open.end(), common.begin(), common.end());
    std::vector<std::string> locked{"Xtigervnc",      ":242",    "-rfbport",      "6242",
                                    "-SecurityTypes", "VncAuth", "-PasswordFile", password};
    locked.insert(locked.end(), common.begin(), common.end());
    ServerProcess openServer(open, folder + "/tiger-open.log");
    ServerProcess lockedServer(locked, folder + "/tiger-locked.log");
    ASSERT_TRUE(WaitForRfb(6142));
    ASSERT_TRUE(WaitForRfb(6242));
    ASSERT_TRUE(ShowPattern(folder, 142));
    ASSERT_TRUE(ShowPattern(folder, 242));
    ExpectPatternEverywhere(folder, 6142, {"all", "raw", "copyrect", "rre", "hextile"});
    ExpectPatternEverywhere(folder, 6242, {"all"}, {"--password-file", password + ".txt"});
    ExpectWrongPasswordRefused(folder, 6242);
}

TEST(RealServers, TightVnc) {
    REQUIRE_PROGRAMS("Xtightvnc", "display");
    std::string folder = MakeTempFolder();
    std::string password = WritePasswordFile(folder, "passwd", kPassword);
    std::vector<std::string> common{"-geometry",  "640x480",   "-depth",    "24",  "-localhost",
                                    "-interface", "127.0.0.1", "-nolisten", "tcp", "-alwaysshared"};
    std::vector<std::string> open{"Xtightvnc", ":143", "-rfbport", "6143"};
    open.insert(open.end(), common.begin(), common.end());
    std::vector<std::string> locked{"Xtightvnc", ":243", "-rfbport", "6243", "-rfbauth", password};
    locked.insert(locked.end(), common.begin(), common.end());
    ServerProcess openServer(open, folder + "/tight-open.log");
    ServerProcess lockedServer(locked, folder + "/tight-locked.log");
    ASSERT_TRUE(WaitForRfb(6143));
    ASSERT_TRUE(WaitForRfb(6243));
    ASSERT_TRUE(ShowPattern(folder, 143));
    ASSERT_TRUE(ShowPattern(folder, 243));
    // Its pointer (16 x 16, in the middle of the screen) is drawn into the picture unless the
    // cursor shape is asked for.
    std::vector<int> pointer{kWidth / 2 - 20, kHeight / 2 - 20, 40, 40};
    ExpectPatternEverywhere(folder, 6143, {"all", "raw", "copyrect", "rre", "corre", "hextile"}, {},
                            pointer);
    ExpectPatternEverywhere(folder, 6243, {"all"}, {"--password-file", password + ".txt"}, pointer);
    // Last: after wrong passwords it refuses everyone for a while.
    ExpectWrongPasswordRefused(folder, 6243);
}

TEST(RealServers, OwnLibvncserverWithEachEncodingForced) {
    std::string folder = MakeTempFolder();
    std::string password = WritePasswordFile(folder, "passwd", kPassword);
    {
        ServerProcess open({PATTERN_SERVER_PATH, "6144"}, folder + "/own-open.log");
        ServerProcess locked({PATTERN_SERVER_PATH, "6244", "--password", kPassword},
                             folder + "/own-locked.log");
        ASSERT_TRUE(WaitForRfb(6144));
        ASSERT_TRUE(WaitForRfb(6244));
        ExpectPatternEverywhere(folder, 6144, {"all", "raw", "rre", "corre", "hextile"});
        ExpectPatternEverywhere(folder, 6244, {"all"}, {"--password-file", password + ".txt"});
        ExpectWrongPasswordRefused(folder, 6244);
    }
    // Forced, whatever the client prefers: every encoding we decode arrives as that encoding.
    int port = 6150;
    for (int encoding : {0, 2, 4, 5}) {
        SCOPED_TRACE("forced encoding " + std::to_string(encoding));
        ServerProcess forced(
            {PATTERN_SERVER_PATH, std::to_string(port), "--encoding", std::to_string(encoding)},
            folder + "/own-forced.log");
        ASSERT_TRUE(WaitForRfb(port));
        ExpectPatternEverywhere(folder, port, {"all"});
        ++port;
    }
}

TEST(RealServers, NothingListeningIsConnectionRefused) {
    std::string folder = MakeTempFolder();
    SnapshotRun run = RunSnapshot(folder, {"127.0.0.1::6199"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.error, "Connection refused");
}

}  // namespace
