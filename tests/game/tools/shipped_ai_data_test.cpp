// The AI data the game ships: Scripts/StartGame.LUA loads the waypoint files, the steering net and
// the profiles, and a computer racer of every character follows the racing line down the default
// river with them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>

#include "engine/ai/ai_enemy.h"
#include "engine/ai/ai_manager.h"
#include "engine/ai/ai_random.h"
#include "engine/phy/buoyancy_force.h"
#include "engine/phy/ext_force_cntrl.h"
#include "engine/phy/physics_world.h"
#include "engine/phy/rigid_body.h"
#include "engine/phy/water_field.h"
#include "game/ai/ai_profile.h"
#include "game/ai/ai_script_functions.h"
#include "game/ai/waypoint_editor.h"
#include "game/tools/script_functions.h"
#include "game/world/racer_tuning.h"
#include "libs/common/script_manager.h"

namespace {

using common::CVector3;
using velm::ai::SDriveInput;
using velm::ai::SRacerInfo;

class CNoMarkers : public kelvo::IWaypointMarkers {
public:
    int CreateMarker(const CVector3&, bool) override { return 1; }
    void RemoveMarker(int) override {}
    bool GetMarkerPosition(int, CVector3&) override { return false; }
};

// One racer alone on open water: a boat that paddles along its heading and turns towards the
// direction its input asks for, as the racer controller does.
class CBoatWorld : public velm::ai::IEnemyWorld {
public:
    explicit CBoatWorld(velm::ai::CAIManager& manager) : m_manager(manager) {}
    velm::ai::CAIManager* GetAIManager() override { return &m_manager; }
    std::vector<SRacerInfo> GetRacers() override {
        SRacerInfo me;
        me.m_racerId = 1;
        me.m_objectType = 1;
        me.m_position = m_position;
        me.m_heading = m_heading;
        return {me};
    }
    int GetHeldItem() override { return 0; }
    bool HasOwnRacer() override { return true; }
    bool GetFlow(const CVector3&, CVector3& flow) override {
        flow = CVector3(0, 0, -1);
        return true;
    }
    std::vector<CVector3> FindItemJugs(const CVector3&, const CVector3&, float) override { return {}; }
    bool InFiringCone(int, const SRacerInfo&, const SRacerInfo&) override { return false; }
    CVector3 AimPoint(int, const SRacerInfo& shooter, const SRacerInfo&) override { return shooter.m_position; }
    bool UseUntargeted(int, const SRacerInfo&) override { return false; }
    int CreateMarker() override { return 1; }
    void MoveMarker(int, const CVector3&) override {}
    std::unique_ptr<velm::ai::CAIBase> CreateRayDriver() override { return nullptr; }
    void OnOwnRacerFound(velm::ai::CAIBase&) override {}

    void Drive(const SDriveInput& in, float dt) {
        const CVector3 forward = m_heading;
        const CVector3 side = forward.Cross(CVector3(0, 1, 0));
        CVector3 desired = m_heading;
        if (in.m_forward && in.m_left) {
            desired = (forward + side).GetNormalized();
        } else if (in.m_forward && in.m_right) {
            desired = (forward - side).GetNormalized();
        } else if (in.m_right) {
            desired = -side;
        } else if (in.m_left) {
            desired = side;
        }
        const float turn = std::atan2(m_heading.Cross(desired).y, m_heading.Dot(desired));
        const float step = std::max(-2.0f * dt, std::min(2.0f * dt, turn));
        const float c = std::cos(step);
        const float s = std::sin(step);
        // Rotation about +y by `step`.
        m_heading =
            CVector3(c * m_heading.x + s * m_heading.z, 0.0f, -s * m_heading.x + c * m_heading.z).GetNormalized();
        const float paddle = in.Any() ? 6.0f : 0.0f;
        m_position += (m_heading * paddle + CVector3(0, 0, -1.5f)) * dt;
    }

    velm::ai::CAIManager& m_manager;
    CVector3 m_position;
    CVector3 m_heading{0, 0, -1};
};

// Horizontal distance from p to the polyline.
float DistanceToLine(const velm::ai::WaypointList& line, const CVector3& p) {
    float best = 1e9f;
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        CVector3 a = line[i].m_position;
        CVector3 b = line[i + 1].m_position;
        a.y = b.y = 0.0f;
        CVector3 q = p;
        q.y = 0.0f;
        const CVector3 ab = b - a;
        float t = (q - a).Dot(ab) / ab.LengthSquared();
        t = std::max(0.0f, std::min(1.0f, t));
        best = std::min(best, (a + ab * t - q).Length());
    }
    return best;
}

class ShippedAIDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* source = std::getenv("TK_SOURCE_DIR");
        if (source == nullptr) {
            GTEST_SKIP() << "TK_SOURCE_DIR is not set";
        }
        ASSERT_NE(getcwd(m_previous, sizeof(m_previous)), nullptr);
        ASSERT_EQ(chdir((std::string(source) + "/run/tumbo/kelvo/game").c_str()), 0);
        m_context.m_manager = &m_manager;
        m_context.m_editor = &m_editor;
        m_context.m_markers = &m_markers;
        m_context.m_print = [this](const std::string& text) { m_printed += text + "\n"; };
        // The script also tunes the items through the game's own functions.
        kelvo::RegisterScriptFunctions();
        kelvo::ai::RegisterAIScriptFunctions(m_context);
        ASSERT_TRUE(common::CScriptManager::GetInstance()->RunScript("Scripts/StartGame"));
        m_changedDirectory = true;
    }
    void TearDown() override {
        if (m_changedDirectory) {
            ASSERT_EQ(chdir(m_previous), 0);
        }
        kelvo::ai::GetAIProfiles().clear();
    }

    char m_previous[4096] = {};
    bool m_changedDirectory = false;
    velm::ai::CAIManager m_manager;
    CNoMarkers m_markers;
    kelvo::CWaypointEditor m_editor{m_manager, m_markers, [](const std::string&) {}};
    kelvo::ai::SAIScriptContext m_context;
    std::string m_printed;
};

TEST_F(ShippedAIDataTest, StartGameSetsUpPathsNetAndEveryProfile) {
    EXPECT_EQ(m_printed, "");
    ASSERT_EQ(m_manager.GetPathCount(), 2u);
    common::CScriptManager* host = common::CScriptManager::GetInstance();
    const velm::ai::CWaypointPath* rank = m_manager.FindPath(host->GetGlobalString("RANK_PATH"));
    ASSERT_NE(rank, nullptr);
    EXPECT_EQ(rank->m_name, "stage1_rank");
    EXPECT_GT(host->GetGlobalInt("RANK_PATH_DENSITY"), 0);
    ASSERT_NE(m_manager.FindNet("Driving"), nullptr);
    for (int code = kelvo::ai::AI_EASY; code <= kelvo::ai::AI_HUMAN; ++code) {
        const kelvo::ai::AIProfile& profile = kelvo::ai::GetAIProfiles().at(code);
        EXPECT_EQ(m_manager.FindPath(profile.Path)->m_name, profile.Path) << code;
        EXPECT_NE(m_manager.FindNet(profile.Net), nullptr) << code;
    }
    // The ranking path runs from above the start grid to past the finish line.
    EXPECT_LT(m_manager.GetRankProgress(CVector3(0.75f, 39.0f, 195.2f)), 0.05);
    EXPECT_GT(m_manager.GetRankProgress(CVector3(2.96f, -50.0f, -1158.8f)), 0.95);
}

TEST_F(ShippedAIDataTest, EveryCharacterDrivesTheRacingLineToItsEnd) {
    for (int character = 1; character <= 6; ++character) {
        velm::ai::SeedAIRand(static_cast<std::uint32_t>(character));
        const kelvo::ai::AIProfile& profile = kelvo::ai::GetAIProfile(2, character);
        const velm::ai::WaypointList line = m_manager.FindPath(profile.Path)->m_waypoints;
        CBoatWorld world(m_manager);
        // On the start grid, a little off the line.
        world.m_position = CVector3(-1.0f + 0.7f * static_cast<float>(character - 1), 39.0f, 195.2f);
        velm::ai::AIEnemy enemy(profile, 1, world);
        float worst = 0.0f;
        const float dt = 1.0f / 30.0f;
        int frame = 0;
        for (; frame < 30 * 400 && !enemy.GetNeuralDriver().GetRoute().empty(); ++frame) {
            SRacerInfo self;
            self.m_heading = world.m_heading;
            SDriveInput out;
            world.Drive(enemy.Update(out, self, {}, dt), dt);
            // The boat floats on the water, which falls along the river.
            world.m_position.y =
                line[static_cast<std::size_t>(velm::ai::FindNearestWaypoint(line, world.m_position))].m_position.y -
                0.5f;
            worst = std::max(worst, DistanceToLine(line, world.m_position));
        }
        EXPECT_TRUE(enemy.GetNeuralDriver().GetRoute().empty()) << "character " << character;
        // Past the finish line, and clear of the rocks and the ice, 8.5 m and more either side of the line.
        EXPECT_LT(world.m_position.z, -1158.8f) << "character " << character;
        EXPECT_LT(worst, 6.0f) << "character " << character;
    }
}

// The computers ask for a rescue propeller whenever they travel less than 0.05 m in a sixtieth of
// a second (a body travels half its velocity each step). Every character, paddling straight down
// the shipped river at the player's leading rubber band of 0.9, the slowest anyone paddles at,
// must travel well clear of that, or cruising computers are rescued all race long.
TEST_F(ShippedAIDataTest, EveryCharacterCruisesWellClearOfTheComputersStuckRule) {
    common::CScriptManager* host = common::CScriptManager::GetInstance();
    velm::phy::SetRiverSpeed(static_cast<float>(host->GetGlobalNumber("RIVER_SPEED")));
    for (int character = 1; character <= 6; ++character) {
        const kelvo::SRacerTuning& tuning = kelvo::GetOrCreateRacerTuning(character);
        velm::phy::CPhysicsWorld world;
        std::vector<velm::phy::CGridCell> cells;
        cells.emplace_back(CVector3(-20.0f, 0.0f, 20.0f), CVector3(-20.0f, 0.0f, -2000.0f),
                           CVector3(20.0f, 0.0f, -2000.0f), CVector3(20.0f, 0.0f, 20.0f), CVector3(0.0f, 0.0f, -1.0f));
        world.AddWaterField(1, std::make_shared<velm::phy::CWaterField>(cells));
        auto body = std::make_shared<velm::phy::CRigidBody>();
        body->SetBoxHull(1.2f, 1.0f, 2.0f, 70.0f, false);
        velm::phy::CRigidBody* raw = body.get();
        body->SetForceCntrl(velm::phy::kGravityForceName, std::make_shared<velm::phy::GravityForce>(raw));
        auto buoyancy =
            std::make_shared<velm::phy::BuoyancyForce>(raw, &world.GetSimulator(), CVector3(0.0f, -0.3f, 0.0f));
        buoyancy->SetUseRiverDensity(true);
        buoyancy->SetUseRiverSpeed(true);
        body->SetForceCntrl(velm::phy::kBuoyancyForceName, buoyancy);
        auto thrust = std::make_shared<velm::phy::ThrustForce>(raw);
        thrust->SetDirection(CVector3(0.0f, 0.0f, -1.0f));
        thrust->SetMagnitude(tuning.maxSpeed * 0.9f);
        thrust->SetScale(tuning.accel);
        body->SetForceCntrl(velm::phy::kThrustForceName, thrust);
        world.AddBody(1, body);
        for (int frame = 0; frame < 60 * 20; ++frame) {
            world.Update(1.0f / 60.0f);
        }
        const float before = body->GetPosition().z;
        world.Update(1.0f / 60.0f);
        EXPECT_GT(before - body->GetPosition().z, 1.5f * 0.05f) << "character " << character;
    }
}

} // namespace
