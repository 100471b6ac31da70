#include "game/events/game_events.h"

#include <cstdio>
#include <memory>

namespace kelvo {

const char* const kCreateRacerEventName = "Create_Racer_Event";
const char* const kRequestHumanControllerEventName = "Request_Human_Controller";
const char* const kAcceptedHumanControllerEventName = "Accepted_Human_Controller";
const char* const kLoadLevelEventName = "Load_Level";
const char* const kCreateLightEventName = "Create_Light";
const char* const kPositionUpdateEventName = "Position_Update";
const char* const kChangeAniEventName = "Change_Ani_Evt";
const char* const kCreateItemFromKeyEventName = "Create_Item";
const char* const kRequestItemEventName = "Request_Item_Evt";
const char* const kDestroyItemEventName = "Destroy_Item_Event";
const char* const kCreatePartSysEventName = "Create_PartSys_Event";
const char* const kRacerConnectEventName = "RacerConnectEvt";
const char* const kStartRaceEventName = "Start_Race_Evt";
const char* const kAttachDetachModelEventName = "Attach_Detach_Model_Eventt";
const char* const kItemShouldDetachEventName = "Item_Should_Detach_Event";
const char* const kReadyToStartRaceEventName = "Ready_To_Start_Race";
const char* const kBeginCountDownEventName = "Begin_Count_Down_Evt";
const char* const kPlayerFinishedRaceEventName = "Player_Finished_Race";
const char* const kChangeFXFileEventName = "Change_FX_File";
const char* const kChangeRacerStateEventName = "Change_Racer_State";
const char* const kChangeNextObjIDEventName = "Change_NextObjID";
const char* const kSharkForceEventName = "Shark_Force_Event";
const char* const kPoleForceEventName = "Pole_Force_Event";
const char* const kIconSpinEventName = "Icon_Spin_Event";
const char* const kCreateEnvironmentObjEventName = "Create_Environment_Obj_Event";
const char* const kCreateTriggerObjEventName = "Create_Trigger_Obj";
const char* const kMakeWaterEventName = "Make_Water";
const char* const kMakeTerrainEventName = "Make_Terrain";
const char* const kCreateItemEventName = "Create_Item_Event";
const char* const kFireItemEventName = "Fire_Item_Event";
const char* const kStopItemSpinEventName = "Stop_Item_Spin_Event";

CGameEvent::CGameEvent(const char* typeName, velm::EventDataPtr data, bool reliable, bool intact)
    : velm::CEvent(typeName, std::move(data)), m_intact(intact) {
    SetReliable(reliable);
}

CGameEvent::CGameEvent(const char* typeName, velm::EventDataPtr received)
    : velm::CEvent(typeName, received), m_intact(received != nullptr) {}

std::size_t CGameEvent::Finish(const CWireWriter& writer) const {
    if (!writer.Ok()) {
        std::fprintf(stderr, "Event %s not sent: its wire form does not fit %zu bytes or holds a name over %zu\n",
                     GetEventType().GetName().c_str(), kMaxEventWireBytes, kMaxWireStringBytes);
        return 0;
    }
    return writer.Length();
}

namespace {

// Rebuilds a payload from a message that must start with `id` and end where `fill` stops.
template <typename Data, typename Fill>
std::shared_ptr<Data> Read(const unsigned char* bytes, std::size_t length, std::uint8_t id, Fill fill) {
    CWireReader in(bytes, length);
    if (in.U8() != id) {
        return nullptr;
    }
    auto data = std::make_shared<Data>();
    fill(in, *data);
    return in.Complete() ? data : nullptr;
}

template <typename Data, typename Fill>
std::shared_ptr<Data> Make(Fill fill) {
    auto data = std::make_shared<Data>();
    fill(*data);
    return data;
}

bool IsOneByte(const unsigned char* bytes, std::size_t length, std::uint8_t id) {
    return bytes != nullptr && length == 1 && bytes[0] == id;
}

} // namespace

CRequestHumanRacerID::CRequestHumanRacerID(const unsigned char* bytes, std::size_t length)
    : CGameEvent(kRequestHumanControllerEventName,
                 Read<CRequestHumanRacerIDData>(bytes, length, MSG_REQUEST_HUMAN_CONTROLLER,
                                                [](CWireReader& in, CRequestHumanRacerIDData& d) {
                                                    const std::uint8_t character = in.U8();
                                                    d.m_character = (character >= 1 && character <= 6) ? character : 1;
                                                    d.m_clientId = in.U8();
                                                })) {}

CAcceptedHumanRacerID::CAcceptedHumanRacerID(const unsigned char* bytes, std::size_t length)
    : CGameEvent(kAcceptedHumanControllerEventName,
                 Read<CAcceptedHumanRacerIDData>(
                     bytes, length, MSG_ACCEPTED_HUMAN_CONTROLLER,
                     [](CWireReader& in, CAcceptedHumanRacerIDData& d) { d.m_racerId = in.U32(); })) {}

CLoadLevelEvt::CLoadLevelEvt(const std::string& fileName)
    : CGameEvent(kLoadLevelEventName, Make<CLoadLevelEvtData>([&](CLoadLevelEvtData& d) { d.m_fileName = fileName; }),
                 true) {}

CLoadLevelEvt::CLoadLevelEvt(const unsigned char* bytes, std::size_t length)
    : CGameEvent(kLoadLevelEventName,
                 Read<CLoadLevelEvtData>(bytes, length, MSG_LOAD_LEVEL,
                                         [](CWireReader& in, CLoadLevelEvtData& d) { d.m_fileName = in.String(); })) {}

std::size_t CLoadLevelEvt::Serialise(unsigned char*& buffer) const {
    CWireWriter out(buffer);
    out.U8(MSG_LOAD_LEVEL);
    out.String(GetPayload().m_fileName);
    return Finish(out);
}

CPositionUpdate::CPositionUpdate(const common::CVector3& position, const common::CVector3& velocity,
                                 const common::CQuaternion& orientation, std::uint32_t objectId,
                                 std::uint32_t ownerClientId)
    : CGameEvent(kPositionUpdateEventName, Make<CPositionUpdateData>([&](CPositionUpdateData& d) {
                     d.m_position = position;
                     d.m_velocity = velocity;
                     d.m_orientation = orientation;
                     d.m_objectId = objectId;
                     d.m_ownerClientId = ownerClientId;
                 }),
                 false) {}

CPositionUpdate::CPositionUpdate(const unsigned char* bytes, std::size_t length)
    : CGameEvent(kPositionUpdateEventName, Read<CPositionUpdateData>(bytes, length, MSG_POSITION_UPDATE,
                                                                     [](CWireReader& in, CPositionUpdateData& d) {
                                                                         d.m_position = in.Vector();
                                                                         d.m_velocity = in.Vector();
                                                                         d.m_orientation = in.Quaternion();
                                                                         d.m_objectId = in.U32();
                                                                         d.m_ownerClientId = in.U32();
                                                                     })) {}

std::size_t CPositionUpdate::Serialise(unsigned char*& buffer) const {
    const CPositionUpdateData& d = GetPayload();
    CWireWriter out(buffer);
    out.U8(MSG_POSITION_UPDATE);
    out.Vector(d.m_position);
    out.Vector(d.m_velocity);
    out.Quaternion(d.m_orientation);
    out.U32(d.m_objectId);
    out.U32(d.m_ownerClientId);
    return Finish(out);
}

// The events whose wire form is a row of 32-bit words.
#define KELVO_WORDS_EVENT(Class, Data, Name, Id, Reliable, Params, Assign, ReadAll, WriteAll)           \
    Class::Class Params : CGameEvent(Name, Make<Data>([&](Data& d) { Assign; }), Reliable) {}           \
    Class::Class(const unsigned char* bytes, std::size_t length)                                        \
        : CGameEvent(Name, Read<Data>(bytes, length, Id, [](CWireReader& in, Data& d) { ReadAll; })) {} \
    std::size_t Class::Serialise(unsigned char*& buffer) const {                                        \
        const Data& d = GetPayload();                                                                   \
        CWireWriter out(buffer);                                                                        \
        out.U8(Id);                                                                                     \
        WriteAll;                                                                                       \
        return Finish(out);                                                                             \
    }

KELVO_WORDS_EVENT(CAniChangeEvt, CAniChangeData, kChangeAniEventName, MSG_CHANGE_ANI, false,
                  (std::uint32_t animation, std::uint32_t objectId),
                  (d.m_animation = animation, d.m_objectId = objectId),
                  (d.m_animation = in.U32(), d.m_objectId = in.U32()), (out.U32(d.m_animation), out.U32(d.m_objectId)))
KELVO_WORDS_EVENT(CRequestItemEvent, CRequestItemEventData, kRequestItemEventName, MSG_REQUEST_ITEM, true,
                  (std::uint32_t itemType, std::uint32_t ownerId), (d.m_itemType = itemType, d.m_ownerId = ownerId),
                  (d.m_itemType = in.U32(), d.m_ownerId = in.U32()), (out.U32(d.m_itemType), out.U32(d.m_ownerId)))
KELVO_WORDS_EVENT(CSharkForceEvt, CSharkForceData, kSharkForceEventName, MSG_SHARK_FORCE, true,
                  (std::uint32_t hitRacerId, std::uint32_t ownerId),
                  (d.m_hitRacerId = hitRacerId, d.m_ownerId = ownerId),
                  (d.m_hitRacerId = in.U32(), d.m_ownerId = in.U32()), (out.U32(d.m_hitRacerId), out.U32(d.m_ownerId)))
KELVO_WORDS_EVENT(CPoleForceEvt, CPoleForceData, kPoleForceEventName, MSG_POLE_FORCE, true,
                  (std::uint32_t hitRacerId, std::uint32_t ownerId),
                  (d.m_hitRacerId = hitRacerId, d.m_ownerId = ownerId),
                  (d.m_hitRacerId = in.U32(), d.m_ownerId = in.U32()), (out.U32(d.m_hitRacerId), out.U32(d.m_ownerId)))
KELVO_WORDS_EVENT(CRacerConnectEvt, CRacerConnectEvtData, kRacerConnectEventName, MSG_RACER_CONNECT, true,
                  (std::uint32_t racerId, std::uint32_t connectionId, std::uint32_t lobbySlot),
                  (d.m_racerId = racerId, d.m_connectionId = connectionId, d.m_lobbySlot = lobbySlot),
                  (d.m_racerId = in.U32(), d.m_connectionId = in.U32(), d.m_lobbySlot = in.U32()),
                  (out.U32(d.m_racerId), out.U32(d.m_connectionId), out.U32(d.m_lobbySlot)))
KELVO_WORDS_EVENT(CReadyToStartRaceEvt, CReadyToStartRaceData, kReadyToStartRaceEventName, MSG_READY_TO_START_RACE,
                  true, (std::uint32_t clientId), d.m_clientId = clientId, d.m_clientId = in.U32(),
                  out.U32(d.m_clientId))
KELVO_WORDS_EVENT(CRacerFinishedRaceEvt, CRacerFinishedRaceEvtData, kPlayerFinishedRaceEventName,
                  MSG_PLAYER_FINISHED_RACE, true, (std::uint32_t racerId), d.m_racerId = racerId,
                  d.m_racerId = in.U32(), out.U32(d.m_racerId))
KELVO_WORDS_EVENT(CChangeNextObjIDEvt, CChangeNextObjIDData, kChangeNextObjIDEventName, MSG_CHANGE_NEXT_OBJ_ID, true,
                  (std::uint32_t nextId), d.m_nextId = nextId, d.m_nextId = in.U32(), out.U32(d.m_nextId))
KELVO_WORDS_EVENT(CIconSpinEvt, CIconSpinData, kIconSpinEventName, MSG_ICON_SPIN, true, (std::uint32_t racerId),
                  d.m_racerId = racerId, d.m_racerId = in.U32(), out.U32(d.m_racerId))

#undef KELVO_WORDS_EVENT

CDestroyItemEvt::CDestroyItemEvt(std::uint32_t itemId)
    : CGameEvent(kDestroyItemEventName, std::make_shared<CIdEventData>(itemId), true) {}

CDestroyItemEvt::CDestroyItemEvt(const unsigned char* bytes, std::size_t length)
    : CGameEvent(kDestroyItemEventName, [&]() -> std::shared_ptr<CIdEventData> {
          CWireReader in(bytes, length);
          const bool id = in.U8() == MSG_DESTROY_ITEM;
          const std::uint32_t value = in.U32();
          return id && in.Complete() ? std::make_shared<CIdEventData>(value) : nullptr;
      }()) {}

std::size_t CDestroyItemEvt::Serialise(unsigned char*& buffer) const {
    CWireWriter out(buffer);
    out.U8(MSG_DESTROY_ITEM);
    out.U32(GetPayload().GetValue());
    return Finish(out);
}

CItemShouldDetachEvt::CItemShouldDetachEvt(std::uint32_t itemId)
    : CGameEvent(kItemShouldDetachEventName, std::make_shared<CIdEventData>(itemId), true) {}

CItemShouldDetachEvt::CItemShouldDetachEvt(const unsigned char* bytes, std::size_t length)
    : CGameEvent(kItemShouldDetachEventName, [&]() -> std::shared_ptr<CIdEventData> {
          CWireReader in(bytes, length);
          const bool id = in.U8() == MSG_ITEM_SHOULD_DETACH;
          const std::uint32_t value = in.U32();
          return id && in.Complete() ? std::make_shared<CIdEventData>(value) : nullptr;
      }()) {}

std::size_t CItemShouldDetachEvt::Serialise(unsigned char*& buffer) const {
    CWireWriter out(buffer);
    out.U8(MSG_ITEM_SHOULD_DETACH);
    out.U32(GetPayload().GetValue());
    return Finish(out);
}

CAttachDetachItemFromRacerEvt::CAttachDetachItemFromRacerEvt(bool attach, std::uint32_t itemId, std::uint32_t racerId,
                                                             std::uint8_t flag, const std::string& attachPoint)
    : CGameEvent(kAttachDetachModelEventName,
                 Make<CAttachDetachItemFromRacerData>([&](CAttachDetachItemFromRacerData& d) {
                     d.m_attach = attach;
                     d.m_racerId = racerId;
                     d.m_itemId = itemId;
                     d.m_flag = flag;
                     d.m_attachPoint = attachPoint;
                 }),
                 true) {}

CAttachDetachItemFromRacerEvt::CAttachDetachItemFromRacerEvt(const unsigned char* bytes, std::size_t length)
    : CGameEvent(kAttachDetachModelEventName,
                 Read<CAttachDetachItemFromRacerData>(bytes, length, MSG_ATTACH_DETACH,
                                                      [](CWireReader& in, CAttachDetachItemFromRacerData& d) {
                                                          d.m_attach = in.Bool();
                                                          d.m_flag = in.Bool() ? 1 : 0;
                                                          d.m_racerId = in.U32();
                                                          d.m_itemId = in.U32();
                                                          d.m_attachPoint = in.String();
                                                      })) {}

std::size_t CAttachDetachItemFromRacerEvt::Serialise(unsigned char*& buffer) const {
    const CAttachDetachItemFromRacerData& d = GetPayload();
    CWireWriter out(buffer);
    out.U8(MSG_ATTACH_DETACH);
    out.Bool(d.m_attach);
    out.U8(d.m_flag);
    out.U32(d.m_racerId);
    out.U32(d.m_itemId);
    out.String(d.m_attachPoint);
    return Finish(out);
}

CChangeRacerFXEvt::CChangeRacerFXEvt(const std::string& effectFileName, const std::string& technique,
                                     std::uint32_t racerId)
    : CGameEvent(kChangeFXFileEventName, Make<CChangeRacerFXData>([&](CChangeRacerFXData& d) {
                     d.m_effectFileName = effectFileName;
                     d.m_technique = technique;
                     d.m_racerId = racerId;
                 }),
                 true) {}

CChangeRacerFXEvt::CChangeRacerFXEvt(const unsigned char* bytes, std::size_t length)
    : CGameEvent(kChangeFXFileEventName, Read<CChangeRacerFXData>(bytes, length, MSG_CHANGE_FX_FILE,
                                                                  [](CWireReader& in, CChangeRacerFXData& d) {
                                                                      d.m_effectFileName = in.UnsignedLengthString();
                                                                      d.m_technique = in.UnsignedLengthString();
                                                                      d.m_racerId = in.U32();
                                                                  })) {}

std::size_t CChangeRacerFXEvt::Serialise(unsigned char*& buffer) const {
    const CChangeRacerFXData& d = GetPayload();
    CWireWriter out(buffer);
    out.U8(MSG_CHANGE_FX_FILE);
    out.String(d.m_effectFileName);
    out.String(d.m_technique);
    out.U32(d.m_racerId);
    return Finish(out);
}

CChangeRacerStateEvt::CChangeRacerStateEvt(bool invincible, std::uint32_t racerId, float boost, float speedScale)
    : CGameEvent(kChangeRacerStateEventName, Make<CChangeRacerStateData>([&](CChangeRacerStateData& d) {
                     d.m_invincible = invincible;
                     d.m_racerId = racerId;
                     d.m_boost = boost;
                     d.m_speedScale = speedScale;
                 }),
                 true) {}

CChangeRacerStateEvt::CChangeRacerStateEvt(const unsigned char* bytes, std::size_t length)
    : CGameEvent(kChangeRacerStateEventName, Read<CChangeRacerStateData>(bytes, length, MSG_CHANGE_RACER_STATE,
                                                                         [](CWireReader& in, CChangeRacerStateData& d) {
                                                                             d.m_invincible = in.U8() != 0;
                                                                             d.m_racerId = in.U32();
                                                                             d.m_boost = in.F32();
                                                                             d.m_speedScale = in.F32();
                                                                         })) {}

std::size_t CChangeRacerStateEvt::Serialise(unsigned char*& buffer) const {
    const CChangeRacerStateData& d = GetPayload();
    CWireWriter out(buffer);
    out.U8(MSG_CHANGE_RACER_STATE);
    out.Bool(d.m_invincible);
    out.U32(d.m_racerId);
    out.F32(d.m_boost);
    out.F32(d.m_speedScale);
    return Finish(out);
}

CStartTrack1Evt::CStartTrack1Evt() : CGameEvent(kStartRaceEventName, nullptr, true) {}

CStartTrack1Evt::CStartTrack1Evt(const unsigned char* bytes, std::size_t length)
    : CGameEvent(kStartRaceEventName, nullptr, false, IsOneByte(bytes, length, MSG_START_RACE)) {}

std::size_t CStartTrack1Evt::Serialise(unsigned char*& buffer) const {
    CWireWriter out(buffer);
    out.U8(MSG_START_RACE);
    return Finish(out);
}

CBeginCountDownEvt::CBeginCountDownEvt() : CGameEvent(kBeginCountDownEventName, nullptr, true) {}

CBeginCountDownEvt::CBeginCountDownEvt(const unsigned char* bytes, std::size_t length)
    : CGameEvent(kBeginCountDownEventName, nullptr, false, IsOneByte(bytes, length, MSG_BEGIN_COUNT_DOWN)) {}

std::size_t CBeginCountDownEvt::Serialise(unsigned char*& buffer) const {
    CWireWriter out(buffer);
    out.U8(MSG_BEGIN_COUNT_DOWN);
    return Finish(out);
}

CCreateItemEvt::CCreateItemEvt(std::uint32_t racerId, std::uint32_t itemType)
    : CGameEvent(kCreateItemEventName, Make<CCreateItemData>([&](CCreateItemData& d) {
                     d.m_racerId = racerId;
                     d.m_itemType = itemType;
                 }),
                 false) {}

CFireItemEvt::CFireItemEvt(std::uint32_t racerId)
    : CGameEvent(kFireItemEventName, std::make_shared<CIdEventData>(racerId), false) {}

CStopItemSpinEvt::CStopItemSpinEvt(std::uint32_t racerId)
    : CGameEvent(kStopItemSpinEventName, std::make_shared<CIdEventData>(racerId), false) {}

} // namespace kelvo
