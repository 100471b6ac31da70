#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/net/network_event_listener.h"
#include "engine/net/network_manager.h"
#include "engine/net/packet.h"
#include "platform/winsock/winsock.h"
#include "recorder.h"

namespace velm {
namespace net {
namespace {

class CWireEvent : public CEvent {
public:
    CWireEvent(std::size_t length, bool reliable) : CEvent("Test_Wire_Event", nullptr), m_length(length) {
        SetReliable(reliable);
    }
    std::size_t Serialise(unsigned char*& buffer) const override {
        for (std::size_t i = 0; i < m_length; ++i) {
            buffer[i] = static_cast<unsigned char>(i == 0 ? 21 : i);
        }
        return m_length;
    }

private:
    std::size_t m_length;
};

// A peer machine: a bound socket on its own 127.0.0.k that reads what the host sends it.
struct SPeerEnd {
    explicit SPeerEnd(const char* ip) {
        m_socket = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in name{};
        name.sin_family = AF_INET;
        name.sin_addr.s_addr = AddressFromText(ip);
        bind(m_socket, reinterpret_cast<const sockaddr*>(&name), static_cast<int>(sizeof(name)));
        socklen_t length = sizeof(name);
        getsockname(m_socket, reinterpret_cast<sockaddr*>(&name), &length);
        u_long nonBlocking = 1;
        ioctlsocket(m_socket, FIONBIO, &nonBlocking);
        address.family = AF_INET;
        address.port = name.sin_port;
        address.address = name.sin_addr.s_addr;
    }
    ~SPeerEnd() { closesocket(m_socket); }

    std::vector<std::vector<unsigned char>> Drain() {
        std::vector<std::vector<unsigned char>> datagrams;
        char buffer[2048];
        int received;
        while ((received = recvfrom(m_socket, buffer, static_cast<int>(sizeof(buffer)), 0,
                                    static_cast<sockaddr*>(nullptr), static_cast<int*>(nullptr))) >= 0) {
            datagrams.emplace_back(buffer, buffer + received);
        }
        return datagrams;
    }

    SOCKET m_socket;
    SPeerAddress address;
};

using nettest::FreePort;

class ListenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        SNetConfig config;
        config.port = FreePort();
        config.bindAddress = AddressFromText("127.0.0.1");
        config.log = false;
        m_manager = std::make_unique<CNetworkManager>(1, config);
        ASSERT_TRUE(m_manager->Init());
        m_manager->WithSocket([&](CBaseSocket* s) {
            s->AddPeer(m_three.address, 3);
            s->AddPeer(m_five.address, 5);
        });
    }

    // Sends what the listener queued and returns the datagrams each peer got.
    void FlushAndRead(std::vector<std::vector<unsigned char>>& three, std::vector<std::vector<unsigned char>>& five) {
        m_manager->WithSocket([](CBaseSocket* s) { s->Flush(); });
        three = m_three.Drain();
        five = m_five.Drain();
    }

    SPeerEnd m_three{"127.0.0.3"};
    SPeerEnd m_five{"127.0.0.5"};
    std::unique_ptr<CNetworkManager> m_manager;
    CNetworkEventListener m_listener;
};

struct SListenerCase {
    const char* name;
    std::size_t length;
    bool reliable;
    bool fromNetwork;
    std::vector<std::uint32_t> recipients;
    bool toThree;
    bool toFive;
};

TEST_F(ListenerTest, QueuesEventsAsTheyAsk) {
    const std::vector<SListenerCase> cases = {
        {"unreliable to all", 3, false, false, {}, true, true},
        {"reliable to all", 3, true, false, {}, true, true},
        {"unreliable to 3 and 5", 3, false, false, {3, 5}, true, true},
        {"reliable to 5 only", 3, true, false, {5}, false, true},
        {"to a stranger", 3, true, false, {9}, false, false},
        {"from the network", 3, true, true, {}, false, false},
        {"local only (length 0)", 0, true, false, {}, false, false},
        {"longest that fits", 253, false, false, {3}, true, false},
        {"too long for a message", 254, false, false, {}, false, false},
    };
    for (const SListenerCase& c : cases) {
        CWireEvent event(c.length, c.reliable);
        event.SetFromNetwork(c.fromNetwork);
        for (std::uint32_t id : c.recipients) {
            event.AddRecipient(id);
        }
        EXPECT_FALSE(m_listener.HandleEvent(event)) << c.name;
        std::vector<std::vector<unsigned char>> three, five;
        FlushAndRead(three, five);
        for (auto* got : {&three, &five}) {
            const bool expected = got == &three ? c.toThree : c.toFive;
            ASSERT_EQ(got->size(), expected ? 1u : 0u) << c.name;
            if (!expected) {
                continue;
            }
            const std::vector<unsigned char>& packet = got->front();
            EXPECT_EQ(packet[0], c.reliable ? 0x82 : 0x02) << c.name;
            EXPECT_EQ(packet[2], 1) << c.name;
            EXPECT_EQ(packet[9], c.length + 2) << c.name;
            EXPECT_EQ(packet[10], kEventMessage) << c.name;
            EXPECT_EQ(packet[11], 21) << c.name;
        }
    }
}

TEST_F(ListenerTest, DoesNothingWithNetworkingOff) {
    m_manager.reset();
    CWireEvent event(3, true);
    EXPECT_FALSE(m_listener.HandleEvent(event));
    EXPECT_EQ(GetPeerIds().size(), 0u);
}

} // namespace
} // namespace net
} // namespace velm
