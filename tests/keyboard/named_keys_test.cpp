// The named-key table both ways, the display text of keysyms, and the named-key combo box.
#include "test_windows.h"

#include <keyboard/named_keys.h>

#include <platform/dialog.h>
#include <platform_testing/device_harness.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

std::u16string KeyName(Keysym keysym) {
    WCHAR buffer[kKeyNameCapacity];
    FormatKeyName(keysym, buffer, kKeyNameCapacity);
    return buffer;
}

TEST(NamedKeys, FoundByKeysymAtTheirIndexOthersNot) {
    std::set<DWORD> seen;
    for (int i = 0; i < kNamedKeyCount; ++i) {
        EXPECT_EQ(FindNamedKey(static_cast<Keysym>(NamedKeys[i].keysym)), i) << i;
        EXPECT_GE(NamedKeys[i].keysym, 0xFF00u) << i;
        EXPECT_LE(NamedKeys[i].keysym, 0xFFFFu) << i;
        seen.insert(NamedKeys[i].keysym);
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kNamedKeyCount));
    // Rows whose place the drop-down lists depend on.
    EXPECT_EQ(FindNamedKey(0xFF09), 0);   // Tab first
    EXPECT_EQ(FindNamedKey(0xFFFF), 3);   // Delete
    EXPECT_EQ(FindNamedKey(0xFFBE), 14);  // F1
    EXPECT_EQ(FindNamedKey(0xFFE1), 26);  // Shift (Left)
    EXPECT_EQ(FindNamedKey(0xFFEA), 33);  // Alt (Right) last
    for (Keysym keysym : {0x0000, 0x0041, 0x0061, 0xFF00, 0xFFBD, 0xFFE5, 0xFFEB}) {
        EXPECT_EQ(FindNamedKey(keysym), -1) << std::hex << keysym;
    }
}

TEST(FormatKeyName, NamedKeysShowTheirNameInParentheses) {
    EXPECT_EQ(KeyName(0xFF55), u"(Page Up)");
    EXPECT_EQ(KeyName(0xFFFF), u"(Delete)");
    // Every name fits the buffer; the longest fills it.
    std::size_t longest = 0;
    for (const NamedKey& key : NamedKeys) {
        std::u16string name = KeyName(static_cast<Keysym>(key.keysym));
        EXPECT_EQ(name, u"(" + std::u16string(key.name) + u")");
        longest = std::max(longest, name.size());
    }
    EXPECT_EQ(longest, static_cast<std::size_t>(kKeyNameCapacity - 1));
}

TEST(FormatKeyName, OtherKeysymsShowAsOneUpperCaseCharacter) {
    EXPECT_EQ(KeyName(0x0061), u"A");
    EXPECT_EQ(KeyName(0x0041), u"A");
    EXPECT_EQ(KeyName(0x0031), u"1");
    EXPECT_EQ(KeyName(0x00E9), u"\u00C9");
    EXPECT_EQ(KeyName(0x0436), u"\u0416");
    EXPECT_EQ(KeyName(0x20AC), u"\u20AC");
    EXPECT_EQ(KeyName(0xFF1A), u"\uFF1A");  // in the named range, but not a named key
    EXPECT_EQ(KeyName(0), u"");
}

TEST(FormatKeyName, ShortBuffersAreCutAndTerminated) {
    WCHAR buffer[6] = {u'x', u'x', u'x', u'x', u'x', u'x'};
    EXPECT_EQ(FormatKeyName(0xFF56, buffer, 5), 4);  // "(Page Down)"
    EXPECT_EQ(std::u16string(buffer), u"(Pag");
    EXPECT_EQ(buffer[5], u'x');
    EXPECT_EQ(FormatKeyName(0x0061, buffer, 1), 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(FormatKeyName(0x0061, nullptr, 10), 0);
}

TEST(FillNamedKeyCombo, AppendsEveryNamedKeyWithItsKeysym) {
    DeviceHarness device;
    ASSERT_TRUE(RegisterTestClass(u"ComboParent", DefWindowProcW));
    RegisterControlClasses();
    HWND parent = CreateWindowExW(0, u"ComboParent", u"", WS_VISIBLE, 0, 26, 240, 200, nullptr,
                                  nullptr, nullptr, nullptr);
    HWND combo =
        CreateWindowExW(0, WC_COMBOBOX, u"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | WS_VSCROLL, 10,
                        10, 120, 100, parent, nullptr, nullptr, nullptr);
    ASSERT_NE(combo, nullptr);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"first"));
    FillNamedKeyCombo(combo);
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), kNamedKeyCount + 1);
    for (int i = 0; i < kNamedKeyCount; ++i) {
        WCHAR text[kKeyNameCapacity + 8] = {};
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i + 1),
                     reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(std::u16string(text), KeyName(static_cast<Keysym>(NamedKeys[i].keysym)));
        EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i + 1), 0),
                  static_cast<LRESULT>(NamedKeys[i].keysym));
    }
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    DestroyWindow(parent);
}

}  // namespace
