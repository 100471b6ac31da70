// The shipped river against the shipped booms of floes: the first track's water, read from its grid
// files, flowing at the game's river speed, and every floe the first track places, with a racer
// built from the shipped data paddling straight down the valley into a boom wherever it meets it,
// head on into a floe or off its middle, on the bank's side of the boom or near its open end. The
// river carries it along the boom and round its end: it is never held there more than a few
// seconds, and soon past the boom.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/object_id.h"
#include "engine/phy/buoyancy_force.h"
#include "engine/phy/collision_hull.h"
#include "engine/phy/ext_force_cntrl.h"
#include "engine/phy/grid_file.h"
#include "engine/phy/physics_world.h"
#include "engine/phy/rigid_body.h"
#include "engine/phy/water_field.h"
#include "game/content/object_type.h"
#include "game/events/creation_events.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "level_fixture.h"
#include "river_racer.h"

namespace {

using common::CVector3;

// The game's river (Scripts/StartGame.LUA) and the monkey's paddle at the back of the field (top
// speed 14 m/s times the rubber band's 1.1, closing the gap at 0.6 a second).
constexpr float kRiverSpeed = 10.0f;
constexpr float kRiverDensity = 2.0f * 70.0f / (1.2f * 1.0f * 2.0f * 1.331f);
constexpr float kPaddle = 14.0f * 1.1f;
constexpr float kAccel = 0.6f;
constexpr float kFrame = 1.0f / 60.0f;
// The shipped water: eight grids of 19 x 101 vertices, a cell per pair of rows.
constexpr std::uint32_t kColumns = 19;
constexpr std::uint32_t kRows = 101;

class CourseBoomsTest : public tktest::CShippedGameTest {
protected:
    void SetUp() override {
        tktest::CShippedGameTest::SetUp();
        velm::phy::SetRiverDensity(kRiverDensity);
        velm::phy::SetRiverSpeed(kRiverSpeed);
        for (int segment = 20; segment < 28; ++segment) {
            std::vector<unsigned char> vertices(kColumns * kRows * velm::phy::kGridVertexBytes);
            std::vector<std::uint16_t> indices((kColumns - 1) * (kRows - 1) * 6);
            std::vector<velm::phy::CGridCell> cells;
            const std::string name = "../../../../data/files/grids/River" + std::to_string(segment) + ".vbib";
            ASSERT_TRUE(velm::phy::ReadGridFile(name, vertices.data(), kColumns * kRows, indices.data(),
                                                static_cast<std::uint32_t>(indices.size()), cells, kRows - 1))
                << name;
            m_world.AddWaterField(static_cast<std::uint32_t>(segment), std::make_shared<velm::phy::CWaterField>(cells));
        }
        // Every floe of the first track, where the level places it.
        std::ifstream level("../../../../data/files/xmlfiles/race_track1.xml");
        std::stringstream text;
        text << level.rdbuf();
        const std::string xml = text.str();
        const std::regex floe(
            R"(<Type>ice</Type>\s*<Pos>\s*<entry>TRUE</entry>\s*<x>([-0-9.e]+)</x>\s*<y>([-0-9.e]+)</y>\s*<z>([-0-9.e]+)</z>)");
        for (auto it = std::sregex_iterator(xml.begin(), xml.end(), floe); it != std::sregex_iterator(); ++it) {
            const CVector3 at(std::stof((*it)[1]), std::stof((*it)[2]), std::stof((*it)[3]));
            const std::uint32_t id = velm::NewObjectID();
            velm::TriggerEvent(kelvo::CCreateEnvObjEvt("IceModelData", id, 1, 0, kelvo::OBJECT_ENVIRONMENT, &at, 0));
            m_world.AddBody(id, Model(id)->GetBody());
            m_floes.push_back(at);
        }
    }
    void TearDown() override {
        velm::phy::SetRiverSpeed(0.0f);
        tktest::CShippedGameTest::TearDown();
    }

    // The monkey as the race builds it, floating on the river and paddling straight down the
    // valley, never steering.
    velm::phy::CRigidBody& Racer(const CVector3& at, std::uint32_t& id) {
        id = tktest::AddFloatingMonkey(*m_game, m_world, at);
        velm::phy::CRigidBody& body = *Model(id)->GetBody();
        auto* thrust = static_cast<velm::phy::ThrustForce*>(body.GetForceCntrl(velm::phy::kThrustForceName).get());
        thrust->SetDirection(CVector3(0.0f, 0.0f, -1.0f));
        thrust->SetMagnitude(kPaddle);
        thrust->SetScale(kAccel);
        return body;
    }

    // The booms: the floes in runs along the river, each run's floes within a few metres of the
    // next one's.
    std::vector<std::vector<CVector3>> Booms() const {
        std::vector<CVector3> floes = m_floes;
        std::sort(floes.begin(), floes.end(), [](const CVector3& a, const CVector3& b) { return a.z > b.z; });
        std::vector<std::vector<CVector3>> booms;
        for (const CVector3& f : floes) {
            if (booms.empty() || booms.back().back().z - f.z > 3.0f) {
                booms.emplace_back();
            }
            booms.back().push_back(f);
        }
        return booms;
    }

    velm::phy::CPhysicsWorld m_world;
    std::vector<CVector3> m_floes;
};

TEST_F(CourseBoomsTest, ARacerPaddlingStraightIntoABoomIsCarriedAlongItAndPastItWithoutBeingHeld) {
    const std::vector<std::vector<CVector3>> booms = Booms();
    ASSERT_GE(booms.size(), 6u) << m_floes.size() << " floes";
    // Three booms of each hand, each met at its bank's end, its middle and its open end, head on
    // into a floe and half a metre off either side of it.
    for (std::size_t b :
         {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{3}, booms.size() - 2, booms.size() - 1}) {
        const std::vector<CVector3>& boom = booms[b];
        const float below = boom.back().z - 3.0f;
        for (std::size_t f : {std::size_t{1}, boom.size() / 2, boom.size() - 1}) {
            for (float off : {-0.5f, 0.0f, 0.5f}) {
                SCOPED_TRACE("boom " + std::to_string(b) + " floe " + std::to_string(f) + " off " +
                             std::to_string(off));
                const CVector3 start = boom[f] + CVector3(off, 0.3f, 10.0f);
                std::uint32_t id = 0;
                velm::phy::CRigidBody& racer = Racer(start, id);
                // Held: touching the boom while gaining less than a metre down the river.
                float heldSince = -1.0f;
                float longest = 0.0f;
                float mark = racer.GetPosition().z;
                float t = 0.0f;
                for (; t < 12.0f && racer.GetPosition().z >= below; t += kFrame) {
                    m_world.Update(kFrame);
                    const bool touching = !racer.GetHull()->GetContactIndices().empty();
                    if (touching && heldSince < 0.0f) {
                        heldSince = t;
                        mark = racer.GetPosition().z;
                    }
                    if (heldSince >= 0.0f && (!touching || racer.GetPosition().z < mark - 1.0f)) {
                        heldSince = -1.0f;
                    }
                    if (heldSince >= 0.0f) {
                        longest = std::max(longest, t - heldSince);
                    }
                }
                EXPECT_LT(longest, 4.0f) << "held against the boom";
                EXPECT_LT(racer.GetPosition().z, below)
                    << "still above the boom after " << t << " s, at x " << racer.GetPosition().x;
                m_world.RemoveObject(id);
            }
        }
    }
}

} // namespace
