// A racer set on a test's own river the way the race sets it: the monkey, built by the racer
// creation event, floating by its buoyancy with the river's density and speed.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/core/object_id.h"
#include "engine/events/event_manager.h"
#include "engine/phy/buoyancy_force.h"
#include "engine/phy/ext_force_cntrl.h"
#include "engine/phy/physics_world.h"
#include "engine/phy/rigid_body.h"
#include "game/events/creation_events.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/world/kelvo_model.h"

namespace tktest {

// Builds the monkey at `at`, lets it float on `world`'s river and adds it to the world; gives its
// id. Its thrust is the caller's to set.
inline std::uint32_t AddFloatingMonkey(kelvo::CTumboKelvoGame& game, velm::phy::CPhysicsWorld& world,
                                       const common::CVector3& at) {
    const std::uint32_t id = velm::NewObjectID();
    velm::TriggerEvent(kelvo::CCreateRacerEvt("MonkeyModelData", id, 0, 0, 0, 0, 1, at));
    const std::shared_ptr<velm::phy::CRigidBody>& body =
        dynamic_cast<kelvo::CKelvoModel&>(*game.FindModel(id)).GetBody();
    auto buoyancy = std::make_shared<velm::phy::BuoyancyForce>(body.get(), &world.GetSimulator(),
                                                               common::CVector3(0.0f, -0.3f, 0.0f));
    buoyancy->SetUseRiverDensity(true);
    buoyancy->SetUseRiverSpeed(true);
    body->SetForceCntrl(velm::phy::kBuoyancyForceName, buoyancy);
    world.AddBody(id, body);
    return id;
}

} // namespace tktest
