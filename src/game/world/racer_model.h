// kelvo::CRacerModel, one racer on its tumbo: its air drag and thrust, its racer state machine,
// the running item-hit effect (owned), the ids of its items, its race rank, boost, speed scale
// and invincibility, its wake trail and the position updates that keep peers in step. Items are
// held by object id and looked up when used, so a removed item is never touched. Main thread.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "game/world/kelvo_model.h"
#include "libs/common/timer.h"

namespace velm::phy {
class AirDrag;
class ThrustForce;
class BuoyancyForce;
class CHeightMap;
class CWaterField;
} // namespace velm::phy

namespace kelvo {

struct SRacerTuning;
class CItemModel;
class CRacerController;
class CRacerView;

class CRacerModel : public CKelvoModel {
public:
    // The effect an item hit has on a racer, run once per frame while it lasts.
    class ItemHitEffectFunc {
    public:
        explicit ItemHitEffectFunc(CRacerModel* racer) : m_racer(racer), m_timer(0.0f, false) {}
        virtual ~ItemHitEffectFunc() = default;
        // False once the effect has ended.
        virtual bool operator()(double time, float elapsed) = 0;
        // Called by TakeHit when the racer keeps the effect, before its first run.
        virtual void OnAccepted() {}
        common::CCountdownTimer& GetTimer() { return m_timer; }

    protected:
        CRacerModel* m_racer;
        common::CCountdownTimer m_timer;
    };

    // Finds the particle system created under an object id; installed by whoever owns the
    // particle systems. Without one the racer runs without a trail.
    using TrailLookup = velm::gfx::IGfxUnit* (*)(std::uint32_t objectId);
    static void SetTrailLookup(TrailLookup lookup);

    // The racer's object type must be set before its first update binds the tuning.
    CRacerModel(const std::shared_ptr<velm::phy::CRigidBody>& body, std::uint32_t id);
    ~CRacerModel() override;

    void Update(double time, float elapsed) override;
    // Animations 0, 7 and 8 play to their end unless the hurt animation (12) is asked for.
    bool SetAnimation(std::uint32_t index, bool loop) override;

    void SetSpeedScale(float scale);
    void SetBoost(float boost);
    void SetInvincible(bool invincible);
    float GetSpeedScale() const { return m_speedScale; }
    float GetBoost() const { return m_boost; }
    bool IsInvincible() const { return m_invincible != 0; }
    bool CanBeHit() const { return m_invincible == 0 && !m_hitEffect; }
    bool HasHitEffect() const { return static_cast<bool>(m_hitEffect); }
    // The running effect, or null.
    ItemHitEffectFunc* GetHitEffect() const { return m_hitEffect.get(); }
    // Keeps the effect (racer to "Hurt_State") or, when the racer cannot be hit, deletes it.
    void TakeHit(ItemHitEffectFunc* effect);

    void AddItem(std::uint32_t itemId) { m_items.insert(itemId); }
    void RemoveItem(std::uint32_t itemId) { m_items.erase(itemId); }
    const std::set<std::uint32_t>& GetItems() const { return m_items; }
    void AttachItem(CItemModel* item, std::uint8_t followFrame, const std::string& frameName);
    void DetachItem(CItemModel* item);
    // The first of the racer's items (in id order) carried by a parent.
    bool FindAttachedItem(CItemModel*& item) const;
    bool HasAttachedItem() const { return m_hasAttachedItem != 0; }

    // A racer whose character has no tuning entry gets zeros: no thrust, no turning.
    float GetMaxSpeed();
    float GetTurning();
    float GetAccel();
    void SetTuning(SRacerTuning* entry);

    velm::phy::CHeightMap* GetHeightGrid();
    velm::phy::CWaterField* GetWaterCell() const;
    // The racer's wake, found by its id at each call: a wake of limited life dies and is freed
    // by the particle registry while the racer races on. Null when there is none.
    velm::gfx::IGfxUnit* GetTrail() const;

    float GetThrustInput() const { return m_thrustInput; }
    void SetThrustInput(float thrust) { m_thrustInput = thrust; }
    std::uint32_t GetHeldItemType() const { return m_heldItemType; }
    void SetHeldItemType(std::uint32_t type) { m_heldItemType = type; }
    std::uint32_t GetRaceRank() const { return m_raceRank; }
    // The client id of the machine that drives the racer (0: the server or single play).
    std::uint32_t GetConnectionId() const { return m_connectionId; }
    void SetConnectionId(std::uint32_t id) { m_connectionId = id; }
    void SetRaceRank(std::uint32_t rank) { m_raceRank = rank; }
    // Seconds over the tracks raced so far; the results board adds each track's time.
    float GetTotalRaceTime() const { return m_totalRaceTime; }
    void AddRaceTime(float seconds) { m_totalRaceTime += seconds; }

    // The racer's controller as a racer controller, or null.
    CRacerController* GetRacerController() const;
    // The racer's view in the game's registry, or null.
    CRacerView* GetRacerView() const;
    velm::phy::ThrustForce* GetThrust() const { return m_thrust.get(); }
    velm::phy::AirDrag* GetAirDrag() const { return m_airDrag.get(); }
    // The body's buoyancy, or null when the factory gave it none.
    velm::phy::BuoyancyForce* GetBuoyancy() const;

    // Safe without a drawing unit: done, and no animation playing (-1).
    bool AnimationDone();
    int CurrentAnimation() const;
    void RestartAnimation();

private:
    void BindTuning();
    void ReplicateState() const;

    SRacerTuning* m_tuning = nullptr;
    bool m_missingTuningLogged = false;
    std::uint32_t m_trailId = 0;
    float m_thrustInput = 0.0f;
    float m_boost = 0.0f;
    float m_speedScale = 1.0f;
    float m_positionAccumulator = 0.0f;
    float m_positionInterval = 0.08f;
    std::uint32_t m_heldItemType = 0;
    std::set<std::uint32_t> m_items;
    std::uint8_t m_hasAttachedItem = 0;
    std::uint8_t m_invincible = 0;
    std::unique_ptr<ItemHitEffectFunc> m_hitEffect;
    std::uint32_t m_raceRank = 0;
    float m_totalRaceTime = 0.0f;
    std::uint32_t m_connectionId = 0;
    velm::phy::CHeightMap* m_heightGrid = nullptr;
    std::shared_ptr<velm::phy::AirDrag> m_airDrag;
    std::shared_ptr<velm::phy::ThrustForce> m_thrust;
};

} // namespace kelvo
