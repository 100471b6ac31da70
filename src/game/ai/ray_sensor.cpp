#include "game/ai/ray_sensor.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "game/ai/waypoint_editor.h"

namespace kelvo {
namespace ai {

CRaySensor::CRaySensor(bool debug, IWaypointMarkers* markers) : m_debug(debug), m_markers(markers) {
    if (m_debug && m_markers != nullptr) {
        for (int i = 0; i < 3; ++i) {
            m_markerIds.push_back(m_markers->CreateMarker(common::CVector3(), false));
        }
    }
}

CRaySensor::~CRaySensor() {
    if (m_log.IsOpen() && !m_log.Close()) {
        std::fprintf(stderr, "%s: %s; the last driving samples may be lost\n", m_fileName.c_str(),
                     m_log.GetError().c_str());
    }
}

void CRaySensor::OpenLog(const std::string& fileName, int window) {
    m_fileName = fileName;
    if (!m_log.Open(fileName, platform::CLogFile::EMode::TRUNCATE)) {
        std::fprintf(stderr, "%s: %s; driving samples are not recorded\n", fileName.c_str(), m_log.GetError().c_str());
    }
    m_window = window;
}

std::vector<double> CRaySensor::RatioSample(float left, bool leftHit, float right, bool rightHit) {
    // A ray that found no bank sees open water; beyond FAR_DISTANCE only the ratio's size counts.
    const float farAway = FAR_DISTANCE * 1000.0f;
    const float dL = leftHit ? std::max(left, MIN_DISTANCE) : farAway;
    const float dR = rightHit ? std::max(right, MIN_DISTANCE) : farAway;
    if (std::min(dL, dR) > FAR_DISTANCE) {
        return {1.0, 1.0};
    }
    return {static_cast<double>(dL / dR), static_cast<double>(dR / dL)};
}

void CRaySensor::Record(const CRacerModel* racer, const std::vector<double>& values,
                        const velm::ai::WaypointList& waypoints) {
    RecordSample(Sample(racer, waypoints), values);
}

void CRaySensor::RecordSample(const std::vector<double>& sample, const std::vector<double>& values) {
    if (sample.size() == 2) {
        m_paired.push_back(values);
        m_samples.push_back(sample);
    }
    if (static_cast<int>(m_samples.size()) >= m_window) {
        WriteLog();
    }
}

void CRaySensor::WriteLog() {
    if (m_log.IsOpen()) {
        std::ostringstream lines;
        for (std::size_t i = 0; i < m_samples.size(); ++i) {
            for (std::size_t j = 0; j < m_samples[i].size(); ++j) {
                lines << (j == 0 ? "" : ",") << m_samples[i][j];
            }
            lines << " : ";
            for (std::size_t j = 0; j < m_paired[i].size(); ++j) {
                lines << (j == 0 ? "" : ",") << m_paired[i][j];
            }
            lines << "\n";
        }
        if (!m_log.Write(lines.str())) {
            std::fprintf(stderr, "%s: %s; the driving samples stop here\n", m_fileName.c_str(),
                         m_log.GetError().c_str());
        }
    }
    m_samples.clear();
    m_paired.clear();
}

} // namespace ai
} // namespace kelvo
