#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "engine/net/network_manager.h"
#include "engine/net/packet.h"
#include "platform/winsock/winsock.h"
#include "recorder.h"

namespace velm {
namespace net {
namespace {

using nettest::FreePort;

SNetConfig HostConfig(std::uint16_t port) {
    SNetConfig config;
    config.port = port;
    config.bindAddress = AddressFromText("127.0.0.1");
    config.log = false;
    return config;
}

struct CCountingEventSocket : CRemoteEventSocket {
    explicit CCountingEventSocket(std::atomic<int>& deleted) : m_deleted(deleted) {}
    ~CCountingEventSocket() override { ++m_deleted; }
    bool OnPacket(const unsigned char*, std::uint8_t, std::uint32_t) override { return true; }
    std::atomic<int>& m_deleted;
};

// Sends packets of 1000 bytes to a loopback port nobody reads.
void SendBytes(CNetworkManager& manager, int packets) {
    SPeerAddress nowhere;
    nowhere.family = AF_INET;
    nowhere.port = htons(FreePort());
    nowhere.address = AddressFromText("127.0.0.1");
    std::vector<unsigned char> payload(250, 'x');
    MessageList messages;
    for (int i = 0; i < 4; ++i) {
        messages.push_back(std::make_shared<CBinaryMessage>(payload.data(), 248, kTextMessage));
    }
    SPacket packet;
    BuildPacketHeader(packet, messages, false);
    ASSERT_EQ(packet.buffer.size(), 1009u);
    packet.buffer.resize(1000);
    packet.buffer[5] = 0x03;
    packet.buffer[6] = 0xE8;
    manager.WithSocket([&](CBaseSocket* s) {
        for (int i = 0; i < packets; ++i) {
            ASSERT_TRUE(s->SendPacket(nowhere, packet));
        }
    });
}

TEST(NetworkManagerTest, RatesAreBytesPerSecondOverTheMeasuredInterval) {
    CNetworkManager manager(1, HostConfig(FreePort()));
    ASSERT_TRUE(manager.Init());
    SendBytes(manager, 3);
    manager.UpdateBandwidth(0.5f);
    EXPECT_EQ(manager.GetSendRate(), 0);
    manager.UpdateBandwidth(0.5f);
    EXPECT_EQ(manager.GetSendRate(), 3000);
    EXPECT_EQ(manager.GetReceiveRate(), 0);
    SendBytes(manager, 3);
    manager.UpdateBandwidth(1.5f);
    EXPECT_EQ(manager.GetSendRate(), 2000);
}

TEST(NetworkManagerTest, CurrentSocketFunctionsActOnTheManagersSocket) {
    std::atomic<int> deleted{0};
    {
        CNetworkManager manager(1, HostConfig(FreePort()));
        ASSERT_TRUE(manager.Init());
        EXPECT_EQ(GetLocalClientId(), 1u);
        EXPECT_TRUE(GetPeerIds().empty());
        SetAcceptingClients(false);
        bool accepting = true;
        manager.WithSocket([&](CBaseSocket* s) { accepting = s->IsAcceptingClients(); });
        EXPECT_FALSE(accepting);
        SetRemoteEventSocket(new CCountingEventSocket(deleted));
        SetRemoteEventSocket(new CCountingEventSocket(deleted));
        EXPECT_EQ(deleted, 1);
        SendPeerListAndStart();
    }
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(GetLocalClientId(), 0u);
    SetRemoteEventSocket(new CCountingEventSocket(deleted));
    EXPECT_EQ(deleted, 3);
}

// The network thread reads the handler under the Network Mutex: a swap from the main thread (a
// started connection installs the game's event socket) waits while the mutex is held.
TEST(NetworkManagerTest, TheEventSocketIsSwappedOnlyUnderTheNetworkMutex) {
    std::atomic<int> deleted{0};
    CNetworkManager manager(1, HostConfig(FreePort()));
    ASSERT_TRUE(manager.Init());
    SetRemoteEventSocket(new CCountingEventSocket(deleted));
    std::thread swapper;
    std::atomic<bool> swapped{false};
    manager.WithSocket([&](CBaseSocket*) {
        swapper = std::thread([&] {
            SetRemoteEventSocket(new CCountingEventSocket(deleted));
            swapped = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_FALSE(swapped);
        EXPECT_EQ(deleted, 0);
    });
    swapper.join();
    EXPECT_TRUE(swapped);
    EXPECT_EQ(deleted, 1);
}

TEST(NetworkManagerTest, HostWhosePortIsTakenFailsToStart) {
    const std::uint16_t port = FreePort();
    CNetworkManager first(1, HostConfig(port));
    ASSERT_TRUE(first.Init());
    CNetworkManager second(1, HostConfig(port));
    EXPECT_FALSE(second.Init());
}

TEST(NetworkManagerTest, SearchingClientStopsPromptly) {
    SNetConfig config = HostConfig(FreePort());
    config.bindAddress = AddressFromText("127.0.0.9");
    config.broadcastAddress = AddressFromText("127.255.255.255");
    auto manager = std::make_unique<CNetworkManager>(0, config);
    ASSERT_TRUE(manager->Init());
    manager->Start();
    Sleep(20);
    EXPECT_TRUE(manager->IsRunning());
    manager.reset();
    EXPECT_TRUE(GetPeerIds().empty());
}

} // namespace
} // namespace net
} // namespace velm
