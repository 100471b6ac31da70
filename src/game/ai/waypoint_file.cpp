#include "game/ai/waypoint_file.h"

#include <cstdint>
#include <cstdio>
#include <sstream>

#include "engine/ai/ai_manager.h"
#include "platform/win32/file_read.h"
#include "platform/win32/file_write.h"

namespace kelvo {

int WriteWaypointFile(const std::string& fileName, const std::string& label, const velm::ai::WaypointList& waypoints) {
    std::ostringstream text;
    text << label << "\n";
    for (const velm::ai::CWaypointData& waypoint : waypoints) {
        text << waypoint.m_position.x << " " << waypoint.m_position.y << " " << waypoint.m_position.z << " \n";
    }
    std::string error;
    if (!platform::ReplaceFile(fileName, text.str(), error)) {
        std::fprintf(stderr, "%s: %s; no waypoints written\n", fileName.c_str(), error.c_str());
        return -1;
    }
    return static_cast<int>(waypoints.size());
}

int LoadWaypointFile(const std::string& fileName, velm::ai::CAIManager& manager) {
    // Three numbers a waypoint: a path of a million waypoints is far below this.
    constexpr std::uint64_t kMostWaypointFileBytes = 64u << 20;
    std::string contents;
    std::string error;
    if (!platform::ReadWholeFile(fileName, kMostWaypointFileBytes, contents, error)) {
        std::fprintf(stderr, "%s: %s; no waypoint path read\n", fileName.c_str(), error.c_str());
        return -1;
    }
    std::istringstream file(contents);
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
