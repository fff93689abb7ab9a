// The bridge between the device clipboard and the desktop's (a fake desktop here): each side's
// new text reaches the other once, nothing comes back as a new change, and desktop text that
// arrives while a program holds the clipboard open waits for it unless the device has newer text.
#include <platform/clipboard.h>
#include <platform_testing/desktop_clipboard.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

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
        desktop.Poll();
        publishedBefore = desktop.Published().size();
    }
    // What the device published during the test.
    std::vector<std::string> Published() const {
        return {desktop.Published().begin() + publishedBefore, desktop.Published().end()};
    }
    FakeDesktopClipboard desktop;
    std::size_t publishedBefore = 0;
};

TEST_F(ClipboardBridgeTest, EachSidesTextReachesTheOtherOnceAndNeverComesBack) {
    DeviceCopy(u"gr\u00FC\u00DF \u2713");
    desktop.Poll();
    desktop.AnnounceChange();  // the desktop reports the change we made
    desktop.Poll();
    EXPECT_EQ(Published(), std::vector<std::string>{"gr\xC3\xBC\xC3\x9F \xE2\x9C\x93"});

    desktop.Copy("from the desktop \xE2\x82\xAC");
    desktop.Poll();
    EXPECT_EQ(DeviceText(), u"from the desktop \u20AC");
    EXPECT_EQ(Published().size(), 1u);

    // An emptied device clipboard leaves the desktop's text; a block without its terminator is
    // read to its end and no further.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    desktop.Poll();
    EXPECT_EQ(Published().size(), 1u);
    DeviceCopy(u"ab", 2);
    desktop.Poll();
    EXPECT_EQ(Published().back(), "ab");
}

TEST_F(ClipboardBridgeTest, DesktopTextWaitsWhileAProgramHasTheClipboardOpen) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    desktop.Copy("later");
    CloseClipboard();
    EXPECT_EQ(DeviceText(), u"start");
    desktop.Poll();
    EXPECT_EQ(DeviceText(), u"later");
    EXPECT_TRUE(Published().empty());

    // If the program put newer text there meanwhile, the newer text stands and goes out.
    ASSERT_TRUE(OpenClipboard(nullptr));
    desktop.Copy("older");
    CloseClipboard();
    DeviceCopy(u"newer");
    desktop.Poll();
    EXPECT_EQ(DeviceText(), u"newer");
    EXPECT_EQ(Published(), std::vector<std::string>{"newer"});
}

}  // namespace
