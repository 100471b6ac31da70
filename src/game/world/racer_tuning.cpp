#include "game/world/racer_tuning.h"

#include <map>

#include "game/world/object_type.h"

namespace kelvo {

namespace {

std::map<int, SRacerTuning>& Table() {
    static std::map<int, SRacerTuning> table;
    return table;
}

SRacerTuning* EntryForName(const std::string& characterName) {
    const std::uint32_t type = ObjectTypeByName(characterName);
    return IsCharacterType(type) ? &GetOrCreateRacerTuning(static_cast<int>(type)) : nullptr;
}

} // namespace

SRacerTuning* FindRacerTuning(int characterType) {
    auto found = Table().find(characterType);
    return found == Table().end() ? nullptr : &found->second;
}

SRacerTuning& GetOrCreateRacerTuning(int characterType) { return Table()[characterType]; }

bool SetRacerMaxSpeed(const std::string& characterName, float value) {
    SRacerTuning* entry = EntryForName(characterName);
    if (entry != nullptr) {
        entry->maxSpeed = value;
    }
    return entry != nullptr;
}

bool SetRacerAccel(const std::string& characterName, float value) {
    SRacerTuning* entry = EntryForName(characterName);
    if (entry != nullptr) {
        entry->accel = value;
    }
    return entry != nullptr;
}

bool SetRacerTurning(const std::string& characterName, float value) {
    SRacerTuning* entry = EntryForName(characterName);
    if (entry != nullptr) {
        entry->turning = value;
    }
    return entry != nullptr;
}

} // namespace kelvo
