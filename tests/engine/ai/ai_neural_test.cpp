#include "engine/ai/ai_neural.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/ai/ai_random.h"
#include "engine/ai/neural_net.h"

namespace {

using common::CVector3;
using velm::ai::AINeural;
using velm::ai::CNeuralNet;
using velm::ai::CWaypointData;
using velm::ai::SDriveInput;
using velm::ai::SRacerInfo;

// A one-input, two-output net without hidden layer whose outputs are sigmoid(a*x - b) and
// sigmoid(c*x - d).
std::unique_ptr<CNeuralNet> Net(double a, double b, double c, double d, int outputs = 2) {
    velm::ai::SNetDesc desc;
    desc.m_name = "test";
    desc.m_inputs = 1;
    desc.m_outputs = outputs;
    desc.m_activationResponse = 1.0;
    auto net = std::make_unique<CNeuralNet>(desc);
    net->CreateNet();
    std::vector<double> weights = {a, b, c, d};
    weights.resize(static_cast<std::size_t>(2 * outputs));
    EXPECT_TRUE(net->PutWeights(weights));
    return net;
}

// Bias weights giving outputs o0 and o1 whatever the input.
std::unique_ptr<CNeuralNet> Constant(double o0, double o1) {
    auto logit = [](double o) { return -std::log(1.0 / o - 1.0); };
    return Net(0.0, -logit(o0), 0.0, -logit(o1));
}

SRacerInfo Racer(const CVector3& heading) {
    SRacerInfo info;
    info.m_heading = heading;
    return info;
}

std::list<SRacerInfo> Target(const CVector3& at) {
    SRacerInfo target;
    target.m_position = at;
    return {target};
}

TEST(NeuralDriver, AngleInputAroundTheRacer) {
    const CVector3 heading(0, 0, -1);
    struct SCase {
        CVector3 toTarget;
        float expected;
    };
    const float s = std::sqrt(0.5f);
    const SCase cases[] = {
        // The side vector of a racer heading to -z is +x: a target there reads 0.
        {CVector3(0, 0, -1), 0.5f},
        {CVector3(1, 0, 0), 0.0f},
        {CVector3(-1, 0, 0), 1.0f},
        {CVector3(s, 0, -s), 0.25f},
        {CVector3(-s, 0, -s), 0.75f},
        // Behind reads like beside: the sine cannot tell.
        {CVector3(s, 0, s), 0.25f},
    };
    for (const SCase& c : cases) {
        EXPECT_NEAR(AINeural::AngleInput(heading, c.toTarget), c.expected, 1e-5f);
    }
    // A cross product longer than 1 (an unnormalised heading) is clamped, not NaN.
    const float clamped = AINeural::AngleInput(CVector3(0, 0, -2), CVector3(1, 0, 0));
    EXPECT_FALSE(std::isnan(clamped));
    EXPECT_NEAR(clamped, 0.0f, 1e-6f);
}

TEST(NeuralDriver, OutputGapDecidesTurnAndForward) {
    struct SCase {
        double o0;
        double o1;
        bool forward;
        bool left;
        bool right;
    };
    const SCase cases[] = {
        {0.5, 0.5, true, false, false}, {0.7, 0.5, true, false, false}, {0.8, 0.5, true, true, false},
        {0.5, 0.8, true, false, true},  {0.9, 0.3, false, true, false}, {0.2, 0.8, false, false, true},
    };
    for (const SCase& c : cases) {
        auto net = Constant(c.o0, c.o1);
        AINeural driver;
        driver.SetNet(net.get());
        SDriveInput out;
        driver.Update(out, Racer(CVector3(0, 0, -1)), Target(CVector3(0, 0, -5)), 0.0f);
        EXPECT_EQ(out.m_forward, c.forward) << c.o0 << " " << c.o1;
        EXPECT_EQ(out.m_left, c.left) << c.o0 << " " << c.o1;
        EXPECT_EQ(out.m_right, c.right) << c.o0 << " " << c.o1;
    }
}

TEST(NeuralDriver, WithoutAUsableNetItDrivesForwardOnly) {
    auto single = Net(1.0, 0.0, 0.0, 0.0, 1);
    CNeuralNet* nets[] = {nullptr, single.get()};
    for (CNeuralNet* net : nets) {
        AINeural driver;
        driver.SetNet(net);
        SDriveInput out;
        driver.Update(out, Racer(CVector3(0, 0, -1)), Target(CVector3(5, 0, 0)), 0.0f);
        EXPECT_TRUE(out.m_forward);
        EXPECT_FALSE(out.m_left || out.m_right);
    }
    AINeural empty;
    SDriveInput out;
    empty.Update(out, Racer(CVector3(0, 0, -1)), {}, 0.0f);
    EXPECT_FALSE(out.Any());
    empty.Update(out, Racer(CVector3()), Target(CVector3(1, 0, 0)), 0.0f);
    EXPECT_TRUE(out.m_forward);
}

TEST(NeuralDriver, ChangedDecisionsAreDampedWhileTimePasses) {
    auto leftNet = Constant(0.9, 0.1);
    AINeural driver;
    driver.SetNet(leftNet.get());
    SDriveInput out;
    velm::ai::SeedAIRand(7);
    // Without time passing every decision applies at once.
    driver.Update(out, Racer(CVector3(0, 0, -1)), Target(CVector3(0, 0, -5)), 0.0f);
    EXPECT_TRUE(out.m_left);
    // With time, the change to "left" from the all-clear last applied input is certain by 0.1 s.
    bool applied = false;
    for (int frame = 0; frame < 10 && !applied; ++frame) {
        driver.Update(out, Racer(CVector3(0, 0, -1)), Target(CVector3(0, 0, -5)), 0.01f + 1e-4f);
        applied = out.m_left;
    }
    EXPECT_TRUE(applied);
}

TEST(NeuralDriver, NextTargetWalksTheRoute) {
    AINeural driver;
    driver.InsertWaypoint(CWaypointData(CVector3(0, 0, -10)), -1);
    driver.InsertWaypoint(CWaypointData(CVector3(0, 0, -20)), -1);
    driver.InsertWaypoint(CWaypointData(CVector3(0, 0, -30)), -1);
    velm::ai::SeedAIRand(1);
    const CWaypointData first = driver.NextTarget(CVector3(0, 0, 0));
    EXPECT_LE((first.m_position - CVector3(0, 0, -10)).Length(), std::sqrt(3.0f));
    EXPECT_EQ(driver.GetRoute().size(), 3u);
    // Passed sideways: farther than 1.7 but no longer ahead.
    const CWaypointData second = driver.NextTarget(first.m_position + CVector3(5, 0, -0.5f));
    EXPECT_EQ(driver.GetRoute().size(), 2u);
    EXPECT_LE((second.m_position - CVector3(0, 0, -20)).Length(), 0.7f * std::sqrt(3.0f));
    // Near the last waypoint (no direction): reached; then the racer steers at itself.
    driver.NextTarget(CVector3(0, 0, -20));
    const CWaypointData last = driver.NextTarget(CVector3(0, 0, -29));
    EXPECT_TRUE(driver.GetRoute().empty());
    EXPECT_EQ(last.m_position, CVector3(0, 0, -29));
    // The same seed gives the same offsets.
    AINeural again;
    again.InsertWaypoint(CWaypointData(CVector3(0, 0, -10)), -1);
    again.InsertWaypoint(CWaypointData(CVector3(0, 0, -20)), -1);
    velm::ai::SeedAIRand(1);
    EXPECT_EQ(again.NextTarget(CVector3(0, 0, 0)).m_position, first.m_position);
}

} // namespace
