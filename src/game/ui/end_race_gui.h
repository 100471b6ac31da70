// kelvo::CEndRaceGUI, the results board of a track: one row per finished racer (portrait, track
// time, total time over the tracks so far) in ascending total time beside the place images, and
// Next Race once this machine's racer is through. Adding a row takes the racer out of the race.
// The board owns its rows' sprites. Main thread only.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "engine/gfx/base_gui.h"
#include "engine/gfx/text_sprite.h"

namespace kelvo {

class CClickSound;

// minutes:seconds:hundredths, two digits each at least; minutes past 99 are written in full.
std::string FormatResultTime(float seconds);
// The HUD portrait of a character (0 the empty frame, another value an empty name).
const char* RacerImageFile(std::uint32_t character);

class CEndRaceGUI : public velm::gfx::CBaseGUI {
public:
    struct SResultRow {
        std::uint32_t m_racerId = 0;
        std::string m_trackTime;
        std::string m_totalTime;
        float m_total = 0.0f;
        velm::gfx::CSprite* m_portrait = nullptr;
        velm::gfx::CTextSprite* m_trackText = nullptr;
        velm::gfx::CTextSprite* m_totalText = nullptr;
    };

    enum EChild { kNextRaceButton = 0, kTrackTimeHeading = 8, kTotalTimeHeading = 9 };

    explicit CEndRaceGUI(const std::string& fileName);
    ~CEndRaceGUI() override;

    void OnLostDevice() override;
    void OnResetDevice() override;
    void Update(unsigned elapsedMs) override;
    void Render(double time, float elapsed) override;
    bool HandleInput(const velm::input::SInputEvent& event) override;

    // Only for a racer of the game that has not finished this race yet; false when refused.
    bool AddResultRow(std::uint32_t racerId);
    bool HasResultRow(std::uint32_t racerId) const;
    // Deletes every row and hides the board with its Next Race button. The racers stay finished:
    // one still resting on the finish line gets no second row.
    void ClearResultRows();
    // The race reset: the same, and no racer has finished the next race yet.
    void OnRaceReset();
    // Hides the board and disables Next Race, rows kept.
    void Hide();

    const std::list<SResultRow>& GetRows() const { return m_rows; }
    // The racer ids of the rows, in row order.
    std::vector<std::uint32_t> GetResultRows() const;
    // Whether the racer finished this race, its row cleared or not.
    bool HasFinished(std::uint32_t racerId) const;
    bool IsShown() const { return m_shown != 0; }
    void PlayClick() const;

private:
    void DeleteRow(SResultRow& row);
    // On the back buffer: the middle of a row given by its top on the 800 x 600 layout, and the
    // corner of a 64 x 64 picture given by its corner there.
    int RowMiddle(int designTop) const;
    POINT RowPicture(int designLeft, int designTop) const;

    std::list<SResultRow> m_rows;
    // Every racer that finished this race, its row cleared or not.
    std::vector<std::uint32_t> m_finished;
    std::uint8_t m_shown = 0;
    std::unique_ptr<CClickSound> m_click;
    int m_screenWidth = 0;
    int m_screenHeight = 0;
};

// Next Race: the board gives way to the victory screen, which reads the winner from the rows.
class CButtonPressedNextRace {
public:
    explicit CButtonPressedNextRace(CEndRaceGUI& screen) : m_screen(screen) {}
    void operator()() const;

private:
    CEndRaceGUI& m_screen;
};

} // namespace kelvo
