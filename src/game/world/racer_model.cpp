#include "game/world/racer_model.h"

#include <cstdio>

#include "engine/core/object_id.h"
#include "engine/core/velm_app.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/gfx/particle_sys_registry.h"
#include "engine/net/network_manager.h"
#include "engine/phy/buoyancy_force.h"
#include "engine/phy/ext_force_cntrl.h"
#include "engine/phy/height_map.h"
#include "engine/phy/physics_world.h"
#include "engine/phy/rigid_body.h"
#include "engine/phy/simulator.h"
#include "game/events/creation_events.h"
#include "game/events/game_events.h"
#include "game/world/item_model.h"
#include "game/world/race_context.h"
#include "game/world/race_hud.h"
#include "game/world/racer_controller.h"
#include "game/world/racer_states.h"
#include "game/world/racer_tuning.h"
#include "game/world/racer_view.h"
#include "libs/common/quaternion.h"
#include "libs/common/state_machine.h"

namespace kelvo {

namespace {

CRacerModel::TrailLookup g_trailLookup = nullptr;

const SRacerTuning kNoTuning{};

} // namespace

void CRacerModel::SetTrailLookup(TrailLookup lookup) { g_trailLookup = lookup; }

CRacerModel::CRacerModel(const std::shared_ptr<velm::phy::CRigidBody>& body, std::uint32_t id) : CKelvoModel(body, id) {
    m_airDrag = std::make_shared<velm::phy::AirDrag>(m_body.get());
    m_airDrag->SetLinearDrag(0.3f);
    m_airDrag->SetAngularDrag(0.6f);
    m_body->SetForceCntrl(velm::phy::kAirDragForceName, m_airDrag);
    m_thrust = std::make_shared<velm::phy::ThrustForce>(m_body.get());
    m_body->SetForceCntrl(velm::phy::kThrustForceName, m_thrust);

    m_stateMachine = new common::CStateMachine();
    AddRacerStates(*m_stateMachine, this);
    m_stateMachine->ChangeState(kNetworkStateName);

    if (!IsNetworkClient()) {
        m_trailId = velm::NewObjectID();
        const common::CVector3 axis(0.0f, 1.0f, 0.0f);
        const common::CVector3 scale(0.011f, 0.011f, 0.011f);
        TriggerWorldEvent(CCreateParticleSysFromKeyEvt("trail", m_trailId, 0, GetPosition(), &axis, 0.0f, &scale));
        if (velm::gfx::IGfxUnit* trail = GetTrail()) {
            trail->SetSkipped(1);
        }
    }
}

CRacerModel::~CRacerModel() {
    IRaceContext* race = GetRaceContext();
    const std::set<std::uint32_t> items = m_items;
    m_items.clear();
    if (race != nullptr) {
        for (std::uint32_t item : items) {
            if (item != m_id) {
                race->RemoveObject(item);
            }
        }
    }
    m_hitEffect.reset();
    // The wake lives as long as its racer: left behind, every race would add six more.
    if (m_trailId != 0) {
        velm::gfx::DestroyParticleSystem(m_trailId);
    }
}

velm::gfx::IGfxUnit* CRacerModel::GetTrail() const {
    return m_trailId != 0 && g_trailLookup != nullptr ? g_trailLookup(m_trailId) : nullptr;
}

CRacerController* CRacerModel::GetRacerController() const { return dynamic_cast<CRacerController*>(m_controller); }

CRacerView* CRacerModel::GetRacerView() const {
    IRaceContext* race = GetRaceContext();
    if (race == nullptr) {
        return nullptr;
    }
    return dynamic_cast<CRacerView*>(race->FindView(m_id));
}

velm::phy::BuoyancyForce* CRacerModel::GetBuoyancy() const {
    return dynamic_cast<velm::phy::BuoyancyForce*>(m_body->GetForceCntrl(velm::phy::kBuoyancyForceName).get());
}

void CRacerModel::BindTuning() {
    if (m_tuning != nullptr) {
        return;
    }
    SRacerTuning* entry = FindRacerTuning(static_cast<int>(m_objectType));
    if (entry != nullptr) {
        SetTuning(entry);
    } else if (!m_missingTuningLogged) {
        m_missingTuningLogged = true;
        std::fprintf(stderr, "Racer %u: character type %u has no tuning; it stays without thrust\n", m_id,
                     m_objectType);
    }
}

void CRacerModel::SetTuning(SRacerTuning* entry) {
    m_tuning = entry;
    m_thrust->SetScale(entry != nullptr ? entry->accel : 0.0f);
}

float CRacerModel::GetMaxSpeed() {
    BindTuning();
    return (m_tuning != nullptr ? *m_tuning : kNoTuning).maxSpeed;
}

float CRacerModel::GetTurning() {
    BindTuning();
    return (m_tuning != nullptr ? *m_tuning : kNoTuning).turning;
}

float CRacerModel::GetAccel() {
    BindTuning();
    return (m_tuning != nullptr ? *m_tuning : kNoTuning).accel;
}

void CRacerModel::Update(double time, float elapsed) {
    CRacerController* controller = GetRacerController();
    BindTuning();
    m_stateMachine->Update();
    if (m_hitEffect && !(*m_hitEffect)(time, elapsed)) {
        m_hitEffect.reset();
        ChangeState(kIdleStateName);
    }
    m_thrust->SetScale(GetAccel());
    if (controller == nullptr) {
        return;
    }
    if (IsAttached()) {
        CopyPoseFromUnit();
    }
    if (IsNetworkedGame() && !m_body->IsAsleep()) {
        m_positionAccumulator += elapsed;
        if (m_positionAccumulator > m_positionInterval) {
            TriggerWorldEvent(CPositionUpdate(GetPosition(), GetLinearVelocity(), GetOrientation(), m_id,
                                              velm::net::GetLocalClientId()));
            m_positionAccumulator = 0.0f;
        }
    }
    const common::CVector3 spin = m_body->GetAngularVelocity();
    if (spin.LengthSquared() > 100.0f) {
        m_body->SetAngularVelocity(spin * 0.2f);
    }
}

bool CRacerModel::AnimationDone() { return m_sceneNode == nullptr || m_sceneNode->IsAnimationDone(); }

int CRacerModel::CurrentAnimation() const { return m_sceneNode == nullptr ? -1 : m_sceneNode->GetCurrentAnimation(); }

void CRacerModel::RestartAnimation() {
    if (m_sceneNode != nullptr) {
        ResetAnimation();
    }
}

bool CRacerModel::SetAnimation(std::uint32_t index, bool loop) {
    if (m_sceneNode != nullptr) {
        const int current = m_sceneNode->GetCurrentAnimation();
        if ((current == 0 || current == 7 || current == 8) && !m_sceneNode->IsAnimationDone() && index != 12) {
            return true;
        }
    }
    const bool result = CKelvoModel::SetAnimation(index, loop);
    if (m_controlKind == CONTROL_LOCAL_PLAYER || m_controlKind == CONTROL_LOCAL_OTHER) {
        QueueWorldEvent(std::make_shared<CAniChangeEvt>(index, m_id));
    }
    return result;
}

void CRacerModel::ReplicateState() const {
    TriggerWorldEvent(CChangeRacerStateEvt(m_invincible != 0, m_id, m_boost, m_speedScale));
}

void CRacerModel::SetSpeedScale(float scale) {
    m_speedScale = scale;
    if (IsNetworkHost()) {
        ReplicateState();
    }
}

void CRacerModel::SetBoost(float boost) {
    m_boost = boost;
    if (IsNetworkHost()) {
        ReplicateState();
    }
}

void CRacerModel::SetInvincible(bool invincible) {
    const std::uint8_t old = m_invincible;
    m_invincible = invincible ? 1 : 0;
    if (IsNetworkedGame() && old != m_invincible) {
        ReplicateState();
    }
}

void CRacerModel::TakeHit(ItemHitEffectFunc* effect) {
    std::unique_ptr<ItemHitEffectFunc> held(effect);
    if (!held || !CanBeHit()) {
        return;
    }
    m_hitEffect = std::move(held);
    m_hitEffect->OnAccepted();
    IRaceContext* race = GetRaceContext();
    if (race != nullptr && race->GetHUD() != nullptr) {
        race->GetHUD()->StartIconSpin(m_id, 4);
    }
    TriggerWorldEvent(CIconSpinEvt(m_id));
    ChangeState(kHurtStateName);
}

void CRacerModel::AttachItem(CItemModel* item, std::uint8_t followFrame, const std::string& frameName) {
    if (item == nullptr || item->GetParent() == this || m_hasAttachedItem != 0) {
        return;
    }
    AttachModel(item, followFrame, frameName);
    m_hasAttachedItem = 1;
}

void CRacerModel::DetachItem(CItemModel* item) {
    if (m_hasAttachedItem == 0 || item == nullptr) {
        return;
    }
    DetachModel(item);
    m_hasAttachedItem = 0;
}

bool CRacerModel::FindAttachedItem(CItemModel*& item) const {
    IRaceContext* race = GetRaceContext();
    if (race == nullptr) {
        return false;
    }
    for (std::uint32_t id : m_items) {
        auto* model = dynamic_cast<CItemModel*>(race->FindModel(id));
        if (model != nullptr && model->IsAttached()) {
            item = model;
            return true;
        }
    }
    return false;
}

velm::phy::CHeightMap* CRacerModel::GetHeightGrid() {
    velm::CVelmApp* app = velm::GetApp();
    if (app == nullptr || app->GetPhysicsWorld() == nullptr) {
        return nullptr;
    }
    const velm::phy::CSimulator& simulator = app->GetPhysicsWorld()->GetSimulator();
    const common::CVector3 position = GetPosition();
    if (m_heightGrid != nullptr) {
        // The cached grid counts only while the world still holds it.
        for (const auto& map : simulator.GetHeightMaps()) {
            if (map.get() == m_heightGrid && m_heightGrid->Contains(position.x, position.z)) {
                return m_heightGrid;
            }
        }
    }
    m_heightGrid = simulator.FindHeightMapAt(position.x, position.z);
    return m_heightGrid;
}

velm::phy::CWaterField* CRacerModel::GetWaterCell() const {
    velm::phy::BuoyancyForce* buoyancy = GetBuoyancy();
    return buoyancy != nullptr ? buoyancy->GetWaterField() : nullptr;
}

} // namespace kelvo
