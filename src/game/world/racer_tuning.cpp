#include "game/world/racer_tuning.h"

#include <map>

#include "game/content/object_type.h"
#include "libs/common/checked_number.h"

namespace kelvo {

namespace {

std::map<int, SRacerTuning>& Table() {
    static std::map<int, SRacerTuning> table;
    return table;
}

// The character's entry when the value may be stored in it.
SRacerTuning* EntryForName(const std::string& characterName, float value, const char* setter) {
    const std::uint32_t type = ObjectTypeByName(characterName);
    if (!IsCharacterType(type) ||
        !common::IsAcceptableSetting(value, {-kLargestRacerTuning, kLargestRacerTuning, 0.0}, setter, characterName)) {
        return nullptr;
    }
    return &GetOrCreateRacerTuning(static_cast<int>(type));
}

} // namespace

SRacerTuning* FindRacerTuning(int characterType) {
    auto found = Table().find(characterType);
    return found == Table().end() ? nullptr : &found->second;
}

SRacerTuning& GetOrCreateRacerTuning(int characterType) { return Table()[characterType]; }

bool SetRacerMaxSpeed(const std::string& characterName, float value) {
    SRacerTuning* entry = EntryForName(characterName, value, "SetRacerMaxSpeed");
    if (entry != nullptr) {
        entry->maxSpeed = value;
    }
    return entry != nullptr;
}

bool SetRacerAccel(const std::string& characterName, float value) {
    SRacerTuning* entry = EntryForName(characterName, value, "SetRacerAccel");
    if (entry != nullptr) {
        entry->accel = value;
    }
    return entry != nullptr;
}

bool SetRacerTurning(const std::string& characterName, float value) {
    SRacerTuning* entry = EntryForName(characterName, value, "SetRacerTurning");
    if (entry != nullptr) {
        entry->turning = value;
    }
    return entry != nullptr;
}

} // namespace kelvo
