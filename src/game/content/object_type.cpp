#include "game/content/object_type.h"

#include <iterator>

namespace kelvo {

namespace {

// Indexed by id; 16 prints as "speedramp" while its name is "ramp".
const char* const kNames[] = {"noobj",   "monkey",  "bear",      "alien",    "fish", "hillbilly", "moviestar",
                              "drill",   "reflect", "bait",      "shark",    "pole", "whirlpool", "propeller",
                              "mine",    "jug",     "speedramp", "rock",     "box",  "light",     "water",
                              "terrain", "envobj",  "genitem",   "particle", "log",  "boulder",   "logo"};

} // namespace

bool IsCharacterType(std::uint32_t id) { return id >= CHARACTER_FIRST && id <= CHARACTER_LAST; }

bool IsItemType(std::uint32_t id) { return (id >= ITEM_DRILL && id <= ITEM_MINE) || id == OBJECT_GENERIC_ITEM; }

std::uint32_t ObjectTypeByName(const std::string& name) {
    if (name == "ramp") {
        return OBJECT_RAMP;
    }
    if (name == "box2" || name == "cyl") {
        return OBJECT_COLLISION_VOLUME;
    }
    for (std::uint32_t id = 1; id < std::size(kNames); ++id) {
        if (id != OBJECT_RAMP && name == kNames[id]) {
            return id;
        }
    }
    return OBJECT_NONE;
}

std::string ObjectTypeName(std::uint32_t id) { return id < std::size(kNames) ? kNames[id] : kNames[0]; }

} // namespace kelvo
