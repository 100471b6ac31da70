#include "libs/common/thread.h"

#include <cstdio>

#include "libs/common/timer.h"

namespace common {
namespace {

double NowSeconds() {
    LARGE_INTEGER counter{};
    LARGE_INTEGER frequency{};
    if (!QueryPerformanceCounter(&counter) || !QueryPerformanceFrequency(&frequency) || frequency.QuadPart == 0) {
        return 0.0;
    }
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

} // namespace

CThread::CThread() = default;

CThread::~CThread() {
    Stop();
    if (m_handle != nullptr) {
        CloseHandle(m_handle);
        m_handle = nullptr;
    }
    if (m_procActive.load()) {
        std::fprintf(stderr, "Thread %u did not stop; waiting for it before its object is freed\n",
                     static_cast<unsigned>(m_threadId));
        while (m_procActive.load()) {
            Sleep(1);
        }
    }
}

HANDLE CThread::Start() {
    m_runningState = 1;
    m_keepRunning = true;
    m_procActive = true;
    m_handle = CreateThread(nullptr, 0, &CThread::ThreadProc, this, 0, &m_threadId);
    if (m_handle == nullptr) {
        m_runningState = 0;
        m_procActive = false;
    }
    return m_handle;
}

DWORD CThread::ThreadProc(LPVOID parameter) {
    auto self = static_cast<CThread*>(parameter);
    self->Run();
    self->m_procActive = false;
    return 0;
}

bool CThread::Join() {
    m_keepRunning = false;
    const double start = NowSeconds();
    while (m_runningState.load() != 0) {
        if ((NowSeconds() - start) * 1000.0 >= m_joinTimeoutMs) {
            break;
        }
        Sleep(0);
    }
    return m_runningState.load() == 0;
}

void CThread::Stop() {
    if (!Join() && m_runningState.load() != 0) {
        if (m_handle != nullptr) {
            CloseHandle(m_handle);
            m_handle = nullptr;
        }
        m_runningState = 0;
    }
}

} // namespace common
