// Each factory on the shipped model data: what it builds and registers for racers, items,
// scenery in its three forms, lights and triggers, a racer's wake, and a record whose key names
// no model data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "engine/core/object_id.h"
#include "engine/core/view.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/gfx/particle_sys_controller.h"
#include "engine/gfx/particle_sys_registry.h"
#include "engine/gfx/particle_system.h"
#include "engine/phy/collision_hull.h"
#include "engine/phy/rigid_body.h"
#include "game/content/model_data_keys.h"
#include "game/events/creation_events.h"
#include "game/world/env_obj.h"
#include "game/world/item_model.h"
#include "game/world/item_states.h"
#include "game/world/light_model.h"
#include "game/world/race_rank_tracker.h"
#include "game/world/racer_controller.h"
#include "game/world/racer_model.h"
#include "game/world/racer_view.h"
#include "game/world/trigger_obj.h"
#include "game/world/tumbo_kelvo_camera.h"
#include "level_fixture.h"
#include "libs/common/state_machine.h"

namespace {

using common::CVector3;

class ObjectFactoriesTest : public tktest::CShippedGameTest {
protected:
    std::uint32_t MakeRacer(std::uint32_t controlKind, std::uint8_t participant, std::uint32_t owner = 0) {
        const std::uint32_t id = velm::NewObjectID();
        velm::TriggerEvent(
            kelvo::CCreateRacerEvt("FishModelData", id, owner, participant, 0, controlKind, 4, CVector3(1, 2, 3)));
        return id;
    }
    std::uint32_t MakeItem(const char* key, std::uint32_t type, std::uint32_t owner, std::uint8_t live,
                           std::uint8_t templateFlag = 0) {
        const std::uint32_t id = velm::NewObjectID();
        velm::TriggerEvent(kelvo::CCreateItemFromKeyEvt(key, id, templateFlag, 0, type, owner, live));
        return id;
    }
    template <class T>
    T* As(std::uint32_t id) const {
        return dynamic_cast<T*>(m_game->FindModel(id));
    }
};

TEST_F(ObjectFactoriesTest, RacersGetTheirControllerByKindAndJoinTheRaceOnlyAsParticipants) {
    const std::uint32_t ai = MakeRacer(2, 1);
    const std::uint32_t remote = MakeRacer(0, 1);
    const std::uint32_t human = MakeRacer(1, 0);
    auto* aiRacer = As<kelvo::CRacerModel>(ai);
    ASSERT_NE(aiRacer, nullptr);
    EXPECT_EQ(aiRacer->GetObjectType(), 4u);
    EXPECT_NE(dynamic_cast<kelvo::CAIRacerContr*>(aiRacer->GetController()), nullptr);
    EXPECT_EQ(m_game->GetControllers().count(ai), 1u);
    EXPECT_NE(dynamic_cast<kelvo::CRacerView*>(m_game->GetViews().at(ai)), nullptr);
    for (const char* force : {"Gravity", "Buoyancy", "AirDrag", "Thrust"}) {
        EXPECT_NE(aiRacer->GetBody()->GetForceCntrl(force), nullptr) << force;
    }
    EXPECT_NE(aiRacer->GetBody()->GetHull(), nullptr);
    EXPECT_FLOAT_EQ(aiRacer->GetPosition().z, 3.0f);

    EXPECT_EQ(As<kelvo::CRacerModel>(remote)->GetController(), nullptr);
    EXPECT_EQ(m_game->GetControllers().count(remote), 0u);

    auto* humanRacer = As<kelvo::CRacerModel>(human);
    EXPECT_NE(dynamic_cast<kelvo::CHumanRacerContr*>(humanRacer->GetController()), nullptr);
    EXPECT_EQ(m_game->GetLocalRacerId(), human);
    EXPECT_EQ(m_game->GetLocalRacerModel(), humanRacer);

    // Only the two participants are raced and ranked.
    EXPECT_EQ(m_game->GetRacerIds(), (std::vector<std::uint32_t>{ai, remote}));
    const auto& ranked = m_game->GetRaceRankTracker()->GetEntries();
    ASSERT_EQ(ranked.size(), 2u);
    EXPECT_EQ(ranked[0].m_racerId, ai);
    EXPECT_EQ(ranked[1].m_racerId, remote);
}

TEST_F(ObjectFactoriesTest, ARacersWakeGoesWithTheRacer) {
    // The data tree's particle systems, the wake among them; otherwise every race would leave six
    // wakes behind.
    ASSERT_FALSE(velm::gfx::ParticleSysRegistry::Exists());
    velm::gfx::ParticleSysRegistry::Instance().Init();
    const auto& systems = velm::gfx::ParticleSysRegistry::Instance().GetSystems();
    const std::uint32_t racer = MakeRacer(2, 1);
    ASSERT_NE(As<kelvo::CRacerModel>(racer)->GetTrail(), nullptr);
    EXPECT_EQ(systems.size(), 1u);
    m_game->RemoveObject(racer);
    EXPECT_TRUE(systems.empty());
    velm::gfx::ParticleSysRegistry::Destroy();
}

// A wake file of limited life (0.05 s, or a life that is not a number) makes a wake that dies in
// view while its racer races on: the racer finds it gone and goes on without one.
TEST_F(ObjectFactoriesTest, AWakeOfLimitedLifeDiesAndItsRacerRacesOnWithoutIt) {
    const std::string data = std::string(std::getenv("TK_SOURCE_DIR")) + "/tests/game/flow/data/finite_trail/";
    for (const char* table : {"short_table.xml", "nan_table.xml"}) {
        velm::gfx::CParticleSysRegistry& registry = velm::gfx::ParticleSysRegistry::Instance();
        registry.Init(data + table, data);
        const std::uint32_t racer = MakeRacer(2, 1);
        auto* model = As<kelvo::CRacerModel>(racer);
        ASSERT_NE(model->GetTrail(), nullptr) << table;
        // Until the wake has died, then a few frames more on the moving racer.
        double time = 0.0;
        for (int frame = 0, after = 0; frame < 2000 && after < 5; ++frame) {
            after += registry.GetSystems().empty() ? 1 : 0;
            registry.Update(time, 0.1f);
            // In view, the particle pass draws it: only then does its life run.
            if (velm::gfx::IGfxUnit* trail = model->GetTrail()) {
                trail->Prepare();
            }
            model->SetLinearVelocity(CVector3(0.0f, 0.0f, -3.0f));
            m_game->UpdateModels(time, 0.1f);
            time += 0.1;
        }
        EXPECT_EQ(model->GetTrail(), nullptr) << table;
        EXPECT_TRUE(registry.GetSystems().empty()) << table;
        m_game->RemoveObject(racer);
        velm::gfx::ParticleSysRegistry::Destroy();
    }
}

// How far a system's particles reach over `frames` drawn updates, in metres: the particles' own
// sizes and places times the scale the system was made at.
struct SReach {
    float m_size = 0.0f;
    float m_rise = 0.0f;
    float m_spread = 0.0f;
};

SReach MetresReached(velm::gfx::CParticleSystem& system, int frames) {
    SReach reach;
    for (int frame = 0; frame < frames; ++frame) {
        system.Step();
        for (int i = 0; i < static_cast<int>(system.GetCount()); ++i) {
            const velm::gfx::SParticle& particle = system.GetParticles()[static_cast<std::size_t>(i)];
            reach.m_size = std::max(reach.m_size, particle.scale.x * system.GetScaleX());
            reach.m_rise = std::max(reach.m_rise, particle.position.y * system.GetScaleY());
            reach.m_spread = std::max(reach.m_spread, std::hypot(particle.position.x * system.GetScaleX(),
                                                                 particle.position.z * system.GetScaleZ()));
        }
    }
    return reach;
}

TEST_F(ObjectFactoriesTest, TheWakeGeyserSteamAndMineSplashAreMetresAcrossAtTheScalesTheyAreMadeAt) {
    velm::gfx::CParticleSysRegistry& registry = velm::gfx::ParticleSysRegistry::Instance();
    registry.Init();
    // Made as the race makes them: a racer's wake, a geyser at rest and erupting, a mine going off.
    const std::uint32_t racer = MakeRacer(2, 1);
    const CVector3 at(0.0f, 0.0f, 0.0f);
    const CVector3 axis(0.0f, 1.0f, 0.0f);
    const CVector3 scale(1.0f, 1.0f, 1.0f);
    const std::uint32_t geyser = velm::NewObjectID();
    velm::TriggerEvent(kelvo::CCreateEnvObjEvt(kelvo::ModelDataKeyFromTypeName("geyser"), geyser, 1, 0, 35, &at, &axis,
                                               0.0f, &scale, 0));
    ASSERT_NE(Model(geyser), nullptr);
    Model(geyser)->GetStateMachine()->ChangeState(kelvo::kGeyserEruptStateName);
    const std::uint32_t mine = MakeItem("MineModelData", 14, racer, 1);
    Model(mine)->GetStateMachine()->ChangeState(kelvo::kMineExplodeStateName);
    m_events.Tick(-1);

    struct SCase {
        const char* m_template;
        float m_rise;
    };
    // Each reads at race distance without swamping the view: puffs from a third of a metre to a
    // few metres within a few metres of where they start; the eruption stands several metres,
    // the splash one or two.
    const SCase cases[] = {{"trail", 0.0f},
                           {"geyser_normal", 1.0f},
                           {"geyser_erupt", 5.0f},
                           {"water_explosion", 1.5f},
                           {"water_explosion2", 0.8f}};
    for (const SCase& test : cases) {
        velm::gfx::CParticleSystem* system = nullptr;
        for (velm::gfx::CParticleSystem* live : registry.GetSystems()) {
            if (live->GetTemplate() != nullptr && live->GetTemplate()->GetName() == test.m_template) {
                system = live;
            }
        }
        ASSERT_NE(system, nullptr) << test.m_template;
        registry.Update(0.0, 1.0f / 60.0f);
        const SReach reach = MetresReached(*system, 120);
        EXPECT_GE(reach.m_size, 0.35f) << test.m_template;
        EXPECT_LE(reach.m_size, 4.0f) << test.m_template;
        EXPECT_GE(reach.m_rise, test.m_rise) << test.m_template;
        EXPECT_LE(reach.m_spread, 6.0f) << test.m_template;
    }
    m_game->RemoveObject(mine);
    m_game->RemoveObject(geyser);
    m_game->RemoveObject(racer);
    velm::gfx::ParticleSysRegistry::Destroy();
}

TEST_F(ObjectFactoriesTest, ANetworkedRacerOwnedByThisMachineIsDrivenHereWhateverItsRecordSays) {
    m_game->SetNetworkMode(true, 1, nullptr);
    // Without a socket this machine's client id is 0.
    const std::uint32_t mine = MakeRacer(0, 1, 0);
    const std::uint32_t theirs = MakeRacer(0, 1, 7);
    EXPECT_EQ(As<kelvo::CRacerModel>(mine)->GetControlKind(), kelvo::CONTROL_LOCAL_PLAYER);
    EXPECT_EQ(m_game->GetLocalRacerId(), mine);
    EXPECT_EQ(As<kelvo::CRacerModel>(theirs)->GetControlKind(), kelvo::CONTROL_NETWORK);
    EXPECT_EQ(As<kelvo::CRacerModel>(theirs)->GetConnectionId(), 7u);
    m_game->SetNetworkMode(false, 0, nullptr);
}

TEST_F(ObjectFactoriesTest, ItemsGetTheirControllerForcesStateMachineAndOwnerByKind) {
    const std::uint32_t owner = MakeRacer(2, 1);
    const std::uint32_t drill = MakeItem("DrillModelData", 7, owner, 1);
    const std::uint32_t shark = MakeItem("SharkModelData", 10, owner, 1);
    const std::uint32_t bait = MakeItem("BaitModelData", 9, owner, 1);
    const std::uint32_t unowned = MakeItem("MineModelData", 14, 0, 1);
    const std::uint32_t spare = MakeItem("MineModelData", 14, 0, 0);

    auto* drillModel = As<kelvo::CItemModel>(drill);
    ASSERT_NE(drillModel, nullptr);
    EXPECT_NE(dynamic_cast<kelvo::CPathItemController*>(drillModel->GetController()), nullptr);
    EXPECT_NE(drillModel->GetBody()->GetForceCntrl("Gravity"), nullptr);
    EXPECT_NE(drillModel->GetBody()->GetForceCntrl("Buoyancy"), nullptr);
    EXPECT_FALSE(drillModel->GetStateMachine()->GetCurrentState().empty());
    EXPECT_EQ(drillModel->GetOwnerId(), owner);

    auto* sharkModel = As<kelvo::CItemModel>(shark);
    EXPECT_NE(dynamic_cast<kelvo::CPathItemController*>(sharkModel->GetController()), nullptr);
    EXPECT_EQ(sharkModel->GetBody()->GetForceCntrl("Gravity"), nullptr);

    auto* baitModel = As<kelvo::CItemModel>(bait);
    EXPECT_EQ(dynamic_cast<kelvo::CPathItemController*>(baitModel->GetController()), nullptr);
    EXPECT_NE(dynamic_cast<kelvo::CItemController*>(baitModel->GetController()), nullptr);
    EXPECT_EQ(baitModel->GetBody()->GetForceCntrl("Buoyancy"), nullptr);

    EXPECT_EQ(As<kelvo::CItemModel>(unowned)->GetOwnerId(), 0u);
    // An item that was not fired gets no state machine.
    EXPECT_TRUE(As<kelvo::CItemModel>(spare)->GetStateMachine()->GetCurrentState().empty());

    // A template is kept apart from the game's objects.
    const std::uint32_t held = MakeItem("BaitModelData", 23, 0, 0, 1);
    EXPECT_EQ(m_game->FindModel(held), nullptr);
}

// The reflective coat and the whirlpool have no model data: their key is empty, and a fired one
// is still built, bare, for its owner (the coat with the machine that makes its owner invincible).
TEST_F(ObjectFactoriesTest, TheItemsWithoutAModelAreBuiltBareFromTheirEmptyKey) {
    const std::uint32_t owner = MakeRacer(2, 1);
    ASSERT_EQ(kelvo::ModelDataKeyFromType(8), "");
    ASSERT_EQ(kelvo::ModelDataKeyFromType(12), "");
    testing::internal::CaptureStderr();
    const std::uint32_t coat = MakeItem(kelvo::ModelDataKeyFromType(8).c_str(), 8, owner, 1);
    const std::uint32_t whirlpool = MakeItem(kelvo::ModelDataKeyFromType(12).c_str(), 12, owner, 1);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.find("no model data"), std::string::npos) << log;

    auto* coatModel = As<kelvo::CItemModel>(coat);
    ASSERT_NE(coatModel, nullptr);
    EXPECT_EQ(coatModel->GetSceneNode(), nullptr);
    EXPECT_EQ(coatModel->GetOwnerId(), owner);
    EXPECT_EQ(coatModel->GetStateMachine()->GetCurrentState(), "Reflect_Network_State");
    auto* whirlpoolModel = As<kelvo::CItemModel>(whirlpool);
    ASSERT_NE(whirlpoolModel, nullptr);
    EXPECT_EQ(whirlpoolModel->GetOwnerId(), owner);
    EXPECT_TRUE(whirlpoolModel->GetStateMachine()->GetCurrentState().empty());

    // Any other key that names nothing is still refused.
    testing::internal::CaptureStderr();
    const std::uint32_t bad = MakeItem("NoSuchModelData", 8, owner, 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Create_Item: no model data"), std::string::npos);
    EXPECT_EQ(m_game->FindModel(bad), nullptr);
}

TEST_F(ObjectFactoriesTest, SceneryTakesItsListByFlagsTreesBecomeBillboardsAndVolumesOnlyPhysics) {
    const CVector3 at(0.0f, 1.0f, 2.0f);
    const CVector3 axis(0.0f, 1.0f, 0.0f);
    const CVector3 scale(1.0f, 2.0f, 3.0f);
    const std::uint32_t jug = velm::NewObjectID();
    velm::TriggerEvent(kelvo::CCreateEnvObjEvt("ItemJugModelData", jug, 1, 0, 15, &at, 0));
    const std::uint32_t seeThrough = velm::NewObjectID();
    velm::TriggerEvent(kelvo::CCreateEnvObjEvt("IceModelData", seeThrough, 0, 0, 22, &at, 0));
    const std::uint32_t moving = velm::NewObjectID();
    velm::TriggerEvent(kelvo::CCreateEnvObjEvt("RockModelData", moving, 0, 0, 17, &at, 1));
    const std::uint32_t tree = velm::NewObjectID();
    velm::TriggerEvent(kelvo::CCreateEnvObjEvt("PineTreeModelData", tree, 1, 0, 28, &at, &axis, 0.0f, &scale, 0));
    const std::uint32_t volume = velm::NewObjectID();
    velm::TriggerEvent(kelvo::CCreateEnvObjEvt("PhysicsBoxCollDataKey", volume, 1, 0, 34, &at, &axis, 0.0f, &scale, 0));

    EXPECT_EQ(m_game->GetViews().at(jug)->GetKind(), 0u);
    EXPECT_EQ(m_game->GetViews().at(seeThrough)->GetKind(), 1u);
    EXPECT_EQ(m_game->GetViews().at(moving)->GetKind(), 4u);
    EXPECT_NE(dynamic_cast<kelvo::CEnvObjController*>(As<kelvo::CEnvObjModel>(jug)->GetController()), nullptr);
    EXPECT_EQ(m_game->GetItemJugIds(), std::vector<std::uint32_t>{jug});
    EXPECT_EQ(m_game->GetEnvironmentIds(), (std::vector<std::uint32_t>{jug, seeThrough, moving}));

    // The tree: a billboard unit, no hull, in neither list.
    auto* treeModel = As<kelvo::CEnvObjModel>(tree);
    ASSERT_NE(treeModel, nullptr);
    EXPECT_EQ(treeModel->GetBody()->GetHull(), nullptr);
    EXPECT_TRUE(treeModel->GetBody()->IsStatic());
    EXPECT_NE(treeModel->GetGfxUnit(), nullptr);
    // The volume is no game object.
    EXPECT_EQ(m_game->FindModel(volume), nullptr);
}

TEST_F(ObjectFactoriesTest, TheLevelLightIsDrawnAndTriggersAreHiddenAndSizedByTheirScale) {
    const std::uint32_t light = velm::NewObjectID();
    velm::TriggerEvent(kelvo::CCreateLight("LightModelData", light, 0, 1, 19));
    auto* lightModel = As<kelvo::CLightModel>(light);
    ASSERT_NE(lightModel, nullptr);
    EXPECT_EQ(m_game->GetLevelLight(), lightModel);
    EXPECT_EQ(m_game->GetViews().at(light)->GetKind(), 5u);
    EXPECT_EQ(lightModel->GetGfxUnit()->IsSkipped(), 0u);
    EXPECT_FLOAT_EQ(lightModel->GetLight().Diffuse.a, 1.0f);

    const std::uint32_t trigger = velm::NewObjectID();
    const CVector3 at(3.0f, 4.0f, 5.0f);
    velm::TriggerEvent(kelvo::CCreateTriggerObjEvt("BoxModelData", trigger, 0, 31, &at));
    auto* triggerModel = As<kelvo::CTriggerObjModel>(trigger);
    ASSERT_NE(triggerModel, nullptr);
    EXPECT_EQ(triggerModel->GetGfxUnit()->IsSkipped(), 1u);
    EXPECT_EQ(triggerModel->GetController(), nullptr);
    EXPECT_FLOAT_EQ(triggerModel->GetPosition().x, 3.0f);
    ASSERT_NE(triggerModel->GetBody()->GetHull(), nullptr);
    const CVector3 size = triggerModel->GetBody()->GetHull()->GetLocalBox().GetSize();

    // A scaled trigger watches a space scaled as its hull's data, as a scaled box's hull is.
    const std::uint32_t wide = velm::NewObjectID();
    const CVector3 axis(0.0f, 1.0f, 0.0f);
    const CVector3 scale(18.0f, 4.0f, 1.0f);
    velm::TriggerEvent(kelvo::CCreateTriggerObjEvt("BoxModelData", wide, 0, 31, &at, &axis, 0.0f, &scale));
    auto* wideModel = As<kelvo::CTriggerObjModel>(wide);
    ASSERT_NE(wideModel, nullptr);
    ASSERT_NE(wideModel->GetBody()->GetHull(), nullptr);
    const CVector3 wideSize = wideModel->GetBody()->GetHull()->GetLocalBox().GetSize();
    EXPECT_NEAR(wideSize.x, size.x * 18.0f, 1e-3f);
    EXPECT_NEAR(wideSize.y, size.y * 4.0f, 1e-3f);
    EXPECT_NEAR(wideSize.z, size.z, 1e-3f);
}

TEST_F(ObjectFactoriesTest, AKeyWithoutModelDataOrATakenIdIsLoggedAndBuildsNothing) {
    const std::size_t before = m_game->GetModels().size();
    const std::uint32_t id = velm::NewObjectID();
    const CVector3 at(0.0f, 0.0f, 0.0f);
    testing::internal::CaptureStderr();
    velm::TriggerEvent(kelvo::CCreateRacerEvt("NoSuchModelData", id, 0, 1, 0, 2, 1, at));
    velm::TriggerEvent(kelvo::CCreateItemFromKeyEvt("NoSuchModelData", id, 0, 0, 7, 0, 1));
    velm::TriggerEvent(kelvo::CCreateEnvObjEvt("NoSuchModelData", id, 1, 0, 15, &at, 0));
    velm::TriggerEvent(kelvo::CCreateEnvObjEvt("NoSuchModelData", id, 1, 0, 28, &at, 0));
    velm::TriggerEvent(kelvo::CCreateLight("NoSuchModelData", id, 0, 1, 19));
    velm::TriggerEvent(kelvo::CCreateTriggerObjEvt("NoSuchModelData", id, 0, 30, &at));
    // A racer record without its physics data is refused as well.
    velm::TriggerEvent(kelvo::CCreateRacerEvt("TerrainModelData1", id, 0, 1, 0, 2, 1, at));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(m_game->GetModels().size(), before);
    EXPECT_TRUE(m_game->GetRacerIds().empty());
    EXPECT_TRUE(m_game->GetItemJugIds().empty());
    EXPECT_TRUE(m_game->GetEnvironmentIds().empty());
    EXPECT_NE(log.find("Create_Racer_Event: no model data \"NoSuchModelData\""), std::string::npos) << log;
    EXPECT_NE(log.find("Create_Environment_Obj_Event: no model data"), std::string::npos) << log;
    EXPECT_NE(log.find("Create_Trigger_Obj: no model data"), std::string::npos) << log;
    EXPECT_NE(log.find("\"TerrainModelData1\" lacks"), std::string::npos) << log;

    // The first object under an id stays.
    const std::uint32_t racer = velm::NewObjectID();
    velm::TriggerEvent(kelvo::CCreateRacerEvt("FishModelData", racer, 0, 1, 0, 2, 4, at));
    velm::CModel* first = m_game->FindModel(racer);
    velm::TriggerEvent(kelvo::CCreateRacerEvt("BearModelData", racer, 0, 1, 0, 2, 2, at));
    EXPECT_EQ(m_game->FindModel(racer), first);
    EXPECT_EQ(m_game->GetRacerIds().size(), 1u);
}

} // namespace
