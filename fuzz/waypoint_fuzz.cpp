// libFuzzer target for a waypoint file: read into the AI manager as a path, which is then
// measured, resampled into a spline and searched for the waypoint nearest a few points, as the
// computer racers and the ranking use it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/ai/ai_manager.h"
#include "fuzz_file.h"
#include "game/ai/waypoint_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velm::ai::CAIManager manager;
    if (kelvo::LoadWaypointFile(tk_fuzz::WriteInput(data, size, ".txt"), manager) <= 0) {
        return 0;
    }
    const velm::ai::CWaypointPath& path = manager.GetPath(0);
    std::vector<common::CVector3> points;
    for (const velm::ai::CWaypointData& waypoint : path.m_waypoints) {
        points.push_back(waypoint.m_position);
    }
    manager.GetPathLength(path.m_waypoints, velm::ai::CAIManager::WHOLE_PATH);
    manager.SetRankPath(velm::ai::CCatmullRomSpline().Resample(points, 4));
    for (const common::CVector3& p : {points.front(), points.back(), common::CVector3(0.0f, 0.0f, 0.0f)}) {
        velm::ai::FindNearestWaypoint(path.m_waypoints, p);
        manager.GetPathProgress(path.m_waypoints, p);
        manager.GetRankProgress(p);
    }
    return 0;
}
