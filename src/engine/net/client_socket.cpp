#include "engine/net/client_socket.h"

#include <cstdio>
#include <cstring>

#include "libs/common/mutex_lock.h"

namespace velm {
namespace net {
CClientSocket::CClientSocket(const SNetConfig& config, std::unique_ptr<IDatagramPort> port)
    : CBaseSocket(false, config, PortOrUdp(std::move(port), false, config.bindAddress, config.port)) {}

bool CClientSocket::KeepAlive() {
    const bool result = CBaseSocket::KeepAlive();
    if (!result && m_successor) {
        m_hostChangeRequested = true;
    }
    return result;
}

void CClientSocket::SendServerSearch() {
    SPeerAddress broadcast;
    broadcast.family = AF_INET;
    broadcast.port = htons(GetConfig().port);
    broadcast.address = GetConfig().broadcastAddress;
    auto packet = BuildPacket(MakeEmptyMessage(kServerSearch), false, 0);
    SendPacket(broadcast, *packet);
    if (GetConfig().log) {
        std::printf("Sent Server Search Packet\n");
    }
}

bool CClientSocket::StorePeerList(const unsigned char* payload, std::size_t length) {
    if (length < 1 || length != 1 + kPeerListEntrySize * payload[0]) {
        return false;
    }
    PeerAddressMap peers;
    for (std::size_t i = 0; i < payload[0]; ++i) {
        const unsigned char* entry = payload + 1 + kPeerListEntrySize * i;
        SPeerAddress address;
        address.family = AF_INET;
        std::memcpy(&address.port, entry, 2);
        std::memcpy(&address.address, entry + 2, 4);
        const std::uint32_t id = ReadU32LE(entry + 6);
        if (id == GetOwnId() || id < kFirstClientId) {
            return false;
        }
        peers[id] = address;
    }
    common::CMutexLock lock(NetworkMutex());
    m_storedPeers = peers;
    return true;
}

PeerAddressMap CClientSocket::GetStoredPeerList() const {
    common::CMutexLock lock(NetworkMutex());
    return m_storedPeers;
}

bool CClientSocket::IsStoredPeerAddress(const SPeerAddress& address) const {
    // A client that takes over serves from the game's port, not from the port the list gives
    // for its client socket: its machine is what the list vouches for.
    common::CMutexLock lock(NetworkMutex());
    for (const auto& entry : m_storedPeers) {
        if (entry.second.SameHost(address)) {
            return true;
        }
    }
    return false;
}

void CClientSocket::HandleHostChange(const SPeerAddress& address) {
    common::CMutexLock lock(NetworkMutex());
    KeepAlive();
    const std::list<std::uint32_t> ids = GetPeerIds();
    if (!ids.empty()) {
        RemovePeer(ids.front());
    }
    AddPeer(address, kServerId);
}

void CClientSocket::HandleMessage(CReceivedMessage& message, bool fromPeer) {
    const SPeerAddress& sender = message.GetSenderAddress();
    switch (message.GetType()) {
        case kClientIdOffer: {
            // Ids 0 and 1 would make this client look unconnected or like the server.
            const std::uint32_t id = ReadU32LE(message.GetPayload());
            if (!HasPeers() && id >= kFirstClientId) {
                SetOwnId(id);
                AddPeer(sender, kServerId);
                QueueReliableToAll(MakeU32Message(kConnect, id));
                Log("Connected to a Server IP # ", sender);
            }
            break;
        }
        case kPing:
            if (fromPeer) {
                QueueReliableToAll(MakeEmptyMessage(kPong));
            }
            break;
        case kPeerList:
            if (fromPeer) {
                StorePeerList(message.GetPayload(), message.GetPayloadLength());
            }
            break;
        case kHostChange: {
            // Only a client the old server listed may take over, and a repeat from the server
            // already taken as peer 1 changes nothing.
            SPeerAddress current;
            const bool fromCurrentServer = GetPeerAddress(kServerId, current) && current == sender;
            if (!m_successor && !fromCurrentServer && IsStoredPeerAddress(sender)) {
                HandleHostChange(sender);
            }
            break;
        }
        case kSuccessor:
            if (fromPeer) {
                m_successor = true;
            }
            break;
        case kClientIdUpdate: {
            const std::uint32_t id = ReadU32LE(message.GetPayload());
            if (fromPeer && id >= kFirstClientId) {
                SetOwnId(id);
            }
            break;
        }
        default:
            break;
    }
}

} // namespace net
} // namespace velm
