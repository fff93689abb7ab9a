// What both ends of the single-instance link share: where its socket lives, who may talk on it,
// and how long anyone waits.
#pragma once

#include <sys/socket.h>
#include <sys/un.h>

#include <chrono>
#include <string>

// A request or an answer is one line; a peer that has not finished its line by then is dropped.
constexpr std::chrono::milliseconds kLinkPatience{2000};
constexpr std::size_t kLinkLineLimit = 4096;

// <home>/instance.sock; false when the path is too long for a socket address.
bool LinkAddress(const std::string& home, sockaddr_un* address, socklen_t* length);
// True when the process at the other end of a connected local socket runs as this process's user.
bool PeerIsSameUser(int fd);
