// Starting real VNC servers on 127.0.0.1, running tavrel-snapshot against them and comparing the
// pixels that arrive with the known pattern.
#pragma once

#include "test_files.h"

#include <cstdint>
#include <string>
#include <vector>

// Skips the test (with the reason) when one of the programs is not installed.
#define REQUIRE_PROGRAMS(...)                                                                    \
    for (const char* program : {__VA_ARGS__}) {                                                  \
        if (!HaveProgram(program)) {                                                             \
            GTEST_SKIP() << program << " is not installed (./dev installs the interop servers)"; \
        }                                                                                        \
    }

// A child process, stopped by its id (SIGTERM, then waited for) when the object goes.
class ServerProcess {
  public:
    // environment entries are "NAME=value" added to ours; output goes to logFile.
    ServerProcess(const std::vector<std::string>& argv, const std::string& logFile,
                  const std::vector<std::string>& environment = {});
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;
    bool Started() const { return pid_ > 0; }

  private:
    int pid_ = -1;
};

// Runs a program to its end; its exit status (-1 when it could not run). Output goes to logFile.
int RunProgram(const std::vector<std::string>& argv, const std::string& logFile,
               const std::vector<std::string>& environment = {});
bool HaveProgram(const std::string& name);
// True once 127.0.0.1:port answers with "RFB 003." (within timeoutMs).
bool WaitForRfb(int port, int timeoutMs = 10000);
bool WaitForPath(const std::string& path, int timeoutMs = 10000);

// A fresh folder for the files of one test suite.
std::string MakeTempFolder();
// The 8-byte VNC password file that every server here reads.
std::string WritePasswordFile(const std::string& folder, const std::string& name,
                              const std::string& password);
// The pattern as a binary PPM, for ImageMagick's display -window root.
std::string WritePatternPpm(const std::string& folder, int width, int height, int variant);

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};
// The pattern as tavrel-snapshot writes it for bitsPerPixel: each component keeps its top bits
// (3:3:2, 5:6:5 or all 8), the low bits zero, as the framebuffer store's capture expands them.
Image ExpectedPattern(int width, int height, int variant, int bitsPerPixel);
std::uint8_t QuantiseComponent(std::uint8_t value, int bits);

struct SnapshotRun {
    int exitCode = -1;
    std::string error;  // what it wrote on stderr, trimmed
    Image image;        // read back from the PNG when it exited with 0
};
SnapshotRun RunSnapshot(const std::string& folder, const std::vector<std::string>& arguments);
// Pixels that differ, outside the box (x, y, w, h) given as exclude (empty: none).
int CountMismatches(const Image& actual, const Image& expected,
                    const std::vector<int>& exclude = {});
