#include "game/flow/object_factories.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "engine/core/velm_app.h"
#include "engine/gfx/3d_quad.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/gfx/lights_manager.h"
#include "engine/gfx/particle_sys_registry.h"
#include "engine/gfx/particle_system.h"
#include "engine/gfx/velm_gfx.h"
#include "engine/net/network_manager.h"
#include "engine/phy/buoyancy_force.h"
#include "engine/phy/collision_hull.h"
#include "engine/phy/ext_force_cntrl.h"
#include "engine/phy/physics_world.h"
#include "engine/phy/rigid_body.h"
#include "game/content/object_type.h"
#include "game/events/creation_events.h"
#include "game/flow/game_trace.h"
#include "game/flow/surface_makers.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/flow/tumbo_kelvo_listener.h"
#include "game/ui/tumbo_kelvo_game_hud.h"
#include "game/world/env_obj.h"
#include "game/world/item_manager.h"
#include "game/world/item_model.h"
#include "game/world/light_model.h"
#include "game/world/race_rank_tracker.h"
#include "game/world/racer_controller.h"
#include "game/world/racer_model.h"
#include "game/world/racer_view.h"
#include "game/world/trigger_obj.h"
#include "game/world/tumbo_kelvo_camera.h"
#include "libs/common/quaternion.h"
#include "libs/common/script_manager.h"

namespace kelvo {

namespace {

using common::CVector3;
using velm::phy::CRigidBody;
using Body = std::shared_ptr<CRigidBody>;

constexpr float kReleasedDrag = 0.5f;
constexpr float kStandingWeightShare = 0.65f;
constexpr float kLogInertiaScale = 1000.0f;
constexpr std::uint32_t kMeshViewKind = 4;
constexpr std::uint32_t kOpaqueViewKind = 0;
constexpr std::uint32_t kSeeThroughViewKind = 1;
constexpr std::uint32_t kLightViewKind = 5;

velm::CVelmApp* App() { return velm::GetApp(); }

velm::phy::CPhysicsWorld* PhysicsWorld() { return App() != nullptr ? App()->GetPhysicsWorld() : nullptr; }

velm::gfx::CVelmGfx* Gfx() { return App() != nullptr ? App()->GetGfx() : nullptr; }

velm::phy::CSimulator* Simulator() {
    velm::phy::CPhysicsWorld* world = PhysicsWorld();
    return world != nullptr ? &world->GetSimulator() : nullptr;
}

bool RotationalPhysics() { return common::CScriptManager::GetInstance()->GetGlobalBool("ROTATIONAL_PHYSICS"); }

D3DXVECTOR3 D3D(const CVector3& v) { return D3DXVECTOR3(v.x, v.y, v.z); }

// A record is refused (with its reason) when its key named no model data or its object id is
// taken: the game keeps the first object under an id. The empty key is no fault where the family
// has members without a model of their own (`modelless`).
bool Refused(const char* family, const SCreationRecord& record, bool modelless = false) {
    const SModelData& data = record.m_modelData;
    if (!record.m_knownModel && !(modelless && data.m_key.empty())) {
        std::fprintf(stderr, "%s: no model data \"%s\" for object %u; nothing built\n", family, data.m_key.c_str(),
                     data.m_objectId);
        return true;
    }
    CTumboKelvoGame* game = GetGame();
    if (game != nullptr && game->FindModel(data.m_objectId) != nullptr) {
        std::fprintf(stderr, "%s: object %u already exists; nothing built\n", family, data.m_objectId);
        return true;
    }
    return false;
}

// S1: the family's model over a new body.
template <class TModel>
TModel* NewModel(const SModelData& data) {
    auto* model = new TModel(std::make_shared<CRigidBody>(), data.m_objectId);
    model->SetObjectType(data.m_objectType);
    return model;
}

// The unit's transform and textures from the graphic record; the model takes the facing.
void DressUnit(velm::gfx::IGfxUnit& unit, const SModelData::SGraphicData& g, CKelvoModel& model) {
    unit.SetScale(g.m_scale.x, g.m_scale.y, g.m_scale.z, false);
    unit.SetRotationAxis(D3D(g.m_rotationAxis), false);
    unit.SetRotationAngle(g.m_rotationAngle, false);
    model.SetForwardAxis(g.m_facingDir);
    for (const auto& texture : g.m_textures) {
        if (texture.second >= 0) {
            unit.LoadTexture(texture.first, static_cast<std::uint32_t>(texture.second));
        }
    }
}

velm::gfx::SGfxUnitLoadInfo InitRecord(const SModelData::SGraphicData& g) {
    velm::gfx::SGfxUnitLoadInfo info;
    info.effectFileName = g.m_effectFileName;
    info.meshFileName = g.m_meshFileName;
    info.techniqueName = g.m_technique;
    return info;
}

// S2.
velm::gfx::IGfxUnit* NewUnit(const SModelData::SGraphicData& g, CKelvoModel& model) {
    auto* unit = new velm::gfx::CGfxUnit();
    unit->Load(InitRecord(g));
    DressUnit(*unit, g, model);
    model.SetSceneNode(unit);
    return unit;
}

common::CQuaternion Orientation(const CVector3& axis, float angle) {
    common::CQuaternion q;
    q.FromAxisAngle(axis, angle);
    return q;
}

// S3.
void Place(CKelvoModel& model, const SModelData::SGraphicData* g) {
    if (g == nullptr) {
        return;
    }
    model.SetPosition(g->m_position);
    model.SetOrientation(Orientation(g->m_rotationAxis, g->m_rotationAngle));
}

void CopySurface(CRigidBody& body, const SModelData::SPhysicsData& p) {
    body.GetRestitution() = p.m_restitution;
    body.GetDynamicFriction() = p.m_kineticFriction;
    body.GetStaticFriction() = p.m_staticFriction;
    body.SetStatic(p.m_immovable != 0);
}

// S4 without the surface: box or cylinder, sized by the object's scale (a cylinder's height by y,
// its radius by x).
void BuildHull(CRigidBody& body, const SModelData::SPhysicsData& p,
               const CVector3& scale = CVector3(1.0f, 1.0f, 1.0f)) {
    const bool independent = p.m_independentHull != 0;
    if (p.m_hullType == SModelData::HULL_CYLINDER) {
        body.SetCylinderHull(p.m_hullDims[0] * scale.y, p.m_hullDims[1] * scale.x, p.m_mass,
                             static_cast<unsigned>(p.m_hullLayers), static_cast<unsigned>(p.m_hullSlices), independent);
    } else if (p.m_hullType == SModelData::HULL_BOX) {
        body.SetBoxHull(p.m_hullDims[0] * scale.x, p.m_hullDims[1] * scale.y, p.m_hullDims[2] * scale.z, p.m_mass,
                        independent);
    }
}

// S5: the game keeps the physics of secondary objects, the world that of the rest.
void RegisterPhysics(CKelvoModel& model, const SModelData::SPhysicsData& p, bool secondary) {
    const Body& body = model.GetBody();
    const std::uint32_t id = model.GetID();
    const bool hullOnly = p.m_independentHull != 0;
    if (hullOnly && body->GetHull() != nullptr) {
        body->GetHullSlot()->SetPosition(model.GetPosition());
        body->GetHullSlot()->SetOrientation(model.GetOrientation());
    }
    CTumboKelvoGame* game = GetGame();
    if (secondary) {
        if (game == nullptr) {
            return;
        }
        if (!hullOnly) {
            game->AddBody(id, body);
        } else if (body->GetHull() != nullptr) {
            game->AddHull(id, body->GetHullSlot());
        }
    } else if (velm::phy::CPhysicsWorld* world = PhysicsWorld()) {
        if (!hullOnly) {
            world->AddBody(id, body);
        } else if (body->GetHull() != nullptr) {
            world->AddHull(id, body->GetHullSlot());
        }
    }
}

// S6.
void RegisterObject(velm::CModel* model, velm::CView* view, velm::CController* controller, bool secondary) {
    CTumboKelvoGame* game = GetGame();
    if (game == nullptr) {
        delete controller;
        delete view;
        delete model;
        return;
    }
    if (secondary) {
        game->AddSecondaryObject(model, view, controller);
    } else {
        game->AddObject(model, view, controller);
    }
}

// S7: the race camera never collides with the object.
void LinkCamera(CRigidBody& body) {
    CTumboKelvoGame* game = GetGame();
    CTumboKelvoCamera* camera = game != nullptr ? game->GetRaceCamera() : nullptr;
    if (camera == nullptr || !camera->GetBody()) {
        return;
    }
    body.LinkHull(*camera->GetBody());
    camera->GetBody()->LinkHull(body);
}

void AddGravity(CRigidBody& body) {
    body.SetForceCntrl(velm::phy::kGravityForceName, std::make_shared<velm::phy::GravityForce>(&body));
}

std::shared_ptr<velm::phy::BuoyancyForce> AddBuoyancy(CRigidBody& body, const CVector3& offset, bool riverSpeed) {
    auto buoyancy = std::make_shared<velm::phy::BuoyancyForce>(&body, Simulator(), offset);
    buoyancy->SetUseRiverDensity(true);
    buoyancy->SetUseRiverSpeed(riverSpeed);
    body.SetForceCntrl(velm::phy::kBuoyancyForceName, buoyancy);
    return buoyancy;
}

void AddReleasedDrag(CRigidBody& body) {
    auto drag = std::make_shared<velm::phy::AirDrag>(&body);
    drag->SetLinearDrag(kReleasedDrag);
    drag->SetAngularDrag(kReleasedDrag);
    body.SetForceCntrl(velm::phy::kAirDragForceName, drag);
}

// View kind and unit list of scenery: kind 4 is drawn with the moving objects; the others join
// the level's opaque or see-through list.
void ChooseSceneryList(CEnvObjView& view, velm::gfx::IGfxUnit* unit, const CCreateEnvObjData& record) {
    if (record.m_thirdFlag != 0) {
        view.SetKind(kMeshViewKind);
        return;
    }
    view.SetKind(record.m_opaque != 0 ? kOpaqueViewKind : kSeeThroughViewKind);
    velm::gfx::CVelmGfx* gfx = Gfx();
    if (gfx == nullptr || unit == nullptr) {
        return;
    }
    if (record.m_opaque != 0) {
        gfx->AddOpaqueUnit(unit);
    } else {
        gfx->AddTransparentUnit(unit);
    }
}

void SetupEnvSound(CEnvObjView& view, const SModelData& data) {
    if (data.m_sounds.size() == 1) {
        view.SetSound(data.m_sounds.front());
    }
}

// Steps 6 to 8 of scenery, shared by the mesh and billboard forms.
CEnvObjView* FinishScenery(CEnvObjModel& model, velm::gfx::IGfxUnit* unit, const CCreateEnvObjData& record,
                           velm::CController*& controller) {
    auto* view = new CEnvObjView(&model, unit);
    ChooseSceneryList(*view, unit, record);
    SetupEnvSound(*view, record.m_modelData);
    controller = new CEnvObjController(model.GetID());
    model.SetController(controller);
    model.SetControlKind(record.m_modelData.m_controlKind);
    model.CreateStateMachine();
    return view;
}

} // namespace

velm::gfx::IGfxUnit* FindTrailParticleSystem(std::uint32_t objectId) { return velm::gfx::FindParticleSystem(objectId); }

void TumboKelvoListener::CreateRacer(const CCreateRacerData& record) {
    const SModelData& data = record.m_modelData;
    if (Refused("Create_Racer_Event", record)) {
        return;
    }
    if (!data.m_graphic || !data.m_physics || data.m_physics->m_positionOffsets.empty()) {
        std::fprintf(stderr,
                     "Create_Racer_Event: model data \"%s\" lacks its graphic or physics data or its buoyancy "
                     "offset; racer %u not built\n",
                     data.m_key.c_str(), data.m_objectId);
        return;
    }
    CTumboKelvoGame* game = GetGame();
    // The racer's trail is made by its constructor and found through this lookup.
    CRacerModel::SetTrailLookup(&FindTrailParticleSystem);
    auto* racer = NewModel<CRacerModel>(data);
    velm::gfx::IGfxUnit* unit = NewUnit(*data.m_graphic, *racer);
    Place(*racer, data.m_graphic.get());
    CRigidBody& body = *racer->GetBody();
    // A racer drawn at a scale floats as its racing-size self would, scaled: its hull takes the
    // scale and its mass the scale's volume, so it sinks by the same share of its drawn tube.
    const CVector3 scale = data.m_graphic->m_scale;
    SModelData::SPhysicsData physics = *data.m_physics;
    const float volume = scale.x * scale.y * scale.z;
    if (volume > 0.0f) {
        physics.m_mass *= volume;
    }
    // A racer outside the race (the character selection's line-up) only stands on the water, where
    // it floats deeper than the line its tube is drawn to ride at, midway to its racing rise
    // (tools/racer_float.py): taking that rise's share off its weight buoys it to that line.
    if (record.m_participant != 1) {
        physics.m_mass *= kStandingWeightShare;
    }
    BuildHull(body, physics, scale);
    CopySurface(body, physics);
    body.SetHullFlag(RotationalPhysics());
    const bool secondary = record.m_secondary != 0;
    RegisterPhysics(*racer, physics, secondary);
    AddGravity(body);
    const CVector3& offset = physics.m_positionOffsets.front();
    AddBuoyancy(body, CVector3(offset.x * scale.x, offset.y * scale.y, offset.z * scale.z), true);

    auto* view = new CRacerView(racer, unit);
    view->SetSounds(data.GetSound(0), data.GetSound(1), data.GetSound(2));

    std::uint32_t kind = data.m_controlKind;
    if (game != nullptr && game->IsNetworked() && record.m_ownerClientId == velm::net::GetLocalClientId()) {
        kind = CONTROL_LOCAL_PLAYER;
    }
    racer->SetConnectionId(record.m_ownerClientId);
    velm::CController* controller = nullptr;
    if (kind == CONTROL_LOCAL_PLAYER) {
        controller = new CHumanRacerContr(racer);
        if (game != nullptr) {
            game->GetRaceCamera()->SetTarget(racer);
            game->SetLocalRacer(racer->GetID(), racer);
        }
    } else if (kind == CONTROL_LOCAL_OTHER) {
        controller = new CAIRacerContr(racer);
    }
    racer->SetControlKind(kind);
    racer->SetController(controller);
    RegisterObject(racer, view, controller, secondary);
    if (game == nullptr) {
        return;
    }
    if (record.m_participant == 1) {
        game->GetItemManager()->AddRacer(racer->GetID());
        if (game->GetRaceRankTracker() != nullptr) {
            game->GetRaceRankTracker()->AddRacer(racer->GetID());
        }
        if (game->GetHUD() != nullptr) {
            game->GetHUD()->AddRacerEntry(racer->GetID(), data.m_objectType);
        }
        game->AddRacerId(racer->GetID());
        game->GetTrace().RacerEntered(racer->GetID(), racer->GetConnectionId());
    }
    LinkCamera(body);
}

void TumboKelvoListener::CreateItem(const CCreateItemFromKeyData& record) {
    const SModelData& data = record.m_modelData;
    // The reflective coat and the whirlpool have no model: their key is empty and they are built
    // bare (no unit, no body data), the coat with the state machine that dresses its owner.
    if (Refused("Create_Item", record, true)) {
        return;
    }
    CTumboKelvoGame* game = GetGame();
    auto* owner = game != nullptr ? dynamic_cast<CRacerModel*>(game->FindModel(data.m_ownerId)) : nullptr;
    auto* item = NewModel<CItemModel>(data);
    velm::gfx::IGfxUnit* unit = nullptr;
    if (data.m_graphic) {
        unit = NewUnit(*data.m_graphic, *item);
        Place(*item, data.m_graphic.get());
    }
    CRigidBody& body = *item->GetBody();
    const bool secondary = record.m_flag != 0;
    const bool live = record.m_live != 0;
    if (data.m_physics) {
        BuildHull(body, *data.m_physics);
        CopySurface(body, *data.m_physics);
        if (live && owner != nullptr) {
            body.LinkHull(*owner->GetBody());
            owner->GetBody()->LinkHull(body);
        }
        RegisterPhysics(*item, *data.m_physics, secondary);
    }
    CItemView* view = nullptr;
    if (data.m_graphic) {
        view = new CItemView(item, unit);
        view->SetSound(data.GetSound(0));
    }
    const std::uint32_t type = data.m_objectType;
    if (type == ITEM_DRILL || type == ITEM_MINE) {
        AddGravity(body);
        AddBuoyancy(body, CVector3(0.0f, 0.0f, 0.0f), false);
    }
    velm::CController* controller = nullptr;
    if (type == ITEM_DRILL || type == ITEM_SHARK) {
        controller = new CPathItemController(item->GetID());
    } else {
        controller = new CItemController(item->GetID());
    }
    item->SetController(controller);
    item->SetControlKind(data.m_controlKind);
    if (live) {
        item->CreateStateMachine();
    }
    RegisterObject(item, view, controller, secondary);
    if (live && owner != nullptr) {
        LinkItemToOwner(item->GetID(), owner->GetID());
    }
    LinkCamera(body);
}

void TumboKelvoListener::CreateEnvObject(const CCreateEnvObjData& record) {
    const SModelData& data = record.m_modelData;
    if (data.m_graphic && data.m_objectType == OBJECT_TREES) {
        CreateBillboardObject(record);
        return;
    }
    if (data.m_graphic && data.m_objectType == OBJECT_COLLISION_VOLUME) {
        CreateCollisionVolume(record);
        return;
    }
    if (Refused("Create_Environment_Obj_Event", record)) {
        return;
    }
    auto* model = NewModel<CEnvObjModel>(data);
    velm::gfx::IGfxUnit* unit = nullptr;
    if (data.m_graphic) {
        auto* meshUnit = new velm::gfx::CGfxUnit();
        unit = meshUnit;
        model->SetSceneNode(unit);
        const SModelData::SGraphicData& g = *data.m_graphic;
        if (!g.m_meshFileName.empty()) {
            meshUnit->Load(InitRecord(g));
            meshUnit->SetTileFactor(g.m_tileFactor);
            DressUnit(*meshUnit, g, *model);
            meshUnit->SetPosition(g.m_position.x, g.m_position.y, g.m_position.z, true);
        }
    }
    Place(*model, data.m_graphic.get());
    CRigidBody& body = *model->GetBody();
    body.SetStatic(true);
    const bool secondary = record.m_secondFlag != 0;
    if (data.m_physics) {
        const SModelData::SPhysicsData& p = *data.m_physics;
        body.SetStatic(p.m_immovable != 0);
        if (p.m_hullType == SModelData::HULL_MESH) {
            body.SetTestPointHull(p.m_meshHull, p.m_mass);
        } else {
            BuildHull(body, p);
        }
        CopySurface(body, p);
        if (data.m_objectType == OBJECT_LOG || data.m_objectType == OBJECT_BOULDER) {
            body.SetHullFlag(RotationalPhysics());
        }
        RegisterPhysics(*model, p, secondary);
    }
    velm::CController* controller = nullptr;
    CEnvObjView* view = FinishScenery(*model, unit, record, controller);
    RegisterObject(model, view, controller, secondary);
    if (CTumboKelvoGame* game = GetGame()) {
        if (data.m_objectType == OBJECT_JUG) {
            game->AddItemJugId(model->GetID());
        }
        game->AddEnvObjectId(model->GetID());
    }
    LinkCamera(body);
}

void TumboKelvoListener::CreateBillboardObject(const CCreateEnvObjData& record) {
    const SModelData& data = record.m_modelData;
    if (Refused("Create_Environment_Obj_Event", record)) {
        return;
    }
    auto* model = NewModel<CEnvObjModel>(data);
    const SModelData::SGraphicData& g = *data.m_graphic;
    auto* unit = new velm::gfx::CGfxBillboardObj();
    unit->Init();
    DressUnit(*unit, g, *model);
    unit->SetPosition(g.m_position.x, g.m_position.y, g.m_position.z, true);
    model->SetSceneNode(unit);
    Place(*model, &g);
    velm::CController* controller = nullptr;
    CEnvObjView* view = FinishScenery(*model, unit, record, controller);
    const bool secondary = record.m_secondFlag != 0;
    CRigidBody& body = *model->GetBody();
    RegisterObject(model, view, controller, secondary);
    body.SetStatic(true);
    LinkCamera(body);
}

void TumboKelvoListener::CreateCollisionVolume(const CCreateEnvObjData& record) {
    const SModelData& data = record.m_modelData;
    if (Refused("Create_Environment_Obj_Event", record)) {
        return;
    }
    auto model = std::unique_ptr<CEnvObjModel>(NewModel<CEnvObjModel>(data));
    CVector3 position(0.0f, 0.0f, 0.0f);
    CVector3 axis(0.0f, 0.0f, 0.0f);
    CVector3 scale(0.0f, 0.0f, 0.0f);
    float angle = 0.0f;
    if (data.m_graphic) {
        position = data.m_graphic->m_position;
        axis = data.m_graphic->m_rotationAxis;
        angle = data.m_graphic->m_rotationAngle;
        scale = data.m_graphic->m_scale;
    }
    model->SetPosition(position);
    model->SetOrientation(Orientation(axis, angle));
    // The body and hull outlive the model: the physics keeps them under the id.
    const Body body = model->GetBody();
    if (data.m_physics) {
        SModelData::SPhysicsData p = *data.m_physics;
        BuildHull(*body, p, scale);
        if (p.m_hullType == SModelData::HULL_MESH) {
            for (common::CTriangle& triangle : p.m_meshHull) {
                triangle.Scale(scale.x, scale.y, scale.z);
            }
            body->SetTestPointHull(p.m_meshHull, p.m_mass);
        }
        CopySurface(*body, p);
        RegisterPhysics(*model, p, record.m_secondFlag != 0);
    }
    LinkCamera(*body);
}

void TumboKelvoListener::CreateLight(const CCreateLightData& record) {
    const SModelData& data = record.m_modelData;
    if (Refused("Create_Light", record)) {
        return;
    }
    auto* light = NewModel<CLightModel>(data);
    const bool secondary = record.m_flag != 0;
    const bool scene = !secondary;
    velm::gfx::IGfxUnit* unit = new velm::gfx::CGfxUnit();
    light->SetSceneNode(unit);
    if (data.m_graphic) {
        const SModelData::SGraphicData& g = *data.m_graphic;
        unit->Load(InitRecord(g));
        unit->SetScale(g.m_scale.x, g.m_scale.y, g.m_scale.z, false);
        for (const auto& texture : g.m_textures) {
            if (texture.second >= 0) {
                unit->LoadTexture(texture.first, static_cast<std::uint32_t>(texture.second));
            }
        }
        light->SetPosition(g.m_position, scene);
        // The record keeps the light's orientation as it stands, not as an axis and angle.
        light->SetOrientation(
            common::CQuaternion(g.m_rotationAxis.x, g.m_rotationAxis.y, g.m_rotationAxis.z, g.m_rotationAngle));
    }
    unit->SetSkipped(0);
    D3DLIGHT9& l = light->GetLight();
    const auto toScene = [&]() {
        if (scene) {
            velm::gfx::LightsManager::Instance().SetLight(l, 0);
        }
    };
    if (data.m_light) {
        const SModelData::SLightData& s = *data.m_light;
        if (s.m_type >= 1 && s.m_type <= 3) {
            l.Type = static_cast<D3DLIGHTTYPE>(s.m_type);
            toScene();
        }
        l.Diffuse = {s.m_diffuse.x, s.m_diffuse.y, s.m_diffuse.z, 1.0f};
        toScene();
        l.Specular = {s.m_specular.x, s.m_specular.y, s.m_specular.z, 1.0f};
        toScene();
        l.Ambient = {s.m_ambient.x, s.m_ambient.y, s.m_ambient.z, 1.0f};
        toScene();
        l.Range = s.m_range;
        toScene();
        l.Attenuation0 = s.m_attenuation0;
        l.Attenuation1 = s.m_attenuation1;
        l.Attenuation2 = s.m_attenuation2;
        toScene();
        l.Direction = {s.m_direction.x, s.m_direction.y, s.m_direction.z};
        toScene();
    }
    auto* view = new CLightView(light, unit);
    view->SetKind(kLightViewKind);
    // No light controller exists for a player to steer the light with; every light stands.
    light->SetControlKind(data.m_controlKind);
    RegisterObject(light, view, nullptr, secondary);
    if (scene) {
        toScene();
        if (CTumboKelvoGame* game = GetGame()) {
            game->SetLevelLight(light);
        }
    }
}

void TumboKelvoListener::CreateTriggerObject(const CCreateTriggerObjEvtData& record) {
    const SModelData& data = record.m_modelData;
    if (Refused("Create_Trigger_Obj", record)) {
        return;
    }
    auto* trigger = NewModel<CTriggerObjModel>(data);
    velm::gfx::IGfxUnit* unit = nullptr;
    if (data.m_graphic) {
        unit = NewUnit(*data.m_graphic, *trigger);
        unit->SetSkipped(1);
        Place(*trigger, data.m_graphic.get());
    }
    const bool secondary = record.m_flag != 0;
    if (data.m_physics) {
        // A trigger's scale sizes the space it watches, as it sizes an environment object's hull.
        BuildHull(*trigger->GetBody(), *data.m_physics,
                  data.m_graphic ? data.m_graphic->m_scale : CVector3(1.0f, 1.0f, 1.0f));
        CopySurface(*trigger->GetBody(), *data.m_physics);
        RegisterPhysics(*trigger, *data.m_physics, secondary);
    }
    auto* view = new CTriggerObjView(trigger, unit);
    RegisterObject(trigger, view, nullptr, secondary);
}

void TumboKelvoListener::MakeWaterFrom(const SCreationRecord& record) {
    CTumboKelvoGame* game = GetGame();
    velm::CWater* water = MakeWater(record);
    if (water == nullptr) {
        std::fprintf(stderr,
                     "Make_Water: model data \"%s\" holds no water it can build (a kind from 0 to 2 with its grid; "
                     "what its files lacked is said above); nothing built\n",
                     record.m_modelData.m_key.c_str());
        return;
    }
    if (game == nullptr) {
        delete water;
        return;
    }
    game->AddWater(water);
}

void TumboKelvoListener::MakeTerrainFrom(const SCreationRecord& record) {
    CTumboKelvoGame* game = GetGame();
    velm::CTerrain* terrain = MakeTerrain(record);
    if (terrain == nullptr) {
        std::fprintf(stderr, "Make_Terrain: model data \"%s\" holds no terrain; nothing built\n",
                     record.m_modelData.m_key.c_str());
        return;
    }
    if (game == nullptr) {
        delete terrain;
        return;
    }
    game->AddTerrain(terrain);
}

void TumboKelvoListener::CreateParticleSystem(const SCreationRecord& record) {
    const SModelData& data = record.m_modelData;
    auto system = std::make_unique<velm::gfx::CParticleSystem>();
    if (data.m_graphic) {
        const SModelData::SGraphicData& g = *data.m_graphic;
        system->SetScale(g.m_scale.x, g.m_scale.y, g.m_scale.z, false);
        system->SetRotationAxis(D3D(g.m_rotationAxis), false);
        system->SetRotationAngle(g.m_rotationAngle, false);
        system->SetPosition(g.m_position.x, g.m_position.y, g.m_position.z, true);
    }
    velm::gfx::CParticleSystem* created = system.get();
    // A template name the registry does not know is logged there, and the system stays ours.
    if (!system->Create(data.m_key)) {
        return;
    }
    system.release();
    created->SetID(data.m_objectId);
}

void ReleaseRocks(velm::CModel* trigger) {
    CTumboKelvoGame* game = GetGame();
    if (game == nullptr || game->IsRocksReleased()) {
        return;
    }
    game->SetRocksReleased(true);
    game->PlayFallingRocksSound(trigger != nullptr ? trigger->GetPosition() : CVector3(0.0f, 0.0f, 0.0f));
    for (std::uint32_t id : game->GetRockTrapList()) {
        auto* rock = dynamic_cast<CKelvoModel*>(game->FindModel(id));
        if (rock == nullptr) {
            continue;
        }
        if (velm::gfx::IGfxUnit* unit = rock->GetGfxUnit()) {
            unit->SetSkipped(0);
        }
        CRigidBody& body = *rock->GetBody();
        body.SetStatic(false);
        body.SetHullFlag(true);
        AddGravity(body);
        AddBuoyancy(body, CVector3(0.0f, 0.0f, 0.0f), false);
        AddReleasedDrag(body);
    }
}

void ReleaseLogs() {
    CTumboKelvoGame* game = GetGame();
    if (game == nullptr || game->IsLogsReleased()) {
        return;
    }
    game->SetLogsReleased(true);
    for (std::uint32_t id : game->GetLogTrapList()) {
        velm::CModel* log = game->FindModel(id);
        if (log == nullptr) {
            continue;
        }
        CRigidBody& body = *log->GetBody();
        body.SetStatic(false);
        body.SetHullFlag(true);
        body.SetAsleep(false);
        AddBuoyancy(body, CVector3(0.0f, 0.0f, 0.0f), false);
        AddGravity(body);
        const common::CMatrix3& inertia = body.GetInertia();
        body.SetInertia(inertia(0, 0) * kLogInertiaScale, inertia(1, 1) * kLogInertiaScale,
                        inertia(2, 2) * kLogInertiaScale);
        AddReleasedDrag(body);
    }
}

} // namespace kelvo
