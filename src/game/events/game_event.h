// The base of the game's events and their type names. An event rebuilt from received bytes is
// intact only when the bytes hold its wire form exactly (message id, every length and count);
// the event socket drops the others. Serialise refuses (returns 0, logged) a wire form that would
// not fit one message. Events are built on the thread that raises or receives them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/events/event.h"
#include "game/events/wire_form.h"

namespace kelvo {

extern const char* const kCreateRacerEventName;
extern const char* const kRequestHumanControllerEventName;
extern const char* const kAcceptedHumanControllerEventName;
extern const char* const kLoadLevelEventName;
extern const char* const kCreateLightEventName;
extern const char* const kPositionUpdateEventName;
extern const char* const kChangeAniEventName;
extern const char* const kCreateItemFromKeyEventName;
extern const char* const kRequestItemEventName;
extern const char* const kDestroyItemEventName;
extern const char* const kCreatePartSysEventName;
extern const char* const kRacerConnectEventName;
extern const char* const kStartRaceEventName;
extern const char* const kAttachDetachModelEventName;
extern const char* const kItemShouldDetachEventName;
extern const char* const kReadyToStartRaceEventName;
extern const char* const kBeginCountDownEventName;
extern const char* const kPlayerFinishedRaceEventName;
extern const char* const kChangeFXFileEventName;
extern const char* const kChangeRacerStateEventName;
extern const char* const kChangeNextObjIDEventName;
extern const char* const kSharkForceEventName;
extern const char* const kPoleForceEventName;
extern const char* const kIconSpinEventName;
extern const char* const kCreateEnvironmentObjEventName;
extern const char* const kCreateTriggerObjEventName;
extern const char* const kMakeWaterEventName;
extern const char* const kMakeTerrainEventName;
extern const char* const kCreateItemEventName;
extern const char* const kFireItemEventName;
extern const char* const kStopItemSpinEventName;

// Message ids: byte 0 of a replicated event's wire form.
enum EMessageId : std::uint8_t {
    MSG_TEXT_MESSAGE = 0,
    MSG_CREATE_RACER = 1,
    MSG_REQUEST_HUMAN_CONTROLLER = 3,
    MSG_ACCEPTED_HUMAN_CONTROLLER = 4,
    MSG_LOAD_LEVEL = 5,
    MSG_CREATE_LIGHT = 6,
    MSG_POSITION_UPDATE = 7,
    MSG_IGNORED = 8,
    MSG_CHANGE_ANI = 9,
    MSG_CREATE_ITEM = 11,
    MSG_REQUEST_ITEM = 12,
    MSG_DESTROY_ITEM = 13,
    MSG_CREATE_PARTSYS = 14,
    MSG_RACER_CONNECT = 15,
    MSG_START_RACE = 16,
    MSG_ATTACH_DETACH = 17,
    MSG_ITEM_SHOULD_DETACH = 18,
    MSG_READY_TO_START_RACE = 19,
    MSG_BEGIN_COUNT_DOWN = 20,
    MSG_PLAYER_FINISHED_RACE = 21,
    MSG_CHANGE_FX_FILE = 22,
    MSG_CHANGE_RACER_STATE = 23,
    MSG_CHANGE_NEXT_OBJ_ID = 24,
    MSG_SHARK_FORCE = 25,
    MSG_POLE_FORCE = 26,
    MSG_ICON_SPIN = 27,
};

class CGameEvent : public velm::CEvent {
public:
    // False for an event rebuilt from bytes that are not its wire form.
    bool IsIntact() const { return m_intact; }

protected:
    // Sending constructors pass their reliable flag; receiving ones without a payload pass false
    // and whether the bytes held the wire form.
    CGameEvent(const char* typeName, velm::EventDataPtr data, bool reliable, bool intact = true);
    // Receiving constructors with a payload: intact when the payload could be rebuilt (non-null).
    CGameEvent(const char* typeName, velm::EventDataPtr received);

    // The writer's length, or 0 (logged) when the wire form did not fit.
    std::size_t Finish(const CWireWriter& writer) const;

private:
    bool m_intact = true;
};

} // namespace kelvo
