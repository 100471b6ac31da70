// The graphics system the application owns: configured once from the engine configuration, it
// creates the device, renders each frame, keeps the level's terrain and water units, answers
// device loss and reset and saves screenshots. Main thread only.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d9/d3d9.h"

namespace velm {

class ISceneUnit;

namespace gfx {

class CGFXSkyBox;
class IGfxUnit;
class IScreenUnit;

class CVelmGfx {
public:
    struct SLightRecord {
        D3DLIGHT9 m_light = {};
        std::uint32_t m_index = 0;
    };

    struct SVelmGfxInitInfo {
        bool m_useDefault = false;
        std::vector<std::string> m_fxFiles;
        std::vector<SLightRecord> m_lights;
        float m_r = 0.0f;
        float m_g = 0.0f;
        float m_b = 0.0f;
        float m_a = 0.0f;
        float m_fogStart = 0.0f;
        float m_fogEnd = 0.0f;
        float m_fogDensity = 0.0f;
        bool m_enableFullSceneAA = false;
        bool m_enableWireFrame = false;
        bool m_fullScreen = false;
        std::int32_t m_screenWidth = 0;
        std::int32_t m_screenHeight = 0;
        std::string m_meshDirectory;
        std::string m_effectDirectory;
        std::string m_textureDirectory;
    };

    CVelmGfx();
    virtual ~CVelmGfx();

    // Display settings, directories, the device, then the renderer, effects (the configured
    // files), caches, lights and fog.
    void Init(const SVelmGfxInitInfo& info);
    // One frame: begins it (render states, scene, the frame's shared effect parameters, clear)
    // and ends the scene; the framework's loop presents it.
    void RenderFrame(double time, float elapsed);

    // The frame's particle systems (from GatherParticleUnits): those whose sphere lies outside
    // the wide frustum are left out. The units stay the registry's; the list lasts one frame.
    void CullParticleUnits(const std::vector<IGfxUnit*>& units);
    const std::vector<IGfxUnit*>& GetParticleUnits() const { return m_particleUnits; }
    // The screen units drawn over this frame's scene, sorted here by ascending z-order (equal
    // z-orders keep their order); not owned, emptied after the frame.
    void SetScreenUnits(std::vector<IScreenUnit*> units);
    const std::vector<IScreenUnit*>& GetScreenUnits() const { return m_screenUnits; }

    // The terrain and water units of the level; the units belong to their game objects.
    void AddTerrainUnit(ISceneUnit* unit);
    void AddWaterUnit(ISceneUnit* unit);
    void ClearTerrainUnits();
    void ClearWaterUnits();
    const std::vector<ISceneUnit*>& GetTerrainUnits() const { return m_terrainUnits; }
    const std::vector<ISceneUnit*>& GetWaterUnits() const { return m_waterUnits; }
    std::uint32_t GetTerrainObjectCount() const { return m_terrainObjectCount; }
    std::uint32_t GetWaterObjectCount() const { return m_waterObjectCount; }

    // Replaces the skybox; faces in the order right, left, up, down, front, back.
    void CreateSkyBox(float scalar, const std::array<std::string, 6>& textureNames);
    CGFXSkyBox* GetSkyBox() const { return m_skyBox.get(); }

    const SVelmGfxInitInfo& GetSettings() const { return m_settings; }
    std::uint32_t GetRenderFlags() const { return m_renderFlags; }
    void SetRenderFlags(std::uint32_t flags) { m_renderFlags = flags; }

private:
    // Farthest first, each system its own batch through its effect, technique and texture; a
    // hidden (skipped) system or one outside the view is neither stepped nor drawn.
    void RenderParticleUnits();

    SVelmGfxInitInfo m_settings;
    std::vector<IGfxUnit*> m_particleUnits;
    std::vector<IScreenUnit*> m_screenUnits;
    std::uint32_t m_renderFlags = 0x2007F;
    std::vector<ISceneUnit*> m_terrainUnits;
    std::vector<ISceneUnit*> m_waterUnits;
    std::uint32_t m_terrainObjectCount = 0;
    std::uint32_t m_waterObjectCount = 0;
    std::unique_ptr<CGFXSkyBox> m_skyBox;
};

// Device loss and reset: the graphics core, the effects, then the renderer, both ways.
void OnLostDevice();
void OnResetDevice();

// Saves the back buffer as "VelmScrshot_" + running number + ".png"; false when nothing was saved.
bool SaveScreenshot();

} // namespace gfx
} // namespace velm
