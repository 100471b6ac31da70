#include "game/flow/game_screen_host.h"

#include "engine/core/model.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/ui/tumbo_kelvo_game_hud.h"

namespace kelvo {

velm::gfx::CCursor* CGameScreenHost::GetCursor() { return m_game.GetCursorScreen(); }

void CGameScreenHost::SetSelectedCharacter(std::uint32_t character) { m_game.SetSelectedCharacter(character); }

std::vector<velm::CModel*> CGameScreenHost::GetCharSelRacers() {
    std::vector<velm::CModel*> lineUp;
    for (std::uint32_t id : m_game.GetCharacterLineUpIds()) {
        lineUp.push_back(m_game.FindModel(id));
    }
    return lineUp;
}

void CGameScreenHost::PlayCountdownSound(int stage) { m_game.PlayCountdownSound(stage); }

void CGameScreenHost::ResetRaceClock() {
    if (TumboKelvoGameHUD* hud = m_game.GetHUD()) {
        hud->ResetRaceClock();
    }
}

void CGameScreenHost::StartRaceClock() {
    if (TumboKelvoGameHUD* hud = m_game.GetHUD()) {
        hud->StartRaceClock();
    }
}

void CGameScreenHost::PostQuit() { kelvo::PostQuit(); }

} // namespace kelvo
