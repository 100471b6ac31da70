// Timers on the performance counter: a count-up stopwatch and a countdown. A timer belongs to
// one thread; it needs no clean-up. Ticks are counter units; the frequency is read once at start.
#pragma once

#include <cstdint>
#include <string>

namespace common {

// Ticks per second of the performance counter, read before the first timer exists.
std::int64_t GetCounterFrequency();
std::int64_t GetCounterNow();

// Formats a tick count as "h : m : s" (hoursFirst) or "m : s : hundredths".
void FormatTicksAsTime(std::int64_t ticks, std::string& text, bool hoursFirst);

class ITimer {
public:
    virtual ~ITimer() = default;
    virtual void Start() = 0;
    virtual void Stop() = 0;
    virtual void Resume() = 0;
    virtual double GetSeconds() = 0;
    virtual void GetTimeText(std::string& text, bool hoursFirst) = 0;
};

class ACTimer : public ITimer {
public:
    explicit ACTimer(bool startNow);

    void Start() override;
    void Stop() override;
    void Resume() override;
    void Restart();
    bool IsRunning() const { return m_running; }
    virtual std::int64_t GetElapsedTicks();

protected:
    std::int64_t m_startTick = 0;
    std::int64_t m_elapsedTicks = 0;
    std::int64_t m_accumulatedTicks = 0;
    bool m_running = false;
};

class CStopwatchTimer : public ACTimer {
public:
    explicit CStopwatchTimer(bool startNow = false) : ACTimer(startNow) {}

    double GetElapsedSeconds();
    void GetTimeString(std::string& text, bool hoursFirst);

    double GetSeconds() override { return GetElapsedSeconds(); }
    void GetTimeText(std::string& text, bool hoursFirst) override { GetTimeString(text, hoursFirst); }
};

class CCountdownTimer : public ACTimer {
public:
    CCountdownTimer(float seconds, bool startNow);

    double GetRemainingSeconds();
    void StartCountdown(float seconds);
    bool IsExpired();
    void GetTimeString(std::string& text, bool hoursFirst);

    double GetSeconds() override { return GetRemainingSeconds(); }
    void GetTimeText(std::string& text, bool hoursFirst) override { GetTimeString(text, hoursFirst); }

private:
    std::int64_t m_durationTicks = 0;
};

} // namespace common
