#include "game/ai/ray_sensor.h"

#include <algorithm>
#include <cmath>

#include "game/world/racer_model.h"

namespace kelvo {
namespace ai {

CRaySensor::~CRaySensor() { m_log.close(); }

bool CRaySensor::OpenLog(const std::string& fileName, std::size_t window) {
    m_fileName = fileName;
    m_window = window;
    m_log.close();
    m_log.open(fileName, std::ios::out | std::ios::trunc);
    const bool opened = m_log.is_open();
    m_log.close();
    return opened;
}

std::vector<double> CRaySensor::Sample(CRacerModel& racer, const std::vector<velm::ai::CWaypointData>& waypoints) {
    if (waypoints.empty()) {
        return {};
    }
    // Distance to the nearest waypoint, capped by the range, and the offset to it across and
    // along the water.
    const common::CVector3 position = racer.GetPosition();
    const velm::ai::CWaypointData* nearest = &waypoints.front();
    float best = (nearest->m_position - position).LengthSquared();
    for (const auto& waypoint : waypoints) {
        const float distance = (waypoint.m_position - position).LengthSquared();
        if (distance < best) {
            best = distance;
            nearest = &waypoint;
        }
    }
    const common::CVector3 offset = nearest->m_position - position;
    return {std::min(static_cast<double>(std::sqrt(best)), static_cast<double>(m_range)), offset.x, offset.z};
}

void CRaySensor::Record(CRacerModel& racer, const std::vector<double>& inputs,
                        const std::vector<velm::ai::CWaypointData>& waypoints) {
    std::vector<double> rays = Sample(racer, waypoints);
    if (rays.size() != 3) {
        return;
    }
    m_rays.push_back(rays);
    m_inputs.push_back(inputs);
    if (m_window == 0 || m_rays.size() < m_window) {
        return;
    }
    m_log.open(m_fileName, std::ios::out | std::ios::app);
    for (std::size_t i = 0; i < m_rays.size(); ++i) {
        for (std::size_t j = 0; j < m_rays[i].size(); ++j) {
            m_log << (j == 0 ? "" : ",") << m_rays[i][j];
        }
        m_log << " : ";
        for (std::size_t j = 0; j < m_inputs[i].size(); ++j) {
            m_log << (j == 0 ? "" : ",") << m_inputs[i][j];
        }
        m_log << "\n";
    }
    m_log.close();
    m_rays.clear();
    m_inputs.clear();
}

} // namespace ai
} // namespace kelvo
