#include "game/flow/tumbo_kelvo_listener.h"

#include "engine/core/object_id.h"
#include "game/flow/game_events.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/ui/start_race_gui.h"
#include "game/world/racer_model.h"

namespace kelvo {

namespace {

template <class T>
const T* PayloadOf(const velm::CEvent& event) {
    return dynamic_cast<const T*>(event.GetData());
}

} // namespace

// Rows of the events whose builders are not yet part of the game are left to the other
// listeners of their type. The listener never consumes an event.
bool TumboKelvoListener::HandleEvent(const velm::CEvent& event) {
    CTumboKelvoGame* game = GetGame();
    if (game == nullptr) {
        return false;
    }
    const std::string& type = event.GetEventType().GetName();
    if (type == "Load_Level") {
        if (const auto* payload = PayloadOf<CLoadLevelEvtData>(event)) {
            game->GetLevelLoader().LoadLevel(payload->m_fileName);
        }
    } else if (type == "Change_NextObjID") {
        if (const auto* payload = PayloadOf<CChangeNextObjIDData>(event)) {
            velm::RaiseNextObjectID(payload->m_nextId);
        }
    } else if (type == "Start_Race_Evt") {
        game->GetStateMachine().ChangeState("StartTrack1State");
    } else if (type == "Begin_Count_Down_Evt") {
        if (CStartRaceGUI* countdown = game->GetStartRaceGUI()) {
            countdown->StartCountdown();
        }
    } else if (type == "Ready_To_Start_Race") {
        if (const auto* payload = PayloadOf<CReadyToStartRaceData>(event)) {
            game->OnPlayerReady(payload->m_clientId);
        }
    }
    return false;
}

} // namespace kelvo
