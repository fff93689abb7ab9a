#include "memory_transport.h"
#include "recording_listener.h"
#include "rfb_test_bytes.h"

#include <encodings/standard_decoders.h>
#include <rfb/decoder_registry.h>
#include <rfb/limits.h>
#include <rfb/rfb_session.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Strings = std::vector<std::string>;

class DecoderEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { RegisterStandardDecoders(); }
    void TearDown() override { ClearDecoders(); }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new DecoderEnvironment);

// Runs the message loop of a 16-bit session of 64 x 48 over the given server bytes.
struct Loop {
    explicit Loop(const Bytes& server) : transport(server), session(&listener, &transport) {
        session.SetPixelFormatFromBits(16, 5, 6, 5);
        session.SetFramebufferSize(64, 48);
        listener.framebuffer.Resize(64, 48);
        listener.framebuffer.SetBytesPerPixel(2);
        session.RunMessageLoop();
    }
    MemoryTransport transport;
    RecordingListener listener;
    RfbSession session;
};

TEST(MessageLoop, OpensWithSetEncodingsInPriorityOrderAndAFullRequest) {
    EXPECT_EQ(RegisteredEncodings(), (std::vector<int>{-239, -223, 5, 2, 4, 1, 0}));
    Loop loop({});
    const auto& sends = loop.transport.Sends();
    ASSERT_EQ(sends.size(), 3u);  // SetPixelFormat, SetEncodings, update request
    Bytes encodings{2, 0, 0, 7};
    for (int e : {-239, -223, 5, 2, 4, 1, 0}) {
        Put32(encodings, static_cast<std::uint32_t>(e));
    }
    EXPECT_EQ(sends[1], encodings);
    EXPECT_EQ(sends[2], (Bytes{3, 0, 0, 0, 0, 0, 0, 64, 0, 48}));
}

TEST(MessageLoop, UpdatesBellsAndCutTextInOneStream) {
    Bytes server;
    PutUpdate(server, 0);
    Put(server, {2});
    Put(server, {3, 0, 0, 0});
    Put32(server, 0);
    Put(server, {3, 0, 0, 0});
    Put32(server, 3);
    Put(server, {'a', 0xE9, 'z'});
    PutUpdate(server, 1);
    PutRect(server, 1, 2, 3, 4, 1);
    Put(server, {0, 5, 0, 6});
    Loop loop(server);
    EXPECT_EQ(loop.listener.Calls(), (Strings{"UpdateComplete", "Bell", "CutText 0", "CutText 3",
                                              "Copy 1,2 3x4 from 5,6", "UpdateComplete"}));
    EXPECT_EQ(loop.listener.CutText(), u"a\u00e9z");
    EXPECT_EQ(loop.transport.Remaining(), 0u);
}

// A message or an encoding this client cannot read ends the session as a protocol error: the
// connection is closed and the user is told once, instead of a viewer that seems connected.
TEST(MessageLoop, UnadvertisedEncodingEndsTheSessionWithAnError) {
    Bytes server;
    PutUpdate(server, 2);
    PutRect(server, 0, 0, 1, 1, 1);
    Put(server, {0, 0, 0, 0});
    PutRect(server, 0, 0, 1, 1, 16);  // ZRLE, never advertised
    PutUpdate(server, 0);
    Loop loop(server);
    EXPECT_EQ(loop.listener.Calls(), (Strings{"Copy 0,0 1x1 from 0,0", "ProtocolError 0"}));
    EXPECT_TRUE(loop.transport.Closed());
}

TEST(MessageLoop, UnknownMessageTypeEndsTheSessionWithAnError) {
    Bytes server{1, 0, 0, 0};
    Loop loop(server);
    EXPECT_EQ(loop.listener.Calls(), Strings{"ProtocolError 0"});
    EXPECT_TRUE(loop.transport.Closed());
}

// Two one-pixel updates, the first at 16 bits a pixel, the second at 8.
Bytes TwoUpdatesAcrossAFormatChange() {
    Bytes server;
    PutUpdate(server, 1);
    PutRect(server, 0, 0, 1, 1, 0);
    Put(server, {0x12, 0x34});
    PutUpdate(server, 1);
    PutRect(server, 1, 0, 1, 1, 0);
    Put(server, {0x56});
    return server;
}

// A format asked for while the session runs goes to the server at the end of the next update,
// where no request is outstanding, with a request for the whole screen; the update after it is
// read in the new size of pixel.
TEST(MessageLoop, ANewPixelFormatTakesEffectBetweenTwoUpdates) {
    Bytes server = TwoUpdatesAcrossAFormatChange();
    MemoryTransport transport(server);
    RecordingListener listener;
    RfbSession session(&listener, &transport);
    session.SetPixelFormatFromBits(16, 5, 6, 5);
    session.SetFramebufferSize(64, 48);
    listener.framebuffer.Resize(64, 48);
    listener.framebuffer.SetBytesPerPixel(2);
    ASSERT_TRUE(session.ChangePixelFormat(PixelFormat::FromBits(8, 3, 3, 2)));
    EXPECT_EQ(session.GetPixelFormat().bitsPerPixel, 16) << "not before the stream changes";
    session.RunMessageLoop();
    EXPECT_EQ(listener.Calls(), (Strings{"Image 0,0 1x1", "PixelFormat 8", "UpdateComplete",
                                         "Image 1,0 1x1", "UpdateComplete"}));
    EXPECT_EQ(transport.Remaining(), 0u);
    const auto& sends = transport.Sends();
    // SetPixelFormat, the one pixel that brings an update (asked for before the loop runs),
    // SetEncodings and the loop's request, then the change at the first update's end.
    ASSERT_EQ(sends.size(), 6u);
    EXPECT_EQ(sends[1], (Bytes{3, 0, 0, 0, 0, 0, 0, 1, 0, 1}));
    EXPECT_EQ(sends[4][0], 0);  // SetPixelFormat
    EXPECT_EQ(sends[4][4], 8);  // 8 bits a pixel
    EXPECT_EQ(sends[5], (Bytes{3, 0, 0, 0, 0, 0, 0, 64, 0, 48}));  // the whole screen again
}

// Asked for while an update is being read, the change waits for that update's end and sends no
// request of its own: a second update answering it could come in the old format after the switch.
TEST(MessageLoop, AFormatChangeDuringAnUpdateTakesItsEndWithoutAnotherRequest) {
    Bytes server = TwoUpdatesAcrossAFormatChange();
    struct ChangingListener : RecordingListener {
        void OnImageRect(int x, int y, int width, int height, const BYTE* pixels) override {
            RecordingListener::OnImageRect(x, y, width, height, pixels);
            if (session != nullptr && x == 0) {
                session->ChangePixelFormat(PixelFormat::FromBits(8, 3, 3, 2));
            }
        }
        RfbSession* session = nullptr;
    };
    MemoryTransport transport(server);
    ChangingListener listener;
    RfbSession session(&listener, &transport);
    listener.session = &session;
    session.SetPixelFormatFromBits(16, 5, 6, 5);
    session.SetFramebufferSize(64, 48);
    listener.framebuffer.Resize(64, 48);
    listener.framebuffer.SetBytesPerPixel(2);
    session.RunMessageLoop();
    EXPECT_EQ(listener.Calls(), (Strings{"Image 0,0 1x1", "PixelFormat 8", "UpdateComplete",
                                         "Image 1,0 1x1", "UpdateComplete"}));
    const auto& sends = transport.Sends();
    ASSERT_GE(sends.size(), 2u);
    EXPECT_EQ(sends[sends.size() - 2][0], 0);  // SetPixelFormat
    EXPECT_EQ(sends[sends.size() - 2][4], 8);
    EXPECT_EQ(sends.back(), (Bytes{3, 0, 0, 0, 0, 0, 0, 64, 0, 48}));
    EXPECT_EQ(std::count(sends.begin(), sends.end(), Bytes{3, 0, 0, 0, 0, 0, 0, 1, 0, 1}), 0);
}

TEST(MessageLoop, OverlongCutTextEndsTheSessionWithAnError) {
    Bytes server{3, 0, 0, 0};
    Put32(server, kMaxCutTextLength + 1);
    Loop loop(server);
    EXPECT_EQ(loop.listener.Calls(), Strings{"ProtocolError 0"});
    EXPECT_TRUE(loop.transport.Closed());
}

}  // namespace
