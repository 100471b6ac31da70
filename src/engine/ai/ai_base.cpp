#include "engine/ai/ai_base.h"

#include <iterator>

namespace velm {
namespace ai {

void CAIBase::InsertWaypoint(const CWaypointData& waypoint, int index) {
    const int count = static_cast<int>(m_waypoints.size());
    if (m_waypoints.empty()) {
        m_waypoints.push_back(waypoint);
        return;
    }
    if (index == -1 || index == count - 1) {
        CWaypointData& last = m_waypoints.back();
        last.m_direction = (waypoint.m_position - last.m_position).GetNormalized();
        m_waypoints.push_back(waypoint);
        return;
    }
    if (index < 0 || index >= count) {
        return;
    }
    auto at = std::next(m_waypoints.begin(), index);
    auto next = std::next(at);
    at->m_direction = (waypoint.m_position - at->m_position).GetNormalized();
    CWaypointData inserted = waypoint;
    inserted.m_direction = (next->m_position - waypoint.m_position).GetNormalized();
    m_waypoints.insert(next, inserted);
}

void CAIBase::RemoveWaypoint(const CWaypointData& waypoint) {
    for (auto it = m_waypoints.begin(); it != m_waypoints.end(); ++it) {
        if (it->m_position == waypoint.m_position && it->m_direction == waypoint.m_direction) {
            m_waypoints.erase(it);
            return;
        }
    }
}

bool CAIBase::RemoveWaypoint(int index) {
    if (m_waypoints.empty() || index < 0 || index >= static_cast<int>(m_waypoints.size())) {
        return false;
    }
    m_waypoints.erase(std::next(m_waypoints.begin(), index));
    return true;
}

} // namespace ai
} // namespace velm
