#include "pattern_server_process.h"
#include "test_files.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// A port that nothing listened on a moment ago; the server may still lose it to someone else, so
// the caller tries again when the server cannot listen.
int UnusedLoopbackPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

}  // namespace

std::string PatternServerPath() {
    return PATTERN_SERVER_PATH;
}

PatternServerProcess::PatternServerProcess(const std::vector<std::string>& options) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tavrel-pattern-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr ||
        ::mkfifo((pattern + "/control").c_str(), 0600) != 0) {
        return;
    }
    folder_ = pattern;
    for (int attempt = 0; attempt < 5 && !Start(options); ++attempt) {
    }
}

PatternServerProcess::~PatternServerProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status;
        auto deadline = Clock::now() + std::chrono::seconds(2);
        while (::waitpid(pid_, &status, WNOHANG) != pid_) {
            if (Clock::now() > deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

// One try on a fresh port: true once it listens; false (and no process) when it ended first.
bool PatternServerProcess::Start(const std::vector<std::string>& options) {
    int port = UnusedLoopbackPort();
    if (port <= 0) {
        return false;
    }
    std::vector<std::string> argv{PatternServerPath(), std::to_string(port)};
    argv.insert(argv.end(),
                {"--log", folder_ + "/messages.log", "--control", folder_ + "/control"});
    argv.insert(argv.end(), options.begin(), options.end());
    std::vector<char*> args;
    for (std::string& argument : argv) {
        args.push_back(argument.data());
    }
    args.push_back(nullptr);
    std::string output = folder_ + "/output.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    int result = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        return false;
    }
    pid_ = pid;
    auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline) {
        if (Output().find("listening on") != std::string::npos) {
            port_ = port;
            return true;
        }
        int status;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;  // still running but not listening: no use trying again
}

std::vector<std::string> PatternServerProcess::Lines() const {
    std::string text = ReadFile(folder_ + "/messages.log");
    std::vector<std::string> lines;
    std::size_t start = 0, end;
    while ((end = text.find('\n', start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string PatternServerProcess::WaitForLine(const std::string& prefix, int timeoutMs,
                                              std::size_t from) const {
    return WaitForLine([&](const std::string& line) { return line.rfind(prefix, 0) == 0; },
                       timeoutMs, from);
}

std::string PatternServerProcess::WaitForLine(const std::function<bool(const std::string&)>& match,
                                              int timeoutMs, std::size_t from) const {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        std::vector<std::string> lines = Lines();
        for (std::size_t i = from; i < lines.size(); ++i) {
            if (match(lines[i])) {
                return lines[i];
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (Clock::now() < deadline);
    return {};
}

std::optional<std::vector<std::string>> PatternServerProcess::LinesBefore(const std::string& end,
                                                                          std::size_t from,
                                                                          int timeoutMs) const {
    if (WaitForLine([&](const std::string& line) { return line == end; }, timeoutMs, from)
            .empty()) {
        return std::nullopt;
    }
    std::vector<std::string> lines = Lines();
    auto first = lines.begin() + static_cast<std::ptrdiff_t>(from);
    return std::vector<std::string>(first, std::find(first, lines.end(), end));
}

bool PatternServerProcess::Send(const std::string& command) const {
    if (folder_.empty() || command.find('\n') != std::string::npos) {
        return false;
    }
    // Without O_NONBLOCK the open would wait for a reader for ever once the server has gone.
    int fd = ::open((folder_ + "/control").c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    ::fcntl(fd, F_SETFL, 0);
    // Should the server go between the open and the write, the write would raise SIGPIPE, which
    // ends the test program: hold it back on this thread and take it out if it came.
    sigset_t pipeSignal, previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    std::string line = command + "\n";
    std::size_t written = 0;
    while (written < line.size()) {
        ssize_t count = ::write(fd, line.data() + written, line.size() - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        written += static_cast<std::size_t>(count);
    }
    if (written < line.size() && errno == EPIPE) {
        timespec none{};
        sigtimedwait(&pipeSignal, nullptr, &none);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ::close(fd);
    return written == line.size();
}

int PatternServerProcess::WaitForExit(int timeoutMs) {
    if (pid_ <= 0) {
        return -1;
    }
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int status;
    while (::waitpid(pid_, &status, WNOHANG) != pid_) {
        if (Clock::now() > deadline) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string PatternServerProcess::Output() const {
    return ReadFile(folder_ + "/output.txt");
}
