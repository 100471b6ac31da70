#include "engine/phy/physics_world.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "engine/events/engine_events.h"
#include "engine/events/event_manager.h"
#include "engine/phy/buoyancy_force.h"
#include "engine/phy/collision_hull.h"
#include "engine/phy/contact.h"
#include "engine/phy/height_map.h"
#include "engine/phy/rigid_body.h"
#include "phy_test_util.h"

namespace {

using common::CVector3;
using velm::phy::CPhysicsWorld;
using velm::phy::CRigidBody;

class CCollisionRecorder : public velm::IEventListener {
public:
    bool HandleEvent(const velm::CEvent& event) override {
        const auto* data = static_cast<const velm::CObjCollideEvtData*>(event.GetData());
        m_pairs.emplace_back(data->m_first, data->m_second);
        return false;
    }
    std::string GetName() override { return "CollisionRecorder"; }
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_pairs;
};

class PhysicsWorldTest : public ::testing::Test {
protected:
    void SetUp() override {
        velm::SetEventManager(&m_events);
        m_recorder = std::make_shared<CCollisionRecorder>();
        m_events.AddListener(m_recorder, velm::CEventType(velm::kObjectCollisionEventName));
    }
    void TearDown() override { velm::SetEventManager(nullptr); }

    static std::shared_ptr<CRigidBody> Box(const CVector3& position, float size, const CVector3& velocity) {
        auto body = std::make_shared<CRigidBody>();
        body->SetPosition(position);
        body->SetBoxHull(size, size, size, 1.0f, false);
        body->SetLinearVelocity(velocity);
        return body;
    }
    std::vector<std::pair<std::uint32_t, std::uint32_t>> Collisions() {
        m_recorder->m_pairs.clear();
        m_events.Tick(-1);
        return m_recorder->m_pairs;
    }

    velm::CEventManager m_events;
    std::shared_ptr<CCollisionRecorder> m_recorder;
    CPhysicsWorld m_world;
};

// Without forces a body moves by half its velocity times the step.
TEST_F(PhysicsWorldTest, ElapsedTimeIsClampedToATenth) {
    const std::pair<float, float> cases[] = {{0.25f, 0.1f}, {0.1f, 0.1f}, {0.05f, 0.05f}, {0.0f, 0.0f}};
    for (const auto& c : cases) {
        CPhysicsWorld world;
        auto body = std::make_shared<CRigidBody>();
        body->SetLinearVelocity(CVector3(1.0f, 0.0f, 0.0f));
        world.AddBody(1, body);
        world.AddBody(1, body);
        world.Update(c.first);
        EXPECT_NEAR(body->GetPosition().x, 0.5f * c.second, 1e-6f) << c.first;
    }
}

TEST_F(PhysicsWorldTest, BadElapsedTimeSimulatesAndReportsNothing) {
    auto a = Box(CVector3(), 1.0f, CVector3(1.0f, 0.0f, 0.0f));
    auto b = Box(CVector3(0.45f, 0.0f, 0.0f), 0.2f, CVector3());
    m_world.AddBody(1, a);
    m_world.AddBody(2, b);
    m_world.Update(0.02f);
    ASSERT_FALSE(Collisions().empty());
    const CVector3 before = a->GetPosition();
    const float bad[] = {-0.1f, std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::infinity()};
    for (float elapsed : bad) {
        m_world.Update(elapsed);
        EXPECT_TRUE(Collisions().empty()) << elapsed;
        EXPECT_EQ(a->GetPosition(), before) << elapsed;
        phytest::ExpectFiniteBody(*a);
        phytest::ExpectFiniteBody(*b);
    }
}

TEST_F(PhysicsWorldTest, OwnerlessHullReportsButTakesNoImpulse) {
    auto mover = Box(CVector3(), 1.0f, CVector3(0.5f, 0.0f, 0.0f));
    auto scenery = std::make_shared<CRigidBody>();
    scenery->SetPosition(CVector3(0.5f, 0.0f, 0.0f));
    scenery->SetBoxHull(2.0f, 2.0f, 2.0f, 10.0f, true);
    m_world.AddBody(5, mover);
    m_world.AddHull(77, scenery->GetHullSlot());

    m_world.Update(0.02f);
    EXPECT_EQ(Collisions(), (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{5, 77}}));
    EXPECT_EQ(mover->GetLinearVelocity(), CVector3(0.5f, 0.0f, 0.0f));

    m_world.RemoveObject(77);
    m_world.Update(0.02f);
    EXPECT_EQ(Collisions().size(), 1u);
    m_world.RemoveObject(5);
    m_world.Update(0.02f);
    EXPECT_TRUE(Collisions().empty());
}

TEST_F(PhysicsWorldTest, RestitutionIsTheSmallerAndZeroInTheFinalPass) {
    struct Case {
        std::uint32_t predictionPasses;
        float expectedVelocity;
    };
    const Case cases[] = {{1, -0.2f}, {0, 0.0f}};
    for (const Case& c : cases) {
        CPhysicsWorld world;
        world.GetSimulator().SetPredictionPasses(c.predictionPasses);
        auto a = Box(CVector3(), 1.0f, CVector3(1.0f, 0.0f, 0.0f));
        auto b = Box(CVector3(0.45f, 0.0f, 0.0f), 0.2f, CVector3(-1.0f, 0.0f, 0.0f));
        a->GetRestitution() = 0.9f;
        b->GetRestitution() = 0.2f;
        world.AddBody(1, a);
        world.AddBody(2, b);
        world.Update(0.01f);
        EXPECT_NEAR(a->GetLinearVelocity().x, c.expectedVelocity, 1e-4f);
        EXPECT_NEAR(b->GetLinearVelocity().x, -c.expectedVelocity, 1e-4f);
        EXPECT_EQ(a->GetAngularVelocity(), CVector3());
    }
}

TEST_F(PhysicsWorldTest, TerrainStopsWithoutBounceUntilCleared) {
    const velm::phy::CGrid2D heights(11, 11, 0.0f);
    auto terrain = std::make_shared<velm::phy::CHeightMap>(11, 11, 1.0f, 1.0f, heights, CVector3());
    m_world.AddHeightMap(3, terrain);
    auto body = Box(CVector3(0.0f, 0.45f, 0.0f), 1.0f, CVector3(0.0f, -2.0f, 0.0f));
    body->GetRestitution() = 0.8f;
    m_world.AddBody(1, body);
    m_world.Update(0.01f);
    EXPECT_NEAR(body->GetLinearVelocity().y, 0.0f, 1e-5f);
    EXPECT_FALSE(m_world.GetSimulator().GetContacts().empty());

    m_world.ClearHeightMaps();
    body->SetLinearVelocity(CVector3(0.0f, -2.0f, 0.0f));
    m_world.Update(0.01f);
    EXPECT_TRUE(m_world.GetSimulator().GetContacts().empty());
    EXPECT_FLOAT_EQ(body->GetLinearVelocity().y, -2.0f);
}

TEST_F(PhysicsWorldTest, NoBuoyancyAfterWaterFieldsAreCleared) {
    m_world.AddWaterField(4, phytest::SquareWater(10.0f, 0.0f, CVector3()));
    auto body = Box(CVector3(0.0f, -2.0f, 0.0f), 1.0f, CVector3());
    auto force = std::make_shared<velm::phy::BuoyancyForce>(body.get(), &m_world.GetSimulator(), CVector3());
    force->SetUseRiverDensity(true);
    body->SetForceCntrl(velm::phy::kBuoyancyForceName, force);
    m_world.AddBody(1, body);
    velm::phy::SetRiverDensity(1.0f);
    m_world.Update(0.05f);
    EXPECT_GT(body->GetLinearVelocity().y, 0.0f);

    m_world.ClearWaterFields();
    body->SetLinearVelocity(CVector3());
    m_world.Update(0.05f);
    EXPECT_EQ(body->GetLinearVelocity(), CVector3());
    velm::phy::SetRiverDensity(0.0f);
}

TEST(ContactTest, MaterialsCombineAndSeparatingContactsDoNothing) {
    CRigidBody a;
    CRigidBody b;
    a.SetBoxHull(1.0f, 1.0f, 1.0f, 1.0f, false);
    b.SetBoxHull(1.0f, 1.0f, 1.0f, 1.0f, false);
    a.GetStaticFriction() = 0.5f;
    a.GetDynamicFriction() = 0.3f;
    b.GetStaticFriction() = 0.1f;
    b.GetDynamicFriction() = 0.1f;
    a.SetLinearVelocity(CVector3(0.0f, 1.0f, 0.0f));
    velm::phy::SContact contact(a.GetHull(), b.GetHull(), nullptr, CVector3(), CVector3(0.0f, 1.0f, 0.0f), 0.1f);
    contact.Prepare();
    EXPECT_FLOAT_EQ(contact.m_staticFriction, 0.5f);
    EXPECT_FLOAT_EQ(contact.m_dynamicFriction, 0.3f);
    EXPECT_FALSE(contact.Resolve(0.1f, true));
    EXPECT_EQ(a.GetLinearVelocity(), CVector3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(b.GetLinearVelocity(), CVector3());
}

TEST(ContactTest, FrictionSticksOrSlidesAtTheDynamicBound) {
    struct Case {
        float staticFriction;
        float expectedX;
    };
    // j = 1 from the vertical speed; tangential impulse 3 needed to stop the slide.
    const Case cases[] = {{0.1f, 3.0f - 0.05f}, {5.0f, 0.0f}};
    for (const Case& c : cases) {
        const velm::phy::CGrid2D heights(2, 2, 0.0f);
        velm::phy::CHeightMap ground(2, 2, 1.0f, 1.0f, heights, CVector3());
        CRigidBody body;
        body.SetBoxHull(1.0f, 1.0f, 1.0f, 1.0f, false);
        body.GetStaticFriction() = c.staticFriction;
        body.GetDynamicFriction() = 0.05f;
        body.SetLinearVelocity(CVector3(3.0f, -1.0f, 0.0f));
        velm::phy::SContact contact(body.GetHull(), nullptr, &ground, CVector3(0.0f, -0.5f, 0.0f),
                                    CVector3(0.0f, 1.0f, 0.0f), 0.01f);
        contact.Prepare();
        EXPECT_TRUE(contact.Resolve(0.1f, true));
        EXPECT_NEAR(body.GetLinearVelocity().x, c.expectedX, 1e-5f);
        EXPECT_NEAR(body.GetLinearVelocity().y, 0.0f, 1e-6f);
    }
}

// A rolling rock (rotational, hull A) strikes a racer (not rotational, hull B) above its centre:
// the racer is pushed but not turned, since nothing would ever turn it back; a rotational body B
// is turned as before.
TEST(ContactTest, ARotationalHullTurnsOnlyTheBodiesThatTurnThemselves) {
    for (const bool turning : {false, true}) {
        CRigidBody rock;
        CRigidBody racer;
        rock.SetBoxHull(1.0f, 1.0f, 1.0f, 400.0f, false);
        rock.SetHullFlag(true);
        racer.SetPosition(CVector3(1.0f, 0.0f, 0.0f));
        racer.SetBoxHull(1.0f, 1.0f, 1.0f, 70.0f, false);
        racer.SetHullFlag(turning);
        rock.SetLinearVelocity(CVector3(3.0f, 0.0f, 0.0f));
        velm::phy::SContact contact(rock.GetHull(), racer.GetHull(), nullptr, CVector3(0.5f, 0.4f, 0.0f),
                                    CVector3(-1.0f, 0.0f, 0.0f), 0.05f);
        contact.Prepare();
        ASSERT_TRUE(contact.Resolve(0.1f, true));
        EXPECT_GT(racer.GetLinearVelocity().x, 0.5f);
        EXPECT_LT(rock.GetLinearVelocity().x, 3.0f);
        EXPECT_NE(rock.GetAngularVelocity(), CVector3());
        if (turning) {
            EXPECT_LT(racer.GetAngularVelocity().z, -0.1f);
        } else {
            EXPECT_EQ(racer.GetAngularVelocity(), CVector3());
            // With the racer's turn left out the pair still shares one impulse, equal and opposite.
            EXPECT_NEAR(70.0f * racer.GetLinearVelocity().x, 400.0f * (3.0f - rock.GetLinearVelocity().x), 1e-3f);
        }
    }
}

TEST(ContactTest, LinkedHullsNeverCollideFromTheLinkingSide) {
    CPhysicsWorld world;
    auto a = std::make_shared<CRigidBody>();
    auto b = std::make_shared<CRigidBody>();
    a->SetBoxHull(1.0f, 1.0f, 1.0f, 1.0f, false);
    b->SetPosition(CVector3(0.5f, 0.0f, 0.0f));
    b->SetBoxHull(1.0f, 1.0f, 1.0f, 1.0f, false);
    b->SetStatic(true);
    a->LinkHull(*b);
    a->SetLinearVelocity(CVector3(1.0f, 0.0f, 0.0f));
    world.AddBody(1, a);
    world.AddBody(2, b);
    world.Update(0.01f);
    EXPECT_TRUE(world.GetSimulator().GetContactPairs().empty());
    EXPECT_EQ(a->GetLinearVelocity(), CVector3(1.0f, 0.0f, 0.0f));
}

} // namespace
