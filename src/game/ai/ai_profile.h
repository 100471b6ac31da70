// The computer racers' difficulty profiles by character, and the human player's profile (key 8)
// that the driving-sample recorder is built from. Read-only after start; main thread.
#pragma once

#include <cstdint>

namespace kelvo {
namespace ai {

struct SAIProfile {
    std::uint32_t m_key = 0;
    // How far the recorder's rays reach.
    float m_sensorRange = 0.0f;
};

// With the human flag 1 the human profile, whatever the type.
const SAIProfile& GetAIProfile(std::uint8_t humanFlag, std::uint32_t characterType);

} // namespace ai
} // namespace kelvo
