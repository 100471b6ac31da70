#include "game/flow/tumbo_kelvo_app.h"

#include "game/flow/tumbo_kelvo_game.h"

namespace kelvo {

velm::SDataPaths CTumboKelvoApp::DefaultDataPaths() {
    velm::SDataPaths paths;
    paths.m_textures = "../../../../data/arts/textures/";
    paths.m_models = "../../../../data/arts/models/D3D_X_files/";
    paths.m_effects = "../../../../data/files/fx/";
    paths.m_sounds = "../../../../data/sounds/";
    return paths;
}

velm::CVelmGame* CTumboKelvoApp::CreateGame() { return new CTumboKelvoGame(); }

} // namespace kelvo
