// velm::ai::AIEnemy, the driver of one computer racer: it keeps a table of every racer, seeks
// item jugs, fires at racers in its item's cone, sets short detours (a jug, an aim point, an
// escape when stuck) and leaves the steering to the neural or the bank-ray driver. Owned by the
// racer's AI controller; constructed where the racer is created (possibly the loading thread),
// updated on the main thread.
#pragma once

#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

#include "engine/ai/ai_base.h"
#include "engine/ai/ai_neural.h"
#include "engine/ai/enemy_world.h"

namespace velm {
namespace ai {

class AIEnemy : public CAIBase {
public:
    // The switches given to the last AIStates call (all on before the first).
    static void SetDefaultStates(bool useItems, bool drive, bool third);

    // The world outlives the enemy.
    AIEnemy(const AIProfile& profile, int racerId, IEnemyWorld& world);
    ~AIEnemy() override;

    void SetStateFlags(bool useItems, bool drive, bool third);

    // Only the heading of `self` is read; `targets` is not.
    SDriveInput& Update(SDriveInput& out, const SRacerInfo& self, const std::list<SRacerInfo>& targets,
                        float dt) override;

    // The record of the racer to attack: nearest, raised by grudge. A temporary empty record
    // (id 0) when no racer scores; `found` tells which.
    SRacerInfo ChooseTarget(bool* found = nullptr) const;
    // True once a crawl has lasted past the stuck count of updates. Both are measured in frames
    // of a 60-a-second clock, dt * 60 to the update, so that the rule holds at any frame rate: a
    // racer under 0.05 m a sixtieth of a second (3 m/s) for 36 sixtieths is reported stuck.
    bool IsStuck(const SRacerInfo& info, float dt);
    bool IsDownstream(const common::CVector3& target, float minDot);
    bool SetDetour(const common::CVector3& target, float seconds);

    const std::unordered_map<int, SRacerInfo>& GetRacerTable() const { return m_racers; }
    std::unordered_map<int, SRacerInfo>& GetRacerTable() { return m_racers; }
    const SRacerInfo& GetDetour() const { return m_detour; }
    float GetDetourTimer() const { return m_detourTimer; }
    AINeural& GetNeuralDriver() { return *m_neural; }
    int GetMarkerId() const { return m_markerId; }

private:
    void UpdateRacerInfo();
    void UpdateDetour(float dt);

    const AIProfile* m_profile;
    IEnemyWorld& m_world;
    int m_heldItem = 0;
    std::unordered_map<int, SRacerInfo> m_racers;
    std::vector<SRacerInfo> m_inCone;
    float m_itemTimer = 0.0f;
    int m_ownId;
    bool m_useItems;
    bool m_drive;
    bool m_third;
    bool m_racerKnown = false;
    std::unique_ptr<AINeural> m_neural;
    std::unique_ptr<CAIBase> m_ray;
    float m_stuckDistance = 0.05f;
    int m_stuckCount = 35;
    SRacerInfo m_lastOwn;
    // Sixtieths of a second crawled since the racer last moved or was reported.
    float m_crawledFrames = 0.0f;
    SRacerInfo m_detour;
    float m_detourTimer = 0.0f;
    float m_fireHoldTimer = 0.0f;
    bool m_firing = false;
    int m_markerId = -1;
};

} // namespace ai
} // namespace velm
