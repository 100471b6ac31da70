// kelvo::CStartRaceGUI, the least of the start-of-race countdown: "ready", three, two, one, "go",
// one second each, counted in the whole milliseconds the screen update hands it; finished once
// "go" is reached. Main thread only.
#pragma once

#include <cstdint>
#include <string>

#include "engine/gfx/base_gui.h"

namespace kelvo {

class CStartRaceGUI : public velm::gfx::CBaseGUI {
public:
    explicit CStartRaceGUI(const std::string& fileName) : m_fileName(fileName) {}

    static constexpr std::uint32_t kStepMs = 1000;
    static constexpr std::uint32_t kSteps = 4;

    void StartCountdown() {
        m_running = true;
        m_finished = false;
        m_elapsedMs = 0;
    }
    void Update(unsigned elapsedMs) override {
        if (!m_running) {
            return;
        }
        m_elapsedMs += elapsedMs;
        if (m_elapsedMs >= kStepMs * kSteps) {
            m_running = false;
            m_finished = true;
        }
    }
    bool IsFinished() const { return m_finished; }
    void ClearFinished() { m_finished = false; }
    bool IsRunning() const { return m_running; }

private:
    std::string m_fileName;
    bool m_running = false;
    bool m_finished = false;
    std::uint32_t m_elapsedMs = 0;
};

} // namespace kelvo
