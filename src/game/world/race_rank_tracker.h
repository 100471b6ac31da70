// kelvo::CRaceRankTracker, the race order: ten times a second it measures each racer's progress
// along the ranking path, sorts stably (ties keep the previous order), writes the places into
// the racers and tells the HUD the rank shifts, the local player's place and speed. Racers are
// held by id and looked up each time; one that has left the game is dropped. Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "libs/common/timer.h"

namespace velm::ai {
class CAIManager;
}

namespace kelvo {

class CRaceRankTracker {
public:
    struct SRankEntry {
        std::uint32_t m_racerId = 0;
        float m_progress = 0.0f;
    };

    CRaceRankTracker();

    // The racer's rank becomes the next free one; the first ranking follows 0.1 s later.
    void AddRacer(std::uint32_t racerId);
    void Update();
    void Clear();
    // 0.0 for a racer that is not tracked.
    float GetProgress(std::uint32_t racerId) const;
    const std::vector<SRankEntry>& GetEntries() const { return m_entries; }

    // Where progress is measured; the application's AI manager when none is set.
    void SetAIManager(velm::ai::CAIManager* manager) { m_aiManager = manager; }

private:
    std::vector<SRankEntry> m_entries;
    common::CCountdownTimer m_timer;
    std::uint32_t m_nextRank = 1;
    velm::ai::CAIManager* m_aiManager = nullptr;
};

} // namespace kelvo
