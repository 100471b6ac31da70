// Scoped lock over a Win32 mutex handle: waits without time-out on construction and releases on
// destruction. The handle is borrowed, never closed here.
#pragma once

#include "platform/win32/win32.h"

namespace common {

class CMutexLock {
public:
    explicit CMutexLock(HANDLE mutex) : m_mutex(mutex) { WaitForSingleObject(m_mutex, INFINITE); }
    ~CMutexLock() { ReleaseMutex(m_mutex); }
    CMutexLock(const CMutexLock&) = delete;
    CMutexLock& operator=(const CMutexLock&) = delete;

private:
    HANDLE m_mutex;
};

} // namespace common
