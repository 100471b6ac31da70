#include "game/flow/tumbo_kelvo_game.h"

#include "engine/core/input_system.h"
#include "engine/core/model.h"
#include "engine/core/sound_system.h"
#include "engine/core/velm_app.h"
#include "engine/events/event_manager.h"
#include "engine/phy/physics_world.h"
#include "game/ai/ai_script_functions.h"
#include "game/ai/waypoint_editor.h"
#include "game/flow/data_files.h"
#include "game/tools/script_functions.h"
#include "game/ui/end_race_gui.h"
#include "game/ui/tumbo_kelvo_game_hud.h"
#include "game/world/item_manager.h"
#include "libs/common/geometry.h"

namespace kelvo {

namespace {

CTumboKelvoGame* g_game = nullptr;

} // namespace

CTumboKelvoGame* GetGame() { return g_game; }

CTumboKelvoGame::CTumboKelvoGame()
    : m_hud(std::make_unique<TumboKelvoGameHUD>()),
      m_endRace(std::make_unique<CEndRaceGUI>()),
      m_itemManager(std::make_shared<CItemManager>()) {
    g_game = this;
}

CTumboKelvoGame::~CTumboKelvoGame() {
    if (velm::GetEventManager() != nullptr) {
        velm::GetEventManager()->DelListenerAll(m_itemManager);
    }
    if (g_game == this) {
        g_game = nullptr;
    }
}

std::vector<velm::CModel*> CTumboKelvoGame::GetRacers() const {
    std::vector<velm::CModel*> racers;
    racers.reserve(m_racerIds.size());
    for (std::uint32_t id : m_racerIds) {
        racers.push_back(FindModel(id));
    }
    return racers;
}

bool CTumboKelvoGame::PickNearestRacerOnRay(std::uint32_t casterId, const common::CVector3& axis, float range,
                                            float halfAngle, std::uint32_t* outId) const {
    const velm::CModel* caster = FindModel(casterId);
    if (caster == nullptr) {
        return false;
    }
    float best = 0.0f;
    bool found = false;
    for (std::uint32_t id : m_racerIds) {
        const velm::CModel* racer = id != casterId ? FindModel(id) : nullptr;
        float along = 0.0f;
        if (racer != nullptr &&
            common::IsPointInCone(caster->GetPosition(), axis, range, halfAngle, racer->GetPosition(), &along) &&
            (!found || along < best)) {
            best = along;
            found = true;
            if (outId != nullptr) {
                *outId = id;
            }
        }
    }
    return found;
}

void CTumboKelvoGame::PlayGeyserSound(const common::CVector3& position) {
    velm::CVelmApp* app = velm::GetApp();
    if (app != nullptr && app->GetSoundSystem() != nullptr) {
        app->GetSoundSystem()->SetListenerPosition(position);
    }
    ++m_geyserSounds;
}

void ReleaseRocks(velm::CModel* /*trigger*/) {
    CTumboKelvoGame* game = GetGame();
    if (game != nullptr && !game->m_rocksReleased) {
        game->m_rocksReleased = true;
    }
}

void ReleaseLogs() {
    CTumboKelvoGame* game = GetGame();
    if (game != nullptr && !game->m_logsReleased) {
        game->m_logsReleased = true;
    }
}

void CTumboKelvoGame::OnResetDevice() {}

void CTumboKelvoGame::OnLostDevice() {}

// The AI's script functions are registered before any start-up script can call them.
void CTumboKelvoGame::Init() {
    velm::CVelmApp* app = velm::GetApp();
    if (app != nullptr && app->GetAIManager() != nullptr && !m_aiScripts) {
        m_aiScripts = std::make_unique<ai::CAIScriptHost>(*app->GetAIManager());
        m_aiScripts->Register();
    }
    m_itemManager->LoadItemRankings(kItemOddsFile);
    if (velm::GetEventManager() != nullptr) {
        RegisterItemManager(*velm::GetEventManager(), m_itemManager);
    }
    RegisterScriptFunctions();
}

CWaypointEditor* CTumboKelvoGame::GetWaypointData() const { return m_aiScripts ? &m_aiScripts->GetEditor() : nullptr; }

void CTumboKelvoGame::OnLoadingFinished() {}

LRESULT CTumboKelvoGame::MsgProc(UINT, WPARAM, LPARAM) { return 0; }

void CTumboKelvoGame::Update(double time, float elapsed) {
    PollLoadingThread();
    velm::CVelmApp* app = velm::GetApp();
    if (app != nullptr && app->GetInputSystem() != nullptr) {
        velm::input::CInputSystem* input = app->GetInputSystem();
        input->Update();
        velm::input::SInputEvent record{};
        while (input->PopInputEvent(record)) {
        }
    }
    UpdateControllers(time, elapsed);
    velm::GetEventManager()->Tick(-1);
    UpdateModels(time, elapsed);
    m_itemManager->UpdateItemSpins();
    UpdateViews(time, elapsed);
    if (app != nullptr && app->GetPhysicsWorld() != nullptr) {
        app->GetPhysicsWorld()->Update(elapsed);
    }
}

void CTumboKelvoGame::Render(double time, float elapsed) {
    velm::CVelmApp* app = velm::GetApp();
    if (app != nullptr && app->GetGfx() != nullptr) {
        app->GetGfx()->RenderFrame(time, elapsed);
    }
}

} // namespace kelvo
