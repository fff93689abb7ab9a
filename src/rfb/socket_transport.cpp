#include <rfb/socket_transport.h>
#include <rfb/transport_listener.h>

#include <platform/connmgr.h>
#include <platform/core.h>
#include <platform/text.h>

#include <algorithm>
#include <cstring>

namespace {
// The read-ahead's size once bulk payloads are read in place; its reads are large enough for the
// socket's own read-ahead to pass them straight through. 128 KiB: a 1024 x 768 16-bit screen in
// 12 system calls (48 with 32 KiB, whose calls took a noticeable part of the time: see
// bench/README.md).
constexpr int kLargeBufferBytes = 128 * 1024;
// A bulk read the caller is sure to take at least this many more bytes of (the rest of a
// rectangle) waits for them in one call, up to the block's size (MSG_WAITALL), instead of taking
// whatever has arrived: far fewer calls and wake-ups, and whole rows where there would be pieces
// of rows. The price: such a read paints when its block is full, not piece by piece as the bytes
// come; at most 128 KiB, less than a client that reads whole bands (libvncclient: 300 KB) waits
// for.
constexpr int kWaitAllBytes = 16 * 1024;
}  // namespace

struct SocketTransport::ConnectRequest {
    SocketTransport* transport;
    WCHAR host[260];
    int port;
};

SocketTransport::SocketTransport(TransportListener* listener) : listener_(listener) {
    ResetReadAhead();
}

SocketTransport::~SocketTransport() {
    Shutdown();
    if (connection_ != nullptr) {
        ConnMgrReleaseConnection(connection_, 0);
    }
    CloseRetiredSockets();
}

void SocketTransport::Connect(const WCHAR* host, WORD port) {
    if (shutDown_) {
        return;
    }
    ResetReadAhead();
    bool wasOpen = RetireSocket();
    if (wasOpen) {
        listener_->OnConnectionLost(kConnectionClosed);
    }
    // A previous connect thread has finished or is finishing (its socket is shut down above).
    WaitForConnectThread();
    if (wasOpen && connection_ != nullptr) {
        ConnMgrReleaseConnection(connection_, 0);
        connection_ = nullptr;
    }
    auto* request = new ConnectRequest{this, {}, port};
    lstrcpynW(request->host, host != nullptr ? host : u"", 260);
    connectThread_ = CreateThread(nullptr, 0, ConnectThreadMain, request, 0, nullptr);
    if (connectThread_ == nullptr) {
        delete request;
        listener_->OnConnectResult(kNetworkFailure);
    }
}

void SocketTransport::Shutdown() {
    // The flag before the socket: a connect thread that publishes its socket after this took none
    // sees the flag and takes the socket out of use itself (RunConnect).
    shutDown_ = true;
    RetireSocket();
    WaitForConnectThread();
}

void SocketTransport::WaitForConnectThread() {
    if (connectThread_ != nullptr) {
        WaitForSingleObject(connectThread_, INFINITE);
        CloseHandle(connectThread_);
        connectThread_ = nullptr;
    }
}

DWORD SocketTransport::ConnectThreadMain(LPVOID parameter) {
    auto* request = static_cast<ConnectRequest*>(parameter);
    int status = request->transport->RunConnect(*request);
    // The thread's handle stays with the transport, which closes it once it has waited.
    delete request;
    return static_cast<DWORD>(status);
}

int SocketTransport::RunConnect(const ConnectRequest& request) {
    WCHAR url[260];
    FormatW(url, 260, u"http://%s:%i/", request.host, request.port);
    GUID network{};
    CONNMGR_CONNECTIONINFO info{};
    int status = kTransportConnected;
    if (ConnMgrMapURL(url, &network, nullptr) < 0) {
        status = kNetworkFailure;
    } else {
        info.cbSize = 64;
        info.dwParams = CONNMGR_PARAM_GUIDDESTNET;
        info.dwPriority = CONNMGR_PRIORITY_USERINTERACTIVE;
        info.guidDestNet = network;
        if (connection_ != nullptr) {
            ConnMgrReleaseConnection(connection_, 0);
            connection_ = nullptr;
        }
        if (ConnMgrEstablishConnectionSync(&info, &connection_, 60000, nullptr) < 0) {
            status = kNetworkFailure;
        }
    }
    if (status == kTransportConnected) {
        char host[260];
        int i = 0;
        for (; i < 259 && request.host[i] != 0; ++i) {
            host[i] = static_cast<char>(request.host[i] & 0xFF);
        }
        host[i] = 0;
        SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
        socket_ = s;
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<WORD>(request.port));
        bool numeric =
            std::all_of(host, host + i, [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
        if (numeric) {
            address.sin_addr.s_addr = inet_addr(host);
        } else if (hostent* entry = gethostbyname(host)) {
            std::memcpy(&address.sin_addr.s_addr, entry->h_addr_list[0], 4);
        } else {
            status = kHostLookupFailed;
        }
        if (status == kTransportConnected &&
            connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            status = kConnectionRefused;
        }
        if (status != kTransportConnected) {
            // Only this thread has seen the socket, unless a Connect or Close took it meanwhile.
            SOCKET expected = s;
            if (socket_.compare_exchange_strong(expected, INVALID_SOCKET) && s != INVALID_SOCKET) {
                closesocket(s);
            }
        } else if (shutDown_) {
            // A Shutdown before the socket was published could not end it: ended here, the
            // handshake fails at once instead of waiting on it.
            RetireSocket();
        }
    }
    listener_->OnConnectResult(status);
    return status;
}

bool SocketTransport::Send(const void* buffer, int length) {
    SOCKET s = socket_;
    if (s == INVALID_SOCKET) {
        return false;
    }
    if (send(s, static_cast<const char*>(buffer), length, 0) == length) {
        return true;
    }
    Fail(kConnectionReset);
    return false;
}

bool SocketTransport::Receive(void* buffer, int length) {
    SOCKET s = socket_;
    if (s == INVALID_SOCKET) {
        return false;
    }
    auto* out = static_cast<BYTE*>(buffer);
    if (length > 0 && length <= HeldBytes()) {
        // The usual small read: all of it is in the read-ahead already.
        std::memcpy(out, held_, static_cast<std::size_t>(length));
        held_ += length;
        return true;
    }
    while (length > 0) {
        if (HeldBytes() == 0) {
            ResetReadAhead();
            int received;
            if (length >= capacity_) {
                // Large reads go straight into the caller's buffer, in one call where the socket
                // allows; the bytes delivered are the same.
                received = recv(s, reinterpret_cast<char*>(out), length, MSG_WAITALL);
                if (received > 0) {
                    out += received;
                    length -= received;
                    continue;
                }
            } else {
                received = recv(s, reinterpret_cast<char*>(buffer_), capacity_, 0);
            }
            if (received == SOCKET_ERROR || received <= 0) {
                Fail(kConnectionReset);
                return false;
            }
            heldEnd_ = buffer_ + received;
        }
        int chunk = std::min(length, HeldBytes());
        std::memcpy(out, held_, static_cast<std::size_t>(chunk));
        held_ += chunk;
        out += chunk;
        length -= chunk;
    }
    return true;
}

const BYTE* SocketTransport::ReceiveInPlace(int unit, int maximum, int* length) {
    *length = 0;
    SOCKET s = socket_;
    if (s == INVALID_SOCKET || unit < 1 || unit > 16 || maximum < unit) {
        return nullptr;
    }
    int held = HeldBytes();
    if (largeBuffer_ == nullptr) {
        largeBuffer_ = std::make_unique_for_overwrite<BYTE[]>(kLargeBufferBytes);
        std::memcpy(largeBuffer_.get(), held_, static_cast<std::size_t>(held));
        buffer_ = largeBuffer_.get();
        capacity_ = kLargeBufferBytes;
        held_ = buffer_;
        heldEnd_ = buffer_ + held;
    }
    if (held < unit) {
        // Less than one unit left: it moves to the front and the rest of the block is filled.
        std::memmove(buffer_, held_, static_cast<std::size_t>(held));
        held_ = buffer_;
        int filled = held;
        while (filled < unit) {
            int room = capacity_ - filled;
            int promised = maximum - filled;
            bool waitAll = promised >= kWaitAllBytes;
            int received = recv(s, reinterpret_cast<char*>(buffer_ + filled),
                                waitAll ? std::min(room, promised) : room,
                                waitAll ? MSG_WAITALL : 0);
            if (received == SOCKET_ERROR || received <= 0) {
                heldEnd_ = buffer_ + filled;
                Fail(kConnectionReset);
                return nullptr;
            }
            filled += received;
        }
        heldEnd_ = buffer_ + filled;
        held = filled;
    }
    int taken = std::min(held, maximum);
    taken -= taken % unit;
    const BYTE* bytes = held_;
    held_ += taken;
    *length = taken;
    return bytes;
}

void SocketTransport::Close() {
    RetireSocket();
}

bool SocketTransport::RetireSocket() {
    SOCKET s = socket_.exchange(INVALID_SOCKET);
    if (s == INVALID_SOCKET) {
        return false;
    }
    shutdown(s, SD_BOTH);
    retired_.Lock()->push_back(s);
    return true;
}

void SocketTransport::Fail(int status) {
    RetireSocket();
    listener_->OnConnectionLost(status);
}

void SocketTransport::CloseRetiredSockets() {
    auto retired = retired_.Lock();
    for (SOCKET s : *retired) {
        closesocket(s);
    }
    retired->clear();
}
