#include "game/events/creation_events.h"

#include <memory>

#include "game/content/model_data_mgr.h"

namespace kelvo {

namespace {

// Copies the stored record of `key` (the record stays empty for an unknown key) and sets the
// per-instance words the caller gives.
template <typename Data>
std::shared_ptr<Data> MakeRecord(const std::string& key, std::uint32_t objectId, std::uint32_t objectType) {
    auto data = std::make_shared<Data>();
    data->m_knownModel = GetModelDataMgr().Get(key, data->m_modelData);
    data->m_modelData.m_key = key;
    data->m_modelData.m_objectId = objectId;
    data->m_modelData.m_objectType = objectType;
    return data;
}

// A record without graphic data (an unknown key) has no transform to overwrite.
void ApplyTransform(SModelData& record, const common::CVector3* position, const common::CVector3* axis, float angle,
                    const common::CVector3* scale) {
    if (!record.m_graphic) {
        return;
    }
    if (position != nullptr) {
        record.m_graphic->m_position = *position;
    }
    if (axis != nullptr) {
        record.m_graphic->m_rotationAxis = *axis;
        record.m_graphic->m_rotationAngle = angle;
    }
    if (scale != nullptr) {
        record.m_graphic->m_scale = *scale;
    }
}

const SModelData::SGraphicData& GraphicOrZero(const SModelData& record) {
    static const SModelData::SGraphicData zero;
    return record.m_graphic ? *record.m_graphic : zero;
}

// Every creation message opens with its type byte, the model key and the object id.
bool ReadHead(CWireReader& in, std::uint8_t type, std::string& key, std::uint32_t& objectId) {
    if (in.U8() != type) {
        return false;
    }
    key = in.String();
    objectId = in.U32();
    return true;
}

void WriteHead(CWireWriter& out, std::uint8_t type, const SModelData& record) {
    out.U8(type);
    out.String(record.m_key);
    out.U32(record.m_objectId);
}

std::shared_ptr<CCreateRacerData> ReadRacer(const unsigned char* bytes, std::size_t length) {
    CWireReader in(bytes, length);
    std::string key;
    std::uint32_t objectId = 0;
    if (!ReadHead(in, MSG_CREATE_RACER, key, objectId)) {
        return nullptr;
    }
    const std::uint32_t owner = in.U32();
    const std::uint8_t secondary = in.U8();
    const std::uint8_t control = in.U8();
    const std::uint32_t objectType = in.U32();
    const common::CVector3 position = in.Vector();
    if (!in.Complete()) {
        return nullptr;
    }
    auto data = MakeRecord<CCreateRacerData>(key, objectId, objectType);
    data->m_ownerClientId = owner;
    data->m_secondary = secondary;
    data->m_participant = 1;
    data->m_modelData.m_controlKind = (control == 1 || control == 2) ? control : 0;
    ApplyTransform(data->m_modelData, &position, nullptr, 0.0f, nullptr);
    return data;
}

std::shared_ptr<CCreateItemFromKeyData> ReadItem(const unsigned char* bytes, std::size_t length) {
    CWireReader in(bytes, length);
    std::string key;
    std::uint32_t objectId = 0;
    if (!ReadHead(in, MSG_CREATE_ITEM, key, objectId)) {
        return nullptr;
    }
    const std::uint8_t flag = in.U8();
    const std::uint8_t control = in.U8();
    const std::uint32_t objectType = in.U32();
    const std::uint32_t owner = in.U32();
    if (!in.Complete()) {
        return nullptr;
    }
    auto data = MakeRecord<CCreateItemFromKeyData>(key, objectId, objectType);
    data->m_flag = flag;
    data->m_modelData.m_controlKind = control;
    data->m_modelData.m_ownerId = owner;
    data->m_live = 1;
    return data;
}

std::shared_ptr<CCreateParticleSysFromKeyData> ReadParticleSys(const unsigned char* bytes, std::size_t length) {
    CWireReader in(bytes, length);
    std::string key;
    std::uint32_t objectId = 0;
    if (!ReadHead(in, MSG_CREATE_PARTSYS, key, objectId)) {
        return nullptr;
    }
    const std::uint8_t flag = in.U8();
    const common::CVector3 position = in.Vector();
    const common::CVector3 axis = in.Vector();
    const float angle = in.F32();
    const common::CVector3 scale = in.Vector();
    if (!in.Complete()) {
        return nullptr;
    }
    auto data = MakeRecord<CCreateParticleSysFromKeyData>(key, objectId, 0);
    data->m_flag = flag;
    ApplyTransform(data->m_modelData, &position, &axis, angle, &scale);
    return data;
}

std::shared_ptr<CCreateLightData> ReadLight(const unsigned char* bytes, std::size_t length) {
    CWireReader in(bytes, length);
    std::string key;
    std::uint32_t objectId = 0;
    if (!ReadHead(in, MSG_CREATE_LIGHT, key, objectId)) {
        return nullptr;
    }
    const std::uint8_t flag = in.U8();
    const std::uint8_t control = in.U8();
    const std::uint32_t objectType = in.U32();
    if (!in.Complete()) {
        return nullptr;
    }
    auto data = MakeRecord<CCreateLightData>(key, objectId, objectType);
    data->m_flag = flag;
    data->m_modelData.m_controlKind = control == 2 ? 2 : 1;
    return data;
}

} // namespace

CCreateRacerEvt::CCreateRacerEvt(const std::string& key, std::uint32_t objectId, std::uint32_t ownerClientId,
                                 std::uint8_t participant, std::uint8_t secondary, std::uint32_t controlKind,
                                 std::uint32_t objectType, const common::CVector3& position,
                                 const common::CVector3* axis, float angle, const common::CVector3* scale)
    : CGameEvent(
          kCreateRacerEventName,
          [&] {
              auto data = MakeRecord<CCreateRacerData>(key, objectId, objectType);
              data->m_ownerClientId = ownerClientId;
              data->m_participant = participant;
              data->m_secondary = secondary;
              data->m_modelData.m_controlKind = controlKind;
              ApplyTransform(data->m_modelData, &position, axis, angle, scale);
              return data;
          }(),
          true) {}

CCreateRacerEvt::CCreateRacerEvt(const unsigned char* bytes, std::size_t length)
    : CGameEvent(kCreateRacerEventName, ReadRacer(bytes, length)) {}

std::size_t CCreateRacerEvt::Serialise(unsigned char*& buffer) const {
    const CCreateRacerData& data = GetRecord();
    CWireWriter out(buffer);
    WriteHead(out, MSG_CREATE_RACER, data.m_modelData);
    out.U32(data.m_ownerClientId);
    out.U8(data.m_secondary);
    // The receiver drives no remote racer itself: its factory decides by the owner client id.
    out.U8(0);
    out.U32(data.m_modelData.m_objectType);
    out.Vector(GraphicOrZero(data.m_modelData).m_position);
    return Finish(out);
}

CCreateItemFromKeyEvt::CCreateItemFromKeyEvt(const std::string& key, std::uint32_t objectId, std::uint8_t flag,
                                             std::uint32_t controlKind, std::uint32_t objectType, std::uint32_t ownerId,
                                             std::uint8_t live)
    : CGameEvent(
          kCreateItemFromKeyEventName,
          [&] {
              auto data = MakeRecord<CCreateItemFromKeyData>(key, objectId, objectType);
              data->m_flag = flag;
              data->m_live = live;
              data->m_modelData.m_controlKind = controlKind;
              data->m_modelData.m_ownerId = ownerId;
              return data;
          }(),
          true) {}

CCreateItemFromKeyEvt::CCreateItemFromKeyEvt(const unsigned char* bytes, std::size_t length)
    : CGameEvent(kCreateItemFromKeyEventName, ReadItem(bytes, length)) {}

std::size_t CCreateItemFromKeyEvt::Serialise(unsigned char*& buffer) const {
    const CCreateItemFromKeyData& data = GetRecord();
    CWireWriter out(buffer);
    WriteHead(out, MSG_CREATE_ITEM, data.m_modelData);
    out.U8(data.m_flag);
    out.U8(static_cast<std::uint8_t>(data.m_modelData.m_controlKind));
    out.U32(data.m_modelData.m_objectType);
    out.U32(data.m_modelData.m_ownerId);
    return Finish(out);
}

CCreateParticleSysFromKeyEvt::CCreateParticleSysFromKeyEvt(const std::string& key, std::uint32_t objectId,
                                                           std::uint8_t flag, const common::CVector3& position,
                                                           const common::CVector3* axis, float angle,
                                                           const common::CVector3* scale)
    : CGameEvent(
          kCreatePartSysEventName,
          [&] {
              auto data = MakeRecord<CCreateParticleSysFromKeyData>(key, objectId, 0);
              data->m_flag = flag;
              ApplyTransform(data->m_modelData, &position, axis, angle, scale);
              return data;
          }(),
          true) {}

CCreateParticleSysFromKeyEvt::CCreateParticleSysFromKeyEvt(const unsigned char* bytes, std::size_t length)
    : CGameEvent(kCreatePartSysEventName, ReadParticleSys(bytes, length)) {}

std::size_t CCreateParticleSysFromKeyEvt::Serialise(unsigned char*& buffer) const {
    const CCreateParticleSysFromKeyData& data = GetRecord();
    const SModelData::SGraphicData& graphic = GraphicOrZero(data.m_modelData);
    CWireWriter out(buffer);
    WriteHead(out, MSG_CREATE_PARTSYS, data.m_modelData);
    out.U8(data.m_flag);
    out.Vector(graphic.m_position);
    out.Vector(graphic.m_rotationAxis);
    out.F32(graphic.m_rotationAngle);
    out.Vector(graphic.m_scale);
    return Finish(out);
}

CCreateLight::CCreateLight(const std::string& key, std::uint32_t objectId, std::uint8_t flag, std::uint32_t controlKind,
                           std::uint32_t objectType, const common::CVector3* position)
    : CGameEvent(
          kCreateLightEventName,
          [&] {
              auto data = MakeRecord<CCreateLightData>(key, objectId, objectType);
              data->m_flag = flag;
              data->m_modelData.m_controlKind = controlKind;
              ApplyTransform(data->m_modelData, position, nullptr, 0.0f, nullptr);
              return data;
          }(),
          true) {}

CCreateLight::CCreateLight(const unsigned char* bytes, std::size_t length)
    : CGameEvent(kCreateLightEventName, ReadLight(bytes, length)) {}

std::size_t CCreateLight::Serialise(unsigned char*& buffer) const {
    const CCreateLightData& data = GetRecord();
    CWireWriter out(buffer);
    WriteHead(out, MSG_CREATE_LIGHT, data.m_modelData);
    out.U8(data.m_flag);
    out.U8(static_cast<std::uint8_t>(data.m_modelData.m_controlKind));
    out.U32(data.m_modelData.m_objectType);
    return Finish(out);
}

CCreateEnvObjEvt::CCreateEnvObjEvt(const std::string& key, std::uint32_t objectId, std::uint8_t opaque,
                                   std::uint8_t secondFlag, std::uint32_t objectType, const common::CVector3* position,
                                   std::uint8_t thirdFlag)
    : CGameEvent(
          kCreateEnvironmentObjEventName,
          [&] {
              auto data = MakeRecord<CCreateEnvObjData>(key, objectId, objectType);
              data->m_opaque = opaque;
              data->m_secondFlag = secondFlag;
              data->m_thirdFlag = thirdFlag;
              ApplyTransform(data->m_modelData, position, nullptr, 0.0f, nullptr);
              return data;
          }(),
          false) {}

CCreateEnvObjEvt::CCreateEnvObjEvt(const std::string& key, std::uint32_t objectId, std::uint8_t opaque,
                                   std::uint8_t secondFlag, std::uint32_t objectType, const common::CVector3* position,
                                   const common::CVector3* axis, float angle, const common::CVector3* scale,
                                   std::uint8_t thirdFlag)
    : CCreateEnvObjEvt(key, objectId, opaque, secondFlag, objectType, position, thirdFlag) {
    SModelData& record = static_cast<CCreateEnvObjData*>(GetData())->m_modelData;
    ApplyTransform(record, nullptr, axis, angle, scale);
    // This form always writes the angle, with or without an axis.
    if (record.m_graphic) {
        record.m_graphic->m_rotationAngle = angle;
    }
}

CCreateTriggerObjEvt::CCreateTriggerObjEvt(const std::string& key, std::uint32_t objectId, std::uint8_t flag,
                                           std::uint32_t objectType, const common::CVector3* position,
                                           const common::CVector3* axis, float angle, const common::CVector3* scale)
    : CGameEvent(
          kCreateTriggerObjEventName,
          [&] {
              auto data = MakeRecord<CCreateTriggerObjEvtData>(key, objectId, objectType);
              data->m_flag = flag;
              ApplyTransform(data->m_modelData, position, axis, angle, scale);
              return data;
          }(),
          false) {}

CMakeWaterEvt::CMakeWaterEvt(const std::string& key, std::uint32_t objectId, std::uint8_t flag,
                             std::uint32_t objectType)
    : CGameEvent(
          kMakeWaterEventName,
          [&] {
              auto data = MakeRecord<CMakeWaterEvtData>(key, objectId, objectType);
              data->m_flag = flag;
              return data;
          }(),
          false) {}

CMakeTerrainEvt::CMakeTerrainEvt(const std::string& key, std::uint32_t objectId, std::uint8_t flag,
                                 std::uint32_t objectType)
    : CGameEvent(
          kMakeTerrainEventName,
          [&] {
              auto data = MakeRecord<CMakeTerrainEvtData>(key, objectId, objectType);
              data->m_flag = flag;
              return data;
          }(),
          false) {}

} // namespace kelvo
