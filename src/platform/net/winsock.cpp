#include <platform/core.h>
#include <platform/winsock.h>

#include "host_socket.h"
#include "read_ahead.h"

#include <cstring>
#include <string>

namespace {

int ToFd(SOCKET s) {
    return s == INVALID_SOCKET || s > 0x7FFFFFFF ? -1 : static_cast<int>(s);
}

// gethostbyname's record, one per thread, so concurrent lookups never share it.
struct HostRecord {
    std::string name;
    DWORD address = 0;
    char* addressList[2] = {nullptr, nullptr};
    char* aliases[1] = {nullptr};
    hostent entry{};
};
thread_local HostRecord hostRecord;

}  // namespace

int WSAStartup(WORD version, WSADATA* data) {
    if (data != nullptr) {
        std::memset(data, 0, sizeof *data);
        data->wVersion = version;
        data->wHighVersion = MAKEWORD(2, 2);
        std::strcpy(data->szDescription, "WinSock 2.2");
        std::strcpy(data->szSystemStatus, "Running");
    }
    return 0;
}

int WSACleanup() {
    return 0;
}

SOCKET socket(int family, int type, int protocol) {
    int fd = host_net::Socket(family, type, protocol);
    if (fd < 0) {
        return INVALID_SOCKET;
    }
    host_net::OpenReadAhead(fd);
    return static_cast<SOCKET>(fd);
}

int connect(SOCKET s, const sockaddr* address, int length) {
    int fd = ToFd(s);
    if (fd < 0 || address == nullptr || length < static_cast<int>(sizeof(sockaddr_in)) ||
        address->sa_family != AF_INET) {
        return SOCKET_ERROR;
    }
    sockaddr_in in;
    std::memcpy(&in, address, sizeof in);
    return host_net::ConnectIpv4(fd, in.sin_addr.s_addr, in.sin_port) == 0 ? 0 : SOCKET_ERROR;
}

int send(SOCKET s, const char* buffer, int length, int) {
    int fd = ToFd(s);
    if (fd < 0 || length < 0 || (buffer == nullptr && length > 0)) {
        return SOCKET_ERROR;
    }
    return host_net::Send(fd, buffer, length);
}

int recv(SOCKET s, char* buffer, int length, int flags) {
    int fd = ToFd(s);
    if (fd < 0 || length < 0 || (buffer == nullptr && length > 0) || (flags & ~MSG_WAITALL) != 0) {
        return SOCKET_ERROR;
    }
    return host_net::ReceiveAhead(fd, buffer, length, flags == MSG_WAITALL);
}

int shutdown(SOCKET s, int how) {
    int fd = ToFd(s);
    if (fd < 0) {
        return SOCKET_ERROR;
    }
    if (how != SD_SEND) {
        host_net::ShutReadAhead(fd);
    }
    return host_net::Shutdown(fd, how);
}

int closesocket(SOCKET s) {
    int fd = ToFd(s);
    if (fd < 0) {
        return SOCKET_ERROR;
    }
    host_net::CloseReadAhead(fd);
    return host_net::Close(fd);
}

hostent* gethostbyname(const char* name) {
    if (name == nullptr) {
        return nullptr;
    }
    HostRecord& record = hostRecord;
    std::uint32_t address = 0;
    if (!host_net::ResolveIpv4(name, &address)) {
        return nullptr;
    }
    record.name = name;
    record.address = address;
    record.addressList[0] = reinterpret_cast<char*>(&record.address);
    record.entry.h_name = record.name.data();
    record.entry.h_aliases = record.aliases;
    record.entry.h_addrtype = AF_INET;
    record.entry.h_length = 4;
    record.entry.h_addr_list = record.addressList;
    return &record.entry;
}

DWORD inet_addr(const char* text) {
    return text == nullptr ? INADDR_NONE : host_net::ParseIpv4(text);
}

WORD htons(WORD value) {
    return static_cast<WORD>((value >> 8) | (value << 8));
}
WORD ntohs(WORD value) {
    return htons(value);
}
DWORD htonl(DWORD value) {
    return __builtin_bswap32(value);
}
