// The performance counter on a frame clock: it stands still between settings, moves by exactly
// the frame clock's seconds, and follows the real clock again once cleared.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/win32/frame_clock.h"
#include "platform/win32/win32.h"

namespace {

LONGLONG Counter() {
    LARGE_INTEGER count{};
    QueryPerformanceCounter(&count);
    return count.QuadPart;
}

TEST(FrameClockTest, TheCounterReadsTheFrameClockWhileOneIsSet) {
    platform::SetFrameClock(0.0);
    const LONGLONG base = Counter();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(Counter(), base);
    platform::SetFrameClock(1.5);
    EXPECT_EQ(Counter() - base, 1500000000LL);
    platform::ClearFrameClock();
    const LONGLONG real = Counter();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_GT(Counter(), real);
}

} // namespace
