// The viewer on the test device against a server on 127.0.0.1 that replays a recorded session of
// the pattern's screen: opened from the server list, the device screen shows the server's picture
// at every zoom and scroll position, and a server that goes away at any moment of the session
// leaves a viewer that closes cleanly.
#include <widgets/client_window.h>
#include <app/server_list_item.h>
#include <app/server_list_window.h>
#include <display/display.h>
#include <encodings/standard_decoders.h>
#include <platform/commctrl.h>
#include <platform/dialog.h>
#include <platform/resources.h>
#include <platform/text.h>
#include <platform/winsock.h>
#include <platform_testing/device_harness.h>
#include <resources/resources.h>
#include <rfb/decoder_registry.h>
#include <settings/viewer_messages.h>
#include <viewer/viewer_window.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <set>

#include "cutting_replay_server.h"
#include "process_threads.h"
#include "viewer_device.h"
#include "screen_recording.h"
#include "temp_home.h"
#include "test_windows.h"
#include "ui_script.h"

namespace {

constexpr int kWidth = 1024, kHeight = 768;

const ScreenRecording& Recording() {
    static ScreenRecording recording = RecordPatternScreen(kWidth, kHeight, 5);
    return recording;
}

class ViewerTest : public ViewerDevice {
  public:

    // A saved server at the replay server's port.
    void SaveServer(int port) {
        ServerSettings settings = DefaultServerSettings();
        lstrcpynW(settings.Hostname, u"127.0.0.1", kTextCapacity);
        settings.Port = port;
        settings.Rate = kRateEvents;  // the replay answers no request
        ServerList list;
        list.Create(u"Pattern", settings);
    }

    int WrongPixels(ViewerWindow& viewer, int* probed = nullptr) {
        return ::WrongPixels(
            device, viewer, kWidth, kHeight,
            [](int x, int y) { return Expand565(PatternPixel565(x, y)); }, 5, probed);
    }
    void ExpectScreenShowsPattern(ViewerWindow& viewer, const std::string& what) {
        int probed = 0;
        EXPECT_EQ(WrongPixels(viewer, &probed), 0) << what;
        EXPECT_GT(probed, 500) << what;
    }

};

ServerRecord* OnlyRecord(ServerListWindow& list) {
    return list.Servers().Count() == 1 ? list.Servers().At(0) : nullptr;
}

TEST_F(ViewerTest, AServerOpenedFromTheListShowsItsScreenAtEveryZoomAndScroll) {
    CuttingReplayServer server(Recording().bytes);
    server.ServeOne(Recording().bytes.size(), CuttingReplayServer::Ending::Stall);
    SaveServer(server.Port());
    ServerListWindow list(u"Tavrel", CreateViewerWindow);
    device.PumpUntilIdle();
    RECT item{};
    item.left = LVIR_BOUNDS;
    SendMessageW(list.ListView(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    POINT at{item.left + 100, (item.top + item.bottom) / 2};
    ClientToScreen(list.ListView(), &at);
    device.Tap(at.x, at.y);
    ServerRecord* record = OnlyRecord(list);
    ASSERT_NE(record, nullptr);
    ASSERT_NE(record->viewer, nullptr);
    auto& viewer = *static_cast<ViewerWindow*>(record->viewer);
    ASSERT_TRUE(device.RunUntil(
        [&] { return viewer.GetConnectionState() == kConnected && viewer.Store().GetWidth() == kWidth; },
        5000));
    EXPECT_EQ(device.TextOf(viewer.Handle()), u"pattern");
    // The picture is whole once the update has ended; the list's item says "Connected".
    ASSERT_TRUE(device.RunUntil([&] { return WrongPixels(viewer) == 0; }, 5000));
    EXPECT_EQ(ConnectionStateTextId(*record), 1002u);
    device.SaveScreenshot(ScreenshotPath("viewer_100.png"));
    ExpectScreenShowsPattern(viewer, "100 %");

    for (int percent : {50, 200, 25, 300}) {
        viewer.SetZoom(Fraction::Make(percent, 100), true);
        device.PumpUntilIdle();
        ExpectScreenShowsPattern(viewer, "zoom " + std::to_string(percent));
    }
    SendMessageW(viewer.Handle(), WM_COMMAND, 32789, 0);  // "100%"
    SendMessageW(viewer.Handle(), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 400), 0);
    SendMessageW(viewer.Handle(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 250), 0);
    device.PumpUntilIdle();
    ExpectScreenShowsPattern(viewer, "scrolled to the middle");
    SendMessageW(viewer.Handle(), WM_HSCROLL, SB_BOTTOM, 0);
    SendMessageW(viewer.Handle(), WM_VSCROLL, SB_BOTTOM, 0);
    device.PumpUntilIdle();
    ExpectScreenShowsPattern(viewer, "scrolled to the bottom-right corner");
    SendMessageW(viewer.Handle(), WM_COMMAND, 32786, 0);  // "Fit to screen"
    device.PumpUntilIdle();
    // The width is the tighter fit on a tall screen, and the whole width once the scroll bars
    // have gone.
    EXPECT_EQ(viewer.GetZoom().den, kWidth);
    EXPECT_EQ(viewer.GetZoom().num, 240);
    for (int bar : {SB_HORZ, SB_VERT}) {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE;
        GetScrollInfo(viewer.Handle(), bar, &info);
        EXPECT_EQ(info.nMax, 0) << "a picture that fits exactly needs no scroll bar";
    }
    ExpectScreenShowsPattern(viewer, "fit to screen");
    device.SaveScreenshot(ScreenshotPath("viewer_fit.png"));

    // "Close server": the thumbnail is written and the record has no viewer any more.
    WCHAR path[kTextCapacity];
    ThumbnailPath(record, path);
    SendMessageW(viewer.Handle(), WM_COMMAND, 32779, 0);
    EXPECT_EQ(record->viewer, nullptr);
    std::string file = home.DeviceFile("Program Files/Tavrel/" +
                                       std::string(record->Id, record->Id + kServerIdLength) +
                                       ".bmp");
    EXPECT_EQ(std::filesystem::file_size(file), 54u + (128u * 3u) * 96u);
    device.PumpUntilIdle();
    device.SaveScreenshot(ScreenshotPath("server_list_thumbnail.png"));
}

// The server goes away at every byte of the opening and at places spread over the screen's
// rectangle; each viewer ends "Disconnected" (or still waiting) and closes at once, also while
// its message thread is still decoding what had arrived.
TEST_F(ViewerTest, AServerThatGoesAwayAtAnyMomentLeavesAViewerThatClosesCleanly) {
    const ScreenRecording& recording = Recording();
    CuttingReplayServer server(recording.bytes);
    SaveServer(server.Port());
    std::vector<std::size_t> cuts;
    for (std::size_t cut = 0; cut <= recording.payloadStart + 4; cut += 3) {
        cuts.push_back(cut);
    }
    std::mt19937 random(12345);
    std::uniform_int_distribution<std::size_t> inside(recording.payloadStart, recording.bytes.size());
    for (int i = 0; i < 40; ++i) {
        cuts.push_back(inside(random));
    }
    ServerList list;
    list.LoadAll();
    ServerRecord* record = list.At(0);
    std::unique_ptr<ViewerWindow> viewer;
    CloseUnderErrorBox closer(device, viewer);
    int index = 0, disconnected = 0;
    for (std::size_t cut : cuts) {
        auto ending = index++ % 3 == 0 ? CuttingReplayServer::Ending::Reset
                                       : CuttingReplayServer::Ending::Close;
        server.ServeOne(cut, ending);
        viewer = std::make_unique<ViewerWindow>(nullptr, u"Pattern", *record, nullptr);
        // Closed at once for some, once the connection has ended for the others.
        if (index % 2 == 0) {
            device.RunUntil(
                [&] { return !viewer || viewer->GetConnectionState() == kDisconnected; }, 3000);
            disconnected += viewer && viewer->GetConnectionState() == kDisconnected;
        } else {
            device.PumpUntilIdle();
        }
        viewer.reset();
        device.PumpUntilIdle();
        EXPECT_EQ(device.FindTopLevel(kClientWindowClass), nullptr) << "cut " << cut;
        server.Wait();
    }
    EXPECT_EQ(index, static_cast<int>(cuts.size()));
    EXPECT_GT(disconnected + closer.Closed(), 0);
}

}  // namespace

namespace {

// Each failure is told once, in an "Error" box with its text, and leaves the viewer
// "Disconnected"; a server that goes away tells nothing.
TEST_F(ViewerTest, FailuresAreToldOnceAndLeaveTheViewerDisconnected) {
    const ScreenRecording& recording = Recording();
    std::vector<std::uint8_t> unknownMessage = recording.bytes;
    unknownMessage.push_back(0xEE);
    CuttingReplayServer badServer(unknownMessage);
    CuttingReplayServer goneServer(recording.bytes);
    int refusedPort = 0;
    {
        CuttingReplayServer closed(recording.bytes);  // a port that nothing listens on any more
        refusedPort = closed.Port();
    }
    struct Case {
        const char16_t* host;
        int port;
        const char16_t* text;  // null: no box
    };
    const Case cases[] = {
        {u"no-such-host.invalid", 5900, u"Host lookup failed"},
        {u"127.0.0.1", refusedPort, u"Connection refused"},
        {u"127.0.0.1", badServer.Port(), u"VNC connection failed"},
        {u"127.0.0.1", goneServer.Port(), nullptr},
    };
    badServer.ServeOne(unknownMessage.size(), CuttingReplayServer::Ending::Stall);
    goneServer.ServeOne(recording.bytes.size(), CuttingReplayServer::Ending::Close);
    for (const Case& c : cases) {
        ServerRecord record;
        record.settings = DefaultServerSettings();
        lstrcpynW(record.settings.Hostname, c.host, kTextCapacity);
        record.settings.Port = c.port;
        record.settings.Rate = kRateEvents;
        BoxAnswerer answerer(device);
        std::set<pid_t> threads = LiveThreads();
        ViewerWindow viewer(nullptr, u"Server", record, nullptr);
        std::string what(c.host, c.host + lstrlenW(c.host));
        EXPECT_TRUE(device.RunUntil(
            [&] {
                return viewer.GetConnectionState() == kDisconnected &&
                       (c.text == nullptr || !answerer.Texts().empty());
            },
            10000))
            << what;
        // A second box would come from the session's threads: once they have ended, all they
        // posted has been handled.
        EXPECT_TRUE(device.RunUntil([&] { return NoThreadBeyond(threads); }, 10000)) << what;
        device.PumpUntilIdle();
        if (c.text == nullptr) {
            EXPECT_TRUE(answerer.Texts().empty()) << what;
        } else {
            EXPECT_EQ(answerer.Texts(), std::vector<std::u16string>{c.text}) << what;
            EXPECT_EQ(answerer.Captions(), std::vector<std::u16string>{u"Error"}) << what;
        }
        EXPECT_EQ(viewer.GetConnectionState(), kDisconnected) << what;
    }
}

}  // namespace

namespace {

int ViewerWindows(DeviceHarness& device, HWND list) {
    int count = 0;
    for (HWND window : device.TopLevels()) {
        WCHAR name[64];
        GetClassNameW(window, name, 64);
        count += std::u16string(name) == kClientWindowClass && window != list &&
                 GetWindow(window, GW_OWNER) == nullptr;
    }
    return count;
}

// While the password prompt of a server being opened is up, opening it again makes no second
// viewer; "List" hides the viewer and brings the list forward; the zoom bar's toggle is kept in
// the server's key.
TEST_F(ViewerTest, OneViewerPerServerAndItsWindowCommands) {
    CuttingReplayServer server(Recording().bytes);
    server.ServeOne(Recording().bytes.size(), CuttingReplayServer::Ending::Stall);
    {
        ServerSettings settings = DefaultServerSettings();
        lstrcpynW(settings.Hostname, u"127.0.0.1", kTextCapacity);
        settings.Port = server.Port();
        settings.SavePassword = false;
        settings.Rate = kRateEvents;
        ServerList saved;
        saved.Create(u"Asks", settings);
    }
    ServerListWindow list(u"Tavrel", CreateViewerWindow);
    device.PumpUntilIdle();
    LVITEMW select{};
    select.state = select.stateMask = LVIS_SELECTED;
    SendMessageW(list.ListView(), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&select));
    int viewersDuringPrompt = 0;
    UiScript script(device);
    script.InDialog([&](HWND dialog) {
        SendMessageW(list.Handle(), WM_COMMAND, 40100, 0);  // opened again meanwhile
        SendMessageW(list.Handle(), WM_COMMAND, 40100, 0);
        viewersDuringPrompt = ViewerWindows(device, list.Handle());
        script.TapControl(dialog, 1007);
        device.Type(u"secret");
        device.Tap(240 - 12, 13);
    });
    script.Start();
    SendMessageW(list.Handle(), WM_COMMAND, 40100, 0);
    ASSERT_TRUE(script.Run());
    EXPECT_EQ(viewersDuringPrompt, 1);
    ServerRecord* record = OnlyRecord(list);
    ASSERT_NE(record, nullptr);
    ASSERT_NE(record->viewer, nullptr);
    auto& viewer = *static_cast<ViewerWindow*>(record->viewer);
    ASSERT_TRUE(device.RunUntil([&] { return viewer.GetConnectionState() == kConnected; }, 5000));
    EXPECT_EQ(ViewerWindows(device, list.Handle()), 1);

    SendMessageW(viewer.Handle(), WM_COMMAND, 40102, 0);  // "List"
    device.PumpUntilIdle();
    EXPECT_FALSE(IsWindowVisible(viewer.Handle()));
    EXPECT_EQ(GetForegroundWindow(), list.Handle());
    EXPECT_EQ(viewer.GetConnectionState(), kConnected) << "the connection stays open";
    SendMessageW(list.Handle(), WM_COMMAND, 40100, 0);  // opened again: the same viewer
    device.PumpUntilIdle();
    EXPECT_TRUE(IsWindowVisible(viewer.Handle()));
    EXPECT_EQ(GetForegroundWindow(), viewer.Handle());

    auto showZoombar = [&] {
        std::unique_ptr<SettingsKey> servers(OpenSettingsCollection(u"Servers"));
        std::unique_ptr<SettingsKey> key(servers->openSubkey(record->Id));
        return key->readDword(u"ShowZoombar", 7);
    };
    SendMessageW(viewer.Handle(), WM_COMMAND, 32785, 0);
    EXPECT_EQ(showZoombar(), 1u);
    EXPECT_TRUE(IsWindowVisible(viewer.ZoomBarWidget().Handle()));
    EXPECT_EQ(GetForegroundWindow(), viewer.Handle()) << "the bar takes no activation";
    SendMessageW(viewer.Handle(), WM_COMMAND, 32785, 0);
    EXPECT_EQ(showZoombar(), 0u);
    EXPECT_FALSE(IsWindowVisible(viewer.ZoomBarWidget().Handle()));
}

}  // namespace
