#include "pattern_server_log.h"

#include <dlfcn.h>
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <map>

namespace {

std::FILE* logFile = nullptr;
void (*keyActionHook)(rfbBool, rfbKeySym, rfbClientPtr) = nullptr;

// What the log knows of one client: its socket and the bytes of a message not yet complete.
struct ClientRecord {
    rfbClientPtr client;
    int socket;
    int state;  // the client's state when pending was read
    std::string pending;
    bool lost = false;  // after a message the log cannot measure
};
std::map<int, ClientRecord*> clientsBySocket;

unsigned Byte(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint8_t>(bytes[at]);
}
unsigned Read16(const std::string& bytes, std::size_t at) {
    return Byte(bytes, at) << 8 | Byte(bytes, at + 1);
}
std::uint32_t Read32(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(Read16(bytes, at)) << 16 | Read16(bytes, at + 2);
}

// The length of the message at the front of bytes, read in the given client state: 0 while it
// is incomplete, -1 when it cannot be known.
long long MessageLength(int state, const std::string& bytes) {
    long long length;
    switch (state) {
        case rfbClientRec::RFB_PROTOCOL_VERSION:
            length = 12;
            break;
        case rfbClientRec::RFB_SECURITY_TYPE:
        case rfbClientRec::RFB_INITIALISATION:
            length = 1;
            break;
        case rfbClientRec::RFB_AUTHENTICATION:
            length = 16;
            break;
        case rfbClientRec::RFB_NORMAL:
            switch (Byte(bytes, 0)) {
                case rfbSetPixelFormat:
                    length = 20;
                    break;
                case rfbSetEncodings:
                    length = bytes.size() < 4 ? 4 : 4 + 4LL * Read16(bytes, 2);
                    break;
                case rfbFramebufferUpdateRequest:
                    length = 10;
                    break;
                case rfbKeyEvent:
                    length = 8;
                    break;
                case rfbPointerEvent:
                    length = 6;
                    break;
                case rfbClientCutText: {
                    // A negative length is the extended clipboard's: that many bytes follow.
                    auto text = static_cast<std::int32_t>(bytes.size() < 8 ? 0 : Read32(bytes, 4));
                    length = 8 + (text < 0 ? -static_cast<long long>(text) : text);
                    break;
                }
                default:
                    return -1;
            }
            break;
        default:
            return -1;
    }
    return static_cast<long long>(bytes.size()) >= length ? length : 0;
}

void LogMessage(int state, const std::string& bytes) {
    std::string line;
    switch (state) {
        case rfbClientRec::RFB_PROTOCOL_VERSION:
            line = "version " + EscapeText(bytes.data() + 4, 7);
            break;
        case rfbClientRec::RFB_SECURITY_TYPE:
            line = "security " + std::to_string(Byte(bytes, 0));
            break;
        case rfbClientRec::RFB_AUTHENTICATION:
            line = "auth";
            break;
        case rfbClientRec::RFB_INITIALISATION:
            line = Byte(bytes, 0) != 0 ? "init shared" : "init exclusive";
            break;
        default:
            switch (Byte(bytes, 0)) {
                case rfbSetPixelFormat:
                    line = "format";
                    for (std::size_t at : {4, 5, 6, 7}) {
                        line += " " + std::to_string(Byte(bytes, at));
                    }
                    for (std::size_t at : {8, 10, 12}) {
                        line += " " + std::to_string(Read16(bytes, at));
                    }
                    for (std::size_t at : {14, 15, 16}) {
                        line += " " + std::to_string(Byte(bytes, at));
                    }
                    break;
                case rfbSetEncodings:
                    line = "encodings";
                    for (std::size_t at = 4; at < bytes.size(); at += 4) {
                        line += " " + std::to_string(static_cast<std::int32_t>(Read32(bytes, at)));
                    }
                    break;
                case rfbFramebufferUpdateRequest:
                    line = Byte(bytes, 1) != 0 ? "update incremental" : "update full";
                    for (std::size_t at : {2, 4, 6, 8}) {
                        line += " " + std::to_string(Read16(bytes, at));
                    }
                    break;
                default:
                    return;  // logged by the event hooks
            }
    }
    LogLine(line);
}

// Every read of a client's socket: bytes are gathered into whole messages, each logged once
// complete (before libvncserver acts on it, as it is read with its last byte).
void ObserveClientBytes(int socket, const void* data, std::size_t count) {
    auto found = clientsBySocket.find(socket);
    if (found == clientsBySocket.end()) {
        return;
    }
    ClientRecord& record = *found->second;
    if (record.client->sock != socket || record.lost) {
        return;
    }
    if (record.client->state != record.state) {
        record.pending.clear();
        record.state = record.client->state;
    }
    record.pending.append(static_cast<const char*>(data), count);
    while (!record.pending.empty()) {
        long long length = MessageLength(record.state, record.pending);
        if (length < 0) {
            if (record.state == rfbClientRec::RFB_NORMAL) {
                LogLine("message " + std::to_string(Byte(record.pending, 0)));
            }
            record.lost = true;
            record.pending.clear();
        } else if (length == 0) {
            break;
        } else {
            LogMessage(record.state, record.pending.substr(0, length));
            record.pending.erase(0, length);
        }
    }
}

void ClientGone(rfbClientPtr client) {
    auto* record = static_cast<ClientRecord*>(client->clientData);
    auto found = clientsBySocket.find(record->socket);
    if (found != clientsBySocket.end() && found->second == record) {
        clientsBySocket.erase(found);
    }
    delete record;
    client->clientData = nullptr;
    LogLine("disconnect");
}

rfbNewClientAction NewClient(rfbClientPtr client) {
    // A socket number can come back for a new client before the old one's record has gone.
    auto* record = new ClientRecord{client, client->sock, client->state, {}, false};
    clientsBySocket[client->sock] = record;
    client->clientData = record;
    client->clientGoneHook = ClientGone;
    LogLine("connect");
    return RFB_CLIENT_ACCEPT;
}

void Key(rfbBool down, rfbKeySym key, rfbClientPtr client) {
    char text[32];
    std::snprintf(text, sizeof text, "key %s 0x%x", down ? "down" : "up",
                  static_cast<unsigned>(key));
    LogLine(text);
    if (keyActionHook != nullptr) {
        keyActionHook(down, key, client);
    }
}

void Pointer(int buttonMask, int x, int y, rfbClientPtr client) {
    LogLine("pointer " + std::to_string(buttonMask) + " " + std::to_string(x) + " " +
            std::to_string(y));
    rfbDefaultPtrAddEvent(buttonMask, x, y, client);
}

void CutText(char* text, int length, rfbClientPtr) {
    LogLine("cut " + EscapeText(text, length > 0 ? static_cast<std::size_t>(length) : 0));
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

// libvncserver reads its clients' messages with read(): this definition stands in for the C
// library's for the whole process, passes every call on and shows the bytes to the log.
extern "C" __attribute__((visibility("default"))) ssize_t read(int fd, void* buffer, size_t count) {
    using ReadFunction = ssize_t (*)(int, void*, size_t);
    static const auto next = reinterpret_cast<ReadFunction>(dlsym(RTLD_NEXT, "read"));
    ssize_t result = next(fd, buffer, count);
    if (result > 0) {
        ObserveClientBytes(fd, buffer, static_cast<std::size_t>(result));
    }
    return result;
}

bool OpenMessageLog(const char* path) {
    logFile = std::fopen(path, "w");
    return logFile != nullptr;
}

void LogLine(const std::string& line) {
    if (logFile != nullptr) {
        std::fprintf(logFile, "%s\n", line.c_str());
        std::fflush(logFile);
    }
}

void InstallMessageLog(rfbScreenInfoPtr screen,
                       void (*keyAction)(rfbBool, rfbKeySym, rfbClientPtr)) {
    keyActionHook = keyAction;
    screen->newClientHook = NewClient;
    screen->kbdAddEvent = Key;
    screen->ptrAddEvent = Pointer;
    screen->setXCutText = CutText;
}

std::string EscapeText(const char* text, std::size_t length) {
    static const char kHex[] = "0123456789abcdef";
    std::string escaped;
    for (std::size_t i = 0; i < length; ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c == '\\') {
            escaped += "\\\\";
        } else if (c == '\n') {
            escaped += "\\n";
        } else if (c == '\r') {
            escaped += "\\r";
        } else if (c == '\t') {
            escaped += "\\t";
        } else if (c < 0x20 || c >= 0x7F) {
            escaped += {'\\', 'x', kHex[c >> 4], kHex[c & 15]};
        } else {
            escaped += static_cast<char>(c);
        }
    }
    return escaped;
}

std::string UnescapeText(const std::string& text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] != '\\' || next == '\0') {
            plain += text[i];
        } else if (next == 'n' || next == 'r' || next == 't' || next == '\\') {
            plain += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : '\\';
            ++i;
        } else if (next == 'x' && i + 3 < text.size() && HexValue(text[i + 2]) >= 0 &&
                   HexValue(text[i + 3]) >= 0) {
            plain += static_cast<char>(HexValue(text[i + 2]) * 16 + HexValue(text[i + 3]));
            i += 3;
        } else {
            plain += text[i];
        }
    }
    return plain;
}
