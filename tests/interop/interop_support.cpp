#include "interop_support.h"

#include "pattern.h"
#include <png/png_file.h>

#include <rfb/des.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

int Spawn(const std::vector<std::string>& argv, const std::string& logFile,
          const std::vector<std::string>& environment) {
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    std::vector<std::string> envStrings;
    for (char** e = environ; *e != nullptr; ++e) {
        envStrings.emplace_back(*e);
    }
    envStrings.insert(envStrings.end(), environment.begin(), environment.end());
    std::vector<char*> env;
    for (std::string& e : envStrings) {
        env.push_back(e.data());
    }
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    int result = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    return result == 0 ? pid : -1;
}

}  // namespace

ServerProcess::ServerProcess(const std::vector<std::string>& argv, const std::string& logFile,
                             const std::vector<std::string>& environment)
    : pid_(Spawn(argv, logFile, environment)) {}

ServerProcess::~ServerProcess() {
    if (pid_ <= 0) {
        return;
    }
    // x11vnc sometimes ignores SIGTERM while a client lingers: give it a moment, then SIGKILL.
    ::kill(pid_, SIGTERM);
    int status;
    for (int waited = 0; waited < 2000; waited += 20) {
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status, 0);
}

int RunProgram(const std::vector<std::string>& argv, const std::string& logFile,
               const std::vector<std::string>& environment) {
    int pid = Spawn(argv, logFile, environment);
    if (pid <= 0) {
        return -1;
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

bool HaveProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (::access((folder + "/" + name).c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

bool WaitForRfb(int port, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bool ok = false;
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            pollfd p{fd, POLLIN, 0};
            char version[8] = {};
            if (::poll(&p, 1, 2000) > 0 && ::recv(fd, version, 8, MSG_WAITALL) == 8) {
                ok = std::memcmp(version, "RFB 003.", 8) == 0;
            }
        }
        ::close(fd);
        if (ok) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

bool WaitForPath(const std::string& path, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 20) {
        if (std::filesystem::exists(path)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::string MakeTempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tavrel-interop-XXXXXX").string();
    return ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string("/tmp");
}

std::string WritePasswordFile(const std::string& folder, const std::string& name,
                              const std::string& password) {
    static const BYTE kFixedKey[8] = {0xe8, 0x4a, 0xd6, 0x60, 0xc4, 0x72, 0x1a, 0xe0};
    BYTE plain[8] = {};
    std::memcpy(plain, password.data(), std::min<std::size_t>(8, password.size()));
    BYTE cipher[8];
    Des(kFixedKey).EncryptBlock(plain, cipher);
    std::string path = folder + "/" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(cipher), 8);
    std::ofstream(path + ".txt") << password << "\n";
    return path;
}

std::string WritePatternPpm(const std::string& folder, int width, int height, int variant) {
    std::string path = folder + "/pattern" + std::to_string(variant) + ".ppm";
    std::ofstream file(path, std::ios::binary);
    file << "P6\n" << width << " " << height << "\n255\n";
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t rgb[3];
            PatternColour(x, y, variant, rgb);
            file.write(reinterpret_cast<const char*>(rgb), 3);
        }
    }
    return path;
}

std::uint8_t QuantiseComponent(std::uint8_t value, int bits) {
    // The top bits of the component, the low bits zero.
    return bits >= 8 ? value : static_cast<std::uint8_t>(value & (0xFF << (8 - bits)));
}

Image ExpectedPattern(int width, int height, int variant, int bitsPerPixel) {
    static const int kBits[3][3] = {{3, 3, 2}, {5, 6, 5}, {8, 8, 8}};
    const int* bits = kBits[bitsPerPixel == 8 ? 0 : bitsPerPixel == 16 ? 1 : 2];
    Image image{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t rgb[3];
            PatternColour(x, y, variant, rgb);
            for (int c = 0; c < 3; ++c) {
                image.rgb.push_back(QuantiseComponent(rgb[c], bits[c]));
            }
        }
    }
    return image;
}

SnapshotRun RunSnapshot(const std::string& folder, const std::vector<std::string>& arguments) {
    static int counter = 0;
    std::string png = folder + "/snapshot" + std::to_string(++counter) + ".png";
    std::string log = png + ".log";
    std::vector<std::string> argv{TAVREL_SNAPSHOT_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    argv.push_back(png);
    SnapshotRun run;
    run.exitCode = RunProgram(argv, log);
    run.error = ReadFile(log);
    while (!run.error.empty() && (run.error.back() == '\n' || run.error.back() == '\r')) {
        run.error.pop_back();
    }
    if (run.exitCode == 0) {
        ReadPngFile(png, run.image.width, run.image.height, run.image.rgb);
    }
    return run;
}

int CountMismatches(const Image& actual, const Image& expected, const std::vector<int>& exclude) {
    if (actual.width != expected.width || actual.height != expected.height ||
        actual.rgb.size() != expected.rgb.size()) {
        return -1;
    }
    int mismatches = 0;
    for (int y = 0; y < actual.height; ++y) {
        for (int x = 0; x < actual.width; ++x) {
            if (exclude.size() == 4 && x >= exclude[0] && x < exclude[0] + exclude[2] &&
                y >= exclude[1] && y < exclude[1] + exclude[3]) {
                continue;
            }
            std::size_t i = (static_cast<std::size_t>(y) * actual.width + x) * 3;
            if (std::memcmp(&actual.rgb[i], &expected.rgb[i], 3) != 0) {
                ++mismatches;
            }
        }
    }
    return mismatches;
}
