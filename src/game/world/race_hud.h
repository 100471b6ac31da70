// kelvo::IRaceHUD: the race HUD as the race world sees it. The world pushes this machine's item
// slot, its place and speed, and the rank ladder's swings; the HUD of the screens above
// implements it. Main thread only.
#pragma once

#include <cstdint>

namespace kelvo {

class IRaceHUD {
public:
    virtual ~IRaceHUD() = default;

    // steps is the old rank minus the new one.
    virtual void ShiftRacerRank(std::uint32_t racerId, std::int32_t steps) = 0;
    virtual void StartIconSpin(std::uint32_t racerId, std::int32_t turns) = 0;
    virtual void SetSpeed(int speed) = 0;
    // 0 hides the place image; a place outside 0-6 is ignored.
    virtual void SetPlace(std::uint32_t place) = 0;
    // The slot spins whatever was drawn; a final item outside 7-14 (a roll that drew nothing)
    // leaves the slot empty when the spin stops.
    virtual void StartItemSpin(float interval, float step, std::uint32_t itemType) = 0;
    virtual void SlowItemSpin(float interval, float step) = 0;
    virtual void StopItemSpin() = 0;
    // Nothing while the slot spins.
    virtual void ClearItemIcon() = 0;
    virtual void ShowHitOverlay() = 0;
};

} // namespace kelvo
