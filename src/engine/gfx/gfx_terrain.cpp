#include "engine/gfx/gfx_terrain.h"

#include <cstdio>
#include <cstring>

#include "engine/gfx/gfx_core.h"
#include "engine/gfx/gfx_water.h"
#include "engine/phy/height_map.h"

namespace velm {
namespace gfx {

void CGfxTerrain::Prepare() {
    const SUnitGeometry& geometry = GetGeometry();
    FillRenderRecord(geometry.vertexCount, geometry.indexCount / 3,
                     GetMaterial() != nullptr ? &GetMaterial()->MatD3D : nullptr);
    m_renderData.terrainBlend = GetTexture(1);
}

void CGfxTerrain::Unload() {
    CGfxUnit::Unload();
    std::vector<float>().swap(m_heights);
    std::vector<std::uint16_t>().swap(m_farIndices);
}

bool CGfxTerrain::IsDrawableGrid(std::uint32_t vertPerRow, std::uint32_t vertPerCol) {
    return vertPerRow >= 2 && vertPerCol >= 2 &&
           static_cast<std::uint64_t>(vertPerRow) * vertPerCol <= kMaxWaterVertices;
}

bool CGfxTerrain::CreateGeometry(const SGfxUnitLoadInfo& info, const std::string& heightMapFile,
                                 std::uint32_t vertPerRow, std::uint32_t vertPerCol, float cellSpacing, float amplitude,
                                 phy::CGrid2D* heightGrid) {
    Unload();
    SetEffectFileName(info.effectFileName);
    SetMeshFileName(info.meshFileName);
    SetTechniqueName(info.techniqueName);
    const std::uint32_t p = vertPerRow;
    const std::uint32_t q = vertPerCol;
    const std::uint64_t count = static_cast<std::uint64_t>(p) * q;
    if (!IsDrawableGrid(p, q)) {
        std::fprintf(stderr, "Terrain %s: %u x %u vertices make no mesh; the unit stays empty\n", heightMapFile.c_str(),
                     p, q);
        return false;
    }
    if (heightGrid != nullptr && (heightGrid->GetColumns() != p || heightGrid->GetRows() != q)) {
        std::fprintf(stderr, "Terrain %s: a height grid of %u x %u for %u x %u vertices; the unit stays empty\n",
                     heightMapFile.c_str(), heightGrid->GetColumns(), heightGrid->GetRows(), p, q);
        return false;
    }
    m_heights.assign(static_cast<std::size_t>(count), 0.0f);
    if (GFXCore::Exists() && GFXCore::Instance().GetDevice() != nullptr &&
        !GFXCore::Instance().ReadHeightMap(heightMapFile, m_heights.data(), p, q)) {
        std::fprintf(stderr, "Terrain height map %s gives no heights; the terrain is flat\n", heightMapFile.c_str());
    }
    const float width = static_cast<float>(p - 1) * cellSpacing;
    const float depth = static_cast<float>(q - 1) * cellSpacing;
    std::vector<SMeshVertex> vertices(static_cast<std::size_t>(count), SMeshVertex{});
    for (std::uint32_t r = 0; r < q; ++r) {
        for (std::uint32_t c = 0; c < p; ++c) {
            const std::size_t i = static_cast<std::size_t>(r) * p + c;
            m_heights[i] *= amplitude;
            SMeshVertex& vertex = vertices[i];
            vertex.position = D3DXVECTOR3(-width / 2.0f + static_cast<float>(c) * cellSpacing, m_heights[i],
                                          depth / 2.0f - static_cast<float>(r) * cellSpacing);
            vertex.normal = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
            vertex.u = static_cast<float>(c) / static_cast<float>(p - 1);
            vertex.v = static_cast<float>(r) / static_cast<float>(q - 1);
            if (heightGrid != nullptr) {
                (*heightGrid)(c, q - 1 - r) += m_heights[i];
            }
        }
    }
    std::vector<std::uint16_t> indices = GridIndices(p, q, 1);
    ComputeFrames(vertices, indices);
    SetOwnGeometry(std::move(vertices), std::move(indices));
    LayFarCover(p, q);
    return true;
}

std::vector<std::uint16_t> CGfxTerrain::GridIndices(std::uint32_t vertPerRow, std::uint32_t vertPerCol,
                                                    std::uint32_t step) {
    std::vector<std::uint16_t> indices;
    indices.reserve(static_cast<std::size_t>((vertPerRow - 1) / step) * ((vertPerCol - 1) / step) * 6);
    for (std::uint32_t r = 0; r + step < vertPerCol; r += step) {
        for (std::uint32_t c = 0; c + step < vertPerRow; c += step) {
            const auto a = static_cast<std::uint16_t>(r * vertPerRow + c);
            const auto b = static_cast<std::uint16_t>((r + step) * vertPerRow + c);
            const auto a1 = static_cast<std::uint16_t>(a + step);
            const auto b1 = static_cast<std::uint16_t>(b + step);
            indices.insert(indices.end(), {a, a1, b, b, a1, b1});
        }
    }
    return indices;
}

void CGfxTerrain::LayFarCover(std::uint32_t vertPerRow, std::uint32_t vertPerCol) {
    if ((vertPerRow - 1) % 2 != 0 || (vertPerCol - 1) % 2 != 0) {
        return;
    }
    m_farIndices = GridIndices(vertPerRow, vertPerCol, 2);
    m_geometry.trianglesPerRun = 4 * (vertPerRow - 1);
    m_geometry.farIndices = m_farIndices.data();
    m_geometry.farIndexCount = static_cast<std::uint32_t>(m_farIndices.size());
    m_geometry.farTrianglesPerRun = vertPerRow - 1;
}

void CGfxTerrain::ComputeFrames(std::vector<SMeshVertex>& vertices, const std::vector<std::uint16_t>& indices) {
    if (!GFXCore::Exists() || GFXCore::Instance().GetDevice() == nullptr) {
        return;
    }
    CGFXCore& core = GFXCore::Instance();
    ID3DXMesh* mesh = nullptr;
    const auto faces = static_cast<DWORD>(indices.size() / 3);
    if (FAILED(core.CreateMesh(faces, static_cast<DWORD>(vertices.size()), D3DXMESH_MANAGED, nullptr, &mesh)) ||
        mesh == nullptr) {
        return;
    }
    const std::size_t vertexBytes = vertices.size() * sizeof(SMeshVertex);
    const std::size_t indexBytes = indices.size() * sizeof(std::uint16_t);
    void* data = nullptr;
    if (SUCCEEDED(core.LockMeshVertexBuffer(mesh, 0, &data)) && data != nullptr) {
        std::memcpy(data, vertices.data(), vertexBytes);
        core.UnlockMeshVertexBuffer(mesh);
    }
    data = nullptr;
    if (SUCCEEDED(core.LockMeshIndexBuffer(mesh, 0, &data)) && data != nullptr) {
        std::memcpy(data, indices.data(), indexBytes);
        core.UnlockMeshIndexBuffer(mesh);
    }
    core.ComputeNormals(mesh, nullptr);
    core.ComputeTangent(mesh, 0, 0, 0, 0, nullptr);
    data = nullptr;
    if (SUCCEEDED(core.LockMeshVertexBuffer(mesh, D3DLOCK_READONLY, &data)) && data != nullptr) {
        std::memcpy(vertices.data(), data, vertexBytes);
        core.UnlockMeshVertexBuffer(mesh);
    }
    mesh->Release();
}

} // namespace gfx
} // namespace velm
