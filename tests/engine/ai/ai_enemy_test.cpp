#include "engine/ai/ai_enemy.h"

#include <gtest/gtest.h>

#include <map>

#include "engine/ai/ai_manager.h"

namespace {

using common::CVector3;
using velm::ai::AIEnemy;
using velm::ai::SDriveInput;
using velm::ai::SRacerInfo;

constexpr int OWN = 5;

// A river flowing to -z with racers wherever a test puts them.
class CFakeWorld : public velm::ai::IEnemyWorld {
public:
    velm::ai::CAIManager* GetAIManager() override { return &m_manager; }
    std::vector<SRacerInfo> GetRacers() override {
        std::vector<SRacerInfo> racers;
        for (const auto& entry : m_racers) {
            racers.push_back(entry.second);
        }
        return racers;
    }
    int GetHeldItem() override { return m_heldItem; }
    bool HasOwnRacer() override { return true; }
    bool GetFlow(const CVector3&, CVector3& flow) override {
        flow = CVector3(0, 0, -2);
        return m_hasWater;
    }
    std::vector<CVector3> FindItemJugs(const CVector3&, const CVector3&, float radius) override {
        m_jugRadius = radius;
        return m_jugs;
    }
    bool InFiringCone(int, const SRacerInfo&, const SRacerInfo& target) override {
        return m_inCone.count(target.m_racerId) != 0;
    }
    CVector3 AimPoint(int, const SRacerInfo& shooter, const SRacerInfo& target) override {
        m_aimedAt = target.m_racerId;
        return m_aims ? target.m_position : shooter.m_position;
    }
    bool UseUntargeted(int, const SRacerInfo&) override { return m_untargeted; }
    int CreateMarker() override { return 77; }
    void MoveMarker(int id, const CVector3& position) override { m_markers[id] = position; }
    std::unique_ptr<velm::ai::CAIBase> CreateRayDriver() override { return nullptr; }
    void OnOwnRacerFound(velm::ai::CAIBase&) override {}

    void Put(int id, const CVector3& position) {
        SRacerInfo& racer = m_racers[id];
        racer.m_racerId = id;
        racer.m_objectType = 1;
        racer.m_position = position;
        racer.m_velocity = CVector3(0, 0, -1);
    }

    velm::ai::CAIManager m_manager;
    std::map<int, SRacerInfo> m_racers;
    std::vector<CVector3> m_jugs;
    std::map<int, int> m_inCone;
    std::map<int, CVector3> m_markers;
    int m_heldItem = 0;
    int m_aimedAt = -1;
    float m_jugRadius = 0.0f;
    bool m_hasWater = true;
    bool m_aims = false;
    bool m_untargeted = false;
};

class EnemyTest : public ::testing::Test {
protected:
    void SetUp() override {
        AIEnemy::SetDefaultStates(true, true, true);
        m_profile.CRange = 12.0f;
        m_world.Put(OWN, CVector3(0, 0, 0));
    }
    SDriveInput Step(AIEnemy& enemy, float dt = 0.1f) {
        SRacerInfo self;
        self.m_heading = CVector3(0, 0, -1);
        SDriveInput out;
        return enemy.Update(out, self, {}, dt);
    }

    velm::ai::AIProfile m_profile;
    CFakeWorld m_world;
};

TEST_F(EnemyTest, AStandingRacerIsStuckEvery36Updates) {
    constexpr float kSixtieth = 1.0f / 60.0f;
    AIEnemy enemy(m_profile, OWN, m_world);
    SRacerInfo still;
    std::vector<int> reports;
    for (int update = 1; update <= 80; ++update) {
        if (enemy.IsStuck(still, kSixtieth)) {
            reports.push_back(update);
        }
    }
    EXPECT_EQ(reports, (std::vector<int>{36, 72}));
    // Moving on clears the count.
    SRacerInfo moved;
    moved.m_position = CVector3(0, 0, -1);
    EXPECT_FALSE(enemy.IsStuck(moved, kSixtieth));
    for (int update = 1; update < 36; ++update) {
        EXPECT_FALSE(enemy.IsStuck(moved, kSixtieth));
    }
    EXPECT_TRUE(enemy.IsStuck(moved, kSixtieth));
    // An update that takes no time neither counts nor clears.
    for (int update = 0; update < 100; ++update) {
        EXPECT_FALSE(enemy.IsStuck(moved, 0.0f));
    }
}

// The rule is 3 m/s for 0.6 s whatever the frame rate: at 250 frames a second a racer moves
// under 0.05 m an update even at 12 m/s.
TEST_F(EnemyTest, TheStuckRuleHoldsAtEveryFrameRate) {
    const struct {
        float speed;
        bool stuck;
    } cases[] = {{0.0f, true}, {2.0f, true}, {2.9f, true}, {3.2f, false}, {12.0f, false}};
    for (const float rate : {30.0f, 60.0f, 120.0f, 250.0f}) {
        for (const auto& c : cases) {
            AIEnemy enemy(m_profile, OWN, m_world);
            SRacerInfo racer;
            const float dt = 1.0f / rate;
            float firstReport = -1.0f;
            int reports = 0;
            for (int update = 1; update <= static_cast<int>(rate * 3.0f); ++update) {
                racer.m_position.z -= c.speed * dt;
                if (enemy.IsStuck(racer, dt)) {
                    firstReport = firstReport < 0.0f ? static_cast<float>(update) * dt : firstReport;
                    ++reports;
                }
            }
            if (!c.stuck) {
                EXPECT_EQ(reports, 0) << rate << " a second, " << c.speed << " m/s";
                continue;
            }
            // Reported once 35 sixtieths have passed, by the 36th; so every 0.6 s of the three.
            EXPECT_GT(firstReport, 35.0f / 60.0f) << rate << " a second, " << c.speed << " m/s";
            EXPECT_LE(firstReport, 36.0f / 60.0f + dt) << rate << " a second, " << c.speed << " m/s";
            EXPECT_EQ(reports, 5) << rate << " a second, " << c.speed << " m/s";
        }
    }
}

TEST_F(EnemyTest, StuckSendsAnEscapeDownstreamThatOverridesADetour) {
    AIEnemy enemy(m_profile, OWN, m_world);
    Step(enemy, 1.0f / 60.0f);
    ASSERT_TRUE(enemy.SetDetour(CVector3(3, 0, -9), 5.0f));
    EXPECT_FALSE(enemy.SetDetour(CVector3(-3, 0, -9), 5.0f));
    SDriveInput out;
    int stuckAt = 0;
    for (int update = 1; update <= 40 && stuckAt == 0; ++update) {
        out = Step(enemy, 1.0f / 60.0f);
        stuckAt = out.m_stuck ? update : 0;
    }
    EXPECT_GT(stuckAt, 30);
    EXPECT_EQ(enemy.GetDetour().m_position, CVector3(0, 0, -12));
    EXPECT_FLOAT_EQ(enemy.GetDetourTimer(), 3.0f);
}

TEST_F(EnemyTest, SwitchesLetItFireWithoutSteering) {
    AIEnemy::SetDefaultStates(true, false, true);
    m_profile.WDelay = 0.0f;
    m_world.Put(2, CVector3(0, 0, -4));
    m_world.m_inCone[2] = 1;
    m_world.m_heldItem = 7;
    AIEnemy enemy(m_profile, OWN, m_world);
    Step(enemy);
    bool fired = false;
    for (int update = 0; update < 60; ++update) {
        const SDriveInput out = Step(enemy);
        fired = fired || out.m_fire;
        EXPECT_FALSE(out.m_forward || out.m_left || out.m_right || out.m_stuck);
    }
    EXPECT_TRUE(fired);
}

TEST_F(EnemyTest, FireIsHeldHalfASecondThenReleased) {
    m_profile.WDelay = 0.0f;
    m_world.Put(2, CVector3(0, 0, -4));
    m_world.m_inCone[2] = 1;
    m_world.m_heldItem = 7;
    AIEnemy enemy(m_profile, OWN, m_world);
    Step(enemy);
    EXPECT_TRUE(Step(enemy, 0.2f).m_fire);
    // The racer lets go once the item is away.
    m_world.m_heldItem = 0;
    m_world.m_inCone.clear();
    EXPECT_TRUE(Step(enemy, 0.2f).m_fire);
    EXPECT_TRUE(Step(enemy, 0.2f).m_fire);
    EXPECT_FALSE(Step(enemy, 0.2f).m_fire);
}

TEST_F(EnemyTest, TargetByDistanceAndGrudgeWithoutPhantomRecords) {
    AIEnemy enemy(m_profile, OWN, m_world);
    bool found = true;
    Step(enemy);
    SRacerInfo none = enemy.ChooseTarget(&found);
    EXPECT_FALSE(found);
    EXPECT_EQ(none.m_racerId, 0);
    EXPECT_EQ(enemy.GetRacerTable().size(), 1u);

    AIEnemy crowd(m_profile, OWN, m_world);
    m_world.Put(2, CVector3(0, 0, -6));
    m_world.Put(3, CVector3(0, 0, -3));
    m_world.Put(4, CVector3(0, 0, 3));
    Step(crowd);
    EXPECT_EQ(crowd.ChooseTarget(&found).m_racerId, 3);
    EXPECT_TRUE(found);
    // Equal scores: the first (lowest id) stays.
    EXPECT_EQ(crowd.GetRacerTable().size(), 4u);
    crowd.GetRacerTable()[3].m_position = CVector3(0, 0, -6);
    crowd.GetRacerTable()[4].m_position = CVector3(0, 0, 6);
    EXPECT_EQ(crowd.ChooseTarget().m_racerId, 2);
    // 6/6 + grudge/10 beats 6/3 once the grudge passes 10.
    crowd.GetRacerTable()[3].m_position = CVector3(0, 0, -3);
    crowd.GetRacerTable()[2].m_grudge = 10.5f;
    EXPECT_EQ(crowd.ChooseTarget().m_racerId, 2);
    // Each update decays a grudge by 0.1.
    Step(crowd);
    EXPECT_NEAR(crowd.GetRacerTable()[2].m_grudge, 10.4f, 1e-5f);
}

TEST_F(EnemyTest, SeeksTheJugLeastAlignedWithItsCourse) {
    m_world.m_jugs = {CVector3(1, 0, -8), CVector3(4, 0, -6), CVector3(-4, 0, -6)};
    AIEnemy enemy(m_profile, OWN, m_world);
    Step(enemy);
    Step(enemy);
    EXPECT_FLOAT_EQ(m_world.m_jugRadius, 12.0f);
    EXPECT_EQ(enemy.GetDetour().m_position, CVector3(4, 0, -6));
    EXPECT_GT(enemy.GetDetourTimer(), 4.0f);

    // A jug upstream is left alone.
    m_world.m_jugs = {CVector3(0, 0, 8)};
    AIEnemy upstream(m_profile, OWN, m_world);
    Step(upstream);
    Step(upstream);
    EXPECT_LE(upstream.GetDetourTimer(), 0.0f);
}

TEST_F(EnemyTest, AimsAtTheChosenVictimOrUsesAnUntargetedItem) {
    m_world.m_heldItem = 9;
    m_world.m_aims = true;
    m_world.Put(2, CVector3(2, 0, -10));
    AIEnemy enemy(m_profile, OWN, m_world);
    Step(enemy);
    Step(enemy);
    EXPECT_EQ(m_world.m_aimedAt, 2);
    EXPECT_EQ(enemy.GetDetour().m_position, CVector3(2, 0, -10));

    m_world.m_aims = false;
    m_world.m_untargeted = true;
    AIEnemy alone(m_profile, OWN, m_world);
    Step(alone);
    EXPECT_TRUE(Step(alone).m_fire);
}

TEST_F(EnemyTest, DebugMarkerFollowsTheDetour) {
    m_profile.Debug = true;
    AIEnemy enemy(m_profile, OWN, m_world);
    EXPECT_EQ(enemy.GetMarkerId(), 77);
    Step(enemy);
    ASSERT_TRUE(enemy.SetDetour(CVector3(0, 0, -7), 1.0f));
    Step(enemy);
    EXPECT_EQ(m_world.m_markers[77], CVector3(0, 0, -7));
}

} // namespace
