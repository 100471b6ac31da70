// The single-player start grid: the human at the start point, the computer racers in rows behind
// it, one per character other than the human's. Pure arithmetic; any thread.
#pragma once

#include <cstdint>
#include <list>
#include <vector>

#include "libs/common/vector3.h"

namespace kelvo {

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
const char* CharacterModelKey(std::uint32_t character);

} // namespace kelvo
