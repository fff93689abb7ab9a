#include "race_clients.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

bool RunDrainClient(int port, std::size_t bytes) {
    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    // The receive buffer our platform's sockets ask for, so the drain stays the floor of our
    // transport (the host caps it at net.core.rmem_max).
    int receiveBuffer = 4 << 20;
    ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(s);
        return false;
    }
    // What a client sends in the opening: version, ClientInit.
    const char hello[13] = {'R', 'F', 'B', ' ', '0', '0', '3', '.', '0', '0', '3', '\n', 1};
    ::send(s, hello, sizeof hello, MSG_NOSIGNAL);
    // It knows how many bytes are coming, so each call waits for a whole buffer of them, as our
    // transport's bulk reads do (fewer calls than taking whatever has arrived).
    std::vector<char> buffer(256 * 1024);
    std::size_t total = 0;
    for (;;) {
        std::size_t left = total < bytes ? bytes - total : 1;  // then the end of the stream
        ssize_t n = ::recv(s, buffer.data(), std::min(buffer.size(), left), MSG_WAITALL);
        if (n <= 0) {
            break;
        }
        total += static_cast<std::size_t>(n);
    }
    ::close(s);
    return total >= bytes;
}
