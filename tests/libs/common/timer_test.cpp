#include "libs/common/timer.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using common::CCountdownTimer;
using common::CStopwatchTimer;

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

TEST(StopwatchTest, StartOnARunningTimerChangesNothing) {
    CStopwatchTimer timer(true);
    SleepMs(20);
    timer.Start();
    EXPECT_GE(timer.GetElapsedSeconds(), 0.015);
}

TEST(StopwatchTest, ResumeContinuesAndStartBeginsAgain) {
    CStopwatchTimer timer(true);
    SleepMs(20);
    timer.Stop();
    const double frozen = timer.GetElapsedSeconds();
    SleepMs(20);
    EXPECT_DOUBLE_EQ(timer.GetElapsedSeconds(), frozen);
    timer.Resume();
    SleepMs(10);
    EXPECT_GT(timer.GetElapsedSeconds(), frozen);
    timer.Stop();
    timer.Start();
    EXPECT_LT(timer.GetElapsedSeconds(), frozen);
}

TEST(CountdownTest, ExpiresOnlyAfterItsDuration) {
    CCountdownTimer timer(0.0f, false);
    timer.StartCountdown(2.5f);
    EXPECT_NEAR(timer.GetRemainingSeconds(), 2.5, 0.05);
    EXPECT_FALSE(timer.IsExpired());

    CCountdownTimer shortOne(0.02f, true);
    SleepMs(40);
    EXPECT_TRUE(shortOne.IsExpired());
    EXPECT_LT(shortOne.GetRemainingSeconds(), 0.0);
}

TEST(CountdownTest, StoppedCountdownKeepsItsRemainingTime) {
    CCountdownTimer timer(5.0f, true);
    timer.Stop();
    const double left = timer.GetRemainingSeconds();
    SleepMs(20);
    EXPECT_DOUBLE_EQ(timer.GetRemainingSeconds(), left);
}

TEST(CountdownTest, ZeroBudgetIsExpiredAtOnce) {
    CCountdownTimer timer(0.0f, true);
    EXPECT_TRUE(timer.IsExpired());
}

TEST(FormatTicksAsTimeTest, DropsHoursWhenNotFirst) {
    const std::int64_t f = common::GetCounterFrequency();
    const std::int64_t ticks = 3600 * f + 2 * 60 * f + 5 * f + f / 2;
    std::string text = "old";
    common::FormatTicksAsTime(ticks, text, true);
    EXPECT_EQ(text, "1 : 2 : 5");
    common::FormatTicksAsTime(ticks, text, false);
    EXPECT_EQ(text, "2 : 5 : 50");
}

} // namespace
