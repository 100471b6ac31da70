#include "libs/common/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// Works until asked to stop, keeping the running-state contract.
class CCooperativeThread : public common::CThread {
public:
    std::atomic<int> m_cycles{0};

protected:
    void Run() override {
        m_runningState = 2;
        while (m_keepRunning) {
            ++m_cycles;
            Sleep(1);
        }
        m_runningState = 0;
    }
};

// Ignores keep-running until the test releases it: a thread that will not stop.
class CStubbornThread : public common::CThread {
public:
    explicit CStubbornThread(double joinTimeoutMs) { m_joinTimeoutMs = joinTimeoutMs; }
    ~CStubbornThread() override { m_release = true; }
    std::atomic<bool> m_release{false};
    std::atomic<bool> m_finishedRun{false};

protected:
    void Run() override {
        m_runningState = 2;
        while (!m_release) {
            Sleep(1);
        }
        m_finishedRun = true;
        m_runningState = 0;
    }
};

TEST(ThreadTest, RunsUntilStoppedAndReportsFinished) {
    CCooperativeThread thread;
    EXPECT_EQ(thread.GetRunningState(), 0);
    ASSERT_NE(thread.Start(), nullptr);
    while (thread.m_cycles == 0) {
        std::this_thread::yield();
    }
    EXPECT_EQ(thread.GetRunningState(), 2);
    EXPECT_TRUE(thread.Join());
    EXPECT_EQ(thread.GetRunningState(), 0);
}

TEST(ThreadTest, ThreadThatWillNotStopIsAbandonedAfterTheTimeout) {
    auto thread = new CStubbornThread(50.0);
    thread->Start();
    const auto before = std::chrono::steady_clock::now();
    thread->Stop();
    const auto waited = std::chrono::steady_clock::now() - before;
    EXPECT_GE(waited, std::chrono::milliseconds(45));
    EXPECT_EQ(thread->GetRunningState(), 0);
    // Deleting the abandoned object waits for its thread instead of freeing memory under it.
    delete thread;
}

TEST(ThreadTest, UnstartedThreadIsFinishedAndStopsAtOnce) {
    CCooperativeThread thread;
    EXPECT_TRUE(thread.Join());
    thread.Stop();
    EXPECT_EQ(thread.GetRunningState(), 0);
}

} // namespace
