// The host's socket: answers server searches with client-id offers, takes connects, pings and
// acknowledgements, and tells the clients about each other (peer list, successor). It takes at
// most the config's maxClients peers, and only a connect from an address it lately made an offer
// to; a search costs no id (an offer names the next id, the connect takes it). Used by the
// network thread; the lobby's calls lock like every socket operation.
#pragma once

#include <cstdint>
#include <deque>
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

    // The offers remembered, to take the connects they bring: enough for a flood of searches
    // from other addresses not to push a real player's offer out before its connect comes.
    static constexpr std::size_t kRememberedOffers = 1024;

protected:
    void HandleMessage(CReceivedMessage& message, bool fromPeer) override;

private:
    struct SOffer {
        SPeerAddress to;
        std::uint32_t id = 0;
    };

    bool HasRoom() const;
    void Offer(const SPeerAddress& to);
    void TakeConnect(const SPeerAddress& from, std::uint32_t claimed);

    // The latest offer to each address, oldest first; network thread only.
    std::deque<SOffer> m_offers;
};

// The id the process's servers offer next: 2 first. Taken by the connect that claims it, so an id
// is never given to two peers, and searches alone never use ids up.
std::uint32_t TakeNextClientId();
// The id the next offer will carry, without taking it.
std::uint32_t PeekNextClientId();

} // namespace net
} // namespace velm
