// A client's socket: searches for a server by broadcast, connects with the offered id, keeps the
// peer list the server sends and, when named successor, asks for the host change once the
// server is lost. Used by the network thread; the host-change request is atomic, so the
// manager may read it at any time.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/net/base_socket.h"
#include "engine/net/server_socket.h"

namespace velm {
namespace net {

class CClientSocket : public CBaseSocket {
public:
    explicit CClientSocket(const SNetConfig& config, std::unique_ptr<IDatagramPort> port = nullptr);

    // Also requests the host change when the dropped peer was the server and this client is
    // the successor.
    bool KeepAlive() override;

    void SendServerSearch();
    // Stores a well-formed list; one that names this client itself is ignored whole.
    bool StorePeerList(const unsigned char* payload, std::size_t length);
    void HandleHostChange(const SPeerAddress& address);
    PeerAddressMap GetStoredPeerList() const;

    bool IsSuccessor() const { return m_successor; }
    bool IsHostChangeRequested() const { return m_hostChangeRequested; }
    void ClearHostChangeRequest() { m_hostChangeRequested = false; }

protected:
    void HandleMessage(CReceivedMessage& message, bool fromPeer) override;

private:
    bool IsStoredPeerAddress(const SPeerAddress& address) const;

    std::atomic<bool> m_successor{false};
    std::atomic<bool> m_hostChangeRequested{false};
    PeerAddressMap m_storedPeers;
};

} // namespace net
} // namespace velm
