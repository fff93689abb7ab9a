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
    void SetText(const std::string& utf8) override {
        published.push_back(utf8);
        text = utf8;
        has = true;
    }
    bool GetText(std::string* utf8) override {
        *utf8 = text;
        return has;
    }
    void Copy(const std::string& utf8) {  // the user copies on the desktop
        text = utf8;
        has = true;
    }
    std::vector<std::string> published;
    std::string text;
    bool has = false;
};

// What a program does to put text on the device clipboard.
void DeviceCopy(const std::u16string& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HLOCAL block = LocalAlloc(LPTR, (text.size() + 1) * sizeof(char16_t));
    std::memcpy(block, text.data(), text.size() * sizeof(char16_t));
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
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

TEST_F(ClipboardBridgeTest, DeviceTextReachesTheDesktopOnceAsUtf8) {
    DeviceCopy(u"gr\u00FC\u00DF \u2713");
    bridge.PublishDeviceChanges();
    bridge.PublishDeviceChanges();
    EXPECT_EQ(desktop.published, std::vector<std::string>{"gr\xC3\xBC\xC3\x9F \xE2\x9C\x93"});
    // The desktop reports its clipboard changed (by our own hand): nothing new on the device.
    bridge.TakeDesktopText();
    bridge.PublishDeviceChanges();
    EXPECT_EQ(desktop.published.size(), 1u);
    // An emptied device clipboard leaves the desktop's text.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    bridge.PublishDeviceChanges();
    EXPECT_EQ(desktop.published.size(), 1u);
}

TEST_F(ClipboardBridgeTest, DesktopTextBecomesTheDevicesWithoutComingBack) {
    desktop.Copy("from the desktop \xE2\x82\xAC");
    bridge.TakeDesktopText();
    EXPECT_EQ(DeviceText(), u"from the desktop \u20AC");
    bridge.PublishDeviceChanges();
    EXPECT_TRUE(desktop.published.empty());
}

TEST_F(ClipboardBridgeTest, DesktopTextWaitsWhileAProgramHasTheClipboardOpen) {
    desktop.Copy("later");
    ASSERT_TRUE(OpenClipboard(nullptr));
    bridge.TakeDesktopText();
    CloseClipboard();
    EXPECT_EQ(DeviceText(), u"start");
    bridge.PublishDeviceChanges();
    EXPECT_EQ(DeviceText(), u"later");
    EXPECT_TRUE(desktop.published.empty());

    // If the program put newer text there meanwhile, the newer text stands and goes out.
    desktop.Copy("older");
    ASSERT_TRUE(OpenClipboard(nullptr));
    bridge.TakeDesktopText();
    CloseClipboard();
    DeviceCopy(u"newer");
    bridge.PublishDeviceChanges();
    EXPECT_EQ(DeviceText(), u"newer");
    EXPECT_EQ(desktop.published, std::vector<std::string>{"newer"});
}

TEST_F(ClipboardBridgeTest, AnUnterminatedBlockIsReadOnlyToItsEnd) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HLOCAL block = LocalAlloc(LMEM_FIXED, 2 * sizeof(char16_t));
    std::memcpy(block, u"ab", 2 * sizeof(char16_t));
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
    bridge.PublishDeviceChanges();
    EXPECT_EQ(desktop.published, std::vector<std::string>{"ab"});
}

}  // namespace
