// The object-type ids of everything placed in the world (characters, items, scenery, triggers),
// their lower-case names both ways and the two class tests. Pure functions, any thread.
#pragma once

#include <cstdint>
#include <string>

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

// 1 to 6.
bool IsCharacterType(std::uint32_t id);
// 7 to 14, and the generic item 23.
bool IsItemType(std::uint32_t id);
// Exact, case-sensitive; "ramp" is 16, "box2" and "cyl" are 34, anything else 0.
std::uint32_t ObjectTypeByName(const std::string& name);
// Names for ids 0 to 27 ("speedramp" for 16); "noobj" for every other id.
std::string ObjectTypeName(std::uint32_t id);

} // namespace kelvo
