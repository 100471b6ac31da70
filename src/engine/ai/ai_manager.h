// The AI manager the application owns: it holds the named waypoint paths, the neural nets and
// the ranking path that the computer racers and the race ranking read. Main thread only.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "engine/ai/waypoint.h"
#include "libs/common/vector3.h"

namespace velm {
namespace ai {

class CAIManager {
public:
    CAIManager();
    virtual ~CAIManager();

    // A second path of the same name replaces the first.
    void AddPath(const CWaypointPath& path);
    // Null when no path has that name.
    const CWaypointPath* FindPath(const std::string& name) const;

    // The polyline whose arc length measures progress down the course.
    void SetRankPath(const std::vector<common::CVector3>& points);
    // The arc length along the ranking path up to the point of it nearest `position`; larger is
    // further down the course. Without a path set, the first call takes the waypoints of the path
    // the script global "RANK_PATH" names; 0 while there is none.
    double BuildRankPath(const common::CVector3& position);

private:
    std::map<std::string, CWaypointPath> m_paths;
    std::vector<common::CVector3> m_rankPath;
    bool m_rankPathLooked = false;
};

} // namespace ai
} // namespace velm
