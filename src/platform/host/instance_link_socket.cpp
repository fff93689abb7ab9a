#include "instance_link_socket.h"

#include <unistd.h>

#include <cstring>

bool LinkAddress(const std::string& home, sockaddr_un* address, socklen_t* length) {
    std::string path = home + "/instance.sock";
    *address = sockaddr_un{};
    if (path.size() >= sizeof address->sun_path) {
        return false;
    }
    address->sun_family = AF_UNIX;
    std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
    *length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
    return true;
}

bool PeerIsSameUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && size == sizeof peer &&
           peer.uid == geteuid();
}
