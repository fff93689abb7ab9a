// Defined keys in the settings store: a key's values after a restart, switching between a plain
// and a macro key, the per-server placement and its filters, and the cap on how many keys any
// list, toolbar or menu holds.
#include "temp_home.h"

#include <keyboard/key_list.h>

#include <platform/registry.h>
#include <platform/text.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::u16string kKeys = u"Software\\Orlin Software\\Tavrel\\Keys\\";
const std::u16string kServer = u"Software\\Orlin Software\\Tavrel\\Servers\\SERVER01";

bool HasValue(const std::u16string& path, LPCWSTR name) {
    HKEY key = nullptr;
    DWORD size = 0;
    bool found = RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, 0, &key) == ERROR_SUCCESS &&
                 RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found;
}

std::vector<std::u16string> Titles(const std::vector<KeyDef>& keys) {
    std::vector<std::u16string> titles;
    for (const KeyDef& key : keys) {
        titles.emplace_back(key.Title);
    }
    return titles;
}

TEST(KeyList, KeysLoadAfterARestartInStoreOrder) {
    TempHome home;
    {
        KeyList keys;
        auto plain = keys.Add(u"Esc");
        ASSERT_NE(plain, nullptr);
        plain->KeySym = 0xFF1B;
        plain->Latch = plain->InMenu = plain->Down = true;  // placement and Down are not stored
        ASSERT_TRUE(keys.Save(*plain));
        auto macro = keys.Add(u"Copy");
        ASSERT_NE(macro, nullptr);
        macro->Type = kMacroKey;
        lstrcpynW(macro->MacroDown, u"MACRODOWN1", kItemIdCapacity);
        ASSERT_TRUE(keys.Save(*macro));
        // A key without values, and references that cannot name a macro.
        SettingsKey odd(HKEY_CURRENT_USER, (kKeys + u"ODD").c_str());
        odd.writeDword(u"Type", kMacroKey);
        odd.writeString(u"MacroDown", u"..\\Servers");
        odd.writeString(u"MacroUp", u"ELEVENCHARS");
        SettingsKey(HKEY_CURRENT_USER, (kKeys + u"BARE").c_str());
    }
    ReloadRegistry();
    KeyList keys;
    keys.LoadAll();
    ASSERT_EQ(Titles(keys.Keys()), (std::vector<std::u16string>{u"Esc", u"Copy", u"", u""}));
    const KeyDef& plain = keys.Keys()[0];
    EXPECT_EQ(plain.Type, kPlainKey);
    EXPECT_TRUE(plain.Latch);
    EXPECT_EQ(plain.KeySym, 0xFF1B);
    EXPECT_FALSE(plain.InMenu || plain.Down);
    const KeyDef& macro = keys.Keys()[1];
    EXPECT_EQ(macro.Type, kMacroKey);
    EXPECT_EQ(std::u16string(macro.MacroDown), u"MACRODOWN1");
    EXPECT_EQ(std::u16string(macro.MacroUp), u"");
    EXPECT_EQ(std::u16string(keys.Keys()[2].MacroDown) + keys.Keys()[2].MacroUp, u"");
    EXPECT_EQ(keys.Keys()[3].Type, kPlainKey);
    EXPECT_EQ(keys.Keys()[3].KeySym, 0) << "a key without values sends keysym 0";
}

TEST(KeyList, ChangingTheTypeKeepsOnlyTheValuesThatApply) {
    TempHome home;
    KeyList keys;
    auto key = keys.Add(u"K");
    ASSERT_NE(key, nullptr);
    std::u16string path = kKeys + key->Id;
    key->Type = kMacroKey;
    lstrcpynW(key->MacroDown, u"DOWNDOWNDO", kItemIdCapacity);
    lstrcpynW(key->MacroUp, u"UPUPUPUPUP", kItemIdCapacity);
    ASSERT_TRUE(keys.Save(*key));
    EXPECT_FALSE(HasValue(path, u"KeySym"));
    EXPECT_TRUE(HasValue(path, u"MacroDown") && HasValue(path, u"MacroUp"));

    key->Type = kPlainKey;
    ASSERT_TRUE(keys.Save(*key));
    EXPECT_TRUE(HasValue(path, u"KeySym"));
    EXPECT_FALSE(HasValue(path, u"MacroDown") || HasValue(path, u"MacroUp"));
}

class ServerKeysTest : public ::testing::Test {
  protected:
    // Keys A, B, C, D placed 2, 1, 3 and not at all.
    void SetUp() override {
        using Placed = std::pair<LPCWSTR, int>;
        for (auto [title, placement] :
             {Placed{u"A", 2}, Placed{u"B", 1}, Placed{u"C", 3}, Placed{u"D", -1}}) {
            auto key = keys.Add(title);
            ASSERT_NE(key, nullptr);
            ids.emplace_back(key->Id);
            if (placement >= 0) {
                placements.writeDword(key->Id, static_cast<DWORD>(placement));
            }
        }
    }
    std::vector<KeyDef> Load(DWORD filter) {
        std::vector<KeyDef> loaded;
        LoadKeysForServer(keys, server, filter, loaded);
        return loaded;
    }

    TempHome home;
    KeyList keys;
    SettingsKey server{HKEY_CURRENT_USER, kServer.c_str()};
    SettingsKey placements{server.handle(), u"Keys"};
    std::vector<std::u16string> ids;
};

TEST_F(ServerKeysTest, FiltersPickTheToolbarTheMenuOrEveryKey) {
    EXPECT_EQ(Titles(Load(2)), (std::vector<std::u16string>{u"A", u"C"}));
    EXPECT_EQ(Titles(Load(1)), (std::vector<std::u16string>{u"B", u"C"}));
    std::vector<std::pair<bool, bool>> flags;  // (InToolbar, InMenu)
    for (const KeyDef& key : Load(3)) {
        flags.emplace_back(key.InToolbar, key.InMenu);
    }
    EXPECT_EQ(flags, (std::vector<std::pair<bool, bool>>{
                         {true, false}, {false, true}, {true, true}, {false, false}}));
}

TEST_F(ServerKeysTest, PlacementIsWrittenOnlyWhenItChangesAndOutlivesTheKey) {
    std::vector<KeyDef> all = Load(3);
    all[0].InToolbar = false;  // A: 2 -> 0
    for (const KeyDef& key : all) {
        key.WritePlacement(placements);
    }
    EXPECT_FALSE(HasValue(kServer + u"\\Keys", ids[3].c_str())) << "D unchanged: absent is 0";
    keys.Delete(ids[2].c_str());  // C's placement stays behind
    ReloadRegistry();
    KeyList reloadedKeys;
    SettingsKey reloaded(HKEY_CURRENT_USER, kServer.c_str());
    std::vector<KeyDef> toolbar;
    LoadKeysForServer(reloadedKeys, reloaded, 2, toolbar);
    EXPECT_TRUE(toolbar.empty());
    SettingsKey stored(HKEY_CURRENT_USER, (kServer + u"\\Keys").c_str());
    EXPECT_EQ(stored.readDword(ids[0].c_str(), 7), 0u);
    EXPECT_EQ(stored.readDword(ids[2].c_str(), 7), 3u);
}

// A second server places the same keys its own way; after a restart each server finds its own.
TEST_F(ServerKeysTest, TwoServersKeepTheirOwnPlacementsAcrossARestart) {
    const std::u16string other = u"Software\\Orlin Software\\Tavrel\\Servers\\SERVER02";
    {
        SettingsKey otherPlacements(HKEY_CURRENT_USER, (other + u"\\Keys").c_str());
        otherPlacements.writeDword(ids[3].c_str(), 2);  // D on its toolbar, nothing else
    }
    ReloadRegistry();
    KeyList reloadedKeys;
    reloadedKeys.LoadAll();
    std::vector<KeyDef> first, second;
    SettingsKey firstServer(HKEY_CURRENT_USER, kServer.c_str());
    SettingsKey secondServer(HKEY_CURRENT_USER, other.c_str());
    LoadKeysForServer(reloadedKeys, firstServer, 2, first);
    LoadKeysForServer(reloadedKeys, secondServer, 2, second);
    EXPECT_EQ(Titles(first), (std::vector<std::u16string>{u"A", u"C"}));
    EXPECT_EQ(Titles(second), (std::vector<std::u16string>{u"D"}));
}

// A store of count keys K00000, K00001 ... placed 3 for SERVER01, written as one registry file
// (a key at a time would take a disk write each).
void StoreManyKeys(const TempHome& home, int count) {
    std::string app = "[HKEY_CURRENT_USER\\Software\\Orlin Software\\Tavrel";
    std::string keys, placements;
    char name[16];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "K%05i", i);
        keys += app + "\\Keys\\" + name + "]\n";
        placements += std::string("\"") + name + "\"=dword:00000003\n";
    }
    std::ofstream(home.RegistryFile(), std::ios::trunc)
        << "Tavrel registry 1\n[HKEY_CURRENT_USER]\n[HKEY_CURRENT_USER\\Software]\n"
        << "[HKEY_CURRENT_USER\\Software\\Orlin Software]\n"
        << app << "]\n"
        << app << "\\Keys]\n"
        << keys << app << "\\Servers]\n"
        << app << "\\Servers\\SERVER01]\n"
        << app << "\\Servers\\SERVER01\\Keys]\n"
        << placements << "[HKEY_LOCAL_MACHINE]\n; end: " << count + 9 << " keys\n";
    ReloadRegistry();
}

TEST(KeyList, NoListHoldsMoreKeysThanTheCap) {
    TempHome home;
    StoreManyKeys(home, kMaxDefinedKeys - 1);
    {
        KeyList keys;
        EXPECT_NE(keys.Add(u"Last"), nullptr);
        EXPECT_EQ(keys.Add(u"One too many"), nullptr);
    }
    StoreManyKeys(home, kMaxDefinedKeys + 5);
    KeyList keys;
    keys.LoadAll();
    EXPECT_EQ(keys.Keys().size(), static_cast<std::size_t>(kMaxDefinedKeys));
    EXPECT_EQ(std::u16string(keys.Keys().back().Id), u"K00999");
    SettingsKey server(HKEY_CURRENT_USER, kServer.c_str());
    for (DWORD filter : {1u, 2u, 3u}) {
        std::vector<KeyDef> loaded;
        LoadKeysForServer(keys, server, filter, loaded);
        EXPECT_EQ(loaded.size(), static_cast<std::size_t>(kMaxDefinedKeys)) << filter;
    }
}

}  // namespace
