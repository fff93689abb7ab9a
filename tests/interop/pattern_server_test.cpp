// Our pattern server's message log and control pipe, through PatternServerProcess: the log shows
// exactly what our session (and the snapshot tool, and a client that writes bytes by hand) sent,
// and every control command reaches the connected sessions.
#include "interop_support.h"
#include "loopback_server.h"
#include "pattern.h"
#include "pattern_server_process.h"
#include "recording_listener.h"

#include <platform/core.h>
#include <rfb/decoder_registry.h>
#include <rfb/rfb_session.h>
#include <rfb/socket_transport.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <tuple>

namespace {

using Lines = std::vector<std::string>;

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000) {
    for (int waited = 0; waited < timeoutMs && !condition(); waited += 10) {
        Sleep(10);
    }
    return condition();
}

// A session as the viewer runs it: handshake on the connect thread, 16-bit 5:6:5, a full request
// after a resize; its message loop runs on a thread of the test's, so that the test sees it end.
class PatternClient : public RecordingListener {
  public:
    PatternClient() : transport(this), session(this, &transport) {}
    ~PatternClient() override { session.Shutdown(); }

    bool Connect(int port, const WCHAR* password = u"", bool shared = true) {
        password_ = password;
        shared_ = shared;
        transport.Connect(u"127.0.0.1", static_cast<WORD>(port));
        transport.WaitForConnectThread();
        if (handshaken_) {
            loop_ = std::async(std::launch::async, [this] { session.RunMessageLoop(); });
        }
        return handshaken_;
    }
    void OnConnectResult(int status) override {
        RecordingListener::OnConnectResult(status);
        handshaken_ = status == 0 && session.Handshake(password_, shared_);
        framebuffer.SetBytesPerPixel(2);
        handshaken_ = handshaken_ && session.SetPixelFormatFromBits(16, 5, 6, 5);
    }
    void OnDesktopResize(int width, int height) override {
        RecordingListener::OnDesktopResize(width, height);
        session.SendFramebufferUpdateRequest(false, 0, 0, width, height);
    }
    bool LoopEnds(int timeoutMs = 5000) {
        return loop_.valid() &&
               loop_.wait_for(std::chrono::milliseconds(timeoutMs)) == std::future_status::ready;
    }
    bool WaitForCall(const std::string& prefix) {
        return WaitUntil([&] {
            for (const std::string& call : Calls()) {
                if (call.rfind(prefix, 0) == 0) {
                    return true;
                }
            }
            return false;
        });
    }
    bool WaitForUpdates(int count) {
        return WaitUntil([&] { return updates >= count; });
    }

    SocketTransport transport;
    RfbSession session;

  private:
    const WCHAR* password_ = u"";
    bool shared_ = true;
    bool handshaken_ = false;
    std::future<void> loop_;
};

std::uint32_t Pattern565(int x, int y, int variant) {
    std::uint8_t rgb[3];
    PatternColour(x, y, variant, rgb);
    return ((rgb[0] >> 3) << 11) | ((rgb[1] >> 2) << 5) | (rgb[2] >> 3);
}

int PatternMismatches(const TestFrameBuffer& framebuffer, int variant) {
    int mismatches = 0;
    for (int y = 0; y < framebuffer.Height(); ++y) {
        for (int x = 0; x < framebuffer.Width(); ++x) {
            mismatches += framebuffer.At(x, y) != Pattern565(x, y, variant);
        }
    }
    return mismatches;
}

Lines From(const Lines& lines, std::size_t first) {
    return first <= lines.size() ? Lines(lines.begin() + static_cast<long>(first), lines.end())
                                 : Lines();
}

TEST(PatternServerLog, ShowsEveryMessageOfOurSession) {
    PatternServerProcess server;
    ASSERT_TRUE(server.Started()) << server.Output();
    PatternClient client;
    ASSERT_TRUE(client.Connect(server.Port()));
    ASSERT_NE(server.WaitForLine("update"), "");
    std::string encodings = "encodings";
    for (int encoding : RegisteredEncodings()) {
        encodings += " " + std::to_string(encoding);
    }
    EXPECT_EQ(server.Lines(),
              (Lines{"connect", "version 003.003", "init shared",
                     "format 16 16 1 1 31 63 31 11 5 0", encodings, "update full 0 0 640 480"}));

    std::size_t mark = server.Lines().size();
    client.session.SendKeyEvent(true, 0xFF0D);
    client.session.SendKeyEvent(false, 'a');
    client.session.SendPointerEvent(12, 34, 5);
    client.session.SendClientCutText(u"two\nlines \\ end");
    client.session.SendFramebufferUpdateRequest(true, 1, 2, 3, 4);
    // Beyond the desktop: the log has it as sent, not clipped as libvncserver handles it.
    client.session.SendFramebufferUpdateRequest(false, 600, 400, 200, 300);
    ASSERT_NE(server.WaitForLine("update full", 5000, mark), "");
    EXPECT_EQ(
        From(server.Lines(), mark),
        (Lines{"key down 0xff0d", "key up 0x61", "pointer 5 12 34", "cut two\\nlines \\\\ end",
               "update incremental 1 2 3 4", "update full 600 400 200 300"}));

    client.session.Shutdown();
    EXPECT_NE(server.WaitForLine("disconnect"), "");
}

TEST(PatternServerLog, ShowsThePasswordResponseAndAnExclusiveClient) {
    PatternServerProcess server({"--password", "secret"});
    ASSERT_TRUE(server.Started()) << server.Output();
    PatternClient client;
    ASSERT_TRUE(client.Connect(server.Port(), u"secret", false));
    ASSERT_NE(server.WaitForLine("format"), "");
    Lines lines = server.Lines();
    lines.resize(4);
    EXPECT_EQ(lines, (Lines{"connect", "version 003.003", "auth", "init exclusive"}));
}

TEST(PatternServerLog, ShowsWhatTheSnapshotToolAskedFor) {
    PatternServerProcess server;
    ASSERT_TRUE(server.Started()) << server.Output();
    SnapshotRun run =
        RunSnapshot(server.Folder(), {"--encodings", "raw", "--bpp", "8", "--exclusive",
                                      "127.0.0.1::" + std::to_string(server.Port())});
    ASSERT_EQ(run.exitCode, 0) << run.error;
    ASSERT_NE(server.WaitForLine("disconnect"), "");
    EXPECT_EQ(server.Lines(),
              (Lines{"connect", "version 003.003", "init exclusive", "format 8 8 1 1 7 7 3 5 2 0",
                     "encodings 0", "update full 0 0 640 480", "disconnect"}));
}

TEST(PatternServerLog, JoinsMessagesThatArriveInPiecesAndStopsAtAnUnknownType) {
    PatternServerProcess server;
    ASSERT_TRUE(server.Started()) << server.Output();
    LoopbackClient client(server.Port());
    ASSERT_TRUE(client.Connected());
    ASSERT_EQ(client.Read(12).size(), 12u);
    ASSERT_TRUE(client.Write("RFB 003.008\n"));
    ASSERT_EQ(client.Read(2).size(), 2u);  // one security type: None
    ASSERT_TRUE(client.Write(std::string(1, '\1')));
    ASSERT_EQ(client.Read(4).size(), 4u);
    ASSERT_TRUE(client.Write(std::string(1, '\0')));
    ASSERT_EQ(client.Read(24 + 7).size(), 31u);  // ServerInit with "pattern"
    // SetEncodings for 5, 1, an encoding nobody knows (77777 = 0x12FD1), and 5 again, written a
    // few bytes at a time; then a key event.
    std::string encodings("\2\0\0\4\0\0\0\5\0\0\0\1\0\1\x2f\xd1\0\0\0\5", 20);
    for (std::size_t at = 0; at < encodings.size(); at += 3) {
        ASSERT_TRUE(client.Write(encodings.substr(at, 3)));
        Sleep(20);  // makes it likely that the pieces arrive apart; the log is the same without
    }
    ASSERT_TRUE(client.Write(std::string("\4\1\0\0\0\0\0\x62", 8)));
    ASSERT_NE(server.WaitForLine("key"), "");
    // After a type of unknown length nothing more can be split into messages.
    ASSERT_TRUE(client.Write(std::string("\x99\3\1\0\0\0\0\0\1\0\1", 11)));
    ASSERT_NE(server.WaitForLine("disconnect"), "");
    EXPECT_EQ(server.Lines(),
              (Lines{"connect", "version 003.008", "security 1", "init exclusive",
                     "encodings 5 1 77777 5", "key down 0x62", "message 153", "disconnect"}));
}

TEST(PatternServerControl, BellCutTextPaintAndResizeReachTheSession) {
    PatternServerProcess server;
    ASSERT_TRUE(server.Started()) << server.Output();
    PatternClient client;
    ASSERT_TRUE(client.Connect(server.Port()));
    ASSERT_TRUE(client.WaitForUpdates(1));
    EXPECT_EQ(PatternMismatches(client.framebuffer, 0), 0);

    // Commands it cannot run change nothing; the next one still runs.
    EXPECT_FALSE(server.Send("bell\nbell"));
    for (const char* bad : {"resize 0 10", "resize 320 5000", "resize 320", "paint 1 2 3 4",
                            "paint 1 2 3 4 12345g", "paint 1 2 -3 4 ffffff", "beep"}) {
        EXPECT_TRUE(server.Send(bad));
    }
    EXPECT_TRUE(server.Send("bell"));
    EXPECT_TRUE(client.WaitForCall("Bell"));
    EXPECT_EQ(client.session.Width(), 640);
    std::string output = server.Output();
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 8) << output;

    EXPECT_TRUE(server.Send("cut one\\ntwo \\xe9\\\\"));
    EXPECT_TRUE(client.WaitForCall("CutText"));
    EXPECT_EQ(client.CutText(), u"one\ntwo \u00e9\\");

    // Red at (10, 20)-(40, 60); green in the bottom-right corner, cut at the desktop's edge.
    EXPECT_TRUE(server.Send("paint 10 20 30 40 ff0000"));
    EXPECT_TRUE(server.Send("paint 630 470 50 50 00FF00"));
    // The paints come down the control pipe beside the session's requests: a request held until
    // something changes may be answered with the first alone, so ask again after each update
    // until the second has come.
    int asked = client.updates;
    client.session.SendFramebufferUpdateRequest(true, 0, 0, 640, 480);
    ASSERT_TRUE(WaitUntil([&] {
        if (client.framebuffer.At(639, 479) == 0x07E0) {
            return true;
        }
        if (client.updates > asked) {
            asked = client.updates;
            client.session.SendFramebufferUpdateRequest(true, 0, 0, 640, 480);
        }
        return false;
    }));
    EXPECT_EQ(client.framebuffer.At(10, 20), 0xF800u);
    EXPECT_EQ(client.framebuffer.At(39, 59), 0xF800u);
    EXPECT_EQ(client.framebuffer.At(40, 59), Pattern565(40, 59, 0));
    EXPECT_EQ(client.framebuffer.At(9, 20), Pattern565(9, 20, 0));
    EXPECT_EQ(client.framebuffer.At(630, 470), 0x07E0u);
    EXPECT_EQ(client.framebuffer.At(629, 470), Pattern565(629, 470, 0));

    // Each resize shows the other variant of the pattern.
    for (auto [width, height, variant] : {std::tuple{320, 200, 1}, std::tuple{64, 48, 0}}) {
        int before = client.updates;
        EXPECT_TRUE(server.Send("resize " + std::to_string(width) + " " + std::to_string(height)));
        client.session.SendFramebufferUpdateRequest(true, 0, 0, client.session.Width(),
                                                    client.session.Height());
        ASSERT_TRUE(WaitUntil([&] {
            return client.session.Width() == width && client.updates >= before + 2;
        })) << width;
        EXPECT_EQ(client.session.Height(), height);
        EXPECT_EQ(PatternMismatches(client.framebuffer, variant), 0) << width;
    }
    EXPECT_TRUE(client.WaitForCall("DesktopResize 64x48"));
}

TEST(PatternServerControl, BadMessageEndsTheSessionsMessageLoop) {
    PatternServerProcess server;
    ASSERT_TRUE(server.Started()) << server.Output();
    PatternClient client;
    ASSERT_TRUE(client.Connect(server.Port()));
    ASSERT_TRUE(client.WaitForUpdates(1));
    EXPECT_FALSE(client.LoopEnds(100));
    EXPECT_TRUE(server.Send("bad-message"));
    EXPECT_TRUE(client.LoopEnds());
}

TEST(PatternServerControl, CloseEndsEveryConnectionAndTheServerGoesOn) {
    PatternServerProcess server;
    ASSERT_TRUE(server.Started()) << server.Output();
    PatternClient first, second;
    ASSERT_TRUE(first.Connect(server.Port()));
    ASSERT_TRUE(second.Connect(server.Port()));
    ASSERT_TRUE(first.WaitForUpdates(1));
    ASSERT_TRUE(second.WaitForUpdates(1));
    EXPECT_TRUE(server.Send("close"));
    EXPECT_TRUE(first.LoopEnds());
    EXPECT_TRUE(second.LoopEnds());
    EXPECT_TRUE(first.WaitForCall("ConnectionLost"));
    EXPECT_TRUE(second.WaitForCall("ConnectionLost"));
    ASSERT_TRUE(WaitUntil([&] {
        Lines lines = server.Lines();
        return std::count(lines.begin(), lines.end(), "disconnect") == 2;
    }));

    std::size_t mark = server.Lines().size();
    PatternClient third;
    ASSERT_TRUE(third.Connect(server.Port()));
    EXPECT_TRUE(third.WaitForUpdates(1));
    EXPECT_EQ(server.WaitForLine("connect", 5000, mark), "connect");
}

TEST(PatternServerControl, QuitClosesTheConnectionsAndEnds) {
    PatternServerProcess server;
    ASSERT_TRUE(server.Started()) << server.Output();
    PatternClient client;
    ASSERT_TRUE(client.Connect(server.Port()));
    ASSERT_TRUE(client.WaitForUpdates(1));
    EXPECT_TRUE(server.Send("quit"));
    EXPECT_EQ(server.WaitForExit(), 0);
    Lines lines = server.Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "disconnect");
    EXPECT_TRUE(client.LoopEnds());
    // No one reads the pipe any more.
    EXPECT_FALSE(server.Send("bell"));
}

}  // namespace
