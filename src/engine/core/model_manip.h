// velm::ACModelManip, the base of the editing tools' manipulators: moves, scales and turns the
// model the picker has selected. Every operation acts only while the picker is enabled and a
// model is selected; the getters answer zeros otherwise. Main thread only.
#pragma once

#include "libs/common/vector3.h"

namespace velm {

class CModel;
namespace input {
struct SInputEvent;
}

class ACModelManip {
public:
    virtual ~ACModelManip() = default;

    virtual bool HandleInput(const input::SInputEvent& event) = 0;
    virtual void MoveX(float delta);
    virtual void MoveY(float delta);
    virtual void MoveZ(float delta);
    virtual void SetPosition(float x, float y, float z);
    virtual void SetScale(float x, float y, float z);
    virtual void SetRotation(const common::CVector3& axis, float angle);
    virtual common::CVector3 GetPosition();
    virtual common::CVector3 GetScale();
    virtual common::CVector3 GetRotationAxis();
    virtual float GetRotationAngle();
    virtual bool HasSelection();

private:
    // The selected model when HasSelection says so, else null.
    CModel* Target();
};

} // namespace velm
