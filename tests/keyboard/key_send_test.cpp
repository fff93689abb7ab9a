// What pressing and releasing a defined key sends: plain and macro keys, latching, a macro that
// was deleted, and releasing what keys and macros left held on the server.
#include "recording_key_sink.h"
#include "temp_home.h"

#include <keyboard/held_keys.h>
#include <keyboard/key_list.h>
#include <keyboard/macro_list.h>

#include <platform/text.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Events = std::vector<RecordedKeyEvent>;
using TapEvents = std::pair<Events, Events>;  // what a press sent, what the release sent

constexpr Keysym kControl = 0xFFE3;

class KeySendTest : public ::testing::Test {
  protected:
    // The id of a saved macro with these steps.
    std::u16string SaveMacro(std::vector<MacroEntry> entries) {
        MacroList macros;
        auto macro = macros.Add(u"M");
        EXPECT_NE(macro, nullptr);
        macro->Entries = std::move(entries);
        EXPECT_TRUE(macro->Save(*macros.Collection()));
        return macro->Id;
    }
    static KeyDef PlainKey(Keysym keysym, bool latch) {
        KeyDef key;
        key.KeySym = keysym;
        key.Latch = latch;
        return key;
    }
    static KeyDef MacroKey(const std::u16string& down, const std::u16string& up, bool latch) {
        KeyDef key;
        key.Type = kMacroKey;
        key.Latch = latch;
        lstrcpynW(key.MacroDown, down.c_str(), kItemIdCapacity);
        lstrcpynW(key.MacroUp, up.c_str(), kItemIdCapacity);
        return key;
    }
    TapEvents Tap(KeyDef& key) {
        key.Send(sink, true);
        Events pressed = sink.Take();
        key.Send(sink, false);
        return {pressed, sink.Take()};
    }

    TempHome home;
    RecordingKeySink sink;
};

TEST_F(KeySendTest, PlainKeysSendTheirKeysymAndLatchingOnesAlternate) {
    KeyDef plain = PlainKey(0xFF1B, false);
    EXPECT_EQ(Tap(plain), (TapEvents{{Press(0xFF1B)}, {Release(0xFF1B)}}));
    EXPECT_FALSE(plain.Down);

    KeyDef latching = PlainKey(kControl, true);
    EXPECT_EQ(Tap(latching), (TapEvents{{Press(kControl)}, {}}));
    EXPECT_TRUE(latching.Down);
    EXPECT_EQ(Tap(latching), (TapEvents{{Release(kControl)}, {}}));
    EXPECT_FALSE(latching.Down);
}

TEST_F(KeySendTest, MacroKeysPlayTheirDownAndUpMacros) {
    std::u16string down = SaveMacro({{kControl, kMacroDown}, {0x43, kMacroToggle}});
    std::u16string up = SaveMacro({{kControl, kMacroUp}});
    const Events downEvents = {Press(kControl), Press(0x43), Release(0x43)};
    KeyDef key = MacroKey(down, up, false);
    EXPECT_EQ(Tap(key), (TapEvents{downEvents, {Release(kControl)}}));

    KeyDef latching = MacroKey(down, up, true);
    EXPECT_EQ(Tap(latching), (TapEvents{downEvents, {}}));
    EXPECT_EQ(Tap(latching), (TapEvents{{Release(kControl)}, {}}));

    KeyDef noUp = MacroKey(down, u"", false);
    noUp.Send(sink, true);
    EXPECT_TRUE(noUp.Down);
    EXPECT_EQ(Tap(noUp).second, Events{});
    EXPECT_FALSE(noUp.Down) << "Down follows the release all the same";
}

TEST_F(KeySendTest, AKeyWhoseMacroWasDeletedPlaysNothingAndCreatesNothing) {
    std::u16string down = SaveMacro({{0x41, kMacroToggle}});
    std::u16string up = SaveMacro({{0x42, kMacroToggle}});
    KeyList keys;
    ASSERT_TRUE(keys.Save(MacroKey(down, up, false)));
    MacroList macros;
    macros.Delete(down.c_str());

    keys.LoadAll();
    ASSERT_EQ(keys.Keys().size(), 1u);
    KeyDef& loaded = keys.Keys()[0];
    EXPECT_EQ(std::u16string(loaded.MacroDown), down) << "the key keeps the id";
    EXPECT_EQ(Tap(loaded), (TapEvents{{}, {Press(0x42), Release(0x42)}}));
    macros.LoadAll();
    ASSERT_EQ(macros.Items().size(), 1u) << "no empty macro appeared for the deleted id";
    EXPECT_EQ(std::u16string(macros.Items()[0].Id), up);
}

TEST_F(KeySendTest, ReleaseLetsGoOfALatchedOrHeldKey) {
    KeyDef latched = PlainKey(kControl, true);
    EXPECT_FALSE(latched.Release(sink)) << "not down: nothing to release";
    latched.Send(sink, true);
    EXPECT_TRUE(latched.Release(sink));
    EXPECT_FALSE(latched.Down);
    EXPECT_EQ(sink.Take(), (Events{Press(kControl), Release(kControl)}));

    KeyDef held =
        MacroKey(SaveMacro({{kControl, kMacroDown}}), SaveMacro({{kControl, kMacroUp}}), false);
    held.Send(sink, true);  // the button is still held when the toolbar drops its keys
    EXPECT_TRUE(held.Release(sink));
    EXPECT_EQ(sink.Take(), (Events{Press(kControl), Release(kControl)}));
}

TEST_F(KeySendTest, HeldKeysReleasesWhatMacrosLeftDown) {
    HeldKeys held(sink);
    KeyDef key = MacroKey(SaveMacro({{0xFFE1, kMacroDown},
                                     {kControl, kMacroDown},
                                     {kControl, kMacroDown},
                                     {0x41, kMacroToggle},
                                     {0xFFE9, kMacroDown},
                                     {0xFFE9, kMacroUp}}),
                          u"", false);
    key.Send(held, true);
    key.Send(held, false);
    sink.Take();
    EXPECT_EQ(held.Held(), (std::vector<Keysym>{0xFFE1, kControl}));
    EXPECT_TRUE(held.ReleaseAll());
    EXPECT_EQ(sink.Take(), (Events{Release(kControl), Release(0xFFE1)})) << "last pressed first";
    EXPECT_TRUE(held.Held().empty());

    sink.failAfter = 1;  // a press the session could not send is not held
    EXPECT_TRUE(held.SendKeyEvent(true, 0x41));
    EXPECT_FALSE(held.SendKeyEvent(true, 0x42));
    EXPECT_EQ(held.Held(), (std::vector<Keysym>{0x41}));
}

}  // namespace
