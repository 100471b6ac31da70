#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
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

const SPeerAddress kServerAddress = nettest::kPairServerAddress;
const SPeerAddress kClientAddress = nettest::kPairClientAddress;

MessagePtr EventMessage(unsigned char id, unsigned char value) {
    const unsigned char payload[2] = {id, value};
    return std::make_shared<CBinaryMessage>(payload, 2, kEventMessage);
}

class SocketTest : public nettest::CSocketPair {
protected:
    // Search, offer, connect; returns the client's id.
    std::uint32_t Connect() {
        m_client.SendServerSearch();
        Pump(4);
        return m_client.GetOwnId();
    }

    // Connected both ways and every acknowledgement settled.
    std::uint32_t Settle() {
        const std::uint32_t id = Connect();
        m_clock.now += 2.1;
        m_client.ResendPending();
        Pump(4);
        return id;
    }

    std::size_t SentFrom(const SPeerAddress& from) const {
        return std::count_if(m_network.sent.begin(), m_network.sent.end(),
                             [&](const nettest::SDatagram& d) { return d.from.SameHost(from); });
    }
};

TEST_F(SocketTest, DiscoveryOffersAnIdAndConnects) {
    const std::uint32_t offered = PeekNextClientId();
    EXPECT_EQ(Connect(), offered);
    EXPECT_EQ(m_client.GetPeerIds(), std::list<std::uint32_t>{1});
    EXPECT_EQ(m_server.GetPeerIds(), std::list<std::uint32_t>{offered});
    EXPECT_EQ(m_server.GetOwnId(), 1u);
    // The connect came from an address that was no peer yet: taken in, its ack had nowhere to go.
    EXPECT_EQ(m_client.GetPendingCount(1), 1u);
    m_clock.now += 2.1;
    m_client.ResendPending();
    Pump(4);
    EXPECT_EQ(m_client.GetPendingCount(1), 0u);
    EXPECT_EQ(m_server.GetPeerIds().size(), 1u);
    const auto events = ConnectionEvents();
    EXPECT_EQ(std::count(events.begin(), events.end(), "Started_Connection_Evt 1"), 1);
    EXPECT_EQ(std::count(events.begin(), events.end(), "Started_Connection_Evt " + std::to_string(offered)), 1);
}

TEST_F(SocketTest, OffersAreNeverReused) {
    const std::uint32_t first = Connect();
    CClientSocket other(ClientConfig(), MakePort(m_network, Address("127.0.0.3", 5003)));
    other.SendServerSearch();
    for (int i = 0; i < 4; ++i) {
        nettest::Pump(m_network, {&m_server, &other});
    }
    EXPECT_EQ(other.GetOwnId(), first + 1);
}

TEST_F(SocketTest, NoAnswerToSearchesWhileNotAcceptingOrFromAPeer) {
    const std::uint32_t id = Settle();
    const std::size_t before = SentFrom(kServerAddress);
    m_client.SendServerSearch();
    Pump(2);
    EXPECT_EQ(SentFrom(kServerAddress), before);
    EXPECT_EQ(m_client.GetOwnId(), id);

    m_server.SetAcceptingClients(false);
    CClientSocket late(ClientConfig(), MakePort(m_network, Address("127.0.0.3", 5003)));
    late.SendServerSearch();
    for (int i = 0; i < 3; ++i) {
        nettest::Pump(m_network, {&m_server, &late});
    }
    EXPECT_FALSE(late.HasPeers());
}

TEST_F(SocketTest, EventHandlerGetsThePayloadLength) {
    const std::uint32_t id = Settle();
    m_client.QueueReliableToAll(EventMessage(15, 0x42));
    Pump(3);
    const auto events = m_serverEvents.Copy();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].payload, (std::vector<unsigned char>{15, 0x42}));
    EXPECT_EQ(events[0].sender, id);
}

TEST_F(SocketTest, LaterReliablePacketWaitsForItsPredecessor) {
    Settle();
    m_server.QueueReliableToAll(EventMessage(1, 'A'));
    m_server.Flush();
    m_server.QueueReliableToAll(EventMessage(1, 'B'));
    m_server.Flush();
    m_network.ReverseInFlight();
    Pump(3);
    ASSERT_EQ(m_clientEvents.Size(), 1u);
    EXPECT_EQ(m_clientEvents.Copy()[0].payload[1], 'A');
    m_clock.now += 2.1;
    m_server.ResendPending();
    Pump(3);
    const auto events = m_clientEvents.Copy();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].payload[1], 'B');
    EXPECT_EQ(m_server.GetPendingCount(m_client.GetOwnId()), 0u);
}

// The new server's first packet comes from an address that is no peer yet, so its ack is lost;
// what it carried must not arrive twice, and the packets after it must not wait for its resend.
TEST_F(SocketTest, HostChangePacketIsTakenOnceAndStartsTheNewServersChain) {
    const std::uint32_t id = Settle();
    const SPeerAddress successorAddress = Address("127.0.0.3", 8000);
    m_server.AddPeer(successorAddress, 9);
    m_server.SendPeerList();
    Pump(3);
    ASSERT_EQ(m_client.GetStoredPeerList().size(), 1u);

    CServerSocket successor(PeerAddressMap{{id, kClientAddress}}, m_config, MakePort(m_network, successorAddress));
    auto pumpNew = [&](int steps) {
        for (int i = 0; i < steps; ++i) {
            nettest::Pump(m_network, {&successor, &m_client});
        }
    };
    successor.QueueReliableToAll(MakeEmptyMessage(kHostChange));
    successor.QueueReliableToAll(EventMessage(1, 'H'));
    successor.Flush();
    pumpNew(3);
    SPeerAddress server;
    ASSERT_TRUE(m_client.GetPeerAddress(1, server));
    EXPECT_TRUE(server.SameHost(successorAddress));
    EXPECT_EQ(successor.GetPendingCount(id), 1u);

    successor.QueueReliableToAll(EventMessage(1, 'I'));
    pumpNew(3);
    EXPECT_EQ(m_clientEvents.Size(), 2u);

    m_clock.now += 2.1;
    successor.ResendPending();
    pumpNew(3);
    EXPECT_EQ(successor.GetPendingCount(id), 0u);
    const auto events = m_clientEvents.Copy();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].payload[1], 'H');
    EXPECT_EQ(events[1].payload[1], 'I');
    const auto connections = ConnectionEvents();
    EXPECT_EQ(std::count(connections.begin(), connections.end(), "Lost_Connection_Evt 1"), 1);
}

TEST_F(SocketTest, LostAcknowledgementIsAnsweredAgainWithoutSecondDelivery) {
    const std::uint32_t id = Settle();
    m_server.QueueReliableToAll(EventMessage(1, 'A'));
    m_server.Flush();
    m_client.ReceivePacket();
    m_client.DispatchReceived();
    m_client.Flush();
    m_network.DropInFlightFrom(kClientAddress);
    EXPECT_EQ(m_server.GetPendingCount(id), 1u);
    for (int round = 0; round < 2; ++round) {
        m_clock.now += 2.1;
        m_server.ResendPending();
        Pump(3);
    }
    EXPECT_EQ(m_server.GetPendingCount(id), 0u);
    EXPECT_EQ(m_clientEvents.Size(), 1u);
}

TEST_F(SocketTest, SilentPeerIsPingedThenDroppedWithALostConnectionEvent) {
    const std::uint32_t id = Settle();
    m_clock.now += 2.1;
    EXPECT_TRUE(m_server.KeepAlive());
    SKeepAlive record;
    ASSERT_TRUE(m_server.GetKeepAlive(id, record));
    EXPECT_TRUE(record.pinged);
    const std::size_t before = m_network.sent.size();
    m_server.Flush();
    ASSERT_EQ(m_network.sent.size(), before + 1);
    EXPECT_EQ(m_network.sent.back().bytes.size(), 11u);
    EXPECT_EQ(m_network.sent.back().bytes[10], kPing);
    m_network.DropAllInFlight();
    m_clock.now += 2.0;
    EXPECT_FALSE(m_server.KeepAlive());
    EXPECT_FALSE(m_server.HasPeers());
    const auto events = ConnectionEvents();
    EXPECT_EQ(events.back(), "Lost_Connection_Evt " + std::to_string(id));
}

// A peer that acknowledges nothing while it is still heard from would make the host keep every
// reliable packet for ever: at the bound its messages wait in the queue and it is dropped as lost.
TEST_F(SocketTest, PeerTooFarBehindIsDroppedWithALostConnectionEvent) {
    const std::uint32_t id = Settle();
    for (std::size_t i = 0; i < kMaxPendingPackets; ++i) {
        if (i > 0) {
            ASSERT_TRUE(m_server.KeepAlive()) << "packet " << i;
        }
        m_server.QueueReliableToAll(EventMessage(1, static_cast<unsigned char>(i)));
        m_server.Flush();
        m_network.DropAllInFlight();
    }
    EXPECT_EQ(m_server.GetPendingCount(id), kMaxPendingPackets);
    const std::size_t sent = m_network.sent.size();
    m_server.QueueReliableToAll(EventMessage(2, 0));
    m_server.Flush();
    EXPECT_EQ(m_network.sent.size(), sent) << "nothing more for a peer at the bound";
    EXPECT_EQ(m_server.GetPendingCount(id), kMaxPendingPackets);
    EXPECT_FALSE(m_server.KeepAlive());
    EXPECT_FALSE(m_server.HasPeers());
    EXPECT_EQ(m_server.GetPendingCount(id), 0u);
    EXPECT_EQ(ConnectionEvents().back(), "Lost_Connection_Evt " + std::to_string(id));
}

// Received messages are refilled in place from one dispatch to the next: each carries its own
// bytes only, whatever came before it.
TEST_F(SocketTest, EachMessageArrivesWithItsOwnBytes) {
    Settle();
    const std::vector<std::vector<unsigned char>> rounds[] = {
        {std::vector<unsigned char>(253, 0xAB), {1, 2, 3}},
        {{9}, std::vector<unsigned char>(200, 0x5C)},
        {{4, 4}},
    };
    std::vector<std::vector<unsigned char>> expected;
    for (const auto& round : rounds) {
        for (const auto& payload : round) {
            m_client.QueueUnreliableToAll(std::make_shared<CBinaryMessage>(
                payload.data(), static_cast<std::uint8_t>(payload.size()), kEventMessage));
            expected.push_back(payload);
        }
        Pump(2);
    }
    std::vector<std::vector<unsigned char>> received;
    for (const auto& event : m_serverEvents.Copy()) {
        received.push_back(event.payload);
    }
    EXPECT_EQ(received, expected);
}

TEST_F(SocketTest, PongAnswersPingAndRefreshesTheRecord) {
    const std::uint32_t id = Settle();
    m_clock.now += 2.1;
    m_server.KeepAlive();
    Pump(3);
    SKeepAlive record;
    ASSERT_TRUE(m_server.GetKeepAlive(id, record));
    EXPECT_FALSE(record.pinged);
    EXPECT_DOUBLE_EQ(record.timeLastHeard, m_clock.now);
}

TEST_F(SocketTest, TwoDeadPeersAreDroppedOnePerPass) {
    m_server.AddPeer(Address("127.0.0.5", 1), 5);
    m_server.AddPeer(Address("127.0.0.4", 1), 4);
    m_clock.now += 2.1;
    m_server.KeepAlive();
    m_clock.now += 2.0;
    EXPECT_FALSE(m_server.KeepAlive());
    EXPECT_EQ(m_server.GetPeerIds(), std::list<std::uint32_t>{5});
    EXPECT_FALSE(m_server.KeepAlive());
    EXPECT_FALSE(m_server.HasPeers());
}

TEST_F(SocketTest, SecondPeerOnAKnownAddressOrIdIsRefused) {
    EXPECT_TRUE(m_server.AddPeer(Address("127.0.0.7", 1000), 7));
    EXPECT_FALSE(m_server.AddPeer(Address("127.0.0.7", 1000), 8));
    EXPECT_FALSE(m_server.AddPeer(Address("127.0.0.8", 2000), 7));
    // Another port of the same machine is another peer.
    EXPECT_TRUE(m_server.AddPeer(Address("127.0.0.7", 2000), 8));
    EXPECT_EQ(m_server.GetPeerIds(), (std::list<std::uint32_t>{7, 8}));
    EXPECT_EQ(m_server.FindPeerByAddress(Address("127.0.0.7", 2000)), 8u);
    EXPECT_EQ(m_server.FindPeerByAddress(Address("127.0.0.7", 3000)), 0u);
}

// A datagram from the server's machine but another port speaks for nobody: its event is not
// delivered, it keeps the server's silence from being heard, and its reliable packet starts no
// chain of the server's.
TEST_F(SocketTest, ADatagramFromAnotherPortOfTheServersMachineIsNotTheServers) {
    Settle();
    const SPeerAddress impostor = Address("127.0.0.1", 8001);
    m_clock.now += 2.1;
    const std::uint64_t packets = m_client.GetPacketsReceived();
    for (bool reliable : {false, true}) {
        const unsigned char payload[2] = {15, 'X'};
        SPacket packet;
        BuildPacketHeader(packet, MessageList{std::make_shared<CBinaryMessage>(payload, 2, kEventMessage)}, reliable);
        m_network.Inject(impostor, kClientAddress, packet.buffer);
        while (m_client.WaitReadable(0)) {
            m_client.ReceivePacket();
        }
        m_client.DispatchReceived();
    }
    EXPECT_EQ(m_client.GetPacketsReceived(), packets + 2);
    EXPECT_EQ(m_clientEvents.Size(), 0u);
    SKeepAlive record;
    ASSERT_TRUE(m_client.GetKeepAlive(1, record));
    EXPECT_LT(record.timeLastHeard, m_clock.now - 2.0);
    // The server's own next reliable packet is still the next of its chain.
    m_server.QueueReliableToAll(EventMessage(15, 'S'));
    Pump(3);
    const auto events = m_clientEvents.Copy();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].payload[1], 'S');
    EXPECT_EQ(events[0].sender, 1u);
}

// An object's creation goes reliable and its updates unreliable: whatever the mix, a peer hears
// the messages in the order they were queued (one packet per run of one kind).
TEST_F(SocketTest, MessagesOfBothKindsArriveInTheOrderQueued) {
    Settle();
    const std::vector<std::vector<bool>> cases = {
        {true, false, false},       // a creation, then two updates of the object
        {false, false, true},       // updates, then the object's removal
        {true, false, true, false}, // runs alternating
    };
    for (const std::vector<bool>& kinds : cases) {
        const std::size_t heardBefore = m_clientEvents.Size();
        const std::size_t before = m_network.sent.size();
        for (std::size_t i = 0; i < kinds.size(); ++i) {
            const MessagePtr message = EventMessage(15, static_cast<unsigned char>('a' + i));
            kinds[i] ? m_server.QueueReliableToAll(message) : m_server.QueueUnreliableToAll(message);
        }
        m_server.Flush();
        std::vector<bool> sentKinds;
        for (std::size_t d = before; d < m_network.sent.size(); ++d) {
            sentKinds.push_back(m_network.sent[d].bytes[0] == 0x82);
        }
        std::vector<bool> runs;
        for (bool kind : kinds) {
            if (runs.empty() || runs.back() != kind) {
                runs.push_back(kind);
            }
        }
        EXPECT_EQ(sentKinds, runs);
        Pump(3);
        std::string heard;
        const auto events = m_clientEvents.Copy();
        for (std::size_t e = heardBefore; e < events.size(); ++e) {
            heard += static_cast<char>(events[e].payload[1]);
        }
        EXPECT_EQ(heard, std::string("abcd").substr(0, kinds.size()));
    }
}

// The message types of a datagram.
std::vector<std::uint8_t> MessageTypes(const std::vector<unsigned char>& bytes) {
    std::vector<std::uint8_t> types;
    for (std::size_t at = kPacketHeaderSize; at + 1 < bytes.size() && bytes[at] >= 2; at += bytes[at]) {
        types.push_back(bytes[at + 1]);
    }
    return types;
}

// Each offer takes the next id: two clients searching at once are offered the first two ids of
// the process, 2 then 3, and join with them; no one is renumbered. Where the counter runs out
// the search is refused with a line, and the counter never wraps to an id given before.
TEST_F(SocketTest, EachOfferTakesTheNextIdAndTheLastIsRefusedWithALine) {
    const std::uint32_t saved = PeekNextClientId();
    SetNextClientIdForTest(kFirstClientId);
    CClientSocket other(ClientConfig(), MakePort(m_network, Address("127.0.0.3", 5003)));
    const auto pumpAll = [&](int steps) {
        for (int i = 0; i < steps; ++i) {
            nettest::Pump(m_network, {&m_server, &m_client, &other});
        }
    };
    m_client.SendServerSearch();
    other.SendServerSearch();
    pumpAll(4);
    EXPECT_EQ(m_client.GetOwnId(), 2u);
    EXPECT_EQ(other.GetOwnId(), 3u);
    EXPECT_EQ(m_server.GetPeerIds(), (std::list<std::uint32_t>{2, 3}));
    m_clock.now += 2.1;
    m_client.ResendPending();
    other.ResendPending();
    pumpAll(4);
    for (const nettest::SDatagram& d : m_network.sent) {
        const std::vector<std::uint8_t> types = MessageTypes(d.bytes);
        EXPECT_EQ(std::count(types.begin(), types.end(), kClientIdUpdate), 0);
    }
    EXPECT_EQ(m_client.GetOwnId(), 2u);
    EXPECT_EQ(other.GetOwnId(), 3u);

    SetNextClientIdForTest(0xFFFFFFFFu);
    CClientSocket last(ClientConfig(), MakePort(m_network, Address("127.0.0.4", 5004)));
    CClientSocket tooLate(ClientConfig(), MakePort(m_network, Address("127.0.0.5", 5005)));
    last.SendServerSearch();
    for (int i = 0; i < 4; ++i) {
        nettest::Pump(m_network, {&m_server, &last});
    }
    EXPECT_EQ(last.GetOwnId(), 0xFFFFFFFFu);
    ::testing::internal::CaptureStderr();
    for (int i = 0; i < 2; ++i) {
        tooLate.SendServerSearch();
        for (int j = 0; j < 4; ++j) {
            nettest::Pump(m_network, {&m_server, &tooLate});
        }
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "No client id is left to offer: the search from 127.0.0.5 is not answered, and no later one\n");
    EXPECT_FALSE(tooLate.HasPeers());
    EXPECT_EQ(PeekNextClientId(), 0u);
    EXPECT_EQ(m_server.GetPeerIds().size(), 3u);
    SetNextClientIdForTest(saved);
}

struct SPackingCase {
    const char* name;
    bool reliable;
    int count;
    std::uint8_t payload;
    std::vector<std::size_t> messagesPerPacket;
};

TEST_F(SocketTest, FlushPacksWithinTheLimits) {
    const std::vector<SPackingCase> cases = {
        {"30 unreliable of size 40", false, 30, 38, {25, 5}},
        {"300 unreliable of size 2", false, 300, 0, {255, 45}},
        {"reliable stays below 1015", true, 29, 33, {28, 1}},
        {"unreliable may reach 1015", false, 29, 33, {29}},
    };
    m_server.AddPeer(Address("127.0.0.9", 1), 9);
    for (const SPackingCase& c : cases) {
        m_network.sent.clear();
        std::vector<unsigned char> payload(c.payload, 1);
        for (int i = 0; i < c.count; ++i) {
            MessagePtr message = std::make_shared<CBinaryMessage>(payload.data(), c.payload, kTextMessage);
            c.reliable ? m_server.QueueReliableTo(message, 9) : m_server.QueueUnreliableTo(message, 9);
        }
        m_server.Flush();
        std::vector<std::size_t> counts;
        for (const auto& d : m_network.sent) {
            counts.push_back(d.bytes[2]);
            EXPECT_LE(d.bytes.size(), c.reliable ? 1023u : 1024u) << c.name;
        }
        EXPECT_EQ(counts, c.messagesPerPacket) << c.name;
    }
}

TEST_F(SocketTest, PeerListsNameEveryOtherClient) {
    m_server.AddPeer(Address("127.0.0.2", 0x1111), 2);
    m_server.AddPeer(Address("127.0.0.3", 0x2222), 3);
    m_server.AddPeer(Address("127.0.0.4", 0x3333), 4);
    m_server.SendPeerList();
    m_server.SendSuccessor();
    m_server.Flush();
    ASSERT_EQ(m_network.sent.size(), 3u);
    const std::vector<unsigned char>& toTwo = m_network.sent[0].bytes;
    ASSERT_EQ(toTwo.size(), 9u + 2 + 21 + 2);
    EXPECT_EQ(toTwo[9], 23);
    EXPECT_EQ(toTwo[10], kPeerList);
    EXPECT_EQ(toTwo[11], 2);
    const SPeerAddress three = Address("127.0.0.3", 0x2222);
    EXPECT_EQ(0, std::memcmp(&toTwo[12], &three.port, 2));
    EXPECT_EQ(0, std::memcmp(&toTwo[14], &three.address, 4));
    EXPECT_EQ(ReadU32LE(&toTwo[18]), 3u);
    EXPECT_EQ(ReadU32LE(&toTwo[28]), 4u);
    EXPECT_EQ(toTwo[33], kSuccessor);
    EXPECT_EQ(m_network.sent[1].bytes.size(), 9u + 23);
}

TEST_F(SocketTest, PeerListOfOneClientIsOneZeroByte) {
    Settle();
    m_network.sent.clear();
    m_server.SendPeerList();
    m_server.Flush();
    ASSERT_EQ(m_network.sent.size(), 1u);
    EXPECT_EQ(m_network.sent[0].bytes.size(), 12u);
    EXPECT_EQ(m_network.sent[0].bytes[11], 0);
    Pump(2);
    EXPECT_TRUE(m_client.GetStoredPeerList().empty());
}

TEST_F(SocketTest, ResendGoesOutAfterTheResendTimeWithTheSameBytes) {
    Settle();
    m_server.QueueReliableToAll(EventMessage(1, 'A'));
    m_server.Flush();
    const std::vector<unsigned char> first = m_network.sent.back().bytes;
    m_network.DropAllInFlight();
    m_clock.now += 1.9;
    const std::size_t before = m_network.sent.size();
    m_server.ResendPending();
    EXPECT_EQ(m_network.sent.size(), before);
    m_clock.now += 0.2;
    m_server.ResendPending();
    ASSERT_EQ(m_network.sent.size(), before + 1);
    EXPECT_EQ(m_network.sent.back().bytes, first);
}

} // namespace
} // namespace net
} // namespace velm
