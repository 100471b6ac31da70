// The records an AI driver works with: the driving input it fills each frame (the same form the
// human controller fills from the keyboard) and one racer as the AI sees it. Plain values.
#pragma once

#include <cstdint>

#include "libs/common/vector3.h"

namespace velm {
namespace ai {

struct SDriveInput {
    bool m_forward = false;
    bool m_unused1 = false;
    bool m_left = false;
    bool m_right = false;
    bool m_unused4 = false;
    bool m_unused5 = false;
    bool m_fire = false;
    bool m_stuck = false;
    bool m_unused8 = false;
    bool m_unused9 = false;

    bool Any() const {
        return m_forward || m_unused1 || m_left || m_right || m_unused4 || m_unused5 || m_fire || m_stuck ||
               m_unused8 || m_unused9;
    }
    // Bytes 4 and 5 do not count: nothing the AI decides lives there.
    bool SameDecision(const SDriveInput& o) const {
        return m_forward == o.m_forward && m_unused1 == o.m_unused1 && m_left == o.m_left && m_right == o.m_right &&
               m_fire == o.m_fire && m_stuck == o.m_stuck && m_unused8 == o.m_unused8 && m_unused9 == o.m_unused9;
    }
};

struct SRacerInfo {
    common::CVector3 m_position;
    common::CVector3 m_heading;
    common::CVector3 m_velocity;
    common::CVector3 m_spare;
    float m_grudge = 0.0f;
    std::uint32_t m_spareWord = 0;
    int m_racerId = 0;
    int m_objectType = 0;
};

} // namespace ai
} // namespace velm
