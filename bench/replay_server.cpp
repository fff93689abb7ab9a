#include "replay_server.h"

#include "loopback_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

ReplayServer::ReplayServer(const RecordedSession& session, std::function<void()> onThread)
    : session_(session), onThread_(std::move(onThread)) {
    listener_ = ListenOnLoopback(&port_);
}

ReplayServer::~ReplayServer() {
    Wait();
    ::close(listener_);
}

void ReplayServer::ServeOne() {
    thread_ = std::thread([this] {
        onThread_();
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
        // ServerInit: the size, the session's pixel format (big-endian true colour: 5:6:5 at
        // 16 bits, 8:8:8 with red in bits 16-23 at 32), no name.
        bool wide = session_.bitsPerPixel == 32;
        std::uint8_t init[24] = {static_cast<std::uint8_t>(session_.width >> 8),
                                 static_cast<std::uint8_t>(session_.width),
                                 static_cast<std::uint8_t>(session_.height >> 8),
                                 static_cast<std::uint8_t>(session_.height),
                                 static_cast<std::uint8_t>(wide ? 32 : 16),
                                 static_cast<std::uint8_t>(wide ? 24 : 16),
                                 1,
                                 1,
                                 0,
                                 static_cast<std::uint8_t>(wide ? 255 : 31),
                                 0,
                                 static_cast<std::uint8_t>(wide ? 255 : 63),
                                 0,
                                 static_cast<std::uint8_t>(wide ? 255 : 31),
                                 static_cast<std::uint8_t>(wide ? 16 : 11),
                                 static_cast<std::uint8_t>(wide ? 8 : 5),
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
