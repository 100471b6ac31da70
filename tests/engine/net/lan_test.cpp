#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "engine/events/engine_events.h"
#include "engine/net/client_socket.h"
#include "engine/net/network_event_listener.h"
#include "engine/net/network_manager.h"
#include "engine/net/server_socket.h"
#include "platform/winsock/winsock.h"
#include "recorder.h"

namespace velm {
namespace net {
namespace {

using nettest::Counted;
using nettest::Counters;
using nettest::FreePort;
using nettest::Sequence;

bool WaitFor(const std::function<bool()>& condition, double seconds = 10.0) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return condition();
}

// Repeats a step on its own thread until stopped (at the latest when it goes out of scope).
class CHammer {
public:
    explicit CHammer(std::function<void()> step)
        : m_thread([this, step] {
              // A pause between rounds, as the game's frames make: a loop that takes the network
              // lock back at once can keep a busy machine's network threads from it past the
              // time a silent peer is dropped, and the test then loses what that peer sent.
              while (m_running) {
                  step();
                  std::this_thread::sleep_for(std::chrono::microseconds(200));
              }
          }) {}
    ~CHammer() { Stop(); }
    void Stop() {
        m_running = false;
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

private:
    std::atomic<bool> m_running{true};
    std::thread m_thread;
};

// Peers on one machine, each on its own 127.0.0.k, the host on every address to hear the
// broadcast; nothing leaves 127.0.0.0/8.
class LanTest : public nettest::CWithEventManager {
protected:
    static constexpr int kClients = 3;

    SNetConfig Config(const char* bindAddress) const {
        SNetConfig config;
        config.port = m_port;
        config.bindAddress = bindAddress != nullptr ? AddressFromText(bindAddress) : 0;
        config.broadcastAddress = AddressFromText("127.255.255.255");
        config.resendAfterSeconds = 0.2;
        config.pingAfterSeconds = 0.75;
        config.dropAfterSeconds = 2.5;
        config.searchIntervalSeconds = 0.1;
        config.log = false;
        return config;
    }

    void SetUp() override {
        CWithEventManager::SetUp();
        m_port = FreePort();
        m_host = std::make_unique<CNetworkManager>(1, Config(nullptr));
        ASSERT_TRUE(m_host->Init());
        Install(*m_host, m_hostLog);
        for (int k = 0; k < kClients; ++k) {
            const std::string ip = "127.0.0." + std::to_string(k + 2);
            m_clients.push_back(std::make_unique<CNetworkManager>(0, Config(ip.c_str())));
            ASSERT_TRUE(m_clients.back()->Init());
            Install(*m_clients.back(), m_clientLogs[k]);
        }
        m_host->Start();
        for (auto& client : m_clients) {
            client->Start();
        }
    }

    void TearDown() override {
        m_clients.clear();
        m_host.reset();
        CWithEventManager::TearDown();
    }

    static void Install(CNetworkManager& manager, nettest::SEventLog& log) {
        manager.WithSocket([&](CBaseSocket* s) { s->SetRemoteEventSocket(new nettest::CRecordingEventSocket(log)); });
    }

    template <typename T>
    static T Read(CNetworkManager& manager, const std::function<T(CBaseSocket&)>& read) {
        T value{};
        manager.WithSocket([&](CBaseSocket* s) { value = read(*s); });
        return value;
    }

    static std::uint32_t OwnId(CNetworkManager& m) {
        return Read<std::uint32_t>(m, [](CBaseSocket& s) { return s.GetOwnId(); });
    }
    static std::size_t PeerCount(CNetworkManager& m) {
        return Read<std::size_t>(m, [](CBaseSocket& s) { return s.GetPeerIds().size(); });
    }
    static std::uint32_t ServerHost(CNetworkManager& m) {
        return Read<std::uint32_t>(m, [](CBaseSocket& s) {
            SPeerAddress address;
            return s.GetPeerAddress(1, address) ? address.address : 0u;
        });
    }
    // The host's id for the client on that machine (its port is the system's choice).
    std::uint32_t HostIdOf(int client) {
        return Read<std::uint32_t>(*m_host, [&](CBaseSocket& s) {
            for (std::uint32_t id : s.GetPeerIds()) {
                SPeerAddress address;
                if (s.GetPeerAddress(id, address) && address.address == ClientAddress(client)) {
                    return id;
                }
            }
            return 0u;
        });
    }
    static std::uint32_t ClientAddress(int client) {
        return AddressFromText(("127.0.0." + std::to_string(client + 2)).c_str());
    }
    static bool IsSuccessor(CNetworkManager& m) {
        return Read<bool>(m, [](CBaseSocket& s) {
            auto* client = dynamic_cast<CClientSocket*>(&s);
            return client != nullptr && client->IsSuccessor();
        });
    }

    std::uint16_t m_port = 0;
    std::unique_ptr<CNetworkManager> m_host;
    std::vector<std::unique_ptr<CNetworkManager>> m_clients;
    nettest::SEventLog m_hostLog;
    nettest::SEventLog m_clientLogs[kClients];
};

TEST_F(LanTest, ClientsFindTheHostExchangeAndCarryOnWithTheSuccessor) {
    ASSERT_TRUE(WaitFor([&] { return PeerCount(*m_host) == kClients; }));
    // Clients that search at once are offered ids of their own, and connect with them.
    std::vector<std::uint32_t> ids;
    for (int k = 0; k < kClients; ++k) {
        const std::uint32_t id = HostIdOf(k);
        ASSERT_NE(id, 0u) << k;
        ASSERT_TRUE(WaitFor([&] { return OwnId(*m_clients[k]) == id; })) << k;
        ids.push_back(id);
    }
    m_host->WithSocket([](CBaseSocket* s) {
        auto* server = static_cast<CServerSocket*>(s);
        server->SetAcceptingClients(false);
        server->SendPeerList();
        server->SendSuccessor();
    });

    constexpr std::uint32_t kCount = 30;
    for (std::uint32_t i = 0; i < kCount; ++i) {
        m_host->WithSocket([&](CBaseSocket* s) {
            s->QueueReliableToAll(Counted(1, i));
            s->QueueUnreliableToAll(Counted(2, i));
        });
        for (auto& client : m_clients) {
            client->WithSocket([&](CBaseSocket* s) { s->QueueReliableToAll(Counted(1, i)); });
        }
    }
    for (int k = 0; k < kClients; ++k) {
        EXPECT_TRUE(WaitFor([&] { return Counters(m_clientLogs[k], 1).size() == kCount; }));
        EXPECT_EQ(Counters(m_clientLogs[k], 1), Sequence(0, kCount));
        EXPECT_TRUE(WaitFor([&] { return Counters(m_hostLog, 1, ids[k]).size() == kCount; }));
        EXPECT_EQ(Counters(m_hostLog, 1, ids[k]), Sequence(0, kCount));
    }

    // The lowest id is the successor; every client knows the two others.
    const int successor = static_cast<int>(std::min_element(ids.begin(), ids.end()) - ids.begin());
    ASSERT_TRUE(WaitFor([&] { return IsSuccessor(*m_clients[successor]); }));
    for (auto& client : m_clients) {
        EXPECT_TRUE(WaitFor([&] {
            return Read<std::size_t>(*client, [](CBaseSocket& s) {
                       return static_cast<CClientSocket&>(s).GetStoredPeerList().size();
                   }) == kClients - 1;
        }));
    }

    // The main thread's uses of the sockets go on while the host change replaces one of them.
    CNetworkEventListener listener;
    const CTextMessageEvt chat("hello", 7);
    CHammer hammer([&] {
        GetPeerIds();
        GetLocalClientId();
        listener.HandleEvent(chat);
        for (auto& client : m_clients) {
            client->UpdateBandwidth(0.01f);
            PeerCount(*client);
        }
    });

    m_host.reset();

    CNetworkManager& newHost = *m_clients[successor];
    ASSERT_TRUE(WaitFor([&] { return newHost.GetMode() == 1; }));
    Install(newHost, m_clientLogs[successor]);
    const std::uint32_t newHostAddress = ClientAddress(successor);
    for (int k = 0; k < kClients; ++k) {
        if (k != successor) {
            EXPECT_TRUE(WaitFor([&] { return ServerHost(*m_clients[k]) == newHostAddress; })) << k;
        }
    }
    EXPECT_EQ(OwnId(newHost), 1u);
    EXPECT_FALSE(Read<bool>(newHost, [](CBaseSocket& s) { return s.IsAcceptingClients(); }));
    EXPECT_TRUE(WaitFor([&] { return PeerCount(newHost) == kClients - 1; }));

    for (std::uint32_t i = 0; i < kCount; ++i) {
        newHost.WithSocket([&](CBaseSocket* s) { s->QueueReliableToAll(Counted(1, 100 + i)); });
        for (int k = 0; k < kClients; ++k) {
            if (k != successor) {
                m_clients[k]->WithSocket([&](CBaseSocket* s) { s->QueueReliableToAll(Counted(1, 100 + i)); });
            }
        }
    }
    std::vector<int> remaining;
    for (int k = 0; k < kClients; ++k) {
        if (k == successor) {
            continue;
        }
        remaining.push_back(k);
        EXPECT_TRUE(WaitFor([&] { return Counters(m_clientLogs[k], 1).size() == 2 * kCount; })) << k;
        EXPECT_EQ(Counters(m_clientLogs[k], 1), [&] {
            auto all = Sequence(0, kCount);
            auto later = Sequence(100, kCount);
            all.insert(all.end(), later.begin(), later.end());
            return all;
        }());
        EXPECT_TRUE(WaitFor([&] { return Counters(m_clientLogs[successor], 1, ids[k]).size() == kCount; })) << k;
    }
    // The next successor is the lower of the two remaining ids.
    const int next = ids[remaining[0]] < ids[remaining[1]] ? remaining[0] : remaining[1];
    EXPECT_TRUE(WaitFor([&] { return IsSuccessor(*m_clients[next]); }));
    hammer.Stop();
    const auto events = ConnectionEvents();
    EXPECT_NE(std::find(events.begin(), events.end(), "Change_To_Server"), events.end());
}

} // namespace
} // namespace net
} // namespace velm
