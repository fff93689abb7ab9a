#include <platform/connmgr.h>
#include <platform/winsock.h>
#include <platform_testing/test_switches.h>

#include <gtest/gtest.h>

#include "loopback_server.h"
#include "process_threads.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(Net, AddressHelpers) {
    EXPECT_EQ(htons(0x1234), 0x3412);
    EXPECT_EQ(htonl(0x01020304u), 0x04030201u);
    DWORD loopback = inet_addr("127.0.0.1");
    BYTE bytes[4];
    std::memcpy(bytes, &loopback, 4);
    EXPECT_EQ(bytes[0], 127);
    EXPECT_EQ(bytes[3], 1);
    EXPECT_EQ(inet_addr("not an address"), INADDR_NONE);
}

TEST(Net, GethostbynameGivesEachThreadItsOwnRecord) {
    hostent* here = gethostbyname("localhost");
    ASSERT_NE(here, nullptr);
    ASSERT_EQ(here->h_length, 4);
    EXPECT_EQ(static_cast<BYTE>(here->h_addr_list[0][0]), 127);
    hostent* there = nullptr;
    std::thread([&] { there = gethostbyname("127.0.0.2"); }).join();
    EXPECT_NE(here, there);
    EXPECT_EQ(static_cast<BYTE>(here->h_addr_list[0][3]), 1);
    EXPECT_EQ(gethostbyname("no-such-host.invalid"), nullptr);
}

TEST(Net, SocketCallsOnABadSocketFailWithoutSignals) {
    char buffer[4] = {};
    EXPECT_EQ(send(INVALID_SOCKET, buffer, 4, 0), SOCKET_ERROR);
    EXPECT_EQ(recv(INVALID_SOCKET, buffer, 4, 0), SOCKET_ERROR);
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_NE(s, INVALID_SOCKET);
    // An unconnected stream socket fails the send (on a connected one it would be EPIPE, and no
    // SIGPIPE may end the test).
    EXPECT_EQ(send(s, buffer, 4, 0), SOCKET_ERROR);
    EXPECT_EQ(closesocket(s), 0);
}

TEST(Net, ConnectionManagerSucceedsUnlessSwitchedOff) {
    GUID network{};
    EXPECT_GE(ConnMgrMapURL(u"http://host:5900/", &network, nullptr), 0);
    CONNMGR_CONNECTIONINFO info{};
    HANDLE connection = nullptr;
    ASSERT_GE(ConnMgrEstablishConnectionSync(&info, &connection, 60000, nullptr), 0);
    EXPECT_NE(connection, nullptr);
    EXPECT_GE(ConnMgrReleaseConnection(connection, 0), 0);

    SetConnectionManagerFailure(true);
    EXPECT_LT(ConnMgrMapURL(u"http://host:5900/", &network, nullptr), 0);
    EXPECT_LT(ConnMgrEstablishConnectionSync(&info, &connection, 60000, nullptr), 0);
    SetConnectionManagerFailure(false);
}

// A device socket connected to a test server on loopback.
struct LoopbackPair {
    LoopbackPair() {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<WORD>(server.Port()));
        address.sin_addr.s_addr = inet_addr("127.0.0.1");
        device = socket(AF_INET, SOCK_STREAM, 0);
        EXPECT_EQ(connect(device, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_TRUE(server.Accept());
    }
    ~LoopbackPair() { closesocket(device); }
    LoopbackServer server;
    SOCKET device = INVALID_SOCKET;
};

TEST(Net, SmallReadsDeliverTheStreamExactlyInOrder) {
    LoopbackPair pair;
    std::vector<std::uint8_t> sent = NumberedBytes(300000);
    std::thread writer([&] {
        // Segments of odd sizes, some of them larger than the read-ahead's block.
        std::size_t at = 0;
        for (std::size_t step = 1; at < sent.size(); step = step * 3 % 70001 + 1) {
            std::size_t n = std::min(step, sent.size() - at);
            pair.server.Write(std::vector<std::uint8_t>(sent.begin() + at, sent.begin() + at + n));
            at += n;
        }
        pair.server.CloseClient();
    });
    std::vector<std::uint8_t> got;
    char buffer[70000];
    for (int ask = 1;; ask = ask * 5 % 69997 + 1) {
        int n = recv(pair.device, buffer, ask, 0);
        ASSERT_GE(n, 0);
        ASSERT_LE(n, ask);
        if (n == 0) {
            break;
        }
        got.insert(got.end(), buffer, buffer + n);
    }
    writer.join();
    EXPECT_TRUE(got == sent);
    EXPECT_EQ(recv(pair.device, buffer, 10, 0), 0);
    EXPECT_EQ(recv(pair.device, buffer, 0, 0), 0);
}

// A read with MSG_WAITALL takes what the read-ahead holds, then waits for the rest however it is
// cut up on the way; a stream that ends first gives what came before the end; a shutdown wakes it.
TEST(Net, AWaitAllReadReturnsWhenItsBufferIsFullOrTheStreamEnds) {
    LoopbackPair pair;
    std::vector<std::uint8_t> sent = NumberedBytes(50003);
    std::thread writer([&] {
        pair.server.Write(std::vector<std::uint8_t>(sent.begin(), sent.begin() + 10));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        for (std::size_t at = 10; at < sent.size(); at += 7000) {
            std::size_t end = std::min(at + 7000, sent.size());
            pair.server.Write(std::vector<std::uint8_t>(sent.begin() + at, sent.begin() + end));
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        pair.server.Write(std::string(100, 'x'));
        pair.server.CloseClient();
    });
    std::vector<char> buffer(50000);
    ASSERT_EQ(recv(pair.device, buffer.data(), 3, 0), 3);  // seven more wait in the read-ahead
    ASSERT_EQ(recv(pair.device, buffer.data(), 50000, MSG_WAITALL), 50000);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), sent.begin() + 3,
                           [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }));
    EXPECT_EQ(recv(pair.device, buffer.data(), 1000, MSG_WAITALL), 100);
    EXPECT_EQ(recv(pair.device, buffer.data(), 10, MSG_WAITALL), 0);
    writer.join();
    constexpr int kPeek = 2;  // not offered
    EXPECT_EQ(recv(pair.device, buffer.data(), 10, kPeek), SOCKET_ERROR);

    LoopbackPair idle;
    ASSERT_TRUE(idle.server.Write(std::string("abc")));
    int result = -2;
    std::atomic<pid_t> readerId{0};
    std::thread reader([&] {
        readerId = CurrentThreadId();
        result = recv(idle.device, buffer.data(), 100, MSG_WAITALL);
    });
    while (readerId == 0) {
        std::this_thread::yield();
    }
    EXPECT_TRUE(WaitUntilSleeping(readerId));  // three bytes in, waiting for the rest
    ASSERT_EQ(shutdown(idle.device, SD_BOTH), 0);
    reader.join();
    EXPECT_EQ(result, 0);
}

// Small messages sent one after another leave at once: a client's requests and input events
// must not wait for the server to acknowledge the message before (a server that has nothing to
// answer acknowledges late, some 40 ms on Linux). Each round starts as a handshake step does (the
// server speaks, the client answers), which puts the connection in the interactive mode where
// acknowledgements are delayed. Held back, nearly every round is 40 ms late; a busy machine may
// make one or two of them late as well.
TEST(Net, SmallMessagesInARowAreNotHeldBackForAnAcknowledgement) {
    LoopbackPair pair;
    char buffer[16];
    int late = 0;
    for (int round = 0; round < 7; ++round) {
        ASSERT_TRUE(pair.server.Write(std::string("ask")));
        ASSERT_EQ(recv(pair.device, buffer, 3, 0), 3);
        ASSERT_EQ(send(pair.device, "format..", 8, 0), 8);
        auto first = std::chrono::steady_clock::now();
        ASSERT_EQ(send(pair.device, "encodings", 9, 0), 9);
        ASSERT_EQ(send(pair.device, "request", 7, 0), 7);
        ASSERT_EQ(pair.server.Read(24).size(), 24u);
        late += std::chrono::steady_clock::now() - first >= std::chrono::milliseconds(30);
    }
    EXPECT_LE(late, 2) << "rounds of seven whose messages took 30 ms or more";
}

TEST(Net, ShuttingDownDropsBytesNotYetReadAndWakesABlockedReader) {
    LoopbackPair pair;
    ASSERT_TRUE(pair.server.Write(std::string("0123456789")));
    char buffer[16];
    ASSERT_EQ(recv(pair.device, buffer, 1, 0), 1);
    EXPECT_EQ(buffer[0], '0');
    // The other nine bytes came in the same block and wait in the read-ahead.
    ASSERT_EQ(recv(pair.device, buffer, 2, 0), 2);
    EXPECT_EQ(std::string(buffer, 2), "12");
    ASSERT_EQ(shutdown(pair.device, SD_BOTH), 0);
    EXPECT_EQ(recv(pair.device, buffer, 4, 0), 0);

    LoopbackPair idle;
    int result = -2;
    std::atomic<pid_t> readerId{0};
    std::thread reader([&] {
        readerId = CurrentThreadId();
        result = recv(idle.device, buffer, sizeof buffer, 0);
    });
    while (readerId == 0) {
        std::this_thread::yield();
    }
    EXPECT_TRUE(WaitUntilSleeping(readerId));  // blocked in recv
    ASSERT_EQ(shutdown(idle.device, SD_BOTH), 0);
    reader.join();
    EXPECT_EQ(result, 0);
}

}  // namespace
