// The network manager: owns the one socket of a network game (server for mode 1, else client)
// and runs it on its own thread (search, receive, dispatch, flush, resend, keep-alive, host
// change). Created and deleted on the main thread; the destructor stops the thread. The socket
// is replaced on the network thread only, under the "Network Mutex", which every other thread
// holds while it uses the socket (WithSocket, the current-socket functions, the listener).
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>

#include "engine/events/event.h"
#include "engine/net/base_socket.h"
#include "engine/net/net_config.h"
#include "engine/net/remote_event_socket.h"
#include "libs/common/mutex_lock.h"
#include "libs/common/thread.h"

namespace velm {
namespace net {

class CNetworkEventListener;

class CNetworkManager : public common::CThread {
public:
    explicit CNetworkManager(std::uint8_t mode);
    CNetworkManager(std::uint8_t mode, const SNetConfig& config);
    ~CNetworkManager() override;

    // Starts Winsock 2.0 (exactly), creates the listener and the socket and makes it the
    // current socket. False when Winsock or the socket cannot be had; nothing then runs.
    bool Init();
    EventListenerPtr GetEventListener();

    // Main thread, once per frame while networked.
    void UpdateBandwidth(float elapsed);
    std::int64_t GetReceiveRate() const { return m_receiveRate; }
    std::int64_t GetSendRate() const { return m_sendRate; }

    // 1 host, 0 client; becomes 1 after a host change.
    std::uint8_t GetMode() const { return m_mode; }

    // Runs f(socket) with the Network Mutex held; socket is null before Init.
    template <typename F>
    void WithSocket(F&& f) {
        common::CMutexLock lock(NetworkMutex());
        f(m_socket);
    }

protected:
    void Run() override;

private:
    void PollSocket();
    void SearchForServer();
    void ChangeHostIfRequested();

    std::atomic<std::uint8_t> m_mode;
    std::shared_ptr<CNetworkEventListener> m_listener;
    std::atomic<std::int64_t> m_receiveRate{0};
    std::atomic<std::int64_t> m_sendRate{0};
    std::uint64_t m_bytesSentSnapshot = 0;
    std::uint64_t m_bytesReceivedSnapshot = 0;
    float m_accumulatedTime = 0.0f;
    const SNetConfig m_config;
    bool m_winsockStarted = false;
    CBaseSocket* m_socket = nullptr;
};

// The current socket of the network game; null while networking is off. Callers hold the
// Network Mutex for as long as they use it.
CBaseSocket* GetCurrentSocket();

// The lobby's and the game's functions on the current socket (any thread; each locks).
// SetRemoteEventSocket takes ownership: the current socket keeps it, or it is freed without one.
void SetRemoteEventSocket(CRemoteEventSocket* socket);
std::uint32_t GetLocalClientId();
void SendPeerListAndStart();
void SetAcceptingClients(bool accepting);
std::list<std::uint32_t> GetPeerIds();

} // namespace net
} // namespace velm
