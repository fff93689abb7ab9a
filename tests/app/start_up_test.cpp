// ClientWindow, the single-instance check and the start-up's message loop, on the test device.
#include <widgets/client_window.h>
#include <app/start_up.h>
#include <platform/resources.h>
#include <platform_testing/device_harness.h>
#include <resources/resources.h>
#include <rfb/decoder_registry.h>

#include <gtest/gtest.h>

namespace {

class Probe : public ClientWindow {
  public:
    Probe(LPCWSTR title, UINT menuBar) : ClientWindow(nullptr, title, menuBar, false) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        ++seen;
        return ClientWindow::WindowProc(message, wParam, lParam);
    }
    int seen = 0;
};

class StartUpTest : public ::testing::Test {
  public:
    void SetUp() override {
        InstallResources(GetModuleHandleW(nullptr));
        CheckSingleInstance(GetModuleHandleW(nullptr));  // keeps the instance for ClientWindow
        ClientWindow::RegisterWindowClass(GetModuleHandleW(nullptr));
    }
    void TearDown() override { ClientWindow::UnregisterWindowClass(GetModuleHandleW(nullptr)); }
    DeviceHarness device;
};

TEST_F(StartUpTest, AClientWindowFillsTheWorkAreaDownToItsMenuBar) {
    Probe window(u"Probe", IDR_SERVER_LIST_BAR);
    ASSERT_NE(window.Handle(), nullptr);
    ASSERT_NE(window.MenuBar(), nullptr);
    EXPECT_EQ(reinterpret_cast<Probe*>(GetWindowLongPtrW(window.Handle(), GWL_USERDATA)), &window);
    RECT area = device.ScreenRectOf(window.Handle());
    EXPECT_EQ(area.top, 26);
    EXPECT_EQ(area.bottom, device.ScreenRectOf(window.MenuBar()).top);
    EXPECT_EQ(area.right - area.left, 240);
    EXPECT_EQ(GetForegroundWindow(), window.Handle());
    HMENU popup = window.MenuBarPopup(40400);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(ClientWindow::MenuBarPopupByIndex(window.Handle(), 1), popup);
    EXPECT_EQ(ClientWindow::MenuBarPopupByIndex(window.Handle(), 0), nullptr);  // "Select" is plain
}

TEST_F(StartUpTest, AWindowWithoutAMenuBarKeepsItsFullSize) {
    Probe window(u"Probe", 4242);  // no such record
    EXPECT_EQ(window.MenuBar(), nullptr);
    EXPECT_EQ(device.ScreenRectOf(window.Handle()).bottom, 320);
}

// A window built as the viewer is: scroll bars, the viewer's soft-key bar and the topic "Client".
class ScrolledProbe : public ClientWindow {
  public:
    ScrolledProbe() : ClientWindow(nullptr, u"Server", IDR_VIEWER_BAR, true) {}
    LPCWSTR HelpTopic() override { return u"Client"; }
};

TEST_F(StartUpTest, TheShellsHelpCommandOpensTheForegroundWindowsTopic) {
    device.ClearStartedProcesses();
    Probe plain(u"Probe", 0);
    device.PumpUntilIdle();
    device.RequestHelp();  // no topic: nothing starts
    EXPECT_TRUE(device.StartedProcesses().empty());

    ScrolledProbe viewer;
    viewer.Show(true);
    device.PumpUntilIdle();
    device.RequestHelp();
    EXPECT_EQ(device.StartedProcesses(),
              std::vector<std::u16string>{u"peghelp.exe|file:Tavrel.htm#Client"});
    // Its scroll bars are shown and take their room from the client area above the menu bar.
    RECT area = device.ScreenRectOf(viewer.Handle());
    RECT client{};
    GetClientRect(viewer.Handle(), &client);
    EXPECT_EQ(area.bottom, device.ScreenRectOf(viewer.MenuBar()).top);
    EXPECT_EQ(client.right, 240 - GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(client.bottom, area.bottom - area.top - GetSystemMetrics(SM_CYHSCROLL));
    viewer.Destroy();
    plain.Destroy();
}

TEST_F(StartUpTest, DestroyDetachesTheObjectBeforeTheWindowGoes) {
    auto* window = new Probe(u"Probe", 0);
    HWND handle = window->Handle();
    SendMessageW(handle, WM_USER, 0, 0);
    EXPECT_EQ(window->seen, 1);
    window->Destroy();  // WM_DESTROY and WM_NCDESTROY no longer reach the object
    EXPECT_EQ(window->seen, 1);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(window->Handle(), nullptr);
    delete window;
}

TEST_F(StartUpTest, FindsTheShowToolbarItemInTheViewerMenu) {
    HMENU bar = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_VIEWER));
    HMENU keyboard = GetSubMenu(GetSubMenu(bar, 0), 1);
    EXPECT_EQ(ClientWindow::FindShowToolbarMenu(bar), keyboard);
    EXPECT_EQ(ClientWindow::FindShowToolbarMenu(GetSubMenu(bar, 0)), keyboard);
    HMENU other = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_SERVER_LIST));
    EXPECT_EQ(ClientWindow::FindShowToolbarMenu(other), nullptr);
    DestroyMenu(bar);
    DestroyMenu(other);
}

TEST_F(StartUpTest, ASecondInstanceBringsTheRunningWindowForward) {
    Probe running(u"Tavrel", IDR_SERVER_LIST_BAR);
    Probe other(u"Some server", IDR_VIEWER_BAR);
    ASSERT_EQ(GetForegroundWindow(), other.Handle());
    EXPECT_FALSE(CheckSingleInstance(GetModuleHandleW(nullptr)));
    EXPECT_EQ(GetForegroundWindow(), running.Handle());
    // Its menu bar came forward with it.
    std::vector<HWND> order = device.TopLevels();
    auto position = [&](HWND w) {
        return std::find(order.begin(), order.end(), w) - order.begin();
    };
    EXPECT_GT(position(running.MenuBar()), position(other.MenuBar()));
}

TEST_F(StartUpTest, ANoOtherInstanceMeansStartUpGoesOn) {
    Probe viewer(u"Some server", IDR_VIEWER_BAR);
    EXPECT_TRUE(CheckSingleInstance(GetModuleHandleW(nullptr)));
}

// Runs the program's RunProgram; a timer procedure taps "Menu" and then "Exit" like a person would.
TEST_F(StartUpTest, MenuExitEndsTheProgramWithCodeZero) {
    ClientWindow::UnregisterWindowClass(GetModuleHandleW(nullptr));  // RunProgram registers it
    static StartUpTest* self;
    static bool sawMenu;
    static std::vector<int> encodings;
    self = this, sawMenu = false;
    SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        encodings = RegisteredEncodings();
        HWND main = self->device.FindTopLevel(kClientWindowClass, u"Tavrel");
        EXPECT_NE(main, nullptr);
        EXPECT_EQ(self->device.TextOf(main), u"Tavrel");
        SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR next, DWORD) {
            sawMenu = self->device.FindTopLevel(u"MNU") != nullptr;
            if (!sawMenu) {
                return;  // the menu opens with the next messages
            }
            KillTimer(nullptr, next);
            // "Exit" is the fourth item of the menu above the bar: 1 + 21 + 21 + 7 pixels down.
            RECT menu = self->device.ScreenRectOf(self->device.FindTopLevel(u"MNU"));
            self->device.Tap((menu.left + menu.right) / 2, menu.top + 1 + 21 + 21 + 7 + 10);
        });
        self->device.Tap(180, 307);  // "Menu"
    });
    int code = RunProgram(GetModuleHandleW(nullptr), nullptr);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(sawMenu);
    // While it ran, the seven decoders were registered (advertised by priority); at exit, none.
    EXPECT_EQ(encodings.size(), 7u);
    EXPECT_TRUE(RegisteredEncodings().empty());
    EXPECT_EQ(device.FindTopLevel(kClientWindowClass), nullptr);
    ClientWindow::RegisterWindowClass(GetModuleHandleW(nullptr));
}

}  // namespace
