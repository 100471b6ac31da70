// The game's application: the engine's application frame whose game is the Tumbo Kelvo game.
#pragma once

#include "engine/core/velm_app.h"

namespace kelvo {

// The game's engine configuration, seen from its run folder as every data path is.
constexpr const char* kEngineConfigFile = "../../../../data/files/xmlfiles/tumbo_kelvo_engine_config.xml";

class CTumboKelvoApp : public velm::CVelmApp {
public:
    // The data tree's folders, seen from the game's run folder (run/tumbo/kelvo/game).
    static velm::SDataPaths DefaultDataPaths();

    velm::CVelmGame* CreateGame() override;
    ~CTumboKelvoApp() override = default;
};

} // namespace kelvo
