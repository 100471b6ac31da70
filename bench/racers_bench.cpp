// Six racers under their controllers on a water field: each frame the controllers, the racers'
// update (states, thrust, hit effects) and the physics step, as the game runs them. One
// iteration is one frame; the counter gives microseconds per frame over 10,000 frames.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <list>
#include <memory>
#include <vector>

#include "engine/ai/ai_enemy.h"
#include "engine/events/event_manager.h"
#include "engine/phy/buoyancy_force.h"
#include "engine/phy/ext_force_cntrl.h"
#include "engine/phy/physics_world.h"
#include "engine/phy/rigid_body.h"
#include "engine/phy/water_field.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/world/racer_controller.h"
#include "game/world/racer_model.h"
#include "game/world/racer_tuning.h"

namespace {

using common::CVector3;

constexpr int kRacers = 6;
constexpr int kFrames = 10000;
constexpr float kFrameTime = 1.0f / 60.0f;

// A world with nothing in it for the weaving driver below, which asks it nothing.
class CEmptyWorld : public velm::ai::IEnemyWorld {
public:
    velm::ai::CAIManager* GetAIManager() override { return nullptr; }
    std::vector<velm::ai::SRacerInfo> GetRacers() override { return {}; }
    int GetHeldItem() override { return 0; }
    bool HasOwnRacer() override { return true; }
    bool GetFlow(const CVector3& /*point*/, CVector3& /*flow*/) override { return false; }
    std::vector<CVector3> FindItemJugs(const CVector3& /*position*/, const CVector3& /*direction*/,
                                       float /*radius*/) override {
        return {};
    }
    bool InFiringCone(int /*itemType*/, const velm::ai::SRacerInfo& /*shooter*/,
                      const velm::ai::SRacerInfo& /*target*/) override {
        return false;
    }
    CVector3 AimPoint(int /*itemType*/, const velm::ai::SRacerInfo& shooter,
                      const velm::ai::SRacerInfo& /*target*/) override {
        return shooter.m_position;
    }
    bool UseUntargeted(int /*itemType*/, const velm::ai::SRacerInfo& /*shooter*/) override { return false; }
    int CreateMarker() override { return -1; }
    void MoveMarker(int /*id*/, const CVector3& /*position*/) override {}
    std::unique_ptr<velm::ai::CAIBase> CreateRayDriver() override { return nullptr; }
    void OnOwnRacerFound(velm::ai::CAIBase& /*rayDriver*/) override {}
};

// Paddles down the course and weaves left and right every couple of seconds.
class CWeavingAI : public velm::ai::AIEnemy {
public:
    CWeavingAI(int id, velm::ai::IEnemyWorld& world) : velm::ai::AIEnemy(Profile(), id, world), m_id(id) {}
    velm::ai::SDriveInput& Update(velm::ai::SDriveInput& out, const velm::ai::SRacerInfo& /*self*/,
                                  const std::list<velm::ai::SRacerInfo>& /*targets*/, float /*dt*/) override {
        out = velm::ai::SDriveInput();
        out.m_forward = true;
        const int phase = (m_frame++ / 120 + m_id) % 3;
        out.m_left = phase == 1;
        out.m_right = phase == 2;
        return out;
    }

private:
    static const velm::ai::AIProfile& Profile() {
        static const velm::ai::AIProfile profile;
        return profile;
    }
    int m_frame = 0;
    int m_id;
};

std::shared_ptr<velm::phy::CWaterField> River() {
    std::vector<velm::phy::CGridCell> cells;
    for (int i = 0; i < 200; ++i) {
        const float z0 = -20.0f * i + 50.0f;
        const float z1 = z0 - 20.0f;
        cells.emplace_back(CVector3(-30.0f, 0.0f, z0), CVector3(-30.0f, 0.0f, z1), CVector3(30.0f, 0.0f, z1),
                           CVector3(30.0f, 0.0f, z0), CVector3(0.0f, 0.0f, -1.0f));
    }
    return std::make_shared<velm::phy::CWaterField>(cells);
}

void BM_RacersFrame(benchmark::State& state) {
    velm::CEventManager events;
    velm::SetEventManager(&events);
    velm::phy::SetRiverDensity(30.0f);
    velm::phy::SetRiverSpeed(2.0f);
    for (int type = 1; type <= 6; ++type) {
        kelvo::GetOrCreateRacerTuning(type) = kelvo::SRacerTuning{8.0f + type * 0.5f, 1.5f, 3.0f};
    }
    velm::phy::CPhysicsWorld world;
    world.AddWaterField(1000, River());
    kelvo::CTumboKelvoGame game;
    CEmptyWorld enemyWorld;
    for (int i = 0; i < kRacers; ++i) {
        const auto id = static_cast<std::uint32_t>(i + 1);
        auto body = std::make_shared<velm::phy::CRigidBody>();
        body->SetPosition(CVector3(-10.0f + 4.0f * i, 0.3f, 0.0f));
        body->SetCylinderHull(0.5f, 0.6f, 20.0f, 4, 16, false);
        body->SetHullFlag(true);
        velm::phy::CRigidBody* raw = body.get();
        body->SetForceCntrl(velm::phy::kGravityForceName, std::make_shared<velm::phy::GravityForce>(raw));
        auto buoyancy = std::make_shared<velm::phy::BuoyancyForce>(raw, &world.GetSimulator(), CVector3());
        buoyancy->SetUseRiverDensity(true);
        buoyancy->SetUseRiverSpeed(true);
        body->SetForceCntrl(velm::phy::kBuoyancyForceName, buoyancy);
        world.AddBody(id, body);
        auto* racer = new kelvo::CRacerModel(body, id);
        racer->SetObjectType(id);
        racer->SetControlKind(kelvo::CONTROL_LOCAL_OTHER);
        racer->SetForwardAxis(CVector3(0.0f, 0.0f, -1.0f));
        racer->SetRaceRank(id);
        auto* controller = new kelvo::CAIRacerContr(racer, new CWeavingAI(static_cast<int>(id), enemyWorld));
        racer->SetController(controller);
        game.AddObject(racer, nullptr, controller);
    }
    double time = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (int frame = 0; frame < kFrames; ++frame) {
            game.UpdateControllers(time, kFrameTime);
            events.Tick(-1);
            game.UpdateModels(time, kFrameTime);
            world.Update(kFrameTime);
            time += kFrameTime;
        }
        const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
        state.counters["us_per_frame"] = spent.count() / kFrames;
    }
    benchmark::DoNotOptimize(game.FindModel(1)->GetPosition());
    velm::SetEventManager(nullptr);
}

BENCHMARK(BM_RacersFrame)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
