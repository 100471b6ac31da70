#include "game/content/model_data_mgr.h"

#include <cstdio>
#include <iterator>
#include <set>
#include <utility>

namespace kelvo {

namespace {

CModelDataMgr* s_installed = nullptr;

} // namespace

CModelDataMgr::CModelDataMgr(std::string folder, SoundMaker makeSound)
    : m_folder(std::move(folder)), m_makeSound(std::move(makeSound)) {}

std::vector<std::string> CModelDataMgr::TextureNames() const {
    std::set<std::string> names;
    for (const auto& [key, record] : m_records) {
        if (record.m_graphic != nullptr) {
            for (const auto& texture : record.m_graphic->m_textures) {
                names.insert(texture.first);
            }
        }
        if (record.m_terrain != nullptr) {
            names.insert(std::begin(record.m_terrain->m_textures), std::end(record.m_terrain->m_textures));
        }
        if (record.m_water != nullptr) {
            names.insert(record.m_water->m_specularMap);
            names.insert(record.m_water->m_normalMap);
        }
    }
    names.erase("");
    return std::vector<std::string>(names.begin(), names.end());
}

void CModelDataMgr::Load(const std::string& key, const std::string& modelFile, const std::string& instanceFile) {
    if (Has(key)) {
        return;
    }
    SModelData record;
    record.m_key = key;
    if (modelFile != "none") {
        common::CXmlReader model;
        model.LoadContent(m_folder + modelFile, "model data " + key + " has no mesh");
        model.Enter("ModelData");
        ReadModelGraphicData(model, record.m_graphic);
    }

    common::CXmlReader instance;
    const std::string lacks = "model data " + key + " has no graphics, light, water, terrain, sounds or physics";
    // A record may name no instance file: then there is nothing to read and nothing to say.
    const bool loaded = !instanceFile.empty() && instance.LoadContent(m_folder + instanceFile, lacks);
    instance.Enter("InstanceData");
    if (loaded && instance.GetScopeCount() == 0) {
        std::fprintf(stderr, "Model data %s: %s holds no InstanceData\n", key.c_str(), instanceFile.c_str());
    }
    // Each section is read from its own copy of the root scope: a section the file lacks would
    // otherwise make the reader climb out of every scope and lose the sections after it.
    const auto section = [&instance](const char* name, const auto& read) {
        if (instance.HasElement(name)) {
            common::CXmlReader copy = instance;
            read(copy);
        }
    };
    section("GraphicData", [&](common::CXmlReader& r) { ReadGraphicData(r, record.m_graphic); });
    section("LightData", [&](common::CXmlReader& r) { ReadLightData(r, record.m_light); });
    section("Water", [&](common::CXmlReader& r) { ReadWaterData(r, record.m_water); });
    section("Terrain", [&](common::CXmlReader& r) { ReadTerrainData(r, record.m_terrain); });
    section("SoundData", [&](common::CXmlReader& r) { ReadSoundData(r, record.m_sounds, m_makeSound); });
    section("PhysicsData", [&](common::CXmlReader& r) { ReadPhysicsData(r, record.m_physics); });
    m_records.emplace(key, std::move(record));
}

bool CModelDataMgr::Get(const std::string& key, SModelData& out) const {
    const auto found = m_records.find(key);
    if (found == m_records.end()) {
        return false;
    }
    out = found->second;
    return true;
}

CModelDataMgr& GetModelDataMgr() {
    static CModelDataMgr empty;
    return s_installed != nullptr ? *s_installed : empty;
}

void SetModelDataMgr(CModelDataMgr* manager) { s_installed = manager; }

} // namespace kelvo
