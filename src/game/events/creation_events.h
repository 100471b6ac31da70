// The eight creation events: each carries a copy of the model-data record of its key, with the
// instance values (object id, type, owner, control kind, transform) filled in, for the factory
// that builds the object. The record is looked up in GetModelDataMgr() when the event is made
// (on the sending or the receiving thread); a key it does not hold leaves the record empty and
// marks the payload unknown, which the socket and the level loader refuse to build from.
#pragma once

#include <cstdint>
#include <string>

#include "game/content/model_data.h"
#include "game/events/game_event.h"
#include "libs/common/vector3.h"

namespace kelvo {

struct SCreationRecord : velm::IEventData {
    SModelData m_modelData;
    // The key named a stored model when the record was made.
    bool m_knownModel = false;
};

struct CCreateRacerData : SCreationRecord {
    std::uint32_t m_ownerClientId = 0;
    // Registered with the item manager and the race rank tracker.
    std::uint8_t m_participant = 0;
    // Goes into the game's secondary object tables.
    std::uint8_t m_secondary = 0;
};

struct CCreateItemFromKeyData : SCreationRecord {
    std::uint8_t m_flag = 0;
    // 1 for an item a racer fires, 0 for an item template.
    std::uint8_t m_live = 0;
};

struct CCreateEnvObjData : SCreationRecord {
    std::uint8_t m_opaque = 0;
    std::uint8_t m_secondFlag = 0;
    std::uint8_t m_thirdFlag = 0;
};

struct CCreateParticleSysFromKeyData : SCreationRecord {
    std::uint8_t m_flag = 0;
};

struct CCreateLightData : SCreationRecord {
    std::uint8_t m_flag = 0;
};

struct CCreateTriggerObjEvtData : SCreationRecord {
    std::uint8_t m_flag = 0;
};

struct CMakeWaterEvtData : SCreationRecord {
    std::uint8_t m_flag = 0;
};

struct CMakeTerrainEvtData : SCreationRecord {
    std::uint8_t m_flag = 0;
};

// Optional transform arguments are pointers: null leaves the model data's own value.

class CCreateRacerEvt : public CGameEvent {
public:
    CCreateRacerEvt(const std::string& key, std::uint32_t objectId, std::uint32_t ownerClientId,
                    std::uint8_t participant, std::uint8_t secondary, std::uint32_t controlKind,
                    std::uint32_t objectType, const common::CVector3& position, const common::CVector3* axis = nullptr,
                    float angle = 0.0f, const common::CVector3* scale = nullptr);
    CCreateRacerEvt(const unsigned char* bytes, std::size_t length);
    std::size_t Serialise(unsigned char*& buffer) const override;
    const CCreateRacerData& GetRecord() const { return *static_cast<CCreateRacerData*>(GetData()); }
};

class CCreateItemFromKeyEvt : public CGameEvent {
public:
    CCreateItemFromKeyEvt(const std::string& key, std::uint32_t objectId, std::uint8_t flag, std::uint32_t controlKind,
                          std::uint32_t objectType, std::uint32_t ownerId, std::uint8_t live);
    CCreateItemFromKeyEvt(const unsigned char* bytes, std::size_t length);
    std::size_t Serialise(unsigned char*& buffer) const override;
    const CCreateItemFromKeyData& GetRecord() const { return *static_cast<CCreateItemFromKeyData*>(GetData()); }
};

class CCreateParticleSysFromKeyEvt : public CGameEvent {
public:
    CCreateParticleSysFromKeyEvt(const std::string& key, std::uint32_t objectId, std::uint8_t flag,
                                 const common::CVector3& position, const common::CVector3* axis = nullptr,
                                 float angle = 0.0f, const common::CVector3* scale = nullptr);
    CCreateParticleSysFromKeyEvt(const unsigned char* bytes, std::size_t length);
    std::size_t Serialise(unsigned char*& buffer) const override;
    const CCreateParticleSysFromKeyData& GetRecord() const {
        return *static_cast<CCreateParticleSysFromKeyData*>(GetData());
    }
};

class CCreateLight : public CGameEvent {
public:
    CCreateLight(const std::string& key, std::uint32_t objectId, std::uint8_t flag, std::uint32_t controlKind,
                 std::uint32_t objectType, const common::CVector3* position = nullptr);
    CCreateLight(const unsigned char* bytes, std::size_t length);
    std::size_t Serialise(unsigned char*& buffer) const override;
    const CCreateLightData& GetRecord() const { return *static_cast<CCreateLightData*>(GetData()); }
};

class CCreateEnvObjEvt : public CGameEvent {
public:
    CCreateEnvObjEvt(const std::string& key, std::uint32_t objectId, std::uint8_t opaque, std::uint8_t secondFlag,
                     std::uint32_t objectType, const common::CVector3* position, std::uint8_t thirdFlag);
    CCreateEnvObjEvt(const std::string& key, std::uint32_t objectId, std::uint8_t opaque, std::uint8_t secondFlag,
                     std::uint32_t objectType, const common::CVector3* position, const common::CVector3* axis,
                     float angle, const common::CVector3* scale, std::uint8_t thirdFlag);
    const CCreateEnvObjData& GetRecord() const { return *static_cast<CCreateEnvObjData*>(GetData()); }
};

class CCreateTriggerObjEvt : public CGameEvent {
public:
    CCreateTriggerObjEvt(const std::string& key, std::uint32_t objectId, std::uint8_t flag, std::uint32_t objectType,
                         const common::CVector3* position = nullptr, const common::CVector3* axis = nullptr,
                         float angle = 0.0f, const common::CVector3* scale = nullptr);
    const CCreateTriggerObjEvtData& GetRecord() const { return *static_cast<CCreateTriggerObjEvtData*>(GetData()); }
};

class CMakeWaterEvt : public CGameEvent {
public:
    CMakeWaterEvt(const std::string& key, std::uint32_t objectId, std::uint8_t flag, std::uint32_t objectType);
    const CMakeWaterEvtData& GetRecord() const { return *static_cast<CMakeWaterEvtData*>(GetData()); }
};

class CMakeTerrainEvt : public CGameEvent {
public:
    CMakeTerrainEvt(const std::string& key, std::uint32_t objectId, std::uint8_t flag, std::uint32_t objectType);
    const CMakeTerrainEvtData& GetRecord() const { return *static_cast<CMakeTerrainEvtData*>(GetData()); }
};

} // namespace kelvo
