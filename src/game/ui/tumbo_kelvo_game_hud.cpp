#include "game/ui/tumbo_kelvo_game_hud.h"

#include "libs/common/mersenne_twister.h"

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

void TumboKelvoGameHUD::StartItemSpin(float interval, float step, std::uint32_t itemType) {
    m_itemInterval = interval;
    m_itemStep = step;
    m_storedItem = itemType;
    m_shownItem = ((common::CMersenneTwister::GetInstance().RandomInt(1000)) & 7u) + 7u;
    m_itemSpinning = true;
}

void TumboKelvoGameHUD::SlowItemSpin(float interval, float step) {
    m_itemInterval = interval;
    m_itemStep = step;
}

void TumboKelvoGameHUD::StopItemSpin() {
    if (!m_itemSpinning) {
        return;
    }
    m_itemInterval = 0.0f;
    m_itemStep = 0.0f;
    m_shownItem = m_storedItem;
    m_itemSpinning = false;
}

void TumboKelvoGameHUD::ClearItemIcon() {
    if (m_itemSpinning) {
        return;
    }
    m_storedItem = 0;
    m_shownItem = 0;
}

} // namespace kelvo
