#include "engine/ai/waypoint.h"

namespace velm {
namespace ai {

void CWaypointPath::RebuildLineData() {
    m_pointCount = static_cast<std::uint32_t>(m_waypoints.size());
    m_linePoints.clear();
    m_linePoints.reserve(m_waypoints.size() * 3);
    for (const CWaypointData& waypoint : m_waypoints) {
        m_linePoints.push_back(waypoint.m_position.x);
        m_linePoints.push_back(waypoint.m_position.y);
        m_linePoints.push_back(waypoint.m_position.z);
    }
    m_colour[0] = 1.0f;
    m_colour[1] = 0.0f;
    m_colour[2] = 1.0f;
    m_colour[3] = 1.0f;
}

} // namespace ai
} // namespace velm
