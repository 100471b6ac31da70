#include "engine/gfx/mesh_hierarchy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "engine/gfx/animation_controller.h"
#include "engine/gfx/gfx_test_device.h"
#include "engine/gfx/mesh_cache.h"
#include "engine/gfx/texture_cache.h"
#include "support/temp_dir.h"

namespace {

using velm::gfx::CAnimationController;
using velm::gfx::CMeshHierarchy;
using velm::gfx::SFrameEx;
using velm::gfx::SMeshContainerEx;
using velm::gfx::SMeshVertex;

constexpr float kTolerance = 1e-4f;
constexpr float kSpineDegrees = 30.0f;

void ExpectMatrixNear(const D3DXMATRIX& expected, const D3DXMATRIX& actual) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(expected[i], actual[i], kTolerance) << "element " << i;
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The pose the file's keys give at a time of the one-second "Bend" set, worked out from the
// key values: Hip moves from x 0 to 1, Spine turns from +30 to -30 degrees about z at y 1.
D3DXVECTOR3 ExpectedSkinnedPosition(const D3DXVECTOR3& source, float seconds) {
    D3DXMATRIX hip;
    D3DXMatrixTranslation(&hip, seconds, 0.0f, 0.0f);
    D3DXMATRIX rotation;
    D3DXMATRIX lift;
    D3DXMatrixRotationZ(&rotation, D3DXToRadian(kSpineDegrees - 2.0f * kSpineDegrees * seconds));
    D3DXMatrixTranslation(&lift, 0.0f, 1.0f, 0.0f);
    const D3DXMATRIX spine = rotation * lift * hip;
    D3DXMATRIX spineOffset;
    D3DXMatrixTranslation(&spineOffset, 0.0f, -1.0f, 0.0f);
    const D3DXMATRIX spineBone = spineOffset * spine;
    D3DXVECTOR3 byHip;
    D3DXVECTOR3 bySpine;
    D3DXVec3TransformCoord(&byHip, &source, &hip);
    D3DXVec3TransformCoord(&bySpine, &source, &spineBone);
    if (source.y < 0.5f) {
        return byHip;
    }
    if (source.y < 1.5f) {
        return byHip * 0.3f + bySpine * 0.7f;
    }
    return bySpine;
}

class MeshHierarchyTest : public tktest::CGfxDeviceTest {
protected:
    void SetUp() override {
        tktest::CGfxDeviceTest::SetUp();
        ASSERT_EQ(D3D_OK, m_mesh.Load(tktest::TestModelPath(), D3DXMESH_MANAGED, &m_controller));
        m_controller.InitTracks();
        m_controller.ResetAnimation();
    }

    SFrameEx* Frame(const char* name) const {
        return static_cast<SFrameEx*>(D3DXFrameFind(m_mesh.GetRootFrame(), name));
    }

    void TearDown() override {
        m_mesh.Release();
        m_controller.SetController(nullptr);
        tktest::CGfxDeviceTest::TearDown();
    }

    CMeshHierarchy m_mesh;
    CAnimationController m_controller;
};

TEST_F(MeshHierarchyTest, KeepsFrameNamesAndNamesUnnamedFramesInOrder) {
    const SFrameEx* root = m_mesh.GetRootFrame();
    ASSERT_NE(nullptr, root);
    EXPECT_STREQ("root", root->Name);
    std::vector<std::string> children;
    for (const D3DXFRAME* child = root->pFrameFirstChild; child != nullptr; child = child->pFrameSibling) {
        children.emplace_back(child->Name);
    }
    EXPECT_EQ((std::vector<std::string>{"Body", "Hip", "<no_name>0", "<no_name>1"}), children);
    ASSERT_NE(nullptr, Frame("Spine"));
    EXPECT_EQ(Frame("Hip")->pFrameFirstChild, Frame("Spine"));

    CMeshHierarchy again;
    ASSERT_EQ(D3D_OK, again.Load(tktest::TestModelPath(), D3DXMESH_MANAGED, nullptr));
    EXPECT_NE(nullptr, D3DXFrameFind(again.GetRootFrame(), "<no_name>0"));
    EXPECT_EQ(nullptr, D3DXFrameFind(again.GetRootFrame(), "<no_name>2"));
}

TEST_F(MeshHierarchyTest, OneContainerWithOneBoneListAndTheFileMaterials) {
    const SMeshContainerEx* container = m_mesh.GetMeshContainer();
    ASSERT_NE(nullptr, container);
    EXPECT_EQ(nullptr, container->pNextMeshContainer);
    ASSERT_NE(nullptr, container->pSkinInfo);
    EXPECT_EQ(2u, container->boneCount);
    EXPECT_EQ((std::vector<std::string>{"Hip", "Spine"}), container->boneNames);
    ASSERT_EQ(2u, container->materials.size());
    EXPECT_FLOAT_EQ(1.0f, container->materials[0].MatD3D.Diffuse.r);
    EXPECT_FLOAT_EQ(1.0f, container->materials[1].MatD3D.Diffuse.b);
    EXPECT_FLOAT_EQ(container->materials[1].MatD3D.Diffuse.b, container->materials[1].MatD3D.Ambient.b);
    EXPECT_EQ(nullptr, container->materials[0].pTextureFilename);
    EXPECT_EQ(60u, container->workingMesh->GetNumBytesPerVertex());
    EXPECT_EQ(16u, container->workingMesh->GetNumFaces());
    EXPECT_EQ(48u, container->indices.size());
    EXPECT_EQ(container->sourceVertices.size(), container->skinnedVertices.size());
}

TEST_F(MeshHierarchyTest, MatricesAreInRowVectorForm) {
    const D3DXMATRIX& spine = Frame("Spine")->TransformationMatrix;
    EXPECT_NEAR(1.0f, spine._42, kTolerance);
    EXPECT_NEAR(std::sin(D3DXToRadian(kSpineDegrees)), spine._12, kTolerance);
    EXPECT_NEAR(0.0f, spine._14, kTolerance);
    ExpectMatrixNear(Frame("Spine")->TransformationMatrix * Frame("Hip")->CombinedTransformationMatrix,
                     Frame("Spine")->CombinedTransformationMatrix);
}

TEST_F(MeshHierarchyTest, FirstAnimationKeyReproducesTheFrameMatrices) {
    const D3DXMATRIX spineInFile = Frame("Spine")->TransformationMatrix;
    const D3DXMATRIX hipInFile = Frame("Hip")->TransformationMatrix;
    Frame("Spine")->TransformationMatrix = D3DXMATRIX();
    m_controller.AdvanceAnimation(0.0f, nullptr);
    ExpectMatrixNear(spineInFile, Frame("Spine")->TransformationMatrix);
    ExpectMatrixNear(hipInFile, Frame("Hip")->TransformationMatrix);
}

TEST_F(MeshHierarchyTest, BoneOffsetsAndBoneFramesComeFromTheSkin) {
    const SMeshContainerEx* container = m_mesh.GetMeshContainer();
    D3DXMATRIX spineOffset;
    D3DXMatrixTranslation(&spineOffset, 0.0f, -1.0f, 0.0f);
    ExpectMatrixNear(spineOffset, container->boneOffsets[1]);
    EXPECT_EQ(m_mesh.GetFrameMatrix("Spine"), container->boneFrames[1]);
    EXPECT_EQ(m_mesh.GetFrameMatrix("Hip"), container->boneFrames[0]);
    EXPECT_NE(nullptr, m_mesh.GetFrameMatrix("root"));
    EXPECT_EQ(nullptr, m_mesh.GetFrameMatrix("NoSuchFrame"));
}

TEST_F(MeshHierarchyTest, SkinnedVerticesFollowTheKeys) {
    const struct { float seconds; } cases[] = {{0.0f}, {0.25f}, {0.5f}, {0.875f}};
    for (const auto& c : cases) {
        m_controller.ResetAnimation();
        m_controller.AdvanceAnimation(c.seconds, nullptr);
        m_mesh.Update();
        const SMeshContainerEx* container = m_mesh.GetMeshContainer();
        for (std::size_t v = 0; v < container->sourceVertices.size(); ++v) {
            const D3DXVECTOR3 expected = ExpectedSkinnedPosition(container->sourceVertices[v].position, c.seconds);
            const D3DXVECTOR3& actual = container->skinnedVertices[v].position;
            EXPECT_NEAR(expected.x, actual.x, kTolerance) << "t " << c.seconds << " vertex " << v;
            EXPECT_NEAR(expected.y, actual.y, kTolerance) << "t " << c.seconds << " vertex " << v;
            EXPECT_NEAR(expected.z, actual.z, kTolerance) << "t " << c.seconds << " vertex " << v;
            EXPECT_EQ(container->sourceVertices[v].u, container->skinnedVertices[v].u);
        }
    }
}

TEST_F(MeshHierarchyTest, NonLoopingAnimationStopsAtItsEndUntilReset) {
    EXPECT_FALSE(m_controller.SetAnimation(0, false)); // already current: time restarts only
    EXPECT_FALSE(m_controller.SetAnimation(5, false)); // not below the set count
    EXPECT_EQ(0u, m_controller.GetCurrentSet());
    m_controller.AdvanceAnimation(0.6f, nullptr);
    m_controller.AdvanceAnimation(0.6f, nullptr);
    EXPECT_TRUE(m_controller.IsAnimationDone());
    EXPECT_DOUBLE_EQ(1.0, m_controller.GetPosition());
    m_controller.AdvanceAnimation(0.6f, nullptr);
    EXPECT_TRUE(m_controller.GetAnimationDone());
    EXPECT_DOUBLE_EQ(1.0, m_controller.GetPosition());
    // Held on the last keys, not on a pose wrapped back towards the start.
    m_mesh.Update();
    const SMeshContainerEx* container = m_mesh.GetMeshContainer();
    for (std::size_t v = 0; v < container->sourceVertices.size(); ++v) {
        const D3DXVECTOR3 expected = ExpectedSkinnedPosition(container->sourceVertices[v].position, 1.0f);
        EXPECT_NEAR(expected.x, container->skinnedVertices[v].position.x, kTolerance) << "vertex " << v;
        EXPECT_NEAR(expected.y, container->skinnedVertices[v].position.y, kTolerance) << "vertex " << v;
    }
    m_controller.ResetAnimation();
    EXPECT_FALSE(m_controller.GetAnimationDone());
    EXPECT_FALSE(m_controller.IsAnimationDone());

    m_controller.SetAnimation(0, true);
    for (int i = 0; i < 5; ++i) {
        m_controller.AdvanceAnimation(0.6f, nullptr);
    }
    EXPECT_FALSE(m_controller.GetAnimationDone());
}

TEST_F(MeshHierarchyTest, UnitsSharingACachedMeshKeepTheirOwnPoses) {
    velm::gfx::SGfxDirectories::s_mesh = tktest::ModelDirectory();
    CAnimationController first;
    CAnimationController second;
    velm::gfx::SMeshRequest a{"test_column.x", D3DXMESH_MANAGED, &first, nullptr};
    velm::gfx::SMeshRequest b{"test_column.x", D3DXMESH_MANAGED, &second, nullptr};
    velm::gfx::CMeshCache cache;
    cache.Get(&a);
    cache.Get(&b);
    ASSERT_EQ(a.hierarchy, b.hierarchy);
    ASSERT_NE(nullptr, first.GetController());
    ASSERT_NE(first.GetController(), second.GetController());
    first.InitTracks();
    second.InitTracks();
    std::vector<SMeshVertex> poseA;
    std::vector<SMeshVertex> poseB;
    first.AdvanceAnimation(0.25f, nullptr);
    a.hierarchy->Update(&poseA);
    second.AdvanceAnimation(0.75f, nullptr);
    b.hierarchy->Update(&poseB);
    first.AdvanceAnimation(0.0f, nullptr);
    const std::vector<SMeshVertex>& source = a.hierarchy->GetMeshContainer()->sourceVertices;
    for (std::size_t v = 0; v < source.size(); ++v) {
        EXPECT_NEAR(ExpectedSkinnedPosition(source[v].position, 0.25f).x, poseA[v].position.x, kTolerance);
        EXPECT_NEAR(ExpectedSkinnedPosition(source[v].position, 0.75f).x, poseB[v].position.x, kTolerance);
        EXPECT_NE(poseA[v].position.x, poseB[v].position.x);
    }
    cache.Release(a);
    cache.Release(b);
    EXPECT_EQ(0u, cache.GetEntryCount());
    velm::gfx::SGfxDirectories::s_mesh.clear();
}

class MeshHierarchyBadInputTest : public tktest::CGfxDeviceTest {
protected:
    tktest::CTempDir m_dir;
};

std::string IdentityMatrixText() {
    return "1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,0.000000,"
           "0.000000,0.000000,1.000000,0.000000,0.000000,0.000000,0.000000,1.000000;;";
}

TEST_F(MeshHierarchyBadInputTest, RefusedFilesLeaveNothingLoadedAndSayWhy) {
    const std::string noMesh =
        m_dir.Write("frames_only.x", "xof 0303txt 0032\nFrame A {\n  FrameTransformMatrix {\n    " +
                                         IdentityMatrixText() + "\n  }\n}\n");
    const std::string garbage = m_dir.Write("garbage.x", "not an x file at all\n");
    const struct {
        std::string path;
        const char* message;
    } cases[] = {
        {m_dir.Path() + "/missing.x", "does not exist"},
        {m_dir.Path(), "is a directory"},
        {noMesh, "holds no mesh"},
        {garbage, "not a readable .x file"},
    };
    for (const auto& c : cases) {
        CMeshHierarchy mesh;
        CAnimationController controller;
        ::testing::internal::CaptureStderr();
        EXPECT_NE(D3D_OK, mesh.Load(c.path, D3DXMESH_MANAGED, &controller));
        const std::string log = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(std::string::npos, log.find(c.message)) << log;
        EXPECT_NE(std::string::npos, log.find(c.path)) << log;
        EXPECT_FALSE(mesh.IsLoaded());
        EXPECT_EQ(nullptr, mesh.GetFrameMatrix("root"));
        EXPECT_EQ(nullptr, controller.GetController());
        mesh.Update();
    }
}

TEST_F(MeshHierarchyBadInputTest, ABoneNamingNoFrameIsSkipped) {
    std::string text = ReadFile(tktest::TestModelPath());
    const std::size_t at = text.find("\"Spine\";");
    ASSERT_NE(std::string::npos, at);
    text.replace(at, 8, "\"Tail\";");
    const std::string path = m_dir.Write("bad_bone.x", text);
    CMeshHierarchy mesh;
    CAnimationController controller;
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(D3D_OK, mesh.Load(path, D3DXMESH_MANAGED, &controller));
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, log.find("bone \"Tail\"")) << log;
    EXPECT_NE(std::string::npos, log.find("names no frame")) << log;
    controller.InitTracks();
    controller.AdvanceAnimation(0.5f, nullptr);
    mesh.Update();
    const SMeshContainerEx* container = mesh.GetMeshContainer();
    EXPECT_EQ(nullptr, container->boneFrames[1]);
    for (std::size_t v = 0; v < container->sourceVertices.size(); ++v) {
        const D3DXVECTOR3& source = container->sourceVertices[v].position;
        const float hipWeight = source.y < 0.5f ? 1.0f : source.y < 1.5f ? 0.3f : 0.0f;
        EXPECT_NEAR((source.x + 0.5f) * hipWeight, container->skinnedVertices[v].position.x, kTolerance);
    }
}

TEST_F(MeshHierarchyBadInputTest, ABoneOnTheRootFrameKeepsItsFrame) {
    std::string text = ReadFile(tktest::TestModelPath());
    const std::size_t at = text.find("\"Hip\";");
    ASSERT_NE(std::string::npos, at);
    text.replace(at, 6, "\"Scene_Root\";");
    const std::string path = m_dir.Write("root_bone.x", text);
    CMeshHierarchy mesh;
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(D3D_OK, mesh.Load(path, D3DXMESH_MANAGED, nullptr));
    EXPECT_EQ(std::string::npos, ::testing::internal::GetCapturedStderr().find("names no frame"));
    const SMeshContainerEx* container = mesh.GetMeshContainer();
    EXPECT_EQ(mesh.GetFrameMatrix("root"), container->boneFrames[0]);
    for (std::size_t v = 0; v < container->sourceVertices.size(); ++v) {
        const D3DXVECTOR3& source = container->sourceVertices[v].position;
        if (source.y < 0.5f) {
            EXPECT_NEAR(source.x, container->skinnedVertices[v].position.x, kTolerance) << "vertex " << v;
            EXPECT_NEAR(source.z, container->skinnedVertices[v].position.z, kTolerance) << "vertex " << v;
        }
    }
}

TEST_F(MeshHierarchyBadInputTest, AMeshWithoutMaterialsDrawsInTheDefaultGrey) {
    const std::string path = m_dir.Write(
        "triangle.x", "xof 0303txt 0032\nFrame Solo {\n  FrameTransformMatrix {\n    " + IdentityMatrixText() +
                          "\n  }\n  Mesh {\n    3;\n    0.0;0.0;0.0;,\n    1.0;0.0;0.0;,\n    0.0;1.0;0.0;;\n"
                          "    1;\n    3;0,1,2;;\n  }\n}\n");
    CMeshHierarchy mesh;
    ASSERT_EQ(D3D_OK, mesh.Load(path, D3DXMESH_MANAGED, nullptr));
    const SMeshContainerEx* container = mesh.GetMeshContainer();
    ASSERT_EQ(1u, container->materials.size());
    EXPECT_FLOAT_EQ(0.5f, container->materials[0].MatD3D.Diffuse.g);
    EXPECT_FLOAT_EQ(0.0f, container->materials[0].MatD3D.Diffuse.a);
    EXPECT_FLOAT_EQ(1.0f, container->materials[0].MatD3D.Power);
    EXPECT_EQ(3u, container->skinnedVertices.size());
    EXPECT_FLOAT_EQ(1.0f, container->skinnedVertices[1].position.x);
}

} // namespace
