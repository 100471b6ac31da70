// The start-up script as the game runs it: what it leaves unset is said, so that a race without
// thrust or grid is never a silent one.
#include "game/flow/start_script.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>
#include <string>

#include "game/world/racer_tuning.h"
#include "libs/common/script_manager.h"
#include "support/temp_dir.h"

namespace {

TEST(StartScript, WhatTheStartScriptDoesNotGiveIsSaid) {
    tktest::CTempDir dir;
    char previous[4096] = {};
    ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
    ASSERT_EQ(chdir(dir.Path().c_str()), 0);
    const struct {
        const char* what;
        const char* script; // null: no script at all
        bool tuned;
        bool ran;
        const char* said;
    } cases[] = {
        {"missing", nullptr, false, false, "Scripts/StartGame.LUA: the start script could not be run; "},
        {"empty", "", false, true,
         "Scripts/StartGame.LUA: the start script gave nothing the game reads (no start grid, river, ranking path "
         "or racer tuning): the racers stay without thrust\n"},
        {"a comment alone", "-- nothing here\n", false, true, "the start script gave nothing the game reads"},
        {"part of it", "NUM_RACERS = 6 RIVER_SPEED = 10 STAGE1_X = 1 STAGE1_Y = 2", false, true,
         "Scripts/StartGame.LUA: the start script left unset the script globals STAGE1_Z, RANK_PATH (read as 0 or "
         "nothing) and the tuning of monkey, bear, alien, fish, hillbilly, moviestar (those racers stay without "
         "thrust)\n"},
        {"all of it", "NUM_RACERS = 6 RIVER_SPEED = 10 STAGE1_X = 1 STAGE1_Y = 2 STAGE1_Z = 0 RANK_PATH = 'r'", true,
         true, ""},
    };
    for (const auto& c : cases) {
        if (c.script != nullptr) {
            dir.Write("Scripts/StartGame.LUA", c.script);
        }
        if (c.tuned) {
            for (const char* character : {"monkey", "bear", "alien", "fish", "hillbilly", "moviestar"}) {
                ASSERT_TRUE(kelvo::SetRacerMaxSpeed(character, 12.0f));
            }
        }
        common::CScriptManager script;
        std::ostringstream errors;
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(kelvo::RunStartScript(script, errors), c.ran) << c.what;
        ::testing::internal::GetCapturedStderr();
        if (*c.said == '\0') {
            EXPECT_EQ(errors.str(), "") << c.what;
        } else {
            EXPECT_NE(errors.str().find(c.said), std::string::npos) << c.what << "\n" << errors.str();
        }
    }
    ASSERT_EQ(chdir(previous), 0);
}

} // namespace
