// The single-player start grid: the human at the start point, the computer racers in rows behind
// it, one per character other than the human's. Pure arithmetic; any thread.
#pragma once

#include <cstdint>
#include <iostream>
#include <list>
#include <string>
#include <vector>

#include "libs/common/vector3.h"

namespace common {
class CScriptManager;
}

namespace kelvo {

// One racer per character: more computer racers would be built from the items' model data.
constexpr int kMostRacers = 6;

// The single-player grid as the start-up script sets it.
struct SStartGridSettings {
    common::CVector3 m_start;
    float m_dx = 0.0f;
    float m_dz = 0.0f;
    int m_perRow = 0;
    int m_racers = 0;
};

// Reads STAGE1_X, STAGE1_Y, STAGE1_Z, STAGE1_RACER_DX, STAGE1_RACER_DZ, STAGE1_RACERS_PER_ROW and
// NUM_RACERS. A coordinate or spacing that is not finite or lies beyond any data number
// (common::kAnyDataNumber) reads as 0, a racer count outside 0 to kMostRacers as kMostRacers;
// each is said on `errors`.
SStartGridSettings ReadStartGridSettings(common::CScriptManager& script, std::ostream& errors = std::cerr);

struct SGridSlot {
    std::uint32_t m_character = 0;
    common::CVector3 m_position;
};

// Slots of the computer racers for characters 1..racers, skipping `selected` (whose place stays
// empty). A row holds `perRow` places; 0 or less is taken as one row for the whole field.
std::vector<SGridSlot> BuildStartGrid(const common::CVector3& start, float dx, float dz, int perRow, int racers,
                                      std::uint32_t selected);

// A networked host's racers, one per line-up entry, side by side on the start line.
// Control kind of a host grid slot: a computer slot (client id 0) is the host's computer's even
// when the host's own id is 0 too; then the local player's; any other is driven from its peer.
std::uint32_t HostGridControl(std::uint32_t clientId, std::uint32_t localClientId);
// The k-th slot of the host grid, from 0.
common::CVector3 HostGridPosition(std::uint32_t slot);

// The model-data key of a character type 1..6; empty for any other.
std::string CharacterModelKey(std::uint32_t character);

} // namespace kelvo
