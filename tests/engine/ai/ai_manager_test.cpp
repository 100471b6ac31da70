#include "engine/ai/ai_manager.h"

#include <gtest/gtest.h>

#include "libs/common/script_manager.h"

namespace {

using common::CVector3;

TEST(AIManagerTest, ProgressIsTheDistanceAlongTheRankingPath) {
    velm::ai::CAIManager manager;
    EXPECT_DOUBLE_EQ(manager.BuildRankPath(CVector3(1.0f, 2.0f, 3.0f)), 0.0) << "no path: no progress";
    manager.SetRankPath({CVector3(0.0f, 0.0f, 0.0f), CVector3(0.0f, 0.0f, -10.0f), CVector3(10.0f, 0.0f, -10.0f)});
    struct Case {
        CVector3 at;
        double progress;
    };
    const Case cases[] = {{CVector3(0.0f, 0.0f, 5.0f), 0.0},
                          {CVector3(2.0f, 1.0f, -4.0f), 4.0},
                          {CVector3(4.0f, 0.0f, -11.0f), 14.0},
                          {CVector3(30.0f, 0.0f, -10.0f), 20.0}};
    for (const Case& c : cases) {
        EXPECT_NEAR(manager.BuildRankPath(c.at), c.progress, 1e-4);
    }
}

TEST(AIManagerTest, TheScriptNamesTheRankingPathAndUnknownPathsAreAbsent) {
    velm::ai::CAIManager manager;
    EXPECT_EQ(manager.FindPath("stage1hard"), nullptr);
    manager.AddPath({"stage1hard", {{CVector3(0.0f, 0.0f, 0.0f)}, {CVector3(0.0f, 0.0f, -50.0f)}}});
    ASSERT_NE(manager.FindPath("stage1hard"), nullptr);
    ASSERT_TRUE(common::CScriptManager::GetInstance()->RunString("RANK_PATH = 'stage1hard'"));
    EXPECT_NEAR(manager.BuildRankPath(CVector3(0.0f, 0.0f, -20.0f)), 20.0, 1e-4);
    common::CScriptManager::GetInstance()->RunString("RANK_PATH = nil");
}

} // namespace
