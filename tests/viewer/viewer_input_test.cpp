// The viewer against our libvncserver pattern server, which logs every message it receives: taps
// at several zoom and scroll positions, typed text and keys, both ways of the clipboard, the bell,
// a desktop resize, a wrong password and the update requests of each rate.
#include <app/server_list_window.h>
#include <platform/clipboard.h>
#include <platform/dialog.h>
#include <platform/text.h>
#include <viewer/viewer_window.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <memory>
#include <set>
#include <string>

#include "pattern_server_process.h"
#include "process_threads.h"
#include "server_log_mark.h"
#include "ui_script.h"
#include "viewer_device.h"

namespace {

class ViewerInputTest : public ViewerDevice {
  public:
    // A viewer on the pattern server (640 x 480), connected and showing its first screen.
    std::unique_ptr<ViewerWindow> Open(LONG rate, bool activeUpdate = false,
                                       const char16_t* password = u"") {
        ServerRecord record;
        record.settings = DefaultServerSettings();
        lstrcpynW(record.settings.Hostname, u"127.0.0.1", kTextCapacity);
        lstrcpynW(record.settings.Password, password, kTextCapacity);
        record.settings.Port = server->Port();
        record.settings.Rate = rate;
        record.settings.ActiveUpdate = activeUpdate;
        auto viewer = std::make_unique<ViewerWindow>(nullptr, u"Pattern", record, nullptr);
        EXPECT_TRUE(device.RunUntil(
            [&] {
                return viewer->GetConnectionState() == kConnected &&
                       viewer->Store().GetWidth() == 640;
            },
            5000));
        EXPECT_FALSE(server->WaitForLine("update full 0 0 640 480").empty());
        device.PumpUntilIdle();
        return viewer;
    }
    void TapClient(ViewerWindow& viewer, int x, int y) {
        POINT at{x, y};
        ClientToScreen(viewer.Handle(), &at);
        device.Tap(at.x, at.y);
    }
    // Whether the store holds colour (as 0xRRGGBB, each component full or none) at its top left
    // corner, whatever the pixel format.
    static bool ShowsAtOrigin(ViewerWindow& viewer, std::uint32_t colour) {
        std::unique_ptr<BYTE[]> bgr =
            viewer.Store().CaptureRgb(viewer.Store().GetWidth(), viewer.Store().GetHeight());
        if (!bgr) {
            return false;
        }
        for (int i = 0; i < 3; ++i) {
            bool full = (colour >> (8 * i) & 0xFF) != 0;
            if (full ? bgr[i] < 0x80 : bgr[i] >= 0x40) {
                return false;
            }
        }
        return true;
    }
    // Rings the server's bell and waits until it is heard: everything the server sent before it
    // has been handled whole by then.
    void RingAndWait() {
        int beeps = device.Beeps();
        ASSERT_TRUE(server->Send("bell"));
        ASSERT_TRUE(device.RunUntil([&] { return device.Beeps() > beeps; }, 5000));
    }
    // The log's lines from index from on that start with prefix.
    std::vector<std::string> LinesFrom(std::size_t from, const std::string& prefix) {
        std::vector<std::string> lines = server->Lines(), found;
        for (std::size_t i = from; i < lines.size(); ++i) {
            if (lines[i].rfind(prefix, 0) == 0) {
                found.push_back(lines[i]);
            }
        }
        return found;
    }

    void SetUp() override {
        ViewerDevice::SetUp();
        server = std::make_unique<PatternServerProcess>(std::vector<std::string>{"--size", "640x480"});
        ASSERT_TRUE(server->Started()) << server->Output();
    }
    void TearDown() override {
        server.reset();
        ViewerDevice::TearDown();
    }
    std::unique_ptr<PatternServerProcess> server;
};

TEST_F(ViewerInputTest, TapsArriveAsPointerEventsAtEveryZoomAndScroll) {
    auto viewer = Open(kRateConstant);
    struct Case {
        int percent, scrollX, scrollY, tapX, tapY, x, y;
    };
    const Case cases[] = {
        {100, 0, 0, 10, 20, 10, 20},
        {50, 0, 0, 10, 20, 20, 40},
        {200, 30, 40, 10, 20, 20, 30},
        {100, 100, 60, 5, 5, 105, 65},
        {300, 300, 200, 30, 60, 110, 86},
    };
    for (const Case& c : cases) {
        viewer->SetZoom(Fraction::Make(c.percent, 100), true);
        SendMessageW(viewer->Handle(), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, c.scrollX), 0);
        SendMessageW(viewer->Handle(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, c.scrollY), 0);
        std::size_t from = server->Lines().size();
        TapClient(*viewer, c.tapX, c.tapY);
        std::string at = " " + std::to_string(c.x) + " " + std::to_string(c.y);
        EXPECT_FALSE(server->WaitForLine("pointer 0" + at, 3000, from).empty()) << c.percent;
        EXPECT_EQ(LinesFrom(from, "pointer"),
                  (std::vector<std::string>{"pointer 1" + at, "pointer 0" + at}))
            << c.percent;
    }
}

TEST_F(ViewerInputTest, TypedTextAndKeysArriveInOrderWithTheAltBracket) {
    auto viewer = Open(kRateConstant);
    SetForegroundWindow(viewer->Handle());
    SetFocus(viewer->Handle());
    std::size_t from = server->Lines().size();
    device.Type(u"Hi");
    device.PressKey(VK_RETURN);
    device.PressKey(VK_BACK);
    device.PressKey(VK_LEFT);
    device.PressKey('X', true);
    EXPECT_EQ(LinesUpToMark(*server, *viewer, from, "key"),
              (std::vector<std::string>{
                  "key down 0x48", "key up 0x48", "key down 0x69", "key up 0x69",
                  "key down 0xff0d", "key up 0xff0d", "key down 0xff08", "key up 0xff08",
                  "key down 0xff51", "key up 0xff51",
                  "key down 0xffe9", "key down 0x78", "key up 0xffe9",
                  "key down 0xffe9", "key up 0x78", "key up 0xffe9"}));
}

TEST_F(ViewerInputTest, ClipboardBellAndDesktopResize) {
    auto viewer = Open(kRateConstant);
    // The server's cut text lands on the device's clipboard, accented letters and all.
    ASSERT_TRUE(server->Send("cut caf\\xe9 au lait"));
    auto clipboardText = [&] {
        std::u16string text;
        if (OpenClipboard(nullptr)) {
            if (auto* data = static_cast<const WCHAR*>(GetClipboardData(CF_UNICODETEXT))) {
                text = data;
            }
            CloseClipboard();
        }
        return text;
    };
    EXPECT_TRUE(device.RunUntil([&] { return clipboardText() == u"caf\u00e9 au lait"; }, 3000));
    // The device's clipboard goes to the server when the viewer comes to the front.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const char16_t text[] = u"from the device";
    HLOCAL block = LocalAlloc(LMEM_FIXED, sizeof text);
    std::memcpy(block, text, sizeof text);
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
    SendMessageW(viewer->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_FALSE(server->WaitForLine("cut from the device").empty());

    int beeps = device.Beeps();
    ASSERT_TRUE(server->Send("bell"));
    EXPECT_TRUE(device.RunUntil([&] { return device.Beeps() == beeps + 1; }, 3000));

    // A smaller desktop: the store, the whole-screen request and the scroll bars follow.
    std::size_t from = server->Lines().size();
    ASSERT_TRUE(server->Send("resize 200 150"));
    EXPECT_TRUE(device.RunUntil([&] { return viewer->Store().GetWidth() == 200; }, 3000));
    EXPECT_FALSE(server->WaitForLine("update full 0 0 200 150", 3000, from).empty());
    auto horizontalRange = [&] {
        SCROLLINFO h{};
        h.cbSize = sizeof h;
        h.fMask = SIF_RANGE | SIF_PAGE;
        GetScrollInfo(viewer->Handle(), SB_HORZ, &h);
        return h.nMax;
    };
    EXPECT_TRUE(device.RunUntil([&] { return horizontalRange() == 0; }, 3000))
        << "200 pixels fit: no horizontal scroll bar";
    EXPECT_EQ(viewer->GetConnectionState(), kConnected);
}

TEST_F(ViewerInputTest, AWrongPasswordIsToldOnce) {
    server = std::make_unique<PatternServerProcess>(
        std::vector<std::string>{"--size", "640x480", "--password", "secret"});
    ASSERT_TRUE(server->Started());
    ServerRecord record;
    record.settings = DefaultServerSettings();
    lstrcpynW(record.settings.Hostname, u"127.0.0.1", kTextCapacity);
    lstrcpynW(record.settings.Password, u"wrong", kTextCapacity);
    record.settings.Port = server->Port();
    BoxAnswerer answerer(device);
    std::set<pid_t> threads = LiveThreads();
    ViewerWindow viewer(nullptr, u"Pattern", record, nullptr);
    EXPECT_TRUE(device.RunUntil(
        [&] {
            return viewer.GetConnectionState() == kDisconnected && !answerer.Texts().empty();
        },
        5000));
    // A second box would come from the session's threads: once they have ended, all they posted
    // has been handled.
    EXPECT_TRUE(device.RunUntil([&] { return NoThreadBeyond(threads); }, 10000));
    device.PumpUntilIdle();
    EXPECT_EQ(answerer.Texts(), std::vector<std::u16string>{u"VNC authentication failed"});
}

// After each change on the server "Constant" asks again at once; "Events" and a timed rate ask
// after input only (a tap: after its down and after its up), not after an update, not within the
// period; with "Only update visible portion" a request covers only what is shown.
TEST_F(ViewerInputTest, EachRateAsksForUpdatesWhenItShould) {
    auto countIncremental = [&](std::size_t from) {
        return LinesFrom(from, "update incremental").size();
    };
    {
        auto viewer = Open(kRateConstant);
        // The request that follows the first screen.
        ASSERT_FALSE(server->WaitForLine("update incremental", 5000).empty());
        std::size_t from = server->Lines().size();
        for (std::size_t i = 1; i <= 3; ++i) {
            server->Send("paint 0 0 50 50 " + std::string(i % 2 ? "ff0000" : "00ff00"));
            EXPECT_TRUE(device.RunUntil([&] { return countIncremental(from) >= i; }, 5000))
                << "Constant, change " << i;
        }
    }
    for (LONG rate : {LONG{kRateEvents}, LONG{30}}) {
        server =
            std::make_unique<PatternServerProcess>(std::vector<std::string>{"--size", "640x480"});
        ASSERT_TRUE(server->Started());
        auto viewer = Open(rate);
        server->Send("paint 0 0 50 50 ff0000");  // no request waits for it yet
        TapClient(*viewer, 10, 10);
        // The red square answers the first request; anything the viewer asked for on its own
        // after that update went out before the mark.
        ASSERT_TRUE(device.RunUntil([&] { return ShowsAtOrigin(*viewer, 0xFF0000); }, 5000));
        RingAndWait();
        std::vector<std::string> steps;
        for (const std::string& line : LinesUpToMark(*server, *viewer, 0, "")) {
            if (line.rfind("pointer", 0) == 0) {
                steps.push_back(line.rfind("pointer 0", 0) == 0 ? "up" : "down");
            } else if (line.rfind("update incremental", 0) == 0) {
                steps.push_back("ask");
            }
        }
        EXPECT_EQ(steps, (std::vector<std::string>{"down", "ask", "up", "ask"})) << "rate " << rate;
    }
    {
        auto viewer = Open(kRateEvents, true);
        SendMessageW(viewer->Handle(), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 100), 0);
        SendMessageW(viewer->Handle(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 60), 0);
        std::size_t from = server->Lines().size();
        TapClient(*viewer, 10, 10);
        RECT client{};
        GetClientRect(viewer->Handle(), &client);
        std::string area = "update incremental 100 60 " + std::to_string(client.right) + " " +
                           std::to_string(client.bottom);
        EXPECT_FALSE(server->WaitForLine(area, 3000, from).empty()) << area;
    }
}

}  // namespace

namespace {

std::size_t Entries(const char* folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

// 200 viewers opened and closed at random moments: while connecting, in the middle of updates
// the server keeps sending, or with an error box up (a wrong password). None hangs, and no thread
// or socket is left behind.
TEST_F(ViewerInputTest, TwoHundredViewersClosedAtRandomMomentsLeaveNothingBehind) {
    PatternServerProcess locked({"--size", "640x480", "--password", "secret"});
    ASSERT_TRUE(locked.Started());
    std::size_t threadsBefore = Entries("/proc/self/task");
    std::size_t filesBefore = Entries("/proc/self/fd");
    std::mt19937 random(2026);
    std::unique_ptr<ViewerWindow> viewer;
    CloseUnderErrorBox closer(device, viewer);
    for (int i = 0; i < 200; ++i) {
        bool wrongPassword = i % 10 == 9;
        ServerRecord record;
        record.settings = DefaultServerSettings();
        lstrcpynW(record.settings.Hostname, u"127.0.0.1", kTextCapacity);
        lstrcpynW(record.settings.Password, u"wrong", kTextCapacity);
        record.settings.Port = wrongPassword ? locked.Port() : server->Port();
        if (i % 4 == 0) {
            server->Send("paint " + std::to_string(i % 600) + " 0 40 480 ff00ff");
        }
        viewer = std::make_unique<ViewerWindow>(nullptr, u"Pattern", record, nullptr);
        // A wrong password is waited for until its box is up; the others close at any moment.
        int wait = wrongPassword ? 3000 : static_cast<int>(random() % 60);
        device.RunUntil([&] { return !viewer; }, wait);
        viewer.reset();
        device.PumpUntilIdle();
    }
    EXPECT_EQ(device.FindTopLevel(kClientWindowClass), nullptr);
    // Threads and sockets of the last sessions are gone once their closes have run.
    EXPECT_TRUE(device.RunUntil(
        [&] {
            return Entries("/proc/self/task") <= threadsBefore &&
                   Entries("/proc/self/fd") <= filesBefore;
        },
        3000))
        << Entries("/proc/self/task") << " threads (" << threadsBefore << " before), "
        << Entries("/proc/self/fd") << " files (" << filesBefore << " before)";
    EXPECT_GT(closer.Closed(), 0);
}

}  // namespace

namespace {

// Saving the server's settings while its viewer is open: the new pixel format goes to the server
// with a request for the whole screen, and the session carries on.
TEST_F(ViewerInputTest, ANewVideoModeWhileConnectedAsksForTheWholeScreenInIt) {
    auto viewer = Open(kRateConstant);
    // A box would mean an update read in the wrong format: answered, counted, never waited on.
    int boxes = 0;
    UiScript script(device);
    script.When([&] { return device.FindTopLevel(u"MessageBox") != nullptr; }, [&] {
        ++boxes;
        HWND box = device.FindTopLevel(u"MessageBox");
        RECT ok = device.ScreenRectOf(GetDlgItem(box, IDOK));
        device.Tap((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2);
    });
    script.Start();
    // The change is made once the first screen has arrived whole (the viewer then asks for
    // changes): a request made while an update is on its way may be answered by a second
    // update in the old format after the switch, which the protocol gives no way to tell.
    ASSERT_FALSE(server->WaitForLine("update incremental", 5000).empty());
    std::size_t from = server->Lines().size();
    ServerSettings settings = DefaultServerSettings();
    lstrcpynW(settings.Hostname, u"127.0.0.1", kTextCapacity);
    settings.Port = server->Port();
    settings.VideoMode = 1;  // "8-bit lower bandwidth"
    viewer->ApplySettings(&settings);
    std::string format = server->WaitForLine("format 8 8 ", 3000, from);
    EXPECT_FALSE(format.empty());
    EXPECT_FALSE(server->WaitForLine("update full 0 0 640 480", 3000, from).empty());
    // Updates keep coming in the new format; the session is still there.
    server->Send("paint 0 0 64 64 ff0000");
    EXPECT_TRUE(device.RunUntil([&] { return ShowsAtOrigin(*viewer, 0xFF0000); }, 5000));
    EXPECT_EQ(viewer->GetConnectionState(), kConnected);
    std::vector<std::string> lines = server->Lines();
    EXPECT_EQ(std::count(lines.begin() + static_cast<std::ptrdiff_t>(from), lines.end(),
                         "disconnect"),
              0);
    // The same settings again send nothing new, also not at the end of the next update (where a
    // format waiting to go would go).
    from = server->Lines().size();
    viewer->ApplySettings(&settings);
    server->Send("paint 0 0 64 64 0000ff");
    EXPECT_TRUE(device.RunUntil([&] { return ShowsAtOrigin(*viewer, 0x0000FF); }, 5000));
    RingAndWait();
    EXPECT_TRUE(LinesUpToMark(*server, *viewer, from, "format").empty());
    EXPECT_TRUE(LinesFrom(from, "update full").empty());
    script.Stop();
    EXPECT_EQ(boxes, 0);
}

}  // namespace
