#include "libs/common/timer.h"

#include "platform/win32/win32.h"

namespace common {
namespace {

std::int64_t ReadFrequency() {
    LARGE_INTEGER frequency{};
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) {
        return 1;
    }
    return frequency.QuadPart;
}

std::int64_t TicksFromSeconds(float seconds) {
    return static_cast<std::int64_t>(static_cast<double>(GetCounterFrequency()) * static_cast<double>(seconds));
}

} // namespace

std::int64_t GetCounterFrequency() {
    static const std::int64_t frequency = ReadFrequency();
    return frequency;
}

namespace {
// Read before the program's entry runs, so no timer ever waits on the first read.
const std::int64_t s_frequencyAtStart = GetCounterFrequency();
} // namespace

std::int64_t GetCounterNow() {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

void FormatTicksAsTime(std::int64_t ticks, std::string& text, bool hoursFirst) {
    const double s = static_cast<double>(ticks) / static_cast<double>(GetCounterFrequency());
    const auto h = static_cast<std::int64_t>(s * 0.00027777778);
    const auto m = static_cast<std::int64_t>((s - 3600.0 * h) * 0.016666668);
    const auto sec = static_cast<std::int64_t>(s - 3600.0 * h - 60.0 * m);
    const auto hundredths = static_cast<std::int64_t>((s - 3600.0 * h - 60.0 * m - sec) * 100.0);
    text.clear();
    if (hoursFirst) {
        text = std::to_string(h) + " : " + std::to_string(m) + " : " + std::to_string(sec);
    } else {
        text = std::to_string(m) + " : " + std::to_string(sec) + " : " + std::to_string(hundredths);
    }
}

ACTimer::ACTimer(bool startNow) : m_running(startNow) {
    if (startNow) {
        m_startTick = GetCounterNow();
    }
}

void ACTimer::Start() {
    if (m_running) {
        return;
    }
    m_running = true;
    m_startTick = GetCounterNow();
    m_accumulatedTicks = 0;
}

void ACTimer::Stop() {
    if (!m_running) {
        return;
    }
    m_running = false;
    m_accumulatedTicks += GetCounterNow() - m_startTick;
}

void ACTimer::Resume() {
    if (m_running) {
        return;
    }
    m_running = true;
    m_startTick = GetCounterNow();
}

void ACTimer::Restart() {
    m_running = true;
    m_startTick = GetCounterNow();
    m_accumulatedTicks = 0;
}

std::int64_t ACTimer::GetElapsedTicks() {
    m_elapsedTicks = m_running ? m_accumulatedTicks + (GetCounterNow() - m_startTick) : m_accumulatedTicks;
    return m_elapsedTicks;
}

double CStopwatchTimer::GetElapsedSeconds() {
    return static_cast<double>(GetElapsedTicks()) / static_cast<double>(GetCounterFrequency());
}

void CStopwatchTimer::GetTimeString(std::string& text, bool hoursFirst) {
    FormatTicksAsTime(GetElapsedTicks(), text, hoursFirst);
}

CCountdownTimer::CCountdownTimer(float seconds, bool startNow)
    : ACTimer(startNow), m_durationTicks(TicksFromSeconds(seconds)) {}

double CCountdownTimer::GetRemainingSeconds() {
    return static_cast<double>(m_durationTicks - GetElapsedTicks()) / static_cast<double>(GetCounterFrequency());
}

void CCountdownTimer::StartCountdown(float seconds) {
    Restart();
    m_durationTicks = TicksFromSeconds(seconds);
}

bool CCountdownTimer::IsExpired() { return GetRemainingSeconds() <= 0.0; }

void CCountdownTimer::GetTimeString(std::string& text, bool hoursFirst) {
    FormatTicksAsTime(m_durationTicks - GetElapsedTicks(), text, hoursFirst);
}

} // namespace common
