#include <platform/connmgr.h>
#include <platform/net_testing.h>
#include <platform/winsock.h>

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

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

}  // namespace
