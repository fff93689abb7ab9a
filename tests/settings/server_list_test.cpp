#include <platform/resources.h>
#include <platform/text.h>
#include <resources/resources.h>
#include <settings/password.h>
#include <settings/server_list.h>
#include <settings/server_time.h>

#include <gtest/gtest.h>

#include <memory>

#include "temp_home.h"

namespace {

class FakeViewer : public ServerViewer {
  public:
    explicit FakeViewer(int* destroyed) : destroyed_(destroyed) {}
    ~FakeViewer() override { ++*destroyed_; }
    void ApplySettings(const ServerSettings* settings) override {
        ++applied;
        lastPort = settings->Port;
    }
    int GetConnectionState() const override { return kConnected; }
    HWND GetWindow() const override { return nullptr; }
    int applied = 0;
    LONG lastPort = 0;

  private:
    int* destroyed_;
};

std::unique_ptr<SettingsKey> ServerKey(LPCWSTR id) {
    std::unique_ptr<SettingsKey> servers(OpenSettingsCollection(u"Servers"));
    return std::unique_ptr<SettingsKey>(servers->openSubkey(id));
}

ServerSettings Sample() {
    ServerSettings s;
    lstrcpynW(s.Hostname, u"desk.example", kTextCapacity);
    s.Port = -2;
    lstrcpynW(s.Password, u"s\u00e9cret", kTextCapacity);
    s.Shared = true;
    s.VideoMode = 1;
    s.ActiveUpdate = false;
    s.Rate = 300;
    return s;
}

TEST(ServerList, SavedRecordsComeBackAfterARestartInTheirOrder) {
    TempHome home;
    srand(7);
    {
        ServerList list;
        list.LoadAll();
        EXPECT_EQ(list.Count(), 0u);
        list.Create(u"Office", Sample());
        ServerSettings other = Sample();
        other.SavePassword = false;
        list.Create(u"Lab", other);
        list.Create(u"Home", DefaultServerSettings());
    }
    ReloadRegistry();
    ServerList list;
    list.LoadAll();
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(std::u16string(list.At(0)->Title), u"Office");
    EXPECT_EQ(std::u16string(list.At(1)->Title), u"Lab");
    EXPECT_EQ(std::u16string(list.At(2)->Title), u"Home");
    const ServerSettings& s = list.At(0)->settings;
    EXPECT_EQ(std::u16string(s.Hostname), u"desk.example");
    EXPECT_EQ(s.Port, -2);
    EXPECT_EQ(std::u16string(s.Password), u"s\u00e9cret");
    EXPECT_TRUE(s.SavePassword);
    EXPECT_TRUE(s.Shared);
    EXPECT_EQ(s.VideoMode, 1u);
    EXPECT_FALSE(s.ActiveUpdate);
    EXPECT_EQ(s.Rate, 300);
    EXPECT_EQ(std::u16string(list.At(1)->settings.Password), u"") << "not saved, not loaded";
    EXPECT_EQ(list.At(2)->settings.Rate, -1);
    EXPECT_EQ(lstrlenW(list.At(0)->Id), kServerIdLength);
}

TEST(ServerList, StoredValuesFollowTheLayoutAndMissingOnesTakeDefaults) {
    TempHome home;
    ServerList list;
    ServerSettings noSave = Sample();
    noSave.SavePassword = false;
    ServerRecord* record = list.Create(u"T", noSave);
    {
        auto key = ServerKey(record->Id);
        BYTE buffer[8];
        EXPECT_EQ(key->readDword(u"SavePassword", 9), 0u);
        EXPECT_EQ(key->readDword(u"Port", 0), 0xFFFFFFFEu) << "signed as two's complement";
        EXPECT_EQ(RegQueryValueExW(key->handle(), u"Password", nullptr, nullptr, buffer, nullptr),
                  ERROR_FILE_NOT_FOUND);
    }
    record->settings.SavePassword = true;
    record->settings.Password[0] = 0;
    list.Save(record);
    {
        auto key = ServerKey(record->Id);
        DWORD type = 0, size = 99;
        ASSERT_EQ(RegQueryValueExW(key->handle(), u"Password", nullptr, &type, nullptr, &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(type, REG_BINARY);
        EXPECT_EQ(size, 0u) << "an empty password is an empty value";
    }
    // A key with no values at all loads with every default.
    ServerKey(u"BARE0000")->close();
    ReloadRegistry();
    ServerList loaded;
    loaded.LoadAll();
    ASSERT_EQ(loaded.Count(), 2u);
    const ServerRecord* bare = loaded.At(1);
    EXPECT_EQ(std::u16string(bare->Id), u"BARE0000");
    EXPECT_EQ(bare->settings.Port, 5900);
    EXPECT_EQ(ServerTcpPort(bare->settings), 5900);
    EXPECT_TRUE(bare->settings.SavePassword);
    EXPECT_FALSE(bare->settings.Shared);
    EXPECT_TRUE(bare->settings.ActiveUpdate);
    EXPECT_EQ(bare->settings.Rate, -1);
    EXPECT_EQ(std::u16string(bare->Title), u"");
}

TEST(ServerList, OversizedOrOverlongPasswordsAreNeverStoredAsAnotherPassword) {
    TempHome home;
    ServerList list;
    ServerSettings s = Sample();
    std::u16string limit(kMaxSavedPasswordLength, u'p');
    lstrcpynW(s.Password, limit.c_str(), kTextCapacity);
    ServerRecord* fits = list.Create(u"Fits", s);
    std::u16string tooLong(kMaxSavedPasswordLength + 1, u'q');
    lstrcpynW(s.Password, tooLong.c_str(), kTextCapacity);
    ServerRecord* over = list.Create(u"Over", s);
    EXPECT_EQ(std::u16string(over->settings.Password), tooLong) << "kept for this run";
    // A value written by something else, larger than the store's limit, loads empty.
    std::vector<BYTE> huge(kMaxScrambledPassword + 2, 0x41);
    ServerKey(u"HUGE0000")->writeBinary(u"Password", huge.data(), static_cast<DWORD>(huge.size()));
    ReloadRegistry();
    ServerList loaded;
    loaded.LoadAll();
    ASSERT_EQ(loaded.Count(), 3u);
    EXPECT_EQ(std::u16string(loaded.At(0)->settings.Password), limit);
    EXPECT_FALSE(loaded.At(1)->settings.SavePassword) << "asked for at the next connection";
    EXPECT_EQ(std::u16string(loaded.At(1)->settings.Password), u"");
    EXPECT_EQ(std::u16string(loaded.At(2)->settings.Password), u"");
    (void)fits;
}

TEST(ServerList, DeleteRemovesKeySubkeysAndThumbnail) {
    TempHome home;
    ServerList list;
    ServerRecord* keep = list.Create(u"Keep", Sample());
    ServerRecord* gone = list.Create(u"Gone", Sample());
    std::u16string goneId = gone->Id;
    std::unique_ptr<SettingsKey> keys(ServerKey(gone->Id)->openSubkey(u"Keys"));
    keys->writeDword(u"K", 1);
    keys->close();
    const BYTE pixels[3] = {1, 2, 3};
    SaveThumbnail(gone, 1, 1, pixels);
    std::string file = home.DeviceFile("Program Files/Tavrel/" + Utf16ToUtf8(goneId) + ".bmp");
    ASSERT_TRUE(std::filesystem::exists(file));
    int destroyed = 0;
    gone->viewer = new FakeViewer(&destroyed);
    list.Delete(gone);
    EXPECT_EQ(destroyed, 1) << "the open viewer goes with its record";
    EXPECT_FALSE(std::filesystem::exists(file));
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.At(0), keep);
    std::unique_ptr<SettingsKey> servers(OpenSettingsCollection(u"Servers"));
    WCHAR name[kTextCapacity];
    ASSERT_TRUE(servers->enumSubkey(0, name));
    EXPECT_EQ(std::u16string(name), std::u16string(keep->Id));
    EXPECT_FALSE(servers->enumSubkey(1, name));
}

TEST(ServerList, SaveHandsTheSettingsToTheOpenViewerAndFindsItBack) {
    TempHome home;
    int destroyed = 0;
    {
        ServerList list;
        ServerRecord* record = list.Create(u"V", Sample());
        auto* viewer = new FakeViewer(&destroyed);
        record->viewer = viewer;
        record->settings.Port = 5999;
        list.Save(record);
        EXPECT_EQ(viewer->applied, 1);
        EXPECT_EQ(viewer->lastPort, 5999);
        EXPECT_EQ(list.FindByViewer(viewer), record);
        FakeViewer stranger(&destroyed);
        EXPECT_EQ(list.FindByViewer(&stranger), nullptr);
    }
    EXPECT_EQ(destroyed, 2) << "destroying the list tears down the open viewer";
}

TEST(ServerList, PortsAndIds) {
    ServerSettings s;
    s.Port = 5901;
    EXPECT_EQ(ServerTcpPort(s), 5901);
    s.Port = 0;
    EXPECT_EQ(ServerTcpPort(s), 5900);
    s.Port = -2;
    EXPECT_EQ(ServerTcpPort(s), 5902);
    s.Port = -60000;
    EXPECT_EQ(ServerTcpPort(s), (5900 + 60000) % 65536);
    s.Port = 70000;
    EXPECT_EQ(ServerTcpPort(s), 70000 % 65536);
    srand(CurrentTimeSeconds());
    for (int i = 0; i < 1000; ++i) {
        WCHAR id[kServerIdLength + 2];
        MakeServerId(id);
        ASSERT_EQ(lstrlenW(id), 8);
        for (int c = 0; c < 8; ++c) {
            ASSERT_TRUE((id[c] >= u'0' && id[c] <= u'9') || (id[c] >= u'A' && id[c] <= u'Z'));
        }
    }
    EXPECT_GT(CurrentTimeSeconds(), 1700000000u);
}

}  // namespace
