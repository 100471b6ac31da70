#include <gtest/gtest.h>

#include <vector>

#include "engine/net/client_socket.h"
#include "engine/net/server_socket.h"
#include "memory_link.h"
#include "recorder.h"

namespace velm {
namespace net {
namespace {

using nettest::Address;
using nettest::Counted;
using nettest::Counters;

struct SLinkCase {
    unsigned seed;
    double drop;
    double duplicate;
    int maxDelay;
};

// Every reliable message arrives exactly once and in order, both ways, over a link that drops,
// duplicates and reorders; unreliable ones may be lost but never corrupt the chain.
TEST(SoakTest, ReliableMessagesArriveOnceAndInOrderOverABadLink) {
    const std::vector<SLinkCase> cases = {{1, 0.2, 0.1, 5}, {2, 0.4, 0.2, 12}, {3, 0.05, 0.5, 30}, {4, 0.0, 0.0, 0}};
    constexpr std::uint32_t kMessages = 400;
    constexpr unsigned char kReliableId = 1;
    constexpr unsigned char kUnreliableId = 2;
    for (const SLinkCase& c : cases) {
        nettest::SManualClock clock;
        SNetConfig config = nettest::TestConfig(clock);
        nettest::CMemoryNetwork network(c.seed);
        network.dropRate = c.drop;
        network.duplicateRate = c.duplicate;
        network.maxDelaySteps = c.maxDelay;
        const SPeerAddress addressA = Address("127.0.0.1", 8000);
        const SPeerAddress addressB = Address("127.0.0.2", 5000);
        CServerSocket a(PeerAddressMap{{2, addressB}}, config, nettest::MakePort(network, addressA));
        CClientSocket b(config, nettest::MakePort(network, addressB));
        b.AddPeer(addressA, 1);
        nettest::SEventLog logA;
        nettest::SEventLog logB;
        a.SetRemoteEventSocket(new nettest::CRecordingEventSocket(logA));
        b.SetRemoteEventSocket(new nettest::CRecordingEventSocket(logB));

        std::uint32_t queued = 0;
        for (int step = 0; step < 40000; ++step) {
            if (queued < kMessages) {
                // Bursts of 1 to 3, some steps none, so packets carry varying message counts.
                for (int i = 0; i < (step % 4) && queued < kMessages; ++i, ++queued) {
                    a.QueueReliableTo(Counted(kReliableId, queued), 2);
                    b.QueueReliableTo(Counted(kReliableId, queued), 1);
                    a.QueueUnreliableTo(Counted(kUnreliableId, queued), 2);
                }
            }
            for (CBaseSocket* socket : {static_cast<CBaseSocket*>(&a), static_cast<CBaseSocket*>(&b)}) {
                while (socket->WaitReadable(0)) {
                    socket->ReceivePacket();
                }
                socket->DispatchReceived();
                socket->Flush();
                socket->ResendPending();
            }
            network.Step();
            clock.now += 0.05;
            if (queued == kMessages && a.GetPendingCount(2) == 0 && b.GetPendingCount(1) == 0 &&
                network.InFlight() == 0) {
                break;
            }
        }
        const std::vector<std::uint32_t> expected = nettest::Sequence(0, kMessages);
        EXPECT_EQ(Counters(logB, kReliableId), expected) << "seed " << c.seed;
        EXPECT_EQ(Counters(logA, kReliableId), expected) << "seed " << c.seed;
        EXPECT_EQ(a.GetPendingCount(2), 0u) << "seed " << c.seed;
        EXPECT_EQ(b.GetPendingCount(1), 0u) << "seed " << c.seed;
        EXPECT_LE(Counters(logB, kUnreliableId).size(), kMessages * 2) << "seed " << c.seed;
    }
}

} // namespace
} // namespace net
} // namespace velm
