// A recorded run of the simulator: racers in a sloped river with flow, boxes dropped on the
// terrain and into each other, scenery hulls in the water. The positions and collisions were
// recorded from the straightforward implementation; any change to the step's arithmetic, to the
// order of contacts or to which pairs are tested shows up here.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/phy/buoyancy_force.h"
#include "engine/phy/contact.h"
#include "engine/phy/ext_force_cntrl.h"
#include "engine/phy/height_map.h"
#include "engine/phy/physics_world.h"
#include "engine/phy/rigid_body.h"
#include "engine/phy/water_field.h"
#include "phy_test_util.h"
#include "support/racer_body.h"

namespace {

using common::CVector3;
using velm::phy::CRigidBody;
using velm::phy::SContactPair;

constexpr int kSteps = 360;
constexpr int kWindow = 90;
constexpr int kWindows = kSteps / kWindow;
constexpr int kRacers = 4;
constexpr int kBodies = 11;

struct SWindow {
    unsigned counts[3];
    float positions[kBodies * 3];
};

// Recorded before the step was optimised. Per window: the contacts, body-body pairs and
// body-hull pairs summed over its steps; the bodies' positions at its last step.
const SWindow kRecorded[kWindows] = {
    {{909, 19, 42},
     {-3.72575378f,  -0.162172079f, 12.921134f,   -1.07911229f,  -0.165417805f, 12.5146189f,  1.16007447f,
      -0.166824117f, 12.3370752f,   3.4588263f,   -0.165521204f, 12.4921017f,   13.4407864f,  1.95037019f,
      4.05054998f,   14.6628666f,   2.78784299f,  3.79111958f,   -13.5962677f,  1.26478815f,  -5.96024513f,
      -2.9681921f,   -1.21435678f,  0.167344376f, 5.28415298f,   -0.966000676f, -7.90139389f, 0.0f,
      -1.07943451f,  11.2500114f,   11.1681805f,  2.55292153f,   -10.0390902f}},
    {{1403, 35, 52},
     {-2.43514085f,  -0.166019514f, 10.7451277f,  -0.450584769f, -0.17721732f, 9.69644928f,  0.702335656f,
      -0.182299152f, 9.21217823f,   1.95941174f,  -0.179073855f, 9.47550774f,  9.89008999f,  0.233713567f,
      4.01607084f,   12.0473242f,   1.07690012f,  3.48377061f,   -11.4010267f, 0.339900255f, -6.08484077f,
      -1.61033368f,  -1.42188036f,  0.170059994f, 2.7418294f,    -1.4577142f,  -7.84831667f, 0.00685640704f,
      -1.74082625f,  11.5643044f,   9.17681503f,  1.56669116f,   -9.88499451f}},
    {{1836, 167, 51},
     {-1.31779742f,  -0.197325945f, 8.18357086f,   -0.394294411f, -0.212206513f, 6.69814014f,   0.190120831f,
      -0.229972675f, 5.57791853f,   1.31742096f,   -0.22164084f,  5.95077085f,   7.01429892f,   -0.506193578f,
      3.95569873f,   8.61713028f,   -0.258215606f, 3.33686805f,   -9.42284203f,  -0.304212898f, -6.09913206f,
      -1.59443092f,  -1.46125674f,  0.173548386f,  2.10361958f,   -1.57926023f,  -7.91613674f,  0.00750154955f,
      -1.76309609f,  11.5633049f,   6.89720917f,   0.586778104f,  -9.63173389f}},
    {{2008, 95, 136},
     {-0.586458206f, -0.23126483f, 5.43766451f,  -0.211419329f, -0.253725201f, 3.54094028f,   -0.306060761f,
      -0.272895008f, 1.89263308f,  0.817127407f, -0.268125474f, 2.27007866f,   6.23578405f,   -0.638030469f,
      3.95717907f,   6.86238575f,  -0.63630408f, 3.27220058f,   -8.33533287f,  -0.597357869f, -6.00863981f,
      -1.59376717f,  -1.4613688f,  0.173786819f, 2.07178998f,   -1.63176715f,  -7.93260098f,  0.00792107824f,
      -1.76364779f,  11.5632935f,  5.06223297f,  0.0364054739f, -9.36264992f}},
};
constexpr std::uint64_t kRecordedPairHash = 2114620564255507863ull;

class CRecordedScene {
public:
    CRecordedScene() {
        velm::phy::SetRiverDensity(30.0f);
        velm::phy::SetRiverSpeed(2.0f);

        velm::phy::CGrid2D heights(41, 41, 0.0f);
        for (std::uint32_t i = 0; i < 41; ++i) {
            for (std::uint32_t j = 0; j < 41; ++j) {
                const float fi = static_cast<float>(i);
                const float fj = static_cast<float>(j);
                // A river bed below the water, rising to banks at both sides.
                const float bank = 0.02f * (fi - 20.0f) * (fi - 20.0f);
                heights(i, j) = -2.0f + bank + 0.3f * std::sin(0.35f * fi) * std::cos(0.27f * fj);
            }
        }
        auto map = std::make_shared<velm::phy::CHeightMap>(41, 41, 1.0f, 1.0f, heights, CVector3());
        map->GetStaticFriction() = 0.5f;
        map->GetDynamicFriction() = 0.3f;
        map->GetRestitution() = 0.2f;
        m_world.AddHeightMap(500, map);

        // Six by eight cells of four metres, the surface falling along -z, the flow turning.
        std::vector<velm::phy::CGridCell> cells;
        for (int row = 0; row < 8; ++row) {
            for (int column = 0; column < 6; ++column) {
                const float x0 = -12.0f + 4.0f * column;
                const float z0 = 16.0f - 4.0f * row;
                const float y0 = -0.05f * row;
                const float y1 = y0 - 0.05f;
                cells.emplace_back(CVector3(x0, y0, z0), CVector3(x0, y1, z0 - 4.0f),
                                   CVector3(x0 + 4.0f, y1, z0 - 4.0f), CVector3(x0 + 4.0f, y0, z0),
                                   CVector3(0.3f * std::sin(0.7f * (row + column)), 0.0f, -1.0f));
            }
        }
        m_world.AddWaterField(600, std::make_shared<velm::phy::CWaterField>(cells));

        for (int i = 0; i < kRacers; ++i) {
            AddRacer(i);
        }
        // Dropped on the bank, two of them onto each other.
        AddBox(CVector3(15.0f, 3.0f, 4.0f), CVector3(), 1.0f);
        AddBox(CVector3(15.2f, 5.0f, 4.1f), CVector3(0.0f, -1.0f, 0.0f), 0.8f);
        AddBox(CVector3(-15.0f, 2.0f, -6.0f), CVector3(1.0f, 0.0f, 0.5f), 1.2f);
        // Thrown across the river at the rock and the log.
        AddBox(CVector3(-9.0f, 1.0f, 0.0f), CVector3(9.0f, 1.0f, 0.0f), 0.9f);
        AddBox(CVector3(9.0f, 1.0f, -8.0f), CVector3(-5.0f, 0.5f, 0.0f), 1.1f);
        AddBox(CVector3(0.0f, 6.0f, 12.0f), CVector3(0.0f, -2.0f, -1.0f), 0.7f);
        // A large box falling on a small stone: the stone's corners end up inside it.
        AddBox(CVector3(12.0f, 4.0f, -10.0f), CVector3(), 2.5f);

        // A static rock registered as a body, and ownerless scenery hulls.
        auto rock = std::make_shared<CRigidBody>();
        // Placed after its hull is built, as a level does: its test points follow only when the
        // step refreshes them.
        rock->SetBoxHull(2.0f, 2.0f, 2.0f, 100.0f, false);
        rock->SetPosition(CVector3(0.0f, -0.5f, 0.0f));
        rock->SetStatic(true);
        m_world.AddBody(50, rock);
        m_keep.push_back(rock);
        for (int i = 0; i < 5; ++i) {
            auto scenery = std::make_shared<CRigidBody>();
            const float side = (i % 2 == 0) ? -1.0f : 1.0f;
            if (i == 1) {
                scenery->SetCylinderHull(5.0f, 0.4f, 50.0f, 4, 16, true);
            } else {
                const float size = i == 4 ? 0.6f : 1.5f;
                scenery->SetBoxHull(size, size, size, 100.0f, true);
            }
            scenery->SetPosition(i == 4 ? CVector3(12.0f, 1.2f, -10.0f)
                                        : CVector3(side * (2.0f + i), -0.3f, 8.0f - 6.0f * i));
            scenery->SetStatic(true);
            m_world.AddHull(static_cast<std::uint32_t>(100 + i), scenery->GetHullSlot());
            m_keep.push_back(scenery);
        }
    }
    ~CRecordedScene() {
        velm::phy::SetRiverDensity(0.0f);
        velm::phy::SetRiverSpeed(0.0f);
    }

    void Step() {
        for (int i = 0; i < kRacers; ++i) {
            m_thrusts[static_cast<std::size_t>(i)]->SetDirection(
                CVector3(-0.2f * m_bodies[static_cast<std::size_t>(i)]->GetPosition().x, 0.0f, -1.0f));
        }
        m_world.Update(1.0f / 60.0f);
    }

    const CRigidBody& Body(int i) const { return *m_bodies[static_cast<std::size_t>(i)]; }
    std::size_t BodyIndex(const CRigidBody* body) const {
        for (std::size_t i = 0; i < m_bodies.size(); ++i) {
            if (m_bodies[i].get() == body) {
                return i;
            }
        }
        return m_bodies.size();
    }
    const velm::phy::CSimulator& Simulator() { return m_world.GetSimulator(); }

private:
    void AddRacer(int index) {
        velm::phy::ThrustForce* thrust = nullptr;
        auto body =
            tktest::MakeRacerBody(m_world, CVector3(-4.5f + 3.0f * index, 0.5f, 14.0f), 6.0f + 1.0f * index, &thrust);
        m_thrusts.push_back(thrust);
        Register(body);
    }

    void AddBox(const CVector3& position, const CVector3& velocity, float size) {
        auto body = std::make_shared<CRigidBody>();
        body->SetPosition(position);
        body->SetBoxHull(size, size, size, 5.0f, false);
        body->SetHullFlag(true);
        body->SetLinearVelocity(velocity);
        body->GetStaticFriction() = 0.6f;
        body->GetDynamicFriction() = 0.4f;
        body->GetRestitution() = 0.1f;
        body->SetForceCntrl(velm::phy::kGravityForceName, std::make_shared<velm::phy::GravityForce>(body.get()));
        Register(body);
    }

    void Register(const std::shared_ptr<CRigidBody>& body) {
        m_world.AddBody(static_cast<std::uint32_t>(1 + m_bodies.size()), body);
        m_bodies.push_back(body);
    }

    velm::phy::CPhysicsWorld m_world;
    std::vector<std::shared_ptr<CRigidBody>> m_bodies;
    std::vector<std::shared_ptr<CRigidBody>> m_keep;
    std::vector<velm::phy::ThrustForce*> m_thrusts;
};

// FNV-1a over the identity of every colliding pair, step by step, in the order reported.
std::uint64_t Mix(std::uint64_t hash, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        hash ^= (value >> (8 * i)) & 0xFFu;
        hash *= 1099511628211ull;
    }
    return hash;
}

TEST(SimulatorRecordedRun, PositionsAndCollisionsMatchTheRecording) {
    CRecordedScene scene;
    SWindow actual[kWindows] = {};
    std::uint64_t pairHash = 14695981039346656037ull;
    for (int step = 0; step < kSteps; ++step) {
        scene.Step();
        SWindow& window = actual[step / kWindow];
        window.counts[0] += static_cast<unsigned>(scene.Simulator().GetContacts().size());
        for (const SContactPair& pair : scene.Simulator().GetContactPairs()) {
            pairHash = Mix(pairHash, static_cast<std::uint64_t>(step));
            pairHash = Mix(pairHash, scene.BodyIndex(pair.m_first));
            pairHash = Mix(pairHash, pair.m_kind);
            if (pair.m_kind == SContactPair::kBodyBody) {
                ++window.counts[1];
                pairHash = Mix(pairHash, scene.BodyIndex(pair.m_secondBody));
            } else {
                ++window.counts[2];
            }
        }
        if ((step + 1) % kWindow == 0) {
            for (int b = 0; b < kBodies; ++b) {
                const CVector3& p = scene.Body(b).GetPosition();
                window.positions[3 * b] = p.x;
                window.positions[3 * b + 1] = p.y;
                window.positions[3 * b + 2] = p.z;
            }
        }
    }
    // Plain single precision in a fixed order: the run repeats to the bit, so any difference,
    // however small, is a change in what the step computes.
    for (int w = 0; w < kWindows; ++w) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(actual[w].counts[c], kRecorded[w].counts[c]) << "window " << w << " count " << c;
        }
        for (int i = 0; i < kBodies * 3; ++i) {
            EXPECT_EQ(actual[w].positions[i], kRecorded[w].positions[i])
                << "window " << w << " body " << i / 3 << " axis " << i % 3;
        }
    }
    EXPECT_EQ(pairHash, kRecordedPairHash);
    for (int b = 0; b < kBodies; ++b) {
        phytest::ExpectFiniteBody(scene.Body(b));
    }
}

} // namespace
