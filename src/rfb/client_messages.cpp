// The client-to-server messages; each is built in one buffer and sent with one Send.
#include <rfb/decoder_registry.h>
#include <rfb/rfb_session.h>
#include <rfb/session_listener.h>
#include <rfb/transport.h>
#include <rfb/wire.h>

#include <sync/scoped_lock.h>

#include <utility>
#include <vector>

bool RfbSession::SendSetEncodings() {
    std::vector<int> encodings = RegisteredEncodings();
    std::vector<BYTE> message(4 + 4 * encodings.size());
    message[0] = 2;
    wire::Write16(&message[2], static_cast<unsigned>(encodings.size()));
    for (std::size_t i = 0; i < encodings.size(); ++i) {
        wire::Write32(&message[4 + 4 * i], static_cast<DWORD>(encodings[i]));
    }
    return SendWhole(message.data(), static_cast<int>(message.size()));
}

bool RfbSession::SendFramebufferUpdateRequest(bool incremental, int x, int y, int width,
                                              int height) {
    BYTE message[10];
    message[0] = 3;
    message[1] = incremental ? 255 : 0;
    wire::Write16(message + 2, static_cast<unsigned>(x));
    wire::Write16(message + 4, static_cast<unsigned>(y));
    wire::Write16(message + 6, static_cast<unsigned>(width));
    wire::Write16(message + 8, static_cast<unsigned>(height));
    return SendWhole(message, 10);
}

bool RfbSession::SendKeyEvent(bool down, DWORD key) {
    BYTE message[8] = {4, static_cast<BYTE>(down ? 255 : 0), 0, 0};
    wire::Write32(message + 4, key);
    return SendWhole(message, 8);
}

bool RfbSession::SendPointerEvent(int x, int y, BYTE buttonMask) {
    BYTE message[6] = {5, buttonMask};
    wire::Write16(message + 2, static_cast<unsigned>(x));
    wire::Write16(message + 4, static_cast<unsigned>(y));
    return SendWhole(message, 6);
}

bool RfbSession::SendClientCutText(const WCHAR* text) {
    std::size_t length = 0;
    while (text != nullptr && text[length] != 0) {
        ++length;
    }
    std::vector<BYTE> message(8 + length);
    message[0] = 6;
    wire::Write32(&message[4], static_cast<DWORD>(length));
    for (std::size_t i = 0; i < length; ++i) {
        message[8 + i] = text[i] < 128 ? static_cast<BYTE>(text[i]) : '?';
    }
    return SendWhole(message.data(), static_cast<int>(message.size()));
}

bool RfbSession::SendWhole(const void* bytes, int length) {
    ScopedLock lock(sendLock_);
    return transport_->Send(bytes, length);
}

bool RfbSession::ChangePixelFormat(const PixelFormat& format) {
    auto change = formatChange_.Lock();
    change->pending = format;
    return change->readingUpdate || SendFramebufferUpdateRequest(false, 0, 0, 1, 1);
}

void RfbSession::TakePendingPixelFormat() {
    std::optional<PixelFormat> pending;
    {
        auto change = formatChange_.Lock();
        change->readingUpdate = false;
        pending = std::exchange(change->pending, std::nullopt);
    }
    if (!pending) {
        return;
    }
    const PixelFormat& format = *pending;
    // Between two updates, with the request this one answered used up: the server takes the
    // format before it answers anything else, so the next update is the first in it.
    BYTE message[20] = {0};
    format.ToWire(message + 4);
    SendWhole(message, 20);
    pixelFormat_ = format;
    listener_->OnPixelFormatChanged(format);
    SendFramebufferUpdateRequest(false, 0, 0, width_, height_);
}
