// The game base the application drives each frame: registries of the world's objects by object
// id (models, views and controllers owned; bodies and hulls shared), the object-id rule of a
// networked client, the networking switch and the per-frame walks, all in ascending id order.
// Main thread only; the registries have no lock.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/win32.h"

namespace common {
class CThread;
}

namespace velm {

class CModel;
class CView;
class CController;
class CVelmCamera;
class CTerrain;
class CWater;
namespace phy {
class CRigidBody;
class CCollisionHull;
} // namespace phy
namespace net {
class CRemoteEventSocket;
}

class CVelmGame {
public:
    using ModelMap = std::map<std::uint32_t, CModel*>;
    using ViewMap = std::map<std::uint32_t, CView*>;
    using ControllerMap = std::map<std::uint32_t, CController*>;

    CVelmGame();
    virtual ~CVelmGame();

    virtual std::wstring GetTitle() = 0;
    virtual void OnResetDevice() = 0;
    virtual void OnLostDevice() = 0;
    virtual void Update(double time, float elapsed) = 0;
    virtual void Render(double time, float elapsed) = 0;
    virtual void Init() = 0;
    virtual LRESULT MsgProc(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Takes ownership of `socket` (may be null): a network start this call makes takes it over;
    // otherwise (already in that mode, switching off, no application) it is freed.
    virtual void SetNetworkMode(bool on, std::uint8_t mode, net::CRemoteEventSocket* socket);
    virtual CVelmCamera* GetCamera() = 0;
    virtual void* GetCursor() = 0;
    virtual void StartLoadingThread();
    virtual bool IsLoadFlagSet();
    virtual void OnLoadingFinished() = 0;

    // The game owns what it stores. An id already present keeps its entry and the refused
    // pointer stays the caller's.
    void AddObject(CModel* model, CView* view, CController* controller);
    // Held, not owned: secondary objects are never updated, drawn or deleted here.
    void AddSecondaryObject(CModel* model, CView* view, CController* controller);
    // Owned like AddObject's controller.
    void AddController(CController* controller, std::uint32_t id);
    void AddBody(std::uint32_t id, const std::shared_ptr<phy::CRigidBody>& body);
    void AddHull(std::uint32_t id, const std::shared_ptr<phy::CCollisionHull>& hull);
    // The terrain's unit goes to graphics and its height map to the physics world, under its id.
    // The game owns the terrain until ClearTerrains deletes it (its destructor does not).
    void AddTerrain(CTerrain* terrain);
    // The water's unit goes to graphics and its field to the physics world, under its id.
    // Owned as AddTerrain's terrain, until ClearWaters.
    void AddWater(CWater* water);
    void ClearTerrains();
    void ClearWaters();
    void RemoveObject(std::uint32_t id);
    CModel* FindModel(std::uint32_t id) const;

    ModelMap& GetModels() { return m_models; }
    ViewMap& GetViews() { return m_views; }
    ControllerMap& GetControllers() { return m_controllers; }

    void PollLoadingThread();
    void UpdateControllers(double time, float elapsed);
    void UpdateModels(double time, float elapsed);
    void UpdateViews(double time, float elapsed);

    bool IsNetworked() const { return m_networked; }
    std::uint8_t GetMode() const { return m_mode; }

protected:
    ModelMap m_models;
    ViewMap m_views;
    ControllerMap m_controllers;
    std::map<std::uint32_t, CTerrain*> m_terrains;
    std::map<std::uint32_t, CWater*> m_waters;
    std::vector<CModel*> m_deferredModels;
    bool m_networked = false;
    std::uint8_t m_mode = 0;
    bool m_loaded = true;
    ModelMap m_secondaryModels;
    ViewMap m_secondaryViews;
    ControllerMap m_secondaryControllers;
    std::map<std::uint32_t, std::shared_ptr<phy::CRigidBody>> m_bodies;
    std::map<std::uint32_t, std::shared_ptr<phy::CCollisionHull>> m_hulls;
    common::CThread* m_loadingThread = nullptr;
};

} // namespace velm
