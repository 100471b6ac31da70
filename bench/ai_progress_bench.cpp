// The race ranking's queries: six racers' progress along a ranking path of the default track's
// size (38 sparse points resampled at density 4, about 190 waypoints), as the ranking asks ten
// times a second. One iteration is one ranking update. The baseline walks the whole path and
// sums its whole length on every query, which the length cache and the stopping walk avoid.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "engine/ai/ai_manager.h"
#include "libs/common/script_manager.h"

namespace {

using common::CVector3;

constexpr int kRacers = 6;

velm::ai::CWaypointPath RankPath() {
    velm::ai::CWaypointPath path;
    path.m_name = "rank";
    for (int i = 0; i < 38; ++i) {
        const float z = 235.0f - 40.0f * static_cast<float>(i);
        path.m_waypoints.emplace_back(CVector3(6.0f * std::sin(z * 0.01f), 0.0f, z));
    }
    return path;
}

std::vector<CVector3> Racers(int frame) {
    std::vector<CVector3> racers;
    for (int r = 0; r < kRacers; ++r) {
        const float z = 190.0f - static_cast<float>((frame * 7 + r * 31) % 1400);
        racers.emplace_back(6.0f * std::sin(z * 0.01f) + 0.5f * static_cast<float>(r), 0.0f, z);
    }
    return racers;
}

void BM_RankProgress(benchmark::State& state) {
    common::CScriptManager::GetInstance()->RunString("RANK_PATH = 'rank' RANK_PATH_DENSITY = 4");
    velm::ai::CAIManager manager;
    manager.AddPath(RankPath());
    manager.GetRankProgress(CVector3());
    int frame = 0;
    for (auto _ : state) {
        for (const CVector3& p : Racers(frame++)) {
            benchmark::DoNotOptimize(manager.GetRankProgress(p));
        }
    }
}
BENCHMARK(BM_RankProgress);

void BM_RankProgressFullScan(benchmark::State& state) {
    common::CScriptManager::GetInstance()->RunString("RANK_PATH = 'rank' RANK_PATH_DENSITY = 4");
    velm::ai::CAIManager manager;
    manager.AddPath(RankPath());
    manager.GetRankProgress(CVector3());
    const velm::ai::WaypointList& wps = manager.GetRankWaypoints();
    int frame = 0;
    for (auto _ : state) {
        for (const CVector3& p : Racers(frame++)) {
            std::size_t nearest = 0;
            float best = 1e30f;
            for (std::size_t i = 0; i < wps.size(); ++i) {
                const float d = (wps[i].m_position - p).Length();
                if (d < best) {
                    best = d;
                    nearest = i;
                }
            }
            float total = 0.0f;
            float upTo = 0.0f;
            for (std::size_t i = 0; i + 1 < wps.size(); ++i) {
                const float step = (wps[i + 1].m_position - wps[i].m_position).Length();
                total += step;
                upTo += i < nearest ? step : 0.0f;
            }
            benchmark::DoNotOptimize(upTo / total);
        }
    }
}
BENCHMARK(BM_RankProgressFullScan);

} // namespace
