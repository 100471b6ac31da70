// Pool against system heap for scene-node-sized objects: a churn of one million releases and
// allocations over a live set, and a burst of one million objects allocated then released.
// The heap's figures depend on what the process did before (whether a burst's memory can be
// handed back to the system and faulted in again), so compare each benchmark run on its own,
// --benchmark_filter='^Burst<CHeapNode>$' and so on, as well as the whole program.
#include <cstdint>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#include "libs/memmgr/mng_obj.h"

namespace {

constexpr int kChurn = 1000000;
constexpr int kLiveSet = 10000;

// Roughly a scene node: a matrix, a bounding sphere, a few links and flags.
struct SNodeBody {
    float world[16];
    float local[16];
    float sphere[4];
    void* parent;
    void* children[4];
    std::uint32_t flags;
};

struct CPooledNode : MemMgr::CMngObj {
    SNodeBody body;
};

struct CHeapNode {
    virtual ~CHeapNode() = default;
    SNodeBody body;
};

// Index sequence fixed per run so both variants replace the same slots.
std::vector<std::uint32_t> ReplacementOrder() {
    std::vector<std::uint32_t> order(kChurn);
    std::uint32_t x = 12345u;
    for (auto& i : order) {
        x = x * 1664525u + 1013904223u;
        i = (x >> 8) % kLiveSet;
    }
    return order;
}

template <class TNode>
void Churn(benchmark::State& state) {
    const std::vector<std::uint32_t> order = ReplacementOrder();
    std::vector<TNode*> live(kLiveSet);
    for (auto& p : live) {
        p = new TNode;
    }
    for (auto _ : state) {
        for (const std::uint32_t i : order) {
            delete live[i];
            live[i] = new TNode;
            benchmark::DoNotOptimize(live[i]);
        }
    }
    for (auto* p : live) {
        delete p;
    }
    state.SetItemsProcessed(state.iterations() * kChurn);
}

template <class TNode>
void Burst(benchmark::State& state) {
    std::vector<TNode*> nodes(kChurn);
    for (auto _ : state) {
        for (auto& p : nodes) {
            p = new TNode;
        }
        benchmark::DoNotOptimize(nodes.data());
        for (auto* p : nodes) {
            delete p;
        }
    }
    state.SetItemsProcessed(state.iterations() * kChurn);
}

} // namespace

BENCHMARK_TEMPLATE(Churn, CPooledNode)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(Churn, CHeapNode)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(Burst, CPooledNode)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(Burst, CHeapNode)->Unit(benchmark::kMillisecond);
