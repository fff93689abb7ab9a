#include "update_server.h"

#include "loopback_socket.h"

#include "hextile_encoder.h"

#include "pattern.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>

namespace {

constexpr int kVariants = 8;
constexpr int kTile = 16;
constexpr std::uint16_t kFirstMarker = 0x0821;
constexpr int kMarkers = 0x4000;

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v >> 8));
    b.push_back(static_cast<std::uint8_t>(v));
}

void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v >> 16);
    Put16(b, v & 0xFFFF);
}

std::uint16_t Picture565(int x, int y, int variant) {
    std::uint8_t rgb[3];
    PatternColour(x, y, variant, rgb);
    return static_cast<std::uint16_t>(((rgb[0] >> 3) << 11) | ((rgb[1] >> 2) << 5) | (rgb[2] >> 3));
}

}  // namespace

std::uint16_t UpdateServer::Marker(int update) {
    return static_cast<std::uint16_t>(kFirstMarker + update % kMarkers);
}

int UpdateServer::UpdateOfMarker(std::uint16_t colour) {
    return colour >= kFirstMarker && colour < kFirstMarker + kMarkers ? colour - kFirstMarker : -1;
}

UpdateServer::UpdateServer(UpdateEncoding encoding, int width, int height)
    : encoding_(encoding), width_(width), height_(height) {
    Bytes& o = opening_;
    const std::string version = "RFB 003.003\n";
    o.assign(version.begin(), version.end());
    Put32(o, 1);  // no authentication
    Put16(o, static_cast<unsigned>(width));
    Put16(o, static_cast<unsigned>(height));
    // The server's own format, 32-bit; the client asks for its own.
    o.insert(o.end(), {32, 24, 0, 1, 0, 255, 0, 255, 0, 255, 16, 8, 0, 0, 0, 0});
    const std::string name = "updates";
    Put32(o, static_cast<std::uint32_t>(name.size()));
    o.insert(o.end(), name.begin(), name.end());

    // The markers' corners: the top-left block and the bottom-right one.
    auto inMarker = [&](int x, int y) {
        return (x < kMarkerSize && y < kMarkerSize) ||
               (x >= width - kMarkerSize && y >= height - kMarkerSize);
    };
    for (int variant = 0; variant < kVariants; ++variant) {
        Bytes b{0, 0};
        Put16(b, 1);
        Put16(b, 0);
        Put16(b, 0);
        Put16(b, static_cast<unsigned>(width));
        Put16(b, static_cast<unsigned>(height));
        Put32(b, encoding == UpdateEncoding::Raw ? 0 : 5);
        std::vector<std::size_t> offsets;
        if (encoding == UpdateEncoding::Raw) {
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    if (inMarker(x, y)) {
                        offsets.push_back(b.size());
                    }
                    Put16(b, Picture565(x, y, variant));
                }
            }
        } else {
            // The marker blocks are whole tiles, sent raw so that their pixels can be stamped.
            hextile_encoder::TileState state;
            for (int ty = 0; ty < height; ty += kTile) {
                for (int tx = 0; tx < width; tx += kTile) {
                    int tw = std::min(kTile, width - tx), th = std::min(kTile, height - ty);
                    bool corner = inMarker(tx, ty) || inMarker(tx + tw - 1, ty + th - 1);
                    std::size_t pixels = hextile_encoder::EncodeTile(
                        [&](int x, int y) { return Picture565(tx + x, ty + y, variant); }, tw, th,
                        corner, state, b);
                    for (int y = 0; corner && y < th; ++y) {
                        for (int x = 0; x < tw; ++x) {
                            if (inMarker(tx + x, ty + y)) {
                                offsets.push_back(pixels +
                                                  2 * static_cast<std::size_t>(y * tw + x));
                            }
                        }
                    }
                }
            }
        }
        variants_.push_back(std::move(b));
        markerOffsets_.push_back(std::move(offsets));
    }

    listener_ = ListenOnLoopback(&port_);
}

UpdateServer::~UpdateServer() {
    Wait();
    ::close(listener_);
}

std::size_t UpdateServer::UpdateBytes(int update) const {
    return variants_[static_cast<std::size_t>(update % kVariants)].size();
}

const std::vector<std::uint8_t>& UpdateServer::UpdateMessage(int update) {
    auto index = static_cast<std::size_t>(update % kVariants);
    std::vector<std::uint8_t>& message = variants_[index];
    std::uint16_t marker = Marker(update);
    for (std::size_t offset : markerOffsets_[index]) {
        message[offset] = static_cast<std::uint8_t>(marker >> 8);
        message[offset + 1] = static_cast<std::uint8_t>(marker);
    }
    return message;
}

void UpdateServer::ServeOne(int count, std::chrono::milliseconds releaseTimeout) {
    Wait();
    {
        std::lock_guard lock(mutex_);
        requests_ = 0;
        released_ = 0;
        clientGone_ = false;
        formatMatches_ = false;
    }
    started_.assign(static_cast<std::size_t>(count), Clock::time_point{});
    returned_.assign(static_cast<std::size_t>(count), Clock::time_point{});
    onRelease_.assign(static_cast<std::size_t>(count), false);
    sent_ = 0;
    thread_ = std::thread([this, count, releaseTimeout] {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0) {
            return;
        }
        int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0) {
            Serve(client, count, releaseTimeout);
            ::close(client);
        }
    });
}

void UpdateServer::Serve(int client, int count, std::chrono::milliseconds releaseTimeout) {
    std::thread reader([this, client] { ReadClient(client); });
    bool ok = SendAll(client, opening_.data(), opening_.size());
    for (int k = 0; ok && k < count; ++k) {
        const std::vector<std::uint8_t>& message = UpdateMessage(k);
        {
            std::unique_lock lock(mutex_);
            auto due = Clock::now() + releaseTimeout;
            bool released = changed_.wait_until(
                lock, due, [&] { return clientGone_ || (requests_ > 0 && released_ >= k); });
            if (clientGone_) {
                break;
            }
            onRelease_[static_cast<std::size_t>(k)] = released;
            if (requests_ > 0) {
                --requests_;
            }
        }
        started_[static_cast<std::size_t>(k)] = Clock::now();
        ok = SendAll(client, message.data(), message.size());
        returned_[static_cast<std::size_t>(k)] = Clock::now();
        sent_ += ok ? 1 : 0;
    }
    // The connection stays open until the client closes it, as a server's would.
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(60), [&] { return clientGone_; });
    }
    ::shutdown(client, SHUT_RDWR);
    reader.join();
}

void UpdateServer::ReadClient(int client) {
    std::uint8_t hello[13];  // version and ClientInit
    bool ok = ReceiveAll(client, hello, sizeof hello);
    while (ok) {
        std::uint8_t type;
        if (!ReceiveAll(client, &type, 1)) {
            break;
        }
        std::uint8_t body[24];
        switch (type) {
            case 0:  // SetPixelFormat
                ok = ReceiveAll(client, body, 19);
                if (ok) {
                    // 16 bits, depth 16, big-endian, true colour, 5:6:5 from the top bit down.
                    const std::uint8_t wanted[13] = {16, 16, 1, 1, 0, 31, 0, 63, 0, 31, 11, 5, 0};
                    std::lock_guard lock(mutex_);
                    formatMatches_ = std::equal(wanted, wanted + 13, body + 3);
                }
                break;
            case 2: {  // SetEncodings
                ok = ReceiveAll(client, body, 3);
                std::vector<std::uint8_t> encodings(4u * ((body[1] << 8) | body[2]));
                ok = ok && ReceiveAll(client, encodings.data(), encodings.size());
                break;
            }
            case 3:  // FramebufferUpdateRequest
                ok = ReceiveAll(client, body, 9);
                if (ok) {
                    std::lock_guard lock(mutex_);
                    ++requests_;
                    changed_.notify_all();
                }
                break;
            case 4:  // KeyEvent
                ok = ReceiveAll(client, body, 7);
                break;
            case 5:  // PointerEvent
                ok = ReceiveAll(client, body, 5);
                break;
            case 6: {  // ClientCutText
                ok = ReceiveAll(client, body, 7);
                std::vector<std::uint8_t> text(static_cast<std::size_t>(body[3]) << 24 |
                                               body[4] << 16 | body[5] << 8 | body[6]);
                ok = ok && ReceiveAll(client, text.data(), text.size());
                break;
            }
            default:
                ok = false;
                break;
        }
    }
    std::lock_guard lock(mutex_);
    clientGone_ = true;
    changed_.notify_all();
}

void UpdateServer::Release(int update) {
    std::lock_guard lock(mutex_);
    released_ = std::max(released_, update);
    changed_.notify_all();
}

void UpdateServer::Wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

std::vector<UpdateServer::Clock::time_point> DrainUpdates(UpdateServer& server, int count) {
    using Clock = UpdateServer::Clock;
    std::vector<Clock::time_point> read(static_cast<std::size_t>(count));
    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int receiveBuffer = 4 << 20;
    ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(server.Port()));
    std::vector<std::uint8_t> buffer(256 * 1024);
    auto readExactly = [&](std::size_t bytes) {
        while (bytes > 0) {
            ssize_t n = ::recv(s, buffer.data(), std::min(bytes, buffer.size()), 0);
            if (n <= 0) {
                return false;
            }
            bytes -= static_cast<std::size_t>(n);
        }
        return true;
    };
    if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const std::uint8_t hello[13] = {'R', 'F', 'B', ' ', '0',  '0', '3',
                                        '.', '0', '0', '3', '\n', 1};
        const std::uint8_t format[20] = {0, 0, 0, 0, 16, 16, 1, 1, 0, 31, 0, 63, 0, 31, 11, 5, 0};
        std::uint8_t request[10] = {3,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    static_cast<std::uint8_t>(server.Width() >> 8),
                                    static_cast<std::uint8_t>(server.Width()),
                                    static_cast<std::uint8_t>(server.Height() >> 8),
                                    static_cast<std::uint8_t>(server.Height())};
        bool ok = SendAll(s, hello, sizeof hello) && readExactly(server.OpeningBytes()) &&
                  SendAll(s, format, sizeof format);
        for (int k = 0; ok && k < count; ++k) {
            ok = SendAll(s, request, sizeof request) && readExactly(server.UpdateBytes(k));
            if (ok) {
                read[static_cast<std::size_t>(k)] = Clock::now();
            }
            request[1] = 1;  // incremental from now on
            server.Release(k + 1);
        }
    }
    ::close(s);
    return read;
}
