// Stand-ins for picking: a graphics unit whose world sphere the test chooses, and a model that
// owns such a unit as its scene node.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/core/model.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/phy/rigid_body.h"

namespace tktest {

class CSphereUnit : public velm::gfx::CGfxUnit {
public:
    explicit CSphereUnit(const common::CSphere& sphere) : m_sphere(sphere) {}
    common::CSphere GetWorldBoundingSphere() const override { return m_sphere; }
    common::CSphere m_sphere;
};

class CPickModel : public velm::CModel {
public:
    CPickModel(std::uint32_t id, velm::ISceneUnit* unit) : velm::CModel(std::make_shared<velm::phy::CRigidBody>(), id) {
        SetSceneNode(unit);
    }
    ~CPickModel() override { delete m_sceneNode; }
    void Update(double, float) override {}
};

} // namespace tktest
