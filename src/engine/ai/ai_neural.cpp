#include "engine/ai/ai_neural.h"

#include <algorithm>
#include <cmath>

#include "engine/ai/ai_random.h"
#include "engine/ai/neural_net.h"

namespace velm {
namespace ai {

bool AINeural::SetNet(CNeuralNet* net) {
    if (m_net != nullptr) {
        return false;
    }
    m_net = net;
    return true;
}

float AINeural::AngleInput(const common::CVector3& heading, const common::CVector3& toTarget) {
    const common::CVector3 c = heading.Cross(toTarget);
    const float sign = c.y > 0.0f ? 1.0f : -1.0f;
    // Rounding can put the length of the cross product of two unit vectors a little past 1.
    const float s = std::min(c.Length(), 1.0f);
    return (std::asin(s) * sign + 1.5707963705062866f) * 0.31830987732601135f;
}

SDriveInput& AINeural::Update(SDriveInput& out, const SRacerInfo& own, const std::list<SRacerInfo>& targets, float dt) {
    out = SDriveInput();
    if (m_waypoints.empty() && targets.empty()) {
        return out;
    }
    const common::CVector3 target =
        targets.empty() ? NextTarget(own.m_position).m_position : targets.front().m_position;
    common::CVector3 toTarget = target - own.m_position;
    toTarget.y = 0.0f;
    toTarget.Normalize();
    const common::CVector3 heading = own.m_heading.GetNormalized();
    if (heading.LengthSquared() == 0.0f) {
        out.m_forward = true;
        return out;
    }
    const std::vector<double> outputs =
        m_net != nullptr ? m_net->Update({static_cast<double>(AngleInput(heading, toTarget))}) : std::vector<double>();
    SDriveInput decided;
    if (outputs.size() < 2) {
        // Without a net that can answer, keep going down the river.
        decided.m_forward = true;
    } else {
        const double d = std::fabs(outputs[0] - outputs[1]);
        const double t = m_outputThreshold;
        if (d <= t) {
            decided.m_forward = true;
        } else {
            if (outputs[0] >= outputs[1]) {
                decided.m_left = true;
            } else {
                decided.m_right = true;
            }
            decided.m_forward = d <= 2.0 * t;
        }
    }
    if (!decided.SameDecision(m_lastApplied) && dt > 0.0f) {
        m_sinceChange += dt;
        const float p = m_sinceChange / m_switchTime;
        if (AIRandFloat() < p) {
            m_lastApplied = decided;
            m_sinceChange = 0.0f;
            out = decided;
        } else {
            out = m_lastApplied;
        }
        return out;
    }
    out = decided;
    return out;
}

const CWaypointData& AINeural::NextTarget(const common::CVector3& position) {
    if (m_target.m_position.Length() == 0.0f && !m_waypoints.empty()) {
        const CWaypointData& first = m_waypoints.front();
        const float z = AIRandInRange(-1.0f, 1.0f);
        const float y = AIRandInRange(-1.0f, 1.0f);
        const float x = AIRandInRange(-1.0f, 1.0f);
        m_target.m_position = first.m_position + common::CVector3(x, y, z);
        m_target.m_direction = first.m_direction;
    }
    const common::CVector3 offset = m_target.m_position - position;
    const float dist = offset.Length();
    const float ahead = m_target.m_direction.Dot(offset);
    if (dist > 1.7f && ahead >= 0.01f) {
        return m_target;
    }
    if (!m_waypoints.empty()) {
        m_waypoints.pop_front();
    }
    if (!m_waypoints.empty()) {
        const CWaypointData& first = m_waypoints.front();
        const float z = AIRandInRange(-0.7f, 0.7f);
        const float y = AIRandInRange(-0.7f, 0.7f);
        const float x = AIRandInRange(-0.7f, 0.7f);
        m_target.m_position = first.m_position + common::CVector3(x, y, z);
        m_target.m_direction = first.m_direction;
    } else {
        m_target.m_position = position;
        m_target.m_direction = common::CVector3();
    }
    return m_target;
}

} // namespace ai
} // namespace velm
