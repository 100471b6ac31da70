// The network's receive path on a host with three clients: a batch of 60 datagrams (half of them
// reliable, each with four event messages, and one in ten a second copy of a reliable packet whose
// acknowledgement was lost) taken in, checked and dispatched to the game's event socket, as the
// network thread does each cycle. The acknowledgements the batch queues are sent outside the timed
// part, or inside it in the whole-cycle case.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/net/packet.h"
#include "engine/net/remote_event_socket.h"
#include "engine/net/server_socket.h"

namespace {

using velm::net::SPeerAddress;

constexpr int kClients = 3;
constexpr int kPacketsPerBatch = 60;
constexpr int kMessagesPerPacket = 4;
constexpr std::uint8_t kEventPayload = 12;

SPeerAddress MakeClientAddress(int index) {
    SPeerAddress address;
    address.family = AF_INET;
    address.port = htons(static_cast<std::uint16_t>(5000 + index));
    address.address = velm::net::AddressFromText(index == 0 ? "10.0.0.2" : index == 1 ? "10.0.0.3" : "10.0.0.4");
    return address;
}

const SPeerAddress kClientAddresses[kClients] = {MakeClientAddress(0), MakeClientAddress(1), MakeClientAddress(2)};

const SPeerAddress& ClientAddress(int index) { return kClientAddresses[index]; }

// Serves the same datagrams again and again, giving each reliable one the next link of its
// sender's chain so that the host takes every one in; what the host sends is discarded.
class CReplayPort : public velm::net::IDatagramPort {
public:
    struct SDatagram {
        int client;
        std::vector<unsigned char> bytes;
        // Serve the sender's previous reliable packet again instead.
        bool copy;
    };

    explicit CReplayPort(std::vector<SDatagram> datagrams) : m_datagrams(std::move(datagrams)) {}

    bool IsOpen() const override { return true; }
    int Send(const SPeerAddress&, const unsigned char*, int length) override { return length; }
    int Receive(unsigned char* buffer, int capacity, SPeerAddress& from) override {
        SDatagram& datagram = m_datagrams[m_next];
        m_next = (m_next + 1) % m_datagrams.size();
        const int client = datagram.client;
        const std::vector<unsigned char>& bytes = datagram.copy ? m_lastReliableBytes[client] : datagram.bytes;
        if (!datagram.copy && (datagram.bytes[0] & 0x80) != 0) {
            velm::net::SPacketHeader header = velm::net::ReadPacketHeader(datagram.bytes.data());
            header.sequence = ++m_sequence;
            header.previousReliable = m_lastReliable[client];
            velm::net::WritePacketHeader(datagram.bytes.data(), header);
            m_lastReliable[client] = header.sequence;
            m_lastReliableBytes[client] = datagram.bytes;
        }
        const int length = static_cast<int>(bytes.size());
        if (length == 0 || length > capacity) {
            return -1;
        }
        std::copy(bytes.begin(), bytes.end(), buffer);
        from = ClientAddress(client);
        return length;
    }
    bool WaitReadable(long) override { return true; }
    bool SetBroadcast(bool) override { return true; }

private:
    std::vector<SDatagram> m_datagrams;
    std::size_t m_next = 0;
    std::uint16_t m_sequence = 0;
    std::uint16_t m_lastReliable[kClients] = {};
    std::vector<unsigned char> m_lastReliableBytes[kClients];
};

class CCountingEventSocket : public velm::net::CRemoteEventSocket {
public:
    bool OnPacket(const unsigned char* payload, std::uint8_t length, std::uint32_t) override {
        m_bytes += length + payload[0];
        return true;
    }
    std::uint64_t m_bytes = 0;
};

std::vector<CReplayPort::SDatagram> Batch() {
    std::vector<CReplayPort::SDatagram> batch;
    for (int i = 0; i < kPacketsPerBatch; ++i) {
        velm::net::MessageList messages;
        for (int m = 0; m < kMessagesPerPacket; ++m) {
            unsigned char payload[kEventPayload] = {static_cast<unsigned char>(m + 1)};
            messages.push_back(
                std::make_shared<velm::net::CBinaryMessage>(payload, kEventPayload, velm::net::kEventMessage));
        }
        velm::net::SPacket packet;
        velm::net::BuildPacketHeader(packet, messages, i % 2 == 0);
        batch.push_back(CReplayPort::SDatagram{i % kClients, packet.buffer, i % 10 == 9});
    }
    return batch;
}

struct SHost {
    SHost() {
        velm::net::SNetConfig config;
        config.log = false;
        velm::net::PeerAddressMap clients;
        for (int i = 0; i < kClients; ++i) {
            clients[static_cast<std::uint32_t>(velm::net::kFirstClientId + i)] = ClientAddress(i);
        }
        socket = std::make_unique<velm::net::CServerSocket>(clients, config, std::make_unique<CReplayPort>(Batch()));
        events = new CCountingEventSocket();
        socket->SetRemoteEventSocket(events);
    }

    std::unique_ptr<velm::net::CServerSocket> socket;
    CCountingEventSocket* events;
};

void BM_ReceiveAndDispatch(benchmark::State& state) {
    SHost host;
    for (auto _ : state) {
        for (int i = 0; i < kPacketsPerBatch; ++i) {
            host.socket->ReceivePacket();
        }
        host.socket->DispatchReceived();
        state.PauseTiming();
        host.socket->Flush();
        state.ResumeTiming();
    }
    benchmark::DoNotOptimize(host.events->m_bytes);
    state.SetItemsProcessed(state.iterations() * kPacketsPerBatch);
}
BENCHMARK(BM_ReceiveAndDispatch);

void BM_ReceiveDispatchAndAcknowledge(benchmark::State& state) {
    SHost host;
    for (auto _ : state) {
        for (int i = 0; i < kPacketsPerBatch; ++i) {
            host.socket->ReceivePacket();
        }
        host.socket->DispatchReceived();
        host.socket->Flush();
    }
    benchmark::DoNotOptimize(host.events->m_bytes);
    state.SetItemsProcessed(state.iterations() * kPacketsPerBatch);
}
BENCHMARK(BM_ReceiveDispatchAndAcknowledge);

} // namespace
