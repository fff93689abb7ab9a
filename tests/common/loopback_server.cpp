#include "loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::vector<std::uint8_t> ReadExactly(int fd, std::size_t count, int timeoutMs) {
    std::vector<std::uint8_t> bytes(count);
    std::size_t done = 0;
    while (done < count) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0) {
            return {};
        }
        ssize_t n = ::recv(fd, bytes.data() + done, count - done, 0);
        if (n <= 0) {
            return {};
        }
        done += static_cast<std::size_t>(n);
    }
    return bytes;
}

}  // namespace

LoopbackServer::LoopbackServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 4);
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
}

LoopbackServer::~LoopbackServer() {
    CloseClient();
    if (listener_ >= 0) {
        ::close(listener_);
    }
}

bool LoopbackServer::Accept(int timeoutMs) {
    pollfd p{listener_, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) {
        return false;
    }
    CloseClient();
    client_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    return client_ >= 0;
}

bool LoopbackServer::Write(const std::vector<std::uint8_t>& bytes) {
    return WriteAll(client_, bytes);
}

bool LoopbackServer::Write(const std::string& bytes) {
    return Write(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

std::vector<std::uint8_t> LoopbackServer::Read(std::size_t count, int timeoutMs) {
    return ReadExactly(client_, count, timeoutMs);
}

bool LoopbackServer::WaitForClientClose(int timeoutMs) {
    char byte;
    for (;;) {
        pollfd p{client_, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0) {
            return false;
        }
        ssize_t n = ::recv(client_, &byte, 1, 0);
        if (n <= 0) {
            return true;
        }
    }
}

void LoopbackServer::CloseClient() {
    if (client_ >= 0) {
        ::close(client_);
        client_ = -1;
    }
}

LoopbackClient::LoopbackClient(int port)
    : socket_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    connected_ = ::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

LoopbackClient::~LoopbackClient() {
    ::close(socket_);
}

bool LoopbackClient::Write(const std::string& bytes) {
    return WriteAll(socket_, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

std::vector<std::uint8_t> LoopbackClient::Read(std::size_t count, int timeoutMs) {
    return ReadExactly(socket_, count, timeoutMs);
}
