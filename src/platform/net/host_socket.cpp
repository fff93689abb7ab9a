#include "host_socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace host_net {

int Socket(int family, int type, int protocol) {
    // The device's constants for IPv4 streams are the host's on Linux; say so explicitly.
    int hostFamily = family == 2 ? AF_INET : -1;
    int hostType = type == 1 ? SOCK_STREAM : -1;
    if (hostFamily < 0 || hostType < 0) {
        errno = EINVAL;
        return -1;
    }
    int fd = ::socket(hostFamily, hostType | SOCK_CLOEXEC, protocol);
    if (fd >= 0) {
        if (int bytes = ReceiveBufferFor(ReceiveBufferLimit()); bytes > 0) {
            ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
        }
        int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    return fd;
}

long ReceiveBufferLimit() {
    static const long limit = [] {
        long value = 0;
        if (std::FILE* file = std::fopen("/proc/sys/net/core/rmem_max", "r")) {
            if (std::fscanf(file, "%ld", &value) != 1) {
                value = 0;
            }
            std::fclose(file);
        }
        return value;
    }();
    return limit;
}

int ReceiveBufferFor(long hostLimit) {
    constexpr long kWanted = 4L << 20;
    constexpr long kLeastWorthSetting = 1L << 20;
    if (hostLimit < kLeastWorthSetting) {
        return 0;
    }
    return static_cast<int>(std::min(hostLimit, kWanted));
}

int ConnectIpv4(int fd, std::uint32_t addressNetwork, std::uint16_t portNetwork) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = portNetwork;
    address.sin_addr.s_addr = addressNetwork;
    int result;
    do {
        result = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : -1;
}

int Send(int fd, const char* buffer, int length) {
    ssize_t sent;
    do {
        sent = ::send(fd, buffer, static_cast<size_t>(length), MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent < 0 ? -1 : static_cast<int>(sent);
}

int Receive(int fd, char* buffer, int length, bool waitAll) {
    ssize_t received;
    do {
        received = ::recv(fd, buffer, static_cast<size_t>(length), waitAll ? MSG_WAITALL : 0);
    } while (received < 0 && errno == EINTR);
    return received < 0 ? -1 : static_cast<int>(received);
}

int Shutdown(int fd, int how) {
    int hostHow = how == 0 ? SHUT_RD : how == 1 ? SHUT_WR : SHUT_RDWR;
    return ::shutdown(fd, hostHow) == 0 ? 0 : -1;
}

int Close(int fd) {
    return ::close(fd) == 0 ? 0 : -1;
}

bool ResolveIpv4(const char* name, std::uint32_t* addressNetwork) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr) {
        return false;
    }
    std::memcpy(addressNetwork, &reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr,
                4);
    ::freeaddrinfo(found);
    return true;
}

std::uint32_t ParseIpv4(const char* text) {
    return ::inet_addr(text);
}

}  // namespace host_net
