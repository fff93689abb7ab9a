// The session object, its message thread and the server messages.
#include <rfb/decoder_registry.h>
#include <rfb/limits.h>
#include <rfb/rfb_session.h>
#include <rfb/session_listener.h>
#include <rfb/transport.h>
#include <rfb/wire.h>

#include <platform/core.h>
#include <platform/text.h>

#include <utility>
#include <vector>

namespace {

constexpr BYTE kFramebufferUpdate = 0;
constexpr BYTE kBell = 2;
constexpr BYTE kServerCutText = 3;

}  // namespace

RfbSession::RfbSession(SessionListener* listener, Transport* transport)
    : listener_(listener), transport_(transport) {}

RfbSession::~RfbSession() {
    Shutdown();
}

void RfbSession::Shutdown() {
    HANDLE thread;
    {
        // From here on no message thread starts, also not from a handshake still running on the
        // connect thread.
        auto state = messageThread_.Lock();
        state->shutDown = true;
        thread = std::exchange(state->thread, nullptr);
    }
    transport_->Shutdown();
    if (thread != nullptr) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
}

void RfbSession::StartMessageThread() {
    auto state = messageThread_.Lock();
    if (state->shutDown || messageThreadRunning_) {
        return;
    }
    // The handle of a thread that has ended stays with the session until here or the destructor,
    // so it is released exactly once.
    if (state->thread != nullptr) {
        WaitForSingleObject(state->thread, INFINITE);
        CloseHandle(state->thread);
        state->thread = nullptr;
    }
    messageThreadRunning_ = true;
    state->thread = CreateThread(nullptr, 0, MessageThreadMain, this, 0, nullptr);
    if (state->thread == nullptr) {
        messageThreadRunning_ = false;
    }
}

DWORD RfbSession::MessageThreadMain(LPVOID parameter) {
    auto* session = static_cast<RfbSession*>(parameter);
    session->RunMessageLoop();
    session->messageThreadRunning_ = false;
    return 0;
}

void RfbSession::RunMessageLoop() {
    SendSetEncodings();
    SendFramebufferUpdateRequest(false, 0, 0, width_, height_);
    while (ReadServerMessage()) {
    }
}

bool RfbSession::ReadServerMessage() {
    BYTE type;
    if (!transport_->Receive(&type, 1)) {
        return false;
    }
    switch (type) {
        case kFramebufferUpdate:
            return ReadFramebufferUpdate();
        case kBell:
            listener_->OnBell();
            return true;
        case kServerCutText:
            return ReadServerCutText();
        default:
            return ProtocolFailure();
    }
}

bool RfbSession::ProtocolFailure() {
    transport_->Close();
    listener_->OnProtocolError(kProtocolConnectionFailed);
    return false;
}

bool RfbSession::ReadFramebufferUpdate() {
    formatChange_.Lock()->readingUpdate = true;
    BYTE header[3];
    if (!transport_->Receive(header, 3)) {
        return false;
    }
    int count = wire::Read16(header + 1);
    for (int i = 0; i < count; ++i) {
        BYTE rect[12];
        if (!transport_->Receive(rect, 12)) {
            return false;
        }
        RectDecoder* decoder = FindDecoder(static_cast<int>(wire::Read32(rect + 8)));
        if (decoder == nullptr) {
            return ProtocolFailure();  // an encoding never asked for
        }
        if (!decoder->Decode(*this, *listener_, *transport_, wire::Read16(rect),
                             wire::Read16(rect + 2), wire::Read16(rect + 4),
                             wire::Read16(rect + 6))) {
            return false;
        }
    }
    TakePendingPixelFormat();
    listener_->OnUpdateComplete();
    WCHAR line[64];
    wsprintfW(line, u"Update (%i commands) complete\r\n", count);
    OutputDebugStringW(line);
    return true;
}

bool RfbSession::ReadServerCutText() {
    BYTE header[7];
    if (!transport_->Receive(header, 7)) {
        return false;
    }
    DWORD length = wire::Read32(header + 3);
    if (length > kMaxCutTextLength) {
        // A text this long is not a clipboard: end the session with a clear error rather than
        // allocate what the server asks for.
        return ProtocolFailure();
    }
    std::vector<WCHAR> text;
    if (!ReceiveWideText(length, text)) {
        return false;
    }
    listener_->OnServerCutText(text.data(), static_cast<int>(length));
    return true;
}

bool RfbSession::ReceiveWideText(DWORD length, std::vector<WCHAR>& text) {
    std::vector<BYTE> bytes(length);
    if (!transport_->Receive(bytes.data(), static_cast<int>(length))) {
        return false;
    }
    // Byte by byte: each byte becomes the character of the same code, then a terminator.
    text.assign(bytes.begin(), bytes.end());
    text.push_back(0);
    return true;
}
