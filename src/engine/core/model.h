// velm::CModel, the base of every world object's state: rigid body (shared), state machine
// (owned), drawing unit (not owned) and model-to-model attachment; deleting a model detaches it
// and its children, so no model points at a freed one. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace common {
class CVector3;
class CQuaternion;
class CStateMachine;
} // namespace common

namespace velm {

namespace phy {
class CRigidBody;
}

class CController;
class ISceneUnit;

class CModel {
public:
    CModel(const std::shared_ptr<phy::CRigidBody>& body, std::uint32_t id);
    CModel(const CModel&) = delete;
    CModel& operator=(const CModel&) = delete;

    virtual void Update(double time, float elapsed) = 0;
    virtual void SetPosition(const common::CVector3& position);
    virtual void SetLinearVelocity(const common::CVector3& velocity);
    virtual void SetOrientation(const common::CQuaternion& orientation);
    // True at once without a unit or when `index` already plays; otherwise the unit's answer.
    virtual bool SetAnimation(std::uint32_t index, bool loop);
    // Needs a unit.
    virtual bool IsAnimationDone();
    virtual ~CModel();

    common::CVector3 GetPosition() const;
    common::CVector3 GetLinearVelocity() const;
    common::CQuaternion GetOrientation() const;

    // Copies the name into the controller (when there is one), then switches the state machine,
    // which the model must have.
    void ChangeState(const std::string& stateName);

    // The first controller is only stored (its creator registers it with the game, which owns
    // it); a later one replaces the registered controller, which is deleted, and is owned by the
    // game's registry in its place.
    void SetController(CController* controller);
    void RemoveController();
    CController* GetController() const { return m_controller; }

    // Carries `child` (not owned) on this model's unit; a child carried elsewhere is detached
    // there first. Both models need units.
    void AttachModel(CModel* child, std::uint8_t followFrame, const std::string& frameName);
    void DetachModel(CModel* child);
    bool IsAttached() const { return m_parent != nullptr; }
    CModel* GetParent() const { return m_parent; }

    // Needs a unit.
    void ResetAnimation();
    // Without a unit these do nothing.
    void SetAnimationFlag(bool value);
    void SetAnimationSpeed(float speed);

    std::uint32_t GetID() const { return m_id; }
    const std::shared_ptr<phy::CRigidBody>& GetBody() const { return m_body; }
    ISceneUnit* GetSceneNode() const { return m_sceneNode; }
    // Not owned: the model's view owns its unit.
    void SetSceneNode(ISceneUnit* unit) { m_sceneNode = unit; }
    common::CStateMachine* GetStateMachine() const { return m_stateMachine; }

protected:
    std::uint32_t m_id;
    ISceneUnit* m_sceneNode = nullptr;
    std::shared_ptr<phy::CRigidBody> m_body;
    CController* m_controller = nullptr;
    // Created by the derived model, deleted here.
    common::CStateMachine* m_stateMachine = nullptr;
    CModel* m_parent = nullptr;

private:
    void Unlink(CModel* child);

    std::vector<CModel*> m_children;
};

} // namespace velm
