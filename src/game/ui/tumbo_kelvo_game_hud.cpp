#include "game/ui/tumbo_kelvo_game_hud.h"

namespace kelvo {

void TumboKelvoGameHUD::StartIconSpin(std::uint32_t racerId, std::uint32_t count) {
    SIconSpin& spin = m_iconSpins[racerId];
    spin.m_spinning = 1;
    spin.m_count = count;
    spin.m_time = 0.0f;
}

void TumboKelvoGameHUD::SetSpeed(int speed) { m_speedText = std::to_string(speed) + " km/h"; }

int TumboKelvoGameHUD::GetRankOffset(std::uint32_t racerId) const {
    auto found = m_rankOffsets.find(racerId);
    return found == m_rankOffsets.end() ? 0 : found->second;
}

TumboKelvoGameHUD::SIconSpin TumboKelvoGameHUD::GetIconSpin(std::uint32_t racerId) const {
    auto found = m_iconSpins.find(racerId);
    return found == m_iconSpins.end() ? SIconSpin() : found->second;
}

} // namespace kelvo
