#include "engine/net/network_manager.h"

#include <cstdio>

#include "engine/events/engine_events.h"
#include "engine/events/event_manager.h"
#include "engine/net/client_socket.h"
#include "engine/net/network_event_listener.h"
#include "engine/net/server_socket.h"
#include "platform/winsock/winsock.h"

namespace velm {
namespace net {
namespace {

constexpr std::uint8_t kHostMode = 1;
constexpr std::uint8_t kClientMode = 0;
constexpr long kPollMicroseconds = 500;
constexpr float kBandwidthInterval = 1.0f;

// Guarded by the Network Mutex.
CBaseSocket* s_currentSocket = nullptr;

} // namespace

CBaseSocket* GetCurrentSocket() { return s_currentSocket; }

CNetworkManager::CNetworkManager(std::uint8_t mode) : CNetworkManager(mode, SNetConfig()) {}

CNetworkManager::CNetworkManager(std::uint8_t mode, const SNetConfig& config)
    : m_mode(mode == kHostMode ? kHostMode : kClientMode), m_config(config) {}

CNetworkManager::~CNetworkManager() {
    Stop();
    if (m_winsockStarted) {
        WSACleanup();
    }
    {
        common::CMutexLock lock(NetworkMutex());
        if (s_currentSocket == m_socket) {
            s_currentSocket = nullptr;
        }
        delete m_socket;
        m_socket = nullptr;
    }
    m_listener.reset();
}

bool CNetworkManager::Init() {
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 0), &data) != 0) {
        return false;
    }
    if (data.wVersion != MAKEWORD(2, 0)) {
        WSACleanup();
        return false;
    }
    m_winsockStarted = true;
    m_listener = std::make_shared<CNetworkEventListener>();
    CBaseSocket* socket = nullptr;
    if (m_mode == kHostMode) {
        socket = new CServerSocket(m_config);
    } else {
        socket = new CClientSocket(m_config);
    }
    if (!socket->IsOpen()) {
        // A host that cannot bind its port would look started while no client can reach it.
        delete socket;
        return false;
    }
    common::CMutexLock lock(NetworkMutex());
    m_socket = socket;
    s_currentSocket = socket;
    return true;
}

EventListenerPtr CNetworkManager::GetEventListener() { return m_listener; }

void CNetworkManager::UpdateBandwidth(float elapsed) {
    m_accumulatedTime += elapsed;
    if (m_accumulatedTime < kBandwidthInterval) {
        return;
    }
    std::uint64_t sent = m_bytesSentSnapshot;
    std::uint64_t received = m_bytesReceivedSnapshot;
    WithSocket([&](CBaseSocket* socket) {
        if (socket != nullptr) {
            sent = socket->GetBytesSent();
            received = socket->GetBytesReceived();
        }
    });
    // A host change restarts the counters of the new socket.
    const std::uint64_t sentDelta = sent >= m_bytesSentSnapshot ? sent - m_bytesSentSnapshot : sent;
    const std::uint64_t receivedDelta =
        received >= m_bytesReceivedSnapshot ? received - m_bytesReceivedSnapshot : received;
    m_sendRate = static_cast<std::int64_t>(static_cast<double>(sentDelta) / m_accumulatedTime);
    m_receiveRate = static_cast<std::int64_t>(static_cast<double>(receivedDelta) / m_accumulatedTime);
    m_bytesSentSnapshot = sent;
    m_bytesReceivedSnapshot = received;
    m_accumulatedTime = 0.0f;
}

void CNetworkManager::PollSocket() {
    if (m_socket->WaitReadable(kPollMicroseconds)) {
        m_socket->ReceivePacket();
    }
}

void CNetworkManager::SearchForServer() {
    m_socket->SetBroadcast(true);
    common::CStopwatchTimer stopwatch(true);
    const auto now = [&] { return m_config.clock ? m_config.clock() : stopwatch.GetElapsedSeconds(); };
    const double started = now();
    double lastSearch = 0.0;
    auto* client = static_cast<CClientSocket*>(m_socket);
    while (m_keepRunning && !client->HasPeers()) {
        if (now() - started - lastSearch > m_config.searchIntervalSeconds) {
            client->SendServerSearch();
            lastSearch = now() - started;
        }
        PollSocket();
        client->DispatchReceived();
        client->Flush();
    }
    m_socket->SetBroadcast(false);
}

void CNetworkManager::Run() {
    m_runningState = 2;
    if (m_socket != nullptr) {
        if (m_mode == kClientMode) {
            SearchForServer();
        }
        while (m_keepRunning) {
            PollSocket();
            m_socket->DispatchReceived();
            m_socket->Flush();
            m_socket->ResendPending();
            m_socket->KeepAlive();
            ChangeHostIfRequested();
        }
    }
    m_runningState = 0;
}

void CNetworkManager::ChangeHostIfRequested() {
    if (m_mode != kClientMode) {
        return;
    }
    auto* client = static_cast<CClientSocket*>(m_socket);
    if (!client->IsHostChangeRequested()) {
        return;
    }
    {
        common::CMutexLock lock(NetworkMutex());
        const PeerAddressMap peers = client->GetStoredPeerList();
        const bool wasCurrent = s_currentSocket == m_socket;
        if (wasCurrent) {
            s_currentSocket = nullptr;
        }
        // The game's handler serves the new socket until the game installs its own: what the
        // clients send the new server at once (their words that they are ready) is not lost.
        std::unique_ptr<CRemoteEventSocket> handler = m_socket->TakeRemoteEventSocket();
        delete m_socket;
        auto* server = new CServerSocket(peers, m_config);
        server->SetRemoteEventSocket(handler.release());
        m_socket = server;
        if (wasCurrent) {
            s_currentSocket = server;
        }
        m_mode = kHostMode;
        server->SetAcceptingClients(false);
        server->QueueReliableToAll(MakeEmptyMessage(kHostChange));
        server->SendPeerList();
        server->SendSuccessor();
    }
    // Immediate, on this thread: its handler installs the new socket's event handler before
    // the next message is dispatched.
    TriggerEvent(CChangeToServerEvt());
}

void SetRemoteEventSocket(CRemoteEventSocket* socket) {
    common::CMutexLock lock(NetworkMutex());
    if (s_currentSocket != nullptr) {
        s_currentSocket->SetRemoteEventSocket(socket);
    } else {
        delete socket;
    }
}

std::uint32_t GetLocalClientId() {
    common::CMutexLock lock(NetworkMutex());
    return s_currentSocket != nullptr ? s_currentSocket->GetOwnId() : 0;
}

void SendPeerListAndStart() {
    common::CMutexLock lock(NetworkMutex());
    auto* server = dynamic_cast<CServerSocket*>(s_currentSocket);
    if (server != nullptr) {
        server->SendPeerList();
        server->SendSuccessor();
    }
}

void SetAcceptingClients(bool accepting) {
    common::CMutexLock lock(NetworkMutex());
    if (s_currentSocket != nullptr) {
        s_currentSocket->SetAcceptingClients(accepting);
    }
}

std::list<std::uint32_t> GetPeerIds() {
    common::CMutexLock lock(NetworkMutex());
    return s_currentSocket != nullptr ? s_currentSocket->GetPeerIds() : std::list<std::uint32_t>();
}

} // namespace net
} // namespace velm
