// What a racer touching something means: an item from a jug, a ramp's push, a mine's or drill's
// hit, the rock and log releases, its finish row, a geyser's lift. The rules are tried in a fixed
// order, each with the racer as either object; the first that matches decides. The game
// listener hands every reported collision here. Main thread only.
#pragma once

#include <cstdint>

namespace kelvo {

// The rule that decided a collision, for whoever wants to know.
enum class ECollisionRule {
    None,
    Jug,
    Ramp,
    Mine,
    Whirlpool,
    Drill,
    Racer,
    RockRelease,
    LogRelease,
    Finish,
    Geyser,
};

// Nothing happens (None) when either id names no model.
ECollisionRule HandleItemCollision(std::uint32_t firstId, std::uint32_t secondId);

} // namespace kelvo
