// The server list and the server editor driven on the test device as a person would: taps on the
// soft keys, the list and the dialog's controls, typing, and the task bar's "ok".
#include <widgets/client_window.h>
#include <app/server_editor.h>
#include <app/server_list_item.h>
#include <app/server_list_window.h>
#include <app/start_up.h>
#include <platform/commctrl.h>
#include <platform/dialog.h>
#include <platform/fs.h>
#include <platform/menu.h>
#include <platform/resources.h>
#include <platform/text.h>
#include <platform_testing/device_harness.h>
#include <resources/resources.h>
#include <settings/server_list.h>
#include <settings/thumbnail.h>
#include <settings/viewer_messages.h>

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "temp_home.h"
#include "test_windows.h"
#include "ui_script.h"

extern char** environ;

namespace {

constexpr int kTitleEdit = 1011, kHostEdit = 1012, kPortCombo = 1005, kPasswordEdit = 1007;
constexpr int kSavePasswordCheck = 1014, kRateList = 1010, kVideoModeList = 1009;
constexpr UINT kEdit = 32777, kDelete = 32778;
const POINT kMenuKey{180, 307};
const POINT kTaskBarOk{240 - 12, 13};

// A viewer as the list sees it: a state, a window, and a count of its destruction.
class FakeViewer : public ServerViewer {
  public:
    explicit FakeViewer(int* destroyed = nullptr) : destroyed_(destroyed) {}
    ~FakeViewer() override {
        if (destroyed_ != nullptr) {
            ++*destroyed_;
        }
    }
    void ApplySettings(const ServerSettings*) override {}
    int GetConnectionState() const override { return state; }
    HWND GetWindow() const override { return nullptr; }
    int state = kConnecting;

  private:
    int* destroyed_;
};

ServerSettings Settings(LPCWSTR host, LONG port) {
    ServerSettings s = DefaultServerSettings();
    lstrcpynW(s.Hostname, host, kTextCapacity);
    s.Port = port;
    return s;
}

// The server's thumbnail file on the device (made by the program's folder lookup).
std::u16string ThumbnailOf(const std::u16string& id) {
    ServerRecord record;
    lstrcpynW(record.Id, id.c_str(), kServerIdLength + 2);
    WCHAR path[kTextCapacity];
    ThumbnailPath(&record, path);
    return path;
}

std::u16string Text(HWND dialog, int id) {
    WCHAR text[kTextCapacity];
    GetDlgItemTextW(dialog, id, text, kTextCapacity);
    return text;
}

class ServerListTest : public ::testing::Test {
  public:
    void SetUp() override {
        InstallResources(GetModuleHandleW(nullptr));
        InitCommonControls();
        CheckSingleInstance(GetModuleHandleW(nullptr));
        ClientWindow::RegisterWindowClass(GetModuleHandleW(nullptr));
    }
    void TearDown() override { ClientWindow::UnregisterWindowClass(GetModuleHandleW(nullptr)); }

    // Saves servers as earlier runs of the program would have.
    static std::vector<std::u16string> SaveServers(
        std::initializer_list<std::pair<LPCWSTR, ServerSettings>> servers) {
        ServerList list;
        std::vector<std::u16string> ids;
        for (const auto& [title, settings] : servers) {
            ids.push_back(list.Create(title, settings)->Id);
        }
        return ids;
    }

    // The screen rectangle of list item i.
    RECT ItemOnScreen(const ServerListWindow& window, int i) {
        RECT item{};
        item.left = LVIR_BOUNDS;
        SendMessageW(window.ListView(), LVM_GETITEMRECT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&item));
        POINT origin{0, 0};
        ClientToScreen(window.ListView(), &origin);
        OffsetRect(&item, origin.x, origin.y);
        return item;
    }
    void HoldOnItem(const ServerListWindow& window, int i) {
        RECT item = ItemOnScreen(window, i);
        device.PressAndHold(item.left + 100, (item.top + item.bottom) / 2);
    }
    std::vector<std::u16string> Titles(ServerListWindow& window) {
        std::vector<std::u16string> titles;
        for (std::size_t i = 0; i < window.Servers().Count(); ++i) {
            titles.push_back(window.Servers().At(i)->Title);
        }
        return titles;
    }

    DeviceHarness device;
    TempHome home;
};

// The program itself: a person adds a server through "Menu" > "Add", ends the program, and a new
// process on the same home folder lists it with every setting as typed.
TEST_F(ServerListTest, AServerAddedThroughTheMenuIsThereAfterARestart) {
    ClientWindow::UnregisterWindowClass(GetModuleHandleW(nullptr));  // RunProgram registers it
    UiScript script(device);
    std::u16string shownTitle, shownPort;
    bool passwordEnabledAfterUncheck = true;
    script.When([] { return true; }, [&] { device.Tap(kMenuKey.x, kMenuKey.y); })
        .InMenu([&](RECT menu) { script.TapMenuItem(menu, 0); })  // "Add"
        .InDialog([&](HWND dialog) {
            shownTitle = Text(dialog, kTitleEdit);
            shownPort = Text(dialog, kPortCombo);
            device.SaveScreenshot(ScreenshotPath("server_editor.png"));
            script.TapControl(dialog, kTitleEdit);
            SendDlgItemMessageW(dialog, kTitleEdit, EM_SETSEL, 0, -1);
            device.Type(u"Office desktop");
            script.TapControl(dialog, kHostEdit);
            device.Type(u"desk.example");
            RECT port = device.ScreenRectOf(GetDlgItem(dialog, kPortCombo));
            device.Tap(port.left + 30, (port.top + port.bottom) / 2);  // its field, after ":0"
            device.PressKey(VK_BACK);
            device.PressKey(VK_BACK);
            device.Type(u":1");
            script.TapControl(dialog, kSavePasswordCheck);
            passwordEnabledAfterUncheck = IsWindowEnabled(GetDlgItem(dialog, kPasswordEdit));
            device.Tap(kTaskBarOk.x, kTaskBarOk.y);
        })
        .When([&] { return script.OpenDialog() == nullptr; },
              [&] { device.Tap(kMenuKey.x, kMenuKey.y); })
        .InMenu([&](RECT menu) {
            device.Tap((menu.left + menu.right) / 2, menu.top + 1 + 21 + 21 + 7 + 10);  // "Exit"
        });
    script.Start();
    int code = RunProgram(GetModuleHandleW(nullptr), nullptr);
    script.Stop();
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(shownTitle, u"VNC Server");
    EXPECT_EQ(shownPort, u":0");
    EXPECT_FALSE(passwordEnabledAfterUncheck);
    ClientWindow::RegisterWindowClass(GetModuleHandleW(nullptr));

    // A second process on the same home folder.
    std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string filter = "--gtest_filter=ServerListRestart.ListsTheServerTheFirstRunAdded";
    std::vector<char*> argv{self.data(), filter.data(), nullptr};
    std::string homeVariable = "TAVREL_RESTART_HOME=" + home.Path();
    std::vector<char*> env{homeVariable.data()};
    for (char** e = environ; *e != nullptr; ++e) {
        env.push_back(*e);
    }
    env.push_back(nullptr);
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, self.c_str(), nullptr, nullptr, argv.data(), env.data()), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the restarted program did not list the server";
}

// Runs only in the process that the test above starts.
TEST(ServerListRestart, ListsTheServerTheFirstRunAdded) {
    const char* folder = std::getenv("TAVREL_RESTART_HOME");
    if (folder == nullptr) {
        GTEST_SKIP() << "started by AServerAddedThroughTheMenuIsThereAfterARestart";
    }
    DeviceHarness device;
    SetPlatformHome(folder);
    ReloadRegistry();
    InstallResources(GetModuleHandleW(nullptr));
    InitCommonControls();
    CheckSingleInstance(GetModuleHandleW(nullptr));
    ClientWindow::RegisterWindowClass(GetModuleHandleW(nullptr));
    {
        ServerListWindow window(u"Tavrel", nullptr);
        device.PumpUntilIdle();
        ASSERT_EQ(window.Servers().Count(), 1u);
        const ServerRecord& record = *window.Servers().At(0);
        EXPECT_EQ(std::u16string(record.Title), u"Office desktop");
        EXPECT_EQ(std::u16string(record.settings.Hostname), u"desk.example");
        EXPECT_EQ(record.settings.Port, -1);
        EXPECT_FALSE(record.settings.SavePassword);
        EXPECT_EQ(record.settings.Password[0], 0);
        EXPECT_FALSE(record.settings.Shared);
        EXPECT_TRUE(record.settings.ActiveUpdate);
        EXPECT_EQ(record.settings.VideoMode, 0u);
        EXPECT_EQ(record.settings.Rate, -1);
        EXPECT_EQ(lstrlenW(record.Id), kServerIdLength);
    }
    ClientWindow::UnregisterWindowClass(GetModuleHandleW(nullptr));
}

TEST_F(ServerListTest, EditKeepsADisplayAboveFourAndDeleteRemovesEverythingOfTheServer) {
    auto ids = SaveServers({{u"First", Settings(u"one", 5901)},
                            {u"Second", Settings(u"two", -7)},
                            {u"Third", Settings(u"three", -2)}});
    std::string thumbnail = home.DeviceFile("Program Files/Tavrel/" +
                                            std::string(ids[1].begin(), ids[1].end()) + ".bmp");
    {
        std::vector<BYTE> pixels(16 * 8 * 3, 0x80);
        ASSERT_TRUE(WriteBitmapFile(ThumbnailOf(ids[1]).c_str(), 16, 8, pixels.data()));
        std::unique_ptr<SettingsKey> servers(OpenSettingsCollection(u"Servers"));
        std::unique_ptr<SettingsKey> key(servers->openSubkey(ids[1].c_str()));
        std::unique_ptr<SettingsKey> keys(key->openSubkey(u"Keys"));
        keys->writeDword(u"Count", 1);
    }
    ASSERT_TRUE(std::filesystem::exists(thumbnail));
    ServerListWindow window(u"Tavrel", nullptr);
    device.PumpUntilIdle();
    ASSERT_EQ(window.Servers().Count(), 3u);

    UiScript script(device);
    std::u16string portShown;
    script.InMenu([&](RECT menu) { script.TapMenuItem(menu, 0); })  // "Edit"
        .InDialog([&](HWND dialog) {
            portShown = Text(dialog, kPortCombo);
            script.TapControl(dialog, kTitleEdit);
            SendDlgItemMessageW(dialog, kTitleEdit, EM_SETSEL, 0, -1);
            device.Type(u"Second, renamed");
            device.Tap(kTaskBarOk.x, kTaskBarOk.y);
        });
    script.Start();
    HoldOnItem(window, 1);
    ASSERT_TRUE(script.Run());
    EXPECT_EQ(portShown, u":7");
    EXPECT_EQ(window.Servers().At(1)->settings.Port, -7) << "OK keeps display 7";
    {
        ServerList reloaded;
        reloaded.LoadAll();
        EXPECT_EQ(std::u16string(reloaded.At(1)->Title), u"Second, renamed");
        EXPECT_EQ(reloaded.At(1)->settings.Port, -7);
    }

    script.InMenu([&](RECT menu) { script.TapMenuItem(menu, 1); });  // "Delete"
    script.Start();
    HoldOnItem(window, 1);
    ASSERT_TRUE(script.Run());
    EXPECT_EQ(Titles(window), (std::vector<std::u16string>{u"First", u"Third"}));
    EXPECT_EQ(SendMessageW(window.ListView(), LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(window.ListView(), LVM_GETSELECTEDCOUNT, 0, 0), 0)
        << "the next server does not inherit the selection";
    EXPECT_FALSE(std::filesystem::exists(thumbnail));
    ServerList reloaded;
    reloaded.LoadAll();
    ASSERT_EQ(reloaded.Count(), 2u);
    EXPECT_EQ(std::u16string(reloaded.At(0)->Id), ids[0]);
    EXPECT_EQ(std::u16string(reloaded.At(1)->Id), ids[2]);
    HKEY gone = nullptr;
    std::u16string path = std::u16string(kApplicationKeyPath) + u"\\Servers\\" + ids[1];
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, 0, &gone), ERROR_SUCCESS);
    path += u"\\Keys";
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, 0, &gone), ERROR_SUCCESS);
}

void Select(const ServerListWindow& window, std::initializer_list<int> rows) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    SendMessageW(window.ListView(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED;
    for (int row : rows) {
        SendMessageW(window.ListView(), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
    }
}

TEST_F(ServerListTest, TheContextMenuGraysEditAndDeleteByTheSelection) {
    SaveServers({{u"A", Settings(u"a", 0)}, {u"B", Settings(u"b", 0)}, {u"C", Settings(u"c", 0)}});
    ServerListWindow window(u"Tavrel", nullptr);
    device.PumpUntilIdle();
    struct Case {
        std::initializer_list<int> selected;
        bool firstOpen;
        bool edit, remove;
    };
    const Case cases[] = {
        {{}, false, false, false},       // nothing selected
        {{1}, false, true, true},        // one
        {{0, 2}, false, false, true},    // two: Delete acts on the first
        {{0}, true, true, false},        // the first selected server is open
        {{0, 1}, true, false, false},    // two, the first of them open
        {{1, 0}, true, false, false},    // the first selected is the top one
    };
    for (const Case& c : cases) {
        Select(window, c.selected);
        FakeViewer viewer;
        window.Servers().At(0)->viewer = c.firstOpen ? &viewer : nullptr;
        UINT edit = 0, remove = 0;
        UiScript script(device);
        script.InMenu([&](RECT) {
            HMENU menu = window.ContextMenu();
            edit = GetMenuState(menu, kEdit, MF_BYCOMMAND);
            remove = GetMenuState(menu, kDelete, MF_BYCOMMAND);
            device.Tap(2, 40);  // outside the menu: it closes
        });
        script.Start();
        POINT at{100, 100};
        SendMessageW(window.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window.ListView()),
                     MAKELPARAM(at.x, at.y));
        EXPECT_TRUE(script.Run());
        EXPECT_EQ((edit & MF_GRAYED) == 0, c.edit) << "case " << &c - cases;
        EXPECT_EQ((remove & MF_GRAYED) == 0, c.remove) << "case " << &c - cases;
        window.Servers().At(0)->viewer = nullptr;
    }
    // A request from another window shows nothing.
    EXPECT_EQ(SendMessageW(window.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window.Handle()),
                           MAKELPARAM(100, 100)),
              0);
}

// Made by the list when a server is opened; the test keeps the last one.
FakeViewer* madeViewer = nullptr;
int viewersMade = 0;
ServerViewer* MakeFakeViewer(HWND, ServerRecord*, SettingsKey* key) {
    ++viewersMade;
    EXPECT_NE(key, nullptr);
    madeViewer = new FakeViewer;
    return madeViewer;
}

TEST_F(ServerListTest, OpeningAttachesOneViewerAndItsMessagesReachOnlyItsRecord) {
    SaveServers({{u"A", Settings(u"a", 0)}, {u"B", Settings(u"b", 0)}});
    ServerListWindow window(u"Tavrel", MakeFakeViewer);
    device.PumpUntilIdle();
    viewersMade = 0;
    RECT second = ItemOnScreen(window, 1);
    device.Tap(second.left + 100, (second.top + second.bottom) / 2);  // a tap opens
    ASSERT_EQ(viewersMade, 1);
    ServerRecord* record = window.Servers().At(1);
    EXPECT_EQ(record->viewer, madeViewer);
    device.Tap(second.left + 100, (second.top + second.bottom) / 2);
    SendMessageW(window.Handle(), WM_COMMAND, 40100, 0);  // "Select"
    EXPECT_EQ(viewersMade, 1) << "an open server is only brought forward";

    auto viewerParam = reinterpret_cast<LPARAM>(madeViewer);
    EXPECT_EQ(SendMessageW(window.Handle(), WM_VIEWER_RECORD, 0, viewerParam),
              reinterpret_cast<LRESULT>(record));
    FakeViewer stranger;
    auto strangerParam = reinterpret_cast<LPARAM>(&stranger);
    EXPECT_EQ(SendMessageW(window.Handle(), WM_VIEWER_RECORD, 0, strangerParam), 0);
    EXPECT_EQ(SendMessageW(window.Handle(), WM_VIEWER_RECORD, 0, 0), 0);

    // The state text follows the viewer, repainted from a notice posted by another thread.
    auto stateArea = [&] {
        RECT item = ItemOnScreen(window, 1);
        std::vector<COLORREF> pixels;
        for (int y = item.bottom - 14; y < item.bottom; ++y) {
            for (int x = item.left + 36; x < item.left + 140; ++x) {
                pixels.push_back(device.ScreenPixel(x, y));
            }
        }
        return pixels;
    };
    device.PumpUntilIdle();
    auto connecting = stateArea();
    madeViewer->state = kConnected;
    std::thread([&] { ServerListWindow::NotifyConnectionStateChanged(window.Handle(), madeViewer); })
        .join();
    device.PumpUntilIdle();
    EXPECT_NE(stateArea(), connecting) << "\"Connecting...\" turned into \"Connected\"";
    EXPECT_EQ(ConnectionStateTextId(*record), 1002u);
    madeViewer->state = 7;
    EXPECT_EQ(ConnectionStateTextId(*record), 0u) << "\"Unknown\"";

    // A thumbnail from a stranger is not written; the viewer's own is.
    std::vector<BYTE> pixels(4 * 3 * 3, 0x40);
    ThumbnailImage image{4, 3, pixels.data()};
    std::string file = home.DeviceFile("Program Files/Tavrel/" +
                                       std::string(record->Id, record->Id + kServerIdLength) +
                                       ".bmp");
    SendMessageW(window.Handle(), WM_VIEWER_THUMBNAIL, reinterpret_cast<WPARAM>(&image),
                 strangerParam);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(SendMessageW(window.Handle(), WM_VIEWER_THUMBNAIL, reinterpret_cast<WPARAM>(&image),
                           viewerParam),
              1);
    EXPECT_EQ(std::filesystem::file_size(file), 54u + 12u * 3u);

    EXPECT_EQ(SendMessageW(window.Handle(), WM_VIEWER_CLOSED, 0, strangerParam), 0);
    EXPECT_EQ(record->viewer, madeViewer);
    EXPECT_EQ(SendMessageW(window.Handle(), WM_VIEWER_CLOSED, 0, viewerParam), 1);
    EXPECT_EQ(record->viewer, nullptr);
    // Draw and command requests past the last item are ignored.
    DRAWITEMSTRUCT past{};
    past.CtlType = ODT_LISTVIEW;
    past.itemID = 2;
    past.hwndItem = window.ListView();
    EXPECT_EQ(SendMessageW(window.Handle(), WM_DRAWITEM, 1, reinterpret_cast<LPARAM>(&past)), 1);
}

TEST(ServerListDrawing, ThumbnailsFitTheirBoxKeepingTheirShape) {
    EXPECT_EQ(ThumbnailDrawSize(128, 96, 32, 32).cx, 32);
    EXPECT_EQ(ThumbnailDrawSize(128, 96, 32, 32).cy, 24);
    EXPECT_EQ(ThumbnailDrawSize(16, 8, 32, 32).cx, 32);  // grown to the box width
    EXPECT_EQ(ThumbnailDrawSize(16, 8, 32, 32).cy, 16);
    EXPECT_EQ(ThumbnailDrawSize(96, 128, 32, 32).cx, 24);
    EXPECT_EQ(ThumbnailDrawSize(1000, 10, 32, 32).cx, 32);
    EXPECT_EQ(ThumbnailDrawSize(1000, 10, 32, 32).cy, 1);  // at least a line
    EXPECT_EQ(ThumbnailDrawSize(8, 30, 32, 32).cy, 32);    // grown, then fitted to the height
    EXPECT_EQ(ThumbnailDrawSize(8, 30, 32, 32).cx, 8);
    EXPECT_EQ(ThumbnailDrawSize(0, 10, 32, 32).cx, 0);
    EXPECT_EQ(ThumbnailDrawSize(2000000000, 2000000000, 32, 32).cx, 32);
}

TEST_F(ServerListTest, ThumbnailsAreDrawnCentredInTheirBox) {
    auto ids = SaveServers({{u"Placeholder", Settings(u"a", 0)},
                            {u"Small", Settings(u"b", 0)},
                            {u"Thin", Settings(u"c", 0)}});
    auto writeSolid = [&](const std::u16string& id, int w, int h, BYTE b, BYTE g, BYTE r) {
        std::vector<BYTE> pixels;
        for (int i = 0; i < w * h; ++i) {
            pixels.insert(pixels.end(), {b, g, r});
        }
        ASSERT_TRUE(WriteBitmapFile(ThumbnailOf(id).c_str(), w, h, pixels.data()));
    };
    writeSolid(ids[1], 16, 8, 0, 0, 255);
    writeSolid(ids[2], 1000, 10, 255, 0, 0);
    ServerListWindow window(u"Tavrel", nullptr);
    device.PumpUntilIdle();
    device.SaveScreenshot(ScreenshotPath("server_list_thumbnails.png"));
    const COLORREF white = RGB(255, 255, 255);
    const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
    // The box: 2 pixels in from the item's left and top, 32 x 32 at 96 dpi.
    RECT item = ItemOnScreen(window, 0);
    int x = item.left + 2, y = item.top + 2;
    EXPECT_EQ(device.ScreenPixel(x, y + 3), white);  // 32 x 24: four rows free above
    EXPECT_NE(device.ScreenPixel(x, y + 4), white);  // the placeholder's light grey
    EXPECT_NE(device.ScreenPixel(x + 31, y + 27), white);
    EXPECT_EQ(device.ScreenPixel(x + 31, y + 28), white);  // and below
    item = ItemOnScreen(window, 1);
    x = item.left + 2, y = item.top + 2;
    EXPECT_EQ(device.ScreenPixel(x, y + 7), white);  // 16 x 8 grown to 32 x 16
    EXPECT_EQ(device.ScreenPixel(x, y + 8), red);
    EXPECT_EQ(device.ScreenPixel(x + 31, y + 23), red);
    EXPECT_EQ(device.ScreenPixel(x + 32, y + 23), white);
    EXPECT_EQ(device.ScreenPixel(x + 16, y + 24), white);
    item = ItemOnScreen(window, 2);
    x = item.left + 2, y = item.top + 2;
    EXPECT_EQ(device.ScreenPixel(x + 16, y + 14), white);  // 1000 x 10: a 32 x 1 line
    EXPECT_EQ(device.ScreenPixel(x, y + 15), blue);
    EXPECT_EQ(device.ScreenPixel(x + 31, y + 15), blue);
    EXPECT_EQ(device.ScreenPixel(x + 16, y + 16), white);
}

TEST(ServerEditorPort, TheFieldReadsAsAPortOrADisplay) {
    struct Case {
        const char16_t* text;
        LONG port;
    };
    const Case cases[] = {
        {u"5901", 5901},   {u":1", -1},       {u":0", 0},          {u"0", 0},
        {u":", 0},         {u"", 0},          {u"59a1", 0},        {u":x", 0},
        {u":12", -12},     {u"5900 ", 0},     {u"65535", 65535},   {u"65536", 65536},
        {u"65537", 65537}, {u"131073", 65537},  // 131073 = 2 x 65536 + 1
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParsePortField(c.text), c.port) << std::string(c.text, c.text + lstrlenW(c.text));
    }
    // Twenty digits: no overflow, and the connection's port is the typed number modulo 65536.
    ServerSettings s;
    s.Port = ParsePortField(u"99999999999999999999");
    EXPECT_GT(s.Port, 0);
    EXPECT_EQ(ServerTcpPort(s), 65535);  // 99999999999999999999 modulo 65536
    s.Port = ParsePortField(u":99999999999999999999");
    EXPECT_LT(s.Port, 0);
    EXPECT_EQ(ServerTcpPort(s), (5900 + 65535) % 65536);
}

TEST_F(ServerListTest, TheEditorKeepsThePasswordWithinTheStoresLimitAndOldChoicesWithoutASelection) {
    WCHAR title[kTextCapacity] = u"Lab";
    ServerSettings settings = Settings(u"lab", 5905);
    settings.Rate = 45;  // not in the table: shows "Constant", stored as -1
    settings.VideoMode = 1;
    HWND owner = CreateWindowExW(0, kClientWindowClass, u"Owner", WS_VISIBLE, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                 nullptr, nullptr);
    UiScript script(device);
    int rateShown = -1;
    bool enabledAgain = false;
    std::u16string keptText;
    script.InDialog([&](HWND dialog) {
        rateShown = static_cast<int>(SendDlgItemMessageW(dialog, kRateList, CB_GETCURSEL, 0, 0));
        script.TapControl(dialog, kPasswordEdit);
        device.Type(std::u16string(200, u'p'));
        script.TapControl(dialog, kSavePasswordCheck);  // off: the text stays
        script.TapControl(dialog, kSavePasswordCheck);  // on again
        enabledAgain = IsWindowEnabled(GetDlgItem(dialog, kPasswordEdit));
        keptText = Text(dialog, kPasswordEdit);
        SendDlgItemMessageW(dialog, kVideoModeList, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        device.Tap(kTaskBarOk.x, kTaskBarOk.y);
    });
    script.Start();
    ASSERT_TRUE(ServerEditor::Run(owner, title, &settings));
    EXPECT_EQ(rateShown, 0);
    EXPECT_TRUE(enabledAgain);
    EXPECT_EQ(keptText.size(), 130u);
    EXPECT_EQ(lstrlenW(settings.Password), 130);
    EXPECT_EQ(settings.Rate, -1);
    EXPECT_EQ(settings.VideoMode, 1u) << "nothing selected keeps the old mode";
    EXPECT_EQ(settings.Port, 5905);
    // The whole password round-trips through the store.
    {
        ServerList list;
        list.Create(title, settings);
    }
    ServerList reloaded;
    reloaded.LoadAll();
    ASSERT_EQ(reloaded.Count(), 1u);
    EXPECT_EQ(std::u16string(reloaded.At(0)->settings.Password), std::u16string(130, u'p'));

    // Closing the dialog writes nothing.
    ServerSettings before = settings;
    script.InDialog([&](HWND dialog) {
        script.TapControl(dialog, kHostEdit);
        device.Type(u"changed");
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    script.Start();
    EXPECT_FALSE(ServerEditor::Run(owner, title, &settings));
    EXPECT_EQ(std::u16string(settings.Hostname), std::u16string(before.Hostname));
    DestroyWindow(owner);
}

}  // namespace
