#include "snapshot_client.h"

#include <platform/resources.h>
#include <platform/text.h>

#include <algorithm>
#include <chrono>

namespace {

std::string SystemText(unsigned id) {
    WCHAR text[260] = {};
    LoadStringW(GetModuleHandleW(nullptr), id, text, 260);
    return Utf16ToUtf8(text);
}

constexpr unsigned kTransportTextBase = 4000;  // minus the status
constexpr unsigned kProtocolTextBase = 5000;   // plus the code
constexpr unsigned kNoFrameBufferText = 6000;

}  // namespace

SnapshotClient::SnapshotClient(DeviceFrameBuffer& screen, std::u16string password, bool shared,
                               int bitsPerPixel)
    : screen_(screen),
      password_(std::move(password)),
      shared_(shared),
      bitsPerPixel_(bitsPerPixel),
      transport_(this),
      session_(this, &transport_) {}

SnapshotClient::~SnapshotClient() {
    session_.Shutdown();
}

SnapshotResult SnapshotClient::Run(const std::string& host, int port, int timeoutSeconds) {
    std::u16string wideHost = Utf8ToUtf16(host);
    transport_.Connect(wideHost.c_str(), static_cast<WORD>(port));
    auto outcome = outcome_.Lock();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    if (!outcome.WaitUntil(finished_, deadline, [](const Outcome& o) { return o.done; })) {
        outcome->done = true;
        outcome->result = {
            5, "Timed out after " + std::to_string(timeoutSeconds) + " s waiting for the screen"};
    }
    return outcome->result;
}

void SnapshotClient::Finish(int exitCode, unsigned textId) {
    auto outcome = outcome_.Lock();
    if (outcome->done) {
        return;
    }
    outcome->done = true;
    outcome->result = {exitCode, exitCode == 0 ? std::string() : SystemText(textId)};
    finished_.notify_all();
}

void SnapshotClient::OnConnectResult(int status) {
    if (status != kTransportConnected) {
        Finish(3, static_cast<unsigned>(static_cast<int>(kTransportTextBase) - status));
        return;
    }
    if (!session_.Handshake(password_.c_str(), shared_)) {
        // A version line that is not RFB reports nothing of its own.
        Finish(5, kProtocolTextBase + kProtocolConnectionFailed);
    }
}

void SnapshotClient::OnConnectionLost(int status) {
    Finish(5, static_cast<unsigned>(static_cast<int>(kTransportTextBase) - status));
}

void SnapshotClient::OnProtocolError(int code) {
    Finish(code == kProtocolConnectionFailed ? 5 : 4,
           kProtocolTextBase + static_cast<unsigned>(code));
}

void SnapshotClient::OnServerInit(const WCHAR*, int width, int height, const PixelFormat&) {
    if (!screen_.SetSize(width, height)) {
        transport_.Close();
        Finish(5, kNoFrameBufferText);
        return;
    }
    ResetCoverage(width, height);
    switch (bitsPerPixel_) {
        case 8:
            screen_.SetPixelFormat(8, 3, 3, 2);
            session_.SetPixelFormatFromBits(8, 3, 3, 2);
            break;
        case 32:
            screen_.SetPixelFormat(32, 8, 8, 8);
            session_.SetPixelFormatFromBits(32, 8, 8, 8);
            break;
        default:
            screen_.SetPixelFormat(16, 5, 6, 5);
            session_.SetPixelFormatFromBits(16, 5, 6, 5);
            break;
    }
    session_.StartMessageThread();
}

void SnapshotClient::OnDesktopResize(int width, int height) {
    if (!screen_.SetSize(width, height)) {
        transport_.Close();
        Finish(5, kNoFrameBufferText);
        return;
    }
    ResetCoverage(width, height);
    session_.SendFramebufferUpdateRequest(false, 0, 0, width, height);
}

void SnapshotClient::OnImageRect(int x, int y, int width, int height, const BYTE* pixels) {
    screen_.PutImage(x, y, width, height, pixels);
    MarkCovered(x, y, width, height);
}

void SnapshotClient::OnImageRectAsSent(int x, int y, int width, int height, const BYTE* pixels,
                                       const PixelFormat& format) {
    screen_.PutImageAsSent(x, y, width, height, pixels, format.bigEndian != 0);
    MarkCovered(x, y, width, height);
}

void SnapshotClient::OnCopyRect(int x, int y, int srcX, int srcY, int width, int height) {
    screen_.CopyRect(x, y, srcX, srcY, width, height);
    MarkCovered(x, y, width, height);
}

void SnapshotClient::OnFillRect(int x, int y, int width, int height, const BYTE* pixel) {
    screen_.FillRect(x, y, width, height, pixel);
    MarkCovered(x, y, width, height);
}

bool SnapshotClient::BeginDirectPaint(int x, int y, int width, int height, int bytesPerPixel,
                                      BYTE** at, int* stride, std::uint32_t* setBits) {
    return screen_.BeginDirect(x, y, width, height, bytesPerPixel, at, stride, setBits);
}

void SnapshotClient::EndDirectPaint(int x, int y, int width, int height) {
    screen_.EndDirect();
    MarkCovered(x, y, width, height);
}

void SnapshotClient::OnUpdateComplete() {
    if (uncovered_ == 0) {
        Finish(0, 0);
    } else {
        // Not everything yet (a cursor-only update, or a screen sent in parts): ask again.
        session_.SendFramebufferUpdateRequest(true, 0, 0, session_.Width(), session_.Height());
    }
}

void SnapshotClient::ResetCoverage(int width, int height) {
    coverageWidth_ = width;
    covered_.assign(static_cast<std::size_t>(width) * height, 0);
    uncovered_ = static_cast<long long>(width) * height;
}

void SnapshotClient::MarkCovered(int x, int y, int width, int height) {
    int coverageHeight =
        coverageWidth_ == 0 ? 0 : static_cast<int>(covered_.size() / coverageWidth_);
    int left = std::max(x, 0);
    int right = std::min(x + width, coverageWidth_);
    int bottom = std::min(y + height, coverageHeight);
    for (int row = std::max(y, 0); row < bottom && left < right && uncovered_ > 0; ++row) {
        // A row of cells at a time: counted and set in bulk (a whole screen is millions of them).
        std::uint8_t* cells = covered_.data() + static_cast<std::size_t>(row) * coverageWidth_;
        uncovered_ -= std::count(cells + left, cells + right, std::uint8_t{0});
        std::fill(cells + left, cells + right, std::uint8_t{1});
    }
}
