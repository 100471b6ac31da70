// The object-type ids of everything placed in the world: characters, items, scenery, triggers.
// Plain constants; the full type tables of the race world join them later.
#pragma once

#include <cstdint>

namespace kelvo {

enum EObjectType : std::uint32_t {
    OBJECT_NONE = 0,
    CHARACTER_FIRST = 1,
    CHARACTER_LAST = 6,
    ITEM_DRILL = 7,
    ITEM_REFLECTIVE_COAT = 8,
    ITEM_BAIT = 9,
    ITEM_SHARK = 10,
    ITEM_FISHING_POLE = 11,
    ITEM_WHIRLPOOL = 12,
    ITEM_PROPELLER = 13,
    ITEM_MINE = 14,
    OBJECT_JUG = 15,
    OBJECT_RAMP = 16,
    OBJECT_ROCK = 17,
    OBJECT_BOX = 18,
    OBJECT_LIGHT = 19,
    OBJECT_WATER = 20,
    OBJECT_TERRAIN = 21,
    OBJECT_ENVIRONMENT = 22,
    OBJECT_GENERIC_ITEM = 23,
    OBJECT_PARTICLE_SYSTEM = 24,
    OBJECT_LOG = 25,
    OBJECT_BOULDER = 26,
    OBJECT_LOGO = 27,
    OBJECT_TREES = 28,
    OBJECT_FINISH_LINE = 29,
    TRIGGER_ROCK_RELEASE = 30,
    TRIGGER_FINISH = 31,
    OBJECT_COLLISION_VOLUME = 34,
    OBJECT_GEYSER = 35,
    TRIGGER_LOG_RELEASE = 36,
};

} // namespace kelvo
