// WinSock 2 as the device offers it: TCP sockets and name lookup, over the host's sockets.
// send never raises SIGPIPE; gethostbyname is safe to call from several threads at once (each
// thread gets its own result record).
#pragma once

#include <platform/types.h>

using SOCKET = std::uintptr_t;
constexpr SOCKET INVALID_SOCKET = ~SOCKET{0};
constexpr int SOCKET_ERROR = -1;

constexpr int AF_INET = 2;
constexpr int SOCK_STREAM = 1;
constexpr int SD_RECEIVE = 0;
constexpr int SD_SEND = 1;
constexpr int SD_BOTH = 2;
constexpr DWORD INADDR_NONE = 0xFFFFFFFF;
// recv's one flag: return only when the buffer is full, the stream has ended or the read failed
// (then with what arrived before the end). Other flags make recv fail.
constexpr int MSG_WAITALL = 0x8;

struct in_addr {
    DWORD s_addr;  // network byte order
};

struct sockaddr {
    WORD sa_family;
    char sa_data[14];
};

struct sockaddr_in {
    WORD sin_family;
    WORD sin_port;  // network byte order
    in_addr sin_addr;
    char sin_zero[8];
};

struct hostent {
    char* h_name;
    char** h_aliases;
    short h_addrtype;
    short h_length;
    char** h_addr_list;  // null-terminated list of h_length-byte addresses in network order
};

struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
    char szDescription[257];
    char szSystemStatus[129];
};

inline WORD MAKEWORD(BYTE low, BYTE high) {
    return static_cast<WORD>(low | (high << 8));
}

int WSAStartup(WORD version, WSADATA* data);
int WSACleanup();

SOCKET socket(int family, int type, int protocol);
int connect(SOCKET s, const sockaddr* address, int length);
int send(SOCKET s, const char* buffer, int length, int flags);
int recv(SOCKET s, char* buffer, int length, int flags);
int shutdown(SOCKET s, int how);
int closesocket(SOCKET s);
hostent* gethostbyname(const char* name);
DWORD inet_addr(const char* text);
WORD htons(WORD value);
WORD ntohs(WORD value);
DWORD htonl(DWORD value);
