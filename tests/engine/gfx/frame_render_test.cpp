#include "engine/gfx/velm_gfx.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/gfx/atmosphere_manager.h"
#include "engine/gfx/fx_manager.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/gfx_skybox.h"
#include "engine/gfx/gfx_test_device.h"
#include "engine/gfx/lights_manager.h"
#include "engine/gfx/renderer.h"
#include "engine/gfx/scene_graph_mgr.h"
#include "engine/gfx/scene_test_units.h"
#include "engine/gfx/texture_cache.h"
#include "engine/gfx/water_manager.h"
#include "support/temp_dir.h"

namespace {

using tktest::CTestWater;
using velm::gfx::CVelmGfx;
using velm::gfx::GFXCore;
using velm::gfx::IGfxUnit;
using velm::gfx::WaterManager;

constexpr float kFov = 1.5707964f;
const D3DXPLANE kSurface(0.0f, 1.0f, 0.0f, 0.0f);

// A graphics system on the null device with the camera at (0, 5, -20) looking at the origin:
// terrain, opaque, dynamic, water and transparent units of 3, 4, 5, 2 and 6 faces, so that the
// traced draws say which graph drew.
class FrameRenderTest : public tktest::CNullCoreTest {
protected:
    void SetUp() override {
        tktest::CNullCoreTest::SetUp();
        const std::vector<std::string> techniques = {"TextureMapping", "RenderPlanarWater", "RenderPlanarWaveWater",
                                                     "RenderSplineWater"};
        m_dir.Write("Dummy.fx", tktest::SharedParams());
        m_dir.Write("PreZ.fx", tktest::PlainEffect(techniques, tktest::Textures({"g_Texture1"}), "g_Texture1"));
        m_dir.Write(
            "TextureMapping.fx",
            tktest::PlainEffect({"TextureMapping"}, tktest::Textures({"g_Texture1", "g_SpecularMap"}), "g_Texture1"));
        m_dir.Write("Water2.fx", tktest::PlainEffect(techniques, tktest::WaterParams(), "g_NormalMap"));
        m_gfx = std::make_unique<CVelmGfx>();
        CVelmGfx::SVelmGfxInitInfo info;
        info.m_useDefault = true;
        info.m_effectDirectory = m_dir.Path() + "/";
        info.m_fxFiles = {"PreZ.fx", "TextureMapping.fx", "Water2.fx"};
        ASSERT_EQ(m_gfx->Init(info), D3D_OK);
        velm::gfx::CGFXCore& core = GFXCore::Instance();
        D3DXMATRIX view;
        D3DXMATRIX projection;
        const D3DXVECTOR3 eye(0.0f, 5.0f, -20.0f);
        const D3DXVECTOR3 at(0.0f, 0.0f, 0.0f);
        const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, kFov, 1.0f, 1.0f, 100.0f);
        core.SetViewMatrix(view);
        core.SetProjectionMatrix(projection);
        core.GetFrustum().Update(kFov, 1.0f, 1.0f, 100.0f);
        core.GetWideFrustum().Update(kFov * 1.5f, 1.0f, 1.0f, 100.0f);

        m_terrain = tktest::MakeBox({"TextureMapping.fx", "TextureMapping", D3DXVECTOR3(0, -3, 0), 1.0f, 3, "", ""});
        m_opaque = tktest::MakeBox({"TextureMapping.fx", "TextureMapping", D3DXVECTOR3(0, 2, 0), 1.0f, 4, "", ""});
        m_dynamic = tktest::MakeBox({"TextureMapping.fx", "TextureMapping", D3DXVECTOR3(3, 2, 0), 1.0f, 5, "", ""});
        m_transparent =
            tktest::MakeBox({"TextureMapping.fx", "TextureMapping", D3DXVECTOR3(-3, 2, 0), 1.0f, 6, "", ""});
        m_gfx->AddTerrainUnit(m_terrain.get());
        m_gfx->AddOpaqueUnit(m_opaque.get());
        m_gfx->AddTransparentUnit(m_transparent.get());
        m_gfx->BuildTerrainSceneGraph();
        m_gfx->BuildLevelSceneGraphs();
    }
    void TearDown() override {
        m_gfx.reset();
        velm::gfx::LightsManager::Destroy();
        velm::gfx::AtmosphereManager::Destroy();
        tktest::CNullCoreTest::TearDown();
    }

    void AddWater(std::unique_ptr<CTestWater> water) {
        m_gfx->AddWaterUnit(water.get());
        m_waters.push_back(std::move(water));
        m_gfx->BuildWaterSceneGraph();
    }

    // One traced frame: each clear, render-target switch, clip plane and its enable, cull mode,
    // and each draw as its face count, marked "z" when drawn under the pre-depth override (no
    // material written for it) and "d" when drawn with colour writes off.
    std::vector<std::string> Frame(std::uint32_t flags) {
        m_gfx->SetRenderFlags(flags);
        m_gfx->CullParticleUnits({});
        m_gfx->CullDynamicUnits({m_dynamic.get()});
        IDirect3DDevice9* device = GFXCore::Instance().GetDevice();
        device->ClearTrace();
        device->SetTracing(true);
        m_drawsBefore = device->Stats().draws;
        m_gfx->RenderFrame(1.0, 0.02f);
        device->SetTracing(false);
        std::vector<std::string> sequence;
        bool lit = false;
        bool depthOnly = false;
        m_indexedDraws = 0;
        for (const std::string& line : device->Trace()) {
            if (line.rfind("Clear", 0) == 0) {
                sequence.push_back("clear");
            } else if (line == "SetRenderTarget") {
                sequence.push_back("target");
            } else if (line == "SetClipPlane 1") {
                sequence.push_back("clip");
            } else if (line.rfind("SetRenderState 22 ", 0) == 0) {
                sequence.push_back("cull" + line.substr(18));
            } else if (line.rfind("SetRenderState 152 ", 0) == 0) {
                sequence.push_back("clipon" + line.substr(19));
            } else if (line.rfind("SetRenderState 168 ", 0) == 0) {
                depthOnly = line == "SetRenderState 168 0";
            } else if (line.rfind("Effect SetFloat g_TileFactor", 0) == 0) {
                lit = true;
            } else if (line.rfind("DrawIndexedPrimitive", 0) == 0) {
                sequence.push_back((depthOnly ? "d" : "") + std::string(lit ? "" : "z") +
                                   line.substr(line.rfind(' ') + 1));
                lit = false;
                ++m_indexedDraws;
            }
        }
        return sequence;
    }
    std::uint64_t LineDraws() const {
        return GFXCore::Instance().GetDevice()->Stats().draws - m_drawsBefore - m_indexedDraws;
    }

    tktest::CTempDir m_dir;
    std::unique_ptr<CVelmGfx> m_gfx;
    std::unique_ptr<velm::gfx::CGfxUnit> m_terrain, m_opaque, m_dynamic, m_transparent;
    std::vector<std::unique_ptr<CTestWater>> m_waters;
    std::uint64_t m_drawsBefore = 0;
    std::uint64_t m_indexedDraws = 0;
};

using Sequence = std::vector<std::string>;
constexpr std::uint32_t kScene = 0x2003D; // dynamic, opaque, transparent, terrain, water, screen units

const Sequence kWaterPass = {"clip",   "clipon2", "target", "cull2", "clear", "3", "4", "5",       "6",     "clip",
                             "target", "cull3",   "clear",  "3",     "4",     "5", "6", "clipon0", "target"};

Sequence Join(std::initializer_list<Sequence> parts) {
    Sequence all;
    for (const Sequence& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

TEST_F(FrameRenderTest, PassesTargetsClipPlanesAndCullModesFollowTheRenderFlags) {
    AddWater(std::make_unique<CTestWater>(velm::gfx::kPlanarWater, kSurface, 10.0f, 0.0f));
    const Sequence begin = {"cull3", "clear"};
    const Sequence preZ = {"z3", "z4", "z5", "z2", "z6"};
    const struct {
        const char* what;
        std::uint32_t flags;
        Sequence expected;
    } cases[] = {
        // The planar water's depth goes first, so that what it covers is not shaded; the racers'
        // depth goes before the water, so that the water behind them is not shaded.
        {"water, no pre-depth", kScene, Join({begin, {"d2", "3", "4"}, kWaterPass, {"z5", "2", "5", "6"}})},
        {"water and pre-depth", kScene | 0x400, Join({begin, preZ, {"3", "4"}, kWaterPass, {"2", "5", "6"}})},
        {"no water, pre-depth", (kScene & ~0x20u) | 0x400, Join({begin, {"z3", "z4", "z5", "z6", "3", "4", "5", "6"}})},
        // The pre-depth results of the frame before are not reused: its units are culled anew.
        {"no water", kScene & ~0x20u, Join({begin, {"3", "4", "5", "6"}})},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Frame(c.flags), c.expected) << c.what;
        EXPECT_TRUE(WaterManager::Instance().GetVisibleWater().empty()) << c.what;
    }
    WaterManager::Instance().OnLostDevice();
    EXPECT_EQ(Frame(kScene), Join({begin, {"d2", "3", "4", "z5", "2", "5", "6"}}))
        << "without targets, no pass into the frame";
    EXPECT_EQ(m_gfx->GetDrawnObjectCount(), 5u) << "the last frame's draws, the water's depth not among them";
    EXPECT_EQ(m_gfx->GetDrawnFaceCount(), 3u + 4u + 2u + 5u + 6u);
}

TEST_F(FrameRenderTest, OnlyVisiblePlanarWaterIsMirroredAndItsPlaneClips) {
    AddWater(std::make_unique<CTestWater>(velm::gfx::kSplineWater, D3DXPLANE(0.0f, 0.0f, 1.0f, -5.0f), 10.0f, 0.0f));
    // Blended spline water lets what is under it show: its depth is not laid first.
    EXPECT_EQ(Frame(kScene), Join({{"cull3", "clear", "3", "4"}, {"z5", "2", "5", "6"}}))
        << "spline water alone: no pass";

    // Planar water far behind the camera is not visible either.
    AddWater(std::make_unique<CTestWater>(velm::gfx::kPlanarWater, kSurface, 1.0f, 0.0f));
    m_waters.back()->SetPosition(0.0f, 0.0f, -500.0f, true);
    m_gfx->BuildWaterSceneGraph();
    EXPECT_EQ(Frame(kScene), Join({{"cull3", "clear", "3", "4"}, {"z5", "2", "5", "6"}}));

    // With the spline unit first in the list, the plane still comes from the planar one.
    const D3DXPLANE raised(0.0f, 2.0f, 0.0f, -1.0f);
    AddWater(std::make_unique<CTestWater>(velm::gfx::kPlanarWaveWater, raised, 10.0f, 0.5f));
    EXPECT_EQ(Frame(kScene), Join({{"cull3", "clear", "d2", "3", "4"}, kWaterPass, {"z5", "2", "2", "5", "6"}}));
    velm::gfx::CGFXCore& core = GFXCore::Instance();
    D3DXMATRIX viewProjection;
    D3DXMatrixMultiply(&viewProjection, &core.GetViewMatrix(), &core.GetProjectionMatrix());
    D3DXMATRIX inverse;
    D3DXMatrixInverse(&inverse, nullptr, &viewProjection);
    D3DXMATRIX inverseTranspose;
    D3DXMatrixTranspose(&inverseTranspose, &inverse);
    const D3DXPLANE normalised(0.0f, 1.0f, 0.0f, -0.5f);
    D3DXPLANE expected;
    D3DXPlaneTransform(&expected, &normalised, &inverseTranspose);
    float clip[4] = {};
    core.GetDevice()->GetClipPlane(1, clip);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(clip[i], -static_cast<const float*>(expected)[i], 1e-5f) << i;
    }
    D3DXMATRIX view;
    const D3DXVECTOR3 eye(0.0f, 5.0f, -20.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    EXPECT_TRUE(core.GetViewMatrix() == view) << "the camera's view is back after the pass";
}

TEST_F(FrameRenderTest, DebugLinesDrawWithVisualDebuggingAndWaitWithoutIt) {
    D3DXVECTOR3 points[3] = {D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 1, 1), D3DXVECTOR3(2, 0, 0)};
    m_gfx->AddDebugLine({points, 3, 1.0f, 0.0f, 0.0f, 1.0f});
    Frame(kScene);
    EXPECT_EQ(LineDraws(), 0u);
    EXPECT_EQ(m_gfx->GetDebugLines().size(), 1u) << "kept until a frame draws it";
    Frame(kScene | 0x200);
    EXPECT_EQ(LineDraws(), 1u);
    EXPECT_TRUE(m_gfx->GetDebugLines().empty());

    EXPECT_EQ(velm::gfx::ColourChannel(-0.5f), 0u);
    EXPECT_EQ(velm::gfx::ColourChannel(1.5f), 255u);
    EXPECT_EQ(velm::gfx::ColourChannel(0.5f), 128u);
}

TEST_F(FrameRenderTest, TheReflectionAndRefractionMapsAreSavedWhenAsked) {
    tktest::CScreenshotDirectory directory;
    AddWater(std::make_unique<CTestWater>(velm::gfx::kPlanarWater, kSurface, 10.0f, 0.0f));
    Frame(kScene | 0x80);
    EXPECT_TRUE(std::ifstream("RefMap").good());
    EXPECT_FALSE(std::ifstream("RefracMap").good());
    Frame(kScene | 0x100);
    EXPECT_TRUE(std::ifstream("RefracMap").good());
}

// Spheres just inside and just outside the planes of the camera frustum (90 degrees) and of the
// wide one (135 degrees): the dynamic pass keeps what the wide frustum holds, the graph then
// draws what the camera frustum holds. The camera looks along +z from the origin.
TEST_F(FrameRenderTest, CullingKeepsSpheresAtTheFrustumEdgesAndTheWideFrustumKeepsMore) {
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    GFXCore::Instance().SetViewMatrix(identity);
    const float r = std::sqrt(3.0f);
    const float tan67 = std::tan(kFov * 0.75f);
    const float cos67 = std::cos(kFov * 0.75f);
    const struct {
        const char* where;
        D3DXVECTOR3 centre;
        bool filtered;
        bool drawn;
    } cases[] = {
        {"straddling the right plane", D3DXVECTOR3(50.0f + 0.9f * r * std::sqrt(2.0f), 0, 50), true, true},
        {"just right of it", D3DXVECTOR3(50.0f + 1.1f * r * std::sqrt(2.0f), 0, 50), true, false},
        {"just above the top plane", D3DXVECTOR3(0, 50.0f + 1.1f * r * std::sqrt(2.0f), 50), true, false},
        {"straddling the wide left plane", D3DXVECTOR3(-(50.0f * tan67 + 0.9f * r / cos67), 0, 50), true, false},
        {"left of the wide frustum", D3DXVECTOR3(-(50.0f * tan67 + 1.1f * r / cos67), 0, 50), false, false},
        {"straddling the near plane", D3DXVECTOR3(0, 0, 1.0f - 0.9f * r), true, true},
        {"behind the near plane", D3DXVECTOR3(0, 0, 1.0f - 1.1f * r), false, false},
        {"straddling the far plane", D3DXVECTOR3(0, 0, 100.0f + 0.9f * r), true, true},
        {"beyond the far plane", D3DXVECTOR3(0, 0, 100.0f + 1.1f * r), false, false},
    };
    const std::uint32_t statics = m_gfx->GetTerrainObjectCount() + m_gfx->GetLevelObjectCount();
    m_gfx->SetRenderFlags(0x20001);
    for (const auto& c : cases) {
        auto unit = tktest::MakeBox({"TextureMapping.fx", "TextureMapping", c.centre, 1.0f, 0, "", ""});
        m_gfx->CullDynamicUnits({unit.get()});
        EXPECT_EQ(m_gfx->GetFilteredObjectCount() - statics, c.filtered ? 1u : 0u) << c.where;
        m_gfx->RenderFrame(0.0, 0.0f);
        EXPECT_EQ(m_gfx->GetDrawnObjectCount(), c.drawn ? 1u : 0u) << c.where;
        unit->SetAlwaysVisible(1);
        m_gfx->CullDynamicUnits({unit.get()});
        m_gfx->RenderFrame(0.0, 0.0f);
        EXPECT_EQ(m_gfx->GetDrawnObjectCount(), 1u) << c.where << ": an always-visible unit is never culled";
    }
}

TEST_F(FrameRenderTest, StatisticsKeepTheParticleCountsAndTheStaticTotals) {
    AddWater(std::make_unique<CTestWater>(velm::gfx::kPlanarWater, kSurface, 10.0f, 0.0f));
    auto near = tktest::MakeBox({"TextureMapping.fx", "TextureMapping", D3DXVECTOR3(0, 0, 0), 1.0f, 7, "", ""});
    auto behind = tktest::MakeBox({"TextureMapping.fx", "TextureMapping", D3DXVECTOR3(0, 0, -500), 1.0f, 8, "", ""});
    m_gfx->CullParticleUnits({near.get(), behind.get(), behind.get()});
    m_gfx->CullDynamicUnits({m_dynamic.get(), behind.get()});
    EXPECT_EQ(m_gfx->GetParticleSceneObjectCount(), 3u) << "the dynamic pass keeps the particle counts";
    EXPECT_EQ(m_gfx->GetParticleFilteredObjectCount(), 1u);
    // Dynamic 2 (+1 filtered), statics terrain 1 + water 1 + level 2, particles 3 (+1 filtered).
    EXPECT_EQ(m_gfx->GetSceneObjectCount(), 2u + 4u + 3u);
    EXPECT_EQ(m_gfx->GetFilteredObjectCount(), 1u + 4u + 1u);
    EXPECT_EQ(m_gfx->GetSceneFaceCount(), (5u + 8u) + (3u + 2u + 4u + 6u) + (7u + 16u));
    EXPECT_EQ(m_gfx->GetFilteredFaceCount(), 5u + (3u + 2u + 4u + 6u) + 7u);
    EXPECT_EQ(m_gfx->GetDynamicGraph()->GetGeometryNodeCount(), 1u);
    EXPECT_EQ(m_gfx->GetParticleGraph()->GetGeometryNodeCount(), 1u);

    // The skybox follows the camera into the dynamic pass, counted as 6 units of 12 faces.
    m_gfx->CreateSkyBox(1000.0f, {"r.bmp", "l.bmp", "u.bmp", "d.bmp", "f.bmp", "b.bmp"});
    GFXCore::Instance().CameraEye() = D3DXVECTOR3(1.0f, 2.0f, 3.0f);
    m_gfx->CullDynamicUnits({m_dynamic.get()});
    EXPECT_EQ(m_gfx->GetDynamicGraph()->GetGeometryNodeCount(), 7u);
    EXPECT_EQ(m_gfx->GetSceneObjectCount(), 1u + 6u + 4u + 3u);
    EXPECT_EQ(m_gfx->GetFilteredFaceCount(), 5u + 12u + (3u + 2u + 4u + 6u) + 7u);
    EXPECT_FLOAT_EQ(m_gfx->GetSkyBox()->GetFace(velm::gfx::CGFXSkyBox::kFront)->GetPosZ(), 503.0f);
    m_gfx->SetRenderFlags(m_gfx->GetRenderFlags() & ~0x40u);
    m_gfx->CullDynamicUnits({m_dynamic.get()});
    EXPECT_EQ(m_gfx->GetDynamicGraph()->GetGeometryNodeCount(), 1u) << "flag 0x40 off: no sky";

    m_gfx->ClearWaterUnits();
    m_gfx->ClearLevelSceneGraphs();
    EXPECT_EQ(m_gfx->GetWaterObjectCount() + m_gfx->GetWaterFaceCount() + m_gfx->GetLevelObjectCount() +
                  m_gfx->GetLevelFaceCount(),
              0u);
    EXPECT_EQ(m_gfx->GetOpaqueGraph()->GetRoot(), nullptr);
}

TEST_F(FrameRenderTest, TheGamesSpatialPartitionLaysThirtyCellsAlongTheRiver) {
    m_gfx->SetSpatialPartition(-100, -200, -3770, 100, 80, 520, 200, 280, 143, 0x64);
    const std::vector<velm::gfx::SSpatialCell>& cells = m_gfx->GetOpaqueGraph()->GetSpatialPartition();
    ASSERT_EQ(cells.size(), 30u);
    EXPECT_EQ(m_gfx->GetWaterGraph()->GetSpatialPartition().size(), 30u);
    EXPECT_EQ(m_gfx->GetDebugGraph()->GetSpatialPartition().size(), 30u);
    EXPECT_TRUE(m_gfx->GetTransparentGraph()->GetSpatialPartition().empty());
    EXPECT_TRUE(m_gfx->GetTerrainGraph()->GetSpatialPartition().empty());
    EXPECT_EQ(cells[1].box.GetMin(), common::CVector3(-100, -200, -3627));
    EXPECT_EQ(cells[29].box.GetMax(), common::CVector3(100, 80, -3770 + 30 * 143));
    EXPECT_EQ(cells[0].sphere.centre, common::CVector3(0, -60, -3698.5f));
    EXPECT_NEAR(cells[0].sphere.radius, std::sqrt(200.0f * 200 + 280 * 280 + 143 * 143) / 2, 1e-3f);

    m_gfx->SetSpatialPartition(0, 0, 0, 2, 1, 2, 1, 1, 1, 0);
    EXPECT_EQ(m_gfx->GetTransparentGraph()->GetSpatialPartition().size(), 4u) << "mask 0: the static graphs";
    EXPECT_EQ(m_gfx->GetDebugGraph()->GetSpatialPartition().size(), 30u);

    // Sizes that lay no cells, or too many, give an empty partition rather than a fault.
    m_gfx->SetSpatialPartition(0, 0, 0, 10, 10, 10, 0, 1, 1, 0x4);
    EXPECT_TRUE(m_gfx->GetOpaqueGraph()->GetSpatialPartition().empty());
    ::testing::internal::CaptureStderr();
    m_gfx->SetSpatialPartition(0, 0, 0, 1e6f, 1e6f, 1e6f, 1, 1, 1, 0x4);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("refused"), std::string::npos);
    EXPECT_TRUE(m_gfx->GetOpaqueGraph()->GetSpatialPartition().empty());
}

TEST_F(FrameRenderTest, WaterTargetsGoWithTheDeviceAndComeBackAtReset) {
    velm::gfx::CWaterManager& water = WaterManager::Instance();
    IDirect3DSurface9* surface = water.GetReflectionSurface();
    ASSERT_NE(surface, nullptr);
    D3DSURFACE_DESC desc;
    surface->GetDesc(&desc);
    surface->Release();
    EXPECT_EQ(desc.Width, 800u);
    velm::gfx::OnLostDevice();
    EXPECT_EQ(water.GetReflectionDepthSurface(), nullptr);
    velm::gfx::OnResetDevice();
    surface = water.GetRefractionSurface();
    ASSERT_NE(surface, nullptr) << "the reset succeeded with the targets released";
    surface->Release();

    // Units other than water, and spline water, need no reflection.
    CTestWater spline(velm::gfx::kSplineWater, D3DXPLANE(1, 0, 0, 0), 1.0f, 0.0f);
    auto box = tktest::MakeBox({});
    water.AddVisibleWater(box.get());
    water.AddVisibleWater(&spline);
    EXPECT_FALSE(water.NeedsReflection());
    D3DXPLANE plane;
    D3DXMATRIX matrix;
    EXPECT_FALSE(water.GetReflectionMatrix(&plane, &matrix));
    water.ClearVisibleWater();
}

} // namespace
