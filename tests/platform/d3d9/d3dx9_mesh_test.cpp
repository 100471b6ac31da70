#include "platform/d3d9/d3dx9_mesh.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/d3d9/test_support.h"

namespace {

struct SVertex {
    D3DXVECTOR3 position;
    D3DXVECTOR3 normal;
    float u;
    float v;
};

const D3DVERTEXELEMENT9 kSmall[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
    {0, 24, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END(),
};

const D3DVERTEXELEMENT9 kEngine[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
    {0, 24, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    {0, 32, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TANGENT, 0},
    {0, 44, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_BINORMAL, 0},
    {0, 56, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    D3DDECL_END(),
};

// A unit quad facing -z, clockwise from the top left, u right and v down; vertex 4 is unused.
ID3DXMesh* MakeQuad(IDirect3DDevice9* device, DWORD faces = 2) {
    ID3DXMesh* mesh = nullptr;
    EXPECT_EQ(D3D_OK, D3DXCreateMesh(faces, 5, D3DXMESH_MANAGED, kSmall, device, &mesh));
    const SVertex vertices[5] = {{{0, 1, 0}, {}, 0, 0},
                                 {{1, 1, 0}, {}, 1, 0},
                                 {{1, 0, 0}, {}, 1, 1},
                                 {{0, 0, 0}, {}, 0, 1},
                                 {{9, 9, 9}, {}, 0, 0}};
    const std::uint16_t indices[9] = {0, 1, 2, 0, 2, 3, 0, 1, 3};
    void* data = nullptr;
    mesh->LockVertexBuffer(0, &data);
    std::memcpy(data, vertices, sizeof(vertices));
    mesh->UnlockVertexBuffer();
    mesh->LockIndexBuffer(0, &data);
    std::memcpy(data, indices, faces * 3 * sizeof(std::uint16_t));
    mesh->UnlockIndexBuffer();
    return mesh;
}

class D3DXMeshTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_device.MakeNull()); }
    tk_test::CDeviceHolder m_device;
};

TEST_F(D3DXMeshTest, AdjacencyNamesTheFaceAcrossEachEdge) {
    ID3DXMesh* mesh = MakeQuad(m_device.Get());
    DWORD adjacency[6];
    ASSERT_EQ(D3D_OK, mesh->GenerateAdjacency(0.0f, adjacency));
    const DWORD expected[6] = {kD3DXNoNeighbour, kD3DXNoNeighbour, 1, 0, kD3DXNoNeighbour, kD3DXNoNeighbour};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(expected[i], adjacency[i]) << "edge " << i;
    }
    mesh->Release();
}

TEST_F(D3DXMeshTest, NormalsAndTangentsFollowTheFacesAndTextureAxes) {
    ID3DXMesh* quad = MakeQuad(m_device.Get());
    ASSERT_EQ(D3D_OK, D3DXComputeNormals(quad, nullptr));
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3D_OK, quad->CloneMesh(D3DXMESH_MANAGED, kEngine, m_device.Get(), &mesh));
    EXPECT_EQ(60u, mesh->GetNumBytesPerVertex());
    ASSERT_EQ(D3D_OK, D3DXComputeTangent(mesh, 0, 0, 0, D3DXTANGENT_WRAP_UV, nullptr));
    void* data = nullptr;
    mesh->LockVertexBuffer(D3DLOCK_READONLY, &data);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (int v = 0; v < 4; ++v) {
        float f[15];
        std::memcpy(f, bytes + v * 60, sizeof(f));
        EXPECT_NEAR(-1.0f, f[5], 1e-5f) << "normal z of " << v;
        EXPECT_NEAR(1.0f, f[8], 1e-5f) << "tangent x of " << v;
        EXPECT_NEAR(-1.0f, f[12], 1e-5f) << "binormal y of " << v;
        std::uint32_t colour = 1;
        std::memcpy(&colour, bytes + v * 60 + 56, 4);
        EXPECT_EQ(0u, colour);
    }
    float u = 0.0f;
    std::memcpy(&u, bytes + 2 * 60 + 24, 4);
    EXPECT_EQ(1.0f, u);
    mesh->UnlockVertexBuffer();
    mesh->Release();
    quad->Release();
}

TEST_F(D3DXMeshTest, OptimiseSortsByAttributeAndDropsUnusedVertices) {
    ID3DXMesh* mesh = MakeQuad(m_device.Get(), 3);
    DWORD* attributes = nullptr;
    mesh->LockAttributeBuffer(0, &attributes);
    attributes[0] = 1;
    attributes[1] = 0;
    attributes[2] = 1;
    mesh->UnlockAttributeBuffer();
    DWORD faceRemap[3];
    DWORD vertexRemap[5];
    ASSERT_EQ(D3D_OK, mesh->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT, nullptr, nullptr, faceRemap,
                                            vertexRemap));
    EXPECT_EQ(4u, mesh->GetNumVertices());
    EXPECT_EQ((std::vector<DWORD>{1, 0, 2}), std::vector<DWORD>(faceRemap, faceRemap + 3));
    EXPECT_EQ((std::vector<DWORD>{0, 1, 2, 3}), std::vector<DWORD>(vertexRemap, vertexRemap + 4));
    DWORD ranges = 0;
    mesh->GetAttributeTable(nullptr, &ranges);
    ASSERT_EQ(2u, ranges);
    D3DXATTRIBUTERANGE table[2];
    mesh->GetAttributeTable(table, &ranges);
    EXPECT_EQ(0u, table[0].AttribId);
    EXPECT_EQ(1u, table[0].FaceCount);
    EXPECT_EQ(2u, table[1].FaceCount);
    EXPECT_EQ(0u, mesh->Index(0, 0));
    EXPECT_EQ(2u, mesh->Index(0, 1));
    mesh->Release();
}

TEST_F(D3DXMeshTest, SkinRemapFollowsCompaction) {
    ID3DXSkinInfo* skin = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateSkinInfo(5, kSmall, 1, &skin));
    const DWORD vertices[3] = {1, 3, 4};
    const float weights[3] = {0.25f, 0.5f, 1.0f};
    ASSERT_EQ(D3D_OK, skin->SetBoneInfluence(0, 3, vertices, weights));
    const DWORD outOfRange[1] = {5};
    EXPECT_EQ(D3DERR_INVALIDCALL, skin->SetBoneInfluence(0, 1, outOfRange, weights));
    const DWORD remap[3] = {0, 3, 1}; // new vertex 1 was 3, new 2 was 1; old 4 is gone
    ASSERT_EQ(D3D_OK, skin->Remap(3, remap));
    ASSERT_EQ(2u, skin->GetNumBoneInfluences(0));
    DWORD got[2];
    float gotWeights[2];
    skin->GetBoneInfluence(0, got, gotWeights);
    EXPECT_EQ(2u, got[0]);
    EXPECT_EQ(0.25f, gotWeights[0]);
    EXPECT_EQ(1u, got[1]);
    EXPECT_EQ(0.5f, gotWeights[1]);
    skin->Release();
}

TEST_F(D3DXMeshTest, RefusesWhatItCannotHold) {
    ID3DXMesh* mesh = nullptr;
    const struct {
        DWORD faces;
        DWORD vertices;
        DWORD options;
    } cases[] = {{1, 70000, D3DXMESH_MANAGED}, {0, 3, D3DXMESH_MANAGED}, {1, 0, D3DXMESH_MANAGED}};
    for (const auto& c : cases) {
        EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateMesh(c.faces, c.vertices, c.options, kSmall, m_device.Get(), &mesh));
    }
    ASSERT_EQ(D3D_OK, D3DXCreateMesh(1, 70000, D3DXMESH_MANAGED | D3DXMESH_32BIT, kSmall, m_device.Get(), &mesh));
    mesh->Release();
}

} // namespace
