// kelvo::CStartRaceGUI, the overlay that starts every race: a waving flag, then "Ready", "Three",
// "Two", "One" and "Go", one stage every TimeDelay seconds, each with its countdown sound; at "Go"
// the race clock starts and the done flag tells the start-track state the race may begin. Laid
// out and timed by "StartRaceInit.xml". Main thread only.
#pragma once

#include <cstdint>
#include <string>

#include "engine/gfx/base_gui.h"

namespace kelvo {

class CStartRaceGUI : public velm::gfx::CBaseGUI {
public:
    // Stages; each picture's child id is the stage it shows in.
    enum EStage : int { kArmed = 0, kFlag = 1, kReady = 2, kThree = 3, kTwo = 4, kOne = 5, kGo = 6, kFinished = 7 };

    // fileName under the screens' XML folder. Inactive until StartCountdown, every picture hidden.
    explicit CStartRaceGUI(const std::string& fileName);

    void Update(unsigned elapsedMs) override;
    // The pictures have no action and take no clicks: the in-game menu opened over the countdown
    // gets them.
    bool HandleInput(const velm::input::SInputEvent& event) override;

    // Re-arms the countdown, also in the middle of one.
    void StartCountdown();
    bool IsDone() const { return m_done != 0; }
    void ClearDone() { m_done = 0; }
    bool IsActive() const { return m_active != 0; }
    int GetStage() const { return m_stage; }
    float GetTimeDelay() const { return m_timeDelay; }
    float GetEndScale() const { return m_endScale; }

private:
    // Every child hidden except the one under `id`.
    void ShowOnly(int id);
    void EnterStage();

    float m_timeDelay = 0.0f;
    float m_stageTime = 0.0f;
    float m_initScale = 0.0f;
    float m_endScale = 0.0f;
    float m_flagScale = 0.0f;
    int m_stage = kReady;
    std::uint8_t m_done = 0;
    std::uint8_t m_active = 0;
};

} // namespace kelvo
