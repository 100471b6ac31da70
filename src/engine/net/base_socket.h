// The socket of a network game: the peer table with per-peer send queues, the reliable packets
// awaiting acknowledgement (at most kMaxPendingPackets a peer: one that falls further behind is
// dropped as lost), the sequence chain that keeps reliable packets in order, keep-alive, and the
// receive, dispatch, flush and resend steps that the network thread drives.
// Every operation takes the "Network Mutex" (recursive), so any thread may queue messages or read
// the peer table while the network thread works; WaitReadable and the counters need no lock.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <list>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "engine/net/accepted_window.h"
#include "engine/net/datagram_port.h"
#include "engine/net/message.h"
#include "engine/net/net_config.h"
#include "engine/net/packet.h"
#include "engine/net/remote_event_socket.h"
#include "libs/common/timer.h"
#include "platform/win32/win32.h"

namespace velm {
namespace net {

// The process-wide "Network Mutex": created at start-up, never closed.
HANDLE NetworkMutex();

// A peer's unacknowledged reliable packets are bounded by what the receiver can still recognise
// as copies: beyond its window, a resent packet would be neither taken nor answered again.
constexpr std::size_t kMaxPendingPackets = CAcceptedWindow::kCapacity;

struct SKeepAlive {
    double timeLastHeard = 0.0;
    bool pinged = false;
};

class CBaseSocket {
public:
    CBaseSocket(bool isServer, const SNetConfig& config, std::unique_ptr<IDatagramPort> port);
    virtual ~CBaseSocket();
    CBaseSocket(const CBaseSocket&) = delete;
    CBaseSocket& operator=(const CBaseSocket&) = delete;

    virtual void PushMessage(const MessagePtr& message);
    virtual bool DispatchReceived();
    // Pings peers silent for longer than the ping time and drops at most one peer: silent for
    // longer than the drop time with a ping outstanding, or with kMaxPendingPackets reliable
    // packets unacknowledged; false when it dropped one.
    virtual bool KeepAlive();
    virtual bool HasPeers() const;
    // Sends what is queued, each peer's messages in the order they were queued (a packet holds
    // a run of one kind), so that no message overtakes one queued before it: an update of an
    // object never arrives ahead of the object's creation. A peer's messages stay queued from
    // the first reliable one on while it has kMaxPendingPackets packets unacknowledged.
    virtual void Flush();

    // False when the endpoint could not be created or bound; such a socket is not used.
    bool IsOpen() const { return m_port->IsOpen(); }
    bool IsServer() const { return m_isServer; }

    void QueueUnreliableToAll(const MessagePtr& message);
    void QueueReliableToAll(const MessagePtr& message);
    void QueueUnreliableTo(const MessagePtr& message, std::uint32_t peerId);
    void QueueReliableTo(const MessagePtr& message, std::uint32_t peerId);

    // A peer is known by its address and port: a datagram from another port of a peer's machine
    // does not speak for it. Refuses an address and port already a peer's, and an id in use.
    bool AddPeer(const SPeerAddress& address, std::uint32_t id);
    void RemovePeer(std::uint32_t id);
    // The peer at that address and port, or 0.
    std::uint32_t FindPeerByAddress(const SPeerAddress& address) const;
    bool IsKnownAddress(const SPeerAddress& address) const;
    bool GetPeerAddress(std::uint32_t id, SPeerAddress& address) const;
    std::list<std::uint32_t> GetPeerIds() const;
    bool GetKeepAlive(std::uint32_t id, SKeepAlive& record) const;
    std::size_t GetPendingCount(std::uint32_t id) const;

    void SetAcceptingClients(bool accepting) { m_acceptingClients = accepting; }
    bool IsAcceptingClients() const { return m_acceptingClients; }
    std::uint32_t GetOwnId() const { return m_ownId; }
    std::uint64_t GetBytesReceived() const { return m_bytesReceived; }
    std::uint64_t GetBytesSent() const { return m_bytesSent; }
    std::uint64_t GetPacketsSent() const { return m_packetsSent; }
    std::uint64_t GetPacketsReceived() const { return m_packetsReceived; }
    std::uint64_t GetMessagesSent() const { return m_messagesSent; }
    std::uint64_t GetMessagesReceived() const { return m_messagesReceived; }

    // Deletes the handler installed before and keeps this one (owned).
    void SetRemoteEventSocket(CRemoteEventSocket* handler);
    // Hands the handler over (null when none); the socket then drops the events it receives.
    std::unique_ptr<CRemoteEventSocket> TakeRemoteEventSocket();

    // Network thread: one datagram in (true when taken in), one packet out, resends, acks.
    bool ReceivePacket();
    bool SendPacket(const SPeerAddress& address, const SPacket& packet);
    void ResendPending();
    void RemoveAcked(std::uint32_t peerId, std::uint16_t sequence);
    bool SetBroadcast(bool on);
    // Waits at most this long for a datagram; takes no lock.
    bool WaitReadable(long microseconds) { return m_port->WaitReadable(microseconds); }

    // Seconds on the socket clock.
    double Now() const;

protected:
    // The role's part of handling a received message, called on the network thread under the
    // lock for every type but those both roles treat alike (0 event, 4 text, 11 acknowledgement).
    // The sender id is set; `fromPeer` says whether the sender is a peer. The message is the
    // socket's and is reused after the call.
    virtual void HandleMessage(CReceivedMessage& message, bool fromPeer) = 0;

    void Log(const char* text, const SPeerAddress& address) const;
    const SNetConfig& GetConfig() const { return m_config; }
    void SetOwnId(std::uint32_t id) { m_ownId = id; }

private:
    struct SPendingPacket {
        double timeSent = 0.0;
        std::unique_ptr<SPacket> packet;
    };

    struct SQueued {
        MessagePtr message;
        bool reliable = false;
    };

    struct SPeer {
        SPeerAddress address;
        // Both kinds, oldest first.
        std::deque<SQueued> queue;
        std::list<SPendingPacket> pending;
        bool hasAccepted = false;
        std::uint16_t lastAccepted = 0;
        // The latest accepted packets, to acknowledge copies again.
        CAcceptedWindow accepted;
        std::uint16_t lastSent = 0;
        SKeepAlive keepAlive;
    };

    // A reliable packet taken in from an address that was no peer (its acknowledgement had
    // nowhere to go), kept until the end of the next dispatch.
    struct SStrayPacket {
        SPeerAddress from;
        std::uint16_t sequence = 0;
        std::uint16_t previous = 0;
    };

    enum class EReliableStep { kAccept, kDuplicate, kDrop };

    // The start of message handling in both roles: a message from a peer refreshes its
    // keep-alive record and names its sender; the common types are handled here.
    void HandleReceived(CReceivedMessage& message, double now);
    void HandleCommonMessage(const CReceivedMessage& message);
    void TakeMessage(const unsigned char* payload, std::uint8_t length, const SPeerAddress& from, std::uint8_t type,
                     std::uint32_t senderId);
    EReliableStep CheckReliable(SPeer* peer, const SPacketHeader& header) const;
    static void MarkAccepted(SPeer& peer, std::uint16_t sequence, std::uint16_t previous);
    void AdoptStrayChain(SPeer& peer);
    void QueueTo(const MessagePtr& message, std::uint32_t peerId, bool reliable);
    void FlushQueue(SPeer& peer, std::uint32_t id);
    void SendGathered(SPeer& peer, std::uint32_t id, MessageList& gathered, bool reliable);
    SPeer* FindPeer(std::uint32_t id);

    std::map<std::uint32_t, SPeer> m_peers;
    unsigned char m_receiveBuffer[kReceiveBufferSize] = {};
    std::atomic<std::uint64_t> m_bytesReceived{0};
    std::atomic<std::uint64_t> m_bytesSent{0};
    std::atomic<std::uint64_t> m_packetsSent{0};
    std::atomic<std::uint64_t> m_packetsReceived{0};
    std::atomic<std::uint64_t> m_messagesSent{0};
    std::atomic<std::uint64_t> m_messagesReceived{0};
    std::atomic<std::uint32_t> m_ownId;
    // Taken in and not yet dispatched, oldest first; and dispatched messages kept for reuse.
    std::vector<std::unique_ptr<CReceivedMessage>> m_received;
    std::vector<std::unique_ptr<CReceivedMessage>> m_spare;
    // The last datagram's parse, kept so that its message list is not allocated every time.
    SParsedPacket m_parsed;
    std::vector<SStrayPacket> m_strays;
    std::atomic<bool> m_acceptingClients{true};
    mutable common::CStopwatchTimer m_clock;
    const bool m_isServer;
    const SNetConfig m_config;
    std::unique_ptr<CRemoteEventSocket> m_remoteEventSocket;
    const std::unique_ptr<IDatagramPort> m_port;
};

} // namespace net
} // namespace velm
