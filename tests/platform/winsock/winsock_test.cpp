#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/winsock/winsock.h"

namespace {

struct SVersionCase {
    WORD requested;
    int result;
    WORD granted;
};

TEST(WinsockTest, StartupGrantsTheRequestedVersionUpToTwoPointTwo) {
    const std::vector<SVersionCase> cases = {
        {MAKEWORD(2, 0), 0, MAKEWORD(2, 0)},
        {MAKEWORD(1, 1), 0, MAKEWORD(1, 1)},
        {MAKEWORD(2, 2), 0, MAKEWORD(2, 2)},
        {MAKEWORD(3, 0), 0, MAKEWORD(2, 2)},
        {MAKEWORD(0, 9), WSAVERNOTSUPPORTED, MAKEWORD(2, 2)},
    };
    for (const SVersionCase& c : cases) {
        WSADATA data{};
        EXPECT_EQ(WSAStartup(c.requested, &data), c.result) << c.requested;
        EXPECT_EQ(data.wVersion, c.granted) << c.requested;
        EXPECT_EQ(data.wHighVersion, MAKEWORD(2, 2));
        if (c.result == 0) {
            EXPECT_EQ(WSACleanup(), 0);
        }
    }
    EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

class WinsockSocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        WSADATA data{};
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 0), &data), 0);
    }
    void TearDown() override {
        for (SOCKET s : m_sockets) {
            closesocket(s);
        }
        WSACleanup();
    }

    SOCKET Bound(const char* ip, u_short port, sockaddr_in& name) {
        const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        EXPECT_NE(s, INVALID_SOCKET);
        m_sockets.push_back(s);
        name = sockaddr_in{};
        name.sin_family = AF_INET;
        name.sin_port = htons(port);
        name.sin_addr.s_addr = inet_addr(ip);
        EXPECT_EQ(bind(s, reinterpret_cast<const sockaddr*>(&name), static_cast<int>(sizeof(name))), 0);
        socklen_t length = sizeof(name);
        getsockname(s, reinterpret_cast<sockaddr*>(&name), &length);
        u_long nonBlocking = 1;
        EXPECT_EQ(ioctlsocket(s, FIONBIO, &nonBlocking), 0);
        return s;
    }

    bool Readable(SOCKET s) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(s, &set);
        timeval timeout{1, 0};
        return select(s + 1, &set, nullptr, nullptr, &timeout) == 1;
    }

    int Send(SOCKET from, const sockaddr_in& to, int length) {
        std::vector<char> bytes(static_cast<std::size_t>(length), 'z');
        return sendto(from, bytes.data(), length, 0, reinterpret_cast<const sockaddr*>(&to),
                      static_cast<int>(sizeof(to)));
    }

    std::vector<SOCKET> m_sockets;
};

TEST_F(WinsockSocketTest, DatagramLargerThanTheBufferIsAnErrorNotAShortPacket) {
    sockaddr_in a{}, b{};
    const SOCKET sa = Bound("127.0.0.1", 0, a);
    const SOCKET sb = Bound("127.0.0.2", 0, b);
    ASSERT_EQ(Send(sa, b, 1025), 1025);
    ASSERT_EQ(Send(sa, b, 1024), 1024);
    ASSERT_TRUE(Readable(sb));
    char buffer[1024];
    sockaddr_in from{};
    int fromLength = static_cast<int>(sizeof(from));
    EXPECT_EQ(recvfrom(sb, buffer, 1024, 0, reinterpret_cast<sockaddr*>(&from), &fromLength), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEMSGSIZE);
    ASSERT_TRUE(Readable(sb));
    EXPECT_EQ(recvfrom(sb, buffer, 1024, 0, reinterpret_cast<sockaddr*>(&from), &fromLength), 1024);
    EXPECT_EQ(from.sin_addr.s_addr, inet_addr("127.0.0.1"));
    EXPECT_EQ(from.sin_port, a.sin_port);
}

TEST_F(WinsockSocketTest, NonBlockingReceiveWithNothingWaitingWouldBlock) {
    sockaddr_in a{};
    const SOCKET sa = Bound("127.0.0.1", 0, a);
    char buffer[16];
    EXPECT_EQ(recvfrom(sa, buffer, 16, 0, static_cast<sockaddr*>(nullptr), static_cast<int*>(nullptr)), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    u_long waiting = 7;
    EXPECT_EQ(ioctlsocket(sa, FIONREAD, &waiting), 0);
    EXPECT_EQ(waiting, 0u);
}

TEST_F(WinsockSocketTest, SecondBindOfAPortIsAddressInUse) {
    sockaddr_in a{};
    Bound("127.0.0.1", 0, a);
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    m_sockets.push_back(s);
    EXPECT_EQ(bind(s, reinterpret_cast<const sockaddr*>(&a), static_cast<int>(sizeof(a))), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEADDRINUSE);
}

TEST_F(WinsockSocketTest, BroadcastNeedsTheOptionAndReachesAnyAddressListener) {
    sockaddr_in listener{}, sender{};
    const SOCKET sl = Bound("0.0.0.0", 0, listener);
    const SOCKET ss = Bound("127.0.0.2", 0, sender);
    sockaddr_in broadcast{};
    broadcast.sin_family = AF_INET;
    broadcast.sin_port = listener.sin_port;
    broadcast.sin_addr.s_addr = inet_addr("127.255.255.255");
    EXPECT_EQ(Send(ss, broadcast, 11), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEACCES);
    const BOOL on = TRUE;
    ASSERT_EQ(
        setsockopt(ss, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), static_cast<int>(sizeof(on))), 0);
    ASSERT_EQ(Send(ss, broadcast, 11), 11);
    ASSERT_TRUE(Readable(sl));
    char buffer[64];
    sockaddr_in from{};
    int fromLength = static_cast<int>(sizeof(from));
    EXPECT_EQ(recvfrom(sl, buffer, 64, 0, reinterpret_cast<sockaddr*>(&from), &fromLength), 11);
    EXPECT_EQ(from.sin_addr.s_addr, inet_addr("127.0.0.2"));
}

TEST_F(WinsockSocketTest, CallsOnAClosedSocketReportNotASocket) {
    sockaddr_in a{};
    const SOCKET sa = Bound("127.0.0.1", 0, a);
    m_sockets.pop_back();
    EXPECT_EQ(closesocket(sa), 0);
    u_long nonBlocking = 1;
    EXPECT_EQ(ioctlsocket(sa, FIONBIO, &nonBlocking), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
}

} // namespace
