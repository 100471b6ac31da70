// Waypoints of the AI's paths: a position per waypoint and a named list of them. Plain values.
#pragma once

#include <string>
#include <vector>

#include "libs/common/vector3.h"

namespace velm {
namespace ai {

struct CWaypointData {
    common::CVector3 m_position;
};

struct CWaypointPath {
    std::string m_name;
    std::vector<CWaypointData> m_waypoints;
};

} // namespace ai
} // namespace velm
