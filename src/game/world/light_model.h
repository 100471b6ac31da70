// Lights in the world: kelvo::CLightModel keeps a light record whose position follows the
// model and, on request, the scene's light; kelvo::CLightView moves the light's marker unit and
// the light's own unit with it. The own unit is owned by the model. Main thread only.
#pragma once

#include <memory>

#include "engine/core/view.h"
#include "game/world/kelvo_model.h"
#include "platform/d3d9/d3d9.h"

namespace kelvo {

class CLightModel : public CKelvoModel {
public:
    CLightModel(const std::shared_ptr<velm::phy::CRigidBody>& body, std::uint32_t id);
    ~CLightModel() override;
    void Update(double /*time*/, float /*elapsed*/) override {}
    // With `updateLight` the scene's light (slot 0) takes the record.
    virtual void SetPosition(const common::CVector3& position, bool updateLight);
    using CKelvoModel::SetPosition;

    D3DLIGHT9& GetLight() { return m_light; }
    velm::gfx::IGfxUnit* GetOwnUnit() const { return m_ownUnit; }
    // Takes ownership.
    void SetOwnUnit(velm::gfx::IGfxUnit* unit);

private:
    D3DLIGHT9 m_light{};
    velm::gfx::IGfxUnit* m_ownUnit = nullptr;
};

class CLightView : public velm::CView {
public:
    using velm::CView::CView;
    void Update(double time, float elapsed) override;
};

} // namespace kelvo
