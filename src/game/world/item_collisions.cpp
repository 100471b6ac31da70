#include "game/world/item_collisions.h"

#include <memory>

#include "engine/phy/rigid_body.h"
#include "game/content/object_type.h"
#include "game/events/game_events.h"
#include "game/world/item_hit_effects.h"
#include "game/world/item_model.h"
#include "game/world/item_states.h"
#include "game/world/race_context.h"
#include "game/world/racer_model.h"

namespace kelvo {

namespace {

using common::CVector3;

constexpr float kRampPush = 30.0f;
constexpr float kMineLift = 16.0f;
constexpr float kHitTime = 2.0f;
constexpr float kDrillSpin = 2.0f;
constexpr float kGeyserLift = 4.0f;

struct SRule {
    ECollisionRule rule;
    // 0 for "another racer".
    std::uint32_t otherType;
    bool authoritativeOnly;
};

// In the order they are tried.
constexpr SRule kRules[] = {
    {ECollisionRule::Jug, OBJECT_JUG, false},
    {ECollisionRule::Ramp, OBJECT_RAMP, false},
    {ECollisionRule::Mine, ITEM_MINE, false},
    {ECollisionRule::Whirlpool, ITEM_WHIRLPOOL, false},
    {ECollisionRule::Drill, ITEM_DRILL, false},
    {ECollisionRule::Racer, 0, false},
    {ECollisionRule::RockRelease, TRIGGER_ROCK_RELEASE, false},
    {ECollisionRule::LogRelease, TRIGGER_LOG_RELEASE, false},
    {ECollisionRule::Finish, TRIGGER_FINISH, true},
    {ECollisionRule::Geyser, OBJECT_GEYSER, true},
};

bool Matches(const SRule& rule, CKelvoModel& racer, CKelvoModel& other, bool authoritative) {
    if (!IsCharacterType(racer.GetObjectType())) {
        return false;
    }
    if (rule.otherType == 0) {
        if (!IsCharacterType(other.GetObjectType())) {
            return false;
        }
    } else if (other.GetObjectType() != rule.otherType) {
        return false;
    }
    if (rule.authoritativeOnly && !authoritative) {
        return false;
    }
    return rule.rule != ECollisionRule::Jug || racer.GetControlKind() != CONTROL_NETWORK;
}

void MineHit(CRacerModel& racer, CItemModel& mine, bool authoritative) {
    const std::string& state = mine.GetStateMachine()->GetCurrentState();
    if (racer.CanBeHit() && authoritative && state != kMineDestroyStateName) {
        mine.ChangeState(kMineExplodeStateName);
    }
    CollisionHit(racer, mine.GetOwner(), [](CRacerModel& hit) -> CRacerModel::ItemHitEffectFunc* {
        auto* effect = new HitByMineFunc(&hit);
        effect->GetTimer().StartCountdown(kHitTime);
        effect->SetForce(CVector3(0.0f, kMineLift * hit.GetBody()->GetMass(), 0.0f));
        return effect;
    });
}

void DrillHit(CRacerModel& racer, CItemModel& drill) {
    if (CPathItemController* steer = drill.GetPathController()) {
        steer->SetHit(true);
    }
    CollisionHit(racer, drill.GetOwner(), [](CRacerModel& hit) -> CRacerModel::ItemHitEffectFunc* {
        auto* effect = new HitByDrillFunc(&hit);
        effect->SetSpin(kDrillSpin);
        effect->GetTimer().StartCountdown(kHitTime);
        return effect;
    });
}

void Apply(ECollisionRule rule, CRacerModel& racer, CKelvoModel& other, IRaceContext& race) {
    switch (rule) {
        case ECollisionRule::Jug:
            QueueWorldEvent(std::make_shared<CCreateItemEvt>(racer.GetID(), 0));
            break;
        case ECollisionRule::Ramp:
            racer.GetBody()->AddForce(-other.GetHeading() * (kRampPush * racer.GetBody()->GetMass()));
            break;
        case ECollisionRule::Mine:
            if (auto* mine = dynamic_cast<CItemModel*>(&other)) {
                MineHit(racer, *mine, race.IsAuthoritative());
            }
            break;
        case ECollisionRule::Drill:
            if (auto* drill = dynamic_cast<CItemModel*>(&other)) {
                DrillHit(racer, *drill);
            }
            break;
        case ECollisionRule::RockRelease:
            race.ReleaseRocks(&racer);
            break;
        case ECollisionRule::LogRelease:
            race.ReleaseLogs();
            break;
        case ECollisionRule::Finish:
            // The racer stays on the finish trigger for many frames: one row per racer.
            race.AddResultRow(racer.GetID());
            break;
        case ECollisionRule::Geyser: {
            CVector3 velocity = racer.GetLinearVelocity();
            velocity.y += kGeyserLift;
            racer.SetLinearVelocity(velocity);
            race.PlayGeyserSound(other.GetPosition());
            break;
        }
        default:
            break;
    }
}

} // namespace

ECollisionRule HandleItemCollision(std::uint32_t firstId, std::uint32_t secondId) {
    IRaceContext* race = GetRaceContext();
    if (race == nullptr) {
        return ECollisionRule::None;
    }
    auto* first = dynamic_cast<CKelvoModel*>(race->FindModel(firstId));
    auto* second = dynamic_cast<CKelvoModel*>(race->FindModel(secondId));
    if (first == nullptr || second == nullptr) {
        return ECollisionRule::None;
    }
    const bool authoritative = race->IsAuthoritative();
    for (const SRule& rule : kRules) {
        for (int side = 0; side < 2; ++side) {
            CKelvoModel& racer = side == 0 ? *first : *second;
            CKelvoModel& other = side == 0 ? *second : *first;
            auto* racerModel = dynamic_cast<CRacerModel*>(&racer);
            if (racerModel != nullptr && rule.rule == ECollisionRule::Finish && !authoritative &&
                Matches(rule, racer, other, true)) {
                // Not this machine's to decide, but kept should it take over as the server.
                race->NoteFinishCrossed(racerModel->GetID());
            }
            if (racerModel != nullptr && Matches(rule, racer, other, authoritative)) {
                Apply(rule.rule, *racerModel, other, *race);
                return rule.rule;
            }
        }
    }
    return ECollisionRule::None;
}

} // namespace kelvo
