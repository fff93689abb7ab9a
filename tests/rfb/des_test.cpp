#include <rfb/des.h>

#include <gtest/gtest.h>

namespace {

std::vector<BYTE> Encrypt16(const WCHAR* password, const BYTE* challenge) {
    std::vector<BYTE> out(16);
    VncEncryptChallenge(password, challenge, out.data());
    return out;
}

const BYTE kCounting[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

// Expected values from an independent DES (OpenSSL) given the key with each byte's bits reversed.
TEST(Des, PublishedVectorAndVncResponses) {
    const BYTE key[8] = {0x13, 0x34, 0x57, 0x79, 0x9B, 0xBC, 0xDF, 0xF1};
    const BYTE plain[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    BYTE cipher[8];
    Des(key).EncryptBlock(plain, cipher);
    EXPECT_EQ(std::vector<BYTE>(cipher, cipher + 8),
              (std::vector<BYTE>{0x85, 0xE8, 0x13, 0x54, 0x0F, 0x0A, 0xB4, 0x05}));

    // "secret" -> key cea6c64ea62e0000 after bit reversal.
    EXPECT_EQ(Encrypt16(u"secret", kCounting),
              (std::vector<BYTE>{0xee, 0x22, 0x53, 0x9f, 0x33, 0xa5, 0x98, 0x3e, 0xc1, 0x2f, 0x9c,
                                 0x2e, 0xdb, 0xc9, 0x95, 0xdd}));
    // An empty password is the all-zero key.
    EXPECT_EQ(Encrypt16(u"", kCounting),
              (std::vector<BYTE>{0x49, 0x1e, 0x89, 0x0d, 0xe9, 0xac, 0xe9, 0x32, 0x83, 0x8a, 0x49,
                                 0x79, 0x2f, 0x22, 0x13, 0xf3}));
}

TEST(Des, OnlyTheFirstEightCharactersAndTheirLowBytesCount) {
    EXPECT_EQ(Encrypt16(u"secretXYZ-more", kCounting), Encrypt16(u"secretXY", kCounting));
    // U+0173 has low byte 0x73 ('s').
    EXPECT_EQ(Encrypt16(u"\u0173ecret", kCounting), Encrypt16(u"secret", kCounting));
    EXPECT_NE(Encrypt16(u"secreT", kCounting), Encrypt16(u"secret", kCounting));
}

}  // namespace
