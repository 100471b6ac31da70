// The game's events other than the creation records: requests and answers of the lobby, level
// loading, position and animation updates, items, race progress and racer changes, and the
// local-only item events. Replicated events have a sending constructor (values in) and a
// receiving one (wire bytes in); the receiving ones leave IsIntact() false on a bad layout.
#pragma once

#include <cstdint>
#include <string>

#include "game/events/game_event.h"
#include "libs/common/quaternion.h"
#include "libs/common/vector3.h"

namespace kelvo {

struct CChangeRacerFXData : velm::IEventData {
    std::string m_effectFileName;
    std::string m_technique;
    std::uint32_t m_racerId = 0;
};

struct CChangeRacerStateData : velm::IEventData {
    bool m_invincible = false;
    std::uint32_t m_racerId = 0;
    float m_boost = 0.0f;
    float m_speedScale = 0.0f;
};

struct CLoadLevelEvtData : velm::IEventData {
    // Relative to the XML data folder, e.g. "race_track1.xml".
    std::string m_fileName;
};

struct CAttachDetachItemFromRacerData : velm::IEventData {
    bool m_attach = false;
    std::uint32_t m_racerId = 0;
    std::uint32_t m_itemId = 0;
    std::uint8_t m_flag = 0;
    // A bone of the racer's mesh.
    std::string m_attachPoint;
};

struct CPositionUpdateData : velm::IEventData {
    common::CVector3 m_position;
    common::CVector3 m_velocity;
    common::CQuaternion m_orientation;
    std::uint32_t m_objectId = 0;
    std::uint32_t m_ownerClientId = 0;
};

struct CCreateItemData : velm::IEventData {
    std::uint32_t m_racerId = 0;
    // 0 lets the item manager draw one by race place.
    std::uint32_t m_itemType = 0;
};

struct CRequestHumanRacerIDData : velm::IEventData {
    std::uint32_t m_character = 0;
    std::uint32_t m_clientId = 0;
};

struct CAcceptedHumanRacerIDData : velm::IEventData {
    std::uint32_t m_racerId = 0;
};

struct CChangeNextObjIDData : velm::IEventData {
    std::uint32_t m_nextId = 0;
};

struct CIconSpinData : velm::IEventData {
    std::uint32_t m_racerId = 0;
};

struct CReadyToStartRaceData : velm::IEventData {
    std::uint32_t m_clientId = 0;
};

struct CRacerFinishedRaceEvtData : velm::IEventData {
    std::uint32_t m_racerId = 0;
};

struct CAniChangeData : velm::IEventData {
    std::uint32_t m_animation = 0;
    std::uint32_t m_objectId = 0;
};

// The owner's id twice when a reflective coat turned the hit back.
struct CSharkForceData : velm::IEventData {
    std::uint32_t m_hitRacerId = 0;
    std::uint32_t m_ownerId = 0;
};

struct CPoleForceData : velm::IEventData {
    std::uint32_t m_hitRacerId = 0;
    std::uint32_t m_ownerId = 0;
};

struct CRequestItemEventData : velm::IEventData {
    std::uint32_t m_itemType = 0;
    std::uint32_t m_ownerId = 0;
};

struct CRacerConnectEvtData : velm::IEventData {
    std::uint32_t m_racerId = 0;
    std::uint32_t m_connectionId = 0;
    std::uint32_t m_lobbySlot = 0;
};

using CIdEventData = velm::CEventData<unsigned int>;

// Declares a replicated event class: its payload accessor, both constructors and Serialise.
#define KELVO_REPLICATED_EVENT(Class, Data, ...)                                  \
    class Class : public CGameEvent {                                             \
    public:                                                                       \
        explicit Class(__VA_ARGS__);                                              \
        Class(const unsigned char* bytes, std::size_t length);                    \
        std::size_t Serialise(unsigned char*& buffer) const override;             \
        const Data& GetPayload() const { return *static_cast<Data*>(GetData()); } \
    }

// Peers may send these two; nothing here raises them, so they have no sending constructor.
class CRequestHumanRacerID : public CGameEvent {
public:
    CRequestHumanRacerID(const unsigned char* bytes, std::size_t length);
    const CRequestHumanRacerIDData& GetPayload() const { return *static_cast<CRequestHumanRacerIDData*>(GetData()); }
};

class CAcceptedHumanRacerID : public CGameEvent {
public:
    CAcceptedHumanRacerID(const unsigned char* bytes, std::size_t length);
    const CAcceptedHumanRacerIDData& GetPayload() const { return *static_cast<CAcceptedHumanRacerIDData*>(GetData()); }
};

KELVO_REPLICATED_EVENT(CLoadLevelEvt, CLoadLevelEvtData, const std::string& fileName);
KELVO_REPLICATED_EVENT(CPositionUpdate, CPositionUpdateData, const common::CVector3& position,
                       const common::CVector3& velocity, const common::CQuaternion& orientation, std::uint32_t objectId,
                       std::uint32_t ownerClientId);
KELVO_REPLICATED_EVENT(CAniChangeEvt, CAniChangeData, std::uint32_t animation, std::uint32_t objectId);
KELVO_REPLICATED_EVENT(CRequestItemEvent, CRequestItemEventData, std::uint32_t itemType, std::uint32_t ownerId);
KELVO_REPLICATED_EVENT(CDestroyItemEvt, CIdEventData, std::uint32_t itemId);
KELVO_REPLICATED_EVENT(CRacerConnectEvt, CRacerConnectEvtData, std::uint32_t racerId, std::uint32_t connectionId,
                       std::uint32_t lobbySlot);
// Item before racer here; racer before item in the payload and on the wire.
KELVO_REPLICATED_EVENT(CAttachDetachItemFromRacerEvt, CAttachDetachItemFromRacerData, bool attach, std::uint32_t itemId,
                       std::uint32_t racerId, std::uint8_t flag, const std::string& attachPoint);
KELVO_REPLICATED_EVENT(CItemShouldDetachEvt, CIdEventData, std::uint32_t itemId);
KELVO_REPLICATED_EVENT(CReadyToStartRaceEvt, CReadyToStartRaceData, std::uint32_t clientId);
KELVO_REPLICATED_EVENT(CRacerFinishedRaceEvt, CRacerFinishedRaceEvtData, std::uint32_t racerId);
KELVO_REPLICATED_EVENT(CChangeRacerFXEvt, CChangeRacerFXData, const std::string& effectFileName,
                       const std::string& technique, std::uint32_t racerId);
// The racer model's invincible flag, id, boost and speed multiplier.
KELVO_REPLICATED_EVENT(CChangeRacerStateEvt, CChangeRacerStateData, bool invincible, std::uint32_t racerId, float boost,
                       float speedScale);
KELVO_REPLICATED_EVENT(CChangeNextObjIDEvt, CChangeNextObjIDData, std::uint32_t nextId);
KELVO_REPLICATED_EVENT(CSharkForceEvt, CSharkForceData, std::uint32_t hitRacerId, std::uint32_t ownerId);
KELVO_REPLICATED_EVENT(CPoleForceEvt, CPoleForceData, std::uint32_t hitRacerId, std::uint32_t ownerId);
KELVO_REPLICATED_EVENT(CIconSpinEvt, CIconSpinData, std::uint32_t racerId);

#undef KELVO_REPLICATED_EVENT

// The two events without a payload: one byte on the wire.
class CStartTrack1Evt : public CGameEvent {
public:
    CStartTrack1Evt();
    CStartTrack1Evt(const unsigned char* bytes, std::size_t length);
    std::size_t Serialise(unsigned char*& buffer) const override;
};

class CBeginCountDownEvt : public CGameEvent {
public:
    CBeginCountDownEvt();
    CBeginCountDownEvt(const unsigned char* bytes, std::size_t length);
    std::size_t Serialise(unsigned char*& buffer) const override;
};

// Local-only events: they never travel (Serialise gives 0).
class CCreateItemEvt : public CGameEvent {
public:
    CCreateItemEvt(std::uint32_t racerId, std::uint32_t itemType);
    const CCreateItemData& GetPayload() const { return *static_cast<CCreateItemData*>(GetData()); }
};

class CFireItemEvt : public CGameEvent {
public:
    explicit CFireItemEvt(std::uint32_t racerId);
    const CIdEventData& GetPayload() const { return *static_cast<CIdEventData*>(GetData()); }
};

class CStopItemSpinEvt : public CGameEvent {
public:
    explicit CStopItemSpinEvt(std::uint32_t racerId);
    const CIdEventData& GetPayload() const { return *static_cast<CIdEventData*>(GetData()); }
};

} // namespace kelvo
