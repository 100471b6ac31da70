// kelvo::ai::CRaySensor, the driving-sample recorder: each frame one sample of the racer against
// the track with the player's three input flags, written to its log every window of samples as
// "ray,ray,ray : in,in,in" lines. Owned by the human racer controller; main thread only.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "engine/ai/waypoint.h"

namespace kelvo {

class CRacerModel;

namespace ai {

class CRaySensor {
public:
    explicit CRaySensor(float sensorRange) : m_range(sensorRange) {}
    virtual ~CRaySensor();

    // Creates or empties the file.
    bool OpenLog(const std::string& fileName, std::size_t window);
    void Record(CRacerModel& racer, const std::vector<double>& inputs,
                const std::vector<velm::ai::CWaypointData>& waypoints);

protected:
    // The ray values of one sample; a sample that is not exactly three values is not kept.
    virtual std::vector<double> Sample(CRacerModel& racer, const std::vector<velm::ai::CWaypointData>& waypoints);

private:
    float m_range;
    std::string m_fileName;
    std::ofstream m_log;
    std::size_t m_window = 0;
    std::vector<std::vector<double>> m_rays;
    std::vector<std::vector<double>> m_inputs;
};

} // namespace ai
} // namespace kelvo
