// The socket transport against a loopback listener that plays the server.
#include "loopback_server.h"
#include "process_threads.h"
#include "recording_listener.h"
#include "rfb_test_bytes.h"

#include <platform/core.h>
#include <platform_testing/test_switches.h>
#include <rfb/rfb_session.h>
#include <rfb/socket_transport.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using Strings = std::vector<std::string>;

// Waits until the listener has recorded count calls.
Strings WaitForCalls(RecordingListener& listener, std::size_t count) {
    for (int i = 0; i < 500 && listener.Calls().size() < count; ++i) {
        Sleep(10);
    }
    return listener.Calls();
}

struct Connected {
    Connected() : transport(&listener) {
        transport.Connect(u"127.0.0.1", static_cast<WORD>(server.Port()));
        accepted = server.Accept();
        WaitForCalls(listener, 1);
    }
    LoopbackServer server;
    RecordingListener listener;
    SocketTransport transport;
    bool accepted = false;
};

TEST(SocketTransport, SegmentedAndBatchedMessagesAreReadExactly) {
    Connected c;
    ASSERT_TRUE(c.accepted);
    ASSERT_EQ(c.listener.Calls(), Strings{"ConnectResult 0"});
    // The pauses make it likely that the pieces arrive apart; the reads are exact without them.
    std::thread writer([&] {
        c.server.Write(std::string("RFB 0"));
        Sleep(20);
        c.server.Write(std::string("03.003\nAB"));
        Sleep(20);
        Bytes big(5000);
        for (std::size_t i = 0; i < big.size(); ++i) {
            big[i] = static_cast<std::uint8_t>(i * 13);
        }
        big.push_back('Z');
        c.server.Write(big);
    });
    char version[12];
    ASSERT_TRUE(c.transport.Receive(version, 12));
    EXPECT_EQ(std::string(version, 12), "RFB 003.003\n");
    EXPECT_TRUE(c.transport.Receive(nullptr, 0));
    char two[2];
    ASSERT_TRUE(c.transport.Receive(two, 2));
    EXPECT_EQ(std::string(two, 2), "AB");
    Bytes big(5000);
    ASSERT_TRUE(c.transport.Receive(big.data(), 5000));
    EXPECT_EQ(big[4999], static_cast<std::uint8_t>(4999 * 13));
    char last;
    ASSERT_TRUE(c.transport.Receive(&last, 1));
    EXPECT_EQ(last, 'Z');
    writer.join();

    ASSERT_TRUE(c.transport.Send("hello", 5));
    EXPECT_EQ(c.server.Read(5), (Bytes{'h', 'e', 'l', 'l', 'o'}));
}

// Reads in place mixed with ordinary reads hand out the stream exactly: a unit split between two
// segments is joined, no block is longer than asked, bytes already read ahead come first, and
// the end of the stream inside a unit fails the read.
TEST(SocketTransport, ReadsInPlaceHandOutTheStreamInWholeUnits) {
    Connected c;
    ASSERT_TRUE(c.accepted);
    Bytes stream = NumberedBytes(100000);
    std::thread writer([&] {
        c.server.Write(Bytes(stream.begin(), stream.begin() + 7));  // ends inside a unit
        Sleep(20);
        c.server.Write(Bytes(stream.begin() + 7, stream.end()));
        Sleep(20);
        c.server.Write(Bytes{1, 2, 3});
        c.server.CloseClient();
    });
    Bytes got(3);
    ASSERT_TRUE(c.transport.Receive(got.data(), 3));  // leaves 4 bytes read ahead
    while (got.size() < stream.size()) {
        int unit = got.size() < 50000 ? 4 : 3;
        int maximum = std::min<int>(unit * 1000, static_cast<int>(stream.size() - got.size()));
        maximum -= maximum % unit;
        if (maximum == 0) {
            std::uint8_t rest[3];
            int left = static_cast<int>(stream.size() - got.size());
            ASSERT_TRUE(c.transport.Receive(rest, left));
            got.insert(got.end(), rest, rest + left);
            break;
        }
        int length = 0;
        const BYTE* bytes = c.transport.ReceiveInPlace(unit, maximum, &length);
        ASSERT_NE(bytes, nullptr);
        ASSERT_GE(length, unit);
        ASSERT_LE(length, maximum);
        ASSERT_EQ(length % unit, 0);
        got.insert(got.end(), bytes, bytes + length);
    }
    EXPECT_TRUE(got == stream);
    int length = 0;
    EXPECT_EQ(c.transport.ReceiveInPlace(4, 4, &length), nullptr);  // 3 bytes, then the end
    EXPECT_EQ(length, 0);
    writer.join();
    EXPECT_EQ(WaitForCalls(c.listener, 2).back(), "ConnectionLost -4");
}

// A read in place promised many more bytes (the rest of a large rectangle) waits for a whole block
// of them, however the server's writes cut them up, instead of handing out each piece.
TEST(SocketTransport, ABulkReadInPlaceWaitsForAWholeBlock) {
    Connected c;
    ASSERT_TRUE(c.accepted);
    Bytes stream = NumberedBytes(300000);
    std::thread writer([&] {
        for (std::size_t at = 0; at < stream.size(); at += 10000) {
            c.server.Write(Bytes(stream.begin() + at, stream.begin() + at + 10000));
            Sleep(1);
        }
    });
    Bytes got(2);
    ASSERT_TRUE(c.transport.Receive(got.data(), 2));
    std::vector<int> lengths;
    while (got.size() < stream.size()) {
        int length = 0;
        int left = static_cast<int>(stream.size() - got.size());
        const BYTE* bytes = c.transport.ReceiveInPlace(2, left, &length);
        ASSERT_NE(bytes, nullptr);
        got.insert(got.end(), bytes, bytes + length);
        lengths.push_back(length);
    }
    writer.join();
    EXPECT_TRUE(got == stream);
    // What the small read-ahead held, then blocks of 128 KiB, then the rest.
    ASSERT_EQ(lengths.size(), 4u);
    EXPECT_EQ(lengths[1], 128 * 1024);
    EXPECT_EQ(lengths[2], 128 * 1024);
}

TEST(SocketTransport, PeerCloseIsReportedOnceThenCallsFailQuietly) {
    Connected c;
    ASSERT_TRUE(c.accepted);
    c.server.CloseClient();
    char byte;
    EXPECT_FALSE(c.transport.Receive(&byte, 1));
    EXPECT_FALSE(c.transport.Receive(&byte, 1));
    EXPECT_FALSE(c.transport.Send("x", 1));
    EXPECT_EQ(c.listener.Calls(), (Strings{"ConnectResult 0", "ConnectionLost -4"}));
}

TEST(SocketTransport, CloseWakesABlockedReceive) {
    Connected c;
    ASSERT_TRUE(c.accepted);
    bool received = true;
    std::atomic<pid_t> readerId{0};
    std::thread reader([&] {
        readerId = CurrentThreadId();
        char byte;
        received = c.transport.Receive(&byte, 1);
    });
    while (readerId == 0) {
        std::this_thread::yield();
    }
    EXPECT_TRUE(WaitUntilSleeping(readerId));  // blocked in the read
    c.transport.Close();
    reader.join();
    EXPECT_FALSE(received);
    EXPECT_TRUE(c.server.WaitForClientClose());
}

TEST(SocketTransport, ConnectWhileConnectedReportsClosedFirst) {
    Connected c;
    ASSERT_TRUE(c.accepted);
    c.transport.Connect(u"127.0.0.1", static_cast<WORD>(c.server.Port()));
    EXPECT_TRUE(c.server.Accept());
    EXPECT_EQ(WaitForCalls(c.listener, 3),
              (Strings{"ConnectResult 0", "ConnectionLost -3", "ConnectResult 0"}));
}

TEST(SocketTransport, FailuresGiveTheirStatus) {
    int closedPort;
    {
        LoopbackServer gone;
        closedPort = gone.Port();
    }
    struct Case {
        const WCHAR* host;
        int port;
        bool networkDown;
        std::string expected;
    };
    for (const Case& test : {Case{u"127.0.0.1", closedPort, false, "ConnectResult -2"},
                             Case{u"no-such-host.invalid", 5900, false, "ConnectResult -1"},
                             Case{u"127.0.0.1x", 5900, false, "ConnectResult -1"},
                             Case{u"127.0.0.1", closedPort, true, "ConnectResult -5"}}) {
        SetConnectionManagerFailure(test.networkDown);
        RecordingListener listener;
        {
            SocketTransport transport(&listener);
            transport.Connect(test.host, static_cast<WORD>(test.port));
        }  // the destructor waits for the connect thread
        SetConnectionManagerFailure(false);
        EXPECT_EQ(listener.Calls(), Strings{test.expected});
        char byte;
        SocketTransport idle(&listener);
        EXPECT_FALSE(idle.Receive(&byte, 1));
    }
}

// A whole session over a real socket: the destructor ends a message thread blocked in Receive.
class HandshakingListener : public RecordingListener {
  public:
    void OnConnectResult(int status) override {
        RecordingListener::OnConnectResult(status);
        if (status == 0 && session->Handshake(u"", true)) {
            session->SetPixelFormatFromBits(16, 5, 6, 5);
            session->StartMessageThread();
        }
    }
    RfbSession* session = nullptr;
};

TEST(SocketTransport, SessionRunsOverTheSocketAndShutsDownWhileBlocked) {
    LoopbackServer server;
    HandshakingListener listener;
    SocketTransport transport(&listener);
    auto session = std::make_unique<RfbSession>(&listener, &transport);
    listener.session = session.get();
    transport.Connect(u"127.0.0.1", static_cast<WORD>(server.Port()));
    ASSERT_TRUE(server.Accept());
    Bytes opening;
    PutText(opening, "RFB 003.008\n");
    Put32(opening, 1);
    Put(opening, {0, 2, 0, 1, 16, 16, 1, 1, 0, 31, 0, 63, 0, 31, 11, 5, 0, 0, 0, 0});
    Put32(opening, 1);
    PutText(opening, "s");
    server.Write(opening);
    EXPECT_EQ(server.Read(13).size(), 13u);  // version and ClientInit
    EXPECT_EQ(server.Read(20).size(), 20u);  // SetPixelFormat
    EXPECT_EQ(server.Read(32).size(), 32u);  // SetEncodings: the seven decoders of this test binary
    EXPECT_EQ(server.Read(10), (Bytes{3, 0, 0, 0, 0, 0, 0, 2, 0, 1}));
    Bytes update;
    PutUpdate(update, 0);
    server.Write(update);
    WaitForCalls(listener, 3);
    session.reset();
    EXPECT_EQ(listener.Calls(), (Strings{"ConnectResult 0", "ServerInit s 2x1 bpp 16",
                                         "UpdateComplete", "ConnectionLost -4"}));
}

}  // namespace
