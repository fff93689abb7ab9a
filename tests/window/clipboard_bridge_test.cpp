// The bridge between the device clipboard and the desktop's (a fake desktop here): each side's
// new text reaches the other once, nothing comes back as a new change, and desktop text that
// arrives while a program holds the clipboard open waits for it unless the device has newer text.
#include <platform_internal/clipboard_bridge.h>

#include <platform/clipboard.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

class FakeDesktop : public DesktopClipboard {
  public:
    void SetText(const std::string& utf8) override { published.push_back(text = utf8); }
    bool GetText(std::string* utf8) override {
        *utf8 = text;
        return true;
    }
    std::vector<std::string> published;
    std::string text;
};

// What a program does to put text on the device clipboard; units counts the block's size.
void DeviceCopy(const std::u16string& text, std::size_t units) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HLOCAL block = LocalAlloc(LPTR, units * sizeof(char16_t));
    std::memcpy(block, text.data(), std::min(text.size(), units) * sizeof(char16_t));
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
}
void DeviceCopy(const std::u16string& text) {
    DeviceCopy(text, text.size() + 1);
}

std::u16string DeviceText() {
    std::u16string text;
    if (OpenClipboard(nullptr)) {
        if (auto* data = static_cast<const char16_t*>(GetClipboardData(CF_UNICODETEXT))) {
            text = data;
        }
        CloseClipboard();
    }
    return text;
}

class ClipboardBridgeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DeviceCopy(u"start");
        bridge.PublishDeviceChanges();
        desktop.published.clear();
    }
    FakeDesktop desktop;
    ClipboardBridge bridge{desktop};
};

TEST_F(ClipboardBridgeTest, EachSidesTextReachesTheOtherOnceAndNeverComesBack) {
    DeviceCopy(u"gr\u00FC\u00DF \u2713");
    bridge.PublishDeviceChanges();
    bridge.TakeDesktopText();  // the desktop reports the change we made
    bridge.PublishDeviceChanges();
    EXPECT_EQ(desktop.published, std::vector<std::string>{"gr\xC3\xBC\xC3\x9F \xE2\x9C\x93"});

    desktop.text = "from the desktop \xE2\x82\xAC";
    bridge.TakeDesktopText();
    bridge.PublishDeviceChanges();
    EXPECT_EQ(DeviceText(), u"from the desktop \u20AC");
    EXPECT_EQ(desktop.published.size(), 1u);

    // An emptied device clipboard leaves the desktop's text; a block without its terminator is
    // read to its end and no further.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    bridge.PublishDeviceChanges();
    EXPECT_EQ(desktop.published.size(), 1u);
    DeviceCopy(u"ab", 2);
    bridge.PublishDeviceChanges();
    EXPECT_EQ(desktop.published.back(), "ab");
}

TEST_F(ClipboardBridgeTest, DesktopTextWaitsWhileAProgramHasTheClipboardOpen) {
    desktop.text = "later";
    ASSERT_TRUE(OpenClipboard(nullptr));
    bridge.TakeDesktopText();
    CloseClipboard();
    EXPECT_EQ(DeviceText(), u"start");
    bridge.PublishDeviceChanges();
    EXPECT_EQ(DeviceText(), u"later");
    EXPECT_TRUE(desktop.published.empty());

    // If the program put newer text there meanwhile, the newer text stands and goes out.
    desktop.text = "older";
    ASSERT_TRUE(OpenClipboard(nullptr));
    bridge.TakeDesktopText();
    CloseClipboard();
    DeviceCopy(u"newer");
    bridge.PublishDeviceChanges();
    EXPECT_EQ(DeviceText(), u"newer");
    EXPECT_EQ(desktop.published, std::vector<std::string>{"newer"});
}

}  // namespace
