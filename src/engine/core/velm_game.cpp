#include "engine/core/velm_game.h"

#include <algorithm>

#include "engine/core/controller.h"
#include "engine/core/model.h"
#include "engine/core/object_id.h"
#include "engine/core/velm_app.h"
#include "engine/core/view.h"
#include "engine/gfx/terrain.h"
#include "engine/gfx/water.h"
#include "engine/net/remote_event_socket.h"
#include "engine/phy/physics_world.h"
#include "libs/common/thread.h"

namespace velm {

CVelmGame::CVelmGame() = default;

CVelmGame::~CVelmGame() {
    for (auto& entry : m_models) {
        delete entry.second;
    }
    for (auto& entry : m_views) {
        delete entry.second;
    }
    for (auto& entry : m_controllers) {
        delete entry.second;
    }
    delete m_loadingThread;
}

void CVelmGame::SetNetworkMode(bool on, std::uint8_t mode, net::CRemoteEventSocket* socket) {
    // The socket is this call's to dispose of unless a network start takes it.
    std::unique_ptr<net::CRemoteEventSocket> owned(socket);
    if (on == m_networked) {
        return;
    }
    m_networked = on;
    m_mode = mode;
    CVelmApp* app = GetApp();
    if (app == nullptr) {
        return;
    }
    if (on) {
        app->StartNetwork(mode, owned.release());
    } else {
        app->StopNetwork();
    }
}

void CVelmGame::StartLoadingThread() {
    m_loaded = false;
    if (m_loadingThread != nullptr) {
        m_loadingThread->Start();
    }
}

bool CVelmGame::IsLoadFlagSet() { return m_loaded; }

void CVelmGame::AddObject(CModel* model, CView* view, CController* controller) {
    const std::uint32_t id = model->GetID();
    if (m_networked && m_mode == 0 && id > PeekObjectIDCounter()) {
        SetObjectIDCounter(id + 1);
    }
    m_models.insert({id, model});
    if (view != nullptr) {
        m_views.insert({id, view});
    }
    if (controller != nullptr) {
        m_controllers.insert({id, controller});
    }
}

void CVelmGame::AddSecondaryObject(CModel* model, CView* view, CController* controller) {
    const std::uint32_t id = model->GetID();
    m_secondaryModels.insert({id, model});
    if (view != nullptr) {
        m_secondaryViews.insert({id, view});
    }
    if (controller != nullptr) {
        m_secondaryControllers.insert({id, controller});
    }
}

void CVelmGame::AddController(CController* controller, std::uint32_t id) { m_controllers.insert({id, controller}); }

void CVelmGame::AddBody(std::uint32_t id, const std::shared_ptr<phy::CRigidBody>& body) { m_bodies.insert({id, body}); }

void CVelmGame::AddHull(std::uint32_t id, const std::shared_ptr<phy::CCollisionHull>& hull) {
    m_hulls.insert({id, hull});
}

void CVelmGame::AddTerrain(CTerrain* terrain) {
    if (!m_terrains.insert({terrain->GetID(), terrain}).second) {
        return;
    }
    CVelmApp* app = GetApp();
    if (app == nullptr) {
        return;
    }
    if (app->GetGfx() != nullptr) {
        app->GetGfx()->AddTerrainUnit(terrain->GetUnit());
    }
    if (app->GetPhysicsWorld() != nullptr) {
        app->GetPhysicsWorld()->AddHeightMap(terrain->GetID(), terrain->GetHeightMap());
    }
}

void CVelmGame::AddWater(CWater* water) {
    if (!m_waters.insert({water->GetID(), water}).second) {
        return;
    }
    CVelmApp* app = GetApp();
    if (app == nullptr) {
        return;
    }
    if (app->GetGfx() != nullptr) {
        app->GetGfx()->AddWaterUnit(water->GetUnit());
    }
    if (app->GetPhysicsWorld() != nullptr) {
        app->GetPhysicsWorld()->AddWaterField(water->GetID(), water->GetWaterField());
    }
}

void CVelmGame::ClearTerrains() {
    for (auto& entry : m_terrains) {
        delete entry.second;
    }
    m_terrains.clear();
    CVelmApp* app = GetApp();
    if (app != nullptr && app->GetPhysicsWorld() != nullptr) {
        app->GetPhysicsWorld()->ClearHeightMaps();
    }
    if (app != nullptr && app->GetGfx() != nullptr) {
        app->GetGfx()->ClearTerrainUnits();
    }
}

void CVelmGame::ClearWaters() {
    for (auto& entry : m_waters) {
        delete entry.second;
    }
    m_waters.clear();
    CVelmApp* app = GetApp();
    if (app != nullptr && app->GetPhysicsWorld() != nullptr) {
        app->GetPhysicsWorld()->ClearWaterFields();
    }
    if (app != nullptr && app->GetGfx() != nullptr) {
        app->GetGfx()->ClearWaterUnits();
    }
}

void CVelmGame::RemoveObject(std::uint32_t id) {
    const auto model = m_models.find(id);
    if (model != m_models.end()) {
        CModel* doomed = model->second;
        m_models.erase(model);
        // A model removed between the model and view passes must not be updated afterwards.
        m_deferredModels.erase(std::remove(m_deferredModels.begin(), m_deferredModels.end(), doomed),
                               m_deferredModels.end());
        CVelmApp* app = GetApp();
        if (app != nullptr && app->GetPhysicsWorld() != nullptr) {
            app->GetPhysicsWorld()->RemoveObject(id);
        }
        delete doomed;
    }
    const auto view = m_views.find(id);
    if (view != m_views.end()) {
        CView* doomed = view->second;
        m_views.erase(view);
        delete doomed;
    }
    const auto controller = m_controllers.find(id);
    if (controller != m_controllers.end()) {
        CController* doomed = controller->second;
        m_controllers.erase(controller);
        delete doomed;
    }
}

CModel* CVelmGame::FindModel(std::uint32_t id) const {
    const auto found = m_models.find(id);
    return found == m_models.end() ? nullptr : found->second;
}

void CVelmGame::PollLoadingThread() {
    if (m_loadingThread == nullptr || m_loadingThread->GetRunningState() != 0) {
        return;
    }
    m_loadingThread->Stop();
    OnLoadingFinished();
    m_loaded = true;
    delete m_loadingThread;
    m_loadingThread = nullptr;
}

void CVelmGame::UpdateControllers(double time, float elapsed) {
    for (auto& entry : m_controllers) {
        entry.second->Update(time, elapsed);
    }
}

void CVelmGame::UpdateModels(double time, float elapsed) {
    std::vector<CModel*>().swap(m_deferredModels);
    for (auto& entry : m_models) {
        if (entry.second->IsAttached()) {
            m_deferredModels.push_back(entry.second);
        } else {
            entry.second->Update(time, elapsed);
        }
    }
}

void CVelmGame::UpdateViews(double time, float elapsed) {
    for (auto& entry : m_views) {
        entry.second->Update(time, elapsed);
    }
    for (CModel* model : m_deferredModels) {
        model->Update(time, elapsed);
    }
}

} // namespace velm
