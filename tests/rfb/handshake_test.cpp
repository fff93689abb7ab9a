#include "memory_transport.h"
#include "recording_listener.h"
#include "rfb_test_bytes.h"

#include <rfb/des.h>
#include <rfb/limits.h>
#include <rfb/rfb_session.h>

#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;

// ServerInit of a 640 x 480 server with its 32-bit little-endian format and the given name.
Bytes ServerInit(const std::string& name) {
    Bytes b;
    Put16(b, 640);
    Put16(b, 480);
    Put(b, {32, 24, 0, 1, 0, 255, 0, 255, 0, 255, 16, 8, 0, 0, 0, 0});
    Put32(b, static_cast<std::uint32_t>(name.size()));
    return PutText(b, name);
}

struct Outcome {
    bool result;
    Strings calls;
    std::vector<Bytes> sends;
    PixelFormat format;
};

Outcome Handshake(const Bytes& server, const WCHAR* password = u"", bool shared = true) {
    MemoryTransport transport(server);
    RecordingListener listener;
    RfbSession session(&listener, &transport);
    bool result = session.Handshake(password, shared);
    return {result, listener.Calls(), transport.Sends(), session.GetPixelFormat()};
}

TEST(Handshake, NoAuthenticationAnswersAnyVersionWith33AndReadsServerInit) {
    Bytes server;
    PutText(server, "RFB 003.008\n");
    Put32(server, 1);
    auto init = ServerInit("desk\xE9");
    server.insert(server.end(), init.begin(), init.end());

    MemoryTransport transport(server);
    RecordingListener listener;
    RfbSession session(&listener, &transport);
    ASSERT_TRUE(session.Handshake(u"", false));
    EXPECT_EQ(transport.Sends(),
              (std::vector<Bytes>{
                  Bytes{'R', 'F', 'B', ' ', '0', '0', '3', '.', '0', '0', '3', '\n'}, Bytes{0}}));
    EXPECT_EQ(listener.Calls(), Strings{"ServerInit desk\u00e9 640x480 bpp 32"});
    // Bytes 128 to 255 of the name become the characters of the same code.
    EXPECT_EQ(listener.Name(), u"desk\u00e9");
    EXPECT_EQ(session.Width(), 640);
    EXPECT_EQ(session.Height(), 480);
    EXPECT_EQ(session.GetPixelFormat().redMax, 255);
    EXPECT_EQ(session.GetPixelFormat().redShift, 16);
}

TEST(Handshake, VersionLineMustMatchThePattern) {
    for (std::string version : {"RFB 003.00x\r", "RFX 003.003\n", "RFB 003,003\n"}) {
        Bytes server;
        PutText(server, version);
        Outcome run = Handshake(server);
        EXPECT_FALSE(run.result) << version;
        EXPECT_TRUE(run.calls.empty()) << version;
        EXPECT_TRUE(run.sends.empty()) << version;
    }
}

TEST(Handshake, SecurityFailuresReportConnectionFailed) {
    Bytes refused;
    PutText(refused, "RFB 003.003\n");
    Put32(refused, 0);
    Put32(refused, 6);
    PutText(refused, "go away");
    EXPECT_EQ(Handshake(refused).calls, Strings{"ProtocolError 0"});

    Bytes unknown;
    PutText(unknown, "RFB 003.003\n");
    Put32(unknown, 16);
    EXPECT_EQ(Handshake(unknown).calls, Strings{"ProtocolError 0"});

    Bytes cut;  // the security type never arrives
    PutText(cut, "RFB 003.003\n");
    Outcome run = Handshake(cut);
    EXPECT_FALSE(run.result);
    EXPECT_EQ(run.calls, Strings{"ProtocolError 0"});
}

Bytes AuthServer(int result) {
    Bytes b;
    PutText(b, "RFB 003.003\n");
    Put32(b, 2);
    for (int i = 0; i < 16; ++i) {
        b.push_back(static_cast<std::uint8_t>(i * 7));
    }
    if (result >= 0) {
        Put32(b, static_cast<std::uint32_t>(result));
    }
    return b;
}

TEST(Handshake, VncAuthenticationSendsTheDesResponseAndMapsResults) {
    Bytes server = AuthServer(0);
    auto init = ServerInit("");
    server.insert(server.end(), init.begin(), init.end());
    Outcome ok = Handshake(server, u"secret");
    ASSERT_TRUE(ok.result);
    BYTE challenge[16];
    for (int i = 0; i < 16; ++i) {
        challenge[i] = static_cast<BYTE>(i * 7);
    }
    BYTE expected[16];
    VncEncryptChallenge(u"secret", challenge, expected);
    ASSERT_EQ(ok.sends.size(), 3u);
    EXPECT_EQ(ok.sends[1], Bytes(expected, expected + 16));
    EXPECT_EQ(ok.sends[2], Bytes{255});
    EXPECT_EQ(ok.calls, Strings{"ServerInit  640x480 bpp 32"});

    EXPECT_EQ(Handshake(AuthServer(1), u"x").calls, Strings{"ProtocolError 1"});
    EXPECT_EQ(Handshake(AuthServer(2), u"x").calls, Strings{"ProtocolError 2"});
    EXPECT_EQ(Handshake(AuthServer(7), u"x").calls, Strings{"ProtocolError 1"});
    // A result that never arrives counts as a failed authentication.
    EXPECT_EQ(Handshake(AuthServer(-1), u"x").calls, Strings{"ProtocolError 1"});
}

TEST(Handshake, OverlongNameOrReasonFailsWithoutReadingIt) {
    Bytes server;
    PutText(server, "RFB 003.003\n");
    Put32(server, 1);
    auto init = ServerInit(std::string(kMaxDesktopNameLength, 'n'));
    server.insert(server.end(), init.begin(), init.end());
    EXPECT_TRUE(Handshake(server).result);

    server.resize(server.size() - kMaxDesktopNameLength);
    server[server.size() - 1] = 1;  // length 0x..1001
    server[server.size() - 2] = 0x10;
    Outcome tooLong = Handshake(server);
    EXPECT_FALSE(tooLong.result);
    EXPECT_EQ(tooLong.calls, Strings{"ProtocolError 0"});

    Bytes reason;
    PutText(reason, "RFB 003.003\n");
    Put32(reason, 0);
    Put32(reason, 0xFFFFFFFF);
    EXPECT_EQ(Handshake(reason).calls, Strings{"ProtocolError 0"});
}

TEST(Handshake, SetPixelFormatFromBitsBuildsBigEndianTrueColour) {
    MemoryTransport transport;
    RecordingListener listener;
    RfbSession session(&listener, &transport);
    ASSERT_TRUE(session.SetPixelFormatFromBits(8, 3, 3, 2));
    EXPECT_EQ(transport.Sends().back(),
              (Bytes{0, 0, 0, 0, 8, 8, 1, 1, 0, 7, 0, 7, 0, 3, 5, 2, 0, 0, 0, 0}));
    session.SetPixelFormatFromBits(16, 5, 6, 5);
    EXPECT_EQ(transport.Sends().back(),
              (Bytes{0, 0, 0, 0, 16, 16, 1, 1, 0, 31, 0, 63, 0, 31, 11, 5, 0, 0, 0, 0}));
    EXPECT_EQ(session.GetPixelFormat().greenMax, 63);
}

}  // namespace
