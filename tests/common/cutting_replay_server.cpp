#include "cutting_replay_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace {

constexpr int kAcceptTimeoutMs = 10000;
// A client that never closes its side does not hold the test for ever.
constexpr int kDrainTimeoutMs = 30000;
constexpr int kPollSliceMs = 20;

}  // namespace

CuttingReplayServer::CuttingReplayServer(std::vector<std::uint8_t> recording)
    : recording_(std::move(recording)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 4);
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
}

CuttingReplayServer::~CuttingReplayServer() {
    stopping_ = true;
    Wait();
    ::close(listener_);
}

void CuttingReplayServer::ServeOne(std::size_t cut, Ending ending) {
    Wait();
    served_ = false;
    thread_ = std::thread([this, cut, ending] { Serve(cut, ending); });
}

bool CuttingReplayServer::Wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
    return served_;
}

void CuttingReplayServer::Serve(std::size_t cut, Ending ending) {
    pollfd p{listener_, POLLIN, 0};
    if (::poll(&p, 1, kAcceptTimeoutMs) <= 0) {
        return;
    }
    int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) {
        return;
    }
    served_ = true;
    // The client's few messages fit in the socket buffers, so sending everything first cannot
    // wait for a client that waits for us.
    const std::uint8_t* data = recording_.data();
    std::size_t left = std::min(cut, recording_.size());
    while (left > 0) {
        ssize_t n = ::send(client, data, left, MSG_NOSIGNAL);
        if (n <= 0) {
            break;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    switch (ending) {
        case Ending::Reset: {
            linger abortive{1, 0};
            ::setsockopt(client, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
            break;
        }
        case Ending::Close:
            ::shutdown(client, SHUT_WR);
            DrainUntilClientCloses(client);
            break;
        case Ending::Stall:
            DrainUntilClientCloses(client);
            break;
    }
    ::close(client);
}

void CuttingReplayServer::DrainUntilClientCloses(int client) {
    char buffer[4096];
    for (int waited = 0; !stopping_ && waited < kDrainTimeoutMs; waited += kPollSliceMs) {
        pollfd p{client, POLLIN, 0};
        int ready = ::poll(&p, 1, kPollSliceMs);
        if (ready < 0 || (ready > 0 && ::recv(client, buffer, sizeof buffer, 0) <= 0)) {
            return;
        }
    }
}
