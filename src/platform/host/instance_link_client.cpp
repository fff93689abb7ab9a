// A second start's end of the single-instance link: one connection per request, bounded in time
// from connect to answer, and only to a process of this user.
#include "instance_link_socket.h"

#include <platform_internal/instance_link.h>
#include <platform_internal/remote_windows.h>

#include <platform/text.h>

#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// How long a second start waits for a starting owner to make the window it looks for.
constexpr std::chrono::seconds kOwnerWindowPatience{5};

// The answer's line, or "" when no process of this user answered in time.
std::string Ask(const std::string& home, const std::string& request) {
    sockaddr_un address;
    socklen_t length;
    if (!LinkAddress(home, &address, &length)) {
        return "";
    }
    int client = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (client < 0) {
        return "";
    }
    // A listener whose queue is full keeps connect waiting; this bounds it.
    timeval patience{static_cast<time_t>(kLinkPatience.count() / 1000), 0};
    setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience);
    Clock::time_point deadline = Clock::now() + kLinkPatience;
    std::string line = request + "\n";
    std::string answer;
    if (connect(client, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        PeerIsSameUser(client) &&
        send(client, line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size())) {
        while (answer.find('\n') == std::string::npos && answer.size() < kLinkLineLimit) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd readable{client, POLLIN, 0};
            if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0) {
                break;
            }
            char buffer[64];
            ssize_t got = recv(client, buffer, sizeof buffer, MSG_DONTWAIT);
            if (got <= 0) {
                break;
            }
            answer.append(buffer, static_cast<std::size_t>(got));
        }
    }
    close(client);
    std::size_t end = answer.find('\n');
    return end == std::string::npos ? "" : answer.substr(0, end);
}

}  // namespace

bool JoinInstanceLink(const std::string& home) {
    if (Ask(home, "ping") != "pong") {
        return false;
    }
    SetRemoteWindowHooks(RemoteWindowHooks{
        [home](const std::u16string& windowClass, const std::u16string& title) {
            // The owner may be starting and not have made its window yet: ask again for a while.
            std::string request = "find " + Utf16ToUtf8(windowClass) + "\t" + Utf16ToUtf8(title);
            Clock::time_point deadline = Clock::now() + kOwnerWindowPatience;
            for (;;) {
                std::string answer = Ask(home, request);
                std::uintptr_t id = std::strtoull(answer.c_str(), nullptr, 10);
                if (id != 0 || answer.empty() || Clock::now() >= deadline) {
                    return id;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        },
        [home](std::uintptr_t id) { return Ask(home, "forward " + std::to_string(id)) == "ok"; }});
    return true;
}
