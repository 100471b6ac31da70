#include "game/ai/ray_sensor.h"

#include "engine/phy/height_map.h"
#include "game/ai/waypoint_editor.h"
#include "game/world/racer_controller.h"
#include "game/world/racer_model.h"

namespace kelvo {
namespace ai {

std::vector<double> CRaySensor::Sample(const CRacerModel* racer, const velm::ai::WaypointList&) {
    // The model caches the grid it stands on; the sensor only asks.
    CRacerModel* model = const_cast<CRacerModel*>(racer);
    velm::phy::CHeightMap* grid = model != nullptr ? model->GetHeightGrid() : nullptr;
    CRacerController* controller = model != nullptr ? model->GetRacerController() : nullptr;
    if (grid == nullptr || controller == nullptr) {
        return {};
    }
    const common::CVector3 position = model->GetPosition();
    auto bank = [&](const common::CVector3& direction, int marker, float& distance) {
        common::CVector3 hit;
        if (!grid->RayCast(position, direction.GetNormalized(), hit)) {
            return false;
        }
        if (m_debug && m_markers != nullptr && marker < static_cast<int>(m_markerIds.size())) {
            m_markers->MoveMarker(m_markerIds[static_cast<std::size_t>(marker)], hit);
        }
        common::CVector3 offset = hit - position;
        offset.y = 0.0f;
        distance = offset.Length();
        return true;
    };
    float right = 0.0f;
    float left = 0.0f;
    const bool rightHit = bank(-controller->GetSideVector(), 1, right);
    const bool leftHit = bank(controller->GetSideVector(), 2, left);
    return RatioSample(left, leftHit, right, rightHit);
}

} // namespace ai
} // namespace kelvo
