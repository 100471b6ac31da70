#include "engine/core/model_manip.h"

#include "engine/core/model.h"
#include "engine/core/picker.h"
#include "engine/gfx/gfx_unit.h"
#include "libs/common/quaternion.h"
#include "libs/common/singleton.h"

namespace velm {

namespace {

gfx::IGfxUnit* UnitOf(const CModel* model) { return dynamic_cast<gfx::IGfxUnit*>(model->GetSceneNode()); }

} // namespace

CModel* ACModelManip::Target() {
    return HasSelection() ? common::CSingleton<CPicker>::Instance().GetSelected() : nullptr;
}

void ACModelManip::MoveX(float delta) {
    if (CModel* model = Target()) {
        common::CVector3 position = model->GetPosition();
        position.x += delta;
        model->SetPosition(position);
    }
}

void ACModelManip::MoveY(float delta) {
    if (CModel* model = Target()) {
        common::CVector3 position = model->GetPosition();
        position.y += delta;
        model->SetPosition(position);
    }
}

void ACModelManip::MoveZ(float delta) {
    if (CModel* model = Target()) {
        common::CVector3 position = model->GetPosition();
        position.z += delta;
        model->SetPosition(position);
    }
}

void ACModelManip::SetPosition(float x, float y, float z) {
    if (CModel* model = Target()) {
        model->SetPosition(common::CVector3(x, y, z));
    }
}

void ACModelManip::SetScale(float x, float y, float z) {
    CModel* model = Target();
    gfx::IGfxUnit* unit = model != nullptr ? UnitOf(model) : nullptr;
    if (unit != nullptr) {
        unit->SetScale(x, y, z, true);
    }
}

void ACModelManip::SetRotation(const common::CVector3& axis, float angle) {
    if (CModel* model = Target()) {
        common::CQuaternion orientation;
        orientation.FromAxisAngle(axis, angle);
        model->SetOrientation(orientation);
    }
}

common::CVector3 ACModelManip::GetPosition() {
    CModel* model = Target();
    return model != nullptr ? model->GetPosition() : common::CVector3();
}

common::CVector3 ACModelManip::GetScale() {
    CModel* model = Target();
    const gfx::IGfxUnit* unit = model != nullptr ? UnitOf(model) : nullptr;
    return unit != nullptr ? common::CVector3(unit->GetScaleX(), unit->GetScaleY(), unit->GetScaleZ())
                           : common::CVector3();
}

common::CVector3 ACModelManip::GetRotationAxis() {
    CModel* model = Target();
    const gfx::IGfxUnit* unit = model != nullptr ? UnitOf(model) : nullptr;
    if (unit == nullptr) {
        return common::CVector3();
    }
    const D3DXVECTOR3 axis = unit->GetRotationAxis();
    return common::CVector3(axis.x, axis.y, axis.z);
}

float ACModelManip::GetRotationAngle() {
    CModel* model = Target();
    const gfx::IGfxUnit* unit = model != nullptr ? UnitOf(model) : nullptr;
    return unit != nullptr ? unit->GetRotationAngle() : 0.0f;
}

bool ACModelManip::HasSelection() {
    const CPicker& picker = common::CSingleton<CPicker>::Instance();
    return picker.IsEnabled() && picker.HasSelected();
}

} // namespace velm
