// The race HUD: this machine's item slot with its spin, the place image, speed and race clock,
// the level map with a head per racer and the ladder of portraits that swing on rank changes.
// It holds no game state: the race world pushes values in. Main thread only, except
// AddRacerEntry, which racer creation may call on the loading thread while the HUD is not drawn.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/gfx/base_gui.h"
#include "engine/gfx/text_sprite.h"
#include "game/world/race_hud.h"
#include "libs/common/mersenne_twister.h"
#include "libs/common/timer.h"

namespace kelvo {

// Race time as minutes:seconds:hundredths, two digits each, truncated; hours are dropped.
std::wstring RaceClockText(float seconds);

class TumboKelvoGameHUD : public velm::gfx::CBaseGUI, public IRaceHUD {
public:
    static constexpr std::uint32_t kFirstItem = 7;
    static constexpr std::uint32_t kLastItem = 14;
    static constexpr std::uint32_t kCharacterCount = 6;
    static constexpr std::uint32_t kSlotCount = 6;

    struct SRacerEntry {
        std::int32_t m_pendingSteps = 0;
        velm::gfx::CSprite* m_portrait = nullptr;
        velm::gfx::CSprite* m_head = nullptr;
        std::uint8_t m_moving = 0;
        std::uint8_t m_spinning = 0;
        float m_swingAngle = 0.0f;
        std::int32_t m_centreX = 0;
        std::int32_t m_centreY = 0;
        std::int32_t m_targetX = 0;
        std::int32_t m_targetY = 0;
        std::uint8_t m_movingDown = 0;
        float m_spinAngle = 0.0f;
        std::int32_t m_spinTurns = 0;
    };
    // What the race world's tests read of a portrait's hit spin.
    struct SIconSpin {
        std::uint8_t m_spinning = 0;
        std::uint32_t m_count = 0;
        float m_angle = 0.0f;
    };
    // Course progress of a racer id; 0 for one it does not know.
    using ProgressSource = std::function<float(std::uint32_t)>;

    TumboKelvoGameHUD();
    ~TumboKelvoGameHUD() override;

    // Builds every sprite but the per-racer ones; once.
    void Init();

    void OnLostDevice() override;
    void OnResetDevice() override;
    void Update(unsigned elapsedMs) override;
    void Render(double time, float elapsed) override;

    // A character outside 1-6 (it may come from the network) adds nothing.
    void AddRacerEntry(std::uint32_t racerId, std::uint32_t character);
    // steps is the old rank minus the new one.
    void ShiftRacerRank(std::uint32_t racerId, std::int32_t steps) override;
    void StartIconSpin(std::uint32_t racerId, std::int32_t turns) override;
    void ClearRacerEntries();
    void SetSpeed(int speed) override;
    // 0 hides the place image; a place outside 0-6 is ignored.
    void SetPlace(std::uint32_t place) override;

    // The slot spins whatever was drawn; a final item outside 7-14 (a roll that drew nothing)
    // leaves the slot empty when the spin stops.
    void StartItemSpin(float interval, float step, std::uint32_t itemType) override;
    void SlowItemSpin(float interval, float step) override;
    void StopItemSpin() override;
    // Nothing while the slot spins.
    void ClearItemIcon() override;
    void ShowHitOverlay() override;

    void ResetRaceClock();
    void StartRaceClock();
    float GetRaceClock();

    void SetRacePanelShown(bool shown) { m_racePanelShown = shown ? 1 : 0; }
    bool IsRacePanelShown() const { return m_racePanelShown != 0; }
    void SetProgressSource(ProgressSource source) { m_progress = std::move(source); }

    // One frame of the ladder: swings, hit spins and head positions. A step whose target slot
    // lies outside 1-6 is dropped without a swing.
    void UpdateRacerEntries(float dt);
    // Ladder slot r (1-6) at (42, 132 + 64 (r - 1)) on a 1024 x 768 screen, scaled with the
    // screen; any other r leaves x and y as they are.
    void RankToSlotPosition(std::uint32_t rank, std::int32_t* x, std::int32_t* y) const;
    // The slot at exactly (x, y), else 0.
    std::uint32_t SlotPositionToRank(std::int32_t x, std::int32_t y) const;

    bool IsItemSpinning() const { return m_spinning != 0; }
    float GetItemSpinInterval() const { return m_spinInterval; }
    std::uint32_t GetShownItem() const { return m_shownItem; }
    std::uint32_t GetStoredItem() const { return m_finalItem; }
    int GetHitOverlayCount() const { return m_hitOverlays; }
    bool IsHitOverlayShown() const { return m_overlay != nullptr && m_overlay->IsVisible(); }
    std::uint32_t GetPlace() const { return m_place; }
    // The speed text as drawn, in narrow characters.
    std::string GetSpeedText() const;
    const std::wstring& GetClockText() const;
    int GetRankOffset(std::uint32_t racerId) const;
    SIconSpin GetIconSpin(std::uint32_t racerId) const;
    // Null for an id without entry.
    const SRacerEntry* GetRacerEntry(std::uint32_t racerId) const;
    std::size_t GetRacerEntryCount() const { return m_entries.size(); }

private:
    struct SPendingEntry {
        std::uint32_t m_racerId;
        std::uint32_t m_character;
    };

    void UpdateClockText();
    // Sprites are made on the main thread only (the device belongs to it): entries asked for on
    // another thread wait here until the next main-thread call takes them in.
    void AddEntryNow(std::uint32_t racerId, std::uint32_t character);
    void TakePendingEntries();
    velm::gfx::CSprite* ItemIcon(std::uint32_t item) const;
    velm::gfx::CSprite* PlaceImage(std::uint32_t place) const;

    std::vector<velm::gfx::CSprite*> m_itemIcons;
    std::vector<velm::gfx::CSprite*> m_placeImages;
    velm::gfx::CSprite* m_levelMap = nullptr;
    std::uint8_t m_racePanelShown = 0;
    velm::gfx::CSprite* m_overlay = nullptr;
    common::CCountdownTimer m_overlayTimer;
    velm::gfx::CTextSprite* m_speedText = nullptr;
    // The speed text also before Init made its sprite.
    std::wstring m_speedValue = L"0 km/h";
    velm::gfx::CTextSprite* m_clockText = nullptr;
    common::CMersenneTwister m_random;
    common::CCountdownTimer m_spinTimer;
    std::uint32_t m_spinning = 0;
    float m_spinInterval = 0.0f;
    float m_spinStep = 0.0f;
    std::uint32_t m_finalItem = 0;
    std::uint32_t m_shownItem = 0;
    common::CStopwatchTimer m_raceClock;
    std::uint32_t m_place = 0;
    std::map<std::uint32_t, SRacerEntry> m_entries;
    std::uint32_t m_nextSlot = 1;
    // The map, its heads and the ladder against their 1024 x 768 size: the smaller of the
    // screen's two sides over that size's, from Init on.
    float m_scale = 1.0f;
    ProgressSource m_progress;
    int m_hitOverlays = 0;
    std::thread::id m_mainThread;
    std::mutex m_pendingMutex;
    std::vector<SPendingEntry> m_pending;
};

} // namespace kelvo
