#include "game/world/racer_controller.h"

#include <cmath>

#include "engine/ai/ai_manager.h"
#include "engine/core/velm_app.h"
#include "game/events/game_events.h"
#include "game/world/item_model.h"
#include "game/world/race_context.h"
#include "game/world/racer_model.h"
#include "game/world/racer_states.h"
#include "game/world/tumbo_kelvo_camera.h"
#include "libs/common/script_manager.h"

namespace kelvo {

namespace {

using common::CVector3;

const CVector3 kUp(0.0f, 1.0f, 0.0f);
constexpr float kRiverHalfWidth = 24.0f;

// DirectInput's key codes: 1 to 217 and 221 to 252.
bool IsValidKeyCode(std::uint32_t code) { return (code >= 1 && code <= 217) || (code >= 221 && code <= 252); }

bool KeyDown(const velm::input::SInputEvent& key) { return key.m_value == 0; }

bool Later(const velm::input::SInputEvent& a, const velm::input::SInputEvent& b) {
    return static_cast<std::int32_t>(a.m_sequence - b.m_sequence) > 0;
}

std::unique_ptr<velm::ai::AIEnemy> CreateRaceAI(const CRacerModel& model) {
    IRaceContext* race = GetRaceContext();
    return race != nullptr
               ? race->CreateEnemyAI(static_cast<int>(model.GetObjectType()), static_cast<int>(model.GetID()))
               : nullptr;
}

} // namespace

float RubberBand(std::uint32_t rank, std::uint32_t controlKind) {
    const bool player = controlKind == CONTROL_LOCAL_PLAYER;
    switch (rank) {
        case 1:
        case 2:
            return player ? 0.9f : 1.05f;
        case 3:
        case 4:
            return player ? 1.0f : 1.15f;
        case 5:
        case 6:
            return player ? 1.1f : 1.25f;
        default:
            return 0.0f;
    }
}

CRacerController::CRacerController(CRacerModel* model)
    : velm::CController(model->GetID()),
      m_model(model),
      m_camera(std::make_unique<CTumboKelvoCamera>("RaceCameraInit.xml")) {
    m_stateName = kIdleStateName;
    m_camera->SetTarget(model);
    RebuildDirections();
    m_desired = m_forward;
}

CRacerController::~CRacerController() = default;

void CRacerController::RebuildDirections() {
    const CVector3 look = m_camera->GetTarget() - m_camera->GetEye();
    m_forward = CVector3(look.x, 0.0f, look.z).GetNormalized();
    m_side = m_forward.Cross(kUp);
    m_oppositeSide = -m_side;
    m_forwardSide = (m_forward + m_side).GetNormalized();
    m_forwardOpposite = (m_forward + m_oppositeSide).GetNormalized();
}

void CRacerController::Update(double /*time*/, float elapsed) {
    const CVector3 position = m_model->GetPosition();
    if (std::fabs(position.x) > kRiverHalfWidth) {
        m_model->SetPosition(CVector3(0.0f, position.y + 3.0f, position.z));
    }
    const float base = m_model->GetMaxSpeed() * RubberBand(m_model->GetRaceRank(), m_model->GetControlKind()) *
                       m_model->GetSpeedScale();
    m_thrust = m_paddling != 0 ? base : base * m_model->GetBoost();
    m_camera->Update(elapsed);
    RebuildDirections();
}

void CRacerController::ReleaseAttachedItem() {
    CItemModel* item = nullptr;
    if (m_model->FindAttachedItem(item)) {
        QueueWorldEvent(std::make_shared<CItemShouldDetachEvt>(item->GetID()));
        item->SetShouldDetach(true);
    }
}

CHumanRacerContr::CHumanRacerContr(CRacerModel* model) : CRacerController(model) {
    IRaceContext* race = GetRaceContext();
    if (race != nullptr && common::CScriptManager::GetInstance()->GetGlobalBool("RECORD_INPUT")) {
        m_recorder = race->CreateDrivingRecorder(static_cast<int>(model->GetObjectType()));
    }
}

CHumanRacerContr::~CHumanRacerContr() = default;

bool CHumanRacerContr::HandleInput(const velm::input::SInputEvent& event) {
    if (event.m_code == m_up.m_code) {
        m_up = event;
    } else if (event.m_code == m_left.m_code) {
        m_left = event;
    } else if (event.m_code == m_right.m_code) {
        m_right = event;
    } else if (event.m_code == m_space.m_code) {
        m_space = event;
        FireStep();
    } else {
        return false;
    }
    return true;
}

void CHumanRacerContr::FireStep() {
    if (!IsValidKeyCode(m_space.m_code)) {
        return;
    }
    if (KeyDown(m_space)) {
        m_stateName = kFireWeaponStateName;
    } else {
        ReleaseAttachedItem();
    }
}

void CHumanRacerContr::Update(double time, float elapsed) {
    const std::vector<double> samples{m_forwardFlag ? 1.0 : 0.0, m_leftFlag ? 1.0 : 0.0, m_rightFlag ? 1.0 : 0.0};
    if (m_recorder) {
        velm::CVelmApp* app = velm::GetApp();
        const velm::ai::CWaypointPath* path =
            app != nullptr && app->GetAIManager() != nullptr ? app->GetAIManager()->FindPath("stage1hard") : nullptr;
        static const std::vector<velm::ai::CWaypointData> kNoWaypoints;
        m_recorder->Record(m_model, samples, path != nullptr ? path->m_waypoints : kNoWaypoints);
    }
    CRacerController::Update(time, elapsed);
    SteeringStep();
}

void CHumanRacerContr::SteeringStep() {
    if (!IsValidKeyCode(m_up.m_code)) {
        return;
    }
    m_forwardFlag = m_leftFlag = m_rightFlag = 0;
    const bool up = KeyDown(m_up);
    const bool left = KeyDown(m_left);
    const bool right = KeyDown(m_right);
    const bool leftWins = left && (!right || Later(m_left, m_right));
    const bool rightWins = right && (!left || Later(m_right, m_left));
    m_paddling = 1;
    if (up && !left && !right) {
        m_desired = m_forward;
        m_forwardFlag = 1;
    } else if (up && leftWins) {
        m_desired = m_forwardSide;
        m_leftFlag = m_forwardFlag = 1;
    } else if (up && rightWins) {
        m_desired = m_forwardOpposite;
        m_rightFlag = m_forwardFlag = 1;
    } else if (!up && leftWins) {
        m_desired = m_side;
        m_leftFlag = 1;
    } else if (!up && rightWins) {
        m_desired = m_oppositeSide;
        m_rightFlag = 1;
    } else {
        m_desired = m_forward;
        m_paddling = 0;
    }
}

CAIRacerContr::CAIRacerContr(CRacerModel* model, velm::ai::AIEnemy* ai)
    : CRacerController(model), m_ai(ai != nullptr ? std::unique_ptr<velm::ai::AIEnemy>(ai) : CreateRaceAI(*model)) {}

CAIRacerContr::~CAIRacerContr() = default;

void CAIRacerContr::Update(double time, float elapsed) {
    m_paddling = 0;
    velm::ai::SRacerInfo self;
    self.m_heading = m_forward;
    velm::ai::SDriveInput drive;
    if (m_ai) {
        m_ai->Update(drive, self, {}, elapsed);
    }
    if (drive.m_stuck) {
        bool given = false;
        common::CScriptManager::GetInstance()->CallFunction("GiveItem", "si>b", "propeller",
                                                            static_cast<int>(m_model->GetID()), &given);
    }
    if (drive.m_fire && m_previousFire == 0) {
        m_stateName = kFireWeaponStateName;
    } else if (!drive.m_fire && m_previousFire != 0) {
        ReleaseAttachedItem();
    }
    m_previousFire = drive.m_fire ? 1 : 0;
    const bool any = drive.Any();
    if (any) {
        m_paddling = 1;
        if (drive.m_forward && drive.m_left) {
            m_desired = m_forwardSide;
        } else if (drive.m_forward && drive.m_right) {
            m_desired = m_forwardOpposite;
        } else if (drive.m_forward) {
            m_desired = m_forward;
        } else if (drive.m_right) {
            m_desired = m_oppositeSide;
        } else if (drive.m_left) {
            m_desired = m_side;
        }
    }
    CRacerController::Update(time, elapsed);
}

} // namespace kelvo
