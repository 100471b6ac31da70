#include "engine/ai/ai_enemy.h"

#include <algorithm>

#include "engine/ai/ai_manager.h"

namespace velm {
namespace ai {
namespace {

bool s_useItems = true;
bool s_drive = true;
bool s_third = true;

// The clock the stuck rule's distance and count are given in.
constexpr float kFramesPerSecond = 60.0f;

} // namespace

void AIEnemy::SetDefaultStates(bool useItems, bool drive, bool third) {
    s_useItems = useItems;
    s_drive = drive;
    s_third = third;
}

AIEnemy::AIEnemy(const AIProfile& profile, int racerId, IEnemyWorld& world)
    : m_profile(&profile),
      m_world(world),
      m_ownId(racerId),
      m_useItems(s_useItems),
      m_drive(s_drive),
      m_third(s_third) {
    if (CAIManager* manager = world.GetAIManager()) {
        m_neural = manager->CreateNeuralDriver(profile.Net, profile.Path, profile.Difficulty);
    } else {
        m_neural = std::make_unique<AINeural>();
    }
    m_ray = world.CreateRayDriver();
    SetTuningValue(profile.CRange);
    if (profile.Debug) {
        m_markerId = world.CreateMarker();
    }
}

AIEnemy::~AIEnemy() = default;

void AIEnemy::SetStateFlags(bool useItems, bool drive, bool third) {
    m_useItems = useItems;
    m_drive = drive;
    m_third = third;
}

void AIEnemy::UpdateRacerInfo() {
    m_inCone.clear();
    const std::vector<SRacerInfo> racers = m_world.GetRacers();
    if (m_racers.empty()) {
        for (const SRacerInfo& racer : racers) {
            SRacerInfo record = racer;
            record.m_spare = common::CVector3();
            record.m_grudge = 0.0f;
            record.m_spareWord = 0;
            m_racers[racer.m_racerId] = record;
        }
        return;
    }
    for (const SRacerInfo& racer : racers) {
        SRacerInfo& record = m_racers[racer.m_racerId];
        record.m_position = racer.m_position;
        record.m_velocity = racer.m_velocity;
        record.m_heading = racer.m_heading;
        record.m_racerId = racer.m_racerId;
        record.m_objectType = racer.m_objectType;
        if (record.m_grudge > 0.0f) {
            record.m_grudge -= 0.1f;
        }
    }
    const SRacerInfo& own = m_racers[m_ownId];
    // The held item is read before the cone tests, so that the racers' order does not delay a shot.
    m_heldItem = m_world.GetHeldItem();
    for (const SRacerInfo& racer : racers) {
        if (racer.m_racerId == m_ownId) {
            if (!m_racerKnown && m_world.HasOwnRacer()) {
                m_racerKnown = true;
                if (m_ray != nullptr) {
                    m_world.OnOwnRacerFound(*m_ray);
                }
            }
        } else if (m_heldItem != 0 && m_world.InFiringCone(m_heldItem, own, m_racers[racer.m_racerId])) {
            m_inCone.push_back(m_racers[racer.m_racerId]);
        }
    }
}

bool AIEnemy::SetDetour(const common::CVector3& target, float seconds) {
    if (m_detourTimer > 0.0f) {
        return false;
    }
    m_detour = SRacerInfo();
    m_detour.m_position = target;
    m_detourTimer = seconds;
    return true;
}

bool AIEnemy::IsStuck(const SRacerInfo& info, float dt) {
    const float moved = (info.m_position - m_lastOwn.m_position).Length();
    m_lastOwn = info;
    // An update that takes no time says nothing of the racer's speed.
    if (!(dt > 0.0f)) {
        return false;
    }
    const float frames = dt * kFramesPerSecond;
    if (!(moved < m_stuckDistance * frames)) {
        m_crawledFrames = 0.0f;
        return false;
    }
    m_crawledFrames += frames;
    // Half a frame's slack: at 60 a second the 36th update reports, whatever its rounding.
    if (m_crawledFrames > static_cast<float>(m_stuckCount) + 0.5f) {
        m_crawledFrames = 0.0f;
        return true;
    }
    return false;
}

bool AIEnemy::IsDownstream(const common::CVector3& target, float minDot) {
    if (!m_racerKnown) {
        return false;
    }
    const common::CVector3 position = m_racers[m_ownId].m_position;
    common::CVector3 flow;
    if (m_world.GetFlow(position, flow)) {
        flow.Normalize();
    } else {
        flow.Set(0.0f, 0.0f, -1.0f);
    }
    return (target - position).GetNormalized().Dot(flow) > minDot;
}

SRacerInfo AIEnemy::ChooseTarget(bool* found) const {
    auto ownIt = m_racers.find(m_ownId);
    const common::CVector3 ownPosition = ownIt != m_racers.end() ? ownIt->second.m_position : common::CVector3();
    const SRacerInfo* best = nullptr;
    float bestScore = 0.0f;
    // Walk in id order, so that the first of equal scores is the same on every run.
    std::vector<const SRacerInfo*> ordered;
    for (const auto& entry : m_racers) {
        ordered.push_back(&entry.second);
    }
    std::sort(ordered.begin(), ordered.end(),
              [](const SRacerInfo* a, const SRacerInfo* b) { return a->m_racerId < b->m_racerId; });
    for (const SRacerInfo* other : ordered) {
        if (other->m_racerId == m_ownId) {
            continue;
        }
        const float score = 6.0f / (other->m_position - ownPosition).Length() + other->m_grudge * 0.1f;
        if (score > bestScore) {
            bestScore = score;
            best = other;
        }
    }
    if (found != nullptr) {
        *found = best != nullptr;
    }
    return best != nullptr ? *best : SRacerInfo();
}

void AIEnemy::UpdateDetour(float dt) {
    if (m_detourTimer <= 0.0f) {
        if (m_markerId >= 0) {
            m_world.MoveMarker(m_markerId, common::CVector3());
        }
        return;
    }
    if (m_markerId >= 0) {
        m_world.MoveMarker(m_markerId, m_detour.m_position);
    }
    m_detourTimer -= dt;
    const SRacerInfo& own = m_racers[m_ownId];
    if ((own.m_position - m_detour.m_position).Length() < 0.5f) {
        m_detourTimer = 0.0f;
    } else if (!IsDownstream(m_detour.m_position, 0.05f)) {
        m_detourTimer = 0.0f;
    }
}

SDriveInput& AIEnemy::Update(SDriveInput& out, const SRacerInfo& self, const std::list<SRacerInfo>& /*targets*/,
                             float dt) {
    UpdateRacerInfo();
    m_racers[m_ownId].m_racerId = m_ownId;
    m_racers[m_ownId].m_heading = self.m_heading;
    const SRacerInfo own = m_racers[m_ownId];
    std::list<SRacerInfo> detours;
    UpdateDetour(dt);
    if (m_detourTimer > 0.0f) {
        detours.push_back(m_detour);
    }
    bool stuck = false;
    if (m_drive && IsStuck(own, dt) && m_racerKnown) {
        stuck = true;
        common::CVector3 flow;
        common::CVector3 escape = own.m_position + common::CVector3(0.0f, 0.0f, -20.0f);
        if (m_world.GetFlow(own.m_position, flow)) {
            escape = own.m_position + 12.0f * flow.GetNormalized();
        }
        // An escape overrides whatever detour runs.
        m_detour = SRacerInfo();
        m_detour.m_position = escape;
        m_detourTimer = 3.0f;
        detours.push_back(m_detour);
    }
    m_itemTimer += dt;
    bool fireNow = false;
    if (m_useItems) {
        if (m_heldItem == 0) {
            const std::vector<common::CVector3> jugs =
                m_world.FindItemJugs(own.m_position, own.m_heading, m_profile->CRange);
            if (!jugs.empty() && m_detourTimer <= 0.0f) {
                const common::CVector3 velocity = own.m_velocity.GetNormalized();
                std::size_t chosen = 0;
                float chosenScore = velocity.Dot((jugs[0] - own.m_position).GetNormalized());
                for (std::size_t i = 1; i < jugs.size(); ++i) {
                    const float s = velocity.Dot((jugs[i] - own.m_position).GetNormalized());
                    if (s < chosenScore) {
                        chosenScore = s;
                        chosen = i;
                    }
                }
                if (IsDownstream(jugs[chosen], 0.15f) && SetDetour(jugs[chosen], 5.0f)) {
                    detours.push_back(m_detour);
                }
            }
        } else {
            bool found = false;
            const SRacerInfo victim = ChooseTarget(&found);
            if (!m_inCone.empty()) {
                if (m_itemTimer > m_profile->WDelay) {
                    m_itemTimer = 0.0f;
                    fireNow = true;
                }
            } else {
                const common::CVector3 aim = found ? m_world.AimPoint(m_heldItem, own, victim) : own.m_position;
                if (aim != own.m_position) {
                    if (SetDetour(aim, 2.0f)) {
                        detours.push_back(m_detour);
                    }
                } else if (m_world.UseUntargeted(m_heldItem, own)) {
                    fireNow = true;
                }
            }
        }
    }
    bool fireByte = false;
    if (fireNow) {
        m_firing = true;
        m_fireHoldTimer = 0.5f;
        fireByte = true;
    }
    if (m_firing) {
        if (m_fireHoldTimer > 0.0f) {
            m_fireHoldTimer -= dt;
            fireByte = true;
        }
        if (m_fireHoldTimer <= 0.0f) {
            m_firing = false;
            m_fireHoldTimer = 0.0f;
        }
    }
    out = SDriveInput();
    if (m_drive) {
        if (!detours.empty()) {
            m_neural->Update(out, own, detours, 0.0f);
        } else if (m_ray != nullptr) {
            m_ray->Update(out, own, detours, dt);
        }
        if (!out.Any()) {
            m_neural->Update(out, own, detours, 0.0f);
        }
    }
    out.m_fire = out.m_fire || fireByte;
    out.m_stuck = out.m_stuck || stuck;
    return out;
}

} // namespace ai
} // namespace velm
