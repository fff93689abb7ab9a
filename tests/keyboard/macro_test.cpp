// Macros in the settings store: the 8-byte step layout of "Data" and loading after a restart, the
// 1024-step limit, malformed steps, lookups of missing macros, duplicating, and playing.
#include "recording_key_sink.h"
#include "temp_home.h"

#include <keyboard/macro_list.h>

#include <platform_testing/test_switches.h>
#include <platform/registry.h>
#include <platform/text.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::u16string kMacros = u"Software\\Orlin Software\\Tavrel\\Macros\\";

std::vector<BYTE> StoredData(LPCWSTR id) {
    SettingsKey key(HKEY_CURRENT_USER, (kMacros + id).c_str());
    std::vector<BYTE> bytes(kMaxMacroDataBytes + 8);
    bytes.resize(key.readBinary(u"Data", bytes.data(), static_cast<DWORD>(bytes.size())));
    return bytes;
}

class MacroTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetDebugOutputSink([this](const std::u16string& text) { debugText += text; });
    }
    void TearDown() override { SetDebugOutputSink(nullptr); }

    TempHome home;
    std::u16string debugText;
};

TEST_F(MacroTest, StepsAreStoredAsEightLittleEndianBytesAndLoadAfterARestart) {
    std::u16string id;
    {
        MacroList macros;
        auto macro = macros.Add(u"Ctrl+C");
        ASSERT_NE(macro, nullptr);
        id = macro->Id;
        EXPECT_EQ(id.size(), 10u);
        macro->Entries = {{0xFFE3, kMacroDown}, {0x0043, kMacroToggle}, {0xFFE3, kMacroUp}};
        ASSERT_TRUE(macro->Save(*macros.Collection()));
    }
    EXPECT_EQ(StoredData(id.c_str()), (std::vector<BYTE>{0xE3, 0xFF, 0, 0, 2, 0, 0, 0,  //
                                                         0x43, 0x00, 0, 0, 3, 0, 0, 0,  //
                                                         0xE3, 0xFF, 0, 0, 1, 0, 0, 0}));
    ReloadRegistry();
    MacroList macros;
    macros.LoadAll();
    ASSERT_EQ(macros.Items().size(), 1u);
    EXPECT_EQ(std::u16string(macros.Items()[0].Title), u"Ctrl+C");
    auto loaded = FindMacro(macros, id.c_str());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->Entries,
              (std::vector<MacroEntry>{
                  {0xFFE3, kMacroDown}, {0x0043, kMacroToggle}, {0xFFE3, kMacroUp}}));

    // Padding is not read, and modes other than the three are kept as they are.
    const BYTE odd[8] = {0x41, 0, 0xAB, 0xCD, 7, 0, 0, 0x80};
    SettingsKey(HKEY_CURRENT_USER, (kMacros + id).c_str()).writeBinary(u"Data", odd, 8);
    loaded = FindMacro(macros, id.c_str());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->Entries, (std::vector<MacroEntry>{{0x41, 0x80000007}}));
}

TEST_F(MacroTest, TheLongestMacroSavesAndLoadsAndALongerOneIsNotSaved) {
    MacroList macros;
    auto macro = macros.Add(u"Long");
    ASSERT_NE(macro, nullptr);
    for (int i = 0; i < kMaxMacroEntries; ++i) {
        macro->Entries.push_back({static_cast<Keysym>(0x20 + i % 90), kMacroToggle});
    }
    ASSERT_TRUE(macro->Save(*macros.Collection()));
    auto loaded = FindMacro(macros, macro->Id);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->Entries, macro->Entries);

    // One step more could never be read back: the stored macro stays as it was.
    macro->Entries.push_back({0x41, kMacroDown});
    lstrcpynW(macro->Title, u"Renamed", kTextCapacity);
    EXPECT_FALSE(macro->Save(*macros.Collection()));
    EXPECT_NE(debugText.find(u"not saved"), std::u16string::npos);
    loaded = FindMacro(macros, macro->Id);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->Entries.size(), static_cast<std::size_t>(kMaxMacroEntries));
    EXPECT_EQ(std::u16string(loaded->Title), u"Long");
}

TEST_F(MacroTest, MalformedStepsAreReportedAndNothingIsLoaded) {
    MacroList macros;
    std::u16string id = u"BAD";
    for (std::size_t bytes : {20, 7, 8200, 20000}) {
        SCOPED_TRACE(testing::Message() << bytes << " bytes");
        id += u'X';
        std::vector<BYTE> data(bytes, 3);
        SettingsKey(HKEY_CURRENT_USER, (kMacros + id).c_str())
            .writeBinary(u"Data", data.data(), static_cast<DWORD>(bytes));
        debugText.clear();
        Macro macro;
        EXPECT_EQ(macro.Load(*macros.Collection(), id.c_str()), MacroLoadResult::kMalformed);
        EXPECT_TRUE(macro.Entries.empty());
        EXPECT_NE(debugText.find(id), std::u16string::npos) << "reported";
        EXPECT_EQ(FindMacro(macros, id.c_str()), nullptr);
        EXPECT_EQ(macros.Duplicate(id.c_str(), u" copy"), nullptr)
            << "no copy of what was not read";
    }
}

TEST_F(MacroTest, LookingUpAMissingMacroCreatesNothing) {
    MacroList macros;
    for (LPCWSTR id : {u"NOSUCHMACR", u"", u"..\\Keys", u"ELEVENCHARS"}) {
        SCOPED_TRACE(Utf16ToUtf8(id));
        Macro macro;
        EXPECT_EQ(macro.Load(*macros.Collection(), id), MacroLoadResult::kMissing);
        EXPECT_EQ(FindMacro(macros, id), nullptr);
        macros.Delete(id);  // an empty id must not take the whole collection
    }
    auto kept = macros.Add(u"Kept");
    macros.Delete(u"");
    macros.LoadAll();
    ASSERT_EQ(macros.Items().size(), 1u) << "nothing appeared for the missing ids";
    EXPECT_EQ(std::u16string(macros.Items()[0].Title), u"Kept");
}

TEST_F(MacroTest, DuplicateCopiesStepsUnderANewIdWithTheSuffixedTitle) {
    MacroList macros;
    auto original = macros.Add(u"Copy test");
    ASSERT_NE(original, nullptr);
    original->Entries = {{0xFF0D, kMacroDown}, {0x41, kMacroToggle}};
    ASSERT_TRUE(original->Save(*macros.Collection()));
    auto copy = macros.Duplicate(original->Id, u" copy");
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(std::u16string(copy->Id), std::u16string(original->Id));
    EXPECT_EQ(std::u16string(copy->Title), u"Copy test copy");
    EXPECT_EQ(StoredData(copy->Id), StoredData(original->Id));

    std::u16string longTitle(259, u'x');
    lstrcpynW(original->Title, longTitle.c_str(), kTextCapacity);
    ASSERT_TRUE(original->Save(*macros.Collection()));
    copy = macros.Duplicate(original->Id, u" copy");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::u16string(copy->Title), longTitle) << "cut to 259 units";
}

TEST(MacroPlay, EachStepSendsItsPressThenItsRelease) {
    Macro macro;
    macro.Entries = {{0xFFE3, kMacroDown}, {0x43, kMacroToggle}, {0x99, 0}, {0xFFE3, kMacroUp}};
    RecordingKeySink sink;
    EXPECT_TRUE(macro.Play(sink));
    EXPECT_EQ(sink.events, (std::vector<RecordedKeyEvent>{Press(0xFFE3), Press(0x43), Release(0x43),
                                                          Release(0xFFE3)}));
}

}  // namespace
