#include "replay_server.h"

#include "loopback_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

ReplayServer::ReplayServer(const RecordedSession& session) : session_(session) {
    listener_ = ListenOnLoopback(&port_);
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
