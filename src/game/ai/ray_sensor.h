// kelvo::ai::CRaySensor measures how far the river banks are to the left and right of a racer by
// two horizontal rays against the terrain, as the ratios (left / right, right / left); it also
// records those samples with the caller's values to a text log, a window of lines at a time.
// One per driver or recording controller; main thread only.
#pragma once

#include <string>
#include <vector>

#include "engine/ai/waypoint.h"
#include "game/world/race_context.h"
#include "platform/win32/file_write.h"

namespace kelvo {

class CRacerModel;
class IWaypointMarkers;

namespace ai {

class CRaySensor : public IDrivingRecorder {
public:
    // Banks farther than this on both sides read as open water.
    static constexpr float FAR_DISTANCE = 2.0f;
    // A hit closer than this is taken at this distance, so a ratio never divides by zero.
    static constexpr float MIN_DISTANCE = 0.01f;

    // With the debug flag and markers, three marker objects show the sensor's hits.
    explicit CRaySensor(bool debug, IWaypointMarkers* markers = nullptr);
    ~CRaySensor() override;

    // Starts the log; samples are written `window` at a time. The file is created empty when
    // there is none; an earlier one stays whole until this run's first window has been written
    // beside it and put in its place, and later windows are added to its end. A log that cannot
    // be written is said once on standard error, and its samples are dropped.
    void OpenLog(const std::string& fileName, int window);
    // Two values (left / right, right / left), or none without a racer or terrain under it.
    virtual std::vector<double> Sample(const CRacerModel* racer, const velm::ai::WaypointList& waypoints);
    void Record(const CRacerModel* racer, const std::vector<double>& values,
                const velm::ai::WaypointList& waypoints) override;
    // Keeps a two-value sample with the caller's values; writes the log once a window is full.
    void RecordSample(const std::vector<double>& sample, const std::vector<double>& values);
    void WriteLog();

    // The sample for bank distances; a side whose ray missed reads as far.
    static std::vector<double> RatioSample(float left, bool leftHit, float right, bool rightHit);

    std::size_t GetPendingCount() const { return m_samples.size(); }
    const std::vector<int>& GetMarkerIds() const { return m_markerIds; }

private:
    // One window's lines to the log.
    void Append(const std::string& text);

    std::vector<std::vector<double>> m_samples;
    std::vector<std::vector<double>> m_paired;
    std::vector<int> m_markerIds;
    int m_window = 1;
    std::string m_fileName;
    platform::CLogFile m_log;
    // This run's first window has replaced the earlier file; or the log has stopped.
    bool m_replaced = false;
    bool m_stopped = true;
    bool m_debug;
    IWaypointMarkers* m_markers;
};

} // namespace ai
} // namespace kelvo
