// The first track built on the shipped data: the objects and lists the level, the line-up, the
// traps and the finish trigger leave; the traps going with their triggers; the jug and racer
// queries at their edges; and the loading thread driving the game's own loader.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "engine/core/object_id.h"
#include "engine/core/view.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/phy/rigid_body.h"
#include "game/content/object_type.h"
#include "game/events/creation_events.h"
#include "game/events/game_events.h"
#include "game/world/racer_model.h"
#include "level_fixture.h"

namespace {

using common::CVector3;
using kelvo::CTumboKelvoGame;

class LevelBuildTest : public tktest::CShippedGameTest {
protected:
    void BuildFirstTrack() {
        m_game->LoadLevel("race_track1.xml");
        m_game->BuildRacerLineUp();
        m_game->BuildRockTrap();
        m_game->BuildLogTrap();
        m_game->BuildFinishTrigger();
    }
    std::uint32_t Jug(const CVector3& at) {
        const std::uint32_t id = velm::NewObjectID();
        velm::TriggerEvent(kelvo::CCreateEnvObjEvt("ItemJugModelData", id, 1, 0, kelvo::OBJECT_JUG, &at, 0));
        return id;
    }
    std::uint32_t Racer(const CVector3& at) {
        const std::uint32_t id = velm::NewObjectID();
        velm::TriggerEvent(kelvo::CCreateRacerEvt("BearModelData", id, 0, 1, 0, 0, 2, at));
        return id;
    }
};

TEST_F(LevelBuildTest, TheFirstTrackBuildsEveryPlacedObjectWithItsListsAndIds) {
    const std::uint32_t firstId = velm::PeekObjectIDCounter();
    BuildFirstTrack();

    // race_track1.xml: 15 jugs; 122 scenery objects of the mesh form, 63 trees drawn as billboards
    // and 30 collision volumes, which are not game objects; one light and one trigger.
    EXPECT_EQ(m_game->GetItemJugIds().size(), 15u);
    EXPECT_EQ(CountOfType(kelvo::OBJECT_TREES), 63u);
    EXPECT_EQ(CountOfType(kelvo::OBJECT_COLLISION_VOLUME), 0u);
    EXPECT_EQ(CountOfType(kelvo::OBJECT_LIGHT), 1u);
    EXPECT_NE(m_game->GetLevelLight(), nullptr);
    // 122 level scenery objects, the 24 rocks and the 5 logs of "log_positions.xml".
    EXPECT_EQ(m_game->GetEnvironmentIds().size(), 122u + 24u + 5u);
    for (std::uint32_t id : m_game->GetEnvironmentIds()) {
        EXPECT_NE(Model(id), nullptr) << id;
        EXPECT_GE(id, firstId);
    }
    EXPECT_EQ(CountOfType(kelvo::TRIGGER_ROCK_RELEASE), 1u);
    EXPECT_EQ(CountOfType(kelvo::TRIGGER_LOG_RELEASE), 1u);
    EXPECT_EQ(CountOfType(kelvo::TRIGGER_FINISH), 1u);
    EXPECT_EQ(Model(m_game->GetFinishTriggerId())->GetObjectType(), kelvo::TRIGGER_FINISH);
    const CVector3 finish = Model(m_game->GetFinishTriggerId())->GetPosition();
    EXPECT_FLOAT_EQ(finish.z, -1158.8f);
    // The trap triggers are hidden; the finish stays drawn only where it has a unit.
    EXPECT_EQ(Model(m_game->GetRockTriggerId())->GetGfxUnit()->IsSkipped(), 1u);
    EXPECT_EQ(Model(m_game->GetLogTriggerId())->GetGfxUnit()->IsSkipped(), 1u);
    // The line-up racers stand for the character screen only.
    EXPECT_TRUE(m_game->GetRacerIds().empty());
    EXPECT_EQ(m_game->GetLogTrapList().size(), 5u);
}

TEST_F(LevelBuildTest, TheLineUpHoldsTheSixCharactersInOrderAtTheirPlaces) {
    m_game->BuildRacerLineUp();
    const std::vector<velm::CModel*> lineUp = m_game->GetCharSelRacers();
    ASSERT_EQ(lineUp.size(), 6u);
    const float xs[6] = {15.47f, 13.97f, 14.72f, 12.47f, 13.22f, 13.22f};
    for (std::uint32_t i = 0; i < 6; ++i) {
        auto* racer = dynamic_cast<kelvo::CRacerModel*>(lineUp[i]);
        ASSERT_NE(racer, nullptr) << i;
        EXPECT_EQ(racer->GetObjectType(), i + 1);
        EXPECT_EQ(racer->GetController(), nullptr);
        EXPECT_FLOAT_EQ(racer->GetPosition().x, xs[i]);
        EXPECT_FLOAT_EQ(racer->GetPosition().y, 0.05f);
        EXPECT_FLOAT_EQ(racer->GetPosition().z, 506.6f);
    }
    EXPECT_TRUE(m_game->GetRacers().empty());
}

TEST_F(LevelBuildTest, RocksRiseByAStepThatGrowsAFifteenthEachRockAndStartHidden) {
    m_game->BuildRockTrap();
    const std::vector<std::uint32_t> rocks = m_game->GetRockTrapList();
    ASSERT_EQ(rocks.size(), 24u);
    float y = -24.25f + 15.0f;
    float step = 2.0f;
    for (std::size_t i = 0; i < rocks.size(); ++i) {
        y += step;
        step *= 1.15f;
        kelvo::CKelvoModel* rock = Model(rocks[i]);
        ASSERT_NE(rock, nullptr);
        EXPECT_EQ(rock->GetObjectType(), kelvo::OBJECT_ROCK);
        EXPECT_NEAR(rock->GetPosition().y, y, 1e-3f * std::fabs(y)) << i;
        EXPECT_EQ(rock->GetGfxUnit()->IsSkipped(), 1u);
        EXPECT_EQ(m_game->GetViews().at(rocks[i])->GetKind(), 4u);
    }
    // The first row starts 1.75 left of the trigger's x + 1.5, each rock 3.5 further downstream.
    EXPECT_FLOAT_EQ(Model(rocks[0])->GetPosition().x, -2.14f + 1.5f - 1.75f);
    EXPECT_FLOAT_EQ(Model(rocks[3])->GetPosition().x, -2.14f + 1.5f - 1.75f);
    EXPECT_NEAR(Model(rocks[1])->GetPosition().z - Model(rocks[0])->GetPosition().z, -3.5f, 1e-3f);
}

TEST_F(LevelBuildTest, TrapsGoWithTheirTriggersSoRepeatedLoadingPassesLeaveOneOfEach) {
    for (int pass = 0; pass < 3; ++pass) {
        m_game->DestroyRockTrap();
        m_game->BuildRockTrap();
        m_game->DestroyLogTrap();
        m_game->BuildLogTrap();
    }
    EXPECT_EQ(CountOfType(kelvo::TRIGGER_ROCK_RELEASE), 1u);
    EXPECT_EQ(CountOfType(kelvo::TRIGGER_LOG_RELEASE), 1u);
    EXPECT_EQ(CountOfType(kelvo::OBJECT_ROCK), 24u);
    EXPECT_EQ(CountOfType(kelvo::OBJECT_LOG), 5u);

    const std::uint32_t rockTrigger = m_game->GetRockTriggerId();
    const std::vector<std::uint32_t> rocks = m_game->GetRockTrapList();
    m_game->DestroyRockTrap();
    m_game->DestroyLogTrap();
    EXPECT_EQ(m_game->FindModel(rockTrigger), nullptr);
    EXPECT_EQ(m_game->FindModel(rocks.front()), nullptr);
    EXPECT_TRUE(m_game->GetRockTrapList().empty());
    EXPECT_TRUE(m_game->GetLogTrapList().empty());
    EXPECT_EQ(CountOfType(kelvo::TRIGGER_LOG_RELEASE), 0u);
    EXPECT_EQ(CountOfType(kelvo::OBJECT_LOG), 0u);

    // An id the list does not hold is left alone, even when it names an object.
    m_game->BuildFinishTrigger();
    m_game->DestroyEnvObject(m_game->GetFinishTriggerId());
    EXPECT_NE(m_game->FindModel(m_game->GetFinishTriggerId()), nullptr);
    m_game->RemoveFinishTrigger();
    EXPECT_EQ(m_game->FindModel(m_game->GetFinishTriggerId()), nullptr);
}

TEST_F(LevelBuildTest, ItemJugsCountOnlyStrictlyInsideTheRadiusAndAhead) {
    const CVector3 origin(0.0f, 0.0f, 0.0f);
    const CVector3 ahead(0.0f, 0.0f, -1.0f);
    const std::uint32_t near = Jug(CVector3(0.0f, 0.0f, -3.0f));
    Jug(CVector3(0.0f, 0.0f, -5.0f)); // exactly at the radius
    Jug(CVector3(4.0f, 0.0f, 0.0f));  // beside the direction: dot product 0
    Jug(CVector3(0.0f, 0.0f, 3.0f));  // behind
    const std::uint32_t far = Jug(CVector3(1.0f, 0.0f, -4.0f));
    m_game->AddItemJugId(999999); // no model: skipped
    const std::vector<velm::CModel*> found = m_game->FindItemJugsInRange(origin, ahead, 5.0f);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0]->GetID(), near);
    EXPECT_EQ(found[1]->GetID(), far);
    EXPECT_TRUE(m_game->FindItemJugsInRange(origin, ahead, 0.0f).empty());
}

TEST_F(LevelBuildTest, TheNearestRacerAlongTheAxisInsideTheConeIsPicked) {
    const std::uint32_t caster = Racer(CVector3(0.0f, 0.0f, 0.0f));
    const std::uint32_t farther = Racer(CVector3(0.0f, 0.0f, -8.0f));
    const std::uint32_t nearest = Racer(CVector3(0.5f, 0.0f, -4.0f));
    Racer(CVector3(0.0f, 0.0f, 2.0f));   // behind the caster
    Racer(CVector3(-6.0f, 0.0f, -1.0f)); // outside the half angle
    ASSERT_EQ(m_game->GetRacerIds().size(), 5u);
    const CVector3 axis(0.0f, 0.0f, -1.0f);
    std::uint32_t picked = 0;
    ASSERT_TRUE(m_game->PickNearestRacerOnRay(caster, axis, 20.0f, 0.5f, &picked));
    EXPECT_EQ(picked, nearest);
    // Out of range of the nearer one only.
    m_game->RemoveObject(nearest);
    ASSERT_TRUE(m_game->PickNearestRacerOnRay(caster, axis, 20.0f, 0.5f, &picked));
    EXPECT_EQ(picked, farther);
    picked = 77;
    EXPECT_FALSE(m_game->PickNearestRacerOnRay(caster, axis, 5.0f, 0.5f, &picked));
    EXPECT_EQ(picked, 77u);
    EXPECT_FALSE(m_game->PickNearestRacerOnRay(123456, axis, 20.0f, 0.5f, &picked));
}

TEST_F(LevelBuildTest, TheLoadingThreadDrivesTheGamesOwnLoaderAndBuildsTheLineUp) {
    // The thread object of Init is created unstarted; a fresh one for this test.
    m_game->CreateLoadingThread();
    m_game->GetLevelLoader().SetFileName("race_track1.xml");
    m_game->StartLoadingThread();
    EXPECT_FALSE(m_game->IsLoadFlagSet());
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!m_game->IsLoadFlagSet() && std::chrono::steady_clock::now() < until) {
        m_game->PollLoadingThread();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(m_game->IsLoadFlagSet());
    EXPECT_EQ(m_game->GetCharSelRacers().size(), 6u);
    EXPECT_EQ(m_game->GetItemJugIds().size(), 15u);
}

TEST_F(LevelBuildTest, RacersForgetTheirWaterCellAndReleasesHappenOncePerGame) {
    m_game->BuildRacerLineUp();
    m_game->DetachRacersFromWater();
    for (velm::CModel* model : m_game->GetCharSelRacers()) {
        auto* racer = dynamic_cast<kelvo::CRacerModel*>(model);
        ASSERT_NE(racer->GetBuoyancy(), nullptr);
        EXPECT_EQ(racer->GetWaterCell(), nullptr);
    }
    m_game->BuildRockTrap();
    kelvo::ReleaseRocks(nullptr);
    kelvo::CKelvoModel* rock = Model(m_game->GetRockTrapList().front());
    EXPECT_EQ(rock->GetGfxUnit()->IsSkipped(), 0u);
    EXPECT_FALSE(rock->GetBody()->IsStatic());
    EXPECT_NE(rock->GetBody()->GetForceCntrl("Buoyancy"), nullptr);
    // A second release leaves a rock that was hidden again as it is.
    rock->GetGfxUnit()->SetSkipped(1);
    kelvo::ReleaseRocks(nullptr);
    EXPECT_EQ(rock->GetGfxUnit()->IsSkipped(), 1u);

    m_game->BuildLogTrap();
    kelvo::ReleaseLogs();
    velm::CModel* log = m_game->FindModel(m_game->GetLogTrapList().front());
    ASSERT_NE(log, nullptr);
    EXPECT_FALSE(log->GetBody()->IsStatic());
    EXPECT_NE(log->GetBody()->GetForceCntrl("Gravity"), nullptr);
}

} // namespace
