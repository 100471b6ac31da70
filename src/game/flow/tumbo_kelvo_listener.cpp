#include "game/flow/tumbo_kelvo_listener.h"

namespace kelvo {

// The rows of each event are filled in as their factories land; until then every event is
// left to the other listeners of its type.
bool TumboKelvoListener::HandleEvent(const velm::CEvent&) { return false; }

} // namespace kelvo
