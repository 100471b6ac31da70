#include "game/world/race_rank_tracker.h"

#include <algorithm>

#include "engine/ai/ai_manager.h"
#include "engine/core/velm_app.h"
#include "game/world/race_context.h"
#include "game/world/race_hud.h"
#include "game/world/racer_model.h"

namespace kelvo {

namespace {

constexpr float kRankPeriod = 0.1f;

CRacerModel* FindRacer(std::uint32_t id) {
    IRaceContext* race = GetRaceContext();
    return race != nullptr ? dynamic_cast<CRacerModel*>(race->FindModel(id)) : nullptr;
}

} // namespace

CRaceRankTracker::CRaceRankTracker() : m_timer(0.0f, false) {}

void CRaceRankTracker::AddRacer(std::uint32_t racerId) {
    if (CRacerModel* racer = FindRacer(racerId)) {
        racer->SetRaceRank(m_nextRank);
    }
    ++m_nextRank;
    m_entries.push_back(SRankEntry{racerId, 0.0f});
    m_timer.StartCountdown(kRankPeriod);
}

void CRaceRankTracker::Clear() {
    m_entries.clear();
    m_nextRank = 1;
}

float CRaceRankTracker::GetProgress(std::uint32_t racerId) const {
    for (const SRankEntry& entry : m_entries) {
        if (entry.m_racerId == racerId) {
            return entry.m_progress;
        }
    }
    return 0.0f;
}

void CRaceRankTracker::Update() {
    if (!m_timer.IsExpired()) {
        return;
    }
    velm::ai::CAIManager* manager = m_aiManager;
    if (manager == nullptr && velm::GetApp() != nullptr) {
        manager = velm::GetApp()->GetAIManager();
    }
    std::vector<CRacerModel*> racers;
    std::vector<SRankEntry> kept;
    for (const SRankEntry& entry : m_entries) {
        CRacerModel* racer = FindRacer(entry.m_racerId);
        if (racer == nullptr) {
            continue;
        }
        SRankEntry updated = entry;
        if (manager != nullptr) {
            updated.m_progress = static_cast<float>(manager->GetRankProgress(racer->GetPosition()));
        }
        kept.push_back(updated);
    }
    m_entries.swap(kept);
    std::stable_sort(m_entries.begin(), m_entries.end(),
                     [](const SRankEntry& a, const SRankEntry& b) { return a.m_progress > b.m_progress; });
    IRaceContext* race = GetRaceContext();
    IRaceHUD* hud = race != nullptr ? race->GetHUD() : nullptr;
    std::uint32_t place = 1;
    for (const SRankEntry& entry : m_entries) {
        CRacerModel* racer = FindRacer(entry.m_racerId);
        if (hud != nullptr) {
            hud->ShiftRacerRank(entry.m_racerId, static_cast<int>(racer->GetRaceRank()) - static_cast<int>(place));
            if (racer->GetControlKind() == CONTROL_LOCAL_PLAYER) {
                hud->SetPlace(place);
                hud->SetSpeed(static_cast<int>(racer->GetLinearVelocity().Length() * 3.6f));
            }
        }
        racer->SetRaceRank(place);
        ++place;
    }
    m_timer.StartCountdown(kRankPeriod);
}

} // namespace kelvo
