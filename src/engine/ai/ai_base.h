// velm::ai::CAIBase, the base of every AI driver: its own route of waypoints, consumed front
// first, and one tuning value. A driver belongs to one racer; main thread only.
#pragma once

#include <list>
#include <string>

#include "engine/ai/drive_input.h"
#include "engine/ai/waypoint.h"

namespace velm {
namespace ai {

class CAIBase {
public:
    CAIBase() = default;
    virtual ~CAIBase() = default;

    // Fills `out` with this frame's input and returns it. `targets` are detour points, front first.
    virtual SDriveInput& Update(SDriveInput& out, const SRacerInfo& own, const std::list<SRacerInfo>& targets,
                                float dt) = 0;
    // Index -1 (or the last index) appends; an index past the end inserts nothing.
    virtual void InsertWaypoint(const CWaypointData& waypoint, int index);
    // The first waypoint with that position and direction.
    virtual void RemoveWaypoint(const CWaypointData& waypoint);
    virtual bool RemoveWaypoint(int index);

    void SetTuningValue(float value) { m_tuningValue = value; }
    float GetTuningValue() const { return m_tuningValue; }
    const std::list<CWaypointData>& GetRoute() const { return m_waypoints; }

protected:
    std::string m_name;
    std::list<CWaypointData> m_waypoints;
    float m_tuningValue = 0.0f;
};

} // namespace ai
} // namespace velm
