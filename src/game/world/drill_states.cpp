#include "game/world/drill_states.h"

#include <algorithm>

#include "engine/ai/ai_manager.h"
#include "engine/core/velm_app.h"
#include "game/world/item_model.h"
#include "game/world/race_context.h"
#include "game/world/weapon_data.h"
#include "libs/common/matrix3.h"
#include "libs/common/quaternion.h"

namespace kelvo {

namespace {

using common::CVector3;

constexpr const char* kDrillPathName = "stage1hard";
constexpr float kLookAheadDot = 0.8f;
constexpr std::uint32_t kSearchLimit = 10;
constexpr std::uint32_t kWindow = 10;
constexpr float kArrival = 2.5f;

const velm::ai::CAIManager* g_pathSource = nullptr;

const velm::ai::CWaypointPath* FindDrillPath() {
    const velm::ai::CAIManager* manager = g_pathSource;
    if (manager == nullptr && velm::GetApp() != nullptr) {
        manager = velm::GetApp()->GetAIManager();
    }
    return manager != nullptr ? manager->FindPath(kDrillPathName) : nullptr;
}

CVector3 Flat(const CVector3& v) { return CVector3(v.x, 0.0f, v.z); }

// The AI's nearest-waypoint search, so that drills and computer racers agree on where a racer is.
std::uint32_t NearestWaypoint(const std::vector<velm::ai::CWaypointData>& path, const CVector3& position) {
    return static_cast<std::uint32_t>(velm::ai::FindNearestWaypoint(path, position));
}

// Faces the drill along its velocity, upright.
void FaceAlong(CItemModel* drill, const CVector3& velocity) {
    // Standing still it keeps its facing: a zero direction has no upright frame.
    if (velocity.x * velocity.x + velocity.z * velocity.z < 1e-12f) {
        return;
    }
    const CVector3 f = velocity.GetNormalized();
    const CVector3 u(0.0f, 1.0f, 0.0f);
    const CVector3 s = f.Cross(u).GetNormalized();
    common::CMatrix3 m;
    m.Set(f.x, -s.x, u.x, f.y, -s.y, u.y, f.z, -s.z, u.z);
    drill->SetOrientation(common::QuaternionFromMatrix(m));
}

// Heads the drill along `towards` at its speed, keeping its vertical speed. At launch it faces
// along that heading; in flight along the velocity it then has.
void Steer(CItemModel* drill, const CVector3& towards, bool launch = false) {
    const CVector3 w = towards.GetNormalized() * data::Drill().m_hForce;
    const CVector3 velocity(w.x, drill->GetLinearVelocity().y, w.z);
    drill->SetLinearVelocity(velocity);
    FaceAlong(drill, launch ? w : velocity);
}

} // namespace

void SetDrillPathSource(const velm::ai::CAIManager* manager) { g_pathSource = manager; }

void CDrillNetworkStateInit::operator()() const { SetNext(kDrillNetworkStateName); }
void CDrillNetworkStateAction::operator()() const { NetworkStep(State<CDrillBaseState>(), kDrillSpinStateName); }
void CDrillNetworkStateExit::operator()() const {
    AttachToOwner(State<CDrillBaseState>().GetModel(), 1, data::Drill().m_bone, "root");
}

void CDrillSpinStateInit::operator()() const {
    CItemModel* drill = State<CDrillSpinState>().GetModel();
    SetNext(kDrillSpinStateName);
    CRacerModel* owner = drill->GetOwner();
    CPathItemController* steer = drill->GetPathController();
    const velm::ai::CWaypointPath* path = FindDrillPath();
    if (owner == nullptr || steer == nullptr || path == nullptr || path->m_waypoints.size() < 2) {
        DetachFromOwner(drill);
        SetNext(kDrillDestroyStateName);
        return;
    }
    const CVector3 start = owner->GetPosition();
    drill->SetPosition(start);
    DetachFromOwner(drill);
    steer->SetPath(*path);
    const std::vector<velm::ai::CWaypointData>& points = steer->GetWaypoints();
    const auto count = static_cast<std::uint32_t>(points.size());

    std::uint32_t idx = NearestWaypoint(points, start);
    CVector3 w = points[idx].m_position;
    const CVector3 facing = owner->GetHeading();
    float d = facing.Dot((w - start).GetNormalized());
    if (d < kLookAheadDot) {
        for (std::uint32_t counter = 1;; ++counter) {
            if (counter == kSearchLimit) {
                w = points[idx - 9].m_position;
                break;
            }
            if (idx >= count) {
                break;
            }
            w = points[idx].m_position;
            d = facing.Dot((w - start).GetNormalized());
            ++idx;
            if (d >= kLookAheadDot) {
                break;
            }
        }
    }
    const std::uint32_t limit = std::min(idx + kWindow, count - 1);
    steer->SetWaypointIndex(idx);

    std::uint32_t t = limit;
    CRacerModel* target = nullptr;
    steer->SetTargetId(0);
    steer->SetTargetPoint(Flat(points[limit].m_position));
    if (owner->GetRaceRank() > 1) {
        IRaceContext* race = GetRaceContext();
        for (velm::CModel* model : race->GetRacers()) {
            auto* racer = dynamic_cast<CRacerModel*>(model);
            if (racer != nullptr && racer->GetRaceRank() == owner->GetRaceRank() - 1) {
                target = racer;
                break;
            }
        }
        if (target != nullptr) {
            steer->SetTargetId(target->GetID());
            t = NearestWaypoint(points, target->GetPosition());
        }
    }
    CVector3 destination = w;
    steer->SetHoming(false);
    if (t <= idx && target != nullptr) {
        destination = target->GetPosition();
        steer->SetHoming(true);
    }
    steer->SetWaypointPoint(Flat(destination));
    Steer(drill, destination - start, true);
    if (CItemView* view = drill->GetItemView()) {
        view->Play(1);
    }
}

void CDrillSpinStateAction::operator()() const {
    CItemModel* drill = State<CDrillSpinState>().GetModel();
    CPathItemController* steer = drill->GetPathController();
    if (State<CDrillSpinState>().GetNextState() == kDrillDestroyStateName) {
        return;
    }
    if (steer == nullptr) {
        SetNext(kDrillDestroyStateName);
        return;
    }
    const CVector3 p = Flat(drill->GetPosition());
    if (steer->GetTargetId() != 0) {
        CRacerModel* target = FindRacerModel(steer->GetTargetId());
        if (target == nullptr) {
            SetNext(kDrillDestroyStateName);
            return;
        }
        steer->SetTargetPoint(Flat(target->GetPosition()));
    }
    const CVector3 v1 = (steer->IsHoming() ? steer->GetTargetPoint() : steer->GetWaypointPoint()) - p;
    const CVector3 v2 = steer->GetTargetPoint() - p;
    if (!steer->IsHoming() && v1.Length() > v2.Length()) {
        if (steer->GetTargetId() != 0) {
            steer->SetHoming(true);
            steer->SetWaypointPoint(steer->GetTargetPoint());
        } else {
            SetNext(kDrillDestroyStateName);
        }
    } else if (v1.Length() < kArrival || v1.GetNormalized().Dot(drill->GetLinearVelocity().GetNormalized()) < 0.0f) {
        if (steer->IsHoming()) {
            if (steer->HasHit()) {
                SetNext(kDrillDestroyStateName);
            }
        } else {
            const std::uint32_t idx = steer->GetWaypointIndex() + 1;
            const auto count = static_cast<std::uint32_t>(steer->GetWaypoints().size());
            if (idx + 1 >= count) {
                SetNext(kDrillDestroyStateName);
            } else {
                steer->SetWaypointIndex(idx);
                steer->SetWaypointPoint(Flat(steer->GetWaypoints()[idx].m_position));
            }
        }
    }
    Steer(drill, v1);
}

void CDrillSpinStateExit::operator()() const {
    if (CItemView* view = State<CDrillSpinState>().GetModel()->GetItemView()) {
        view->Stop();
    }
}

void CDrillDestroyStateInit::operator()() const {
    SetNext(kDrillDestroyStateName);
    QueueDestroy(State<CDrillBaseState>().GetModel());
}

void BuildDrillMachine(CItemModel* item) {
    common::CStateMachine& machine = *item->GetStateMachine();
    machine.AddState(kDrillNetworkStateName, new CDrillBaseState(item, CDrillNetworkStateInit(),
                                                                 CDrillNetworkStateAction(), CDrillNetworkStateExit()));
    machine.AddState(kDrillSpinStateName,
                     new CDrillSpinState(item, CDrillSpinStateInit(), CDrillSpinStateAction(), CDrillSpinStateExit()));
    machine.AddState(kDrillDestroyStateName,
                     new CDrillBaseState(item, CDrillDestroyStateInit(), CItemNoOp(), CItemNoOp()));
    machine.ChangeState(kDrillNetworkStateName);
    item->SetAnimationSpeed(2.0f);
}

} // namespace kelvo
