#include <settings/password.h>
#include <settings/settings_key.h>

#include <gtest/gtest.h>

#include "temp_home.h"

namespace {

TEST(Password, ScramblingIsAnXorWithTheHashBytes) {
    TempHome home;
    SettingsKey(HKEY_CURRENT_USER, kApplicationKeyPath).writeDword(u"Hash", 0x04030201);
    BYTE out[kMaxScrambledPassword];
    ASSERT_EQ(ScramblePassword(u"AB", out), 4u);
    EXPECT_EQ(out[0], 'A' ^ 0x01);
    EXPECT_EQ(out[1], 0 ^ 0x02);
    EXPECT_EQ(out[2], 'B' ^ 0x03);
    EXPECT_EQ(out[3], 0 ^ 0x04);
    EXPECT_EQ(ScramblePassword(u"", out), 0u);
}

TEST(Password, EveryPasswordUpToTheLimitComesBackUnchanged) {
    TempHome home;
    std::u16string password;
    for (int length = 0; length <= kMaxSavedPasswordLength; ++length) {
        BYTE scrambled[kMaxScrambledPassword];
        DWORD count = ScramblePassword(password.c_str(), scrambled);
        ASSERT_EQ(count, 2u * length);
        WCHAR text[kTextCapacity];
        UnscramblePassword(scrambled, count, text);
        ASSERT_EQ(std::u16string(text), password);
        password += static_cast<char16_t>(u'a' + length % 26 + (length % 3 == 0 ? 0x400 : 0));
    }
}

TEST(Password, TheHashIsCreatedOnceAndAnOddByteCountIsCutAtItsHalf) {
    TempHome home;
    SettingsKey application(HKEY_CURRENT_USER, kApplicationKeyPath);
    EXPECT_EQ(application.readDword(u"Hash", 0), 0u);
    BYTE out[8];
    ScramblePassword(u"pw", out);
    DWORD hash = application.readDword(u"Hash", 0);
    EXPECT_NE(hash, 0u);
    ScramblePassword(u"pw", out);
    EXPECT_EQ(application.readDword(u"Hash", 0), hash);
    WCHAR text[4] = {u'z', u'z', u'z', u'z'};
    UnscramblePassword(out, 3, text);
    EXPECT_EQ(std::u16string(text), u"p");
}

}  // namespace
