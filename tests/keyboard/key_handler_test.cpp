// Device key messages as key events: hardware keys, typed characters, the character cache that
// pairs a key-up with its key-down, and the Alt bracket. Keys come through the device harness to
// a window whose procedure hands them to a KeyHandler, as the viewer's does.
#include "memory_transport.h"
#include "recording_listener.h"
#include "test_windows.h"

#include <keyboard/key_handler.h>
#include <keyboard/key_translation.h>
#include <keyboard/session_key_event_sink.h>

#include <platform_testing/test_switches.h>
#include <platform_testing/device_harness.h>
#include <rfb/rfb_session.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct KeyEvent {
    bool down;
    Keysym keysym;
    bool operator==(const KeyEvent&) const = default;
};

void PrintTo(const KeyEvent& event, std::ostream* out) {
    *out << (event.down ? "down " : "up ") << std::hex << event.keysym;
}

class RecordingSink : public KeyEventSink {
  public:
    bool SendKeyEvent(bool down, Keysym keysym) override {
        events.push_back({down, keysym});
        return true;
    }
    std::vector<KeyEvent> events;
};

// What the window procedure of the test window reaches through its user data.
struct KeyTarget {
    KeyHandler handler;
    KeyEventSink* sink;
};

LRESULT KeyTargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* target = reinterpret_cast<KeyTarget*>(GetWindowLongPtrW(window, GWL_USERDATA));
    if (target != nullptr &&
        target->handler.HandleKeyMessage(window, message, wParam, lParam, *target->sink)) {
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

constexpr Keysym kAlt = 0xFFE9;
constexpr Keysym kShift = 0xFFE1;

class KeyHandlerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(RegisterTestClass(u"KeyTarget", KeyTargetProc));
        window = CreateWindowExW(0, u"KeyTarget", u"", WS_VISIBLE, 0, 26, 240, 200, nullptr,
                                 nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        SetWindowLongPtrW(window, GWL_USERDATA, reinterpret_cast<LONG_PTR>(&target));
        SetFocus(window);
        device.PumpUntilIdle();
        SetDebugOutputSink([this](const std::u16string& text) { debugText += text; });
    }
    void TearDown() override { SetDebugOutputSink(nullptr); }

    const std::vector<KeyEvent>& Sent() const { return sink.events; }

    DeviceHarness device;
    RecordingSink sink;
    KeyTarget target{KeyHandler{}, &sink};
    HWND window = nullptr;
    std::u16string debugText;
};

TEST_F(KeyHandlerTest, HardwareKeysWithFixedKeysyms) {
    const struct {
        UINT virtualKey;
        Keysym keysym;
    } keys[] = {{VK_BACK, 0xFF08},  {VK_TAB, 0xFF09},     {VK_RETURN, 0xFF0D},
                {VK_SHIFT, 0xFFE1}, {VK_CONTROL, 0xFFE3}, {VK_LEFT, 0xFF51},
                {VK_UP, 0xFF52},    {VK_RIGHT, 0xFF53},   {VK_DOWN, 0xFF54}};
    std::vector<KeyEvent> expected;
    for (const auto& key : keys) {
        device.PressKey(key.virtualKey);
        expected.push_back({true, key.keysym});
        expected.push_back({false, key.keysym});
    }
    EXPECT_EQ(Sent(), expected);
    EXPECT_EQ(debugText, u"");
}

TEST_F(KeyHandlerTest, OtherHardwareKeysSendTheirCharacterOrNothing) {
    device.PressKey(VK_ESCAPE);
    EXPECT_EQ(Sent(), (std::vector<KeyEvent>{{true, 0x1B}, {false, 0x1B}}));
    EXPECT_EQ(debugText, u"");
    for (UINT key : {VK_HOME, VK_END, VK_PRIOR, VK_NEXT, VK_INSERT, VK_DELETE, VK_F1, VK_MENU}) {
        device.PressKey(key);
    }
    EXPECT_EQ(Sent().size(), 2u);
    std::u16string failure = u"Failed to translate character\r\n";
    EXPECT_EQ(debugText.size(), 8 * failure.size());
    EXPECT_EQ(debugText.substr(0, failure.size()), failure);
}

TEST_F(KeyHandlerTest, TypedCharactersAreSentAsTheirCodeUnits) {
    device.Type(u"a1 Z\u00e9\u0416\u20ac");
    std::vector<KeyEvent> expected;
    for (Keysym unit : {0x61, 0x31, 0x20, 0x5A, 0xE9, 0x416, 0x20AC}) {
        expected.push_back({true, unit});
        expected.push_back({false, unit});
    }
    EXPECT_EQ(Sent(), expected);
}

TEST_F(KeyHandlerTest, ShiftThenALetterSendsTheShiftedLetter) {
    device.HoldKey(VK_SHIFT);
    device.PressKey('A');
    device.ReleaseKey(VK_SHIFT);
    EXPECT_EQ(Sent(), (std::vector<KeyEvent>{
                          {true, kShift}, {true, 0x41}, {false, 0x41}, {false, kShift}}));
}

TEST_F(KeyHandlerTest, KeyUpSendsWhatItsKeyDownProduced) {
    // Shift changes the letter between the key's down and up; the up still releases "a".
    device.HoldKey('A');
    device.HoldKey(VK_SHIFT);
    device.ReleaseKey('A');
    device.ReleaseKey(VK_SHIFT);
    // Never pressed, or pressed without a character: nothing to release.
    device.ReleaseKey('Q');
    device.PressKey(VK_HOME);
    // Codes that agree in the low 8 bits share an entry: 0x141 translates as key 0x41.
    device.HoldKey(0x141);
    device.ReleaseKey('A');
    EXPECT_EQ(Sent(), (std::vector<KeyEvent>{{true, 0x61},
                                             {true, kShift},
                                             {false, 0x61},
                                             {false, kShift},
                                             {true, 0x61},
                                             {false, 0x61}}));
}

TEST_F(KeyHandlerTest, AltBracketsEachMessageThatCarriesIt) {
    device.PressKey(VK_TAB, true);
    device.PressKey(VK_HOME, true);  // no keysym: the bracket alone
    device.PressKey(VK_TAB);
    std::vector<KeyEvent> tab = {{true, kAlt}, {true, 0xFF09},  {false, kAlt},
                                 {true, kAlt}, {false, 0xFF09}, {false, kAlt}};
    std::vector<KeyEvent> home = {{true, kAlt}, {false, kAlt}, {true, kAlt}, {false, kAlt}};
    std::vector<KeyEvent> plainTab = {{true, 0xFF09}, {false, 0xFF09}};
    std::vector<KeyEvent> expected = tab;
    expected.insert(expected.end(), home.begin(), home.end());
    expected.insert(expected.end(), plainTab.begin(), plainTab.end());
    EXPECT_EQ(Sent(), expected);
}

TEST_F(KeyHandlerTest, TranslationTakesItsCharacterOffTheQueue) {
    KeyCharCache cache;
    EXPECT_EQ(TranslateKeyMessage(window, cache, true, 'B', 1), 0x62);
    MSG left;
    EXPECT_FALSE(PeekMessageW(&left, window, WM_CHAR, WM_CHAR, PM_NOREMOVE));
    EXPECT_EQ(cache.Get('B'), 0x62);
    EXPECT_EQ(TranslateKeyMessage(window, cache, false, 'B', 1), 0x62);
    // A fixed key neither fills nor reads the entry that it shares with 0x108.
    EXPECT_EQ(TranslateKeyMessage(window, cache, true, 0x108, 1), 0x08);
    EXPECT_EQ(TranslateKeyMessage(window, cache, true, VK_BACK, 1), 0xFF08);
    EXPECT_EQ(TranslateKeyMessage(window, cache, false, VK_BACK, 1), 0xFF08);
    EXPECT_EQ(cache.Get(VK_BACK), 0x08);
}

TEST(SessionKeyEventSink, KeyEventsGoOutAsKeyEventMessages) {
    MemoryTransport transport;
    RecordingListener listener;
    RfbSession session(&listener, &transport);
    SessionKeyEventSink sink(&session);
    EXPECT_TRUE(sink.SendKeyEvent(true, 0xFFE9));
    EXPECT_TRUE(sink.SendKeyEvent(false, 0x0416));
    EXPECT_EQ(transport.Sends(), (std::vector<std::vector<std::uint8_t>>{
                                     {4, 255, 0, 0, 0, 0, 0xFF, 0xE9},
                                     {4, 0, 0, 0, 0, 0, 0x04, 0x16},
                                 }));
    transport.Close();
    EXPECT_FALSE(sink.SendKeyEvent(true, 0x41));
    SessionKeyEventSink unconnected(nullptr);
    EXPECT_FALSE(unconnected.SendKeyEvent(true, 0x41));
}

}  // namespace
