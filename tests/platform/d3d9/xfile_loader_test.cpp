#include "platform/d3d9/d3dx9_anim.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <string>

#include "platform/d3d9/test_support.h"
#include "support/temp_dir.h"

namespace {

std::string ModelPath() {
    const char* root = std::getenv("TK_SOURCE_DIR");
    return std::string(root != nullptr ? root : "../../../..") + "/data/arts/models/D3D_X_files/test_column.x";
}

// Plain records; remembers what the loader handed over.
class CRecordingAllocator : public ID3DXAllocateHierarchy {
public:
    HRESULT CreateFrame(const char* name, D3DXFRAME** frame) override {
        auto* created = new D3DXFRAME();
        created->Name = name != nullptr ? strdup(name) : nullptr;
        names.push_back(name != nullptr ? name : "(null)");
        *frame = created;
        return D3D_OK;
    }
    HRESULT CreateMeshContainer(const char* name, const D3DXMESHDATA* data, const D3DXMATERIAL* materials,
                                const D3DXEFFECTINSTANCE*, DWORD numMaterials, const DWORD*, ID3DXSkinInfo* skin,
                                D3DXMESHCONTAINER** container) override {
        auto* created = new D3DXMESHCONTAINER();
        created->Name = name != nullptr ? strdup(name) : nullptr;
        created->MeshData = *data;
        data->pMesh->AddRef();
        created->pSkinInfo = skin;
        if (skin != nullptr) {
            skin->AddRef();
        }
        created->NumMaterials = numMaterials;
        for (DWORD i = 0; i < numMaterials; ++i) {
            diffuse.push_back(materials[i].MatD3D.Diffuse);
        }
        *container = created;
        return D3D_OK;
    }
    HRESULT DestroyFrame(D3DXFRAME* frame) override {
        std::free(frame->Name);
        delete frame;
        ++destroyedFrames;
        return D3D_OK;
    }
    HRESULT DestroyMeshContainer(D3DXMESHCONTAINER* container) override {
        std::free(container->Name);
        container->MeshData.pMesh->Release();
        if (container->pSkinInfo != nullptr) {
            container->pSkinInfo->Release();
        }
        delete container;
        return D3D_OK;
    }

    std::vector<std::string> names;
    std::vector<D3DCOLORVALUE> diffuse;
    int destroyedFrames = 0;
};

class XFileLoaderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_device.MakeNull()); }
    void TearDown() override {
        if (m_root != nullptr) {
            D3DXFrameDestroy(m_root, &m_allocator);
        }
        if (m_controller != nullptr) {
            m_controller->Release();
        }
    }
    HRESULT Load(const std::string& path) {
        return D3DXLoadMeshHierarchyFromXA(path.c_str(), D3DXMESH_MANAGED, m_device.Get(), &m_allocator, nullptr,
                                           &m_root, &m_controller);
    }

    tk_test::CDeviceHolder m_device;
    CRecordingAllocator m_allocator;
    D3DXFRAME* m_root = nullptr;
    ID3DXAnimationController* m_controller = nullptr;
};

TEST_F(XFileLoaderTest, BuildsTheFramesDepthFirstWithUnnamedFramesUnnamed) {
    ASSERT_EQ(D3D_OK, Load(ModelPath()));
    EXPECT_EQ((std::vector<std::string>{"Scene_Root", "Body", "Hip", "Spine", "(null)", "(null)"}), m_allocator.names);
    EXPECT_STREQ("Scene_Root", m_root->Name);
    EXPECT_NE(nullptr, D3DXFrameFind(m_root, "Spine"));
    EXPECT_EQ(nullptr, D3DXFrameFind(m_root, "Tail"));
}

TEST_F(XFileLoaderTest, JoinsTheMaterialPiecesIntoOneSkinnedMesh) {
    ASSERT_EQ(D3D_OK, Load(ModelPath()));
    const D3DXFRAME* body = D3DXFrameFind(m_root, "Body");
    ASSERT_NE(nullptr, body->pMeshContainer);
    EXPECT_EQ(nullptr, body->pMeshContainer->pNextMeshContainer);
    ID3DXMesh* mesh = body->pMeshContainer->MeshData.pMesh;
    EXPECT_EQ(16u, mesh->GetNumFaces());
    DWORD ranges = 0;
    mesh->GetAttributeTable(nullptr, &ranges);
    EXPECT_EQ(2u, ranges);
    ASSERT_EQ(2u, m_allocator.diffuse.size());
    EXPECT_EQ(1.0f, m_allocator.diffuse[0].r);
    EXPECT_EQ(1.0f, m_allocator.diffuse[1].b);
    ID3DXSkinInfo* skin = body->pMeshContainer->pSkinInfo;
    ASSERT_NE(nullptr, skin);
    ASSERT_EQ(2u, skin->GetNumBones());
    std::vector<float> total(mesh->GetNumVertices(), 0.0f);
    for (DWORD bone = 0; bone < skin->GetNumBones(); ++bone) {
        std::vector<DWORD> vertices(skin->GetNumBoneInfluences(bone));
        std::vector<float> weights(vertices.size());
        skin->GetBoneInfluence(bone, vertices.data(), weights.data());
        for (std::size_t i = 0; i < vertices.size(); ++i) {
            total[vertices[i]] += weights[i];
        }
    }
    for (const float sum : total) {
        EXPECT_NEAR(1.0f, sum, 1e-5f);
    }
    EXPECT_NEAR(-1.0f, skin->GetBoneOffsetMatrix(1)->_42, 1e-6f);
}

TEST_F(XFileLoaderTest, AnimationSetsAndClonesKeepTheirMaximaAndTheirOwnTime) {
    ASSERT_EQ(D3D_OK, Load(ModelPath()));
    ASSERT_NE(nullptr, m_controller);
    EXPECT_EQ(1u, m_controller->GetNumAnimationSets());
    EXPECT_EQ(4u, m_controller->GetMaxNumAnimationOutputs());
    ID3DXAnimationSet* set = nullptr;
    ASSERT_EQ(D3D_OK, m_controller->GetAnimationSet(0, &set));
    EXPECT_STREQ("Bend", set->GetName());
    EXPECT_DOUBLE_EQ(1.0, set->GetPeriod());
    EXPECT_NEAR(0.25, set->GetPeriodicPosition(1.25), 1e-12);
    set->Release();

    ID3DXAnimationController* clone = nullptr;
    EXPECT_EQ(D3DERR_INVALIDCALL, m_controller->CloneAnimationController(1, 1, 1, 1, &clone));
    ASSERT_EQ(D3D_OK, m_controller->CloneAnimationController(
                          m_controller->GetMaxNumAnimationOutputs(), m_controller->GetMaxNumAnimationSets(),
                          m_controller->GetMaxNumTracks(), m_controller->GetMaxNumEvents(), &clone));
    EXPECT_EQ(m_controller->GetMaxNumTracks(), clone->GetMaxNumTracks());
    EXPECT_EQ(m_controller->GetMaxNumEvents(), clone->GetMaxNumEvents());
    clone->SetTrackSpeed(0, 2.0f);
    clone->AdvanceTime(0.25, nullptr);
    m_controller->AdvanceTime(0.1, nullptr);
    D3DXTRACK_DESC original;
    D3DXTRACK_DESC cloned;
    m_controller->GetTrackDesc(0, &original);
    clone->GetTrackDesc(0, &cloned);
    EXPECT_DOUBLE_EQ(0.1, original.Position);
    EXPECT_DOUBLE_EQ(0.5, cloned.Position);
    clone->ResetTime();
    clone->GetTrackDesc(0, &cloned);
    EXPECT_DOUBLE_EQ(0.0, cloned.Position);
    clone->Release();
}

TEST_F(XFileLoaderTest, BadFilesAreLoggedAndGiveNothing) {
    tktest::CTempDir dir;
    const struct {
        std::string path;
        const char* message;
    } cases[] = {
        {dir.Path() + "/absent.x", "no such file"},
        {dir.Write("text.x", "hello\n"), "not a readable .x file"},
    };
    for (const auto& c : cases) {
        ::testing::internal::CaptureStderr();
        EXPECT_TRUE(FAILED(Load(c.path)));
        const std::string log = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(std::string::npos, log.find(c.message)) << log;
        EXPECT_NE(std::string::npos, log.find(c.path)) << log;
        EXPECT_EQ(nullptr, m_root);
        EXPECT_EQ(nullptr, m_controller);
    }
}

} // namespace
