// The whole game as the program runs it (the application with its graphics device, physics world,
// sound on the null driver and input) in this process, from a throwaway game folder, moved and
// drawn frame by frame a sixtieth of a second apart on the frame clock, as a fixed-step run is.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/velm_app.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/phy/buoyancy_force.h"
#include "engine/phy/rigid_body.h"
#include "game/flow/engine_config_loader.h"
#include "game/flow/tumbo_kelvo_app.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/world/kelvo_model.h"
#include "platform/dxut/dxut.h"
#include "platform/dxut/dxut_device.h"
#include "platform/win32/frame_clock.h"
#include "support/game_folder.h"
#include "support/source_file.h"

namespace tktest {

class CRunningGame {
public:
    static constexpr float kFrame = 1.0f / 60.0f;

    // `device` is "gl" or "null" (TK_D3D9_DEVICE); a `width` and `height` stand in the shipped
    // engine configuration's place for the window's size.
    explicit CRunningGame(const char* device, int width = 0, int height = 0) {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("ALSOFT_DRIVERS", "null", 0);
        setenv("TK_D3D9_DEVICE", device, 1);
        m_app = new kelvo::CTumboKelvoApp();
        velm::SetApp(m_app);
        m_app->SetDataPaths(kelvo::CTumboKelvoApp::DefaultDataPaths());
        kelvo::CEngineConfigLoader loader;
        m_started = m_app->Init(loader, width > 0 ? SizedConfig(width, height) : kelvo::kEngineConfigFile);
    }
    ~CRunningGame() {
        m_app->Shutdown();
        delete m_app;
        velm::SetApp(nullptr);
        platform::ClearFrameClock();
        platform::DXUTDestroyDevice();
        platform::DXUTReset();
        unsetenv("TK_D3D9_DEVICE");
    }
    CRunningGame(const CRunningGame&) = delete;
    CRunningGame& operator=(const CRunningGame&) = delete;

    bool Started() const { return m_started; }
    bool DrawsWithOpenGl() const {
        const IDirect3DDevice9* device = velm::gfx::GFXCore::Instance().GetDevice();
        return m_started && device != nullptr && !device->IsNull();
    }
    kelvo::CTumboKelvoGame& Game() { return *static_cast<kelvo::CTumboKelvoGame*>(m_app->GetGame()); }

    void Step(int frames = 1) {
        for (int i = 0; i < frames; ++i) {
            m_time += kFrame;
            platform::SetFrameClock(m_time);
            velm::OnFrameMove(nullptr, m_time, kFrame, nullptr);
        }
    }
    bool StepUntil(const std::string& state, int frames) {
        for (int i = 0; i < frames && Game().GetStateMachine().GetCurrentState() != state; ++i) {
            Step();
        }
        return Game().GetStateMachine().GetCurrentState() == state;
    }
    // The frame as drawn now, BGRA, top row first; also saved as a PNG when `shot` names a file.
    std::vector<std::uint8_t> Draw(const std::string& shot = "") {
        velm::OnFrameRender(nullptr, m_time, kFrame, nullptr);
        velm::gfx::CGFXCore& core = velm::gfx::GFXCore::Instance();
        IDirect3DSurface9* back = nullptr;
        std::vector<std::uint8_t> pixels;
        if (core.GetBackBuffer(&back) != D3D_OK || back == nullptr) {
            return pixels;
        }
        core.GetDevice()->ReadSurface(back, &pixels, nullptr, nullptr);
        if (!shot.empty()) {
            core.SaveSurfaceToFile(shot, D3DXIFF_PNG, back);
        }
        back->Release();
        return pixels;
    }

    // On from start-up through the menu to the first track's start grid, where the countdown
    // runs, with `character` as the player's racer (0: the computers race alone).
    bool StartRace(std::uint32_t character) {
        if (!StepUntil("MenuState", 3000)) {
            return false;
        }
        Game().SetSelectedCharacter(character);
        Game().StartRace();
        return StepUntil("StartTrack1State", 10);
    }

    // The river's still surface under a racer, from its buoyancy; false while it is not in water.
    static bool SurfaceUnder(const velm::CModel& racer, common::CVector3& surface) {
        auto buoyancy = std::dynamic_pointer_cast<velm::phy::BuoyancyForce>(racer.GetBody()->GetForceCntrl("Buoyancy"));
        return buoyancy && buoyancy->GetSurfacePoint(surface);
    }

private:
    // A copy of the shipped engine configuration in the game folder, sized as asked.
    static std::string SizedConfig(int width, int height) {
        std::ifstream in(SourceFile("data/files/xmlfiles/tumbo_kelvo_engine_config.xml"));
        std::stringstream text;
        text << in.rdbuf();
        std::string config = text.str();
        config = std::regex_replace(config, std::regex("<ScreenWidth>[^<]*</ScreenWidth>"),
                                    "<ScreenWidth>" + std::to_string(width) + "</ScreenWidth>");
        config = std::regex_replace(config, std::regex("<ScreenHeight>[^<]*</ScreenHeight>"),
                                    "<ScreenHeight>" + std::to_string(height) + "</ScreenHeight>");
        const std::string path = "sized_engine_config.xml";
        std::ofstream(path) << config;
        return path;
    }

    CGameFolder m_folder;
    kelvo::CTumboKelvoApp* m_app = nullptr;
    bool m_started = false;
    double m_time = 0.0;
};

struct SDrawnPoint {
    D3DXVECTOR3 m_position;
    D3DXVECTOR3 m_normal;
    float m_u = 0.0f;
    float m_v = 0.0f;
};

// A unit's vertices as drawn now (its current pose), in the world.
inline std::vector<SDrawnPoint> DrawnPoints(const velm::gfx::IGfxUnit* unit) {
    std::vector<SDrawnPoint> points;
    if (unit == nullptr) {
        return points;
    }
    const velm::gfx::SUnitGeometry& geometry = unit->GetGeometry();
    for (std::uint32_t i = 0; i < geometry.vertexCount; ++i) {
        const velm::gfx::SMeshVertex& vertex = geometry.vertices[i];
        SDrawnPoint point;
        D3DXVec3TransformCoord(&point.m_position, &vertex.position, &unit->GetWorldMatrix());
        D3DXVec3TransformNormal(&point.m_normal, &vertex.normal, &unit->GetWorldMatrix());
        point.m_u = vertex.u;
        point.m_v = vertex.v;
        points.push_back(point);
    }
    return points;
}

// The tube's points of a character's drawn mesh: those whose texture coordinates lie in the skin
// atlas's cell of the tube's colour (every character's fifth colour: the first cell of the second
// row), which no other solid of a character uses.
inline std::vector<SDrawnPoint> TubePoints(const kelvo::CKelvoModel& racer) {
    std::vector<SDrawnPoint> tube;
    for (const SDrawnPoint& point : DrawnPoints(racer.GetGfxUnit())) {
        if (point.m_u < 0.25f && point.m_v > 0.25f && point.m_v < 0.5f) {
            tube.push_back(point);
        }
    }
    return tube;
}

} // namespace tktest
