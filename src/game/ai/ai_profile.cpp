#include "game/ai/ai_profile.h"

namespace kelvo {
namespace ai {

namespace {

constexpr std::uint32_t kHumanProfileKey = 8;

} // namespace

const SAIProfile& GetAIProfile(std::uint8_t humanFlag, std::uint32_t characterType) {
    static const SAIProfile human{kHumanProfileKey, 20.0f};
    static SAIProfile computer[7];
    if (humanFlag == 1 || characterType > 6) {
        return human;
    }
    computer[characterType] = SAIProfile{characterType, 20.0f};
    return computer[characterType];
}

} // namespace ai
} // namespace kelvo
