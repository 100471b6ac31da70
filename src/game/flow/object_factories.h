// The game listener's object factories (racers, items, scenery in its mesh, billboard and
// collision-volume forms, lights, triggers, waters, terrains, particle systems) and the release of
// the first track's rocks and logs. Built objects belong to the game once registered; particle
// systems to the graphics registry. Main thread only.
#pragma once

#include <cstdint>

namespace velm::gfx {
class IGfxUnit;
}

namespace kelvo {

// The racer trail's lookup: the live particle system made under that object id, or null.
velm::gfx::IGfxUnit* FindTrailParticleSystem(std::uint32_t objectId);

} // namespace kelvo
