// velm::gfx::ACGfxWater: the base of the water units, a render unit that also carries its
// water kind (0 planar wave, 1 planar, 2 spline) and, for the planar kinds, the world-space
// plane of its surface, which the frame's reflection pass mirrors the scene in; and the three
// kinds, each building its own arrays. A unit owns its arrays and parameter block. Main thread only.
#pragma once

#include <cstdint>

#include "engine/gfx/gfx_unit.h"

namespace velm {
namespace gfx {

enum EWaterKind : std::uint32_t {
    kPlanarWaveWater = 0,
    kPlanarWater = 1,
    kSplineWater = 2,
};

// The level record's grid block: vertices along x, vertices along z, distance between them.
struct SWaterGrid {
    std::uint32_t vertPerRow = 0;
    std::uint32_t vertPerCol = 0;
    float cellSpacing = 0.0f;
};

// Arrays read from a spline water's grid file: vertexCount 60-byte vertices, indexCount indices.
struct SWaterMesh {
    const void* vertices = nullptr;
    std::uint32_t vertexCount = 0;
    const std::uint16_t* indices = nullptr;
    std::uint32_t indexCount = 0;
};

// Sixteen-bit indices reach no further.
constexpr std::uint32_t kMaxWaterVertices = 65536;
constexpr std::uint32_t kWaveParameterCount = 30;
constexpr std::uint32_t kPlanarParameterCount = 4;

class ACGfxWater : public CGfxUnit {
public:
    std::uint32_t GetFaceCount() const override { return GetGeometry().indexCount / 3; }
    bool SetAnimation(std::uint32_t, bool) override { return false; }
    void Unload() override { CGfxUnit::Unload(); }

    // Unloads, takes the names of info and builds the kind's arrays; input that cannot make the
    // kind's mesh is logged and leaves the unit empty.
    virtual void CreateGeometry(const SGfxUnitLoadInfo& info, const SWaterGrid* grid, const SWaterMesh* mesh) = 0;
    virtual void SetWaterPlane(const D3DXPLANE& plane) { m_waterPlane = plane; }
    virtual D3DXPLANE GetWaterPlane() const { return m_waterPlane; }
    virtual std::uint32_t GetWaterKind() const { return m_waterKind; }
    // Copies the kind's block (kWaveParameterCount or kPlanarParameterCount floats, in the level
    // file's order); null changes nothing.
    virtual void SetWaterParameters(const float* parameters) = 0;

protected:
    // Names, white material with the kind's specular power, and the arrays (which set the local
    // bounding sphere).
    void Build(const SGfxUnitLoadInfo& info, float specularPower, std::vector<SMeshVertex> vertices,
               std::vector<std::uint16_t> indices);
    // The render record with the material; the caller adds its parameter block.
    void FillWaterRecord();

    D3DXPLANE m_waterPlane = D3DXPLANE(0.0f, 1.0f, 0.0f, 0.0f);
    std::uint32_t m_waterKind = kPlanarWater;
};

// The two kinds that move their surface by the wave block: it reaches the renderer with the record.
class ACGfxWaveWater : public ACGfxWater {
public:
    void SetWaterParameters(const float* parameters) override;
    void Prepare() override;

    const SWaveWaterParams& GetWaveParameters() const { return m_wave; }
    const SWaterGrid& GetGrid() const { return m_grid; }
    const D3DXVECTOR3& GetCentre() const { return m_centre; }

protected:
    SWaterGrid m_grid;

private:
    SWaveWaterParams m_wave = {};
    D3DXVECTOR3 m_centre = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
};

// Kind 0: a flat grid of the record's size, centred on the unit, row 0 at its +z edge.
class CGfxPlanarWaveWater : public ACGfxWaveWater {
public:
    CGfxPlanarWaveWater() { m_waterKind = kPlanarWaveWater; }
    void CreateGeometry(const SGfxUnitLoadInfo& info, const SWaterGrid* grid, const SWaterMesh* mesh) override;
};

// Kind 1: the unit quad in the xz plane; the unit's scale gives the water its size.
class CGfxPlanarWater : public ACGfxWater {
public:
    CGfxPlanarWater() { m_waterKind = kPlanarWater; }
    void CreateGeometry(const SGfxUnitLoadInfo& info, const SWaterGrid* grid, const SWaterMesh* mesh) override;
    void SetWaterParameters(const float* parameters) override;
    void Prepare() override;

    const SPlanarWaterParams& GetPlanarParameters() const { return m_planar; }

private:
    SPlanarWaterParams m_planar = {};
};

// Kind 2: copies of the grid file's arrays. Indices that point past the vertices refuse the
// whole mesh, so the renderer never reads beyond it.
class CGfxSplineWater : public ACGfxWaveWater {
public:
    CGfxSplineWater() { m_waterKind = kSplineWater; }
    void CreateGeometry(const SGfxUnitLoadInfo& info, const SWaterGrid* grid, const SWaterMesh* mesh) override;
};

} // namespace gfx
} // namespace velm
