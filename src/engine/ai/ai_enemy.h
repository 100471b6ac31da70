// velm::ai::AIEnemy, a computer racer's AI: each frame it fills the racer's input record. The
// racer's AI controller owns it. Main thread only.
#pragma once

#include <cstdint>

namespace velm {
namespace ai {

// Eight bytes, in this order; any set byte means the racer paddles.
struct SAIInput {
    std::uint8_t m_forward = 0;
    std::uint8_t m_second = 0;
    std::uint8_t m_left = 0;
    std::uint8_t m_right = 0;
    std::uint8_t m_fifth = 0;
    std::uint8_t m_sixth = 0;
    std::uint8_t m_fire = 0;
    std::uint8_t m_givePropeller = 0;
};

class AIEnemy {
public:
    AIEnemy(std::uint32_t characterType, std::uint32_t racerId) : m_characterType(characterType), m_racerId(racerId) {}
    virtual ~AIEnemy() = default;
    // Until the driving AI decides, the record stays all clear.
    virtual void Update(SAIInput& input) { input = SAIInput(); }

    std::uint32_t GetCharacterType() const { return m_characterType; }
    std::uint32_t GetRacerId() const { return m_racerId; }

protected:
    std::uint32_t m_characterType;
    std::uint32_t m_racerId;
};

} // namespace ai
} // namespace velm
