// What the developer-tool tests share: a world of models, views and particle systems the
// editor places into, built by the creation events the editor triggers.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "engine/core/model.h"
#include "engine/core/view.h"
#include "engine/events/event_manager.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/phy/rigid_body.h"
#include "game/events/creation_events.h"
#include "game/tools/level_editor.h"

namespace tktest {

class CPlacedModel : public velm::CModel {
public:
    explicit CPlacedModel(std::uint32_t id) : velm::CModel(std::make_shared<velm::phy::CRigidBody>(), id) {}
    void Update(double, float) override {}
};

class CPlacedView : public velm::CView {
public:
    CPlacedView(velm::CModel* model, velm::ISceneUnit* unit) : velm::CView(model, unit) {}
    void Update(double, float) override {}
};

class CEditorWorld : public kelvo::ILevelEditorWorld, public velm::IEventListener {
public:
    bool GetEye(common::CVector3& eye) override {
        eye = m_eye;
        return m_hasCamera;
    }
    velm::CModel* FindModel(std::uint32_t id) override {
        const auto found = m_models.find(id);
        return found != m_models.end() ? found->second.get() : nullptr;
    }
    velm::CView* FindView(std::uint32_t id) override {
        const auto found = m_views.find(id);
        return found != m_views.end() ? found->second.get() : nullptr;
    }
    std::uint32_t CreateParticleSystem(const std::string& name, const common::CVector3& position) override {
        auto unit = std::make_unique<velm::gfx::CGfxUnit>();
        unit->SetScale(1, 1, 1, true);
        unit->SetRotationAxis(D3DXVECTOR3(0, 1, 0), true);
        unit->SetRotationAngle(0, true);
        unit->SetPosition(position.x, position.y, position.z, true);
        m_systemTemplates.push_back(name);
        m_systems[++m_nextSystem] = std::move(unit);
        return m_nextSystem;
    }
    velm::gfx::IGfxUnit* FindParticleSystem(std::uint32_t id) override {
        const auto found = m_systems.find(id);
        return found != m_systems.end() ? found->second.get() : nullptr;
    }

    // Builds the placed object as the game's creation listener would, drawn opaque (kind 0) or
    // transparent (kind 1) as the event asks.
    bool HandleEvent(const velm::CEvent& event) override {
        if (event.GetEventType().GetName() != "Create_Environment_Obj_Event") {
            return false;
        }
        const auto& data = *static_cast<const kelvo::CCreateEnvObjData*>(event.GetData());
        const std::uint32_t id = data.m_modelData.m_objectId;
        auto model = std::make_unique<CPlacedModel>(id);
        model->SetPosition(data.m_modelData.m_graphic ? data.m_modelData.m_graphic->m_position : common::CVector3());
        auto* unit = new velm::gfx::CGfxUnit();
        unit->SetScale(1, 1, 1, true);
        auto view = std::make_unique<CPlacedView>(model.get(), unit);
        view->SetKind(data.m_opaque != 0 ? 0 : 1);
        m_views[id] = std::move(view);
        m_models[id] = std::move(model);
        return false;
    }
    std::string GetName() override { return "EditorWorld"; }

    velm::gfx::IGfxUnit* UnitOf(std::uint32_t id) {
        return dynamic_cast<velm::gfx::IGfxUnit*>(m_views.at(id)->GetSceneObject());
    }
    void Remove(std::uint32_t id) {
        m_views.erase(id);
        m_models.erase(id);
    }

    common::CVector3 m_eye = common::CVector3(1, 2, 3);
    bool m_hasCamera = true;
    std::map<std::uint32_t, std::unique_ptr<CPlacedModel>> m_models;
    std::map<std::uint32_t, std::unique_ptr<CPlacedView>> m_views;
    std::map<std::uint32_t, std::unique_ptr<velm::gfx::CGfxUnit>> m_systems;
    std::vector<std::string> m_systemTemplates;
    std::uint32_t m_nextSystem = 9000;
};

} // namespace tktest
