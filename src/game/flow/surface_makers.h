// The game's builders of a level's water and terrain objects from their model-data records, as
// the "Make_Water" and "Make_Terrain" handling hands them to the game. The caller owns what is
// returned. Run on the loading thread.
#pragma once

#include <cstdint>

#include "engine/gfx/terrain.h"
#include "engine/gfx/water.h"
#include "game/content/model_data.h"
#include "game/events/creation_events.h"

namespace kelvo {

// Kind 0 with the grid, 1 without, 2 with the grid, its arrays and cells; then the 30 wave values
// (kinds 0 and 2) or the 4 planar values (kind 1). Null for any other kind.
velm::CWater* MakeWater(const SModelData::SWaterData& water, std::uint32_t objectId);
// The terrain with its unit's tile factor at 32.
velm::CTerrain* MakeTerrain(const SModelData::STerrainData& terrain, std::uint32_t objectId);
// The "Make_Water" and "Make_Terrain" payloads: the record's sub-record under its object id; null
// when the model data has no such sub-record.
velm::CWater* MakeWater(const SCreationRecord& record);
velm::CTerrain* MakeTerrain(const SCreationRecord& record);

} // namespace kelvo
