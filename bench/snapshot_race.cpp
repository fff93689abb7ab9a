// tavrel-snapshot against Debian's vncsnapshot, each run as a whole process the way a user runs
// it, on the pattern server's 1920 x 1080 picture (tests/interop/pattern_server), Raw and Hextile:
// real time (start to exit) and CPU time (user + system of the process and all its threads),
// fastest and median of N alternating runs, and the size of the file each wrote. Ours writes a
// lossless PNG (checked here against the pattern, pixel for pixel); vncsnapshot writes a JPEG.
// The server runs on the first core and the clients on the second (where there are two).
//   snapshot_race [--runs N] [--size WxH] [--baseline PATH]
// --baseline races another tavrel-snapshot build beside ours (for example one built from an
// older commit), same runs, same server.
#include "pattern.h"
#include "pattern_server_process.h"

#include <png/png_file.h>

#include <fcntl.h>
#include <sched.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Client {
    std::string name;
    std::vector<std::string> command;  // without the server and the output file
    std::string extension;
};

struct Run {
    double realMs = 0;
    double cpuMs = 0;
    long long bytes = 0;
    bool ok = false;
};

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= folders.size();) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos) {
            end = folders.size();
        }
        std::string candidate = folders.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

void PinTo(int core) {
    if (sysconf(_SC_NPROCESSORS_ONLN) < 2) {
        return;
    }
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(core, &set);
    sched_setaffinity(0, sizeof set, &set);
}

// One whole run of the client: spawned (it inherits our core), waited for with its resource use.
Run RunOnce(const Client& client, const std::string& server, const std::string& output) {
    std::remove(output.c_str());
    std::vector<std::string> words = client.command;
    words.push_back(server);
    words.push_back(output);
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    Run run;
    auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return run;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.realMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    struct stat info {};
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && stat(output.c_str(), &info) == 0;
    run.bytes = run.ok ? info.st_size : 0;
    return run;
}

// The PNG holds the pattern as a 5:6:5 device shows it: each component's top bits, low bits zero.
bool MatchesPattern(const std::string& png, int width, int height) {
    int w = 0, h = 0;
    std::vector<std::uint8_t> rgb;
    if (!ReadPngFile(png, w, h, rgb) || w != width || h != height) {
        return false;
    }
    const std::uint8_t masks[3] = {0xF8, 0xFC, 0xF8};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t expected[3];
            PatternColour(x, y, 0, expected);
            const std::uint8_t* got = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            for (int c = 0; c < 3; ++c) {
                if (got[c] != (expected[c] & masks[c])) {
                    return false;
                }
            }
        }
    }
    return true;
}

double Fastest(std::vector<double> values) {
    return *std::min_element(values.begin(), values.end());
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 7;
    int width = 1920, height = 1080;
    std::string baseline;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--size" && i + 1 < argc &&
                   std::sscanf(argv[++i], "%dx%d", &width, &height) == 2) {
        } else if (arg == "--baseline" && i + 1 < argc) {
            baseline = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--runs N] [--size WxH] [--baseline PATH]\n", argv[0]);
            return 2;
        }
    }
    std::vector<Client> clients = {{"tavrel-snapshot", {TAVREL_SNAPSHOT_PATH}, ".png"}};
    if (!baseline.empty()) {
        clients.push_back({"baseline", {baseline}, ".png"});
    }
    if (OnPath("vncsnapshot")) {
        clients.push_back({"vncsnapshot", {"vncsnapshot", "-quiet"}, ".jpg"});
    } else {
        std::printf("vncsnapshot is not installed (apt-get install vncsnapshot): ours alone\n");
    }

    PinTo(0);
    PatternServerProcess server({"--size", std::to_string(width) + "x" + std::to_string(height)});
    if (!server.Started()) {
        std::fprintf(stderr, "snapshot_race: the pattern server did not start\n%s",
                     server.Output().c_str());
        return 1;
    }
    PinTo(1);
    std::string address = "127.0.0.1::" + std::to_string(server.Port());
    std::printf("%d x %d pattern, %d alternating runs; ms, fastest / median\n\n", width, height,
                runs);
    std::printf("| encoding | client | real | CPU | file bytes | lossless |\n");
    std::printf("|---|---|---:|---:|---:|---|\n");
    bool allOk = true;
    for (const char* encoding : {"raw", "hextile"}) {
        std::vector<std::vector<Run>> results(clients.size());
        for (int r = 0; r < runs; ++r) {
            for (std::size_t c = 0; c < clients.size(); ++c) {
                Client client = clients[c];
                client.command.push_back(client.name == "vncsnapshot" ? "-encodings"
                                                                      : "--encodings");
                client.command.push_back(encoding);
                std::string output =
                    server.Folder() + "/shot" + std::to_string(c) + client.extension;
                results[c].push_back(RunOnce(client, address, output));
                allOk = allOk && results[c].back().ok;
            }
        }
        std::vector<double> fastestReal, fastestCpu;
        for (std::size_t c = 0; c < clients.size(); ++c) {
            std::vector<double> real, cpu;
            for (const Run& run : results[c]) {
                real.push_back(run.realMs);
                cpu.push_back(run.cpuMs);
            }
            fastestReal.push_back(Fastest(real));
            fastestCpu.push_back(Fastest(cpu));
            std::string lossless = "JPEG";
            if (clients[c].extension == ".png") {
                bool same = MatchesPattern(server.Folder() + "/shot" + std::to_string(c) + ".png",
                                           width, height);
                allOk = allOk && same;
                lossless = same ? "yes" : "NO";
            }
            std::printf("| %s | %s | %.1f / %.1f | %.1f / %.1f | %lld | %s |\n", encoding,
                        clients[c].name.c_str(), Fastest(real), Median(real), Fastest(cpu),
                        Median(cpu), results[c].back().bytes, lossless.c_str());
        }
        for (std::size_t c = 1; c < clients.size(); ++c) {
            std::printf("| %s | ours / %s, fastest | %.2f | %.2f | | |\n", encoding,
                        clients[c].name.c_str(), fastestReal[0] / fastestReal[c],
                        fastestCpu[0] / fastestCpu[c]);
        }
    }
    if (!allOk) {
        std::printf("\nsome run failed or wrote a picture that differs from the pattern\n");
    }
    return allOk ? 0 : 1;
}
