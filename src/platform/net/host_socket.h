// The host's BSD sockets behind plain integer descriptors, kept out of the WinSock header's way.
#pragma once

#include <cstdint>

namespace host_net {

int Socket(int family, int type, int protocol);  // -1 on failure
// addressNetwork and portNetwork in network order; 0 or -1.
int ConnectIpv4(int fd, std::uint32_t addressNetwork, std::uint16_t portNetwork);
int Send(int fd, const char* buffer, int length);  // never raises SIGPIPE
int Receive(int fd, char* buffer, int length);
int Shutdown(int fd, int how);
int Close(int fd);
// First IPv4 address of name in network order; false when it does not resolve.
bool ResolveIpv4(const char* name, std::uint32_t* addressNetwork);
std::uint32_t ParseIpv4(const char* text);  // inet_addr: 0xFFFFFFFF when invalid
int LastError();

}  // namespace host_net
