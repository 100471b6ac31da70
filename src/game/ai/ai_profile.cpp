#include "game/ai/ai_profile.h"

namespace kelvo {
namespace ai {

int AITypeFromName(const std::string& name) {
    static const char* const names[] = {"easy", "medium", "hard", "vengeful", "slappy", "evasive", "follower", "human"};
    for (int i = 0; i < 8; ++i) {
        if (name == names[i]) {
            return i + 1;
        }
    }
    return AI_NONE;
}

int AITypeForCharacter(int isHuman, int characterType) {
    if (isHuman == 1) {
        return AI_HUMAN;
    }
    switch (characterType) {
        case 1:
            return AI_FOLLOWER;
        case 2:
            return AI_SLAPPY;
        case 3:
            return AI_EVASIVE;
        case 4:
            return AI_VENGEFUL;
        case 5:
            return AI_EASY;
        case 6:
            return AI_MEDIUM;
        default:
            return AI_EASY;
    }
}

std::map<int, AIProfile>& GetAIProfiles() {
    static std::map<int, AIProfile> profiles;
    return profiles;
}

AIProfile& GetAIProfileByCode(int code) { return GetAIProfiles()[code]; }

AIProfile& GetAIProfile(int isHuman, int characterType) {
    return GetAIProfileByCode(AITypeForCharacter(isHuman, characterType));
}

} // namespace ai
} // namespace kelvo
