// The AI manager the application owns: it holds the named waypoint paths, the neural nets and
// the ranking path that the computer racers and the race ranking read, and answers path queries.
// Scripts fill it before a level loads (the loading thread then reads it); otherwise main thread.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/ai/catmull_rom_spline.h"
#include "engine/ai/waypoint.h"

namespace velm {
namespace ai {

class AINeural;
class CNeuralNet;

// Index of the waypoint nearest p by a coarse-then-fine walk that stops once the distance
// rises; 0 for an empty list.
int FindNearestWaypoint(const WaypointList& waypoints, const common::CVector3& p);

class CAIManager {
public:
    static constexpr std::uint32_t WHOLE_PATH = 0xFFFFFFFFu;

    CAIManager();
    virtual ~CAIManager();
    CAIManager(const CAIManager&) = delete;
    CAIManager& operator=(const CAIManager&) = delete;

    // A path of an existing name has its waypoints replaced.
    void AddPath(const CWaypointPath& path);
    // The path of exactly that name, else the first path; null only when there is none.
    const CWaypointPath* FindPath(const std::string& name) const;
    std::uint32_t GetPathCount() const { return static_cast<std::uint32_t>(m_paths.size()); }
    const CWaypointPath& GetPath(std::uint32_t index) const;

    CNeuralNet* FindNet(const std::string& name) const;
    // False when a net of that name is held; the refused net is freed.
    bool AddNet(std::unique_ptr<CNeuralNet> net);

    // A driver steering with the named net along the named path (an empty route without paths).
    std::unique_ptr<AINeural> CreateNeuralDriver(const std::string& netName, const std::string& pathName,
                                                 int difficulty) const;

    // Length along the waypoints up to index upTo (WHOLE_PATH: to the end). Whole lengths of the
    // manager's own paths are cached until those paths change.
    float GetPathLength(const WaypointList& waypoints, std::uint32_t upTo);
    // Share of the path's length up to the waypoint nearest p; 0 on a path without length.
    double GetPathProgress(const WaypointList& waypoints, const common::CVector3& p);
    // Progress along the ranking path, built on first use from the script globals RANK_PATH and
    // RANK_PATH_DENSITY.
    double GetRankProgress(const common::CVector3& p);

    // Sets the ranking path's points directly, in place of the one built from the script globals.
    void SetRankPath(const std::vector<common::CVector3>& points);
    const WaypointList& GetRankWaypoints() const { return m_rankWaypoints; }
    const CCatmullRomSpline& GetSpline() const { return m_spline; }

private:
    void BuildRankPath();

    // A list keeps every path's storage at one address for the cache's keys.
    std::list<CWaypointPath> m_paths;
    std::vector<std::unique_ptr<CNeuralNet>> m_nets;
    std::unordered_map<const WaypointList*, float> m_lengthCache;
    float m_rankLength = 0.0f;
    WaypointList m_rankWaypoints;
    CCatmullRomSpline m_spline;
};

} // namespace ai
} // namespace velm
