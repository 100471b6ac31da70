#include "engine/gfx/gfx_water.h"

#include <cstdio>
#include <cstring>

namespace velm {
namespace gfx {

static_assert(sizeof(SWaveWaterParams) == kWaveParameterCount * sizeof(float), "30 wave values, no padding");
static_assert(sizeof(SPlanarWaterParams) == kPlanarParameterCount * sizeof(float), "4 planar values");

namespace {

constexpr float kWaveSpecularPower = 256.0f;
constexpr float kPlanarSpecularPower = 60.0f;

bool UsableGrid(const SWaterGrid* grid, const char* kind) {
    if (grid == nullptr) {
        std::fprintf(stderr, "%s water without a grid: the unit stays empty\n", kind);
        return false;
    }
    const std::uint64_t vertices = static_cast<std::uint64_t>(grid->vertPerRow) * grid->vertPerCol;
    if (grid->vertPerRow < 2 || grid->vertPerCol < 2 || vertices > kMaxWaterVertices) {
        std::fprintf(stderr, "%s water grid of %u x %u vertices makes no mesh: the unit stays empty\n", kind,
                     grid->vertPerRow, grid->vertPerCol);
        return false;
    }
    return true;
}

} // namespace

void ACGfxWater::Build(const SGfxUnitLoadInfo& info, float specularPower, std::vector<SMeshVertex> vertices,
                       std::vector<std::uint16_t> indices) {
    SetEffectFileName(info.effectFileName);
    SetMeshFileName(info.meshFileName);
    SetTechniqueName(info.techniqueName);
    D3DXMATERIAL material = {};
    const D3DCOLORVALUE white = {1.0f, 1.0f, 1.0f, 1.0f};
    material.MatD3D.Ambient = white;
    material.MatD3D.Diffuse = white;
    material.MatD3D.Specular = white;
    material.MatD3D.Power = specularPower;
    SetMaterial(material);
    SetOwnGeometry(std::move(vertices), std::move(indices));
}

void ACGfxWater::FillWaterRecord() {
    const SUnitGeometry& geometry = GetGeometry();
    FillRenderRecord(geometry.vertexCount, geometry.indexCount / 3,
                     GetMaterial() != nullptr ? &GetMaterial()->MatD3D : nullptr);
    m_renderData.waveWater = nullptr;
    m_renderData.planarWater = nullptr;
}

void CGfxPlanarWaveWater::CreateGeometry(const SGfxUnitLoadInfo& info, const SWaterGrid* grid, const SWaterMesh*) {
    Unload();
    if (!UsableGrid(grid, "Planar wave")) {
        Build(info, kWaveSpecularPower, {}, {});
        return;
    }
    m_grid = *grid;
    const std::uint32_t p = grid->vertPerRow;
    const std::uint32_t q = grid->vertPerCol;
    const float spacing = grid->cellSpacing;
    const float width = static_cast<float>(p - 1) * spacing;
    const float depth = static_cast<float>(q - 1) * spacing;
    std::vector<SMeshVertex> vertices(static_cast<std::size_t>(p) * q, SMeshVertex{});
    for (std::uint32_t r = 0; r < q; ++r) {
        for (std::uint32_t c = 0; c < p; ++c) {
            SMeshVertex& vertex = vertices[static_cast<std::size_t>(r) * p + c];
            vertex.position = D3DXVECTOR3(-width / 2.0f + static_cast<float>(c) * spacing, 0.0f,
                                          depth / 2.0f - static_cast<float>(r) * spacing);
            vertex.normal = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
            vertex.u = static_cast<float>(c) / static_cast<float>(p - 1);
            vertex.v = static_cast<float>(r) / static_cast<float>(q - 1);
        }
    }
    std::vector<std::uint16_t> indices;
    indices.reserve(static_cast<std::size_t>(p - 1) * (q - 1) * 6);
    for (std::uint32_t r = 0; r + 1 < q; ++r) {
        for (std::uint32_t c = 0; c + 1 < p; ++c) {
            const auto a = static_cast<std::uint16_t>(r * p + c);
            const auto b = static_cast<std::uint16_t>((r + 1) * p + c);
            indices.insert(indices.end(), {a, static_cast<std::uint16_t>(a + 1), b, b,
                                           static_cast<std::uint16_t>(a + 1), static_cast<std::uint16_t>(b + 1)});
        }
    }
    Build(info, kWaveSpecularPower, std::move(vertices), std::move(indices));
}

void ACGfxWaveWater::SetWaterParameters(const float* parameters) {
    if (parameters != nullptr) {
        std::memcpy(&m_wave, parameters, sizeof m_wave);
    }
}

void ACGfxWaveWater::Prepare() {
    FillWaterRecord();
    m_renderData.waveWater = &m_wave;
}

void CGfxPlanarWater::CreateGeometry(const SGfxUnitLoadInfo& info, const SWaterGrid*, const SWaterMesh*) {
    Unload();
    const float corners[4][4] = {
        {-0.5f, 0.5f, 0.0f, 0.0f}, {0.5f, 0.5f, 1.0f, 0.0f}, {0.5f, -0.5f, 1.0f, 1.0f}, {-0.5f, -0.5f, 0.0f, 1.0f}};
    std::vector<SMeshVertex> vertices(4, SMeshVertex{});
    for (std::size_t i = 0; i < 4; ++i) {
        vertices[i].position = D3DXVECTOR3(corners[i][0], 0.0f, corners[i][1]);
        // Up, so that lighting treats the quad as the surface it is.
        vertices[i].normal = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
        vertices[i].u = corners[i][2];
        vertices[i].v = corners[i][3];
    }
    Build(info, kPlanarSpecularPower, std::move(vertices), {0, 1, 2, 0, 2, 3});
}

void CGfxPlanarWater::SetWaterParameters(const float* parameters) {
    if (parameters != nullptr) {
        std::memcpy(&m_planar, parameters, sizeof m_planar);
    }
}

void CGfxPlanarWater::Prepare() {
    FillWaterRecord();
    m_renderData.planarWater = &m_planar;
}

void CGfxSplineWater::CreateGeometry(const SGfxUnitLoadInfo& info, const SWaterGrid* grid, const SWaterMesh* mesh) {
    Unload();
    if (grid != nullptr) {
        m_grid = *grid;
    }
    const bool present = mesh != nullptr && mesh->vertices != nullptr && mesh->indices != nullptr &&
                         mesh->vertexCount > 0 && mesh->vertexCount <= kMaxWaterVertices && mesh->indexCount % 3 == 0;
    bool inRange = present;
    for (std::uint32_t i = 0; inRange && i < mesh->indexCount; ++i) {
        inRange = mesh->indices[i] < mesh->vertexCount;
    }
    if (!inRange) {
        std::fprintf(stderr, "Spline water mesh %s: the unit stays empty\n",
                     present ? "has indices past its vertices" : "is missing or holds no whole triangles");
        Build(info, kWaveSpecularPower, {}, {});
        return;
    }
    std::vector<SMeshVertex> vertices(mesh->vertexCount);
    std::memcpy(vertices.data(), mesh->vertices, vertices.size() * sizeof(SMeshVertex));
    std::vector<std::uint16_t> indices(mesh->indices, mesh->indices + mesh->indexCount);
    Build(info, kWaveSpecularPower, std::move(vertices), std::move(indices));
}

} // namespace gfx
} // namespace velm
