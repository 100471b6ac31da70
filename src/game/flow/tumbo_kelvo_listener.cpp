#include "game/flow/tumbo_kelvo_listener.h"

#include <algorithm>
#include <list>
#include <memory>

#include "engine/core/object_id.h"
#include "engine/events/engine_events.h"
#include "engine/events/event_manager.h"
#include "engine/gfx/chat_box.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/net/message.h"
#include "engine/net/network_manager.h"
#include "engine/phy/rigid_body.h"
#include "engine/phy/water_field.h"
#include "game/content/model_data_keys.h"
#include "game/events/creation_events.h"
#include "game/events/game_events.h"
#include "game/flow/event_socket.h"
#include "game/flow/peer_event_check.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/ui/end_race_gui.h"
#include "game/ui/multi_player_menu.h"
#include "game/ui/start_race_gui.h"
#include "game/ui/tumbo_kelvo_game_hud.h"
#include "game/world/item_collisions.h"
#include "game/world/item_hit_effects.h"
#include "game/world/item_model.h"
#include "game/world/racer_controller.h"
#include "game/world/racer_model.h"
#include "game/world/weapon_data.h"
#include "libs/common/quaternion.h"

namespace kelvo {

namespace {

using common::CVector3;

constexpr float kSharkPull = 8.0f;
constexpr float kSharkSeconds = 2.0f;
constexpr std::uint32_t kIconSpins = 4;

template <class T>
const T* PayloadOf(const velm::CEvent& event) {
    return dynamic_cast<const T*>(event.GetData());
}

CRacerModel* FindRacer(const CTumboKelvoGame& game, std::uint32_t id) {
    return dynamic_cast<CRacerModel*>(game.FindModel(id));
}

bool IsHost(const CTumboKelvoGame& game) { return game.IsNetworked() && game.GetMode() != 0; }

// The host re-sends a client's state to the other clients; with one client there is nobody else.
void Relay(const CTumboKelvoGame& game, velm::CEvent& copy, std::uint32_t excluded) {
    const std::list<std::uint32_t> peers = game.GetPeerIds();
    if (peers.size() < 2) {
        return;
    }
    for (std::uint32_t peer : peers) {
        if (peer != excluded) {
            copy.AddRecipient(peer);
        }
    }
    velm::TriggerEvent(copy);
}

// A controller replacing the racer's own is owned by the game's registry from then on.
} // namespace

bool TumboKelvoListener::HandleEvent(const velm::CEvent& event) {
    CTumboKelvoGame* game = GetGame();
    if (game == nullptr) {
        return false;
    }
    // What a peer sends is checked against this game before any row acts on it.
    if (!AcceptPeerEvent(*game, event)) {
        return false;
    }
    const std::string& type = event.GetEventType().GetName();
    const bool network = event.IsFromNetwork();
    if (type == "Position_Update") {
        if (network) {
            OnPositionUpdate(event);
        }
    } else if (type == "Change_Ani_Evt") {
        if (network) {
            OnChangeAnimation(event);
        }
    } else if (type == "Create_Racer_Event") {
        if (const auto* record = PayloadOf<CCreateRacerData>(event)) {
            CreateRacer(*record);
        }
    } else if (type == "Create_Light") {
        if (const auto* record = PayloadOf<CCreateLightData>(event)) {
            CreateLight(*record);
        }
    } else if (type == "Request_Human_Controller") {
        OnRequestHumanController(event);
    } else if (type == "Load_Level") {
        if (const auto* payload = PayloadOf<CLoadLevelEvtData>(event)) {
            game->LoadLevel(payload->m_fileName);
        }
    } else if (type == "Change_FX_File") {
        if (network && !IsHost(*game)) {
            OnChangeEffect(event);
        }
    } else if (type == "Change_Racer_State") {
        if (network) {
            OnChangeRacerState(event);
        }
    } else if (type == "Change_NextObjID") {
        if (const auto* payload = PayloadOf<CChangeNextObjIDData>(event)) {
            velm::RaiseNextObjectID(payload->m_nextId);
        }
    } else if (type == "Shark_Force_Event") {
        OnSharkForce(event);
    } else if (type == "Pole_Force_Event") {
        OnPoleForce(event);
    } else if (type == "Icon_Spin_Event") {
        if (!IsHost(*game)) {
            OnIconSpin(event);
        }
    } else if (type == "Started_Connection_Evt") {
        OnStartedConnection(event);
    } else if (type == "RacerConnectEvt") {
        // Only announcements from the other side: neither side reacts to its own.
        const auto* p = PayloadOf<CRacerConnectEvtData>(event);
        if (network && p != nullptr && game->GetMultiPlayerMenu() != nullptr) {
            game->GetMultiPlayerMenu()->OnRacerConnect(p->m_racerId, p->m_connectionId, p->m_lobbySlot);
        }
    } else if (type == "Lost_Connection_Evt") {
        OnLostConnection(event);
    } else if (type == "Change_To_Server") {
        OnChangeToServer(event);
    } else if (type == "Text_Message_Event") {
        if (network) {
            OnTextMessage(event);
        }
    } else if (type == "Player_Finished_Race") {
        const auto* payload = PayloadOf<CRacerFinishedRaceEvtData>(event);
        if (payload != nullptr && !IsHost(*game) && game->GetEndRaceGUI() != nullptr) {
            game->GetEndRaceGUI()->AddResultRow(payload->m_racerId);
        }
    } else if (type == "Create_Item") {
        if (const auto* record = PayloadOf<CCreateItemFromKeyData>(event)) {
            CreateItem(*record);
        }
    } else if (type == "Create_Environment_Obj_Event") {
        if (const auto* record = PayloadOf<CCreateEnvObjData>(event)) {
            CreateEnvObject(*record);
        }
    } else if (type == "Request_Item_Evt") {
        OnRequestItem(event);
    } else if (type == "Attach_Detach_Model_Eventt") {
        if (network) {
            OnAttachDetach(event);
        }
    } else if (type == "Item_Should_Detach_Event") {
        const auto* payload = PayloadOf<CIdEventData>(event);
        if (auto* item =
                payload != nullptr ? dynamic_cast<CItemModel*>(game->FindModel(payload->GetValue())) : nullptr) {
            item->SetShouldDetach(true);
        }
    } else if (type == "Create_PartSys_Event") {
        const auto* record = PayloadOf<CCreateParticleSysFromKeyData>(event);
        if (record != nullptr && (game->IsAuthoritative() || network)) {
            CreateParticleSystem(*record);
        }
    } else if (type == "ObjectCollision") {
        if (const auto* payload = PayloadOf<velm::CObjCollideEvtData>(event)) {
            HandleItemCollision(payload->m_first, payload->m_second);
        }
    } else if (type == "Start_Race_Evt") {
        game->StartRace();
    } else if (type == "Begin_Count_Down_Evt") {
        game->OnCountdownBegun();
        if (CStartRaceGUI* countdown = game->GetStartRaceGUI()) {
            countdown->StartCountdown();
        }
    } else if (type == "Ready_To_Start_Race") {
        if (const auto* payload = PayloadOf<CReadyToStartRaceData>(event)) {
            game->OnPlayerReady(payload->m_clientId);
        }
    } else if (type == "Make_Water") {
        if (const auto* record = PayloadOf<SCreationRecord>(event)) {
            MakeWaterFrom(*record);
        }
    } else if (type == "Make_Terrain") {
        if (const auto* record = PayloadOf<SCreationRecord>(event)) {
            MakeTerrainFrom(*record);
        }
    } else if (type == "Create_Trigger_Obj") {
        if (const auto* record = PayloadOf<CCreateTriggerObjEvtData>(event)) {
            CreateTriggerObject(*record);
        }
    }
    return false;
}

void TumboKelvoListener::OnPositionUpdate(const velm::CEvent& event) {
    CTumboKelvoGame& game = *GetGame();
    const auto* p = PayloadOf<CPositionUpdateData>(event);
    velm::CModel* model = p != nullptr ? game.FindModel(p->m_objectId) : nullptr;
    if (model == nullptr) {
        return;
    }
    model->SetPosition(p->m_position);
    model->SetLinearVelocity(p->m_velocity);
    model->SetOrientation(p->m_orientation);
    if (IsHost(game)) {
        CPositionUpdate copy(p->m_position, p->m_velocity, p->m_orientation, p->m_objectId, p->m_ownerClientId);
        Relay(game, copy, p->m_ownerClientId);
    }
}

void TumboKelvoListener::OnChangeAnimation(const velm::CEvent& event) {
    CTumboKelvoGame& game = *GetGame();
    const auto* p = PayloadOf<CAniChangeData>(event);
    if (p == nullptr) {
        return;
    }
    velm::CModel* model = game.FindModel(p->m_objectId);
    if (model != nullptr && p->m_objectId != game.GetLocalRacerId()) {
        model->SetAnimation(p->m_animation, true);
    }
    if (IsHost(game)) {
        velm::TriggerEvent(CAniChangeEvt(p->m_animation, p->m_objectId));
    }
}

void TumboKelvoListener::OnChangeRacerState(const velm::CEvent& event) {
    CTumboKelvoGame& game = *GetGame();
    const auto* p = PayloadOf<CChangeRacerStateData>(event);
    CRacerModel* racer = p != nullptr ? FindRacer(game, p->m_racerId) : nullptr;
    if (racer == nullptr) {
        return;
    }
    racer->SetInvincible(p->m_invincible);
    racer->SetBoost(p->m_boost);
    racer->SetSpeedScale(p->m_speedScale);
    if (IsHost(game)) {
        // Only position updates carry their sender; without one the racer's own driver is the
        // origin, so the state never echoes back to it.
        const std::uint32_t origin = event.GetSender() != 0 ? event.GetSender() : racer->GetConnectionId();
        CChangeRacerStateEvt copy(p->m_invincible, p->m_racerId, p->m_boost, p->m_speedScale);
        Relay(game, copy, origin);
    }
}

void TumboKelvoListener::OnChangeEffect(const velm::CEvent& event) {
    const auto* p = PayloadOf<CChangeRacerFXData>(event);
    CRacerModel* racer = p != nullptr ? FindRacer(*GetGame(), p->m_racerId) : nullptr;
    if (velm::gfx::IGfxUnit* unit = racer != nullptr ? racer->GetGfxUnit() : nullptr) {
        unit->SetEffectFileName(p->m_effectFileName);
        unit->SetTechniqueName(p->m_technique);
    }
}

void TumboKelvoListener::OnRequestHumanController(const velm::CEvent& event) {
    struct SStart {
        float x, y, z;
    };
    static constexpr SStart kStarts[6] = {{0.95f, 24.4f, 70.0f}, {0.2f, 24.4f, 50.0f},  {0.2f, 24.4f, 66.0f},
                                          {0.95f, 24.7f, 70.0f}, {0.95f, 24.7f, 70.0f}, {0.95f, 24.7f, 70.0f}};
    const auto* p = PayloadOf<CRequestHumanRacerIDData>(event);
    if (p == nullptr || p->m_character < 1 || p->m_character > 6) {
        return;
    }
    const SStart& start = kStarts[p->m_character - 1];
    velm::TriggerEvent(CCreateRacerEvt(ModelDataKeyFromType(p->m_character), velm::NewObjectID(), p->m_clientId, 1, 0,
                                       CONTROL_NETWORK, p->m_character, CVector3(start.x, start.y, start.z)));
}

void TumboKelvoListener::OnRequestItem(const velm::CEvent& event) {
    const auto* p = PayloadOf<CRequestItemEventData>(event);
    if (p == nullptr) {
        return;
    }
    velm::TriggerEvent(CCreateItemFromKeyEvt(ModelDataKeyFromType(p->m_itemType), velm::NewObjectID(), 0,
                                             CONTROL_NETWORK, p->m_itemType, p->m_ownerId, 1));
}

void TumboKelvoListener::OnSharkForce(const velm::CEvent& event) {
    CTumboKelvoGame& game = *GetGame();
    const auto* p = PayloadOf<CSharkForceData>(event);
    CRacerModel* racer = p != nullptr ? FindRacer(game, p->m_hitRacerId) : nullptr;
    if (racer == nullptr) {
        return;
    }
    const std::uint32_t kind = racer->GetControlKind();
    if (racer->CanBeHit() && (kind == CONTROL_LOCAL_PLAYER || kind == CONTROL_LOCAL_OTHER)) {
        auto* effect = new HitBySharkFunc(racer);
        const float mass = racer->GetBody()->GetMass();
        CVector3 direction(0.0f, 0.0f, 0.0f);
        if (velm::phy::CWaterField* cell = racer->GetWaterCell()) {
            const CVector3 position = racer->GetPosition();
            float height = 0.0f;
            CVector3 normal;
            CVector3 flow;
            if (cell->GetSurface(position.x, position.z, height, normal, flow)) {
                direction = (CVector3(-flow.x, 0.0f, -flow.z) + CVector3(0.0f, -1.0f, 0.0f)).GetNormalized();
            }
        } else {
            direction = CVector3(0.0f, -1.0f, 1.0f).GetNormalized();
        }
        effect->SetForce(direction * mass * kSharkPull);
        effect->GetTimer().StartCountdown(kSharkSeconds);
        racer->TakeHit(effect);
    }
    if (p->m_hitRacerId == p->m_ownerId && kind == CONTROL_LOCAL_PLAYER && game.GetHUD() != nullptr) {
        game.GetHUD()->ShowHitOverlay();
    }
}

void TumboKelvoListener::OnPoleForce(const velm::CEvent& event) {
    CTumboKelvoGame& game = *GetGame();
    const auto* p = PayloadOf<CPoleForceData>(event);
    CRacerModel* racer = p != nullptr ? FindRacer(game, p->m_hitRacerId) : nullptr;
    CRacerModel* owner = p != nullptr ? FindRacer(game, p->m_ownerId) : nullptr;
    if (racer == nullptr || owner == nullptr) {
        return;
    }
    const data::FishingpoleWeaponData& pole = data::Pole();
    const float mass = racer->GetBody()->GetMass();
    const CVector3 direction = owner->GetHeading().GetNormalized();
    auto* effect = new HitByPoleFunc(racer);
    effect->GetTimer().StartCountdown(pole.m_life);
    CVector3 force = direction * (mass * pole.m_hForce);
    force.y = mass * pole.m_vForce;
    effect->SetForce(force);
    racer->TakeHit(effect);
    if (p->m_hitRacerId == p->m_ownerId && racer->GetControlKind() == CONTROL_LOCAL_PLAYER &&
        game.GetHUD() != nullptr) {
        game.GetHUD()->ShowHitOverlay();
    }
}

void TumboKelvoListener::OnIconSpin(const velm::CEvent& event) {
    CTumboKelvoGame& game = *GetGame();
    const auto* p = PayloadOf<CIconSpinData>(event);
    if (p != nullptr && game.FindModel(p->m_racerId) != nullptr && game.GetHUD() != nullptr) {
        game.GetHUD()->StartIconSpin(p->m_racerId, kIconSpins);
    }
}

// A connection to the server (peer id 1) means this machine is a client that has found a
// host, or a new one after a host change; any other peer has joined this machine as server.
void TumboKelvoListener::OnStartedConnection(const velm::CEvent& event) {
    CTumboKelvoGame& game = *GetGame();
    const auto* p = PayloadOf<velm::CStartedConnectionEvtData>(event);
    const std::uint32_t peer = p != nullptr ? p->m_clientId : 0;
    MultiPlayerMenu* lobby = game.GetMultiPlayerMenu();
    if (peer == velm::net::kServerId) {
        if (lobby != nullptr) {
            lobby->GetChatBox()->SetSenderValue(velm::net::GetLocalClientId());
        }
        game.OnServerConnected();
        return;
    }
    // The game takes over the unconnected racers; the newcomer to the lobby hears every slot.
    game.OnStartedConnection();
    if (lobby != nullptr && peer != 0) {
        lobby->SendRacerConnectEvents(peer);
    }
}

void TumboKelvoListener::OnLostConnection(const velm::CEvent& event) {
    if (const auto* p = PayloadOf<velm::CLostConnectionEvtData>(event)) {
        GetGame()->OnLostConnection(p->m_clientId);
    }
}

void TumboKelvoListener::OnChangeToServer(const velm::CEvent& /*event*/) {
    // The network thread raises this itself; the screens are the main thread's alone, so the
    // answer waits for the main thread's next tick.
    if (std::this_thread::get_id() != m_mainThread) {
        velm::QueueEvent(std::make_shared<velm::CChangeToServerEvt>());
        return;
    }
    CTumboKelvoGame& game = *GetGame();
    MultiPlayerMenu* lobby = game.GetMultiPlayerMenu();
    if (lobby == nullptr) {
        return;
    }
    if (IsHost(game)) {
        // The event names no connection: every peer hears the slots.
        lobby->SendRacerConnectEvents(0);
        return;
    }
    lobby->GetChatBox()->SetSenderValue(velm::net::GetLocalClientId());
    velm::TriggerEvent(CChangeNextObjIDEvt(velm::PeekObjectIDCounter() + 1));
}

void TumboKelvoListener::OnTextMessage(const velm::CEvent& event) {
    CTumboKelvoGame& game = *GetGame();
    const auto* p = PayloadOf<velm::CTextMessageEvtData>(event);
    if (p == nullptr) {
        return;
    }
    MultiPlayerMenu* lobby = game.GetMultiPlayerMenu();
    if (game.IsNetworked() && !game.IsRaceInProgress() && lobby != nullptr) {
        lobby->GetChatBox()->AddMessage(p->m_text);
    }
    if (IsHost(game)) {
        velm::CTextMessageEvt copy(p->m_text, p->m_value);
        Relay(game, copy, p->m_value);
    }
}

void TumboKelvoListener::OnAttachDetach(const velm::CEvent& event) {
    CTumboKelvoGame& game = *GetGame();
    const auto* p = PayloadOf<CAttachDetachItemFromRacerData>(event);
    CRacerModel* racer = p != nullptr ? FindRacer(game, p->m_racerId) : nullptr;
    auto* item = p != nullptr ? dynamic_cast<CItemModel*>(game.FindModel(p->m_itemId)) : nullptr;
    if (racer == nullptr || item == nullptr) {
        return;
    }
    if (p->m_attach) {
        racer->AttachItem(item, p->m_flag, p->m_attachPoint);
    } else {
        racer->DetachItem(item);
    }
}

} // namespace kelvo
