// What the race-world tests share: a drawing unit whose animation end the test decides, a
// listener that records every event by name, and a race on a flat, still water field with the
// game object, the event manager and racers built as the creation handler builds them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/events/event_manager.h"
#include "engine/gfx/scene_unit.h"
#include "engine/phy/buoyancy_force.h"
#include "engine/phy/ext_force_cntrl.h"
#include "engine/phy/physics_world.h"
#include "engine/phy/rigid_body.h"
#include "engine/phy/water_field.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/ui/tumbo_kelvo_game_hud.h"
#include "game/world/racer_controller.h"
#include "game/world/racer_model.h"
#include "game/world/racer_tuning.h"
#include "game/world/racer_view.h"
#include "libs/common/state_machine.h"
#include "support/game_folder.h"

namespace tktest {

class CAnimUnit : public velm::ISceneUnit {
public:
    int GetCurrentAnimation() const override { return m_current; }
    bool SetAnimation(std::uint32_t index, bool) override {
        if (static_cast<int>(index) == m_current) {
            return false;
        }
        m_current = static_cast<int>(index);
        m_played.push_back(m_current);
        return true;
    }
    bool IsAnimationDone() override { return m_done; }
    void ResetAnimation() override { ++m_resets; }
    void SetAnimationDone(bool) override {}
    void SetAnimationSpeed(float speed) override { m_speed = speed; }
    void Update(double, float) override {}
    void AttachToFrame(velm::ISceneUnit*, std::uint8_t, const std::string&) override {}
    void DetachFromFrame(velm::ISceneUnit*) override {}

    int m_current = -1;
    bool m_done = true;
    int m_resets = 0;
    float m_speed = 1.0f;
    std::vector<int> m_played;
};

class CEventLog : public velm::IEventListener {
public:
    bool HandleEvent(const velm::CEvent& event) override {
        m_names.push_back(event.GetEventType().GetName());
        return false;
    }
    std::string GetName() override { return "WorldTestLog"; }
    int Count(const std::string& name) const {
        return static_cast<int>(std::count(m_names.begin(), m_names.end(), name));
    }
    std::vector<std::string> m_names;
};

class CRaceFixture {
public:
    static constexpr float kFrame = 1.0f / 60.0f;

    CRaceFixture() : m_log(std::make_shared<CEventLog>()) {
        velm::SetEventManager(&m_events);
        m_events.AddListener(m_log, velm::WildcardEventType());
        velm::phy::SetRiverDensity(30.0f);
        velm::phy::SetRiverSpeed(0.0f);
        std::vector<velm::phy::CGridCell> cells;
        cells.emplace_back(common::CVector3(-30.0f, 0.0f, 100.0f), common::CVector3(-30.0f, 0.0f, -3000.0f),
                           common::CVector3(30.0f, 0.0f, -3000.0f), common::CVector3(30.0f, 0.0f, 100.0f),
                           common::CVector3(0.0f, 0.0f, 0.0f));
        m_world.AddWaterField(9000, std::make_shared<velm::phy::CWaterField>(cells));
        // The screens the race world writes to, as the start-up state makes them.
        m_game.CreateHUD();
        m_game.CreateEndRaceGUI();
    }
    ~CRaceFixture() { velm::SetEventManager(nullptr); }

    // The game's start-up with the item templates it builds taken away again, so that the test's
    // own objects keep the ids they ask for.
    void InitGame() {
        m_game.Init();
        std::vector<std::uint32_t> ids;
        for (const auto& entry : m_game.GetModels()) {
            ids.push_back(entry.first);
        }
        for (std::uint32_t id : ids) {
            m_game.RemoveObject(id);
        }
        m_log->m_names.clear();
    }

    // A racer floating at x with the character's type; kind 1 player, 2 computer, 0 network. One
    // left out of the race's list outlives a race reset.
    kelvo::CRacerModel* AddRacer(std::uint32_t id, std::uint32_t type, std::uint32_t kind, float x = 0.0f,
                                 bool human = true, bool inRace = true) {
        auto body = std::make_shared<velm::phy::CRigidBody>();
        body->SetPosition(common::CVector3(x, 0.3f, 0.0f));
        body->SetCylinderHull(0.5f, 0.6f, 20.0f, 4, 16, false);
        body->SetHullFlag(true);
        velm::phy::CRigidBody* raw = body.get();
        body->SetForceCntrl(velm::phy::kGravityForceName, std::make_shared<velm::phy::GravityForce>(raw));
        auto buoyancy = std::make_shared<velm::phy::BuoyancyForce>(raw, &m_world.GetSimulator(), common::CVector3());
        buoyancy->SetUseRiverDensity(true);
        body->SetForceCntrl(velm::phy::kBuoyancyForceName, buoyancy);
        m_world.AddBody(id, body);
        auto* racer = new kelvo::CRacerModel(body, id);
        racer->SetObjectType(type);
        racer->SetControlKind(kind);
        racer->SetForwardAxis(common::CVector3(0.0f, 0.0f, -1.0f));
        auto* unit = new CAnimUnit();
        racer->SetSceneNode(unit);
        auto* view = new kelvo::CRacerView(racer, unit);
        kelvo::CRacerController* controller = nullptr;
        if (kind != kelvo::CONTROL_NETWORK) {
            controller = human ? static_cast<kelvo::CRacerController*>(new kelvo::CHumanRacerContr(racer))
                               : new kelvo::CAIRacerContr(racer);
            racer->SetController(controller);
        }
        m_game.AddObject(racer, view, controller);
        // Racer creation gives every racer its place on the HUD's ladder and in the race's list.
        m_game.GetHUD()->AddRacerEntry(id, type);
        if (inRace) {
            m_game.AddRacerId(id);
        }
        return racer;
    }

    static CAnimUnit& Unit(kelvo::CRacerModel* racer) { return *static_cast<CAnimUnit*>(racer->GetSceneNode()); }

    // One frame in the game's order: controllers, events, models, physics.
    void Frame() {
        m_game.UpdateControllers(m_time, kFrame);
        m_events.Tick(-1);
        m_game.UpdateModels(m_time, kFrame);
        m_world.Update(kFrame);
        m_time += kFrame;
    }

    // First: the game reads its files as it is made.
    CGameFolder m_folder;
    velm::CEventManager m_events;
    std::shared_ptr<CEventLog> m_log;
    velm::phy::CPhysicsWorld m_world;
    kelvo::CTumboKelvoGame m_game;
    double m_time = 0.0;
};

inline velm::input::SInputEvent Key(std::uint32_t code, bool pressed, std::uint32_t sequence) {
    velm::input::SInputEvent event;
    event.m_code = code;
    event.m_value = pressed ? 0 : 1;
    event.m_sequence = sequence;
    return event;
}

} // namespace tktest
