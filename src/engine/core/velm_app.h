// The application frame: owns every engine service (graphics, sound, physics world, input, AI
// manager, and the network manager while networking is on), starts them in a fixed order, drives
// the game from the framework's callbacks and tears everything down in a fixed order.
// Main thread only. GetApp() is the process-wide application, set by the program entry and null
// before and after it: every user checks it.
#pragma once

#include <cstdint>
#include <string>

#include "engine/core/loader.h"
#include "engine/gfx/velm_gfx.h"
#include "platform/dxut/dxut.h"

namespace velm {

class CVelmGame;
class CSoundSystem;
namespace phy {
class CPhysicsWorld;
}
namespace input {
class CInputSystem;
}
namespace ai {
class CAIManager;
}
namespace net {
class CNetworkManager;
class CRemoteEventSocket;
} // namespace net

struct SDataPaths {
    std::string m_textures;
    std::string m_models;
    std::string m_effects;
    std::string m_sounds;
};

class CVelmApp {
public:
    CVelmApp();
    // The application owns the game returned.
    virtual CVelmGame* CreateGame() = 0;
    virtual ~CVelmApp();

    void SetDataPaths(const SDataPaths& paths);
    bool Init(ACLoader<gfx::CVelmGfx::SVelmGfxInitInfo>& loader, const std::string& configFile);
    int Run();
    int Shutdown();

    // Takes ownership of `socket`: the network's socket keeps it, or it is freed when the start fails.
    bool StartNetwork(std::uint8_t mode, net::CRemoteEventSocket* socket);
    void StopNetwork();

    CVelmGame* GetGame() const { return m_game; }
    net::CNetworkManager* GetNetworkManager() const { return m_networkManager; }
    gfx::CVelmGfx* GetGfx() const { return m_gfx; }
    CSoundSystem* GetSoundSystem() const { return m_sound; }
    phy::CPhysicsWorld* GetPhysicsWorld() const { return m_physicsWorld; }
    input::CInputSystem* GetInputSystem() const { return m_input; }
    ai::CAIManager* GetAIManager() const { return m_aiManager; }
    bool IsActive() const { return m_active; }
    float GetElapsed() const { return m_elapsed; }
    const SDataPaths& GetDataPaths() const { return m_paths; }

    // The text of the last start-up or shutdown failure; empty when there was none.
    const std::string& GetFailureText() const { return m_failureText; }

private:
    bool InitServices(ACLoader<gfx::CVelmGfx::SVelmGfxInitInfo>& loader, const std::string& configFile);

    friend LRESULT OnWindowMessage(HWND, UINT, WPARAM, LPARAM, bool*, void*);
    friend void OnFrameMove(IDirect3DDevice9*, double, float, void*);
    friend void OnFrameRender(IDirect3DDevice9*, double, float, void*);
    friend void OnDeviceLost(void*);
    friend HRESULT OnDeviceReset(IDirect3DDevice9*, const D3DSURFACE_DESC*, void*);

    CVelmGame* m_game = nullptr;
    net::CNetworkManager* m_networkManager = nullptr;
    gfx::CVelmGfx* m_gfx = nullptr;
    CSoundSystem* m_sound = nullptr;
    phy::CPhysicsWorld* m_physicsWorld = nullptr;
    input::CInputSystem* m_input = nullptr;
    ai::CAIManager* m_aiManager = nullptr;
    bool m_active = true;
    float m_elapsed = 0.0f;
    SDataPaths m_paths;
    std::string m_failureText;
};

// The process-wide application, set by the program entry; null outside it. The entry keeps
// ownership of what it sets.
CVelmApp* GetApp();
void SetApp(CVelmApp* app);

LRESULT OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool* noFurtherProcessing,
                        void* userContext);
void OnFrameMove(IDirect3DDevice9* device, double time, float elapsed, void* userContext);
void OnFrameRender(IDirect3DDevice9* device, double time, float elapsed, void* userContext);
void OnDeviceLost(void* userContext);
HRESULT OnDeviceReset(IDirect3DDevice9* device, const D3DSURFACE_DESC* backBuffer, void* userContext);

} // namespace velm
