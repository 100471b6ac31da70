#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/gfx/particle_functors.h"
#include "engine/gfx/particle_sys_controller.h"
#include "engine/gfx/particle_sys_registry.h"
#include "engine/gfx/particle_system.h"
#include "engine/gfx/particle_test_files.h"

namespace {

using tktest::SParticleTemplate;
using velm::gfx::CParticleSystem;

// A frame as the game runs it: the registry's update, then the system's draw unless the update
// removed it (the pointer is then only compared, never followed).
void Frame(velm::gfx::CParticleSysRegistry& registry, CParticleSystem* system, float elapsed = 0.02f) {
    const std::uint32_t id = system->GetID();
    registry.Update(0.0, elapsed);
    if (registry.FindSystem(id) == system) {
        system->Prepare();
    }
}

CParticleSystem* Make(const std::string& name, std::uint32_t id = 1) {
    auto* system = new CParticleSystem();
    EXPECT_TRUE(system->Create(name));
    system->SetID(id);
    return system;
}

using ParticleSystems = tktest::CParticleRegistryTest;

TEST_F(ParticleSystems, FractionalRatesCarryOverAndTheLimitCapsTheCount) {
    struct SCase {
        const char* rate;
        const char* limit;
        int frames;
        float count;
        std::uint32_t vertices;
    };
    const SCase cases[] = {
        {"0.5", "100", 1, 0.5f, 0},   {"0.5", "100", 2, 1.0f, 4}, {"0.5", "100", 5, 2.5f, 8},
        {"0.25", "100", 7, 1.75f, 4}, {"3", "6", 1, 3.0f, 12},    {"3", "6", 2, 6.0f, 24},
        {"3", "6", 9, 6.0f, 24},      {"2.5", "6", 3, 6.0f, 24},  {"1", "0", 4, 0.0f, 0},
    };
    for (const SCase& c : cases) {
        SParticleTemplate t;
        t.rate = c.rate;
        t.limit = c.limit;
        velm::gfx::CParticleSysRegistry& registry = Load({t});
        CParticleSystem* system = Make("test_system");
        for (int i = 0; i < c.frames; ++i) {
            Frame(registry, system);
        }
        EXPECT_FLOAT_EQ(system->GetCount(), c.count) << "rate " << c.rate << " limit " << c.limit;
        EXPECT_EQ(system->GetVertexCount(), c.vertices) << "rate " << c.rate << " limit " << c.limit;
        EXPECT_EQ(system->GetFaceCount(), c.vertices / 2);
        TearDown();
    }
    // Count 5 of limit 6 with rate 3 adds one.
    SParticleTemplate t;
    t.rate = "0";
    t.limit = "6";
    Load({t});
    CParticleSystem* system = Make("test_system");
    system->Emit(5.0f);
    system->Emit(3.0f);
    EXPECT_FLOAT_EQ(system->GetCount(), 6.0f);
}

TEST_F(ParticleSystems, LimitsFromFilesAreHeldToTheMost) {
    SParticleTemplate big;
    big.name = "big";
    big.limit = "10000";
    SParticleTemplate negative;
    negative.name = "negative";
    negative.limit = "-5";
    ::testing::internal::CaptureStderr();
    velm::gfx::CParticleSysRegistry& registry = Load({big, negative});
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(registry.GetTemplate("big")->GetLimit(), 6048);
    EXPECT_EQ(registry.GetTemplate("negative")->GetLimit(), 0);
    EXPECT_NE(log.find("sys_limit \"10000\" is not a whole number from 0 to 6048; using 6048"), std::string::npos)
        << log;
    CParticleSystem* system = Make("big");
    system->Emit(7000.0f);
    EXPECT_FLOAT_EQ(system->GetCount(), 6048.0f);
    EXPECT_EQ(system->GetIndices().back(), 6048 * 4 - 2);
}

// A template's values that are not finite or beyond reason are said with the file and field and
// replaced: an emission rate by one a step, a life or radius by 0, a functor's size by 0, an
// inverted colour range by its ends swapped.
TEST_F(ParticleSystems, HostileTemplateValuesAreSaidAndReplaced) {
    const struct {
        const char* name;
        const char* rate;
        const char* life;
        const char* radius;
        float emitRate;
        float lifeRead;
        float radiusRead;
        const char* said;
    } cases[] = {
        {"flood", "1e10", "1", "2", 1.0f, 1.0f, 2.0f,
         ": sys_emit_rate \"1e10\" is not a number from 0 to 6048; using 1"},
        {"endless", "inf", "1", "2", 1.0f, 1.0f, 2.0f, ": sys_emit_rate \"inf\""},
        {"unsaid", "nan", "nan", "nan", 1.0f, 0.0f, 0.0f,
         ": sys_life \"nan\" is not a number from 0 to 1e+06; using 0"},
        {"wide", "1", "1", "-3", 1.0f, 1.0f, 0.0f, ": sys_radius \"-3\""},
    };
    std::vector<SParticleTemplate> templates;
    for (const auto& c : cases) {
        SParticleTemplate t;
        t.name = c.name;
        t.rate = c.rate;
        t.life = c.life;
        t.radius = c.radius;
        t.infinite = 0;
        templates.push_back(t);
    }
    SParticleTemplate functors;
    functors.name = "functors";
    functors.roles[0] = "random_color_init";
    functors.roles[2] = "random_size_init";
    functors.functors +=
        "<random_color_init>\n<red_low_range>200</red_low_range>\n<red_high_range>10</red_high_range>\n"
        "<alpha_low_range>300</alpha_low_range>\n</random_color_init>\n"
        "<random_size_init>\n<xMin>1e30</xMin>\n<xMax>2</xMax>\n<yMin>nan</yMin>\n</random_size_init>\n";
    templates.push_back(functors);
    ::testing::internal::CaptureStderr();
    velm::gfx::CParticleSysRegistry& registry = Load(templates);
    const std::string log = ::testing::internal::GetCapturedStderr();
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const velm::gfx::CParticleSysController* made = registry.GetTemplate(cases[i].name);
        ASSERT_NE(made, nullptr) << cases[i].name;
        EXPECT_EQ(made->GetEmitRate(), cases[i].emitRate) << cases[i].name;
        EXPECT_EQ(made->GetLife(), cases[i].lifeRead) << cases[i].name;
        EXPECT_EQ(made->GetRadius(), cases[i].radiusRead) << cases[i].name;
        const std::string file = m_dir.Path() + "/particle_sys/system" + std::to_string(i) + ".xml";
        EXPECT_NE(log.find(file + cases[i].said), std::string::npos) << cases[i].name << "\n" << log;
    }
    const std::string file = m_dir.Path() + "/particle_sys/system4.xml";
    for (const char* said : {": random_color_init red_low_range 200 lies above red_high_range 10; the two are swapped",
                             ": random_color_init alpha_low_range \"300\" is not a whole number from 0 to 255",
                             ": random_size_init xMin \"1e30\" is not a number from -1e+06 to 1e+06; using 0",
                             ": random_size_init yMin \"nan\""}) {
        EXPECT_NE(log.find(file + said), std::string::npos) << said << "\n" << log;
    }
    const auto& colour =
        dynamic_cast<velm::gfx::RandColorInit&>(registry.GetTemplate("functors")->GetFunctor(velm::gfx::kColourInit));
    EXPECT_EQ(colour.m_low[0], 10);
    EXPECT_EQ(colour.m_high[0], 200);
    // Born particles stay within the swapped range and the sizes read.
    CParticleSystem* system = Make("functors");
    system->Emit(20.0f);
    for (const velm::gfx::SParticle& p : system->GetParticles()) {
        EXPECT_LE(p.scale.x, 2.0f);
        EXPECT_TRUE(std::isfinite(p.scale.y));
    }
}

// Stamps each newborn with a running number in its colour and kills the stamps it is told to.
struct SStamp : velm::gfx::PartBaseFunctor {
    void Apply(velm::gfx::SParticle& p, float) override { p.colour = next++; }
    std::uint32_t next = 0;
};
struct SKill : velm::gfx::PartBaseFunctor {
    void Apply(velm::gfx::SParticle& p, float) override {
        if (doomed.count(p.colour) != 0) {
            p.life = 0.0f;
        }
    }
    std::set<std::uint32_t> doomed;
};

std::set<std::uint32_t> WholeStamps(const CParticleSystem& system) {
    std::set<std::uint32_t> stamps;
    for (int i = 0; i < static_cast<int>(system.GetCount()); ++i) {
        stamps.insert(system.GetParticles()[static_cast<std::size_t>(i)].colour);
    }
    return stamps;
}

TEST_F(ParticleSystems, OnlyWholeParticlesAreUpdatedSoNoLiveOneIsLost) {
    SParticleTemplate t;
    t.rate = "1.5";
    velm::gfx::CParticleSysRegistry& registry = Load({t});
    velm::gfx::CParticleSysController* controller = registry.GetTemplate("test_system");
    auto* stamp = new SStamp();
    auto* kill = new SKill();
    controller->SetFunctor(velm::gfx::kColourInit, stamp);
    controller->SetFunctor(velm::gfx::kLifeUpdate, kill);
    CParticleSystem* system = Make("test_system");
    Frame(registry, system); // slot 0 stamp 0, slot 1 half-born stamp 1
    Frame(registry, system); // slot 1 born again as 2, slot 2 stamp 3
    // The third frame's half-born slot 4 gets stamp 5; killing it must cost no live particle.
    kill->doomed = {5};
    Frame(registry, system);
    EXPECT_FLOAT_EQ(system->GetCount(), 4.5f);
    EXPECT_EQ(WholeStamps(*system), (std::set<std::uint32_t>{0, 2, 3, 4}));
    // A whole particle that dies takes the last whole one into its slot, updated the same pass.
    kill->doomed = {2};
    Frame(registry, system);
    EXPECT_FLOAT_EQ(system->GetCount(), 5.0f);
    EXPECT_EQ(WholeStamps(*system), (std::set<std::uint32_t>{0, 3, 4, 6, 7}));
    // Every whole particle but one dies while a fraction is pending: nothing reads below slot 0.
    kill->doomed = {0, 3, 4, 6, 7, 8, 9};
    Frame(registry, system);
    EXPECT_GE(system->GetCount(), 0.0f);
    EXPECT_EQ(system->GetVertexCount(), static_cast<std::uint32_t>(system->GetCount()) * 4);
}

TEST_F(ParticleSystems, DeathAllAtOnceAgainstOneByOne) {
    SParticleTemplate together;
    together.name = "together";
    together.infinite = 0;
    together.life = "0.05";
    together.deadAllAtOnce = 1;
    together.functors =
        "<normal_color_init>\n<color_norm_init>-1</color_norm_init>\n</normal_color_init>\n"
        "<normal_life_init>\n<life>1</life>\n</normal_life_init>\n"
        "<normal_life_update>\n<death_rate>0.25</death_rate>\n</normal_life_update>\n";
    SParticleTemplate singly = together;
    singly.name = "singly";
    singly.deadAllAtOnce = 0;
    velm::gfx::CParticleSysRegistry& registry = Load({together, singly});
    CParticleSystem* a = Make("together", 1);
    CParticleSystem* b = Make("singly", 2);
    std::vector<int> aliveA;
    std::vector<int> aliveB;
    for (int frame = 0; frame < 8; ++frame) {
        registry.Update(0.0, 0.02f);
        for (std::uint32_t id : {1u, 2u}) {
            if (CParticleSystem* s = registry.FindSystem(id)) {
                s->Prepare();
            }
        }
        aliveA.push_back(registry.FindSystem(1) != nullptr ? static_cast<int>(a->GetCount()) : -1);
        aliveB.push_back(registry.FindSystem(2) != nullptr ? static_cast<int>(b->GetCount()) : -1);
    }
    // Ages 0.02, 0.04, 0.06: the all-at-once system goes at the first update after its life,
    // with its three particles; the other drains one particle per update (each lives 4).
    EXPECT_EQ(aliveA, (std::vector<int>{1, 2, 3, -1, -1, -1, -1, -1}));
    EXPECT_EQ(aliveB, (std::vector<int>{1, 2, 3, 2, 1, 0, -1, -1}));
}

TEST_F(ParticleSystems, AHalfBornParticleDoesNotKeepADrainedSystemAlive) {
    SParticleTemplate t;
    t.infinite = 0;
    t.life = "0.05";
    t.rate = "0.5";
    t.functors =
        "<normal_life_init>\n<life>1</life>\n</normal_life_init>\n"
        "<normal_life_update>\n<death_rate>0.5</death_rate>\n</normal_life_update>\n";
    velm::gfx::CParticleSysRegistry& registry = Load({t});
    CParticleSystem* system = Make("test_system");
    int frames = 0;
    while (registry.FindSystem(1) == system && frames < 50) {
        Frame(registry, system);
        ++frames;
    }
    // Three drawn updates emit 1.5; the whole one dies, the half one is never born.
    EXPECT_LT(frames, 50) << "count " << system->GetCount();
}

// Life runs only in view: what no pass draws neither ages nor emits, and stays listed until the
// track's systems are freed.
TEST_F(ParticleSystems, SystemsOutOfViewKeepTheirAgeAndStayListedUntilTheTracksSystemsAreFreed) {
    SParticleTemplate finite;
    finite.name = "finite";
    finite.infinite = 0;
    finite.life = "0.01";
    finite.functors =
        "<normal_color_init>\n<color_norm_init>-1</color_norm_init>\n</normal_color_init>\n"
        "<normal_life_init>\n<life>1</life>\n</normal_life_init>\n"
        "<normal_life_update>\n<death_rate>0.5</death_rate>\n</normal_life_update>\n";
    SParticleTemplate endless;
    endless.name = "endless";
    endless.life = "0.01";
    velm::gfx::CParticleSysRegistry& registry = Load({finite, endless});
    CParticleSystem* unseen = Make("finite", 1);
    CParticleSystem* forever = Make("endless", 2);
    CParticleSystem* waiting = Make("endless", 3);
    for (int frame = 0; frame < 20; ++frame) {
        registry.Update(0.0, 0.5f);
        forever->Prepare();
    }
    // Ten seconds past its life and never drawn: still new, still listed, nothing born.
    EXPECT_EQ(registry.FindSystem(1), unseen);
    EXPECT_FLOAT_EQ(unseen->GetAge(), 0.0f);
    EXPECT_FLOAT_EQ(unseen->GetCount(), 0.0f);
    EXPECT_FLOAT_EQ(unseen->GetEmitRate(), 1.0f);
    EXPECT_EQ(registry.FindSystem(2), forever);
    EXPECT_FLOAT_EQ(forever->GetEmitRate(), 1.0f);
    EXPECT_FLOAT_EQ(forever->GetAge(), 10.0f);
    EXPECT_EQ(registry.FindSystem(3), waiting);
    EXPECT_FLOAT_EQ(waiting->GetAge(), 0.0f);
    EXPECT_FLOAT_EQ(waiting->GetCount(), 0.0f);
    EXPECT_EQ(registry.FindSystem(4), nullptr);
    // One system goes by its id, the others stay; an id of none destroys nothing.
    EXPECT_TRUE(registry.DestroySystem(3));
    EXPECT_FALSE(registry.DestroySystem(3));
    EXPECT_EQ(registry.FindSystem(3), nullptr);
    EXPECT_EQ(registry.FindSystem(2), forever);
    // Leaving the track frees the unseen one with the rest.
    registry.DestroyAllSystems();
    EXPECT_TRUE(registry.GetSystems().empty());
    EXPECT_EQ(velm::gfx::FindParticleSystem(1), nullptr);
    EXPECT_EQ(velm::gfx::FindParticleSystem(2), nullptr);
}

// A geyser's eruption: drawn by the frame and both water passes while seen, then out of view (it
// waits as it was), then seen again (it runs out its life and goes).
TEST_F(ParticleSystems, AnEruptionStepsOncePerDrawnFrameWaitsOutOfViewAndDiesInView) {
    SParticleTemplate t;
    t.infinite = 0;
    t.life = "0.1";
    t.rate = "2";
    t.functors =
        "<normal_color_init>\n<color_norm_init>-1</color_norm_init>\n</normal_color_init>\n"
        "<normal_life_init>\n<life>1</life>\n</normal_life_init>\n"
        "<normal_life_update>\n<death_rate>0.25</death_rate>\n</normal_life_update>\n";
    velm::gfx::CParticleSysRegistry& registry = Load({t});
    CParticleSystem* seen = Make("test_system", 1);
    CParticleSystem* never = Make("test_system", 2);
    const auto drawnFrame = [&] {
        registry.Update(0.0, 0.02f);
        if (registry.FindSystem(1) == seen) {
            for (int pass = 0; pass < 3; ++pass) {
                seen->Prepare();
            }
        }
    };
    drawnFrame();
    drawnFrame();
    // Two frames, not six: two steps of age and two births of two particles each.
    EXPECT_FLOAT_EQ(seen->GetAge(), 0.04f);
    EXPECT_FLOAT_EQ(seen->GetCount(), 4.0f);
    const std::uint32_t vertices = seen->GetVertexCount();
    for (int frame = 0; frame < 100; ++frame) {
        registry.Update(0.0, 0.02f);
    }
    EXPECT_EQ(registry.GetSystems().size(), 2u) << "out of view, nothing ages or dies";
    EXPECT_FLOAT_EQ(seen->GetAge(), 0.04f);
    EXPECT_FLOAT_EQ(seen->GetCount(), 4.0f);
    EXPECT_EQ(seen->GetVertexCount(), vertices);
    EXPECT_FLOAT_EQ(never->GetAge(), 0.0f);
    EXPECT_FLOAT_EQ(never->GetCount(), 0.0f);
    // Back in view: three more births to age 0.1, then no more; each particle lives four updates.
    int frames = 0;
    while (registry.FindSystem(1) == seen && frames < 100) {
        drawnFrame();
        ++frames;
    }
    EXPECT_EQ(frames, 8) << "births end at age 0.1, the last particles die four updates later";
    EXPECT_EQ(registry.FindSystem(2), never);
    EXPECT_FLOAT_EQ(never->GetAge(), 0.0f);
}

// Bursts that nobody has seen do not pile up: a newer one of the same effect at the same spot
// takes the place of the waiting one, while other spots, other effects, endless systems and bursts
// already seen all stay.
TEST_F(ParticleSystems, ANewerUnseenBurstAtTheSameSpotReplacesTheWaitingOne) {
    SParticleTemplate burst;
    burst.name = "burst";
    burst.infinite = 0;
    burst.life = "1";
    SParticleTemplate other = burst;
    other.name = "other";
    SParticleTemplate endless;
    endless.name = "endless";
    velm::gfx::CParticleSysRegistry& registry = Load({burst, other, endless});
    const auto at = [](CParticleSystem* system, float x) {
        system->SetPosition(x, 2.0f, -40.0f, true);
        return system;
    };
    CParticleSystem* seen = at(Make("burst", 1), 5.0f);
    registry.Update(0.0, 0.02f);
    seen->Prepare();
    at(Make("burst", 2), 5.0f);
    at(Make("burst", 3), 5.0f);
    at(Make("burst", 4), 5.0f);
    at(Make("burst", 5), 9.0f);
    at(Make("other", 6), 5.0f);
    at(Make("endless", 7), 5.0f);
    at(Make("endless", 8), 5.0f);
    for (int frame = 0; frame < 3; ++frame) {
        registry.Update(0.0, 0.02f);
    }
    std::vector<std::uint32_t> ids;
    for (const CParticleSystem* system : registry.GetSystems()) {
        ids.push_back(system->GetID());
    }
    EXPECT_EQ(ids, (std::vector<std::uint32_t>{1, 4, 5, 6, 7, 8}));
    // The one kept is still new: it starts its life when it is first drawn.
    EXPECT_FLOAT_EQ(registry.FindSystem(4)->GetAge(), 0.0f);
}

TEST_F(ParticleSystems, BadFilesAndNamesAreToldAndNothingIsMade) {
    SParticleTemplate good;
    SParticleTemplate twin = good;
    twin.limit = "3";
    SParticleTemplate misspelt;
    misspelt.name = "misspelt";
    misspelt.roles[0] = "rainbow_color_init";
    ::testing::internal::CaptureStderr();
    // A name that climbs to an endless device is refused, never read as one endless line.
    std::string device;
    for (int up = 0; up < 24; ++up) {
        device += "../";
    }
    device += "dev/zero";
    velm::gfx::CParticleSysRegistry& registry = Load({good, twin, misspelt}, {"missing.xml", device});
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("dev/zero: is not a regular file (a device, pipe or socket); no template made"),
              std::string::npos)
        << log;
    EXPECT_EQ(registry.GetTemplateCount(), 2u);
    EXPECT_EQ(registry.GetTemplate("test_system")->GetLimit(), 100) << "the first of a name stays";
    EXPECT_NE(log.find("exists already"), std::string::npos) << log;
    EXPECT_NE(log.find("missing.xml: does not exist; no template made"), std::string::npos) << log;
    EXPECT_NE(log.find("\"rainbow_color_init\" is not registered"), std::string::npos) << log;
    // The misspelt role falls back to the base functor: newborns keep a fresh slot's colour.
    EXPECT_EQ(registry.GetTemplate("misspelt")->GetFunctor(velm::gfx::kColourInit).GetName(), "rainbow_color_init");
    CParticleSystem* system = Make("misspelt");
    system->Emit(1.0f);
    EXPECT_EQ(system->GetParticles()[0].colour, 0x00FFFFFFu);
    // An unknown template refuses creation and the system stays the caller's.
    auto refused = std::make_unique<CParticleSystem>();
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(refused->Create("no_such_system"));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("no such template"), std::string::npos);
    EXPECT_EQ(registry.GetSystems().size(), 1u);
    refused->Emit(5.0f);
    refused->Prepare();
    EXPECT_FLOAT_EQ(refused->GetCount(), 0.0f);
}

TEST_F(ParticleSystems, QuadsFaceTheCameraAndCarryTheParticlesColour) {
    SParticleTemplate t;
    t.roles[2] = "normal_size_init";
    t.roles[3] = "normal_position_init";
    t.functors =
        "<normal_color_init>\n<color_norm_init>-2130771968</color_norm_init>\n</normal_color_init>\n"
        "<normal_life_init>\n<life>1</life>\n</normal_life_init>\n"
        "<normal_size_init>\n<x>2</x>\n<y>4</y>\n<z>1</z>\n</normal_size_init>\n"
        "<normal_position_init>\n<xPos>10</xPos>\n<yPos>0</yPos>\n<zPos>0</zPos>\n</normal_position_init>\n"
        "<normal_life_update>\n<death_rate>0</death_rate>\n</normal_life_update>\n";
    velm::gfx::CParticleSysRegistry& registry = Load({t});
    // Looking along +z (no x in the view): yaw - 3/2 pi with yaw 3/2 pi is no turn at all.
    registry.SetCamera(4.712389f, D3DXVECTOR3(0.0f, 0.0f, 1.0f));
    CParticleSystem* system = Make("test_system");
    system->Prepare();
    ASSERT_EQ(system->GetVertexCount(), 4u);
    const auto& v = system->GetVertices();
    EXPECT_NEAR(v[0].position.x, 9.0f, 1e-4f);
    EXPECT_NEAR(v[0].position.y, -2.0f, 1e-4f);
    EXPECT_NEAR(v[2].position.x, 11.0f, 1e-4f);
    EXPECT_NEAR(v[2].position.y, 2.0f, 1e-4f);
    EXPECT_NEAR(v[2].position.z, 1.0f, 1e-4f);
    EXPECT_EQ(v[1].colour, 0x80FF0000u);
    EXPECT_FLOAT_EQ(v[1].u, 0.0f);
    EXPECT_FLOAT_EQ(v[1].v, 0.0f);
    EXPECT_NEAR(system->GetParticles()[0].angle, 0.0f, 1e-6f);
    EXPECT_EQ(system->GetParticles()[0].axis.y, 1.0f);
    // Looking along +x turns it by yaw + pi / 2.
    registry.SetCamera(0.0f, D3DXVECTOR3(1.0f, 0.0f, 0.0f));
    system->Prepare();
    EXPECT_NEAR(system->GetParticles()[0].angle, 1.5707964f, 1e-6f);
}

TEST_F(ParticleSystems, TheDataTreesSystemsAllLoadAndRunWithinTheirLimits) {
    const char* root = std::getenv("TK_SOURCE_DIR");
    const std::string xml = std::string(root != nullptr ? root : "../../../..") + "/data/files/xmlfiles/";
    velm::gfx::CParticleSysRegistry& registry = velm::gfx::ParticleSysRegistry::Instance();
    ::testing::internal::CaptureStderr();
    registry.Init(xml + "particle_sys_table.xml", xml + "particle_sys/");
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.find("Particle"), std::string::npos) << log;
    const char* const names[] = {"default_system", "explode3_system", "explode4_system",  "splash1_system",
                                 "splash_system2", "water_explosion", "water_explosion2", "steam_system_02",
                                 "white_water",    "orbit_x",         "orbit_y",          "orbit_z",
                                 "trail",          "waterfall1",      "geyser_normal",    "geyser_erupt"};
    EXPECT_EQ(registry.GetTemplateCount(), 16u);
    std::uint32_t id = 100;
    for (const char* name : names) {
        ASSERT_NE(registry.GetTemplate(name), nullptr) << name;
        CParticleSystem* system = Make(name, ++id);
        float most = 0.0f;
        for (int frame = 0; frame < 400 && registry.FindSystem(id) != nullptr; ++frame) {
            registry.Update(0.0, 1.0f / 60.0f);
            if (registry.FindSystem(id) != nullptr) {
                system->Prepare();
                most = std::max(most, system->GetCount());
                for (std::size_t i = 0; i < static_cast<std::size_t>(system->GetCount()); ++i) {
                    ASSERT_TRUE(std::isfinite(system->GetParticles()[i].position.y)) << name;
                }
            }
        }
        EXPECT_GT(most, 0.0f) << name;
        EXPECT_LE(most, static_cast<float>(registry.GetTemplate(name)->GetLimit())) << name;
    }
}

} // namespace

namespace {

// Particles that have faded to nothing change no pixel under the particles' blend: only the
// others' quads are handed to the renderer, in their order, while the quads themselves (and the
// counts the rest of the game reads) stay as they were.
TEST_F(ParticleSystems, QuadsFadedToNothingAreLeftOutOfTheDrawInOrder) {
    SParticleTemplate t;
    t.limit = "3";
    t.roles[5] = "fade_color_update";
    // White at alpha 2, one step of the fade a frame: a particle shows for its first frame only.
    t.functors =
        "<normal_color_init>\n<color_norm_init>50331647</color_norm_init>\n</normal_color_init>\n"
        "<normal_life_init>\n<life>1</life>\n</normal_life_init>\n"
        "<fade_color_update>\n<fade_rate>1</fade_rate>\n</fade_color_update>\n"
        "<normal_life_update>\n<death_rate>0</death_rate>\n</normal_life_update>\n";
    velm::gfx::CParticleSysRegistry& registry = Load({t});
    CParticleSystem* system = Make("test_system");
    struct SCase {
        int frame;
        std::vector<std::uint16_t> indices; // what is drawn
    };
    const SCase cases[] = {
        {1, {0, 1, 2, 3, 0, 2}},
        {2, {4, 5, 6, 7, 4, 6}},
        {3, {8, 9, 10, 11, 8, 10}},
        {4, {}}, // full: none is born, and every one has faded
    };
    int frame = 0;
    for (const SCase& c : cases) {
        while (frame < c.frame) {
            Frame(registry, system);
            ++frame;
        }
        const velm::gfx::SUnitRenderData& data = system->GetRenderData();
        ASSERT_NE(data.geometry, nullptr);
        EXPECT_EQ(data.faceCount, c.indices.size() / 3) << "frame " << c.frame;
        ASSERT_EQ(data.geometry->indexCount, c.indices.size()) << "frame " << c.frame;
        EXPECT_EQ(std::vector<std::uint16_t>(data.geometry->indices, data.geometry->indices + c.indices.size()),
                  c.indices)
            << "frame " << c.frame;
        const auto live = static_cast<std::uint32_t>(std::min(c.frame, 3));
        EXPECT_EQ(system->GetVertexCount(), live * 4) << "frame " << c.frame;
        EXPECT_EQ(system->GetFaceCount(), live * 2) << "frame " << c.frame;
    }
}

} // namespace
