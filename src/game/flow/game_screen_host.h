// kelvo::CGameScreenHost: the game object's answers to its screens (cursor, selected character,
// line-up, countdown sounds, race clock, quit). Installed by the game for its lifetime.
// Main thread only.
#pragma once

#include "game/ui/screen_host.h"

namespace kelvo {

class CTumboKelvoGame;

class CGameScreenHost : public IScreenHost {
public:
    explicit CGameScreenHost(CTumboKelvoGame& game) : m_game(game) {}

    velm::gfx::CCursor* GetCursor() override;
    void SetSelectedCharacter(std::uint32_t character) override;
    std::vector<velm::CModel*> GetCharSelRacers() override;
    void PlayCountdownSound(int stage) override;
    // The race clock is the HUD's.
    void ResetRaceClock() override;
    void StartRaceClock() override;
    void PostQuit() override;

private:
    CTumboKelvoGame& m_game;
};

} // namespace kelvo
