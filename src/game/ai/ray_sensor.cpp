#include "game/ai/ray_sensor.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <system_error>

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
    m_window = window;
    m_replaced = false;
    m_stopped = false;
    m_log.Close();
    // Emptying the earlier file now would lose it to a disk that fills before the first window.
    std::string error;
    std::error_code unknown;
    if (!std::filesystem::exists(fileName, unknown) && !platform::ReplaceFile(fileName, std::string(), error)) {
        std::fprintf(stderr, "%s: %s; driving samples are not recorded\n", fileName.c_str(), error.c_str());
        m_stopped = true;
    }
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
    if (!m_stopped) {
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
        Append(lines.str());
    }
    m_samples.clear();
    m_paired.clear();
}

void CRaySensor::Append(const std::string& text) {
    if (m_replaced) {
        if (!m_log.Write(text)) {
            std::fprintf(stderr, "%s: %s; the driving samples stop here\n", m_fileName.c_str(),
                         m_log.GetError().c_str());
            m_stopped = true;
        }
        return;
    }
    // The first window replaces the earlier run's file whole, or leaves it as it was.
    std::string error;
    if (!platform::ReplaceFile(m_fileName, text, error)) {
        std::fprintf(stderr, "%s: %s; the driving samples stop here and the earlier file is kept\n", m_fileName.c_str(),
                     error.c_str());
        m_stopped = true;
        return;
    }
    m_replaced = true;
    if (!m_log.Open(m_fileName, platform::CLogFile::EMode::APPEND)) {
        std::fprintf(stderr, "%s: %s; the driving samples stop here\n", m_fileName.c_str(), m_log.GetError().c_str());
        m_stopped = true;
    }
}

} // namespace ai
} // namespace kelvo
