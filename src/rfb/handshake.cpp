// The opening exchange: protocol version, security type, VNC authentication, ClientInit and
// ServerInit, and the SetPixelFormat that follows it.
#include <rfb/des.h>
#include <rfb/limits.h>
#include <rfb/rfb_session.h>
#include <rfb/session_listener.h>
#include <rfb/transport.h>
#include <rfb/wire.h>

#include <cstring>
#include <vector>

namespace {

constexpr DWORD kSecurityFailed = 0;
constexpr DWORD kSecurityNone = 1;
constexpr DWORD kSecurityVncAuth = 2;
constexpr DWORD kAuthOk = 0;
constexpr DWORD kAuthTooMany = 2;

bool IsVersionLine(const BYTE* v) {
    return std::memcmp(v, "RFB ", 4) == 0 && v[7] == '.' && v[11] == '\n';
}

}  // namespace

bool RfbSession::Handshake(const WCHAR* password, bool shared) {
    BYTE version[12];
    if (!transport_->Receive(version, 12) || !IsVersionLine(version)) {
        return false;
    }
    if (!SendWhole("RFB 003.003\n", 12)) {
        return false;
    }
    BYTE word[4];
    DWORD security = transport_->Receive(word, 4) ? wire::Read32(word) : kSecurityFailed;
    if (security == kSecurityFailed) {
        // The reason is read and dropped; an overlong one is not read at all, the handshake fails
        // either way.
        if (transport_->Receive(word, 4)) {
            DWORD length = wire::Read32(word);
            if (length <= kMaxFailureReasonLength) {
                std::vector<BYTE> reason(length);
                transport_->Receive(reason.data(), static_cast<int>(length));
            }
        }
        listener_->OnProtocolError(kProtocolConnectionFailed);
        return false;
    }
    if (security == kSecurityVncAuth) {
        if (!Authenticate(password)) {
            return false;
        }
    } else if (security != kSecurityNone) {
        listener_->OnProtocolError(kProtocolConnectionFailed);
        return false;
    }
    BYTE clientInit = shared ? 255 : 0;
    if (!SendWhole(&clientInit, 1)) {
        return false;
    }
    return ReadServerInit();
}

bool RfbSession::Authenticate(const WCHAR* password) {
    BYTE challenge[16];
    if (!transport_->Receive(challenge, 16)) {
        return false;
    }
    BYTE response[16];
    VncEncryptChallenge(password, challenge, response);
    if (!SendWhole(response, 16)) {
        return false;
    }
    BYTE word[4];
    DWORD result = transport_->Receive(word, 4) ? wire::Read32(word) : 1;
    if (result == kAuthOk) {
        return true;
    }
    listener_->OnProtocolError(result == kAuthTooMany ? kProtocolTooManyAttempts
                                                      : kProtocolAuthenticationFailed);
    return false;
}

bool RfbSession::ReadServerInit() {
    BYTE init[24];
    if (!transport_->Receive(init, 24)) {
        return false;
    }
    DWORD nameLength = wire::Read32(init + 20);
    if (nameLength > kMaxDesktopNameLength) {
        listener_->OnProtocolError(kProtocolConnectionFailed);
        return false;
    }
    std::vector<WCHAR> wideName;
    if (!ReceiveWideText(nameLength, wideName)) {
        return false;
    }
    pixelFormat_ = PixelFormat::FromWire(init + 4);
    width_ = wire::Read16(init);
    height_ = wire::Read16(init + 2);
    listener_->OnServerInit(wideName.data(), width_, height_, pixelFormat_);
    return true;
}

bool RfbSession::SetPixelFormatFromBits(int bitsPerPixel, int redBits, int greenBits,
                                        int blueBits) {
    return SendSetPixelFormat(PixelFormat::FromBits(bitsPerPixel, redBits, greenBits, blueBits));
}

bool RfbSession::SendSetPixelFormat(const PixelFormat& format) {
    pixelFormat_ = format;
    BYTE message[20] = {0};
    format.ToWire(message + 4);
    return SendWhole(message, 20);
}
