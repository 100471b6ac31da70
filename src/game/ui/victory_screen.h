// kelvo::CVictoryScreen, shown after the last track by Next Race: the win or lose banner by who
// leads the results board, Continue back to the menus and, on a win, a gold trophy turning just
// right of the camera's target, over the winner. The screen owns both banners; the trophy is a
// world object of the game, destroyed by Continue, a new Show or the race reset. Main thread only.
#pragma once

#include <cstdint>
#include <string>

#include "engine/gfx/base_gui.h"

namespace kelvo {

class CVictoryScreen : public velm::gfx::CBaseGUI {
public:
    // The trophy's turn per frame (pi / 40) and where the angle wraps to.
    static constexpr float kTurnPerFrame = 0.0785398f;
    static constexpr float kFullTurn = 6.2831855f;

    explicit CVictoryScreen(const std::string& fileName);
    ~CVictoryScreen() override;

    void OnLostDevice() override;
    void OnResetDevice() override;
    void Update(unsigned elapsedMs) override;
    void Render(double time, float elapsed) override;
    bool HandleInput(const velm::input::SInputEvent& event) override;

    // Win or lose by the results board's first row; the board's rows are cleared.
    void Show();
    // Replaces an older trophy; a networked client makes none.
    void CreateTrophy();
    // Hides the screen and removes the trophy (Continue, the race reset).
    void Close();
    void OnRaceReset() { Close(); }

    bool IsWinShown() const { return m_current != nullptr && m_current == m_winText; }
    bool IsLoseShown() const { return m_current != nullptr && m_current == m_loseText; }
    bool IsTrophyShown() const { return m_trophyShown != 0; }
    std::uint32_t GetTrophyId() const { return m_trophyId; }

private:
    velm::gfx::CSprite* m_winText = nullptr;
    velm::gfx::CSprite* m_loseText = nullptr;
    velm::gfx::CSprite* m_current = nullptr;
    std::uint8_t m_trophyShown = 0;
    std::uint32_t m_trophyId = 0;
    std::uint32_t m_winnerId = 0;
};

// Continue: the screen goes, and the race is reset to the menus.
class CButtonPressedContinue {
public:
    explicit CButtonPressedContinue(CVictoryScreen& screen) : m_screen(screen) {}
    void operator()() const;

private:
    CVictoryScreen& m_screen;
};

} // namespace kelvo
