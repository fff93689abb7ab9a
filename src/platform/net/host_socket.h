// The host's BSD sockets behind plain integer descriptors, kept out of the WinSock header's way.
#pragma once

#include <cstdint>

namespace host_net {

// -1 on failure. A stream socket gets a large receive buffer (see ReceiveBufferFor), so a server
// can send a whole screen of pixels without waiting for the reader to make room: with the
// host's default, which starts small and grows as the connection goes on, a 1.5 MB screen
// arrives in many rounds of "full, make room, go on", each a wake-up on both sides. It also
// sends each small write at once: with the host's default, a write made while the previous one
// is not yet acknowledged waits for that acknowledgement, which a server with nothing to answer
// delays by about 40 ms (a client's second message in a row, such as the update request after
// the encodings, arrived that much later).
int Socket(int family, int type, int protocol);
// The host's ceiling for a receive buffer that a program sets (net.core.rmem_max), 0 if unknown.
long ReceiveBufferLimit();
// The receive buffer asked for under that ceiling: 4 MiB, or the ceiling when it is lower but
// still at least 1 MiB. Below that, 0: a buffer that is set stops growing on its own, so a small
// one would be worse than the host's growing default, which is then kept.
int ReceiveBufferFor(long hostLimit);
// addressNetwork and portNetwork in network order; 0 or -1.
int ConnectIpv4(int fd, std::uint32_t addressNetwork, std::uint16_t portNetwork);
int Send(int fd, const char* buffer, int length);  // never raises SIGPIPE
// waitAll: the host's MSG_WAITALL (it may still return less when a signal comes or the stream ends).
int Receive(int fd, char* buffer, int length, bool waitAll = false);
int Shutdown(int fd, int how);
int Close(int fd);
// First IPv4 address of name in network order; false when it does not resolve.
bool ResolveIpv4(const char* name, std::uint32_t* addressNetwork);
std::uint32_t ParseIpv4(const char* text);  // inet_addr: 0xFFFFFFFF when invalid

}  // namespace host_net
