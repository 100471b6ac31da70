#include <gtest/gtest.h>

#include <stb/stb_image_write.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "engine/gfx/gfx_core.h"
#include "gfx_test_device.h"
#include "platform/dxut/dxut.h"

namespace {

using velm::gfx::CGFXCore;
using velm::gfx::GFXCore;

class GfxCoreTest : public tktest::CNullCoreTest {};

struct SCapsCase {
    const char* what;
    std::function<void(D3DCAPS9&)> change;
    bool accepted;
};

TEST_F(GfxCoreTest, CapsPredicateRefusesEachMissingRequirement) {
    const SCapsCase cases[] = {
        {"the stand-in's caps", [](D3DCAPS9&) {}, true},
        {"pixel shader 1.4", [](D3DCAPS9& c) { c.PixelShaderVersion = D3DPS_VERSION(1, 4); }, false},
        {"shader model 2.0 exactly",
         [](D3DCAPS9& c) {
             c.PixelShaderVersion = D3DPS_VERSION(2, 0);
             c.VertexShaderVersion = D3DVS_VERSION(2, 0);
         },
         true},
        {"vertex shader 1.1", [](D3DCAPS9& c) { c.VertexShaderVersion = D3DVS_VERSION(1, 1); }, false},
        {"no usable present interval", [](D3DCAPS9& c) { c.PresentationIntervals = 0x4; }, false},
        {"one device cap is enough", [](D3DCAPS9& c) { c.DevCaps = D3DDEVCAPS_DRAWPRIMTLVERTEX; }, true},
        {"no device caps", [](D3DCAPS9& c) { c.DevCaps = 0; }, false},
        {"cull none only", [](D3DCAPS9& c) { c.PrimitiveMiscCaps = D3DPMISCCAPS_CULLNONE; }, false},
        {"no vertex fog", [](D3DCAPS9& c) { c.RasterCaps = 0; }, false},
        {"no Gouraud colour", [](D3DCAPS9& c) { c.ShadeCaps = 0; }, false},
        {"mipmaps only", [](D3DCAPS9& c) { c.TextureCaps = D3DPTEXTURECAPS_MIPMAP; }, true},
        {"no texture caps", [](D3DCAPS9& c) { c.TextureCaps = 0; }, false},
        {"1023 texels wide", [](D3DCAPS9& c) { c.MaxTextureWidth = 1023; }, false},
        {"1023 texels high", [](D3DCAPS9& c) { c.MaxTextureHeight = 1023; }, false},
        {"no texture ops", [](D3DCAPS9& c) { c.TextureOpCaps = 0x1; }, false},
        {"three lights", [](D3DCAPS9& c) { c.MaxActiveLights = 3; }, false},
        {"four lights", [](D3DCAPS9& c) { c.MaxActiveLights = 4; }, true},
        {"an unknown device type", [](D3DCAPS9& c) { c.DeviceType = 99; }, false},
    };
    for (const SCapsCase& test : cases) {
        D3DCAPS9 caps = platform::d3d9::StandInCaps(D3DDEVTYPE_HAL);
        test.change(caps);
        EXPECT_EQ(CGFXCore::IsDeviceAcceptable(&caps, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, true, nullptr), test.accepted)
            << test.what;
    }
    D3DCAPS9 caps = platform::d3d9::StandInCaps(D3DDEVTYPE_NULLREF);
    EXPECT_TRUE(CGFXCore::IsDeviceAcceptable(&caps, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, true, nullptr));
    EXPECT_FALSE(CGFXCore::IsDeviceAcceptable(&caps, D3DFMT_X8R8G8B8, D3DFMT_D16, true, nullptr))
        << "a back buffer the format check refuses";
}

TEST_F(GfxCoreTest, CreatesTheDeviceWithTheEngineSettings) {
    CGFXCore& core = GFXCore::Instance();
    core.SetScreenSize(320, 200);
    ASSERT_EQ(core.CreateDevice(), D3D_OK);
    ASSERT_NE(core.GetDevice(), nullptr);
    EXPECT_TRUE(core.GetDevice()->IsNull());
    const D3DPRESENT_PARAMETERS& parameters = core.GetPresentParameters();
    EXPECT_EQ(parameters.BackBufferWidth, 320u);
    EXPECT_EQ(parameters.BackBufferHeight, 200u);
    EXPECT_EQ(parameters.MultiSampleType, D3DMULTISAMPLE_2_SAMPLES);
    EXPECT_EQ(parameters.AutoDepthStencilFormat, D3DFMT_D24S8);
    EXPECT_EQ(parameters.PresentationInterval, D3DPRESENT_INTERVAL_DEFAULT);
    EXPECT_EQ(parameters.Windowed, TRUE);
    ASSERT_NE(core.GetVertexDeclaration(), nullptr);
    EXPECT_EQ(core.GetDevice()->State().vertexDeclaration, core.GetVertexDeclaration());
    UINT count = 0;
    core.GetVertexDeclaration()->GetDeclaration(nullptr, &count);
    EXPECT_EQ(count, 7u);
}

TEST_F(GfxCoreTest, BeginFrameSetsItsStatesInOrder) {
    CGFXCore& core = GFXCore::Instance();
    core.SetFillMode(D3DFILL_WIREFRAME);
    core.SetFullSceneAntialiasing(FALSE);
    ASSERT_EQ(core.CreateDevice(), D3D_OK);
    IDirect3DDevice9* device = core.GetDevice();
    core.SetFrameBeginListener([device] { device->SetRenderState(D3DRS_LIGHTING, 7); });
    device->SetTracing(true);
    core.BeginFrame();
    const std::vector<std::string> expected = {
        "SetRenderState 7 1",  "SetRenderState 22 3",  "SetRenderState 161 0", "SetRenderState 8 2",
        "SetRenderState 27 1", "SetRenderState 19 5",  "SetRenderState 20 6",  "SetVertexDeclaration",
        "BeginScene",          "SetRenderState 137 7", "Clear 3 00000000 1",
    };
    EXPECT_EQ(device->Trace(), expected);
}

TEST_F(GfxCoreTest, NewViewMatrixClearsVisibilityReuse) {
    CGFXCore& core = GFXCore::Instance();
    ASSERT_EQ(core.CreateDevice(), D3D_OK);
    core.m_reuseVisibility = true;
    D3DXMATRIX view;
    D3DXMatrixTranslation(&view, 1.0f, 2.0f, 3.0f);
    core.SetViewMatrix(view);
    EXPECT_FALSE(core.m_reuseVisibility);
    D3DMATRIX onDevice;
    core.GetDevice()->GetTransform(D3DTS_VIEW, &onDevice);
    EXPECT_EQ(onDevice._42, 2.0f);
    EXPECT_EQ(core.GetViewMatrix()._43, 3.0f);
    core.m_reuseVisibility = true;
    core.SetProjectionMatrix(view);
    EXPECT_TRUE(core.m_reuseVisibility) << "only the view arms a new culling pass";
}

TEST_F(GfxCoreTest, TheCameraRebuildsTheFrustumsOnlyForANewLens) {
    CGFXCore& core = GFXCore::Instance();
    ASSERT_EQ(core.CreateDevice(), D3D_OK);
    CGFXCore::SCameraShot shot{};
    D3DXMatrixTranslation(&shot.m_view, 4.0f, 5.0f, 6.0f);
    D3DXMatrixScaling(&shot.m_projection, 2.0f, 2.0f, 1.0f);
    shot.m_eye = D3DXVECTOR3(1.0f, 2.0f, 3.0f);
    shot.m_target = D3DXVECTOR3(1.0f, 2.0f, -3.0f);
    shot.m_fieldOfView = 0.6f;
    shot.m_aspect = 1.25f;
    shot.m_nearPlane = 0.5f;
    shot.m_farPlane = 750.0f;
    core.SetCamera(shot);
    EXPECT_EQ(core.GetViewMatrix()._43, 6.0f);
    EXPECT_EQ(core.GetProjectionMatrix()._11, 2.0f);
    EXPECT_EQ(core.CameraTarget().z, -3.0f);
    EXPECT_FLOAT_EQ(core.GetFrustum().GetFov(), 0.6f);
    EXPECT_FLOAT_EQ(core.GetWideFrustum().GetFov(), 0.9f);
    EXPECT_EQ(core.GetWideFrustum().GetFar(), 750.0f);

    // The same lens again leaves the frustums as they stand; another one rebuilds both.
    core.GetFrustum().Update(1.0f, 1.0f, 1.0f, 10.0f);
    shot.m_eye.x = 9.0f;
    core.SetCamera(shot);
    EXPECT_EQ(core.CameraEye().x, 9.0f);
    EXPECT_EQ(core.GetFrustum().GetFar(), 10.0f);
    shot.m_nearPlane = 0.25f;
    core.SetCamera(shot);
    EXPECT_EQ(core.GetFrustum().GetNear(), 0.25f);
    EXPECT_EQ(core.GetWideFrustum().GetNear(), 0.25f);
    EXPECT_EQ(core.GetFrustum().GetFar(), 750.0f);
}

std::vector<std::string>* s_log = nullptr;

void LostCallback(void*) {
    s_log->push_back("lost");
    GFXCore::Instance().OnLostDevice();
}

HRESULT ResetCallback(IDirect3DDevice9*, const D3DSURFACE_DESC* backBuffer, void*) {
    s_log->push_back("reset " + std::to_string(backBuffer->Width));
    return GFXCore::Instance().OnResetDevice();
}

TEST_F(GfxCoreTest, LossReleasesAndResetRecreatesInOrder) {
    std::vector<std::string> log;
    s_log = &log;
    DXUTSetCallbackDeviceLost(LostCallback);
    DXUTSetCallbackDeviceReset(ResetCallback);
    CGFXCore& core = GFXCore::Instance();
    ASSERT_EQ(core.CreateDevice(), D3D_OK);
    EXPECT_EQ(log, std::vector<std::string>{"reset 800"}) << "the framework resets once after creation";
    IDirect3DDevice9* device = core.GetDevice();
    device->SetTracing(true);
    log.clear();

    EXPECT_EQ(platform::DXUTResetDevice(640, 480), D3D_OK);
    EXPECT_EQ(log, (std::vector<std::string>{"lost", "reset 640"}));
    EXPECT_EQ(device->Trace(), (std::vector<std::string>{"Reset", "Reset", "SetVertexDeclaration"}))
        << "the framework's reset, then the core's own with its parameters";
    EXPECT_NE(core.GetVertexDeclaration(), nullptr);

    IDirect3DVertexBuffer9* held = nullptr;
    core.CreateVertexBuffer(60, D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &held);
    log.clear();
    EXPECT_TRUE(FAILED(platform::DXUTResetDevice(320, 240)));
    EXPECT_EQ(log, std::vector<std::string>{"lost"}) << "no reset callback while a default-pool buffer lives";
    EXPECT_TRUE(platform::DXUTIsDeviceLost());
    held->Release();
    EXPECT_EQ(platform::DXUTResetDevice(320, 240), D3D_OK);
    EXPECT_EQ(log, (std::vector<std::string>{"lost", "reset 320"})) << "loss is reported once";
    EXPECT_FALSE(platform::DXUTIsDeviceLost());
    s_log = nullptr;
}

TEST_F(GfxCoreTest, BoundingSphereSpansTheVertexBox) {
    std::vector<float> vertices(15 * 3, 0.0f);
    const float points[3][3] = {{-1.0f, 0.0f, 2.0f}, {3.0f, 4.0f, 2.0f}, {1.0f, -2.0f, 6.0f}};
    for (int i = 0; i < 3; ++i) {
        std::copy(points[i], points[i] + 3, vertices.begin() + i * 15);
        vertices[static_cast<std::size_t>(i) * 15 + 3] = 100.0f; // normals do not count
    }
    D3DXVECTOR3 centre;
    float radius = 0.0f;
    CGFXCore::ComputeBoundingSphere(vertices.data(), 3, &centre, &radius);
    EXPECT_EQ(centre, D3DXVECTOR3(1.0f, 1.0f, 4.0f));
    EXPECT_FLOAT_EQ(radius, std::sqrt(4.0f + 9.0f + 4.0f));
    CGFXCore::ComputeBoundingSphere(vertices.data(), 0, &centre, &radius);
    EXPECT_EQ(radius, 0.0f);
}

std::string WriteGreenImage(const std::string& name, int width, int height, const std::function<int(int, int)>& green) {
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            rgba[(static_cast<std::size_t>(y) * width + x) * 4 + 1] = static_cast<std::uint8_t>(green(x, y));
            rgba[(static_cast<std::size_t>(y) * width + x) * 4 + 3] = 255;
        }
    }
    const std::string path = ::testing::TempDir() + name;
    stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4);
    return path;
}

TEST_F(GfxCoreTest, HeightMapAveragesTheGreenChannel) {
    CGFXCore& core = GFXCore::Instance();
    ASSERT_EQ(core.CreateDevice(), D3D_OK);
    const std::string exact = WriteGreenImage("height_exact.png", 3, 2, [](int x, int y) { return 51 * (x + y); });
    std::vector<float> heights(6, -1.0f);
    ASSERT_TRUE(core.ReadHeightMap(exact, heights.data(), 3, 2));
    const std::vector<float> expected = {0.0f, 0.2f, 0.4f, 0.2f, 0.4f, 0.6f};
    for (std::size_t i = 0; i < heights.size(); ++i) {
        EXPECT_FLOAT_EQ(heights[i], expected[i]) << i;
    }
    // Four texels per cell: a 3 x 3 box around each cell's corner texel; outside samples count
    // as the centre.
    const std::string boxed = WriteGreenImage("height_boxed.png", 4, 4, [](int x, int) { return x == 2 ? 255 : 0; });
    std::vector<float> cells(4, -1.0f);
    ASSERT_TRUE(core.ReadHeightMap(boxed, cells.data(), 2, 2));
    EXPECT_FLOAT_EQ(cells[0], 0.0f);
    EXPECT_FLOAT_EQ(cells[1], 5.0f / 9.0f) << "column 2 in rows 0 and 1, and the row above counted as the centre";
    std::vector<float> untouched(4, -1.0f);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(core.ReadHeightMap("no_such_height_map.png", untouched.data(), 2, 2));
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(untouched[0], -1.0f);
    std::remove(exact.c_str());
    std::remove(boxed.c_str());
}

TEST_F(GfxCoreTest, HeightMapLargerThanItsImageReadsFlatBeyondIt) {
    CGFXCore& core = GFXCore::Instance();
    ASSERT_EQ(core.CreateDevice(), D3D_OK);
    const std::string small =
        WriteGreenImage("height_small.png", 2, 2, [](int x, int y) { return 100 + 50 * x + 100 * y; });
    // Four columns and three rows over two texels each way: under a texel per entry, so no box
    // (and no division by a zero width); the entries below the image's size sample texel (0, 0)
    // by the truncated step, the rest are flat.
    std::vector<float> heights(12, -1.0f);
    ASSERT_TRUE(core.ReadHeightMap(small, heights.data(), 4, 3));
    for (std::size_t i = 0; i < heights.size(); ++i) {
        const bool sampled = i == 0 || i == 1 || i == 4 || i == 5;
        EXPECT_FLOAT_EQ(heights[i], sampled ? 100.0f / 255.0f : 0.0f) << i;
    }
    std::vector<float> untouched(4, -1.0f);
    EXPECT_FALSE(core.ReadHeightMap(small, untouched.data(), 0, 2));
    EXPECT_FALSE(core.ReadHeightMap(small, untouched.data(), 2, 0));
    EXPECT_EQ(untouched[0], -1.0f);
    std::remove(small.c_str());
}

TEST_F(GfxCoreTest, MeshesDefaultToTheEngineVertex) {
    CGFXCore& core = GFXCore::Instance();
    ASSERT_EQ(core.CreateDevice(), D3D_OK);
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(core.CreateMesh(2, 4, D3DXMESH_MANAGED, nullptr, &mesh), D3D_OK);
    EXPECT_EQ(mesh->GetNumBytesPerVertex(), velm::gfx::kVertexStride);
    const D3DVERTEXELEMENT9 positions[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0}, D3DDECL_END()};
    ID3DXMesh* small = nullptr;
    ASSERT_EQ(core.CreateMesh(2, 4, D3DXMESH_MANAGED, positions, &small), D3D_OK);
    EXPECT_EQ(small->GetNumBytesPerVertex(), 12u);
    ID3DXMesh* clone = nullptr;
    ASSERT_EQ(core.CloneMesh(small, D3DXMESH_MANAGED, &clone), D3D_OK);
    EXPECT_EQ(clone->GetNumBytesPerVertex(), velm::gfx::kVertexStride);
    clone->Release();
    small->Release();
    mesh->Release();
}

TEST(GfxCoordSystem, AxesRun250AlongEachDirection) {
    const velm::gfx::SGfxCoordSystem gizmo;
    for (const auto* axis : {&gizmo.x, &gizmo.y, &gizmo.z}) {
        ASSERT_EQ(axis->pointCount, 2u);
        EXPECT_EQ(axis->points[0], D3DXVECTOR3(0.0f, 0.0f, 0.0f));
        EXPECT_EQ(axis->points[1], axis->direction * 250.0f);
        EXPECT_EQ(axis->scale, 1.0f);
    }
    EXPECT_EQ(gizmo.y.direction, D3DXVECTOR3(0.0f, 1.0f, 0.0f));
}

} // namespace
