// velm::gfx::CRenderer: the render queue. Each flush draws the queued units (not owned) as one
// depth-sorted batch; geometry that never changes is drawn from buffers filled once, the rest is
// streamed through one dynamic vertex and one index buffer, which grow for a large unit up to
// what 16-bit indices address; it also writes the frame's shared, each batch's and each unit's
// effect parameters and counts what it drew. Main thread only; a singleton.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/gfx/fixed_geometry.h"
#include "engine/gfx/fx_manager.h"
#include "engine/gfx/gfx_unit.h"
#include "libs/common/singleton.h"

namespace velm {
namespace gfx {

class CRenderer {
public:
    static constexpr std::uint32_t kInitialVertices = 16384;
    static constexpr std::uint32_t kInitialIndices = 98304;
    // What 16-bit indices can address: one unit may not have more vertices.
    static constexpr std::uint32_t kMostVertices = 65536;
    // The technique of the same effect that draws, in the fog's colour alone, what a technique
    // would have covered with that colour past the fog's end; null for the others.
    static const char* FoggedTechnique(const std::string& technique);

    enum EDepthOrder : std::uint32_t { kFarthestFirst = 0, kNearestFirst = 1 };

    // The render targets and cube map the water techniques bind; set by whoever owns them.
    struct SWaterMaps {
        IDirect3DBaseTexture9* reflection = nullptr;
        IDirect3DBaseTexture9* refraction = nullptr;
        IDirect3DBaseTexture9* cube = nullptr;
    };

    CRenderer();
    virtual ~CRenderer();
    CRenderer(const CRenderer&) = delete;
    CRenderer& operator=(const CRenderer&) = delete;

    // The 17 shared parameters on the shared effect, once per frame.
    void Begin();
    void Enqueue(IGfxUnit* unit);
    void SetBatchTextures(const std::string& technique, const UnitTextures& textures, ID3DXEffect* effect,
                          const HandleList* handles);
    void SetUnitParameters(const SUnitRenderData& data, ID3DXEffect* effect, const HandleList* handles);
    void SetTransformAndMaterial(const SUnitRenderData& data, ID3DXEffect* effect, const HandleList* handles);
    // Draws and empties the queue; with no current effect or no buffers it only empties it.
    void Flush();
    void OnLostDevice();
    void OnResetDevice();

    void SetWaterMaps(const SWaterMaps& maps) { m_waterMaps = maps; }
    std::size_t GetQueueLength() const { return m_queue.size(); }
    std::uint32_t GetMaxVertices() const { return m_maxVertices; }
    std::uint32_t GetMaxIndices() const { return m_maxIndices; }
    IDirect3DVertexBuffer9* GetVertexBuffer() const { return m_vertexBuffer; }
    IDirect3DIndexBuffer9* GetIndexBuffer() const { return m_indexBuffer; }
    const CFixedGeometry& GetFixedGeometry() const { return m_fixed; }
    // Geometry of this serial is freed (from any thread): its device buffers go with it.
    void RetireGeometry(std::uint64_t serial) { m_fixed.Retire(serial); }

    std::uint32_t m_drawnUnits = 0;
    std::uint32_t m_drawnFaces = 0;
    std::uint32_t m_depthOrder = kNearestFirst;
    // Fixed geometry is sent only in the runs of triangles that may meet the view, and ground
    // wholly past the fog's end is drawn in the fog's colour without its textures.
    bool m_cutOutOfView = true;

private:
    void CreateBuffers();
    void ReleaseBuffers();
    // Grows the buffers to hold vertices and indices; false when they cannot be made.
    bool Reserve(std::uint32_t vertices, std::uint32_t indices);
    void SortByDepth(std::vector<IGfxUnit*>* units) const;
    void SetMatrices(const SUnitRenderData& data, ID3DXEffect* effect, const HandleList* handles);
    // The write at position of handles, or null (reported once per technique and list) past a
    // short list.
    D3DXHANDLE Handle(const HandleList* handles, std::size_t position, const std::string& technique);
    void SetWaterParameters(const std::string& technique, const SUnitRenderData& data, ID3DXEffect* effect,
                            const HandleList* handles);
    void DrawUnit(const IGfxUnit& unit, const SUnitRenderData& data, ID3DXEffect* effect, const HandleList* handles,
                  bool matricesOnly);
    void Report(const std::string& key, const std::string& message);
    // Draws the triangles of the fixed geometry that may be seen; false when it cannot tell.
    bool DrawSeenRanges(const SUnitRenderData& data, const CGeometryChunks& chunks, std::uint32_t faceCount,
                        ID3DXEffect* effect, bool matricesOnly);
    void DrawRanges(const std::vector<SIndexRange>& ranges);
    // Draws the ranges with the effect's plain-fog technique, then takes up the batch's pass again.
    void DrawFogged(ID3DXEffect* effect, const std::string& technique, const char* fogged);

    std::uint32_t m_maxVertices = kInitialVertices;
    std::uint32_t m_maxIndices = kInitialIndices;
    std::vector<IGfxUnit*> m_queue;
    IDirect3DVertexBuffer9* m_vertexBuffer = nullptr;
    IDirect3DIndexBuffer9* m_indexBuffer = nullptr;
    CFixedGeometry m_fixed;
    // The buffers set on the device within the current flush.
    IDirect3DVertexBuffer9* m_boundVertices = nullptr;
    IDirect3DIndexBuffer9* m_boundIndices = nullptr;
    bool m_lost = false;
    SWaterMaps m_waterMaps;
    std::vector<SIndexRange> m_ranges;
    std::vector<SIndexRange> m_foggedRanges;
    // The eye and the fog the shared parameters carry: past the wall the fog covers everything.
    D3DXVECTOR3 m_eye = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    float m_fogWall = -1.0f;
    UINT m_pass = 0;
    // Problems already logged, so that a fault seen every frame is logged once.
    std::set<std::string> m_reported;
};

using Renderer = common::CSingleton<CRenderer>;

} // namespace gfx
} // namespace velm
