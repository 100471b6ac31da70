#include "engine/net/server_socket.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

#include "libs/common/mutex_lock.h"

namespace velm {
namespace net {
namespace {

std::atomic<std::uint32_t> s_nextClientId{kFirstClientId};

} // namespace

std::uint32_t TakeNextClientId() { return s_nextClientId.fetch_add(1); }

std::uint32_t PeekNextClientId() { return s_nextClientId.load(); }

CServerSocket::CServerSocket(const SNetConfig& config, std::unique_ptr<IDatagramPort> port)
    : CBaseSocket(true, config, PortOrUdp(std::move(port), true, config.bindAddress, config.port)) {}

CServerSocket::CServerSocket(const PeerAddressMap& clients, const SNetConfig& config,
                             std::unique_ptr<IDatagramPort> port)
    : CServerSocket(config, std::move(port)) {
    for (const auto& entry : clients) {
        AddPeer(entry.second, entry.first);
    }
}

void CServerSocket::SendPeerList() {
    common::CMutexLock lock(NetworkMutex());
    const std::list<std::uint32_t> ids = GetPeerIds();
    if (ids.empty()) {
        return;
    }
    const std::size_t others = ids.size() - 1;
    if (1 + kPeerListEntrySize * others > kMaxPayloadSize) {
        std::fprintf(stderr, "Too many peers for one peer list: %zu\n", ids.size());
        return;
    }
    for (std::uint32_t recipient : ids) {
        std::vector<unsigned char> payload;
        payload.reserve(1 + kPeerListEntrySize * others);
        payload.push_back(static_cast<unsigned char>(others));
        for (std::uint32_t id : ids) {
            SPeerAddress address;
            if (id == recipient || !GetPeerAddress(id, address)) {
                continue;
            }
            unsigned char entry[kPeerListEntrySize];
            std::memcpy(entry, &address.port, 2);
            std::memcpy(entry + 2, &address.address, 4);
            WriteU32LE(entry + 6, id);
            payload.insert(payload.end(), entry, entry + kPeerListEntrySize);
        }
        QueueReliableTo(
            std::make_shared<CBinaryMessage>(payload.data(), static_cast<std::uint8_t>(payload.size()), kPeerList),
            recipient);
    }
}

void CServerSocket::SendSuccessor() {
    const std::list<std::uint32_t> ids = GetPeerIds();
    if (!ids.empty()) {
        QueueReliableTo(MakeEmptyMessage(kSuccessor), ids.front());
    }
}

void CServerSocket::HandleMessage(CReceivedMessage& message, bool fromPeer) {
    const SPeerAddress& sender = message.GetSenderAddress();
    switch (message.GetType()) {
        case kServerSearch:
            if (IsAcceptingClients() && !fromPeer) {
                auto offer = BuildPacket(MakeU32Message(kClientIdOffer, TakeNextClientId()), false, 0);
                SendPacket(sender, *offer);
            }
            break;
        case kConnect: {
            // Only an id this process offered, and not one a peer already holds.
            const std::uint32_t id = ReadU32LE(message.GetPayload());
            if (!fromPeer && id >= kFirstClientId && id < PeekNextClientId() && AddPeer(sender, id)) {
                Log("Got a new client IP # ", sender);
            }
            break;
        }
        case kPing:
            if (fromPeer) {
                QueueReliableTo(MakeEmptyMessage(kPong), message.GetSenderId());
            }
            break;
        default:
            break;
    }
}

} // namespace net
} // namespace velm
