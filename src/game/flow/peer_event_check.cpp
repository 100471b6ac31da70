#include "game/flow/peer_event_check.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "game/content/object_type.h"
#include "game/events/creation_events.h"
#include "game/events/game_events.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/ui/multi_player_menu.h"
#include "game/world/item_model.h"
#include "game/world/racer_model.h"

namespace kelvo {

namespace {

// Who may send a type: the clients (to their host), the server (to its clients), either, or no
// peer at all.
enum class EFrom { kClients, kServer, kEither, kNobody };
// When it may come: any time, only in the lobby, or only while a race is on.
enum class EWhen { kAnyTime, kLobby, kRace };

// Far above the ids any game hands out, and far enough below the top that no peer can make the
// object-id counter wrap.
constexpr std::uint32_t kHighestPeerObjectId = 0x7FFFFFFFu;

using Check = const char* (*)(const CTumboKelvoGame&, const velm::CEvent&);

struct SRule {
    const char* m_type;
    EFrom m_from;
    EWhen m_when;
    Check m_check;
};

template <class T>
const T* PayloadOf(const velm::CEvent& event) {
    return dynamic_cast<const T*>(event.GetData());
}

bool IsHost(const CTumboKelvoGame& game) { return game.GetMode() != 0; }

const CRacerModel* FindRacer(const CTumboKelvoGame& game, std::uint32_t id) {
    return dynamic_cast<const CRacerModel*>(game.FindModel(id));
}

bool IsCharacter(std::uint32_t type) { return type >= CHARACTER_FIRST && type <= CHARACTER_LAST; }

bool InRace(const CTumboKelvoGame& game, std::uint32_t racerId) {
    const std::vector<std::uint32_t>& ids = game.GetRacerIds();
    return std::find(ids.begin(), ids.end(), racerId) != ids.end();
}

bool DrivesARacer(const CTumboKelvoGame& game, std::uint32_t connectionId) {
    for (std::uint32_t id : game.GetRacerIds()) {
        const CRacerModel* racer = FindRacer(game, id);
        if (racer != nullptr && racer->GetConnectionId() == connectionId) {
            return true;
        }
    }
    return false;
}

bool DrivenHere(const CRacerModel& racer) {
    return racer.GetControlKind() == CONTROL_LOCAL_PLAYER || racer.GetControlKind() == CONTROL_LOCAL_OTHER;
}

const char* NoPayload() { return "it carries no payload of its type"; }

const char* CheckPosition(const CTumboKelvoGame& game, const velm::CEvent& event) {
    const auto* p = PayloadOf<CPositionUpdateData>(event);
    if (p == nullptr) {
        return NoPayload();
    }
    const velm::CModel* model = game.FindModel(p->m_objectId);
    if (model == nullptr) {
        return "it names an object that does not exist";
    }
    const auto* racer = dynamic_cast<const CRacerModel*>(model);
    if (IsHost(game)) {
        // A client drives its own racer and nothing else.
        if (racer == nullptr || racer->GetConnectionId() != event.GetSender() ||
            p->m_ownerClientId != event.GetSender()) {
            return "its sender does not drive that racer";
        }
    } else if (racer != nullptr && DrivenHere(*racer)) {
        return "that racer is driven on this machine";
    }
    return nullptr;
}

const char* CheckAnimation(const CTumboKelvoGame& game, const velm::CEvent& event) {
    const auto* p = PayloadOf<CAniChangeData>(event);
    if (p == nullptr) {
        return NoPayload();
    }
    return game.FindModel(p->m_objectId) == nullptr ? "it names an object that does not exist" : nullptr;
}

const char* CheckRacerId(const CTumboKelvoGame& game, std::uint32_t id) {
    return FindRacer(game, id) == nullptr ? "it names a racer that does not exist" : nullptr;
}

const char* CheckRacerState(const CTumboKelvoGame& game, const velm::CEvent& event) {
    const auto* p = PayloadOf<CChangeRacerStateData>(event);
    return p == nullptr ? NoPayload() : CheckRacerId(game, p->m_racerId);
}

const char* CheckEffect(const CTumboKelvoGame& game, const velm::CEvent& event) {
    const auto* p = PayloadOf<CChangeRacerFXData>(event);
    return p == nullptr ? NoPayload() : CheckRacerId(game, p->m_racerId);
}

const char* CheckIconSpin(const CTumboKelvoGame& game, const velm::CEvent& event) {
    const auto* p = PayloadOf<CIconSpinData>(event);
    return p == nullptr ? NoPayload() : CheckRacerId(game, p->m_racerId);
}

template <class TForce>
const char* CheckForce(const CTumboKelvoGame& game, const velm::CEvent& event) {
    const auto* p = PayloadOf<TForce>(event);
    if (p == nullptr) {
        return NoPayload();
    }
    const char* hit = CheckRacerId(game, p->m_hitRacerId);
    return hit != nullptr ? hit : CheckRacerId(game, p->m_ownerId);
}

const char* CheckCreateRacer(const CTumboKelvoGame&, const velm::CEvent& event) {
    const auto* p = PayloadOf<CCreateRacerData>(event);
    if (p == nullptr) {
        return NoPayload();
    }
    return IsCharacter(p->m_modelData.m_objectType) ? nullptr : "it names no character";
}

const char* CheckCreateItem(const CTumboKelvoGame& game, const velm::CEvent& event) {
    const auto* p = PayloadOf<CCreateItemFromKeyData>(event);
    if (p == nullptr) {
        return NoPayload();
    }
    const std::uint32_t owner = p->m_modelData.m_ownerId;
    return owner != 0 && FindRacer(game, owner) == nullptr ? "its owner is a racer that does not exist" : nullptr;
}

const char* CheckItemId(const CTumboKelvoGame& game, const velm::CEvent& event) {
    const auto* p = PayloadOf<CIdEventData>(event);
    if (p == nullptr) {
        return NoPayload();
    }
    return dynamic_cast<const CItemModel*>(game.FindModel(p->GetValue())) == nullptr
               ? "it names an item that does not exist"
               : nullptr;
}

const char* CheckAttach(const CTumboKelvoGame& game, const velm::CEvent& event) {
    const auto* p = PayloadOf<CAttachDetachItemFromRacerData>(event);
    if (p == nullptr) {
        return NoPayload();
    }
    if (const char* racer = CheckRacerId(game, p->m_racerId)) {
        return racer;
    }
    return dynamic_cast<const CItemModel*>(game.FindModel(p->m_itemId)) == nullptr
               ? "it names an item that does not exist"
               : nullptr;
}

const char* CheckFinish(const CTumboKelvoGame& game, const velm::CEvent& event) {
    const auto* p = PayloadOf<CRacerFinishedRaceEvtData>(event);
    if (p == nullptr) {
        return NoPayload();
    }
    return InRace(game, p->m_racerId) ? nullptr : "it names a racer that is not in the race";
}

const char* CheckRacerConnect(const CTumboKelvoGame& game, const velm::CEvent& event) {
    const auto* p = PayloadOf<CRacerConnectEvtData>(event);
    if (p == nullptr) {
        return NoPayload();
    }
    if (game.GetMultiPlayerMenu() == nullptr) {
        return "there is no lobby";
    }
    // The payload's racer id is the character of the slot.
    if (IsHost(game)) {
        if (p->m_lobbySlot != 0 || p->m_connectionId != event.GetSender()) {
            return "a client announces only itself";
        }
        return IsCharacter(p->m_racerId) ? nullptr : "it names no character";
    }
    if (p->m_lobbySlot < 1 || p->m_lobbySlot > static_cast<std::uint32_t>(MultiPlayerMenu::kSlotCount)) {
        return "it names no slot of the lobby";
    }
    return p->m_racerId <= CHARACTER_LAST ? nullptr : "it names no character";
}

const char* CheckRequestRacer(const CTumboKelvoGame& game, const velm::CEvent& event) {
    const auto* p = PayloadOf<CRequestHumanRacerIDData>(event);
    if (p == nullptr) {
        return NoPayload();
    }
    if (p->m_clientId != event.GetSender()) {
        return "a client asks only for itself";
    }
    return DrivesARacer(game, p->m_clientId) ? "its sender drives a racer already" : nullptr;
}

const char* CheckRequestItem(const CTumboKelvoGame& game, const velm::CEvent& event) {
    const auto* p = PayloadOf<CRequestItemEventData>(event);
    if (p == nullptr) {
        return NoPayload();
    }
    if (p->m_itemType < ITEM_DRILL || p->m_itemType > ITEM_MINE) {
        return "it names no item type";
    }
    const CRacerModel* owner = FindRacer(game, p->m_ownerId);
    if (owner == nullptr) {
        return "it names a racer that does not exist";
    }
    return owner->GetConnectionId() == event.GetSender() ? nullptr : "its sender does not drive that racer";
}

const char* CheckReady(const CTumboKelvoGame&, const velm::CEvent& event) {
    const auto* p = PayloadOf<CReadyToStartRaceData>(event);
    if (p == nullptr) {
        return NoPayload();
    }
    return p->m_clientId == event.GetSender() ? nullptr : "a client is ready only for itself";
}

const char* CheckNextObjectId(const CTumboKelvoGame&, const velm::CEvent& event) {
    const auto* p = PayloadOf<CChangeNextObjIDData>(event);
    if (p == nullptr) {
        return NoPayload();
    }
    return p->m_nextId <= kHighestPeerObjectId ? nullptr : "its id would run the object-id counter out";
}

// Every game event type a peer may send. Chat text is checked where it is shown.
constexpr SRule kRules[] = {
    {"Position_Update", EFrom::kEither, EWhen::kAnyTime, &CheckPosition},
    {"Change_Ani_Evt", EFrom::kEither, EWhen::kAnyTime, &CheckAnimation},
    {"Change_Racer_State", EFrom::kEither, EWhen::kAnyTime, &CheckRacerState},
    {"RacerConnectEvt", EFrom::kEither, EWhen::kLobby, &CheckRacerConnect},
    {"Text_Message_Event", EFrom::kEither, EWhen::kAnyTime, nullptr},
    {"Request_Human_Controller", EFrom::kClients, EWhen::kRace, &CheckRequestRacer},
    {"Request_Item_Evt", EFrom::kClients, EWhen::kRace, &CheckRequestItem},
    {"Item_Should_Detach_Event", EFrom::kClients, EWhen::kRace, &CheckItemId},
    {"Ready_To_Start_Race", EFrom::kClients, EWhen::kRace, &CheckReady},
    {"Change_NextObjID", EFrom::kClients, EWhen::kAnyTime, &CheckNextObjectId},
    {"Create_Racer_Event", EFrom::kServer, EWhen::kRace, &CheckCreateRacer},
    {"Create_Light", EFrom::kServer, EWhen::kAnyTime, nullptr},
    {"Create_Item", EFrom::kServer, EWhen::kRace, &CheckCreateItem},
    {"Create_PartSys_Event", EFrom::kServer, EWhen::kAnyTime, nullptr}, // the geysers spray behind the lobby too
    {"Destroy_Item_Event", EFrom::kServer, EWhen::kAnyTime, &CheckItemId},
    {"Attach_Detach_Model_Eventt", EFrom::kServer, EWhen::kRace, &CheckAttach},
    {"Accepted_Human_Controller", EFrom::kServer, EWhen::kAnyTime, nullptr},
    {"Start_Race_Evt", EFrom::kServer, EWhen::kLobby, nullptr},
    {"Begin_Count_Down_Evt", EFrom::kServer, EWhen::kRace, nullptr},
    {"Player_Finished_Race", EFrom::kServer, EWhen::kRace, &CheckFinish},
    {"Change_FX_File", EFrom::kServer, EWhen::kAnyTime, &CheckEffect},
    {"Shark_Force_Event", EFrom::kServer, EWhen::kRace, &CheckForce<CSharkForceData>},
    {"Pole_Force_Event", EFrom::kServer, EWhen::kRace, &CheckForce<CPoleForceData>},
    {"Icon_Spin_Event", EFrom::kServer, EWhen::kAnyTime, &CheckIconSpin},
    {"Load_Level", EFrom::kNobody, EWhen::kAnyTime, nullptr},
};

const char* Refusal(const CTumboKelvoGame& game, const velm::CEvent& event) {
    if (!game.IsNetworked()) {
        return "networking is off";
    }
    const std::string& type = event.GetEventType().GetName();
    const auto rule =
        std::find_if(std::begin(kRules), std::end(kRules), [&type](const SRule& r) { return type == r.m_type; });
    if (rule == std::end(kRules)) {
        return "no peer sends that type";
    }
    const bool host = IsHost(game);
    switch (rule->m_from) {
        case EFrom::kNobody:
            return "this game chooses its own levels";
        case EFrom::kClients:
            if (!host) {
                return "only a client sends it";
            }
            break;
        case EFrom::kServer:
            if (host) {
                return "only the server sends it";
            }
            break;
        case EFrom::kEither:
            break;
    }
    if (rule->m_when == EWhen::kLobby && game.IsRaceInProgress()) {
        return "the race is on";
    }
    if (rule->m_when == EWhen::kRace && !game.IsRaceInProgress()) {
        return "no race is on";
    }
    return rule->m_check != nullptr ? rule->m_check(game, event) : nullptr;
}

// A peer that floods refused events must not flood the log as well.
bool ShouldSay() {
    static std::uint64_t s_refused = 0;
    ++s_refused;
    return s_refused <= 16 || s_refused % 1000 == 0;
}

} // namespace

bool AcceptPeerEvent(const CTumboKelvoGame& game, const velm::CEvent& event) {
    if (!event.IsFromNetwork()) {
        return true;
    }
    const char* refusal = Refusal(game, event);
    if (refusal == nullptr) {
        return true;
    }
    // Each listener of the type asks; the event is said once.
    static const velm::CEvent* s_lastSaid = nullptr;
    if (&event != s_lastSaid) {
        s_lastSaid = &event;
        if (ShouldSay()) {
            std::fprintf(stderr, "Peer event \"%s\" from client %u dropped: %s\n",
                         event.GetEventType().GetName().c_str(), static_cast<unsigned>(event.GetSender()), refusal);
        }
    }
    return false;
}

} // namespace kelvo
