// A thread object with a cooperative stop. Run() must set m_runningState to 2 first, work while
// m_keepRunning holds, and set it to 0 last; the owner polls the state and only then joins and
// deletes. Stop() gives the thread 8000 ms and then abandons it (marks it finished) without
// killing it; the object's memory is still never released while its thread runs.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/win32/win32.h"

namespace common {

class CThread {
public:
    CThread();
    virtual ~CThread();
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    // Starts the thread; returns its handle, null when it could not be created.
    HANDLE Start();
    // Clears keep-running and waits for the running state to reach 0; true when it did.
    bool Join();
    // Join, and abandon the thread when it did not finish in time.
    void Stop();

    std::int32_t GetRunningState() const { return m_runningState.load(); }
    bool IsRunning() const { return m_runningState.load() != 0; }
    DWORD GetThreadId() const { return m_threadId; }

protected:
    virtual void Run() = 0;

    std::atomic<std::int32_t> m_runningState{0};
    std::atomic<bool> m_keepRunning{false};
    HANDLE m_handle = nullptr;
    DWORD m_threadId = 0;
    // How long Join waits; only tests shorten it.
    double m_joinTimeoutMs = 8000.0;

private:
    static DWORD ThreadProc(LPVOID parameter);

    // Set by the thread procedure itself around Run(): the destructor waits on it so that an
    // abandoned thread never runs on freed memory.
    std::atomic<bool> m_procActive{false};
};

} // namespace common
