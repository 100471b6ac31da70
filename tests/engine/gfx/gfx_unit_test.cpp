#include "engine/gfx/gfx_unit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/gfx/3d_quad.h"
#include "engine/gfx/gfx_test_device.h"
#include "engine/gfx/gfx_test_effects.h"
#include "engine/gfx/mesh_cache.h"
#include "engine/gfx/texture_cache.h"
#include "support/temp_dir.h"

namespace {

using velm::gfx::CGfxBillboardObj;
using velm::gfx::CGfxUnit;
using velm::gfx::CTextureRef;
using velm::gfx::SMeshVertex;

constexpr float kTolerance = 1e-5f;

// Two triangles spanning the box (-1, -1, -1) .. (1, 1, 1): local radius sqrt(3).
std::unique_ptr<CGfxUnit> MakeBoxUnit() {
    std::vector<SMeshVertex> vertices(4, SMeshVertex{});
    vertices[0].position = D3DXVECTOR3(-1, -1, -1);
    vertices[1].position = D3DXVECTOR3(1, -1, -1);
    vertices[2].position = D3DXVECTOR3(1, 1, 1);
    vertices[3].position = D3DXVECTOR3(-1, 1, 1);
    const std::uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    auto unit = std::make_unique<CGfxUnit>();
    unit->CreateFromArrays({"TextureMapping.fx", "", "TextureMapping"}, vertices.data(), 4, indices, 6);
    return unit;
}

TEST(GfxUnit, PoseAndSpheresFollowTheSetters) {
    auto unit = MakeBoxUnit();
    EXPECT_NEAR(unit->GetWorldBoundingSphere().radius, std::sqrt(3.0f), kTolerance);
    unit->SetScale(2.0f, 1.0f, 3.0f, false);
    unit->SetPosition(5.0f, 6.0f, 7.0f, false);
    EXPECT_EQ(unit->GetWorldMatrix()._41, 0.0f) << "no recompute, no change";
    unit->SetRotationAxis(D3DXVECTOR3(0.0f, 1.0f, 0.0f), false);
    unit->SetRotationAngle(1.5707964f, true);
    const D3DXMATRIX& world = unit->GetWorldMatrix();
    EXPECT_NEAR(world._13, -2.0f, kTolerance) << "scale, then rotation: x goes to -z";
    EXPECT_NEAR(world._31, 3.0f, kTolerance);
    EXPECT_NEAR(world._41, 5.0f, kTolerance) << "then translation";
    const common::CSphere sphere = unit->GetWorldBoundingSphere();
    EXPECT_NEAR(sphere.radius, 3.0f * std::sqrt(3.0f), 1e-4f) << "radius times the largest scale";
    EXPECT_NEAR(sphere.centre.z, 7.0f, kTolerance);
    auto big = MakeBoxUnit();
    big->SetScale(10.0f, 10.0f, 10.0f, false);
    big->SetPosition(5.0f, 6.0f, 7.0f, true);
    EXPECT_TRUE(unit->IsInside(big.get()));
    EXPECT_TRUE(unit->IsInside(*big));
    big->SetPosition(100.0f, 6.0f, 7.0f, true);
    EXPECT_FALSE(unit->IsInside(big.get()));
}

class GfxUnitTexturesTest : public tktest::CGfxDeviceTest {
protected:
    void SetUp() override {
        tktest::CGfxDeviceTest::SetUp();
        m_dir.Write("red.bmp", tktest::SolidBmp(255, 0, 0));
        velm::gfx::SGfxDirectories::s_texture = m_dir.Path() + "/";
    }
    void TearDown() override {
        velm::gfx::TextureCache::Destroy();
        velm::gfx::SGfxDirectories::s_texture.clear();
        tktest::CGfxDeviceTest::TearDown();
    }
    tktest::CTempDir m_dir;
};

TEST_F(GfxUnitTexturesTest, SlotsAreFourToSixAndZeroToTwoAndNoneSkipsOne) {
    const struct {
        const char* key;
        int slot;
    } keys[] = {{"Base1", 4},     {"Base2", 5},    {"SpecularMap", 6}, {"NormalMap", 0},
                {"HeightMap", 1}, {"Reserved", 2}, {"Base3", -1}};
    for (const auto& key : keys) {
        EXPECT_EQ(velm::gfx::TextureSlotOfKey(key.key), key.slot) << key.key;
    }
    CGfxUnit unit;
    unit.LoadTexture("red.bmp", 4);
    unit.LoadTexture("red.bmp", 0);
    unit.LoadTexture("none", 6);
    unit.LoadTexture("red.bmp", 3);
    ASSERT_NE(unit.GetTexture(4), nullptr);
    EXPECT_NE(unit.GetTexture(4)->GetTexture(), nullptr);
    EXPECT_NE(unit.GetTexture(0), nullptr);
    EXPECT_EQ(unit.GetTexture(6), nullptr) << "\"none\" leaves the slot empty";
    EXPECT_EQ(unit.GetTexture(3), nullptr);
    EXPECT_EQ(unit.GetTexture(7), nullptr);
    EXPECT_EQ(velm::gfx::TextureCache::Instance().GetUseCount("red.bmp"), 2u);
    unit.SetTexture(new CTextureRef(), 3);
    auto* replacement = new CTextureRef();
    unit.SetTexture(replacement, 4);
    EXPECT_EQ(unit.GetTexture(4), replacement);
    EXPECT_EQ(velm::gfx::TextureCache::Instance().GetUseCount("red.bmp"), 1u) << "the old one was released";
    unit.Unload();
    EXPECT_EQ(velm::gfx::TextureCache::Instance().GetEntryCount(), 0u);
}

class GfxUnitMeshTest : public tktest::CGfxDeviceTest {
protected:
    void SetUp() override {
        tktest::CGfxDeviceTest::SetUp();
        velm::gfx::SGfxDirectories::s_mesh = tktest::ModelDirectory();
    }
    void TearDown() override {
        velm::gfx::MeshCache::Destroy();
        velm::gfx::SGfxDirectories::s_mesh.clear();
        tktest::CGfxDeviceTest::TearDown();
    }
};

TEST_F(GfxUnitMeshTest, UnitsOfOneMeshSkinTheirOwnCopiesAndCarryOthersOnFrames) {
    CGfxUnit first;
    CGfxUnit second;
    first.Load({"TextureMapping.fx", "test_column.x", "TextureMapping"});
    second.Load({"TextureMapping.fx", "test_column.x", "TextureMapping"});
    ASSERT_TRUE(first.HasMesh());
    EXPECT_EQ(velm::gfx::MeshCache::Instance().GetUseCount("test_column.x"), 2u);
    EXPECT_EQ(first.GetCurrentAnimation(), 0);
    ASSERT_NE(first.GetMaterial(), nullptr);
    first.Update(0.0, 0.5f);
    first.Prepare();
    second.Prepare();
    ASSERT_EQ(first.GetRenderData().vertexCount, second.GetRenderData().vertexCount);
    ASSERT_GT(first.GetRenderData().vertexCount, 0u);
    EXPECT_EQ(first.GetRenderData().faceCount, first.GetFaceCount());
    EXPECT_NE(first.GetGeometry().vertices, second.GetGeometry().vertices) << "each unit has its own copy";
    bool moved = false;
    for (std::uint32_t v = 0; v < first.GetGeometry().vertexCount; ++v) {
        moved = moved || first.GetGeometry().vertices[v].position.x != second.GetGeometry().vertices[v].position.x;
    }
    EXPECT_TRUE(moved) << "the advanced unit's pose is not the other's";

    // A carried unit takes the carrier's rotation and position, never its scale.
    auto carried = MakeBoxUnit();
    carried->SetScale(0.5f, 0.5f, 0.5f, true);
    first.SetScale(3.0f, 3.0f, 3.0f, false);
    first.SetRotationAxis(D3DXVECTOR3(0.0f, 0.0f, 1.0f), false);
    first.SetRotationAngle(0.5f, false);
    first.SetPosition(4.0f, 5.0f, 6.0f, true);
    first.AttachToFrame(carried.get(), 0, "Spine");
    first.Update(0.0, 0.0f);
    EXPECT_NEAR(carried->GetRotationAngle(), 0.5f, 1e-4f);
    EXPECT_NEAR(carried->GetRotationAxis().z, 1.0f, 1e-4f);
    EXPECT_EQ(carried->GetScaleX(), 0.5f);
    EXPECT_NEAR(carried->GetWorldMatrix()._41, 4.0f, kTolerance);
    first.AttachToFrame(carried.get(), 1, "Spine");
    first.Update(0.0, 0.0f);
    const D3DXMATRIX frame = first.GetFrameWorldMatrix("Spine");
    EXPECT_NEAR(carried->GetPosY(), frame._42, kTolerance) << "following the frame";
    first.DetachFromFrame(carried.get());
    first.SetPosition(0.0f, 0.0f, 0.0f, true);
    first.Update(0.0, 0.0f);
    EXPECT_NEAR(carried->GetPosY(), frame._42, kTolerance) << "detached, it stays";
    first.Unload();
    EXPECT_EQ(velm::gfx::MeshCache::Instance().GetUseCount("test_column.x"), 1u);
}

// The frame, the water's two passes and the depth pass may each draw a unit: however many do,
// its animation moves on by the frame's time once and its vertices are skinned once, so a
// one-second animation lasts ten frames of 0.1 s and every pass draws the same pose.
TEST_F(GfxUnitMeshTest, AnimationStepsOnceAFrameHoweverManyPassesDrawTheUnit) {
    velm::gfx::SMeshRequest request;
    request.fileName = "test_column.x";
    velm::gfx::MeshCache::Instance().Get(&request);
    ASSERT_NE(request.hierarchy, nullptr);
    const velm::gfx::CMeshHierarchy& hierarchy = *request.hierarchy;
    CGfxUnit once;
    once.Load({"TextureMapping.fx", "test_column.x", "TextureMapping"});
    for (const int passes : {1, 3, 4}) {
        CGfxUnit unit;
        unit.Load({"TextureMapping.fx", "test_column.x", "TextureMapping"});
        unit.SetAnimation(0, false);
        once.SetAnimation(0, false);
        int frames = 0;
        while (!unit.IsAnimationDone() && frames < 100) {
            ++frames;
            unit.Update(0.0, 0.1f);
            once.Update(0.0, 0.1f);
            const std::uint64_t skinned = hierarchy.GetSkinningCount();
            once.Prepare();
            for (int pass = 0; pass < passes; ++pass) {
                unit.Prepare();
            }
            EXPECT_EQ(hierarchy.GetSkinningCount(), skinned + 2) << passes << " passes, frame " << frames;
            const SMeshVertex* drawn = unit.GetRenderData().geometry->vertices;
            const SMeshVertex* expected = once.GetRenderData().geometry->vertices;
            for (std::uint32_t v = 0; v < unit.GetGeometry().vertexCount; ++v) {
                ASSERT_NEAR(drawn[v].position.x, expected[v].position.x, kTolerance)
                    << passes << " passes, vertex " << v;
            }
        }
        EXPECT_EQ(frames, 10) << passes << " passes";
    }
    velm::gfx::MeshCache::Instance().Release(request);
}

struct SBillboardCase {
    float viewX;
    float angle;
};

TEST(Billboard, TurnsAboutTheVerticalTowardTheCamera) {
    CGfxBillboardObj billboard;
    billboard.Init();
    EXPECT_EQ(billboard.GetEffectFileName(), "Billboard.fx");
    EXPECT_EQ(billboard.GetTechniqueName(), "RenderBillboard");
    EXPECT_NEAR(billboard.GetRotationAngle(), 3.14159265f, kTolerance);
    billboard.Prepare();
    EXPECT_EQ(billboard.GetRenderData().faceCount, 2u);
    EXPECT_EQ(billboard.GetRenderData().material, nullptr);
    EXPECT_EQ(billboard.GetCurrentAnimation(), -1);
    const SBillboardCase cases[] = {{1.0f, 0.25f + 1.5707964f}, {0.0f, 0.25f - 4.712389f}, {-1.0f, 0.25f - 4.712389f}};
    for (const SBillboardCase& test : cases) {
        CGfxBillboardObj::SetCamera(0.25f, D3DXVECTOR3(test.viewX, 0.0f, 1.0f));
        billboard.AdvanceAnimation();
        EXPECT_NEAR(billboard.GetRotationAngle(), test.angle, kTolerance) << "view x " << test.viewX;
        EXPECT_EQ(billboard.GetRotationAxis().y, 1.0f);
    }
}

} // namespace
