// libFuzzer target for a terrain's instance file as the level builds it: the terrain section is
// read, the terrain made from the record on the null device (its height map image is the shipped
// one the file names), and its height map asked for heights and a ray across it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/phy/height_map.h"
#include "fuzz_file.h"
#include "game/content/model_data_mgr.h"
#include "game/flow/surface_makers.h"
#include "game_folder.h"
#include "null_graphics_core.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    tk_fuzz::EnterGameFolder();
    tk_fuzz::StartNullDevice();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kelvo::CModelDataMgr manager("");
    manager.Load("TerrainModelData", "none", tk_fuzz::WriteInput(data, size, ".xml"));
    kelvo::SModelData record;
    if (!manager.Get("TerrainModelData", record) || !record.m_terrain) {
        return 0;
    }
    const std::unique_ptr<velm::CTerrain> terrain(kelvo::MakeTerrain(*record.m_terrain, 1));
    const velm::phy::CHeightMap* map = terrain ? terrain->GetHeightMap().get() : nullptr;
    if (map == nullptr) {
        return 0;
    }
    const common::CVector3 at(record.m_terrain->m_position[0], record.m_terrain->m_position[1],
                              record.m_terrain->m_position[2]);
    for (float step : {0.0f, 1.0f, 10.0f, 100.0f}) {
        float height = 0.0f;
        common::CVector3 normal;
        map->Contains(at.x + step, at.z - step);
        map->GetHeight(at.x + step, at.z - step, height, normal);
    }
    common::CVector3 hit;
    map->RayCast(common::CVector3(at.x, at.y + 100.0f, at.z), common::CVector3(0.1f, -1.0f, 0.1f), hit);
    return 0;
}
