#include "memory_transport.h"
#include "recording_listener.h"
#include "rfb_test_bytes.h"

#include <rfb/rfb_session.h>

#include <gtest/gtest.h>

namespace {

TEST(ClientMessages, LayoutsOnTheWire) {
    MemoryTransport transport;
    RecordingListener listener;
    RfbSession session(&listener, &transport);
    session.SendFramebufferUpdateRequest(true, 1, 2, 300, 0x1234);
    session.SendKeyEvent(true, 0xFF0D);
    session.SendKeyEvent(false, 0x61);
    session.SendPointerEvent(20, 40, 1);
    session.SendClientCutText(u"h\u00e9!");
    session.SendClientCutText(u"");
    EXPECT_EQ(transport.Sends(), (std::vector<Bytes>{
                                     {3, 255, 0, 1, 0, 2, 1, 44, 0x12, 0x34},
                                     {4, 255, 0, 0, 0, 0, 0xFF, 0x0D},
                                     {4, 0, 0, 0, 0, 0, 0, 0x61},
                                     {5, 1, 0, 20, 0, 40},
                                     {6, 0, 0, 0, 0, 0, 0, 3, 'h', '?', '!'},
                                     {6, 0, 0, 0, 0, 0, 0, 0},
                                 }));
}

TEST(ClientMessages, FailedSendIsReturned) {
    MemoryTransport transport;
    RecordingListener listener;
    RfbSession session(&listener, &transport);
    transport.Close();
    EXPECT_FALSE(session.SendPointerEvent(0, 0, 0));
    EXPECT_FALSE(session.SendKeyEvent(true, 1));
}

}  // namespace
