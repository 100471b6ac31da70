#include "game/ai/waypoint_file.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "engine/ai/ai_manager.h"
#include "libs/common/checked_number.h"
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

namespace {

// The nearest-waypoint walks run for every computer racer each frame: a path beyond this is cut.
constexpr std::size_t kMostWaypoints = 65536;

// A label is one word of printable characters; anything else is not a waypoint file.
bool IsLabel(const std::string& word) {
    for (char c : word) {
        if (c < '!' || c > '~') {
            return false;
        }
    }
    return !word.empty();
}

// The whole token as a float; false when it is not a number.
bool ParseCoordinate(const std::string& token, float& value) {
    char* end = nullptr;
    value = std::strtof(token.c_str(), &end);
    return end != token.c_str() && *end == '\0';
}

} // namespace

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
        std::fprintf(stderr, "%s: is empty (no path label); no waypoint path read\n", fileName.c_str());
        return -1;
    }
    if (!IsLabel(path.m_name)) {
        std::fprintf(stderr,
                     "%s: does not start with a path label (a word of printable characters); no waypoint path "
                     "read\n",
                     fileName.c_str());
        return -1;
    }
    const char* const axes[] = {"x", "y", "z"};
    std::size_t number = 0;
    for (std::string token; path.m_waypoints.size() < kMostWaypoints && file >> token;) {
        ++number;
        float xyz[3] = {0.0f, 0.0f, 0.0f};
        bool readable = true;
        bool acceptable = true;
        for (int axis = 0; axis < 3 && readable; ++axis) {
            if (axis > 0 && !(file >> token)) {
                std::fprintf(stderr,
                             "%s: waypoint %zu is cut short; the path \"%s\" keeps the %zu waypoints before it\n",
                             fileName.c_str(), number, path.m_name.c_str(), path.m_waypoints.size());
                readable = false;
                break;
            }
            if (!ParseCoordinate(token, xyz[axis])) {
                std::fprintf(stderr,
                             "%s: waypoint %zu: %s \"%s\" is not a number; the path \"%s\" keeps the %zu "
                             "waypoints before it\n",
                             fileName.c_str(), number, axes[axis], token.c_str(), path.m_name.c_str(),
                             path.m_waypoints.size());
                readable = false;
                break;
            }
            const float value = xyz[axis];
            if (acceptable && !(std::isfinite(value) && value >= common::kAnyDataNumber.lowest &&
                                value <= common::kAnyDataNumber.highest)) {
                std::fprintf(stderr,
                             "%s: waypoint %zu: %s \"%s\" is not a number from %g to %g; the waypoint is left "
                             "out\n",
                             fileName.c_str(), number, axes[axis], token.c_str(), common::kAnyDataNumber.lowest,
                             common::kAnyDataNumber.highest);
                acceptable = false;
            }
        }
        if (!readable) {
            break;
        }
        const common::CVector3 position(xyz[0], xyz[1], xyz[2]);
        // The editor never places a waypoint at the origin; a zero triple is taken as a gap. A
        // waypoint beyond the world is left out, said by its line.
        if (acceptable && position.Length() != 0.0f) {
            path.m_waypoints.emplace_back(position);
        }
    }
    std::string rest;
    if (path.m_waypoints.size() == kMostWaypoints && file >> rest) {
        std::fprintf(stderr, "%s: holds more than %zu waypoints; the path \"%s\" keeps the first %zu\n",
                     fileName.c_str(), kMostWaypoints, path.m_name.c_str(), kMostWaypoints);
    }
    if (path.m_waypoints.size() < 2) {
        std::fprintf(stderr, "%s: the path \"%s\" has %zu waypoint%s: no direction to follow or measure along\n",
                     fileName.c_str(), path.m_name.c_str(), path.m_waypoints.size(),
                     path.m_waypoints.size() == 1 ? "" : "s");
    }
    manager.AddPath(path);
    return static_cast<int>(path.m_waypoints.size());
}

} // namespace kelvo
