#include "engine/net/base_socket.h"

#include <algorithm>
#include <cstdio>

#include "engine/events/engine_events.h"
#include "engine/events/event_manager.h"
#include "libs/common/mutex_lock.h"

namespace velm {
namespace net {
namespace {

constexpr std::size_t kUnreliablePackingLimit = 1015;
constexpr std::size_t kReliablePackingLimit = 1015;
// Dispatched messages kept for reuse: as many as the largest datagram can hold.
constexpr std::size_t kSpareMessageLimit = (kReceiveBufferSize - kPacketHeaderSize) / kMessageHeaderSize;
// One datagram is taken in per cycle before each dispatch; a few more cover callers that read
// several first.
constexpr std::size_t kStrayLimit = 64;

HANDLE CreateNetworkMutex() { return CreateMutexW(nullptr, FALSE, L"Network Mutex"); }

const HANDLE s_networkMutex = CreateNetworkMutex();

} // namespace

HANDLE NetworkMutex() {
    // A socket built during static initialisation of another unit may come first.
    static const HANDLE mutex = s_networkMutex != nullptr ? s_networkMutex : CreateNetworkMutex();
    return mutex;
}

CBaseSocket::CBaseSocket(bool isServer, const SNetConfig& config, std::unique_ptr<IDatagramPort> port)
    : m_ownId(isServer ? 1u : 0u), m_clock(true), m_isServer(isServer), m_config(config), m_port(std::move(port)) {}

CBaseSocket::~CBaseSocket() {
    common::CMutexLock lock(NetworkMutex());
    m_peers.clear();
    m_received.clear();
    m_spare.clear();
    m_remoteEventSocket.reset();
}

void CBaseSocket::PushMessage(const MessagePtr&) {}

bool CBaseSocket::DispatchReceived() {
    common::CMutexLock lock(NetworkMutex());
    // The messages of one dispatch are heard at one moment.
    const double now = Now();
    // Handlers never take in datagrams, so the list stays as it is while they run.
    for (const std::unique_ptr<CReceivedMessage>& message : m_received) {
        HandleReceived(*message, now);
    }
    for (std::unique_ptr<CReceivedMessage>& message : m_received) {
        if (m_spare.size() < kSpareMessageLimit) {
            m_spare.push_back(std::move(message));
        }
    }
    m_received.clear();
    m_strays.clear();
    return true;
}

void CBaseSocket::TakeMessage(const unsigned char* payload, std::uint8_t length, const SPeerAddress& from,
                              std::uint8_t type, std::uint32_t senderId) {
    std::unique_ptr<CReceivedMessage> message;
    if (m_spare.empty()) {
        message = std::make_unique<CReceivedMessage>(payload, length, from, type);
    } else {
        message = std::move(m_spare.back());
        m_spare.pop_back();
        message->Refill(payload, length, from, type);
    }
    message->SetSenderId(senderId);
    m_received.push_back(std::move(message));
    ++m_messagesReceived;
}

double CBaseSocket::Now() const {
    if (m_config.clock) {
        return m_config.clock();
    }
    common::CMutexLock lock(NetworkMutex());
    return m_clock.GetElapsedSeconds();
}

bool CBaseSocket::HasPeers() const {
    common::CMutexLock lock(NetworkMutex());
    return !m_peers.empty();
}

CBaseSocket::SPeer* CBaseSocket::FindPeer(std::uint32_t id) {
    auto found = m_peers.find(id);
    return found != m_peers.end() ? &found->second : nullptr;
}

void CBaseSocket::QueueTo(const MessagePtr& message, std::uint32_t peerId, bool reliable) {
    common::CMutexLock lock(NetworkMutex());
    SPeer* peer = FindPeer(peerId);
    if (peer != nullptr && message) {
        peer->queue.push_back(SQueued{message, reliable});
    }
}

void CBaseSocket::QueueUnreliableToAll(const MessagePtr& message) {
    common::CMutexLock lock(NetworkMutex());
    for (auto& entry : m_peers) {
        entry.second.queue.push_back(SQueued{message, false});
    }
}

void CBaseSocket::QueueReliableToAll(const MessagePtr& message) {
    common::CMutexLock lock(NetworkMutex());
    for (auto& entry : m_peers) {
        entry.second.queue.push_back(SQueued{message, true});
    }
}

void CBaseSocket::QueueUnreliableTo(const MessagePtr& message, std::uint32_t peerId) {
    QueueTo(message, peerId, false);
}

void CBaseSocket::QueueReliableTo(const MessagePtr& message, std::uint32_t peerId) { QueueTo(message, peerId, true); }

bool CBaseSocket::AddPeer(const SPeerAddress& address, std::uint32_t id) {
    {
        common::CMutexLock lock(NetworkMutex());
        if (id == 0 || IsKnownAddress(address) || m_peers.count(id) != 0) {
            return false;
        }
        SPeer& peer = m_peers[id];
        peer.address = address;
        peer.keepAlive.timeLastHeard = Now();
        AdoptStrayChain(peer);
    }
    QueueEvent(std::make_shared<CStartedConnectionEvt>(id));
    return true;
}

void CBaseSocket::RemovePeer(std::uint32_t id) {
    {
        common::CMutexLock lock(NetworkMutex());
        if (m_peers.erase(id) == 0) {
            return;
        }
    }
    QueueEvent(std::make_shared<CLostConnectionEvt>(id));
}

std::uint32_t CBaseSocket::FindPeerByAddress(const SPeerAddress& address) const {
    common::CMutexLock lock(NetworkMutex());
    for (const auto& entry : m_peers) {
        if (entry.second.address == address) {
            return entry.first;
        }
    }
    return 0;
}

bool CBaseSocket::IsKnownAddress(const SPeerAddress& address) const { return FindPeerByAddress(address) != 0; }

bool CBaseSocket::GetPeerAddress(std::uint32_t id, SPeerAddress& address) const {
    common::CMutexLock lock(NetworkMutex());
    auto found = m_peers.find(id);
    if (found == m_peers.end()) {
        return false;
    }
    address = found->second.address;
    return true;
}

std::list<std::uint32_t> CBaseSocket::GetPeerIds() const {
    common::CMutexLock lock(NetworkMutex());
    std::list<std::uint32_t> ids;
    for (const auto& entry : m_peers) {
        ids.push_back(entry.first);
    }
    return ids;
}

bool CBaseSocket::GetKeepAlive(std::uint32_t id, SKeepAlive& record) const {
    common::CMutexLock lock(NetworkMutex());
    auto found = m_peers.find(id);
    if (found == m_peers.end()) {
        return false;
    }
    record = found->second.keepAlive;
    return true;
}

std::size_t CBaseSocket::GetPendingCount(std::uint32_t id) const {
    common::CMutexLock lock(NetworkMutex());
    auto found = m_peers.find(id);
    return found != m_peers.end() ? found->second.pending.size() : 0;
}

void CBaseSocket::SetRemoteEventSocket(CRemoteEventSocket* handler) {
    common::CMutexLock lock(NetworkMutex());
    m_remoteEventSocket.reset(handler);
}

std::unique_ptr<CRemoteEventSocket> CBaseSocket::TakeRemoteEventSocket() {
    common::CMutexLock lock(NetworkMutex());
    return std::move(m_remoteEventSocket);
}

CBaseSocket::EReliableStep CBaseSocket::CheckReliable(SPeer* peer, const SPacketHeader& header) const {
    if (peer == nullptr) {
        // From an address that is no peer: taken in, its acknowledgement has nowhere to go.
        return EReliableStep::kAccept;
    }
    // A chain starts with previous 0; after that each packet must name the last one accepted.
    // The explicit flag keeps a real sequence number 0 from reopening the chain.
    const bool next = peer->hasAccepted
                          ? header.previousReliable == peer->lastAccepted && header.sequence != peer->lastAccepted
                          : header.previousReliable == 0;
    if (next) {
        return EReliableStep::kAccept;
    }
    if (peer->accepted.Contains(header.sequence, header.previousReliable)) {
        return EReliableStep::kDuplicate;
    }
    return EReliableStep::kDrop;
}

void CBaseSocket::MarkAccepted(SPeer& peer, std::uint16_t sequence, std::uint16_t previous) {
    peer.hasAccepted = true;
    peer.lastAccepted = sequence;
    peer.accepted.Remember(sequence, previous);
}

void CBaseSocket::AdoptStrayChain(SPeer& peer) {
    // The packet whose message made this address a peer (a connect, a host change) was taken in
    // while the address was none, so it was never acknowledged. Starting the chain with it lets
    // its resent copy be acknowledged as a duplicate instead of delivered twice, and lets the
    // packets sent after it be taken at once.
    for (const SStrayPacket& stray : m_strays) {
        if (!(stray.from == peer.address)) {
            continue;
        }
        const bool next = peer.hasAccepted ? stray.previous == peer.lastAccepted && stray.sequence != peer.lastAccepted
                                           : stray.previous == 0;
        if (next) {
            MarkAccepted(peer, stray.sequence, stray.previous);
        }
    }
}

bool CBaseSocket::ReceivePacket() {
    SPeerAddress from;
    const int received = m_port->Receive(m_receiveBuffer, static_cast<int>(kReceiveBufferSize), from);
    if (received < 0) {
        return false;
    }
    if (received == 0) {
        if (m_config.log) {
            char text[16];
            std::printf("Client :%sdisconnected.\n", DottedAddress(from, text));
        }
        return false;
    }
    m_bytesReceived += static_cast<std::uint64_t>(received);

    // The whole datagram is checked before anything (acknowledgement, chain) acts on it. The
    // parse, like the receive buffer, is the network thread's own and needs no lock.
    SParsedPacket& parsed = m_parsed;
    if (ParsePacket(m_receiveBuffer, static_cast<std::size_t>(received), parsed) != EPacketCheck::kValid) {
        return false;
    }

    common::CMutexLock lock(NetworkMutex());
    const std::uint32_t senderId = FindPeerByAddress(from);
    if (parsed.header.IsReliable()) {
        SPeer* peer = FindPeer(senderId);
        const EReliableStep step = CheckReliable(peer, parsed.header);
        if (step == EReliableStep::kDrop) {
            return false;
        }
        QueueUnreliableTo(MakeU16Message(kAcknowledgement, parsed.header.sequence), senderId);
        if (step == EReliableStep::kDuplicate) {
            // Its acknowledgement was lost: answer again, deliver nothing twice.
            return false;
        }
        if (peer != nullptr) {
            MarkAccepted(*peer, parsed.header.sequence, parsed.header.previousReliable);
        } else if (m_strays.size() < kStrayLimit) {
            m_strays.push_back(SStrayPacket{from, parsed.header.sequence, parsed.header.previousReliable});
        }
    }
    for (const SParsedMessage& found : parsed.messages) {
        TakeMessage(m_receiveBuffer + found.payloadOffset, found.payloadLength, from, found.type, senderId);
    }
    ++m_packetsReceived;
    return true;
}

bool CBaseSocket::SendPacket(const SPeerAddress& address, const SPacket& packet) {
    const std::uint16_t length = packet.GetLength();
    if (length > kReceiveBufferSize || length > packet.buffer.size()) {
        return false;
    }
    if (m_port->Send(address, packet.buffer.data(), length) != length) {
        return false;
    }
    Log("Sent msg to: ", address);
    m_bytesSent += length;
    ++m_packetsSent;
    return true;
}

void CBaseSocket::SendGathered(SPeer& peer, std::uint32_t id, MessageList& gathered, bool reliable) {
    if (gathered.empty()) {
        return;
    }
    auto packet = std::make_unique<SPacket>();
    packet->peerId = id;
    BuildPacketHeader(*packet, gathered, reliable);
    gathered.clear();
    if (!reliable) {
        SendPacket(peer.address, *packet);
        return;
    }
    packet->SetPreviousReliable(peer.lastSent);
    peer.lastSent = packet->GetSequence();
    SendPacket(peer.address, *packet);
    peer.pending.push_back(SPendingPacket{Now(), std::move(packet)});
}

void CBaseSocket::FlushQueue(SPeer& peer, std::uint32_t id) {
    std::deque<SQueued>& queue = peer.queue;
    MessageList gathered;
    while (!queue.empty()) {
        const bool reliable = queue.front().reliable;
        // A peer that has this many packets unacknowledged gets no more; KeepAlive drops it.
        if (reliable && peer.pending.size() >= kMaxPendingPackets) {
            return;
        }
        std::size_t total = 0;
        while (!queue.empty() && queue.front().reliable == reliable) {
            const std::size_t size = queue.front().message->GetSize();
            // An unreliable packet may reach the limit, a reliable one stays below it; neither
            // may hold more messages than its one-byte count can say.
            const bool full = reliable ? total + size >= kReliablePackingLimit : total + size > kUnreliablePackingLimit;
            if (!gathered.empty() && (full || gathered.size() == kMaxMessagesPerPacket)) {
                break;
            }
            total += size;
            gathered.push_back(std::move(queue.front().message));
            queue.pop_front();
            ++m_messagesSent;
        }
        SendGathered(peer, id, gathered, reliable);
    }
}

void CBaseSocket::Flush() {
    common::CMutexLock lock(NetworkMutex());
    for (auto& entry : m_peers) {
        FlushQueue(entry.second, entry.first);
    }
}

void CBaseSocket::ResendPending() {
    common::CMutexLock lock(NetworkMutex());
    const double now = Now();
    for (auto& entry : m_peers) {
        for (SPendingPacket& pending : entry.second.pending) {
            if (now - pending.timeSent > m_config.resendAfterSeconds) {
                pending.timeSent = now;
                SendPacket(entry.second.address, *pending.packet);
            }
        }
    }
}

void CBaseSocket::RemoveAcked(std::uint32_t peerId, std::uint16_t sequence) {
    common::CMutexLock lock(NetworkMutex());
    SPeer* peer = FindPeer(peerId);
    if (peer == nullptr) {
        return;
    }
    auto& pending = peer->pending;
    auto match = std::find_if(pending.begin(), pending.end(),
                              [sequence](const SPendingPacket& p) { return p.packet->GetSequence() == sequence; });
    if (match != pending.end()) {
        pending.erase(match);
    }
}

bool CBaseSocket::SetBroadcast(bool on) {
    common::CMutexLock lock(NetworkMutex());
    return m_port->SetBroadcast(on);
}

bool CBaseSocket::KeepAlive() {
    std::uint32_t dropped = 0;
    {
        common::CMutexLock lock(NetworkMutex());
        const double now = Now();
        for (auto& entry : m_peers) {
            if (entry.second.pending.size() >= kMaxPendingPackets) {
                dropped = entry.first;
                break;
            }
            SKeepAlive& record = entry.second.keepAlive;
            const double silence = now - record.timeLastHeard;
            if (silence > m_config.pingAfterSeconds && !record.pinged) {
                entry.second.queue.push_back(SQueued{MakeEmptyMessage(kPing), true});
                record.pinged = true;
                continue;
            }
            if (silence > m_config.dropAfterSeconds && record.pinged) {
                dropped = entry.first;
                break;
            }
        }
        if (dropped != 0) {
            RemovePeer(dropped);
        }
    }
    return dropped == 0;
}

void CBaseSocket::HandleReceived(CReceivedMessage& message, double now) {
    const std::uint32_t id = FindPeerByAddress(message.GetSenderAddress());
    message.SetSenderId(id);
    SPeer* peer = FindPeer(id);
    if (peer != nullptr) {
        peer->keepAlive.timeLastHeard = now;
        peer->keepAlive.pinged = false;
    }
    switch (message.GetType()) {
        case kEventMessage:
        case kTextMessage:
        case kAcknowledgement:
            if (peer != nullptr) {
                HandleCommonMessage(message);
            }
            break;
        default:
            HandleMessage(message, peer != nullptr);
            break;
    }
}

void CBaseSocket::HandleCommonMessage(const CReceivedMessage& message) {
    switch (message.GetType()) {
        case kEventMessage:
            if (m_remoteEventSocket) {
                m_remoteEventSocket->OnPacket(message.GetPayload(), message.GetPayloadLength(), message.GetSenderId());
            }
            break;
        case kTextMessage:
            if (m_config.log) {
                std::printf("%.*s\n", static_cast<int>(message.GetPayloadLength()),
                            reinterpret_cast<const char*>(message.GetPayload()));
            }
            break;
        case kAcknowledgement:
            RemoveAcked(message.GetSenderId(), ReadU16LE(message.GetPayload()));
            break;
        default:
            break;
    }
}

void CBaseSocket::Log(const char* text, const SPeerAddress& address) const {
    if (m_config.log) {
        char dotted[16];
        std::printf("%s%s\n", text, DottedAddress(address, dotted));
    }
}

} // namespace net
} // namespace velm
