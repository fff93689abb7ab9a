// Session events against servers that do something on purpose: our pattern server moving an
// area onto itself and resizing its desktop, and scripted servers that close in the middle of an
// update or refuse after too many attempts.
#include "interop_support.h"
#include "loopback_server.h"
#include "pattern.h"
#include "recording_listener.h"

#include <platform/core.h>
#include <rfb/rfb_session.h>
#include <rfb/socket_transport.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

// Acts as the viewer does: handshake on connect, 16-bit 5:6:5, full request after a resize.
class ViewerLikeListener : public RecordingListener {
  public:
    void OnConnectResult(int status) override {
        RecordingListener::OnConnectResult(status);
        if (status == 0 && session->Handshake(u"", true)) {
            framebuffer.SetBytesPerPixel(2);
            session->SetPixelFormatFromBits(16, 5, 6, 5);
            session->StartMessageThread();
        }
    }
    void OnDesktopResize(int width, int height) override {
        RecordingListener::OnDesktopResize(width, height);
        session->SendFramebufferUpdateRequest(false, 0, 0, width, height);
    }
    RfbSession* session = nullptr;
};

bool WaitForUpdates(RecordingListener& listener, int count) {
    for (int i = 0; i < 1000 && listener.updates < count; ++i) {
        Sleep(10);
    }
    return listener.updates >= count;
}

// The pattern as 5:6:5 values, with an optional copy applied the way a blit does it.
std::vector<std::uint32_t> Expected565(int width, int height, int variant) {
    std::vector<std::uint32_t> values;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t rgb[3];
            PatternColour(x, y, variant, rgb);
            values.push_back(((rgb[0] >> 3) << 11) | ((rgb[1] >> 2) << 5) | (rgb[2] >> 3));
        }
    }
    return values;
}

int Mismatches(const TestFrameBuffer& framebuffer, const std::vector<std::uint32_t>& expected,
               int width) {
    int mismatches = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        int x = static_cast<int>(i % width);
        int y = static_cast<int>(i / width);
        mismatches += framebuffer.At(x, y) != expected[i];
    }
    return mismatches;
}

TEST(SessionEvents, OverlappingCopyRectAndDesktopResizeFromOurServer) {
    std::string folder = MakeTempFolder();
    ServerProcess server({PATTERN_SERVER_PATH, "6160"}, folder + "/own.log");
    ASSERT_TRUE(WaitForRfb(6160));
    ViewerLikeListener listener;
    SocketTransport transport(&listener);
    RfbSession session(&listener, &transport);
    listener.session = &session;
    transport.Connect(u"127.0.0.1", 6160);
    ASSERT_TRUE(WaitForUpdates(listener, 1));
    std::vector<std::uint32_t> expected = Expected565(640, 480, 0);
    EXPECT_EQ(Mismatches(listener.framebuffer, expected, 640), 0);

    // The server moves (5, 3)-(205, 103) to (10, 10): source and destination overlap. It reads
    // the key before the request that follows it.
    session.SendKeyEvent(true, 'c');
    session.SendKeyEvent(false, 'c');
    session.SendFramebufferUpdateRequest(true, 0, 0, 640, 480);
    ASSERT_TRUE(WaitForUpdates(listener, 2));
    bool copied = false;
    for (const std::string& call : listener.Calls()) {
        copied = copied || call.rfind("Copy", 0) == 0;
    }
    EXPECT_TRUE(copied);
    std::vector<std::uint32_t> moved = expected;
    for (int y = 109; y >= 10; --y) {
        for (int x = 209; x >= 10; --x) {
            moved[y * 640 + x] = expected[(y - 7) * 640 + (x - 5)];
        }
    }
    EXPECT_EQ(Mismatches(listener.framebuffer, moved, 640), 0);

    session.SendKeyEvent(true, 'r');
    session.SendKeyEvent(false, 'r');
    session.SendFramebufferUpdateRequest(true, 0, 0, 640, 480);
    for (int i = 0; i < 500 && (listener.framebuffer.Width() != 320 || listener.updates < 4); ++i) {
        Sleep(10);
    }
    EXPECT_EQ(session.Width(), 320);
    EXPECT_EQ(session.Height(), 200);
    EXPECT_EQ(Mismatches(listener.framebuffer, Expected565(320, 200, 1), 320), 0);
}

// What a fresh raw snapshot of the server shows, against the session's 5:6:5 framebuffer with
// its components widened the way the snapshot tool widens them.
int MismatchesWithFreshSnapshot(const std::string& folder, int port,
                                const TestFrameBuffer& framebuffer) {
    SnapshotRun truth =
        RunSnapshot(folder, {"--encodings", "raw,cursor", "127.0.0.1::" + std::to_string(port)});
    if (truth.exitCode != 0 || truth.image.width != framebuffer.Width() ||
        truth.image.height != framebuffer.Height()) {
        ADD_FAILURE() << "snapshot: exit " << truth.exitCode << " " << truth.error << ", "
                      << truth.image.width << "x" << truth.image.height;
        return -1;
    }
    Image ours{truth.image.width, truth.image.height, {}};
    for (int y = 0; y < ours.height; ++y) {
        for (int x = 0; x < ours.width; ++x) {
            std::uint32_t v = framebuffer.At(x, y);
            ours.rgb.push_back(static_cast<std::uint8_t>((v >> 11) << 3));
            ours.rgb.push_back(static_cast<std::uint8_t>(((v >> 5) & 63) << 2));
            ours.rgb.push_back(static_cast<std::uint8_t>((v & 31) << 3));
        }
    }
    return CountMismatches(ours, truth.image);
}

TEST(SessionEvents, TigerVncCopiesAMovedWindowAndResizesItsDesktop) {
    REQUIRE_PROGRAMS("Xtigervnc", "xmessage", "xdotool", "xrandr");
    std::string folder = MakeTempFolder();
    const int port = 6170;
    ServerProcess tiger({"Xtigervnc", ":170", "-rfbport", std::to_string(port), "-SecurityTypes",
                         "None", "-geometry", "640x480", "-depth", "24", "-localhost", "-interface",
                         "127.0.0.1", "-nolisten", "tcp", "-AlwaysShared"},
                        folder + "/tiger.log");
    ASSERT_TRUE(WaitForRfb(port));
    std::vector<std::string> display{"DISPLAY=:170"};
    ServerProcess window({"xmessage", "-geometry", "+40+40", "-name", "tavrel-move",
                          "A window that moves across the desktop"},
                         folder + "/xmessage.log", display);
    for (int i = 0; i < 100 && RunProgram({"xdotool", "search", "--classname", "tavrel-move"},
                                          folder + "/search.log", display) != 0;
         ++i) {
        Sleep(50);
    }

    ViewerLikeListener listener;
    SocketTransport transport(&listener);
    RfbSession session(&listener, &transport);
    listener.session = &session;
    transport.Connect(u"127.0.0.1", static_cast<WORD>(port));
    ASSERT_TRUE(WaitForUpdates(listener, 1));
    EXPECT_EQ(MismatchesWithFreshSnapshot(folder, port, listener.framebuffer), 0);

    // Moving a window is a copy of its pixels on the server: it arrives as CopyRect.
    // --sync: xdotool returns once the window has moved.
    ASSERT_EQ(RunProgram({"xdotool", "search", "--classname", "tavrel-move", "windowmove", "--sync",
                          "250", "200"},
                         folder + "/move.log", display),
              0);
    int before = listener.updates;
    session.SendFramebufferUpdateRequest(true, 0, 0, 640, 480);
    ASSERT_TRUE(WaitForUpdates(listener, before + 1));
    bool copied = false;
    for (const std::string& call : listener.Calls()) {
        copied = copied || call.rfind("Copy", 0) == 0;
    }
    EXPECT_TRUE(copied);
    EXPECT_EQ(MismatchesWithFreshSnapshot(folder, port, listener.framebuffer), 0);

    // A new screen size arrives as DesktopSize; the listener then asks for the whole screen.
    before = listener.updates;
    ASSERT_EQ(RunProgram({"xrandr", "-s", "800x600"}, folder + "/xrandr.log", display), 0);
    session.SendFramebufferUpdateRequest(true, 0, 0, 640, 480);
    for (int i = 0; i < 500 && (session.Width() != 800 || listener.updates < before + 2); ++i) {
        Sleep(10);
    }
    EXPECT_EQ(session.Width(), 800);
    EXPECT_EQ(session.Height(), 600);
    ASSERT_EQ(listener.framebuffer.Width(), 800);
    EXPECT_EQ(MismatchesWithFreshSnapshot(folder, port, listener.framebuffer), 0);
    transport.Close();
    transport.WaitForConnectThread();
}

// A scripted server on a loopback port runs on its own thread beside the snapshot tool.
SnapshotRun SnapshotAgainst(const std::function<void(LoopbackServer&)>& script) {
    LoopbackServer server;
    std::thread serverThread([&] {
        if (server.Accept()) {
            script(server);
        }
    });
    SnapshotRun run = RunSnapshot(
        MakeTempFolder(), {"--timeout", "10", "127.0.0.1::" + std::to_string(server.Port())});
    serverThread.join();
    return run;
}

std::vector<std::uint8_t> Bytes32(std::uint32_t v) {
    return {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
}

TEST(SessionEvents, ServerClosingMidUpdateIsAResetConnection) {
    SnapshotRun run = SnapshotAgainst([](LoopbackServer& server) {
        server.Write(std::string("RFB 003.003\n"));
        server.Write(Bytes32(1));
        server.Read(13);
        server.Write(std::vector<std::uint8_t>{0, 4,  0,  4, 16, 16, 1, 1, 0, 31, 0, 63,
                                               0, 31, 11, 5, 0,  0,  0, 0, 0, 0,  0, 0});
        server.Read(20 + 32 + 10);
        // Two raw rectangles announced, half of the first sent.
        server.Write(
            std::vector<std::uint8_t>{0, 0, 0, 2, 0, 0, 0, 0, 0, 4, 0, 4, 0, 0, 0, 0, 1, 2, 3});
        server.CloseClient();
    });
    EXPECT_EQ(run.exitCode, 5);
    EXPECT_EQ(run.error, "Connection reset by peer");
}

TEST(SessionEvents, AuthenticationRefusalsGiveTheirTexts) {
    for (std::uint32_t result : {1u, 2u}) {
        SnapshotRun run = SnapshotAgainst([result](LoopbackServer& server) {
            server.Write(std::string("RFB 003.003\n"));
            server.Write(Bytes32(2));
            server.Write(std::vector<std::uint8_t>(16, 7));
            server.Read(12 + 16);
            server.Write(Bytes32(result));
            server.WaitForClientClose();
        });
        EXPECT_EQ(run.exitCode, 4);
        EXPECT_EQ(run.error,
                  result == 2 ? "Too many authentication attempts" : "VNC authentication failed");
    }
    SnapshotRun refused = SnapshotAgainst([](LoopbackServer& server) {
        server.Write(std::string("RFB 003.003\n"));
        server.Write(Bytes32(0));
        server.Write(Bytes32(4));
        server.Write(std::string("busy"));
        server.WaitForClientClose();
    });
    EXPECT_EQ(refused.exitCode, 5);
    EXPECT_EQ(refused.error, "VNC connection failed");
}

}  // namespace
