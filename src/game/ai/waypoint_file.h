// The waypoint text file: the path label on the first line, then one "x y z " line per waypoint.
// Only positions are kept. Reading stops at the first number that does not read; a waypoint not
// finite or beyond the world is left out; a path is cut at 65536 waypoints; a file without a
// label (empty, or not text) adds no path. Each is said on standard error with the file, and so
// is a path of fewer than two waypoints. Main thread.
#pragma once

#include <string>

#include "engine/ai/waypoint.h"

namespace velm {
namespace ai {
class CAIManager;
}
} // namespace velm

namespace kelvo {

// The number of waypoints written, or -1 (said on standard error, with the reason) when the file
// cannot be written whole; then whatever stood at the name is left as it was.
int WriteWaypointFile(const std::string& fileName, const std::string& label, const velm::ai::WaypointList& waypoints);
// Reads the file into the manager as one path; the number of waypoints read, or -1 when the
// file cannot be read (said on standard error) or holds no label (nothing is added then).
int LoadWaypointFile(const std::string& fileName, velm::ai::CAIManager& manager);

} // namespace kelvo
