// The host's socket: answers server searches with client-id offers, takes connects, pings and
// acknowledgements, and tells the clients about each other (peer list, successor). Used by the
// network thread; the lobby's calls lock like every socket operation.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "engine/net/base_socket.h"

namespace velm {
namespace net {

using PeerAddressMap = std::map<std::uint32_t, SPeerAddress>;

class CServerSocket : public CBaseSocket {
public:
    // Binds config.bindAddress:config.port. The second form also adds every listed client.
    explicit CServerSocket(const SNetConfig& config, std::unique_ptr<IDatagramPort> port = nullptr);
    CServerSocket(const PeerAddressMap& clients, const SNetConfig& config,
                  std::unique_ptr<IDatagramPort> port = nullptr);

    // Each peer gets the list of all the others; nothing when there is no peer.
    void SendPeerList();
    // The peer with the lowest id is named successor.
    void SendSuccessor();

protected:
    void HandleMessage(CReceivedMessage& message, bool fromPeer) override;
};

// The next id the process's servers offer: 2 first, never reused.
std::uint32_t TakeNextClientId();
// The id the next offer will carry, without taking it.
std::uint32_t PeekNextClientId();

} // namespace net
} // namespace velm
