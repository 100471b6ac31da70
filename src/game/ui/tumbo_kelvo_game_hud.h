// The race HUD: the local player's place and speed, the racers' rank offsets and item-icon
// spins. Only the record the race world writes lives here so far; drawing joins it with the
// screens. Main thread only.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "engine/gfx/base_gui.h"

namespace kelvo {

class TumboKelvoGameHUD : public velm::gfx::CBaseGUI {
public:
    // The set-up after construction; the least HUD has nothing to load.
    void Init() {}
    struct SIconSpin {
        std::uint8_t m_spinning = 0;
        std::uint32_t m_count = 0;
        float m_time = 0.0f;
    };

    void StartIconSpin(std::uint32_t racerId, std::uint32_t count);
    // The portrait and head of the racer's character; a racer keeps one entry.
    void AddRacerEntry(std::uint32_t racerId, std::uint32_t character) { m_racerEntries[racerId] = character; }
    void ClearRacerEntries() {
        m_racerEntries.clear();
        m_rankOffsets.clear();
        m_iconSpins.clear();
    }
    std::size_t GetRacerEntryCount() const { return m_racerEntries.size(); }
    void SetPlace(std::uint32_t place) { m_place = place; }
    // Shown as the number followed by " km/h".
    void SetSpeed(int speed);
    // delta is the old rank minus the new one.
    void ShiftRacerRank(std::uint32_t racerId, int delta) { m_rankOffsets[racerId] += delta; }

    // The local player's item slot: a spin shows random icons until it stops on the item type.
    void StartItemSpin(float interval, float step, std::uint32_t itemType);
    void SlowItemSpin(float interval, float step);
    void StopItemSpin();
    // Nothing while the slot spins.
    void ClearItemIcon();
    void ShowHitOverlay() { ++m_hitOverlays; }

    bool IsItemSpinning() const { return m_itemSpinning; }
    float GetItemSpinInterval() const { return m_itemInterval; }
    std::uint32_t GetShownItem() const { return m_shownItem; }
    std::uint32_t GetStoredItem() const { return m_storedItem; }
    int GetHitOverlayCount() const { return m_hitOverlays; }

    std::uint32_t GetPlace() const { return m_place; }
    const std::string& GetSpeedText() const { return m_speedText; }
    int GetRankOffset(std::uint32_t racerId) const;
    SIconSpin GetIconSpin(std::uint32_t racerId) const;

private:
    std::uint32_t m_place = 0;
    std::string m_speedText;
    std::map<std::uint32_t, std::uint32_t> m_racerEntries;
    std::map<std::uint32_t, int> m_rankOffsets;
    std::map<std::uint32_t, SIconSpin> m_iconSpins;
    bool m_itemSpinning = false;
    float m_itemInterval = 0.0f;
    float m_itemStep = 0.0f;
    std::uint32_t m_storedItem = 0;
    std::uint32_t m_shownItem = 0;
    int m_hitOverlays = 0;
};

} // namespace kelvo
