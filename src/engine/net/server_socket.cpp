#include "engine/net/server_socket.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

#include "libs/common/mutex_lock.h"

namespace velm {
namespace net {
namespace {

// 0 once the last id has been taken: the counter never wraps back to ids given before.
std::atomic<std::uint32_t> s_nextClientId{kFirstClientId};

} // namespace

std::uint32_t TakeNextClientId() {
    std::uint32_t id = s_nextClientId.load();
    while (id != 0 && !s_nextClientId.compare_exchange_weak(id, id + 1)) {
    }
    return id;
}

std::uint32_t PeekNextClientId() { return s_nextClientId.load(); }

void SetNextClientIdForTest(std::uint32_t next) { s_nextClientId.store(next); }

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

bool CServerSocket::HasRoom() const { return GetPeerIds().size() < GetConfig().maxClients; }

void CServerSocket::Offer(const SPeerAddress& to) {
    const std::uint32_t id = TakeNextClientId();
    if (id == 0) {
        if (!m_saidIdsRunOut) {
            m_saidIdsRunOut = true;
            char dotted[16];
            std::fprintf(stderr,
                         "No client id is left to offer: the search from %s is not answered, and no later one\n",
                         DottedAddress(to, dotted));
        }
        return;
    }
    // A search repeated (or flooded) from one address keeps only its latest few offers, and a
    // flood from many addresses pushes out the oldest.
    const auto sameAddress = [&to](const SOffer& offer) { return offer.to == to; };
    if (static_cast<std::size_t>(std::count_if(m_offers.begin(), m_offers.end(), sameAddress)) >= kOffersPerAddress) {
        m_offers.erase(std::find_if(m_offers.begin(), m_offers.end(), sameAddress));
    } else if (m_offers.size() >= kRememberedOffers) {
        m_offers.pop_front();
    }
    m_offers.push_back(SOffer{to, id});
    auto packet = BuildPacket(MakeU32Message(kClientIdOffer, id), false, 0);
    SendPacket(to, *packet);
}

void CServerSocket::TakeConnect(const SPeerAddress& from, std::uint32_t claimed) {
    const auto offer = std::find_if(m_offers.begin(), m_offers.end(),
                                    [&](const SOffer& o) { return o.to == from && o.id == claimed; });
    if (offer == m_offers.end()) {
        return;
    }
    // The client has chosen: its other offers are void.
    m_offers.erase(std::remove_if(m_offers.begin(), m_offers.end(), [&from](const SOffer& o) { return o.to == from; }),
                   m_offers.end());
    if (AddPeer(from, claimed)) {
        Log("Got a new client IP # ", from);
    }
}

void CServerSocket::HandleMessage(CReceivedMessage& message, bool fromPeer) {
    const SPeerAddress& sender = message.GetSenderAddress();
    switch (message.GetType()) {
        case kServerSearch:
            if (IsAcceptingClients() && !fromPeer && HasRoom()) {
                Offer(sender);
            }
            break;
        case kConnect:
            if (!fromPeer && HasRoom()) {
                TakeConnect(sender, ReadU32LE(message.GetPayload()));
            }
            break;
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
