#include "engine/ai/ai_manager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "engine/ai/ai_neural.h"
#include "engine/ai/neural_net.h"
#include "libs/common/script_manager.h"

namespace {

using common::CVector3;
using velm::ai::CAIManager;
using velm::ai::CWaypointPath;
using velm::ai::WaypointList;

// Waypoints at z = 0, -1, -2, ... (a straight river flowing to -z).
WaypointList Straight(int n, float step = 1.0f) {
    WaypointList wps;
    for (int i = 0; i < n; ++i) {
        wps.emplace_back(CVector3(0.0f, 0.0f, -step * static_cast<float>(i)));
    }
    return wps;
}

CWaypointPath Path(const std::string& name, const WaypointList& wps) {
    CWaypointPath path;
    path.m_name = name;
    path.m_waypoints = wps;
    return path;
}

TEST(FindNearestWaypoint, FinePassCoarsePassTiesAndEmptyPaths) {
    struct SCase {
        const char* what;
        WaypointList wps;
        CVector3 p;
        int expected;
    };
    WaypointList tie;
    tie.emplace_back(CVector3(-1, 0, 0));
    tie.emplace_back(CVector3(1, 0, 0));
    tie.emplace_back(CVector3(5, 0, 0));
    const SCase cases[] = {
        {"empty path", {}, CVector3(), 0},
        {"nearest is the first", Straight(5), CVector3(0, 0, 0.4f), 0},
        {"short path, fine pass only", Straight(19), CVector3(0.3f, 0, -12.2f), 12},
        {"long path, coarse then fine", Straight(100), CVector3(0, 0, -57.4f), 57},
        {"long path, past the end", Straight(100), CVector3(0, 0, -300.0f), 99},
        {"equal distances: the later of the tie", tie, CVector3(0, 0, 0), 1},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(velm::ai::FindNearestWaypoint(c.wps, c.p), c.expected) << c.what;
    }
}

TEST(AIManagerPaths, LengthAndProgressAlongAPath) {
    CAIManager manager;
    const WaypointList wps = Straight(11, 2.0f);
    EXPECT_FLOAT_EQ(manager.GetPathLength(wps, 0), 0.0f);
    EXPECT_FLOAT_EQ(manager.GetPathLength(wps, 3), 6.0f);
    EXPECT_FLOAT_EQ(manager.GetPathLength(wps, CAIManager::WHOLE_PATH), manager.GetPathLength(wps, 10));
    EXPECT_FLOAT_EQ(manager.GetPathLength(wps, 500), 20.0f);
    EXPECT_DOUBLE_EQ(manager.GetPathProgress(wps, CVector3(0, 0, 0)), 0.0);
    EXPECT_DOUBLE_EQ(manager.GetPathProgress(wps, CVector3(0, 0, -10.2f)), 0.5);
    EXPECT_DOUBLE_EQ(manager.GetPathProgress(wps, CVector3(0, 0, -20.0f)), 1.0);
}

TEST(AIManagerPaths, ProgressOnPathsWithoutLengthIsZeroNotNaN) {
    CAIManager manager;
    const WaypointList one = Straight(1);
    WaypointList same;
    same.emplace_back(CVector3(1, 2, 3));
    same.emplace_back(CVector3(1, 2, 3));
    for (const WaypointList* wps : std::vector<const WaypointList*>{&one, &same}) {
        const double progress = manager.GetPathProgress(*wps, CVector3(4, 0, 0));
        EXPECT_FALSE(std::isnan(progress));
        EXPECT_EQ(progress, 0.0);
    }
    EXPECT_EQ(manager.GetPathProgress(WaypointList(), CVector3()), 0.0);
}

TEST(AIManagerPaths, FindPathAddPathAndTheLengthCacheFollowChanges) {
    CAIManager manager;
    EXPECT_EQ(manager.FindPath("any"), nullptr);
    manager.AddPath(Path("a", Straight(3)));
    manager.AddPath(Path("b", Straight(5)));
    EXPECT_EQ(manager.GetPathCount(), 2u);
    EXPECT_EQ(manager.FindPath("b")->m_name, "b");
    EXPECT_EQ(manager.FindPath("missing")->m_name, "a");
    EXPECT_EQ(manager.FindPath("b")->m_pointCount, 5u);

    const WaypointList& a = manager.FindPath("a")->m_waypoints;
    EXPECT_FLOAT_EQ(manager.GetPathLength(a, CAIManager::WHOLE_PATH), 2.0f);
    // Adding paths must not leave the cached length of another storage behind.
    for (int i = 0; i < 20; ++i) {
        manager.AddPath(Path("more" + std::to_string(i), Straight(2 + i)));
    }
    EXPECT_FLOAT_EQ(manager.GetPathLength(manager.FindPath("more10")->m_waypoints, CAIManager::WHOLE_PATH), 11.0f);
    // Replacing a path's waypoints drops its cached length.
    manager.AddPath(Path("a", Straight(9)));
    EXPECT_EQ(manager.GetPathCount(), 22u);
    EXPECT_FLOAT_EQ(manager.GetPathLength(manager.FindPath("a")->m_waypoints, CAIManager::WHOLE_PATH), 8.0f);
    EXPECT_EQ(manager.FindPath("a")->m_pointCount, 9u);
}

TEST(AIManagerPaths, RankProgressFollowsTheScriptNamedPath) {
    common::CScriptManager* host = common::CScriptManager::GetInstance();
    {
        // No path at all: progress 0, and nothing to dereference.
        CAIManager manager;
        ASSERT_TRUE(host->RunString("RANK_PATH = 'rank' RANK_PATH_DENSITY = 2"));
        EXPECT_EQ(manager.GetRankProgress(CVector3(0, 0, -3)), 0.0);
    }
    CAIManager manager;
    manager.AddPath(Path("other", Straight(3)));
    manager.AddPath(Path("rank", Straight(6, 4.0f)));
    EXPECT_DOUBLE_EQ(manager.GetRankProgress(CVector3(0, 0, 0)), 0.0);
    EXPECT_EQ(manager.GetRankWaypoints().size(), (6u - 1u) * 3u + 1u);
    EXPECT_NEAR(manager.GetRankProgress(CVector3(0, 0, -10)), 0.5, 0.05);
    EXPECT_DOUBLE_EQ(manager.GetRankProgress(CVector3(0, 0, -20)), 1.0);
}

TEST(AIManagerPaths, AHostileRankDensityIsRefusedWithALineAndTheSplineStaysBounded) {
    common::CScriptManager* host = common::CScriptManager::GetInstance();
    for (const char* density : {"1e9", "math.huge", "-1", "0/0"}) {
        CAIManager manager;
        manager.AddPath(Path("rank", Straight(6, 4.0f)));
        ASSERT_TRUE(host->RunString((std::string("RANK_PATH = 'rank' RANK_PATH_DENSITY = ") + density).c_str()));
        testing::internal::CaptureStderr();
        EXPECT_DOUBLE_EQ(manager.GetRankProgress(CVector3(0, 0, -20)), 1.0) << density;
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(manager.GetRankWaypoints().size(), 6u) << "density 0 instead: " << density;
        EXPECT_NE(errors.find("Scripts/StartGame.LUA: script global RANK_PATH_DENSITY"), std::string::npos) << errors;
        EXPECT_NE(errors.find("using 0"), std::string::npos) << errors;
    }
    host->RunString("RANK_PATH = nil RANK_PATH_DENSITY = nil");

    const velm::ai::CCatmullRomSpline spline;
    const std::vector<CVector3> four = {CVector3(0, 0, 0), CVector3(1, 0, -2), CVector3(3, 0, -4), CVector3(4, 1, -7)};
    const std::vector<CVector3> densest = spline.Resample(four, std::numeric_limits<int>::max());
    EXPECT_EQ(densest.size(), 3u * (velm::ai::CCatmullRomSpline::kDensest + 1u) + 1u);
    EXPECT_EQ(densest.back(), four[3]);
    EXPECT_EQ(spline.Resample(four, -1), std::vector<CVector3>{four[3]}) << "no 0/0 point";
}

TEST(AIManagerNets, NetsByNameAndNeuralDrivers) {
    CAIManager manager;
    velm::ai::SNetDesc desc;
    desc.m_name = "Driving";
    desc.m_inputs = 1;
    desc.m_outputs = 2;
    auto net = std::make_unique<velm::ai::CNeuralNet>(desc);
    net->CreateNet();
    velm::ai::CNeuralNet* held = net.get();
    EXPECT_TRUE(manager.AddNet(std::move(net)));
    auto twin = std::make_unique<velm::ai::CNeuralNet>(desc);
    EXPECT_FALSE(manager.AddNet(std::move(twin)));
    EXPECT_EQ(manager.FindNet("Driving"), held);
    EXPECT_EQ(manager.FindNet("driving"), nullptr);

    // Without paths the driver gets an empty route.
    auto bare = manager.CreateNeuralDriver("Driving", "line", 1);
    EXPECT_TRUE(bare->GetRoute().empty());
    EXPECT_EQ(bare->GetNet(), held);

    manager.AddPath(Path("line", Straight(4)));
    auto driver = manager.CreateNeuralDriver("none", "line", 1);
    EXPECT_EQ(driver->GetNet(), nullptr);
    ASSERT_EQ(driver->GetRoute().size(), 4u);
    EXPECT_EQ(driver->GetRoute().front().m_direction, CVector3(0, 0, -1));
    EXPECT_EQ(driver->GetRoute().back().m_direction, CVector3());
}

TEST(CatmullRomSpline, ResampleCountsAndEnds) {
    const velm::ai::CCatmullRomSpline spline;
    const std::vector<CVector3> four = {CVector3(0, 0, 0), CVector3(1, 0, -2), CVector3(3, 0, -4), CVector3(4, 1, -7)};
    const std::vector<CVector3> out = spline.Resample(four, 3);
    ASSERT_EQ(out.size(), 13u);
    EXPECT_EQ(out.front(), four[0]);
    EXPECT_EQ(out[4], four[1]);
    EXPECT_EQ(out[8], four[2]);
    EXPECT_EQ(out.back(), four[3]);
    EXPECT_EQ(spline.Resample({four[0], four[1]}, 3).size(), 2u);
    // A negative density keeps only the last span's end points.
    EXPECT_EQ(spline.Resample(four, -1).size(), 1u);
    // Half way between p1 and p2 of a straight, even line is its middle.
    EXPECT_EQ(spline.PointAt(CVector3(0, 0, 0), CVector3(1, 0, 0), CVector3(2, 0, 0), CVector3(3, 0, 0), 0.5f),
              CVector3(1.5f, 0, 0));
}

TEST(AIManagerTest, ProgressIsTheShareOfTheRankingPathUpToTheNearestWaypoint) {
    CAIManager manager;
    ASSERT_TRUE(common::CScriptManager::GetInstance()->RunString("RANK_PATH = nil RANK_PATH_DENSITY = nil"));
    EXPECT_DOUBLE_EQ(manager.GetRankProgress(CVector3(1.0f, 2.0f, 3.0f)), 0.0) << "no path: no progress";
    manager.SetRankPath({CVector3(0.0f, 0.0f, 0.0f), CVector3(0.0f, 0.0f, -10.0f), CVector3(10.0f, 0.0f, -10.0f)});
    struct Case {
        CVector3 at;
        double progress;
    };
    const Case cases[] = {{CVector3(0.0f, 0.0f, 5.0f), 0.0},
                          {CVector3(2.0f, 1.0f, -4.0f), 0.0},
                          {CVector3(4.0f, 0.0f, -11.0f), 0.5},
                          {CVector3(30.0f, 0.0f, -10.0f), 1.0}};
    for (const Case& c : cases) {
        EXPECT_NEAR(manager.GetRankProgress(c.at), c.progress, 1e-6);
    }
}

TEST(AIManagerTest, TheScriptNamesTheRankingPath) {
    CAIManager manager;
    manager.AddPath(Path("stage1hard", {CVector3(0.0f, 0.0f, 0.0f), CVector3(0.0f, 0.0f, -50.0f)}));
    ASSERT_NE(manager.FindPath("stage1hard"), nullptr);
    ASSERT_TRUE(common::CScriptManager::GetInstance()->RunString("RANK_PATH = 'stage1hard' RANK_PATH_DENSITY = 0"));
    EXPECT_NEAR(manager.GetRankProgress(CVector3(0.0f, 0.0f, -30.0f)), 1.0, 1e-6);
    EXPECT_NEAR(manager.GetRankProgress(CVector3(0.0f, 0.0f, -20.0f)), 0.0, 1e-6);
    common::CScriptManager::GetInstance()->RunString("RANK_PATH = nil RANK_PATH_DENSITY = nil");
}

} // namespace
