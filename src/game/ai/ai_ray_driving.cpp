#include "game/ai/ai_ray_driving.h"

namespace kelvo {
namespace ai {

AIRayDriving::AIRayDriving() : m_sensor(std::make_unique<CRaySensor>(false)) {}

AIRayDriving::~AIRayDriving() = default;

bool AIRayDriving::SetNet(velm::ai::CNeuralNet* net) {
    if (m_net != nullptr) {
        return false;
    }
    m_net = net;
    return true;
}

velm::ai::SDriveInput AIRayDriving::Decide(const std::vector<double>& s) {
    velm::ai::SDriveInput out;
    if (s.size() != 2) {
        return out;
    }
    if (s[0] > LEFT_RATIO) {
        out.m_forward = true;
        out.m_left = true;
    } else if (s[0] < RIGHT_RATIO) {
        out.m_forward = true;
        out.m_right = true;
    }
    return out;
}

velm::ai::SDriveInput& AIRayDriving::Update(velm::ai::SDriveInput& out, const velm::ai::SRacerInfo&,
                                            const std::list<velm::ai::SRacerInfo>&, float) {
    out = velm::ai::SDriveInput();
    if (m_racer != nullptr) {
        out = Decide(m_sensor->Sample(m_racer, velm::ai::WaypointList()));
    }
    return out;
}

} // namespace ai
} // namespace kelvo
