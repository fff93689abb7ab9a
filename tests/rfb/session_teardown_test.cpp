// Tearing a session down while its threads are busy. An owner of the listeners, made the way a
// viewer is made (the session declared last and shut down first), is destroyed as soon as a server
// that goes away mid-stream has made the connection fail: at every byte up to a Hextile
// rectangle's pixels and at offsets spread over them. Shutdown also has to end a connect thread
// and a message thread blocked in a read, and no listener call may follow it.
#include "cutting_replay_server.h"
#include "loopback_server.h"
#include "process_threads.h"
#include "screen_recording.h"

#include <platform/core.h>
#include <rfb/rfb_session.h>
#include <rfb/session_listener.h>
#include <rfb/socket_transport.h>
#include <rfb/transport_listener.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

namespace {

using Ending = CuttingReplayServer::Ending;

// What the test sees of an owner, also after the owner has gone.
struct Probe {
    void Set(bool Probe::*flag) {
        std::lock_guard lock(mutex);
        this->*flag = true;
        if (flag == &Probe::failed) {
            failureReported = true;
        }
        changed.notify_all();
    }
    bool WaitFor(bool Probe::*flag) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), [&] { return this->*flag; });
    }

    std::mutex mutex;
    std::condition_variable changed;
    bool connected = false;  // OnConnectResult(0): the handshake is about to run
    bool drawn = false;      // a drawing slot has been called
    bool failed = false;     // a connection loss, or a handshake that failed
    std::atomic<bool> failureReported{false};
    std::atomic<bool> shutDown{false};  // the owner's Shutdown has returned
    std::atomic<int> lateCalls{0};      // listener calls after that
    std::atomic<pid_t> caller{0};       // the thread of the latest listener call
};

// Draws into state of its own (rows of a framebuffer), so a call into a destroyed owner writes
// freed memory. Drawing is slow once the failure has been reported, as on a busy machine: the
// tiles read before the failure are then still being drawn while the test destroys the owner.
class SessionOwner final : public SessionListener, public TransportListener {
  public:
    explicit SessionOwner(Probe& probe)
        : probe_(probe), transport_(this), session_(this, &transport_) {}
    ~SessionOwner() override { Shutdown(); }

    void Connect(int port) { transport_.Connect(u"127.0.0.1", static_cast<WORD>(port)); }
    void Shutdown() {
        session_.Shutdown();
        probe_.shutDown = true;
    }

    void OnConnectResult(int status) override {
        Called();
        if (status != kTransportConnected) {
            probe_.Set(&Probe::failed);
            return;
        }
        probe_.Set(&Probe::connected);
        if (!session_.Handshake(u"", true)) {
            probe_.Set(&Probe::failed);
        }
    }
    void OnConnectionLost(int) override {
        Called();
        probe_.Set(&Probe::failed);
    }
    void OnServerInit(const WCHAR*, int, int height, const PixelFormat&) override {
        Called();
        rowsDrawn_.assign(static_cast<std::size_t>(height), 0);
        session_.SetPixelFormatFromBits(16, 5, 6, 5);
        session_.StartMessageThread();
    }
    void OnBell() override { Called(); }
    void OnServerCutText(const WCHAR*, int) override { Called(); }
    void OnProtocolError(int) override {
        Called();
        probe_.Set(&Probe::failed);
    }
    void OnDesktopResize(int, int height) override {
        Called();
        rowsDrawn_.assign(static_cast<std::size_t>(height), 0);
    }
    void OnCursorShape(int, int, int, int, const BYTE*, const BYTE*) override { Called(); }
    void OnImageRect(int, int y, int width, int height, const BYTE*) override {
        Draw(y, width, height);
    }
    void OnCopyRect(int, int y, int, int, int width, int height) override {
        Draw(y, width, height);
    }
    void OnFillRect(int, int y, int width, int height, const BYTE*) override {
        Draw(y, width, height);
    }
    void OnUpdateComplete() override { Called(); }

  private:
    void Called() {
        probe_.caller = CurrentThreadId();
        if (probe_.shutDown) {
            ++probe_.lateCalls;
        }
    }
    void Draw(int y, int width, int height) {
        Called();
        if (probe_.failureReported) {
            Sleep(1);
        }
        for (int row = y; row < y + height && row < static_cast<int>(rowsDrawn_.size()); ++row) {
            rowsDrawn_[static_cast<std::size_t>(row)] += width;
        }
        probe_.Set(&Probe::drawn);
    }

    Probe& probe_;
    std::vector<int> rowsDrawn_;
    SocketTransport transport_;
    RfbSession session_;
};

const ScreenRecording& HextileRecording() {
    static const ScreenRecording recording = RecordPatternScreen(1024, 768, 5);
    return recording;
}

TEST(SessionTeardown, OwnerDestroyedRightAfterEveryCutIsNeverCalledAgain) {
    const ScreenRecording& recording = HextileRecording();
    std::vector<std::size_t> cuts;
    for (std::size_t cut = 0; cut < recording.payloadStart; ++cut) {
        cuts.push_back(cut);
    }
    const std::size_t kSpread = 60;
    std::size_t step = (recording.bytes.size() - recording.payloadStart) / kSpread;
    for (std::size_t k = 0; k < kSpread; ++k) {
        cuts.push_back(recording.payloadStart + k * step + (k * 11) % step);
    }
    CuttingReplayServer server(recording.bytes);
    std::string failures;
    for (std::size_t cut : cuts) {
        server.ServeOne(cut, cut % 5 == 4 ? Ending::Reset : Ending::Close);
        Probe probe;
        auto owner = std::make_unique<SessionOwner>(probe);
        owner->Connect(server.Port());
        bool failed = probe.WaitFor(&Probe::failed);
        owner.reset();
        bool served = server.Wait();
        if (!failed || !served || probe.lateCalls != 0) {
            failures += "cut at " + std::to_string(cut) + ": " +
                        (failed ? "" : "no failure reported ") + (served ? "" : "not served ") +
                        std::to_string(probe.lateCalls) + " late calls\n";
        }
    }
    EXPECT_EQ(failures, "");
}

// The server sends up to the cut and then nothing, holding the connection: the connect thread
// waits in the handshake (cut inside the version) or the message thread inside the rectangle.
TEST(SessionTeardown, ShutdownEndsAThreadBlockedInAReadAndIsIdempotent) {
    const ScreenRecording& recording = HextileRecording();
    struct Case {
        const char* blocked;
        std::size_t cut;
        bool Probe::*reached;
    };
    for (const Case& test :
         {Case{"connect thread", 5, &Probe::connected},
          Case{"message thread", recording.payloadStart + 20000, &Probe::drawn}}) {
        SCOPED_TRACE(test.blocked);
        CuttingReplayServer server(recording.bytes);
        server.ServeOne(test.cut, Ending::Stall);
        Probe probe;
        SessionOwner owner(probe);
        owner.Connect(server.Port());
        ASSERT_TRUE(probe.WaitFor(test.reached));
        // The thread that reached it goes on into the read that waits for bytes that never come.
        ASSERT_TRUE(WaitUntilSleeping(probe.caller));
        EXPECT_FALSE(probe.failureReported);

        auto started = std::chrono::steady_clock::now();
        owner.Shutdown();
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
        // The blocked read failed and reported the loss before Shutdown returned.
        EXPECT_TRUE(probe.failureReported);
        owner.Shutdown();
        owner.Connect(server.Port());  // starts nothing any more
        EXPECT_TRUE(server.Wait());    // the client closed its side
        EXPECT_EQ(probe.lateCalls, 0);
    }
}

// Shutdown at any moment of connecting, against a server that accepts and never answers: a
// socket not yet published when Shutdown runs must not leave the handshake waiting on it.
TEST(SessionTeardown, ShutdownRightAfterConnectNeverWaitsForTheServer) {
    LoopbackServer server;
    for (int i = 0; i < 30; ++i) {
        Probe probe;
        auto owner = std::make_unique<SessionOwner>(probe);
        owner->Connect(server.Port());
        if (i % 3 == 1) {
            Sleep(static_cast<DWORD>(i % 4));  // a later moment of connecting; not needed to pass
        }
        auto started = std::chrono::steady_clock::now();
        owner.reset();
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2)) << i;
        EXPECT_EQ(probe.lateCalls, 0);
        server.Accept(50);
    }
}

}  // namespace
