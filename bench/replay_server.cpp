#include "replay_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool SendAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

ReplayServer::ReplayServer(const RecordedSession& session) : session_(session) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int yes = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 2);
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
}

ReplayServer::~ReplayServer() {
    Wait();
    ::close(listener_);
}

void ReplayServer::ServeOne() {
    thread_ = std::thread([this] {
        int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            return;
        }
        std::thread drain([client] {
            char buffer[4096];
            while (::recv(client, buffer, sizeof buffer, 0) > 0) {
            }
        });
        std::vector<std::uint8_t> opening{'R', 'F', 'B', ' ',  '0', '0', '3', '.',
                                          '0', '0', '3', '\n', 0,   0,   0,   1};
        std::uint8_t init[24] = {static_cast<std::uint8_t>(session_.width >> 8),
                                 static_cast<std::uint8_t>(session_.width),
                                 static_cast<std::uint8_t>(session_.height >> 8),
                                 static_cast<std::uint8_t>(session_.height),
                                 16,
                                 16,
                                 1,
                                 1,
                                 0,
                                 31,
                                 0,
                                 63,
                                 0,
                                 31,
                                 11,
                                 5,
                                 0,
                                 0,
                                 0,
                                 0,
                                 0,
                                 0,
                                 0,
                                 0};
        opening.insert(opening.end(), init, init + 24);
        // The opening waits for nothing: the client's version and ClientInit are drained.
        SendAll(client, opening.data(), opening.size());
        SendAll(client, session_.stream.data(), session_.stream.size());
        ::shutdown(client, SHUT_WR);
        drain.join();
        ::close(client);
    });
}

void ReplayServer::Wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
}
