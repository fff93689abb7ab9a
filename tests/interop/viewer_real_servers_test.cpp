// The viewer against TigerVNC's Xtigervnc showing the pattern on its desktop: the device screen
// shows the server's picture (in the device's 5:6:5) at 100 %, 50 %, 200 % and fit, scrolled to
// the middle and to the bottom-right corner.
#include "interop_support.h"
#include "pattern.h"
#include "viewer_device.h"

#include <platform/text.h>
#include <platform/winsock.h>
#include <viewer/viewer_window.h>

namespace {

constexpr int kWidth = 640, kHeight = 480;

COLORREF PatternOnScreen(int x, int y) {
    std::uint8_t rgb[3];
    PatternColour(x, y, 0, rgb);
    return Expand565(static_cast<std::uint16_t>(((rgb[0] >> 3) << 11) | ((rgb[1] >> 2) << 5) |
                                                (rgb[2] >> 3)));
}

int WrongPixels(DeviceHarness& device, ViewerWindow& viewer) {
    return WrongPixels(device, viewer, kWidth, kHeight, PatternOnScreen);
}

class ViewerRealServers : public ViewerDevice {
  public:
    void SetUp() override {
        ViewerDevice::SetUp();
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    void TearDown() override {
        WSACleanup();
        ViewerDevice::TearDown();
    }
};

TEST_F(ViewerRealServers, TigerVncAtEveryZoomAndScroll) {
    REQUIRE_PROGRAMS("Xtigervnc", "display");
    std::string folder = MakeTempFolder();
    ServerProcess tiger({"Xtigervnc", ":170", "-rfbport", "6170", "-SecurityTypes", "None",
                         "-geometry", "640x480", "-depth", "24", "-localhost", "-interface",
                         "127.0.0.1", "-nolisten", "tcp", "-AlwaysShared"},
                        folder + "/tiger.log");
    ASSERT_TRUE(WaitForRfb(6170));
    std::string ppm = WritePatternPpm(folder, kWidth, kHeight, 0);
    RunProgram({"display", "-window", "root", ppm}, folder + "/display.log", {"DISPLAY=:170"});

    ServerRecord record;
    record.settings = DefaultServerSettings();
    lstrcpynW(record.settings.Hostname, u"127.0.0.1", kTextCapacity);
    record.settings.Port = 6170;
    ViewerWindow viewer(nullptr, u"TigerVNC", record, nullptr);
    ASSERT_TRUE(device.RunUntil([&] { return WrongPixels(device, viewer) == 0; }, 10000))
        << WrongPixels(device, viewer) << " pixels differ at 100 %";
    for (int percent : {50, 200}) {
        viewer.SetZoom(Fraction::Make(percent, 100), true);
        EXPECT_TRUE(device.RunUntil([&] { return WrongPixels(device, viewer) == 0; }, 5000))
            << percent;
    }
    SendMessageW(viewer.Handle(), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 300), 0);
    SendMessageW(viewer.Handle(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 250), 0);
    EXPECT_TRUE(device.RunUntil([&] { return WrongPixels(device, viewer) == 0; }, 5000))
        << "middle";
    SendMessageW(viewer.Handle(), WM_HSCROLL, SB_BOTTOM, 0);
    SendMessageW(viewer.Handle(), WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_TRUE(device.RunUntil([&] { return WrongPixels(device, viewer) == 0; }, 5000))
        << "bottom-right";
    SendMessageW(viewer.Handle(), WM_COMMAND, 32786, 0);  // "Fit to screen"
    EXPECT_TRUE(device.RunUntil([&] { return WrongPixels(device, viewer) == 0; }, 5000))
        << "fit";
    EXPECT_EQ(viewer.GetConnectionState(), kConnected);
}

}  // namespace
