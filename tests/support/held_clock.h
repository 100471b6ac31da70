// Holds the performance counter on the frame clock while it lives: the game's timers then run by
// the seconds the test advances and not by how fast a busy machine gets through the test, so an
// effect of 50 ms is still on however long the test waits between two of its frames.
#pragma once

#include "platform/win32/frame_clock.h"

namespace tktest {

class CHeldClock {
public:
    CHeldClock() { platform::SetFrameClock(0.0); }
    ~CHeldClock() { platform::ClearFrameClock(); }
    CHeldClock(const CHeldClock&) = delete;
    CHeldClock& operator=(const CHeldClock&) = delete;

    void Advance(double seconds) {
        m_seconds += seconds;
        platform::SetFrameClock(m_seconds);
    }

private:
    double m_seconds = 0.0;
};

} // namespace tktest
