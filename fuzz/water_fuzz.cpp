// libFuzzer target for a water's instance file as the level builds it: the water section is read
// (with the grid file a river names), the water object made from the record on the null device,
// and its field asked for the surface at every cell's corners and centre.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

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
    manager.Load("WaterModelData", "none", tk_fuzz::WriteInput(data, size, ".xml"));
    kelvo::SModelData record;
    if (!manager.Get("WaterModelData", record) || !record.m_water) {
        return 0;
    }
    const std::unique_ptr<velm::CWater> water(kelvo::MakeWater(*record.m_water, 1));
    if (!water || !water->GetWaterField()) {
        return 0;
    }
    for (const velm::phy::CGridCell& cell : water->GetWaterField()->GetCells()) {
        const common::CTriangle& triangle = cell.GetFirst();
        for (const common::CVector3& p : {triangle[0], triangle[1], triangle[2], triangle.GetPoint(0.3f, 0.3f)}) {
            float height = 0.0f;
            common::CVector3 normal;
            common::CVector3 flow;
            water->GetWaterField()->GetSurface(p.x, p.z, height, normal, flow);
        }
    }
    return 0;
}
