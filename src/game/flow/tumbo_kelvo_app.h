// The game's application: the engine's application frame whose game is the Tumbo Kelvo game.
#pragma once

#include "engine/core/velm_app.h"

namespace kelvo {

class CTumboKelvoApp : public velm::CVelmApp {
public:
    velm::CVelmGame* CreateGame() override;
    ~CTumboKelvoApp() override = default;
};

} // namespace kelvo
