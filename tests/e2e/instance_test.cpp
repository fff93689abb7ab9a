// tavrel's ownership of its home folder, process against process: the owner's lock stops a second
// start that cannot reach it, its link lets in only its own user, and a client that says nothing
// does not stand between the owner and a real second start.
#include <temp_home.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr uid_t kNobody = 65534;

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

// Runs body in a child process, as uid (when not -1); the child's exit code is body's result.
pid_t Fork(uid_t uid, const std::function<int()>& body) {
    pid_t pid = fork();
    if (pid == 0) {
        if (uid != static_cast<uid_t>(-1) &&
            (setgroups(0, nullptr) != 0 || setgid(uid) != 0 || setuid(uid) != 0)) {
            _exit(120);
        }
        _exit(body());
    }
    return pid;
}

// The exit code, or -1 (after SIGKILL) when it has not ended within the time.
int WaitForExit(pid_t pid, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    Clock::time_point deadline = Clock::now() + limit;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) != pid) {
        if (Clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

sockaddr_un LinkAddress(const std::string& home) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, (home + "/instance.sock").c_str(), sizeof address.sun_path - 1);
    return address;
}

// A connection to the home's link, or -1.
int ConnectTo(const std::string& home) {
    sockaddr_un address = LinkAddress(home);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Everything the other end sends until it closes (or 5 s pass). Closing on a request it has not
// read resets the connection: that is an end too.
std::string ReadToEnd(int fd) {
    timeval patience{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    std::string text;
    char buffer[256];
    ssize_t got;
    while ((got = recv(fd, buffer, sizeof buffer, 0)) > 0) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return got == 0 || errno == ECONNRESET ? text : text + "<no end>";
}

// One tavrel --headless on a home folder, its standard error kept in a file of its own.
class Tavrel {
  public:
    explicit Tavrel(const std::string& home) : log_(home + ".log") {
        setenv("TAVREL_DEBUG", "1", 1);  // its debug output shows what the link was asked
        pid_ = Fork(static_cast<uid_t>(-1), [&] {
            int log = open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            dup2(log, STDERR_FILENO);
            execl(TAVREL_PATH, "tavrel", "--headless", "--home", home.c_str(),
                  static_cast<char*>(nullptr));
            return 121;
        });
    }
    ~Tavrel() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        unlink(log_.c_str());
    }
    int Exit() {
        int code = WaitForExit(pid_);
        pid_ = -1;
        return code;
    }
    // A termination signal closes its window; it then ends as after "Exit".
    int Terminate() {
        kill(pid_, SIGTERM);
        return Exit();
    }
    std::string Log() const { return ReadFile(log_); }
    // Waits until its log holds text.
    bool Logged(const std::string& text) const {
        Clock::time_point deadline = Clock::now() + std::chrono::seconds(20);
        while (Log().find(text) == std::string::npos) {
            if (Clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

  private:
    std::string log_;
    pid_t pid_;
};

// Waits until a process of this user serves the home's link.
bool Serving(const std::string& home) {
    Clock::time_point deadline = Clock::now() + std::chrono::seconds(20);
    struct stat socket {};
    while (lstat((home + "/instance.sock").c_str(), &socket) != 0 || !S_ISSOCK(socket.st_mode) ||
           socket.st_uid != geteuid()) {
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Waits until the owner answers on its link that its server list is there.
bool ShowsItsList(const std::string& home) {
    Clock::time_point deadline = Clock::now() + std::chrono::seconds(20);
    for (;;) {
        std::string answer;
        if (int fd = ConnectTo(home); fd >= 0) {
            send(fd, "find VncClientWindow\tTavrel\n", 28, MSG_NOSIGNAL);
            answer = ReadToEnd(fd);
            close(fd);
        }
        if (!answer.empty() && answer != "0\n") {
            return true;
        }
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// A process (of uid, when not -1) listening at the link's place in the owner's stead: it answers
// "ping" as an owner does and everything else as an owner without such a window, and tells
// whether anyone asked it anything.
class FakeLink {
  public:
    FakeLink(const std::string& home, uid_t uid) {
        int ready[2], report[2];
        if (pipe(ready) != 0 || pipe(report) != 0) {
            return;
        }
        pid_ = Fork(uid, [&] {
            sockaddr_un address = LinkAddress(home);
            int listener = socket(AF_UNIX, SOCK_STREAM, 0);
            if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
                chmod(address.sun_path, 0666) != 0 || listen(listener, 8) != 0) {
                return 3;
            }
            [[maybe_unused]] ssize_t said = write(ready[1], "r", 1);
            for (;;) {
                int client = accept(listener, nullptr, nullptr);
                timeval patience{0, 200000};
                setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
                char request[64];
                ssize_t got = recv(client, request, sizeof request, 0);
                if (got > 0) {
                    said = write(report[1], "!", 1);
                }
                const char* answer = got >= 4 && std::memcmp(request, "ping", 4) == 0 ? "pong\n"
                                                                                       : "0\n";
                send(client, answer, std::strlen(answer), MSG_NOSIGNAL);
                close(client);
            }
        });
        close(ready[1]);
        close(report[1]);
        char byte;
        listening_ = read(ready[0], &byte, 1) == 1;
        close(ready[0]);
        report_ = report[0];
        fcntl(report_, F_SETFL, O_NONBLOCK);
    }
    ~FakeLink() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(report_);
    }
    bool Listening() const { return listening_; }
    bool WasAsked() const {
        char byte;
        return read(report_, &byte, 1) == 1;
    }

  private:
    pid_t pid_ = -1;
    int report_ = -1;
    bool listening_ = false;
};

// Takes the home's lock for this test: an owner as far as a start can tell. -1 on failure.
int LockHome(const std::string& home) {
    int fd = open((home + "/instance.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename());
    }
    std::sort(names.begin(), names.end());
    return names;
}

constexpr const char* kComeForward = "asked for a window to come forward";

TEST(HomeOwnerTest, ALockedHomeWithoutAnAnsweringOwnerStopsTheStartWithoutWritingAnything) {
    TempHome home;
    { std::ofstream(home.RegistryFile()) << "saved servers\n"; }
    // This test holds the lock: an owner that does not serve the link at all.
    int lock = LockHome(home.Path());
    ASSERT_GE(lock, 0);
    std::vector<std::string> before = FilesIn(home.Path());

    Tavrel second(home.Path());
    EXPECT_EQ(second.Exit(), 1);
    EXPECT_NE(second.Log().find("already running on the home folder " + home.Path()),
              std::string::npos)
        << second.Log();
    EXPECT_EQ(ReadFile(home.RegistryFile()), "saved servers\n");
    EXPECT_EQ(FilesIn(home.Path()), before);  // no socket, no device folder, no temporary file
    close(lock);

    // Once the lock is free, a start owns the home and runs.
    Tavrel owner(home.Path());
    ASSERT_TRUE(Serving(home.Path()));
    EXPECT_EQ(owner.Terminate(), 0);
}

// The owner answers but shows no window (it is starting, or closing): the second start runs, and
// leaves the owner's settings file alone, damaged as it is.
TEST(HomeOwnerTest, AStartThatRunsBesideTheOwnerNeverTouchesTheSettingsFile) {
    TempHome home;
    { std::ofstream(home.RegistryFile()) << "saved servers\n"; }
    int lock = LockHome(home.Path());
    ASSERT_GE(lock, 0);
    FakeLink owner(home.Path(), static_cast<uid_t>(-1));
    ASSERT_TRUE(owner.Listening());
    std::vector<std::string> before = FilesIn(home.Path());

    Tavrel second(home.Path());
    ASSERT_TRUE(second.Logged("does not save settings there")) << second.Log();
    EXPECT_EQ(second.Terminate(), 0);
    EXPECT_TRUE(owner.WasAsked());
    EXPECT_EQ(ReadFile(home.RegistryFile()), "saved servers\n");
    EXPECT_EQ(FilesIn(home.Path()), before);  // not moved aside, no temporary file
    close(lock);
}

TEST(HomeOwnerTest, SilentClientsDoNotHoldTheLinkFromARealSecondStart) {
    TempHome home;
    Tavrel owner(home.Path());
    ASSERT_TRUE(ShowsItsList(home.Path()));
    // More silent connections than the owner keeps at once, and one that stops mid-line.
    std::vector<int> silent;
    for (int i = 0; i < 20; ++i) {
        silent.push_back(ConnectTo(home.Path()));
        ASSERT_GE(silent.back(), 0);
    }
    int halfway = ConnectTo(home.Path());
    ASSERT_GE(halfway, 0);
    ASSERT_EQ(send(halfway, "find Vnc", 8, MSG_NOSIGNAL), 8);

    Tavrel second(home.Path());
    EXPECT_EQ(second.Exit(), 0);
    EXPECT_TRUE(owner.Logged(kComeForward)) << owner.Log();
    // Each of them is dropped without an answer: nobody waits on them for ever.
    EXPECT_EQ(ReadToEnd(halfway), "");
    EXPECT_EQ(ReadToEnd(silent.back()), "");
    for (int fd : silent) {
        close(fd);
    }
    close(halfway);
    EXPECT_EQ(owner.Terminate(), 0);
}

class OtherUserTest : public ::testing::Test {
  public:
    void SetUp() override {
        if (geteuid() != 0) {
            GTEST_SKIP() << "needs root, to run a second process as uid " << kNobody
                         << " (nobody); CI runs as root";
        }
        // Open to every user, so that what stops the other user is the peer check alone.
        ASSERT_EQ(chmod(home_.Path().c_str(), 01777), 0);
    }

  protected:
    TempHome home_;
};

TEST_F(OtherUserTest, TheOwnersLinkAnswersAnotherUserNothing) {
    Tavrel owner(home_.Path());
    ASSERT_TRUE(ShowsItsList(home_.Path()));
    ASSERT_EQ(chmod((home_.Path() + "/instance.sock").c_str(), 0666), 0);
    pid_t stranger = Fork(kNobody, [&] {
        int fd = ConnectTo(home_.Path());
        if (fd < 0) {
            return 2;
        }
        const char request[] = "ping\nfind VncClientWindow\tTavrel\nforward 1\n";
        send(fd, request, sizeof request - 1, MSG_NOSIGNAL);
        return ReadToEnd(fd).empty() ? 0 : 1;
    });
    EXPECT_EQ(WaitForExit(stranger), 0) << "1: it answered; 2: it could not connect at all";
    EXPECT_TRUE(owner.Logged("refused a process of another user")) << owner.Log();
    EXPECT_EQ(owner.Log().find(kComeForward), std::string::npos);

    // Its own user still gets through.
    Tavrel second(home_.Path());
    EXPECT_EQ(second.Exit(), 0);
    EXPECT_TRUE(owner.Logged(kComeForward)) << owner.Log();
    EXPECT_EQ(owner.Terminate(), 0);
}

TEST_F(OtherUserTest, AnotherUsersSocketAtTheLinksPlaceIsNeverAskedAnything) {
    FakeLink squatter(home_.Path(), kNobody);
    ASSERT_TRUE(squatter.Listening());
    // A start that finds the home locked asks the link and meets the other user: it takes no
    // answer from it and stops as when nobody answers.
    {
        int lock = LockHome(home_.Path());
        ASSERT_GE(lock, 0);
        Tavrel second(home_.Path());
        EXPECT_EQ(second.Exit(), 1) << second.Log();
        close(lock);
    }
    // A start that owns the home runs normally, and serves the link in the other's place.
    Tavrel owner(home_.Path());
    ASSERT_TRUE(Serving(home_.Path())) << owner.Log();
    ASSERT_TRUE(ShowsItsList(home_.Path()));
    Tavrel second(home_.Path());
    EXPECT_EQ(second.Exit(), 0);
    EXPECT_TRUE(owner.Logged(kComeForward)) << owner.Log();
    EXPECT_EQ(owner.Terminate(), 0);
    EXPECT_FALSE(squatter.WasAsked());
}

}  // namespace
