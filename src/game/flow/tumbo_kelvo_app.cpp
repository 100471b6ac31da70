#include "game/flow/tumbo_kelvo_app.h"

#include "game/flow/tumbo_kelvo_game.h"

namespace kelvo {

velm::CVelmGame* CTumboKelvoApp::CreateGame() { return new CTumboKelvoGame(); }

} // namespace kelvo
