#include "engine/ai/ai_manager.h"

#include <iterator>

#include "engine/ai/ai_neural.h"
#include "engine/ai/neural_net.h"
#include "libs/common/checked_number.h"
#include "libs/common/mersenne_twister.h"
#include "libs/common/script_manager.h"

namespace velm {
namespace ai {

int FindNearestWaypoint(const WaypointList& wps, const common::CVector3& p) {
    const int n = static_cast<int>(wps.size());
    const int stride = n / 10;
    int best = -1;
    float bestDist = 1.0e9f;
    if (stride > 1) {
        for (int i = 0; i < n; i += stride) {
            const float d = (wps[static_cast<std::size_t>(i)].m_position - p).Length();
            if (d < bestDist) {
                bestDist = d;
                best = i;
            } else {
                best -= stride;
                break;
            }
        }
    }
    const int start = best >= 1 ? best : 0;
    bestDist = 1.0e9f;
    for (int i = start; i < n; ++i) {
        const float d = (wps[static_cast<std::size_t>(i)].m_position - p).Length();
        if (d <= bestDist) {
            bestDist = d;
            best = i;
        } else {
            break;
        }
    }
    return best > 0 ? best : 0;
}

CAIManager::CAIManager() { common::CMersenneTwister::GetInstance().SeedWithTime(); }

CAIManager::~CAIManager() = default;

void CAIManager::AddPath(const CWaypointPath& path) {
    for (CWaypointPath& held : m_paths) {
        if (held.m_name == path.m_name) {
            m_lengthCache.erase(&held.m_waypoints);
            held.m_waypoints = path.m_waypoints;
            held.RebuildLineData();
            return;
        }
    }
    CWaypointPath added;
    added.m_name = path.m_name;
    added.m_waypoints = path.m_waypoints;
    added.RebuildLineData();
    m_paths.push_back(std::move(added));
}

const CWaypointPath* CAIManager::FindPath(const std::string& name) const {
    for (const CWaypointPath& held : m_paths) {
        if (held.m_name == name) {
            return &held;
        }
    }
    return m_paths.empty() ? nullptr : &m_paths.front();
}

const CWaypointPath& CAIManager::GetPath(std::uint32_t index) const { return *std::next(m_paths.begin(), index); }

CNeuralNet* CAIManager::FindNet(const std::string& name) const {
    for (const auto& net : m_nets) {
        if (net->GetName() == name) {
            return net.get();
        }
    }
    return nullptr;
}

bool CAIManager::AddNet(std::unique_ptr<CNeuralNet> net) {
    if (net == nullptr || FindNet(net->GetName()) != nullptr) {
        return false;
    }
    m_nets.push_back(std::move(net));
    return true;
}

std::unique_ptr<AINeural> CAIManager::CreateNeuralDriver(const std::string& netName, const std::string& pathName,
                                                         int /*difficulty*/) const {
    auto driver = std::make_unique<AINeural>();
    driver->SetNet(FindNet(netName));
    if (const CWaypointPath* path = FindPath(pathName)) {
        for (const CWaypointData& waypoint : path->m_waypoints) {
            driver->InsertWaypoint(waypoint, -1);
        }
    }
    return driver;
}

float CAIManager::GetPathLength(const WaypointList& wps, std::uint32_t upTo) {
    const std::size_t n = wps.size();
    if (n == 0) {
        return 0.0f;
    }
    const bool whole = upTo == WHOLE_PATH || upTo >= n - 1;
    // Only storage the manager owns is cached: a caller's vector may be gone by the next query.
    bool owned = &wps == &m_rankWaypoints;
    for (const CWaypointPath& held : m_paths) {
        owned = owned || &wps == &held.m_waypoints;
    }
    if (whole && owned) {
        auto cached = m_lengthCache.find(&wps);
        if (cached != m_lengthCache.end()) {
            return cached->second;
        }
    }
    const std::size_t limit = whole ? n - 1 : upTo;
    float length = 0.0f;
    for (std::size_t k = 0; k < limit; ++k) {
        length += (wps[k + 1].m_position - wps[k].m_position).Length();
    }
    if (whole && owned) {
        m_lengthCache[&wps] = length;
    }
    return length;
}

double CAIManager::GetPathProgress(const WaypointList& wps, const common::CVector3& p) {
    const float total = GetPathLength(wps, WHOLE_PATH);
    if (!(total > 0.0f)) {
        return 0.0;
    }
    const int nearest = FindNearestWaypoint(wps, p);
    return static_cast<double>(GetPathLength(wps, static_cast<std::uint32_t>(nearest))) / total;
}

double CAIManager::GetRankProgress(const common::CVector3& p) {
    if (m_rankLength == 0.0f) {
        BuildRankPath();
    }
    return GetPathProgress(m_rankWaypoints, p);
}

void CAIManager::SetRankPath(const std::vector<common::CVector3>& points) {
    m_lengthCache.erase(&m_rankWaypoints);
    m_rankWaypoints.clear();
    for (const common::CVector3& point : points) {
        m_rankWaypoints.emplace_back(point);
    }
    m_rankLength = GetPathLength(m_rankWaypoints, WHOLE_PATH);
}

void CAIManager::BuildRankPath() {
    common::CScriptManager* script = common::CScriptManager::GetInstance();
    const std::string name = script->GetGlobalString("RANK_PATH");
    const int density =
        common::CheckWhole(script->GetGlobalNumber("RANK_PATH_DENSITY"), {0.0, CCatmullRomSpline::kDensest, 0.0},
                           common::kScriptGlobalOrigin, common::ScriptGlobalField("RANK_PATH_DENSITY"));
    std::vector<common::CVector3> points;
    if (const CWaypointPath* path = FindPath(name)) {
        for (const CWaypointData& waypoint : path->m_waypoints) {
            points.push_back(waypoint.m_position);
        }
    }
    m_lengthCache.erase(&m_rankWaypoints);
    m_rankWaypoints.clear();
    for (const common::CVector3& point : m_spline.Resample(points, density)) {
        m_rankWaypoints.emplace_back(point);
    }
    m_rankLength = GetPathLength(m_rankWaypoints, WHOLE_PATH);
}

} // namespace ai
} // namespace velm
