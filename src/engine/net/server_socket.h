// The host's socket: answers server searches with client-id offers, takes connects, pings and
// acknowledgements, and tells the clients about each other (peer list, successor). Each offer
// takes the next id of the process-wide counter, so two clients searching at once are offered
// different ids and no id is given twice. It takes at most the config's maxClients peers, and
// only a connect that claims an id lately offered to the address (and port) it comes from. Used
// by the network thread; the lobby's calls lock like every socket operation.
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
    // A client searches again until an offer reaches it and connects with the first that does,
    // which need not be the latest: a few offers to one address stay good.
    static constexpr std::size_t kOffersPerAddress = 4;

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

    // The latest offers, oldest first; network thread only.
    std::deque<SOffer> m_offers;
    bool m_saidIdsRunOut = false;
};

// The id the process's servers offer next: 2 first, then 3, never one given before; 0 once the
// counter has run out (every id up to 0xFFFFFFFF has been offered).
std::uint32_t TakeNextClientId();
// The id the next offer will carry, without taking it (0 when none is left).
std::uint32_t PeekNextClientId();
// Tests only: the counter stands at `next` (0: run out).
void SetNextClientIdForTest(std::uint32_t next);

} // namespace net
} // namespace velm
