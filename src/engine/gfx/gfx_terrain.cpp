#include "engine/gfx/gfx_terrain.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/gfx/gfx_core.h"
#include "engine/gfx/gfx_water.h"
#include "engine/gfx/mesh_hierarchy.h"
#include "engine/gfx/texture_cache.h"
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
    std::vector<std::uint16_t>().swap(m_baseIndices);
    std::vector<std::uint32_t>().swap(m_baseRunFirst);
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

std::uint32_t CGfxTerrain::SingleBaseOf(const std::uint8_t* texels, std::uint32_t width, std::uint32_t height,
                                        std::uint32_t pitch, float u0, float v0, float u1, float v1) {
    if (texels == nullptr || width == 0 || height == 0 || !(u0 <= u1) || !(v0 <= v1) ||
        !std::isfinite(u1 - u0 + v1 - v0) || (u1 - u0) * width > 4096.0f || (v1 - v0) * height > 4096.0f) {
        return kTerrainBases;
    }
    // A linear filter reads the texel below and the one above the sample's place less a half.
    const auto first = [](float t, std::uint32_t size) {
        return static_cast<long long>(std::floor(t * static_cast<float>(size) - 0.5f));
    };
    const long long x0 = first(u0, width);
    const long long x1 = first(u1, width) + 1;
    const long long y0 = first(v0, height);
    const long long y1 = first(v1, height) + 1;
    std::uint32_t found = kTerrainBases;
    for (long long y = y0; y <= y1; ++y) {
        const long long row = ((y % height) + height) % height;
        for (long long x = x0; x <= x1; ++x) {
            const long long column = ((x % width) + width) % width;
            const std::uint8_t* bgra = texels + row * pitch + column * 4;
            const bool red = bgra[2] != 0;
            const bool green = bgra[1] != 0;
            const bool blue = bgra[0] != 0;
            if (static_cast<int>(red) + static_cast<int>(green) + static_cast<int>(blue) != 1) {
                return kTerrainBases;
            }
            const std::uint32_t base = red ? 0 : (green ? 1 : 2);
            if (found != kTerrainBases && found != base) {
                return kTerrainBases;
            }
            found = base;
        }
    }
    return found;
}

void CGfxTerrain::LaySingleBaseRuns() {
    std::vector<std::uint16_t>().swap(m_baseIndices);
    std::vector<std::uint32_t>().swap(m_baseRunFirst);
    m_geometry.baseIndices = nullptr;
    m_geometry.baseIndexCount = 0;
    m_geometry.baseRunFirst = nullptr;
    m_geometry.baseRuns = 0;
    const CTextureRef* blend = GetTexture(1);
    IDirect3DTexture9* texture = blend != nullptr ? blend->GetTexture() : nullptr;
    const std::uint32_t perRun = m_geometry.trianglesPerRun;
    if (texture == nullptr || perRun == 0 || m_geometry.vertices == nullptr || m_geometry.indices == nullptr) {
        return;
    }
    D3DSURFACE_DESC desc;
    D3DLOCKED_RECT locked;
    if (FAILED(texture->GetLevelDesc(0, &desc)) || FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) {
        return;
    }
    const auto* texels = static_cast<const std::uint8_t*>(locked.pBits);
    const std::uint32_t triangles = m_geometry.indexCount / 3;
    const std::uint32_t runs = (triangles + perRun - 1) / perRun;
    std::vector<std::uint32_t> baseOf(triangles, kTerrainBases);
    if (texels != nullptr && locked.Pitch >= static_cast<INT>(desc.Width * 4)) {
        for (std::uint32_t t = 0; t < triangles; ++t) {
            float u0 = 2.0f;
            float v0 = 2.0f;
            float u1 = -1.0f;
            float v1 = -1.0f;
            for (std::uint32_t corner = 0; corner < 3; ++corner) {
                const SMeshVertex& vertex = m_geometry.vertices[m_geometry.indices[t * 3 + corner]];
                u0 = std::min(u0, vertex.u);
                v0 = std::min(v0, vertex.v);
                u1 = std::max(u1, vertex.u);
                v1 = std::max(v1, vertex.v);
            }
            baseOf[t] =
                SingleBaseOf(texels, desc.Width, desc.Height, static_cast<std::uint32_t>(locked.Pitch), u0, v0, u1, v1);
        }
    }
    texture->UnlockRect(0);
    m_baseRunFirst.reserve(static_cast<std::size_t>(kTerrainBases) * runs + 1);
    for (std::uint32_t base = 0; base < kTerrainBases; ++base) {
        for (std::uint32_t run = 0; run < runs; ++run) {
            m_baseRunFirst.push_back(static_cast<std::uint32_t>(m_baseIndices.size()));
            for (std::uint32_t t = run * perRun; t < std::min(triangles, (run + 1) * perRun); ++t) {
                if (baseOf[t] == base) {
                    m_baseIndices.insert(m_baseIndices.end(), m_geometry.indices + t * 3,
                                         m_geometry.indices + t * 3 + 3);
                }
            }
        }
    }
    m_baseRunFirst.push_back(static_cast<std::uint32_t>(m_baseIndices.size()));
    if (m_baseIndices.empty()) {
        std::vector<std::uint32_t>().swap(m_baseRunFirst);
        return;
    }
    // Buffers already made for the geometry lack the lists: they are made again.
    RetireFixedGeometry();
    m_geometry.fixedSerial = NextGeometrySerial();
    m_geometry.baseIndices = m_baseIndices.data();
    m_geometry.baseIndexCount = static_cast<std::uint32_t>(m_baseIndices.size());
    m_geometry.baseRunFirst = m_baseRunFirst.data();
    m_geometry.baseRuns = runs;
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
