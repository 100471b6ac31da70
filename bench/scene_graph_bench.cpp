// Building a scene graph of units piled at one place, as a level of many objects at one
// position gives: each unit nests under the ones before it down to the graph's deepest level,
// so a build costs a few enclosure tests per unit rather than one per unit already there.
// BM_BuildPiledUnits/N builds N equal boxes at one point on the null device.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/gfx/gfx_core.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/gfx/scene_graph_mgr.h"
#include "engine/gfx/scene_test_units.h"
#include "platform/dxut/dxut.h"
#include "platform/dxut/dxut_device.h"

namespace {

void BM_BuildPiledUnits(benchmark::State& state) {
    setenv("TK_D3D9_DEVICE", "null", 1);
    velm::gfx::GFXCore::Instance().CreateDevice();
    std::vector<std::unique_ptr<velm::gfx::CGfxUnit>> boxes;
    std::vector<velm::gfx::IGfxUnit*> units;
    for (int i = 0; i < state.range(0); ++i) {
        boxes.push_back(tktest::MakeBox({}));
        units.push_back(boxes.back().get());
    }
    velm::gfx::CDefaultSceneGraphMgrImp graph;
    for (auto _ : state) {
        graph.Build(units);
        benchmark::DoNotOptimize(graph.GetRoot());
    }
    state.counters["depth"] = velm::gfx::ACSceneGraphMgrImp::Depth(graph.GetRoot());
    graph.Clear();
    boxes.clear();
    velm::gfx::GFXCore::Destroy();
    platform::DXUTDestroyDevice();
    platform::DXUTReset();
}
BENCHMARK(BM_BuildPiledUnits)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

} // namespace
