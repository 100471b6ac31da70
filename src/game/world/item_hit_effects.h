// What a weapon hit does to its victim, run once per frame by the racer until its timer ends:
// the mine stops the racer and holds it down, the drill spins it, the shark and the fishing pole
// drag it. The hit site sets the force or spin, starts the timer and hands the effect to
// CRacerModel::TakeHit; nothing touches the racer until the racer accepts it. Main thread only.
#pragma once

#include "game/world/racer_model.h"
#include "libs/common/vector3.h"

namespace kelvo {

class HitByMineFunc : public CRacerModel::ItemHitEffectFunc {
public:
    using ItemHitEffectFunc::ItemHitEffectFunc;
    // Also the shark's force and the pole's pull (the same operation in their classes).
    void SetForce(const common::CVector3& force) { m_force = force; }
    const common::CVector3& GetForce() const { return m_force; }
    // Stops the racer: no thrust, speed scale 0, no velocity.
    void OnAccepted() override;
    bool operator()(double time, float elapsed) override;

private:
    common::CVector3 m_force;
};

class HitByDrillFunc : public CRacerModel::ItemHitEffectFunc {
public:
    using ItemHitEffectFunc::ItemHitEffectFunc;
    void SetSpin(float spin) { m_spin = spin; }
    float GetSpin() const { return m_spin; }
    bool operator()(double time, float elapsed) override;

private:
    float m_spin = 0.0f;
};

class HitBySharkFunc : public CRacerModel::ItemHitEffectFunc {
public:
    using ItemHitEffectFunc::ItemHitEffectFunc;
    void SetForce(const common::CVector3& force) { m_force = force; }
    const common::CVector3& GetForce() const { return m_force; }
    bool operator()(double time, float elapsed) override;

private:
    common::CVector3 m_force;
};

class HitByPoleFunc : public CRacerModel::ItemHitEffectFunc {
public:
    using ItemHitEffectFunc::ItemHitEffectFunc;
    void SetForce(const common::CVector3& pull) { m_pull = pull; }
    const common::CVector3& GetForce() const { return m_pull; }
    // Stops the racer before the pull.
    void OnAccepted() override;
    bool operator()(double time, float elapsed) override;

private:
    common::CVector3 m_pull;
};

} // namespace kelvo
