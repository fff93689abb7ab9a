// The owner's end of the single-instance link: one thread that polls the listening socket and
// every open connection, so a client that stays silent holds nobody up; each connection has
// until its deadline to send its line.
#include "instance_link_socket.h"

#include <platform_internal/instance_link.h>
#include <platform_internal/message_queue.h>
#include <platform_internal/remote_windows.h>
#include <platform_internal/window_manager.h>

#include <platform/core.h>
#include <platform/text.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Connections open at once; a new one beyond this pushes out the oldest.
constexpr std::size_t kMaxConnections = 16;

// Windows handed out by "find", as ids that mean nothing outside this table. An id is random, so
// it cannot be guessed from another; the table keeps the last few, which is all a start needs
// between its "find" and its "forward".
class WindowIds {
  public:
    std::uint64_t Add(HWND window) {
        std::uint64_t id = 0;
        while (id == 0) {
            id = (std::uint64_t{random_()} << 32) | random_();
        }
        entries_[next_++ % entries_.size()] = {id, window};
        return id;
    }
    HWND Find(std::uint64_t id) const {
        for (const auto& entry : entries_) {
            if (id != 0 && entry.id == id) {
                return entry.window;
            }
        }
        return nullptr;
    }

  private:
    struct Entry {
        std::uint64_t id = 0;
        HWND window = nullptr;
    };
    std::array<Entry, 8> entries_{};
    std::size_t next_ = 0;
    std::random_device random_;
};

struct Connection {
    int fd;
    std::string request;
    Clock::time_point deadline;
};

// Everything here belongs to the serving thread, except what ServeInstanceLink and
// StopInstanceLink touch before it starts and after it has been joined.
struct Server {
    int listener = -1;
    int wake[2] = {-1, -1};  // Stop writes a byte to wake[1]
    std::string path;
    ino_t inode = 0;
    std::thread* thread = nullptr;  // never destroyed: exit() must not meet a joinable thread
    std::vector<Connection> connections;
    WindowIds ids;
};

// Never destroyed, like the thread: it must outlive any exit() that comes before StopInstanceLink.
Server& server = *new Server;

std::string Answer(const std::string& request) {
    if (request == "ping") {
        return "pong";
    }
    if (request.rfind("find ", 0) == 0) {
        std::string rest = request.substr(5);
        std::size_t tab = rest.find('\t');
        if (tab == std::string::npos) {
            return "0";
        }
        std::u16string windowClass = Utf8ToUtf16(rest.substr(0, tab));
        std::u16string title = Utf8ToUtf16(rest.substr(tab + 1));
        HWND found = FindLocalWindow(windowClass.c_str(), title.c_str());
        return found == nullptr ? "0" : std::to_string(server.ids.Add(found));
    }
    if (request.rfind("forward ", 0) == 0) {
        HWND window = server.ids.Find(std::strtoull(request.c_str() + 8, nullptr, 10));
        if (window == nullptr || !IsWindow(window)) {
            return "no";
        }
        OutputDebugStringW(u"Instance link: another start asked for a window to come forward\r\n");
        RunOnUiThread([window] {
            // The low bit brings the window forward together with its owned pop-ups.
            SetForegroundWindow(
                reinterpret_cast<HWND>(reinterpret_cast<std::uintptr_t>(window) | 1));
        });
        return "ok";
    }
    return "?";
}

void Accept() {
    int client = accept4(server.listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (client < 0) {
        return;
    }
    if (!PeerIsSameUser(client)) {
        OutputDebugStringW(u"Instance link: refused a process of another user\r\n");
        close(client);
        return;
    }
    if (server.connections.size() == kMaxConnections) {
        close(server.connections.front().fd);
        server.connections.erase(server.connections.begin());
    }
    server.connections.push_back({client, {}, Clock::now() + kLinkPatience});
}

// False when the connection is done with (answered, closed by the client, or over its limit).
bool Read(Connection& connection) {
    char buffer[256];
    ssize_t got = recv(connection.fd, buffer, sizeof buffer, 0);
    if (got < 0) {
        return errno == EAGAIN || errno == EINTR;
    }
    if (got == 0) {
        return false;
    }
    connection.request.append(buffer, static_cast<std::size_t>(got));
    std::size_t end = connection.request.find('\n');
    if (end == std::string::npos) {
        return connection.request.size() < kLinkLineLimit;
    }
    // The answer is one short line into an empty socket buffer: it never has to wait.
    std::string answer = Answer(connection.request.substr(0, end)) + "\n";
    send(connection.fd, answer.data(), answer.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    return false;
}

void Serve() {
    std::vector<pollfd> watched;
    for (;;) {
        Clock::time_point now = Clock::now();
        std::erase_if(server.connections, [now](const Connection& connection) {
            if (connection.deadline > now) {
                return false;
            }
            close(connection.fd);
            return true;
        });
        int timeout = -1;
        for (const Connection& connection : server.connections) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(connection.deadline - now);
            timeout = timeout < 0 ? static_cast<int>(left.count())
                                  : std::min(timeout, static_cast<int>(left.count()));
        }
        watched.assign({{server.wake[0], POLLIN, 0}, {server.listener, POLLIN, 0}});
        for (const Connection& connection : server.connections) {
            watched.push_back({connection.fd, POLLIN, 0});
        }
        if (poll(watched.data(), watched.size(), timeout) < 0 && errno != EINTR) {
            break;
        }
        if (watched[0].revents != 0) {
            break;
        }
        // Connections first: their entries in watched follow the vector before Accept grows it.
        std::vector<Connection> open;
        for (std::size_t i = 0; i < server.connections.size(); ++i) {
            Connection& connection = server.connections[i];
            if (watched[i + 2].revents == 0 || Read(connection)) {
                open.push_back(std::move(connection));
            } else {
                close(connection.fd);
            }
        }
        server.connections = std::move(open);
        if (watched[1].revents != 0) {
            Accept();
        }
    }
    for (const Connection& connection : server.connections) {
        close(connection.fd);
    }
    server.connections.clear();
}

void CloseSockets() {
    for (int* fd : {&server.listener, &server.wake[0], &server.wake[1]}) {
        if (*fd >= 0) {
            close(*fd);
            *fd = -1;
        }
    }
}

}  // namespace

bool ServeInstanceLink(const std::string& home) {
    sockaddr_un address;
    socklen_t length;
    if (!LinkAddress(home, &address, &length)) {
        std::fprintf(stderr,
                     "tavrel: the home folder's path is too long for the single-instance link; a "
                     "second start on it will say that the folder is in use\n");
        return false;
    }
    server.path = address.sun_path;
    // This process owns the home, so a socket left there is from an owner that has ended.
    struct stat left{};
    if (lstat(server.path.c_str(), &left) == 0 && S_ISSOCK(left.st_mode)) {
        unlink(server.path.c_str());
    }
    server.listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    struct stat bound{};
    bool ready = server.listener >= 0 && pipe2(server.wake, O_CLOEXEC) == 0 &&
                 bind(server.listener, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                 listen(server.listener, 8) == 0 && lstat(server.path.c_str(), &bound) == 0;
    if (!ready) {
        std::fprintf(stderr,
                     "tavrel: cannot serve the single-instance link at %s (%s); a second start on "
                     "this home folder will say that the folder is in use\n",
                     server.path.c_str(), std::strerror(errno));
        CloseSockets();
        return false;
    }
    chmod(server.path.c_str(), 0600);  // the peer check stands in for it until then
    server.inode = bound.st_ino;
    server.thread = new std::thread(Serve);
    return true;
}

void StopInstanceLink() {
    SetRemoteWindowHooks({});
    if (server.thread == nullptr) {
        return;
    }
    char wake = 0;
    [[maybe_unused]] ssize_t written = write(server.wake[1], &wake, 1);
    server.thread->join();
    delete server.thread;
    server.thread = nullptr;
    struct stat current{};
    if (lstat(server.path.c_str(), &current) == 0 && current.st_ino == server.inode) {
        unlink(server.path.c_str());
    }
    CloseSockets();
}
