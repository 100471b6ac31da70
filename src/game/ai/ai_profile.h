// The difficulty profiles of the computer racers, one per AI type code, and the choice of a
// profile by character. Scripts fill the map before a level loads; enemies constructed on the
// loading thread then read it, so it must not change while a level loads.
#pragma once

#include <map>
#include <string>

#include "engine/ai/enemy_world.h"

namespace kelvo {
namespace ai {

using AIProfile = velm::ai::AIProfile;

enum EAIType {
    AI_NONE = 0,
    AI_EASY = 1,
    AI_MEDIUM = 2,
    AI_HARD = 3,
    AI_VENGEFUL = 4,
    AI_SLAPPY = 5,
    AI_EVASIVE = 6,
    AI_FOLLOWER = 7,
    AI_HUMAN = 8,
};

// Exact, case-sensitive; 0 for any other name.
int AITypeFromName(const std::string& name);
// isHuman 1 gives the "human" profile; otherwise the character's profile, "easy" for a type
// outside 1 to 6.
int AITypeForCharacter(int isHuman, int characterType);
// The map entry, created with zeros, empty names and false when missing. Entries keep their
// addresses for the life of the process.
AIProfile& GetAIProfileByCode(int code);
AIProfile& GetAIProfile(int isHuman, int characterType);
// The whole map, for tests and the profile setters.
std::map<int, AIProfile>& GetAIProfiles();

} // namespace ai
} // namespace kelvo
