// kelvo::CModelManip, the developer tools' keyboard manipulator: while picking is on, U/I, O/P
// and K/L nudge the picked model along x, y and z by 0.4, and every move copies the waypoint
// markers' positions back into the waypoint editor, so dragging a marker edits the path.
// Main thread only; one per process through common::CSingleton<kelvo::CModelManip>.
#pragma once

#include <functional>

#include "engine/core/model_manip.h"

namespace kelvo {

class CWaypointEditor;

class CModelManip : public velm::ACModelManip {
public:
    static constexpr float kStep = 0.4f;
    // The editor kept in step with the markers; null when there is none.
    using WaypointSource = std::function<CWaypointEditor*()>;

    CModelManip();

    // Consumes the presses of the six move keys while picking is on.
    bool HandleInput(const velm::input::SInputEvent& event) override;
    void MoveX(float delta) override;
    void MoveY(float delta) override;
    void MoveZ(float delta) override;
    void SetPosition(float x, float y, float z) override;

    // The game's waypoint editor unless replaced.
    void SetWaypointSource(WaypointSource source) { m_waypoints = std::move(source); }

private:
    void SyncMarkers();

    WaypointSource m_waypoints;
};

} // namespace kelvo
