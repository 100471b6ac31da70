#include "engine/ai/ai_manager.h"

#include <limits>

#include "libs/common/script_manager.h"

namespace velm {
namespace ai {

CAIManager::CAIManager() = default;

CAIManager::~CAIManager() = default;

void CAIManager::AddPath(const CWaypointPath& path) { m_paths[path.m_name] = path; }

const CWaypointPath* CAIManager::FindPath(const std::string& name) const {
    auto found = m_paths.find(name);
    return found == m_paths.end() ? nullptr : &found->second;
}

void CAIManager::SetRankPath(const std::vector<common::CVector3>& points) { m_rankPath = points; }

double CAIManager::BuildRankPath(const common::CVector3& position) {
    if (m_rankPath.empty() && !m_rankPathLooked) {
        m_rankPathLooked = true;
        const CWaypointPath* path = FindPath(common::CScriptManager::GetInstance()->GetGlobalString("RANK_PATH"));
        if (path != nullptr) {
            for (const CWaypointData& waypoint : path->m_waypoints) {
                m_rankPath.push_back(waypoint.m_position);
            }
        }
    }
    if (m_rankPath.size() < 2) {
        return 0.0;
    }
    double best = std::numeric_limits<double>::max();
    double progress = 0.0;
    double along = 0.0;
    for (std::size_t i = 0; i + 1 < m_rankPath.size(); ++i) {
        const common::CVector3 segment = m_rankPath[i + 1] - m_rankPath[i];
        const float length = segment.Length();
        float t = 0.0f;
        if (length > 0.0f) {
            t = (position - m_rankPath[i]).Dot(segment) / (length * length);
            t = t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
        }
        const double distance = (m_rankPath[i] + segment * t - position).LengthSquared();
        if (distance < best) {
            best = distance;
            progress = along + static_cast<double>(t) * length;
        }
        along += length;
    }
    return progress;
}

} // namespace ai
} // namespace velm
