#include "game/ai/waypoint_file.h"

#include <fstream>

#include "engine/ai/ai_manager.h"

namespace kelvo {

int WriteWaypointFile(const std::string& fileName, const std::string& label, const velm::ai::WaypointList& waypoints) {
    std::ofstream file(fileName, std::ios::out | std::ios::trunc);
    if (!file.is_open()) {
        return -1;
    }
    file << label << "\n";
    for (const velm::ai::CWaypointData& waypoint : waypoints) {
        file << waypoint.m_position.x << " " << waypoint.m_position.y << " " << waypoint.m_position.z << " \n";
    }
    return static_cast<int>(waypoints.size());
}

int LoadWaypointFile(const std::string& fileName, velm::ai::CAIManager& manager) {
    std::ifstream file(fileName);
    if (!file.is_open()) {
        return -1;
    }
    velm::ai::CWaypointPath path;
    if (!(file >> path.m_name) || path.m_name.empty()) {
        return -1;
    }
    for (;;) {
        float x = 0.0f;
        float y = 0.0f;
        float z = 0.0f;
        if (!(file >> x >> y >> z)) {
            break;
        }
        const common::CVector3 position(x, y, z);
        // The editor never places a waypoint at the origin; a zero triple is taken as a gap.
        if (position.Length() != 0.0f) {
            path.m_waypoints.emplace_back(position);
        }
    }
    manager.AddPath(path);
    return static_cast<int>(path.m_waypoints.size());
}

} // namespace kelvo
