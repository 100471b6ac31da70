// Waypoints and named waypoint paths, the route data the computer racers follow and the race
// ranking measures progress along. Plain values; a path owns its line data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "libs/common/vector3.h"

namespace velm {
namespace ai {

class CWaypointData {
public:
    CWaypointData() = default;
    // A bare position converts, so that lists of points read as waypoints.
    CWaypointData(const common::CVector3& position, const common::CVector3& direction = common::CVector3())
        : m_position(position), m_direction(direction) {}
    virtual ~CWaypointData() = default;
    CWaypointData(const CWaypointData&) = default;
    CWaypointData& operator=(const CWaypointData&) = default;

    virtual void Debug() const {}

    common::CVector3 m_position;
    // Towards the next waypoint where the route was built by insertion; zero otherwise.
    common::CVector3 m_direction;
};

using WaypointList = std::vector<CWaypointData>;

struct CWaypointPath {
    std::string m_name;
    WaypointList m_waypoints;
    // The positions as float triples, for drawing the path; rebuilt whenever the waypoints change.
    std::uint32_t m_pointCount = 0;
    std::vector<float> m_linePoints;
    float m_colour[4] = {1.0f, 0.0f, 1.0f, 1.0f};

    void RebuildLineData();
};

} // namespace ai
} // namespace velm
