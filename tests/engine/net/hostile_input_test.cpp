#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/net/client_socket.h"
#include "engine/net/server_socket.h"
#include "socket_pair.h"

namespace velm {
namespace net {
namespace {

using nettest::Address;
using nettest::CMemoryNetwork;
using nettest::MakePort;
using Bytes = std::vector<unsigned char>;

const SPeerAddress kServerAddress = nettest::kPairServerAddress;
const SPeerAddress kClientAddress = nettest::kPairClientAddress;
const SPeerAddress kStranger = Address("127.0.0.66", 6666);

Bytes Datagram(bool reliable, const std::vector<Bytes>& messages, std::uint16_t previous = 0) {
    Bytes b = {static_cast<unsigned char>(reliable ? 0x82 : 0x02),
               0x9B,
               static_cast<unsigned char>(messages.size()),
               0x40,
               0x00,
               0,
               0,
               static_cast<unsigned char>(previous & 0xFF),
               static_cast<unsigned char>(previous >> 8)};
    for (const Bytes& m : messages) {
        b.insert(b.end(), m.begin(), m.end());
    }
    b[5] = static_cast<unsigned char>(b.size() >> 8);
    b[6] = static_cast<unsigned char>(b.size() & 0xFF);
    return b;
}

Bytes Message(std::uint8_t type, const Bytes& payload) {
    // Sized once: g++ 12 misreads growing a two-byte vector as an overrun (-Warray-bounds).
    Bytes m(payload.size() + 2);
    m[0] = static_cast<unsigned char>(payload.size() + 2);
    m[1] = type;
    std::copy(payload.begin(), payload.end(), m.begin() + 2);
    return m;
}

Bytes PeerEntry(const SPeerAddress& address, std::uint32_t id) {
    Bytes e(10);
    std::memcpy(&e[0], &address.port, 2);
    std::memcpy(&e[2], &address.address, 4);
    WriteU32LE(&e[6], id);
    return e;
}

class HostileInputTest : public nettest::CSocketPair {
protected:
    // A connected pair with a stored peer list naming one other client, 127.0.0.3 as id 9.
    void Connect() {
        m_client.SendServerSearch();
        Pump(4);
        m_clock.now += 2.1;
        m_client.ResendPending();
        Pump(4);
        Bytes list = {1};
        const Bytes entry = PeerEntry(Address("127.0.0.3", 5003), 9);
        list.insert(list.end(), entry.begin(), entry.end());
        Deliver(m_client, kServerAddress, Datagram(false, {Message(kPeerList, list)}));
        ASSERT_EQ(m_client.GetStoredPeerList().size(), 1u);
        m_network.sent.clear();
    }

    struct SSnapshot {
        std::uint64_t packets, messages;
        std::list<std::uint32_t> peers;
        std::uint32_t ownId;
        std::size_t events, storedPeers, sent;
        bool operator==(const SSnapshot& o) const {
            return packets == o.packets && messages == o.messages && peers == o.peers && ownId == o.ownId &&
                   events == o.events && storedPeers == o.storedPeers && sent == o.sent;
        }
    };

    SSnapshot ClientState() {
        return SSnapshot{m_client.GetPacketsReceived(), m_client.GetMessagesReceived(),
                         m_client.GetPeerIds(),         m_client.GetOwnId(),
                         m_clientEvents.Size(),         m_client.GetStoredPeerList().size(),
                         m_network.sent.size()};
    }

    void Deliver(CBaseSocket& to, const SPeerAddress& from, const Bytes& bytes) {
        m_network.Inject(from, &to == &m_server ? kServerAddress : kClientAddress, bytes);
        while (to.WaitReadable(0)) {
            to.ReceivePacket();
        }
        to.DispatchReceived();
        to.Flush();
    }
};

struct SHostileCase {
    const char* name;
    Bytes bytes;
};

std::vector<SHostileCase> MalformedFromTheServer() {
    const Bytes event = Message(kEventMessage, {15, 1, 2});
    std::vector<SHostileCase> cases;
    cases.push_back({"shorter than the header", {0x82, 0x9B, 0x01, 0x00}});
    {
        Bytes b = Datagram(true, {Message(kTextMessage, Bytes(250, 'x')), Message(kTextMessage, Bytes(250, 'x')),
                                  Message(kTextMessage, Bytes(250, 'x')), Message(kTextMessage, Bytes(250, 'x')),
                                  Message(kTextMessage, Bytes(100, 'x'))});
        cases.push_back({"longer than the receive buffer", b});
    }
    {
        Bytes b = Datagram(true, {event});
        b[6] = static_cast<unsigned char>(b[6] + 1);
        cases.push_back({"header length above the bytes", b});
    }
    {
        Bytes b = Datagram(true, {event});
        b[2] = 2;
        cases.push_back({"count above the messages", b});
    }
    {
        Bytes b = Datagram(true, {event, event});
        b[2] = 1;
        cases.push_back({"count below the messages", b});
    }
    for (unsigned char size : {0, 1}) {
        Bytes b = Datagram(true, {event});
        b[9] = size;
        cases.push_back({size == 0 ? "size byte 0" : "size byte 1", b});
    }
    {
        Bytes b = Datagram(true, {event});
        b[9] = 200;
        cases.push_back({"message past the datagram", b});
    }
    {
        Bytes b = Datagram(true, {event});
        b[1] = 0x9C;
        cases.push_back({"reliable with a wrong magic", b});
    }
    cases.push_back({"event without a message id", Datagram(true, {Message(kEventMessage, {})})});
    cases.push_back({"ack of three bytes", Datagram(true, {Message(kAcknowledgement, {1, 2, 3})})});
    cases.push_back({"id update of two bytes", Datagram(true, {Message(kClientIdUpdate, {7, 0})})});
    cases.push_back({"peer list counting two with one", Datagram(true, {Message(kPeerList, [] {
                                                                     Bytes p = {2};
                                                                     Bytes e = PeerEntry(Address("127.0.0.4", 1), 4);
                                                                     p.insert(p.end(), e.begin(), e.end());
                                                                     return p;
                                                                 }())})});
    cases.push_back({"good event then a broken one", [&] {
                         Bytes b = Datagram(true, {event, event});
                         b[9 + event.size()] = 0xF0;
                         return b;
                     }()});
    return cases;
}

TEST_F(HostileInputTest, MalformedDatagramsAreDroppedWithoutAckOrChange) {
    Connect();
    for (const SHostileCase& c : MalformedFromTheServer()) {
        const SSnapshot before = ClientState();
        Deliver(m_client, kServerAddress, c.bytes);
        EXPECT_TRUE(ClientState() == before) << c.name;
    }
    // The chain is untouched: the next real reliable packet is still taken.
    const unsigned char payload[2] = {15, 9};
    m_server.QueueReliableToAll(std::make_shared<CBinaryMessage>(payload, 2, kEventMessage));
    Pump(3);
    EXPECT_EQ(m_clientEvents.Size(), 1u);
}

TEST_F(HostileInputTest, OfferWithoutFourBytesOrWithAReservedIdIsIgnored) {
    for (const Bytes& payload : {Bytes{2, 0, 0}, Bytes{0, 0, 0, 0}, Bytes{1, 0, 0, 0}}) {
        Deliver(m_client, kServerAddress, Datagram(false, {Message(kClientIdOffer, payload)}));
        EXPECT_FALSE(m_client.HasPeers());
        EXPECT_EQ(m_client.GetOwnId(), 0u);
    }
}

TEST_F(HostileInputTest, ConnectNamingAnIdNotOfferedOrTakenIsIgnored) {
    Connect();
    const std::uint32_t taken = m_client.GetOwnId();
    for (std::uint32_t id : {0u, 1u, taken, PeekNextClientId(), PeekNextClientId() + 100}) {
        Bytes payload(4);
        WriteU32LE(payload.data(), id);
        Deliver(m_server, kStranger, Datagram(false, {Message(kConnect, payload)}));
        EXPECT_EQ(m_server.GetPeerIds(), std::list<std::uint32_t>{taken}) << id;
    }
    // An offered id in three or five bytes is no connect.
    const std::uint32_t next = TakeNextClientId();
    for (std::size_t length : {3u, 5u}) {
        Bytes payload(4);
        WriteU32LE(payload.data(), next);
        payload.resize(length, 0);
        Deliver(m_server, kStranger, Datagram(false, {Message(kConnect, payload)}));
        EXPECT_EQ(m_server.GetPeerIds(), std::list<std::uint32_t>{taken}) << length;
    }
}

TEST_F(HostileInputTest, PeerListNamingTheReceiverIsIgnored) {
    Connect();
    Bytes payload = {2};
    for (const Bytes& e : {PeerEntry(Address("127.0.0.4", 1), 4), PeerEntry(kClientAddress, m_client.GetOwnId())}) {
        payload.insert(payload.end(), e.begin(), e.end());
    }
    Deliver(m_client, kServerAddress, Datagram(false, {Message(kPeerList, payload)}));
    const PeerAddressMap stored = m_client.GetStoredPeerList();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored.begin()->first, 9u);
}

TEST_F(HostileInputTest, HostChangeFromAnAddressTheServerNeverListedIsIgnored) {
    Connect();
    Deliver(m_client, kStranger, Datagram(false, {Message(kHostChange, {})}));
    SPeerAddress server;
    ASSERT_TRUE(m_client.GetPeerAddress(1, server));
    EXPECT_TRUE(server.SameHost(kServerAddress));
    // A repeat from the server already taken as peer 1 changes nothing either.
    Deliver(m_client, kServerAddress, Datagram(false, {Message(kHostChange, {})}));
    ASSERT_TRUE(m_client.GetPeerAddress(1, server));
    EXPECT_TRUE(server.SameHost(kServerAddress));
    const auto events = ConnectionEvents();
    EXPECT_EQ(std::count(events.begin(), events.end(), "Lost_Connection_Evt 1"), 0);
}

TEST_F(HostileInputTest, HostChangeFromTheListedSuccessorReplacesTheServer) {
    Connect();
    const SPeerAddress successor = Address("127.0.0.3", 8000);
    Deliver(m_client, successor, Datagram(false, {Message(kHostChange, {})}));
    SPeerAddress server;
    ASSERT_TRUE(m_client.GetPeerAddress(1, server));
    EXPECT_TRUE(server.SameHost(successor));
    EXPECT_EQ(m_client.GetPeerIds(), std::list<std::uint32_t>{1});
}

// Connects for ids not offered to their address, from a crowd of addresses, cost the host no
// room, and real players still join among them: two at once (each with the id offered to it),
// then as many as the host takes, and no more.
TEST_F(HostileInputTest, RealPlayersJoinThroughAFloodAndTheHostTakesNoMoreThanItHasRoomFor) {
    std::vector<CClientSocket*> clients = {&m_client};
    std::vector<std::unique_ptr<CClientSocket>> more;
    for (int k = 3; k <= 8; ++k) {
        const std::string ip = "127.0.0." + std::to_string(k);
        more.push_back(std::make_unique<CClientSocket>(
            ClientConfig(), MakePort(m_network, Address(ip.c_str(), static_cast<std::uint16_t>(5000 + k)))));
        clients.push_back(more.back().get());
    }
    const std::uint32_t first = PeekNextClientId();
    int round = 0;
    const auto floodedRounds = [&](int rounds) {
        for (int r = 0; r < rounds; ++r, ++round) {
            // The searchers claim ids they were not offered; the others claim the id on offer
            // without having searched.
            for (int f = 0; f < 40; ++f) {
                Bytes wrong(4);
                WriteU32LE(wrong.data(), f % 2 == 0 ? PeekNextClientId() + 1 : 0x25F5D4B2u + round);
                m_network.Inject(Address(("127.0.1." + std::to_string(f)).c_str(), 7000), kServerAddress,
                                 Datagram(false, {Bytes{2, kServerSearch}, Message(kConnect, wrong)}));
                Bytes unasked(4);
                WriteU32LE(unasked.data(), PeekNextClientId());
                m_network.Inject(Address(("127.0.2." + std::to_string(f)).c_str(), 7000), kServerAddress,
                                 Datagram(true, {Message(kConnect, unasked)}));
            }
            nettest::Pump(m_network, {&m_server});
            for (CClientSocket* client : clients) {
                nettest::Pump(m_network, {client});
            }
        }
    };
    floodedRounds(5);
    EXPECT_FALSE(m_server.HasPeers());
    EXPECT_GT(PeekNextClientId(), first);

    clients[0]->SendServerSearch();
    clients[1]->SendServerSearch();
    floodedRounds(6);
    ASSERT_EQ(m_server.GetPeerIds().size(), 2u);
    EXPECT_NE(clients[0]->GetOwnId(), clients[1]->GetOwnId());
    EXPECT_EQ(m_server.GetPeerIds(),
              (std::list<std::uint32_t>{std::min(clients[0]->GetOwnId(), clients[1]->GetOwnId()),
                                        std::max(clients[0]->GetOwnId(), clients[1]->GetOwnId())}));

    for (std::size_t k = 2; k < clients.size(); ++k) {
        clients[k]->SendServerSearch();
        floodedRounds(6);
    }
    EXPECT_EQ(m_server.GetPeerIds().size(), m_config.maxClients);
    EXPECT_FALSE(clients.back()->HasPeers());
}

} // namespace
} // namespace net
} // namespace velm
