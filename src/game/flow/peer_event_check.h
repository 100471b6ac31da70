// The check of a game event received from a peer against this game, before anything acts on it.
// A host takes from its clients only their requests and the state of the racers they drive; a
// client takes from its server only what a server sends. Either refuses an event that names an
// object it does not hold, or that the game's state does not allow now: a finish in the lobby, a
// lobby slot claimed for another connection, an item for a racer its sender does not drive. A
// refused event acts on nothing and is said on standard error (the first few, then one in a
// thousand, and once however many listeners ask). Main thread only.
#pragma once

#include "engine/events/event.h"

namespace kelvo {

class CTumboKelvoGame;

// True for an event raised on this machine, and for a received one that this game may act on now.
bool AcceptPeerEvent(const CTumboKelvoGame& game, const velm::CEvent& event);

} // namespace kelvo
