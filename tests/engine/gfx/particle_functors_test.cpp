#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/gfx/functor_factory.h"
#include "engine/gfx/particle_functors.h"
#include "libs/common/matrix3.h"
#include "support/temp_dir.h"

namespace {

using velm::gfx::SParticle;

// A functor with its parameters loaded from the element text given, as a template loads it.
template <typename T>
std::unique_ptr<T> Loaded(const std::string& element) {
    tktest::CTempDir dir;
    const std::string file = dir.Write("f.xml", "<functor_data>\n" + element + "</functor_data>\n");
    common::CXmlReader reader;
    reader.Load(file);
    reader.Enter("functor_data");
    auto functor = std::make_unique<T>();
    functor->Load(reader);
    return functor;
}

std::uint32_t Alpha(const SParticle& p) { return p.colour >> 24; }

// What a range draw gives on a generator seeded as the functor's.
float Draw(common::CMersenneTwister& twin, float low, float high) {
    return low +
           static_cast<float>(twin.RandomInt(static_cast<std::uint32_t>(static_cast<int>((high - low) * 1000.0f)))) *
               0.001f;
}

TEST(ParticleFunctors, FactoryKnowsEveryNameAndFallsBackToTheBase) {
    velm::gfx::CFunctorFactory factory;
    velm::gfx::RegisterParticleFunctors(&factory);
    // The base under two names and the twenty-three functors of the family.
    EXPECT_EQ(factory.GetCount(), 25u);
    factory.RegisterFunctor("fade_color_update", nullptr);
    std::unique_ptr<velm::gfx::PartBaseFunctor> fade(factory.CreateFunctor("fade_color_update"));
    EXPECT_NE(dynamic_cast<velm::gfx::FadeColorUpdate*>(fade.get()), nullptr) << "the first registration stays";
    EXPECT_EQ(fade->GetName(), "fade_color_update");
    std::unique_ptr<velm::gfx::PartBaseFunctor> none(factory.CreateFunctor("null"));
    SParticle p;
    none->Apply(p, 0.0f);
    EXPECT_EQ(p.colour, 0x00FFFFFFu);
    ::testing::internal::CaptureStderr();
    std::unique_ptr<velm::gfx::PartBaseFunctor> unknown(factory.CreateFunctor("sparkle_update"));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("\"sparkle_update\" is not registered"), std::string::npos);
    const velm::gfx::PartBaseFunctor& fallback = *unknown;
    EXPECT_EQ(typeid(fallback), typeid(velm::gfx::PartBaseFunctor));
}

TEST(ParticleFunctors, ColourInitsAndFades) {
    SParticle p;
    Loaded<velm::gfx::NormalColorInit>(
        "<normal_color_init>\n<color_norm_init>-16776961</color_norm_init>\n"
        "</normal_color_init>\n")
        ->Apply(p, 0.0f);
    EXPECT_EQ(p.colour, 0xFF0000FFu);
    auto same = Loaded<velm::gfx::RandColorInit>(
        "<random_color_init>\n<red_low_range>10</red_low_range>\n<red_high_range>10</red_high_range>\n"
        "<green_low_range>20</green_low_range>\n<green_high_range>20</green_high_range>\n"
        "<blue_low_range>30</blue_low_range>\n<blue_high_range>30</blue_high_range>\n"
        "<alpha_low_range>40</alpha_low_range>\n<alpha_high_range>40</alpha_high_range>\n</random_color_init>\n");
    for (int i = 0; i < 5; ++i) {
        same->Apply(p, 0.0f);
        EXPECT_EQ(p.colour, 0x280A141Eu);
    }
    auto spread = Loaded<velm::gfx::RandColorInit>(
        "<random_color_init>\n<red_high_range>200</red_high_range>\n<alpha_low_range>100</alpha_low_range>\n"
        "<alpha_high_range>110</alpha_high_range>\n</random_color_init>\n");
    spread->Seed(7);
    common::CMersenneTwister twin;
    twin.Seed(7);
    spread->Apply(p, 0.0f);
    const std::uint32_t red = twin.RandomInt(200);
    twin.RandomInt(0);
    twin.RandomInt(0);
    const std::uint32_t alpha = 100 + twin.RandomInt(10);
    EXPECT_EQ(p.colour, alpha << 24 | red << 16);

    struct SFade {
        float rate;
        std::uint32_t alpha;
        std::uint32_t after;
    };
    for (const SFade& f : {SFade{2.9f, 200, 198}, SFade{0.5f, 1, 1}, SFade{1.0f, 1, 0}, SFade{-300.0f, 10, 255},
                           SFade{300.0f, 255, 0}}) {
        velm::gfx::FadeColorUpdate fade;
        fade.m_fadeRate = f.rate;
        p.colour = f.alpha << 24 | 0x123456;
        fade.Apply(p, 0.0f);
        EXPECT_EQ(Alpha(p), f.after) << "rate " << f.rate << " alpha " << f.alpha;
        EXPECT_EQ(p.colour & 0xFFFFFFu, 0x123456u);
    }
    auto exponential = Loaded<velm::gfx::ExponentialFadeColorUpdate>(
        "<exponential_color_update>\n<fade_rate>3</fade_rate>\n<exponent>2</exponent>\n<time_rate>0.5</time_rate>\n"
        "</exponential_color_update>\n");
    p.colour = 0xC8000000u;
    p.life = 0.9f;
    exponential->Apply(p, 0.0f);
    EXPECT_EQ(Alpha(p), 197u) << "plain rate before the time rate";
    p.life = 0.4f;
    exponential->Apply(p, 0.0f);
    EXPECT_EQ(Alpha(p), 188u) << "rate squared after it";
}

// An incremental functor on a clock the test sets.
template <typename T>
class CClocked : public T {
public:
    double m_now = 0.0;
    int m_restarts = 0;

protected:
    double ElapsedSeconds() override { return m_now; }
    void RestartClock() override {
        ++m_restarts;
        m_now = 0.0;
    }
};

TEST(ParticleFunctors, LifeInitsAndUpdates) {
    SParticle p;
    Loaded<velm::gfx::NormalLifeInit>("<normal_life_init>\n<life>2.5</life>\n</normal_life_init>\n")->Apply(p, 0.0f);
    EXPECT_FLOAT_EQ(p.life, 2.5f);
    auto random = Loaded<velm::gfx::RandomLifeInit>(
        "<random_life_init>\n<min_life>0.5</min_life>\n<max_life>1.5</max_life>\n</random_life_init>\n");
    random->Seed(99);
    common::CMersenneTwister twin;
    twin.Seed(99);
    for (int i = 0; i < 4; ++i) {
        random->Apply(p, 0.0f);
        EXPECT_FLOAT_EQ(p.life, Draw(twin, 0.5f, 1.5f));
    }
    velm::gfx::RandomLifeInit fixed;
    fixed.m_minLife = 1.0f;
    fixed.m_maxLife = 1.0f;
    fixed.Apply(p, 0.0f);
    EXPECT_FLOAT_EQ(p.life, 1.0f);
    fixed.m_minLife = 0.0f;
    fixed.m_maxLife = 0.0005f;
    fixed.Apply(p, 0.0f);
    EXPECT_FLOAT_EQ(p.life, 0.0f);
    // High below low: the negative span is a huge unsigned one.
    fixed.m_minLife = 1.0f;
    fixed.m_maxLife = 0.0f;
    fixed.Seed(3);
    float highest = 0.0f;
    for (int i = 0; i < 8; ++i) {
        fixed.Apply(p, 0.0f);
        highest = std::max(highest, p.life);
    }
    EXPECT_GT(highest, 1000.0f);

    velm::gfx::NormalLifeUpdate death;
    death.m_deathRate = 0.25f;
    p.life = 1.0f;
    death.Apply(p, 0.0f);
    EXPECT_FLOAT_EQ(p.life, 0.75f);

    CClocked<velm::gfx::IncrementalLifeUpdate> steps;
    for (int i = 0; i < 5; ++i) {
        steps.m_deathRates[i] = static_cast<float>(i + 1);
        steps.m_timeSteps[i] = static_cast<float>(i + 1);
    }
    struct SStep {
        double t;
        float rate;
    };
    for (const SStep& s : {SStep{0.5, 1}, SStep{1.0, 2}, SStep{2.5, 3}, SStep{3.0, 4}, SStep{4.9, 5}, SStep{5.0, 1}}) {
        steps.m_now = s.t;
        p.life = 10.0f;
        steps.Apply(p, 0.0f);
        EXPECT_FLOAT_EQ(p.life, 10.0f - s.rate) << "at " << s.t;
    }
    EXPECT_EQ(steps.m_restarts, 1);
}

TEST(ParticleFunctors, SizeInitsAndUpdates) {
    SParticle p;
    Loaded<velm::gfx::NormalSizeInit>("<normal_size_init>\n<x>2</x>\n<y>3</y>\n</normal_size_init>\n")->Apply(p, 0);
    EXPECT_FLOAT_EQ(p.scale.x, 2.0f);
    EXPECT_FLOAT_EQ(p.scale.y, 3.0f);
    EXPECT_FLOAT_EQ(p.scale.z, 0.0f) << "an absent value reads as 0";
    auto random = Loaded<velm::gfx::RandomSizeInit>(
        "<random_size_init>\n<xMin>1</xMin>\n<yMin>2</yMin>\n"
        "<xMax>1.5</xMax>\n<yMax>4</yMax>\n</random_size_init>\n");
    random->Seed(5);
    common::CMersenneTwister twin;
    twin.Seed(5);
    random->Apply(p, 0.0f);
    EXPECT_FLOAT_EQ(p.scale.x, Draw(twin, 1.0f, 1.5f));
    EXPECT_FLOAT_EQ(p.scale.y, Draw(twin, 2.0f, 4.0f));
    EXPECT_FLOAT_EQ(p.scale.z, Draw(twin, 0.0f, 0.0f));

    auto shrink = Loaded<velm::gfx::NormalSizeUpdate>(
        "<normal_size_update>\n<xRate>-0.1</xRate>\n<yRate>0.5</yRate>\n<xLimit>0.5</xLimit>\n<yLimit>2</yLimit>\n"
        "</normal_size_update>\n");
    p.scale = D3DXVECTOR3(1.0f, 1.0f, 1.0f);
    for (int i = 0; i < 10; ++i) {
        shrink->Apply(p, 0.0f);
    }
    EXPECT_LE(p.scale.x, 0.5f);
    EXPECT_GT(p.scale.x, 0.39f) << "stops at the first value not above the limit";
    EXPECT_FLOAT_EQ(p.scale.y, 2.0f);

    auto power = Loaded<velm::gfx::ExponentialSizeUpdate>(
        "<exponential_size_update>\n<xExponent>2</xExponent>\n<yExponent>0.5</yExponent>\n<xLimit>10</xLimit>\n"
        "<yLimit>1.5</yLimit>\n</exponential_size_update>\n");
    p.scale = D3DXVECTOR3(2.0f, 16.0f, 1.0f);
    for (int i = 0; i < 3; ++i) {
        power->Apply(p, 0.0f);
    }
    EXPECT_FLOAT_EQ(p.scale.x, 16.0f) << "2, 4, 16, then past the limit";
    EXPECT_FLOAT_EQ(p.scale.y, std::sqrt(2.0f));

    auto jitter = Loaded<velm::gfx::RandomSizeUpdate>(
        "<random_size_update>\n<xMin>0</xMin>\n<yMin>0</yMin>\n"
        "<xMax>3</xMax>\n<yMax>3</yMax>\n</random_size_update>\n");
    jitter->Seed(11);
    twin.Seed(11);
    p.scale = D3DXVECTOR3(1.0f, 2.0f, 5.0f);
    for (int i = 0; i < 20; ++i) {
        const float sign = twin.RandomInt(100) % 2 == 0 ? 1.0f : -1.0f;
        const float d = sign * static_cast<float>(twin.RandomInt(2));
        const float x = std::min(std::max(p.scale.x + d, 0.0f), 3.0f);
        const float y = std::min(std::max(p.scale.y + d, 0.0f), 3.0f);
        jitter->Apply(p, 0.0f);
        EXPECT_FLOAT_EQ(p.scale.x, x);
        EXPECT_FLOAT_EQ(p.scale.y, y);
        EXPECT_FLOAT_EQ(p.scale.z, 5.0f);
    }
}

TEST(ParticleFunctors, VelocityInitsAndUpdates) {
    SParticle p;
    Loaded<velm::gfx::NormalVelocityInit>(
        "<normal_velocity_init>\n<x>1</x>\n<y>-2</y>\n<z>3</z>\n"
        "</normal_velocity_init>\n")
        ->Apply(p, 0.0f);
    EXPECT_FLOAT_EQ(p.velocity.y, -2.0f);
    auto random = Loaded<velm::gfx::RandomVelocityInit>(
        "<random_velocity_init>\n<xMin>-1</xMin>\n<xMax>1</xMax>\n"
        "<zMin>2</zMin>\n<zMax>2.2</zMax>\n</random_velocity_init>\n");
    random->Seed(21);
    common::CMersenneTwister twin;
    twin.Seed(21);
    random->Apply(p, 0.0f);
    EXPECT_FLOAT_EQ(p.velocity.x, Draw(twin, -1.0f, 1.0f));
    EXPECT_FLOAT_EQ(p.velocity.y, Draw(twin, 0.0f, 0.0f));
    EXPECT_FLOAT_EQ(p.velocity.z, Draw(twin, 2.0f, 2.2f));

    struct SCosine {
        const char* flags;
        int axis;
    };
    for (const SCosine& c : {SCosine{"<move_on_X>1</move_on_X>\n", 0}, SCosine{"<move_on_Y>1</move_on_Y>\n", 1},
                             SCosine{"<move_on_Z>1</move_on_Z>\n", 2}, SCosine{"", 2}}) {
        auto cosine = Loaded<velm::gfx::CosineVelocityUpdate>(
            "<cosine_velocity_update>\n<interp_angle>0.5</interp_angle>\n<amplitude>2</amplitude>\n" +
            std::string(c.flags) + "</cosine_velocity_update>\n");
        p.velocity = D3DXVECTOR3(9.0f, 9.0f, 9.0f);
        p.angle = 1.0f;
        cosine->Apply(p, 0.0f);
        const float expected[3] = {c.axis == 0 ? 2.0f * std::cos(1.5f) : 9.0f,
                                   c.axis == 1 ? 2.0f * std::cos(1.5f) : 9.0f,
                                   c.axis == 2 ? 2.0f * std::cos(1.5f) : 9.0f};
        EXPECT_FLOAT_EQ(p.velocity.x, expected[0]) << c.flags;
        EXPECT_FLOAT_EQ(p.velocity.y, expected[1]) << c.flags;
        EXPECT_FLOAT_EQ(p.velocity.z, expected[2]) << c.flags;
        EXPECT_FLOAT_EQ(p.angle, 1.5f);
    }

    auto spiral = Loaded<velm::gfx::SpiralVelocityUpdate>(
        "<spiral_velocity_update>\n<yaw>0</yaw>\n<pitch>0</pitch>\n<roll>90</roll>\n</spiral_velocity_update>\n");
    p.velocity = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
    spiral->Apply(p, 0.0f);
    const common::CVector3 turned = common::MatrixFromEuler(0.0f, 0.0f, 1.5707964f) * common::CVector3(1, 0, 0);
    EXPECT_NEAR(p.velocity.x, turned.x, 1e-6f);
    EXPECT_NEAR(p.velocity.y, turned.y, 1e-6f);
    EXPECT_NEAR(std::fabs(p.velocity.y), 1.0f, 1e-6f);

    auto gravity = Loaded<velm::gfx::GravityVelocityUpdate>(
        "<gravity_velocity_update>\n<y>-0.5</y>\n"
        "</gravity_velocity_update>\n");
    p.velocity = D3DXVECTOR3(1.0f, 1.0f, 1.0f);
    gravity->Apply(p, 0.0f);
    gravity->Apply(p, 0.0f);
    EXPECT_FLOAT_EQ(p.velocity.y, 0.0f);
    EXPECT_FLOAT_EQ(p.velocity.x, 1.0f);

    auto power = Loaded<velm::gfx::ExponentialVelocityUpdate>(
        "<exponential_velocity_update>\n<xExponent>2</xExponent>\n<yExponent>0.5</yExponent>\n<xLimit>-5</xLimit>\n"
        "<yLimit>2</yLimit>\n</exponential_velocity_update>\n");
    p.velocity = D3DXVECTOR3(2.0f, 16.0f, 3.0f);
    for (int i = 0; i < 3; ++i) {
        power->Apply(p, 0.0f);
    }
    EXPECT_FLOAT_EQ(p.velocity.x, 16.0f) << "grows while |v| < |limit|";
    EXPECT_FLOAT_EQ(p.velocity.y, 2.0f) << "16, 4, 2, then held";
    EXPECT_FLOAT_EQ(p.velocity.z, 1.0f) << "no exponent: 3 above the limit 0 collapses to 3^0";

    CClocked<velm::gfx::IncrementalVelocityUpdate> steps;
    steps.m_rates[0] = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
    steps.m_rates[1] = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    steps.m_rates[2] = D3DXVECTOR3(0.0f, 0.0f, 1.0f);
    steps.m_timeSteps[0] = 1.0f;
    steps.m_timeSteps[1] = 2.0f;
    steps.m_timeSteps[2] = 3.0f;
    for (const double t : {0.5, 1.5, 2.5, 3.5}) {
        steps.m_now = t;
        steps.Apply(p, 0.0f);
    }
    EXPECT_EQ(steps.m_restarts, 1);
}

TEST(ParticleFunctors, PositionInitsAndUpdate) {
    SParticle p;
    Loaded<velm::gfx::NormalPositionInit>(
        "<normal_position_init>\n<xPos>1</xPos>\n<yPos>2</yPos>\n<zPos>3</zPos>\n<radius>4</radius>\n"
        "<angle>0.5</angle>\n<yAxis>1</yAxis>\n</normal_position_init>\n")
        ->Apply(p, 0.0f);
    EXPECT_FLOAT_EQ(p.position.z, 3.0f);
    EXPECT_FLOAT_EQ(p.radius, 4.0f);
    EXPECT_FLOAT_EQ(p.angle, 0.5f);
    EXPECT_FLOAT_EQ(p.axis.y, 1.0f);
    // Read from "circle_pos_init"; always on y = 0, at the drawn angle of the formula.
    auto circle = Loaded<velm::gfx::CirclePositionInit>(
        "<circle_pos_init>\n<xOrigin>50</xOrigin>\n<radius>2</radius>\n<yaw>30</yaw>\n<pitch>10</pitch>\n"
        "</circle_pos_init>\n");
    EXPECT_FLOAT_EQ(circle->m_origin.x, 50.0f);
    circle->Seed(13);
    common::CMersenneTwister twin;
    twin.Seed(13);
    for (int i = 0; i < 6; ++i) {
        circle->Apply(p, 0.0f);
        const float a = static_cast<float>(twin.RandomInt(62831)) * 0.0001f;
        const common::CVector3 expected =
            common::MatrixFromEuler(circle->m_yaw, circle->m_pitch, 0.0f) *
            common::CVector3(2 - 2 * std::cos(a) + 2 * std::sin(a), 0.0f, 2 + 2 * std::sin(a) + 2 * std::cos(a));
        EXPECT_FLOAT_EQ(p.position.y, 0.0f);
        EXPECT_NEAR(p.position.x, expected.x, 1e-5f);
        EXPECT_NEAR(p.position.z, expected.z, 1e-5f);
        EXPECT_FLOAT_EQ(p.radius, 2.0f);
    }
    velm::gfx::NormalPositionUpdate move;
    p.position = D3DXVECTOR3(1.0f, 1.0f, 1.0f);
    p.velocity = D3DXVECTOR3(0.5f, -1.0f, 2.0f);
    move.Apply(p, 0.0f);
    EXPECT_FLOAT_EQ(p.position.x, 1.5f);
    EXPECT_FLOAT_EQ(p.position.y, 0.0f);
    EXPECT_FLOAT_EQ(p.position.z, 3.0f);
}

TEST(ParticleFunctors, SavedParametersLoadBackTheSame) {
    auto circle = Loaded<velm::gfx::CirclePositionInit>(
        "<circle_pos_init>\n<xOrigin>1.5</xOrigin>\n<radius>2</radius>\n<yaw>45</yaw>\n</circle_pos_init>\n");
    std::ostringstream out;
    circle->Save(out);
    EXPECT_EQ(out.str().substr(0, 19), "\t\t<circle_pos_init>");
    EXPECT_NE(out.str().find("\t\t\t<radius>2</radius>\n"), std::string::npos) << out.str();
    auto cosine = Loaded<velm::gfx::CosineVelocityUpdate>(
        "<cosine_velocity_update>\n<amplitude>0.25</amplitude>\n<move_on_X>1</move_on_X>\n"
        "</cosine_velocity_update>\n");
    std::ostringstream cosineText;
    cosine->Save(cosineText);
    auto again = Loaded<velm::gfx::CosineVelocityUpdate>(cosineText.str());
    EXPECT_FLOAT_EQ(again->m_amplitude, 0.25f);
    EXPECT_TRUE(again->m_moveOnX);
    EXPECT_FALSE(again->m_moveOnY);
    auto steps = Loaded<velm::gfx::IncrementalVelocityUpdate>(
        "<incremental_velocity_update>\n<vel_rate_2_y>3</vel_rate_2_y>\n<time_step_3>4</time_step_3>\n"
        "</incremental_velocity_update>\n");
    std::ostringstream stepsText;
    steps->Save(stepsText);
    auto stepsAgain = Loaded<velm::gfx::IncrementalVelocityUpdate>(stepsText.str());
    EXPECT_FLOAT_EQ(stepsAgain->m_rates[1].y, 3.0f);
    EXPECT_FLOAT_EQ(stepsAgain->m_timeSteps[2], 4.0f);
}

// Every functor writes its element as it reads it: each parameter in file order, floats in the
// stream's format, bytes, the colour and flags as integers; angles read in degrees are written in
// radians, as held.
TEST(ParticleFunctors, EachFunctorSavesItsElementInFileOrder) {
    using Params = std::vector<std::pair<std::string, std::string>>;
    auto element = [](const std::string& name, const Params& params) {
        std::string text = "\t\t<" + name + ">\n";
        for (const auto& [param, value] : params) {
            text += "\t\t\t<" + param + ">" + value + "</" + param + ">\n";
        }
        return text + "\t\t</" + name + ">\n";
    };
    auto axes = [](const char* first, const char* second) {
        // Each first value below its second: a range's ends in order.
        return Params{{std::string("x") + first, "1.5"},    {std::string("y") + first, "-2"},
                      {std::string("z") + first, "-6"},     {std::string("x") + second, "4"},
                      {std::string("y") + second, "0.125"}, {std::string("z") + second, "3.25"}};
    };
    const Params xyz{{"x", "0.5"}, {"y", "-1.5"}, {"z", "2"}};
    struct SCase {
        const char* registered;
        std::string written;
    };
    const std::vector<SCase> cases = {
        {"normal_color_init", element("normal_color_init", {{"color_norm_init", "4278255360"}})},
        {"random_color_init", element("random_color_init", {{"red_low_range", "1"},
                                                            {"red_high_range", "200"},
                                                            {"green_low_range", "3"},
                                                            {"green_high_range", "40"},
                                                            {"blue_low_range", "5"},
                                                            {"blue_high_range", "60"},
                                                            {"alpha_low_range", "7"},
                                                            {"alpha_high_range", "255"}})},
        {"fade_color_update", element("fade_color_update", {{"fade_rate", "2.9"}})},
        {"exponential_color_update",
         element("exponential_color_update", {{"fade_rate", "1.5"}, {"exponent", "2"}, {"time_rate", "0.75"}})},
        {"normal_life_init", element("normal_life_init", {{"life", "12"}})},
        {"random_life_init", element("random_life_init", {{"min_life", "1"}, {"max_life", "9.5"}})},
        {"normal_life_update", element("normal_life_update", {{"death_rate", "0.1"}})},
        {"incremental_life_update", element("incremental_life_update", {{"death_rate_1", "0.1"},
                                                                        {"death_rate_2", "0.2"},
                                                                        {"death_rate_3", "0.3"},
                                                                        {"death_rate_4", "0.4"},
                                                                        {"death_rate_5", "0.5"},
                                                                        {"time_step_1", "1"},
                                                                        {"time_step_2", "2"},
                                                                        {"time_step_3", "3"},
                                                                        {"time_step_4", "4"},
                                                                        {"time_step_5", "5"}})},
        {"normal_size_init", element("normal_size_init", xyz)},
        {"random_size_init", element("random_size_init", axes("Min", "Max"))},
        {"normal_size_update", element("normal_size_update", axes("Rate", "Limit"))},
        {"random_size_update", element("random_size_update", axes("Min", "Max"))},
        {"exponential_size_update", element("exponential_size_update", axes("Exponent", "Limit"))},
        {"normal_velocity_init", element("normal_velocity_init", xyz)},
        {"random_velocity_init", element("random_velocity_init", axes("Min", "Max"))},
        {"cosine_velocity_update", element("cosine_velocity_update", {{"interp_angle", "0.25"},
                                                                      {"amplitude", "3"},
                                                                      {"move_on_X", "1"},
                                                                      {"move_on_Y", "0"},
                                                                      {"move_on_Z", "1"}})},
        {"gravity_velocity_update", element("gravity_velocity_update", xyz)},
        {"exponential_velocity_update", element("exponential_velocity_update", axes("Exponent", "Limit"))},
        {"incremental_velocity_update", element("incremental_velocity_update", {{"vel_rate_1_x", "1"},
                                                                                {"vel_rate_1_y", "2"},
                                                                                {"vel_rate_1_z", "3"},
                                                                                {"vel_rate_2_x", "4"},
                                                                                {"vel_rate_2_y", "5"},
                                                                                {"vel_rate_2_z", "6"},
                                                                                {"vel_rate_3_x", "7"},
                                                                                {"vel_rate_3_y", "8"},
                                                                                {"vel_rate_3_z", "9"},
                                                                                {"time_step_1", "0.5"},
                                                                                {"time_step_2", "1.5"},
                                                                                {"time_step_3", "2.5"}})},
        {"normal_position_init", element("normal_position_init", {{"xPos", "1"},
                                                                  {"yPos", "2"},
                                                                  {"zPos", "3"},
                                                                  {"radius", "4"},
                                                                  {"angle", "0.5"},
                                                                  {"xAxis", "0"},
                                                                  {"yAxis", "1"},
                                                                  {"zAxis", "0"}})},
        {"normal_position_update", element("normal_position_update", {})},
    };
    velm::gfx::CFunctorFactory factory;
    velm::gfx::RegisterParticleFunctors(&factory);
    auto saved = [&](const char* registered, const std::string& text) {
        tktest::CTempDir dir;
        common::CXmlReader reader;
        reader.Load(dir.Write("f.xml", "<functor_data>\n" + text + "</functor_data>\n"));
        reader.Enter("functor_data");
        std::unique_ptr<velm::gfx::PartBaseFunctor> functor(factory.CreateFunctor(registered));
        functor->Load(reader);
        std::ostringstream out;
        functor->Save(out);
        return out.str();
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(saved(c.registered, c.written), c.written) << c.registered;
    }
    // 180 degrees read, pi written.
    EXPECT_EQ(saved("spiral_velocity_update",
                    element("spiral_velocity_update", {{"yaw", "180"}, {"pitch", "0"}, {"roll", "90"}})),
              element("spiral_velocity_update", {{"yaw", "3.14159"}, {"pitch", "0"}, {"roll", "1.5708"}}));
    EXPECT_EQ(saved("circle_position_init", element("circle_pos_init", {{"xOrigin", "1"},
                                                                        {"yOrigin", "2"},
                                                                        {"zOrigin", "3"},
                                                                        {"radius", "4"},
                                                                        {"yaw", "180"},
                                                                        {"pitch", "0"},
                                                                        {"roll", "0"}})),
              element("circle_pos_init", {{"xOrigin", "1"},
                                          {"yOrigin", "2"},
                                          {"zOrigin", "3"},
                                          {"radius", "4"},
                                          {"yaw", "3.14159"},
                                          {"pitch", "0"},
                                          {"roll", "0"}}));
    // The base reads and writes nothing.
    EXPECT_EQ(saved("null", element("normal_life_init", {{"life", "3"}})), "");
}

} // namespace
