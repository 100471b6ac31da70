#include "game/flow/level_loader.h"

#include <cstdio>
#include <utility>

#include "engine/core/object_id.h"
#include "engine/events/event_manager.h"
#include "game/content/model_data_keys.h"
#include "game/content/model_data_mgr.h"
#include "game/content/object_type.h"
#include "game/events/creation_events.h"
#include "libs/common/checked_number.h"

namespace kelvo {

const char* const CLevelLoader::kUseStoredFileName = "UseExistedLevelFileName";

namespace {

// A placement's numbers are checked: one that is not finite or lies beyond the world is said,
// naming the file and the field, and read as 0.
float Float(const common::CXmlReader& reader, const char* element, const char* name) {
    return common::ReadFloat(reader.GetValue(name), common::kAnyDataNumber, reader.GetFileName(),
                             std::string(element) + " " + name);
}

struct STransform {
    common::CVector3 m_position;
    common::CVector3 m_axis;
    float m_angle = 0.0f;
    common::CVector3 m_scale;
};

// The reader stands in Pos, after its entry was read.
STransform ReadTransform(common::CXmlReader& reader) {
    STransform t;
    t.m_position = common::ReadVector(reader, "Pos");
    reader.Enter("RotationInfo");
    t.m_axis = common::ReadVector(reader, "RotationInfo");
    t.m_angle = Float(reader, "RotationInfo", "Angle");
    reader.Enter("Scalars");
    t.m_scale = common::ReadVector(reader, "Scalars");
    return t;
}

// Steps into the list's next entry and gives its Type; empty once the list has run out.
std::string NextEntryType(common::CXmlReader& reader) {
    reader.Enter("entry");
    return reader.GetValue("Type");
}

// The model data of a placement keyword, or the empty string (logged) when none is loaded.
std::string KnownKey(const std::string& keyword, const char* section) {
    std::string key = ModelDataKeyFromTypeName(keyword);
    if (!GetModelDataMgr().Has(key)) {
        std::fprintf(stderr, "Level %s: \"%s\" names no loaded model data (%s); not built\n", section, keyword.c_str(),
                     key.c_str());
        key.clear();
    }
    return key;
}

} // namespace

CLevelLoader::CLevelLoader(ILevelLoaderHost* host, std::string folder) : m_host(host), m_folder(std::move(folder)) {}

void CLevelLoader::LoadLevel(const std::string& name) {
    common::CXmlReader reader;
    reader.LoadContent(m_folder + (name == kUseStoredFileName ? m_fileName : name),
                       "the track has no water, terrain, sky, lights or objects of its own");
    reader.Enter("Level");
    ReadWaters(reader.GetValue("WatersFile"));
    ReadTerrains(reader.GetValue("TerrainsFile"));
    ReadSkybox(reader);
    ReadLights(reader);
    ReadEnvObjs(reader);
    ReadParticleSystems(reader);
    ReadTriggerObjs(reader);
}

void CLevelLoader::ReadList(const std::string& fileName, const char* root, bool water) {
    if (fileName.empty()) {
        std::fprintf(stderr, "Level: no %s file is named; the track has none\n", root);
        return;
    }
    common::CXmlReader reader;
    reader.LoadContent(m_folder + fileName, std::string("the track has no ") + (water ? "water" : "terrain"));
    reader.Enter(root);
    for (;;) {
        const std::string type = NextEntryType(reader);
        if (type.empty()) {
            return;
        }
        const std::uint32_t id = velm::NewObjectID();
        const std::string key = KnownKey(type, root);
        if (key.empty()) {
            continue;
        }
        if (water) {
            velm::TriggerEvent(CMakeWaterEvt(key, id, 0, OBJECT_WATER));
        } else {
            velm::TriggerEvent(CMakeTerrainEvt(key, id, 0, OBJECT_TERRAIN));
        }
    }
}

void CLevelLoader::ReadWaters(const std::string& fileName) { ReadList(fileName, "Waters", true); }

void CLevelLoader::ReadTerrains(const std::string& fileName) { ReadList(fileName, "Terrains", false); }

void CLevelLoader::ReadSkybox(common::CXmlReader& reader) {
    reader.Enter("Skybox");
    const std::string faces[6] = {reader.GetValue("right"), reader.GetValue("left"),  reader.GetValue("up"),
                                  reader.GetValue("down"),  reader.GetValue("front"), reader.GetValue("back")};
    const float scalar = Float(reader, "Skybox", "scalar");
    if (m_host != nullptr) {
        m_host->CreateSkyBox(scalar, faces);
    }
    reader.Enter("EnvMap");
    const std::string texture = reader.GetValue("TextureName");
    if (m_host != nullptr) {
        m_host->SetWaterEnvironmentMap(texture);
    }
}

void CLevelLoader::ReadLights(common::CXmlReader& reader) {
    reader.Enter("Lights");
    // The light's values come from its model data; the file's two names are not used.
    if (!CreatesObjects()) {
        return;
    }
    const std::uint32_t id = velm::NewObjectID();
    const std::string key = "LightModelData";
    if (!GetModelDataMgr().Has(key)) {
        std::fprintf(stderr, "Level Lights: no model data %s; no light built\n", key.c_str());
        return;
    }
    velm::TriggerEvent(CCreateLight(key, id, 0, 1, OBJECT_LIGHT, nullptr));
}

void CLevelLoader::ReadEnvObjs(common::CXmlReader& reader) {
    reader.Enter("EnvObjs");
    for (;;) {
        reader.Enter("entry");
        const std::string opaqueText = reader.GetValue("Opaque");
        if (opaqueText.empty()) {
            return;
        }
        const std::string type = reader.GetValue("Type");
        const std::uint8_t opaque = opaqueText == "FALSE" ? 0 : 1;
        reader.Enter("Pos");
        const bool placed = reader.GetValue("entry") != "none";
        const std::uint32_t id = velm::NewObjectID();
        const std::uint32_t objectType = ObjectTypeFromName(type);
        if (objectType == OBJECT_LOG && m_host != nullptr) {
            m_host->AddLevelLog(id);
        }
        if (!placed) {
            if (CreatesObjects()) {
                const std::string key = KnownKey(type, "EnvObjs");
                if (!key.empty()) {
                    velm::TriggerEvent(CCreateEnvObjEvt(key, id, opaque, 0, objectType, nullptr, 0));
                }
            }
            continue;
        }
        const STransform t = ReadTransform(reader);
        if (CreatesObjects()) {
            const std::string key = KnownKey(type, "EnvObjs");
            if (!key.empty()) {
                velm::TriggerEvent(CCreateEnvObjEvt(key, id, opaque, 0, objectType, &t.m_position, &t.m_axis, t.m_angle,
                                                    &t.m_scale, 0));
            }
        }
    }
}

void CLevelLoader::ReadParticleSystems(common::CXmlReader& reader) {
    reader.Enter("ParticleSystems");
    for (;;) {
        const std::string type = NextEntryType(reader);
        if (type.empty()) {
            return;
        }
        reader.Enter("Pos");
        const STransform t = ReadTransform(reader);
        if (!CreatesObjects()) {
            continue;
        }
        const std::uint32_t id = velm::NewObjectID();
        const std::string key = KnownKey(type, "ParticleSystems");
        if (!key.empty()) {
            velm::TriggerEvent(
                CCreateParticleSysFromKeyEvt(key, id, 0, t.m_position, &t.m_axis, t.m_angle, &t.m_scale));
        }
    }
}

void CLevelLoader::ReadTriggerObjs(common::CXmlReader& reader) {
    reader.Enter("TriggerObjs");
    for (;;) {
        const std::string type = NextEntryType(reader);
        if (type.empty()) {
            return;
        }
        reader.Enter("Pos");
        const bool placed = reader.GetValue("entry") != "none";
        STransform t;
        if (placed) {
            t = ReadTransform(reader);
        }
        if (!CreatesObjects()) {
            continue;
        }
        const std::uint32_t id = velm::NewObjectID();
        const std::string key = KnownKey(type, "TriggerObjs");
        if (key.empty()) {
            continue;
        }
        const std::uint32_t objectType = ObjectTypeFromName(type);
        if (placed) {
            velm::TriggerEvent(
                CCreateTriggerObjEvt(key, id, 0, objectType, &t.m_position, &t.m_axis, t.m_angle, &t.m_scale));
        } else {
            velm::TriggerEvent(CCreateTriggerObjEvt(key, id, 0, objectType));
        }
    }
}

void CLevelLoader::ReadItemTemplates(const std::string& fileName) {
    common::CXmlReader reader;
    reader.LoadContent(m_folder + fileName, "no item templates are made");
    reader.Enter("Items");
    for (;;) {
        const std::string type = NextEntryType(reader);
        if (type.empty()) {
            return;
        }
        const std::uint32_t id = velm::NewObjectID();
        const std::string key = KnownKey(type, "Items");
        if (!key.empty()) {
            velm::TriggerEvent(CCreateItemFromKeyEvt(key, id, 0, 0, OBJECT_GENERIC_ITEM, 0, 0));
        }
    }
}

} // namespace kelvo
