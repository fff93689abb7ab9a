// The client side of RFB 3.3 over a Transport: the handshake, the message thread that reads the
// server's messages, and the client messages.
#pragma once

#include <platform/types.h>
#include <rfb/pixel_format.h>
#include <sync/guarded.h>
#include <sync/mutex.h>

#include <atomic>
#include <optional>
#include <vector>

class SessionListener;
class Transport;

class RfbSession {
  public:
    // Neither is owned; the transport must outlive the session.
    RfbSession(SessionListener* listener, Transport* transport);
    // Shutdown.
    virtual ~RfbSession();
    RfbSession(const RfbSession&) = delete;
    RfbSession& operator=(const RfbSession&) = delete;

    // Version, security, VNC authentication, ClientInit and ServerInit; true once OnServerInit has
    // been raised. Runs on the connect thread.
    bool Handshake(const WCHAR* password, bool shared);

    bool SetPixelFormatFromBits(int bitsPerPixel, int redBits, int greenBits, int blueBits);
    // Makes format the one in force and sends SetPixelFormat. Before the message thread starts.
    bool SendSetPixelFormat(const PixelFormat& format);
    // While the session runs, any thread: the format is sent and taken into use by the message
    // thread at the end of the next update, where no request is outstanding (the one that update
    // answered is used up), so no update in the old format can still be on its way; it reports
    // it through OnPixelFormatChanged and asks for the whole screen in it. When no update is
    // being read, a request for one pixel brings that update at once; while one is, its end is
    // the place (a request sent then could be answered by a second update in the old format).
    bool ChangePixelFormat(const PixelFormat& format);
    // The registered encodings, in their advertised order.
    bool SendSetEncodings();

    // Stops every thread that can call the listeners: shuts the transport down (its blocked reads
    // fail, its connect thread and the handshake on it end and are waited for), then waits for the
    // message thread, which ends at its next read, after drawing what it had already read. No
    // message thread starts afterwards, so when it returns no listener call is under way or can
    // come. The owner of the listeners calls it first in its destructor, before anything they use
    // goes. Idempotent; from the owner's thread (the user-interface thread), never from a listener
    // call. It waits only for the session's threads, which never wait for the owner's.
    void Shutdown();

    // Starts the message thread unless one runs or the session has been shut down.
    void StartMessageThread();
    // The message thread's body, also usable on the caller's thread: SetEncodings, the first full
    // update request, then server messages until a read fails or a message cannot be handled.
    void RunMessageLoop();
    // Reads and handles one server message; false ends the loop.
    bool ReadServerMessage();

    bool SendFramebufferUpdateRequest(bool incremental, int x, int y, int width, int height);
    bool SendKeyEvent(bool down, DWORD key);
    bool SendPointerEvent(int x, int y, BYTE buttonMask);
    // Characters above 127 go as '?'.
    bool SendClientCutText(const WCHAR* text);

    const PixelFormat& GetPixelFormat() const { return pixelFormat_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The desktop-size rectangle's new size.
    void SetFramebufferSize(int width, int height) {
        width_ = width;
        height_ = height;
    }
    // Working memory that the decoders keep from one rectangle to the next, so that decoding
    // allocates nothing per rectangle: pixels (a band of tiles, a painted rectangle) and bytes
    // read ahead of their use (a batch of subrectangles). At least bytes long; the contents are
    // left over from earlier use. Message thread only.
    BYTE* PixelBuffer(std::size_t bytes) { return Grown(pixelBuffer_, bytes); }
    BYTE* ReadBuffer(std::size_t bytes) { return Grown(readBuffer_, bytes); }

  private:
    bool ReadFramebufferUpdate();
    // A server message this client cannot read: the session ends as a protocol error.
    bool ProtocolFailure();
    void TakePendingPixelFormat();
    // Every client message goes out through here, whole, one at a time.
    bool SendWhole(const void* bytes, int length);
    bool ReadServerCutText();
    bool ReadServerInit();
    bool Authenticate(const WCHAR* password);
    // Reads length bytes of Latin-1 text as a terminated wide string.
    bool ReceiveWideText(DWORD length, std::vector<WCHAR>& text);
    static DWORD MessageThreadMain(LPVOID session);
    // The buffer starts on a cache line whatever the allocator gives (64 bytes more are kept for
    // that): a band painted 16 or 32 pixels a store then splits no more lines than it must, and
    // its cost does not change from one connection to the next.
    static BYTE* Grown(std::vector<BYTE>& buffer, std::size_t bytes) {
        constexpr std::size_t kLine = 64;
        if (buffer.size() < bytes + kLine) {
            buffer.resize(bytes + kLine);
        }
        auto address = reinterpret_cast<std::uintptr_t>(buffer.data());
        return buffer.data() + (kLine - address % kLine) % kLine;
    }

    // The message thread's, and before it starts the connect thread's.
    PixelFormat pixelFormat_;
    // Held for each whole client message, so that messages from several threads never interleave.
    Mutex sendLock_;
    // A format asked for by ChangePixelFormat that the message thread has not yet taken into use,
    // and whether the message thread is reading an update.
    struct FormatChange {
        std::optional<PixelFormat> pending;
        bool readingUpdate = false;
    };
    Guarded<FormatChange> formatChange_;
    std::atomic<int> width_{0};
    std::atomic<int> height_{0};
    SessionListener* listener_;
    Transport* transport_;
    struct MessageThreadState {
        HANDLE thread = nullptr;  // kept until waited for, also after the thread has ended
        bool shutDown = false;    // set once by Shutdown; no thread starts afterwards
    };
    Guarded<MessageThreadState> messageThread_;
    std::atomic<bool> messageThreadRunning_{false};
    std::vector<BYTE> pixelBuffer_;
    std::vector<BYTE> readBuffer_;
};
