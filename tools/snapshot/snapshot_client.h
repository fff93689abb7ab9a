// One connection of tavrel-snapshot: connects, authenticates, asks for the pixel format and waits
// until the whole screen has arrived in one or more complete updates.
#pragma once

#include "device_frame_buffer.h"

#include <rfb/rfb_session.h>
#include <rfb/session_listener.h>
#include <rfb/socket_transport.h>
#include <rfb/transport_listener.h>
#include <sync/guarded.h>

#include <condition_variable>
#include <string>
#include <vector>

struct SnapshotResult {
    int exitCode = 0;   // 0 done, 3 connection, 4 authentication, 5 anything else
    std::string error;  // the system's own text
};

class SnapshotClient final : public TransportListener, public SessionListener {
  public:
    SnapshotClient(DeviceFrameBuffer& screen, std::u16string password, bool shared, int bitsPerPixel);
    // Shuts the session down before anything else goes: the connect thread and the message thread
    // call this object, also after Run has returned (the drawing of bytes read before a failure).
    ~SnapshotClient() override;

    SnapshotResult Run(const std::string& host, int port, int timeoutSeconds);

    void OnConnectResult(int status) override;
    void OnConnectionLost(int status) override;
    void OnServerInit(const WCHAR* name, int width, int height, const PixelFormat& format) override;
    void OnBell() override {}
    void OnServerCutText(const WCHAR*, int) override {}
    void OnProtocolError(int code) override;
    void OnDesktopResize(int width, int height) override;
    void OnCursorShape(int, int, int, int, const BYTE*, const BYTE*) override {}
    void OnImageRect(int x, int y, int width, int height, const BYTE* pixels) override;
    void OnImageRectAsSent(int x, int y, int width, int height, const BYTE* pixels,
                           const PixelFormat& format) override;
    void OnCopyRect(int x, int y, int srcX, int srcY, int width, int height) override;
    void OnFillRect(int x, int y, int width, int height, const BYTE* pixel) override;
    bool BeginDirectPaint(int x, int y, int width, int height, int bytesPerPixel, BYTE** at,
                          int* stride, std::uint32_t* setBits) override;
    void EndDirectPaint(int x, int y, int width, int height) override;
    void OnUpdateComplete() override;

  private:
    // The first failure wins; later ones (the loss that follows an error) are ignored.
    void Finish(int exitCode, unsigned textId);
    void MarkCovered(int x, int y, int width, int height);
    void ResetCoverage(int width, int height);

    DeviceFrameBuffer& screen_;
    std::u16string password_;
    bool shared_;
    int bitsPerPixel_;

    // The outcome: set once, by the first failure, the whole screen or Run's time-out.
    struct Outcome {
        bool done = false;
        SnapshotResult result;
    };
    Guarded<Outcome> outcome_;
    std::condition_variable finished_;  // notified when the outcome is set
    // Which pixels have been drawn since the screen was (re)sized; the message thread alone
    // touches it.
    std::vector<std::uint8_t> covered_;
    long long uncovered_ = 0;
    int coverageWidth_ = 0;

    // Last, so that they are made after everything the listener calls use and the session goes
    // first: its destructor shuts down too.
    SocketTransport transport_;
    RfbSession session_;
};
