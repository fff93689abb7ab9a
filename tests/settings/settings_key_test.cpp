#include <settings/settings_key.h>

#include <gtest/gtest.h>

#include <memory>

#include "temp_home.h"

namespace {

TEST(SettingsKey, MissingOrMisshapenValuesGiveTheDefaults) {
    TempHome home;
    SettingsKey key(HKEY_CURRENT_USER, u"Software\\Orlin Software\\Tavrel\\New\\Deep");
    EXPECT_EQ(key.readDword(u"Missing", 77), 77u);
    const BYTE two[2] = {1, 2};
    RegSetValueExW(key.handle(), u"Short", 0, REG_DWORD, two, 2);
    EXPECT_EQ(key.readDword(u"Short", 5), 5u) << "only exactly four bytes count";
    const BYTE asBinary[4] = {1, 0, 0, 0};
    RegSetValueExW(key.handle(), u"Binary4", 0, REG_BINARY, asBinary, 4);
    EXPECT_EQ(key.readDword(u"Binary4", 5), 1u) << "the stored type is not checked";

    WCHAR text[kTextCapacity];
    key.readString(u"Missing", u"fallback", text);
    EXPECT_EQ(std::u16string(text), u"fallback");
    std::u16string longest(259, u'x');
    key.writeString(u"Fits", longest.c_str());
    key.readString(u"Fits", u"d", text);
    EXPECT_EQ(std::u16string(text), longest);
    std::u16string tooLong(260, u'y');
    key.writeString(u"TooLong", tooLong.c_str());
    key.readString(u"TooLong", u"d", text);
    EXPECT_EQ(std::u16string(text), u"d");
    const BYTE unterminated[4] = {'a', 0, 'b', 0};
    RegSetValueExW(key.handle(), u"Unterminated", 0, REG_SZ, unterminated, 4);
    key.readString(u"Unterminated", u"d", text);
    EXPECT_EQ(std::u16string(text), u"ab");
}

TEST(SettingsKey, BinaryValuesAreCopiedWholeOrNotAtAll) {
    TempHome home;
    SettingsKey key(HKEY_CURRENT_USER, u"Software\\T");
    const BYTE data[5] = {9, 8, 7, 6, 5};
    key.writeBinary(u"Data", data, 5);
    key.writeBinary(u"Zero", data, 0);
    BYTE out[8] = {};
    EXPECT_EQ(key.readBinary(u"Data", out, 8), 5u);
    EXPECT_EQ(out[4], 5);
    BYTE small[4] = {0, 0, 0, 0};
    EXPECT_EQ(key.readBinary(u"Data", small, 4), 0u);
    EXPECT_EQ(small[0], 0) << "no truncated copy";
    EXPECT_EQ(key.readBinary(u"Zero", out, 8), 0u);
    EXPECT_EQ(key.readBinary(u"Missing", out, 8), 0u);
}

TEST(SettingsKey, ChildrenEnumerateAndDeleteWithEverythingBelow) {
    TempHome home;
    SettingsKey key(HKEY_CURRENT_USER, u"Software\\T");
    WCHAR name[kTextCapacity];
    EXPECT_FALSE(key.enumSubkey(0, name));
    std::unique_ptr<SettingsKey> child(key.openSubkey(u"A"));
    std::unique_ptr<SettingsKey> grandChild(child->openSubkey(u"Keys"));
    grandChild->writeDword(u"V", 1);
    grandChild->close();
    child->close();
    std::unique_ptr<SettingsKey>(key.openSubkey(u"B"))->close();
    ASSERT_TRUE(key.enumSubkey(0, name));
    EXPECT_EQ(std::u16string(name), u"A");
    ASSERT_TRUE(key.enumSubkey(1, name));
    EXPECT_EQ(std::u16string(name), u"B");
    EXPECT_FALSE(key.enumSubkey(2, name));

    key.deleteSubkey(u"A");
    key.deleteSubkey(u"Missing");
    key.deleteValue(u"Missing");
    ASSERT_TRUE(key.enumSubkey(0, name));
    EXPECT_EQ(std::u16string(name), u"B");
    EXPECT_FALSE(key.enumSubkey(1, name));
    std::unique_ptr<SettingsKey> again(key.openSubkey(u"A"));
    std::unique_ptr<SettingsKey> keys(again->openSubkey(u"Keys"));
    EXPECT_EQ(keys->readDword(u"V", 0), 0u) << "the old subtree is gone";
}

TEST(SettingsKey, AKeyThatCannotBeOpenedBehavesAsEmpty) {
    TempHome home;
    std::u16string tooLong(300, u'n');  // no key name may be this long
    SettingsKey key(HKEY_CURRENT_USER, tooLong.c_str());
    EXPECT_EQ(key.handle(), nullptr);
    key.writeDword(u"X", 1);
    key.writeString(u"S", u"text");
    EXPECT_EQ(key.readDword(u"X", 3), 3u);
    WCHAR text[kTextCapacity];
    key.readString(u"S", u"default", text);
    EXPECT_EQ(std::u16string(text), u"default");
    EXPECT_FALSE(key.enumSubkey(0, text));
    std::unique_ptr<SettingsKey> child(key.openSubkey(u"C"));
    ASSERT_TRUE(child);
    EXPECT_EQ(child->readDword(u"X", 4), 4u);
}

}  // namespace
