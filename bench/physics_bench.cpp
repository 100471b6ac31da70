// The physics step at race load: six racer-like bodies (cylinder hull, gravity, air drag, thrust
// and buoyancy in the river's flow, steering to the river's middle) on a long water field among
// 60 scenery hulls, with the collision events delivered each frame; then the same river crowded
// with 60 such bodies, where the pair tests dominate. One iteration is one frame. Last, the water
// height and flow under scattered points of a river of many cells.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/events/engine_events.h"
#include "engine/events/event_manager.h"
#include "engine/phy/buoyancy_force.h"
#include "engine/phy/ext_force_cntrl.h"
#include "engine/phy/physics_world.h"
#include "engine/phy/rigid_body.h"
#include "engine/phy/water_field.h"
#include "support/racer_body.h"

namespace {

using common::CVector3;
using velm::phy::CRigidBody;

constexpr int kRaceBodies = 6;
constexpr int kCrowdBodies = 60;
constexpr int kRacersPerRow = 6;
constexpr int kScenery = 60;
constexpr int kFrames = 10000;
constexpr float kFrameTime = 1.0f / 60.0f;
constexpr int kRiverCells = 120;
constexpr float kCellLength = 20.0f;
constexpr float kRiverHalfWidth = 12.0f;

class CCountingListener : public velm::IEventListener {
public:
    bool HandleEvent(const velm::CEvent& /*event*/) override {
        ++m_count;
        return false;
    }
    std::string GetName() override { return "BenchCollisions"; }
    long m_count = 0;
};

// The river runs from z = 0 towards -z with a slight downhill slope, flowing along -z.
std::shared_ptr<velm::phy::CWaterField> River() {
    std::vector<velm::phy::CGridCell> cells;
    for (int i = 0; i < kRiverCells; ++i) {
        const float z0 = -i * kCellLength;
        const float z1 = z0 - kCellLength;
        const float y0 = -0.01f * i * kCellLength;
        const float y1 = y0 - 0.01f * kCellLength;
        cells.emplace_back(CVector3(-kRiverHalfWidth, y0, z0), CVector3(-kRiverHalfWidth, y1, z1),
                           CVector3(kRiverHalfWidth, y1, z1), CVector3(kRiverHalfWidth, y0, z0),
                           CVector3(std::sin(0.3f * i) * 0.2f, 0.0f, -1.0f));
    }
    return std::make_shared<velm::phy::CWaterField>(cells);
}

std::shared_ptr<CRigidBody> Racer(velm::phy::CPhysicsWorld& world, int index) {
    const int column = index % kRacersPerRow;
    const int row = index / kRacersPerRow;
    velm::phy::ThrustForce* thrust = nullptr;
    auto body = tktest::MakeRacerBody(world, CVector3(-7.5f + 3.0f * column, 0.5f, -5.0f - 2.5f * row),
                                      4.0f + 0.5f * column, &thrust);
    thrust->SetDirection(CVector3(0.0f, 0.0f, -1.0f));
    return body;
}

// Rocks and logs in and beside the river, owned by the scenery bodies the game keeps itself.
std::shared_ptr<CRigidBody> Scenery(int index) {
    auto body = std::make_shared<CRigidBody>();
    const float side = (index % 2 == 0) ? -1.0f : 1.0f;
    body->SetPosition(CVector3(side * (3.0f + (index % 5) * 2.0f), 0.0f, -20.0f - 30.0f * index));
    if (index % 3 == 0) {
        body->SetCylinderHull(4.0f, 0.4f, 50.0f, 4, 16, true);
    } else {
        body->SetBoxHull(1.5f, 1.5f, 1.5f, 100.0f, true);
    }
    body->SetStatic(true);
    return body;
}

void BM_PhysicsStep(benchmark::State& state) {
    const int bodies = static_cast<int>(state.range(0));
    velm::CEventManager events;
    velm::SetEventManager(&events);
    auto listener = std::make_shared<CCountingListener>();
    events.AddListener(listener, velm::CEventType(velm::kObjectCollisionEventName));
    velm::phy::SetRiverDensity(30.0f);
    velm::phy::SetRiverSpeed(3.0f);

    velm::phy::CPhysicsWorld world;
    world.AddWaterField(1000, River());
    std::vector<std::shared_ptr<CRigidBody>> racers;
    for (int i = 0; i < bodies; ++i) {
        racers.push_back(Racer(world, i));
        world.AddBody(static_cast<std::uint32_t>(1 + i), racers.back());
    }
    std::vector<std::shared_ptr<CRigidBody>> scenery;
    for (int i = 0; i < kScenery; ++i) {
        scenery.push_back(Scenery(i));
        world.AddHull(static_cast<std::uint32_t>(100 + i), scenery.back()->GetHullSlot());
    }

    std::vector<velm::phy::ThrustForce*> thrusts;
    for (const auto& racer : racers) {
        thrusts.push_back(
            static_cast<velm::phy::ThrustForce*>(racer->GetForceCntrl(velm::phy::kThrustForceName).get()));
    }
    for (auto _ : state) {
        // Each racer steers back towards the middle of the river, as its controller would.
        for (std::size_t i = 0; i < racers.size(); ++i) {
            thrusts[i]->SetDirection(CVector3(-0.1f * racers[i]->GetPosition().x, 0.0f, -1.0f));
        }
        world.Update(kFrameTime);
        events.Tick(-1);
    }
    state.counters["collisions"] = static_cast<double>(listener->m_count);
    int afloat = 0;
    for (const auto& racer : racers) {
        const auto buoyancy = racer->GetForceCntrl(velm::phy::kBuoyancyForceName);
        afloat += static_cast<velm::phy::BuoyancyForce*>(buoyancy.get())->IsInWater() ? 1 : 0;
    }
    state.counters["afloat"] = afloat;
    state.counters["racer0_z"] = racers[0]->GetPosition().z;
    velm::SetEventManager(nullptr);
    velm::phy::SetRiverDensity(0.0f);
    velm::phy::SetRiverSpeed(0.0f);
}

BENCHMARK(BM_PhysicsStep)
    ->Arg(kRaceBodies)
    ->Arg(kCrowdBodies)
    ->ArgName("bodies")
    ->Iterations(kFrames)
    ->Unit(benchmark::kMicrosecond);

// A winding river of rows of eight cells, each row a little turned, queried at points spread over
// it and beside it; one iteration is one query.
void BM_WaterSurface(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    constexpr int kColumns = 8;
    std::vector<velm::phy::CGridCell> cells;
    for (int row = 0; row < rows; ++row) {
        const float z0 = -row * 4.0f;
        const float shift0 = 6.0f * std::sin(0.05f * row);
        const float shift1 = 6.0f * std::sin(0.05f * (row + 1));
        for (int column = 0; column < kColumns; ++column) {
            const float x0 = -16.0f + 4.0f * column;
            cells.emplace_back(CVector3(x0 + shift0, 0.0f, z0), CVector3(x0 + shift1, 0.0f, z0 - 4.0f),
                               CVector3(x0 + 4.0f + shift1, 0.0f, z0 - 4.0f), CVector3(x0 + 4.0f + shift0, 0.0f, z0),
                               CVector3(0.0f, 0.0f, -1.0f));
        }
    }
    const velm::phy::CWaterField field(cells);
    std::vector<CVector3> points;
    std::uint32_t seed = 7u;
    for (int i = 0; i < 4096; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const float x = static_cast<float>(seed >> 8) / 16777216.0f * 48.0f - 24.0f;
        seed = seed * 1664525u + 1013904223u;
        const float z = -static_cast<float>(seed >> 8) / 16777216.0f * 4.0f * rows;
        points.emplace_back(x, 0.0f, z);
    }
    float h = 0.0f;
    CVector3 normal;
    CVector3 flow;
    int found = 0;
    for (const CVector3& p : points) {
        found += field.GetSurface(p.x, p.z, h, normal, flow) ? 1 : 0;
    }
    std::size_t next = 0;
    for (auto _ : state) {
        const CVector3& p = points[next++ & 4095u];
        benchmark::DoNotOptimize(field.GetSurface(p.x, p.z, h, normal, flow));
        benchmark::DoNotOptimize(h);
    }
    state.counters["found"] = found;
}

BENCHMARK(BM_WaterSurface)->Arg(120)->Arg(1000)->ArgName("rows")->Unit(benchmark::kNanosecond);

} // namespace
