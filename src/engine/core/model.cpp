#include "engine/core/model.h"

#include <algorithm>

#include "engine/core/controller.h"
#include "engine/core/velm_app.h"
#include "engine/core/velm_game.h"
#include "engine/gfx/scene_unit.h"
#include "engine/phy/rigid_body.h"
#include "libs/common/quaternion.h"
#include "libs/common/state_machine.h"
#include "libs/common/vector3.h"

namespace velm {
namespace {

CVelmGame::ControllerMap* GameControllers() {
    CVelmApp* app = GetApp();
    if (app == nullptr || app->GetGame() == nullptr) {
        return nullptr;
    }
    return &app->GetGame()->GetControllers();
}

// Deletes the registered controller under `id`, if any, unless it is `keep`: handing a model the
// controller it already has must not free it.
void DeleteRegisteredController(std::uint32_t id, const CController* keep = nullptr) {
    CVelmGame::ControllerMap* controllers = GameControllers();
    if (controllers == nullptr) {
        return;
    }
    const auto found = controllers->find(id);
    if (found != controllers->end() && found->second != keep) {
        CController* doomed = found->second;
        controllers->erase(found);
        delete doomed;
    }
}

} // namespace

CModel::CModel(const std::shared_ptr<phy::CRigidBody>& body, std::uint32_t id) : m_id(id), m_body(body) {}

CModel::~CModel() {
    // Children and parent may outlive this model; neither may keep a pointer to it, nor may a
    // unit keep carrying the unit of a model that is gone.
    for (CModel* child : m_children) {
        if (m_sceneNode != nullptr && child->m_sceneNode != nullptr) {
            m_sceneNode->DetachFromFrame(child->m_sceneNode);
        }
        child->m_parent = nullptr;
    }
    if (m_parent != nullptr) {
        m_parent->DetachModel(this);
    }
    delete m_stateMachine;
}

void CModel::SetPosition(const common::CVector3& position) { m_body->SetPosition(position); }

void CModel::SetLinearVelocity(const common::CVector3& velocity) { m_body->SetLinearVelocity(velocity); }

void CModel::SetOrientation(const common::CQuaternion& orientation) { m_body->SetOrientation(orientation); }

bool CModel::SetAnimation(std::uint32_t index, bool loop) {
    if (m_sceneNode == nullptr || m_sceneNode->GetCurrentAnimation() == static_cast<int>(index)) {
        return true;
    }
    return m_sceneNode->SetAnimation(index, loop);
}

bool CModel::IsAnimationDone() { return m_sceneNode->IsAnimationDone(); }

common::CVector3 CModel::GetPosition() const { return m_body->GetPosition(); }

common::CVector3 CModel::GetLinearVelocity() const { return m_body->GetLinearVelocity(); }

common::CQuaternion CModel::GetOrientation() const { return m_body->GetOrientation(); }

void CModel::ChangeState(const std::string& stateName) {
    if (m_controller != nullptr) {
        m_controller->SetStateName(stateName);
    }
    m_stateMachine->ChangeState(stateName);
}

void CModel::SetController(CController* controller) {
    if (m_controller == nullptr) {
        m_controller = controller;
        return;
    }
    DeleteRegisteredController(m_id, controller);
    CVelmGame::ControllerMap* controllers = GameControllers();
    if (controllers != nullptr) {
        controllers->insert({m_id, controller});
    }
    m_controller = controller;
}

void CModel::RemoveController() {
    if (m_controller == nullptr) {
        return;
    }
    DeleteRegisteredController(m_id);
    m_controller = nullptr;
}

void CModel::AttachModel(CModel* child, std::uint8_t followFrame, const std::string& frameName) {
    if (child->m_parent != nullptr) {
        child->m_parent->DetachModel(child);
    }
    m_sceneNode->AttachToFrame(child->m_sceneNode, followFrame, frameName);
    m_sceneNode->Update(0.0, 0.0f);
    child->m_parent = this;
    m_children.push_back(child);
}

void CModel::DetachModel(CModel* child) {
    if (child->m_parent == nullptr) {
        return;
    }
    // The child's own parent lets go of it, so no parent keeps a stale child entry.
    CModel* parent = child->m_parent;
    if (parent->m_sceneNode != nullptr && child->m_sceneNode != nullptr) {
        parent->m_sceneNode->DetachFromFrame(child->m_sceneNode);
    }
    parent->Unlink(child);
    child->m_parent = nullptr;
}

void CModel::Unlink(CModel* child) {
    m_children.erase(std::remove(m_children.begin(), m_children.end(), child), m_children.end());
}

void CModel::ResetAnimation() { m_sceneNode->ResetAnimation(); }

void CModel::SetAnimationFlag(bool value) {
    if (m_sceneNode != nullptr) {
        m_sceneNode->SetAnimationDone(value);
    }
}

void CModel::SetAnimationSpeed(float speed) {
    if (m_sceneNode != nullptr) {
        m_sceneNode->SetAnimationSpeed(speed);
    }
}

} // namespace velm
