// The graphics system the application owns: configured once from the engine configuration, it
// creates the device and the graphics singletons, keeps the level's unit lists and the seven
// scene graphs built from them, culls the frame's dynamic and particle units, renders each frame
// (pre-depth, the graphs, the water's reflection and refraction, debug lines), answers device
// loss and reset and saves screenshots. It owns the graphs and debug-line object, not the units.
// Main thread only, except AddWaterUnit and AddTerrainUnit, which the loading thread calls while
// the main thread draws the loading screen.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/gfx/gfx_unit.h"
#include "platform/d3d9/d3dx9.h"

namespace velm {

class ISceneUnit;

namespace gfx {

class CGFXSkyBox;
class CSceneGraphMgr;
class IScreenUnit;

// A polyline drawn when visual debugging is on; the caller keeps the vertices alive until the
// frame that draws it.
struct SGfxDebugLine {
    D3DXVECTOR3* vertices = nullptr;
    std::uint32_t count = 0;
    float r = 1.0f;
    float g = 1.0f;
    float b = 1.0f;
    float a = 1.0f;
};

// The bits of the render flags.
enum ERenderFlag : std::uint32_t {
    kRenderDynamic = 0x1,
    kRenderParticle = 0x2,
    kRenderOpaque = 0x4,
    kRenderTransparent = 0x8,
    kRenderTerrain = 0x10,
    kRenderWater = 0x20,
    kRenderSkybox = 0x40,
    kSaveReflection = 0x80,
    kSaveRefraction = 0x100,
    kVisualDebug = 0x200,
    kPreDepth = 0x400,
    kTerrainDebugMeshes = 0x800,
    kWaterDebugMeshes = 0x1000,
    kDynamicDebugMeshes = 0x2000,
    kOpaqueDebugMeshes = 0x4000,
    kTransparentDebugMeshes = 0x8000,
    kParticleDebugMeshes = 0x10000,
    kRenderScreenUnits = 0x20000,
    kDefaultRenderFlags = 0x2007F,
};

// The graph mask of SetSpatialPartition.
enum EGraphMask : std::uint32_t {
    kDynamicGraph = 0x1,
    kParticleGraph = 0x2,
    kOpaqueGraph = 0x4,
    kTransparentGraph = 0x8,
    kTerrainGraph = 0x10,
    kWaterGraph = 0x20,
    kDebugGraph = 0x40,
};

// A debug-line colour channel in 0..1 as a byte: 255 above 1, 0 at or below 0, else rounded.
std::uint32_t ColourChannel(float c);

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

    // The seven graphs, empty lists and counters, the default render flags.
    CVelmGfx();
    virtual ~CVelmGfx();
    CVelmGfx(const CVelmGfx&) = delete;
    CVelmGfx& operator=(const CVelmGfx&) = delete;

    // Display settings, directories, the device, the graphics singletons, the configured
    // effects, fog and lights, then the debug-line object, whose creation is the result.
    HRESULT Init(const SVelmGfxInitInfo& info);
    // The graphics update of the game's frame: the live particle systems are checked, stepped
    // when finite and unseen last frame, and removed once dead.
    void Update(double time, float elapsed);
    // One frame, ending its scene; the framework's loop presents it.
    void RenderFrame(double time, float elapsed);
    // The mirrored and the submerged scene into the water manager's two targets.
    void RenderWaterMaps();

    // Each frame before RenderFrame: the units that pass the wide frustum go into the dynamic
    // (particle) graph. Each pass keeps statistics of its own, so neither wipes the other's.
    void CullDynamicUnits(const std::vector<IGfxUnit*>& units);
    void CullParticleUnits(const std::vector<IGfxUnit*>& units);
    // The screen units drawn over this frame's scene, sorted here by ascending z-order (equal
    // z-orders keep their order); not owned, emptied after the frame.
    void SetScreenUnits(std::vector<IScreenUnit*> units);
    const std::vector<IScreenUnit*>& GetScreenUnits() const { return m_screenUnits; }

    // The level's units; they belong to their game objects.
    void AddTerrainUnit(IGfxUnit* unit);
    void AddWaterUnit(IGfxUnit* unit);
    // Units that are no graphics units are logged and not drawn.
    void AddTerrainUnit(ISceneUnit* unit);
    void AddWaterUnit(ISceneUnit* unit);
    void AddOpaqueUnit(IGfxUnit* unit);
    void AddTransparentUnit(IGfxUnit* unit);
    // Takes a unit that is about to be freed out of the opaque and transparent lists, and out of
    // their graphs when it was in one; a unit in neither changes nothing.
    void RemoveLevelUnit(IGfxUnit* unit);
    void BuildTerrainSceneGraph();
    void BuildWaterSceneGraph();
    // The opaque and transparent graphs from their lists (the track start).
    void BuildLevelSceneGraphs();
    void ClearTerrainUnits();
    void ClearWaterUnits();
    void ClearLevelSceneGraphs();

    // Cells of size laid from min towards max go to the graphs of mask (0: opaque, transparent,
    // terrain and water).
    void SetSpatialPartition(float minX, float minY, float minZ, float maxX, float maxY, float maxZ, float sizeX,
                             float sizeY, float sizeZ, std::uint32_t mask);

    // Replaces the skybox; faces in the order right, left, up, down, front, back.
    void CreateSkyBox(float scalar, const std::array<std::string, 6>& textureNames);
    CGFXSkyBox* GetSkyBox() const { return m_skyBox.get(); }

    void AddDebugLine(const SGfxDebugLine& line) { m_debugLines.push_back(line); }
    const std::vector<SGfxDebugLine>& GetDebugLines() const { return m_debugLines; }

    const std::vector<IGfxUnit*>& GetTerrainUnits() const { return m_terrainUnits; }
    const std::vector<IGfxUnit*>& GetWaterUnits() const { return m_waterUnits; }
    const std::vector<IGfxUnit*>& GetOpaqueUnits() const { return m_opaqueUnits; }
    const std::vector<IGfxUnit*>& GetTransparentUnits() const { return m_transparentUnits; }
    const std::vector<IGfxUnit*>& GetDebugMeshes() const { return m_debugMeshes; }

    CSceneGraphMgr& GetTerrainGraph() const { return *m_terrainGraph; }
    CSceneGraphMgr& GetOpaqueGraph() const { return *m_opaqueGraph; }
    CSceneGraphMgr& GetTransparentGraph() const { return *m_transparentGraph; }
    CSceneGraphMgr& GetWaterGraph() const { return *m_waterGraph; }
    CSceneGraphMgr& GetDynamicGraph() const { return *m_dynamicGraph; }
    CSceneGraphMgr& GetParticleGraph() const { return *m_particleGraph; }
    CSceneGraphMgr& GetDebugGraph() const { return *m_debugGraph; }

    // Statistics of the overlay: scene and filtered totals cover the dynamic pass (with the
    // skybox and the static lists) and the particle pass.
    std::uint32_t GetSceneObjectCount() const { return m_sceneObjects + m_particleSceneObjects; }
    std::uint32_t GetSceneFaceCount() const { return m_sceneFaces + m_particleSceneFaces; }
    std::uint32_t GetFilteredObjectCount() const { return m_filteredObjects + m_particleFilteredObjects; }
    std::uint32_t GetFilteredFaceCount() const { return m_filteredFaces + m_particleFilteredFaces; }
    std::uint32_t GetParticleSceneObjectCount() const { return m_particleSceneObjects; }
    std::uint32_t GetParticleFilteredObjectCount() const { return m_particleFilteredObjects; }
    std::uint32_t GetDrawnObjectCount() const { return m_drawnObjects; }
    std::uint32_t GetDrawnFaceCount() const { return m_drawnFaces; }
    std::uint32_t GetTerrainObjectCount() const { return m_terrainObjects; }
    std::uint32_t GetTerrainFaceCount() const { return m_terrainFaces; }
    std::uint32_t GetWaterObjectCount() const { return m_waterObjects; }
    std::uint32_t GetWaterFaceCount() const { return m_waterFaces; }
    std::uint32_t GetLevelObjectCount() const { return m_levelObjects; }
    std::uint32_t GetLevelFaceCount() const { return m_levelFaces; }

    const SVelmGfxInitInfo& GetSettings() const { return m_settings; }
    std::uint32_t GetRenderFlags() const { return m_renderFlags; }
    void SetRenderFlags(std::uint32_t flags) { m_renderFlags = flags; }

private:
    void RenderGraph(CSceneGraphMgr& graph, std::uint32_t flag);
    // Terrain, opaque and dynamic nearest first, then transparent and particles farthest first.
    void RenderMirrorGraphs();
    void RenderOpaqueWaterDepth();
    // The racers' depth, laid before the river so that its pixels behind them are not shaded.
    void RenderDynamicDepth();
    void DrawDebugLines(const D3DXMATRIX& viewProjection);

    SVelmGfxInitInfo m_settings;
    std::vector<SGfxDebugLine> m_debugLines;
    ID3DXLine* m_line = nullptr;
    CSceneGraphMgr* m_terrainGraph;
    CSceneGraphMgr* m_opaqueGraph;
    CSceneGraphMgr* m_transparentGraph;
    CSceneGraphMgr* m_waterGraph;
    CSceneGraphMgr* m_dynamicGraph;
    CSceneGraphMgr* m_particleGraph;
    CSceneGraphMgr* m_debugGraph;
    std::uint32_t m_sceneObjects = 0;
    std::uint32_t m_sceneFaces = 0;
    std::uint32_t m_filteredObjects = 0;
    std::uint32_t m_filteredFaces = 0;
    std::uint32_t m_drawnObjects = 0;
    std::uint32_t m_drawnFaces = 0;
    std::uint32_t m_particleSceneObjects = 0;
    std::uint32_t m_particleSceneFaces = 0;
    std::uint32_t m_particleFilteredObjects = 0;
    std::uint32_t m_particleFilteredFaces = 0;
    std::uint32_t m_terrainObjects = 0;
    std::uint32_t m_terrainFaces = 0;
    std::uint32_t m_waterObjects = 0;
    std::uint32_t m_waterFaces = 0;
    std::uint32_t m_levelObjects = 0;
    std::uint32_t m_levelFaces = 0;
    std::unique_ptr<CGFXSkyBox> m_skyBox;
    std::vector<IGfxUnit*> m_waterUnits;
    std::vector<IGfxUnit*> m_terrainUnits;
    std::vector<IGfxUnit*> m_opaqueUnits;
    std::vector<IGfxUnit*> m_transparentUnits;
    std::vector<IGfxUnit*> m_debugMeshes;
    // The particle pass's debug meshes, kept apart so that the dynamic pass does not drop them.
    std::vector<IGfxUnit*> m_particleDebugMeshes;
    std::vector<IScreenUnit*> m_screenUnits;
    std::uint32_t m_renderFlags = kDefaultRenderFlags;
};

// Device loss and reset: the graphics core, the effects, the water targets, then the renderer.
void OnLostDevice();
void OnResetDevice();

std::uint32_t GetScreenWidth();
std::uint32_t GetScreenHeight();
// Texture directory + name becomes the water's environment cube.
void SetWaterEnvironmentMap(const std::string& fileName);

// Saves the back buffer as "VelmScrshot_" + running number + ".png"; false when nothing was saved.
bool SaveScreenshot();

} // namespace gfx
} // namespace velm
