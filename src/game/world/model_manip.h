// kelvo::CModelManip, the developer tools' keyboard manipulator: while picking is on, U/I, O/P
// and K/L nudge the picked model along x, y and z by 0.4, and every move has the race copy the
// waypoint markers' positions back into its waypoint editor, so dragging a marker edits the path.
// Main thread only; one per process through common::CSingleton<kelvo::CModelManip>.
#pragma once

#include <functional>

#include "engine/core/model_manip.h"

namespace kelvo {

class CModelManip : public velm::ACModelManip {
public:
    static constexpr float kStep = 0.4f;
    // Brings the waypoint path in step with its markers after a move.
    using MarkerSync = std::function<void()>;

    CModelManip();

    // Consumes the presses of the six move keys while picking is on.
    bool HandleInput(const velm::input::SInputEvent& event) override;
    void MoveX(float delta) override;
    void MoveY(float delta) override;
    void MoveZ(float delta) override;
    void SetPosition(float x, float y, float z) override;

    // The race's waypoint editor unless replaced.
    void SetMarkerSync(MarkerSync sync) { m_markerSync = std::move(sync); }

private:
    void SyncMarkers();

    MarkerSync m_markerSync;
};

} // namespace kelvo
