#include "engine/gfx/renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <sstream>
#include <thread>

#include "engine/gfx/atmosphere_manager.h"
#include "engine/gfx/fx_manager.h"
#include "engine/gfx/gfx_test_device.h"
#include "engine/gfx/gfx_test_effects.h"
#include "engine/gfx/lights_manager.h"
#include "engine/gfx/texture_cache.h"
#include "engine/gfx/velm_gfx.h"
#include "support/temp_dir.h"

namespace {

using velm::gfx::CFXManager;
using velm::gfx::CGfxUnit;
using velm::gfx::CRenderer;
using velm::gfx::CTextureRef;
using velm::gfx::FXManager;
using velm::gfx::GFXCore;
using velm::gfx::HandleList;
using velm::gfx::Renderer;
using velm::gfx::SMeshVertex;

const char kTwoPass[] =
    "technique TwoPass {\n pass A { vertex = VS; fragment = PS; }\n pass B { vertex = VS; fragment = PS; }\n}\n";

// A unit of `triangles` separate triangles at position (0, 0, z); its face count names it in
// the draw trace.
std::unique_ptr<CGfxUnit> MakeUnit(std::uint32_t triangles, float z, const std::string& technique = "TextureMapping") {
    std::vector<SMeshVertex> vertices(triangles * 3, SMeshVertex{});
    std::vector<std::uint16_t> indices(triangles * 3);
    for (std::uint32_t i = 0; i < indices.size(); ++i) {
        vertices[i].position = D3DXVECTOR3(static_cast<float>(i % 3), static_cast<float>(i % 2), 0.0f);
        indices[i] = static_cast<std::uint16_t>(i);
    }
    auto unit = std::make_unique<CGfxUnit>();
    unit->CreateFromArrays({"TextureMapping.fx", "", technique}, vertices.data(),
                           static_cast<std::uint32_t>(vertices.size()), indices.data(),
                           static_cast<std::uint32_t>(indices.size()));
    unit->SetPosition(0.0f, 0.0f, z, true);
    unit->Prepare();
    return unit;
}

class RendererTest : public tktest::CGfxDeviceTest {
protected:
    void SetUp() override {
        tktest::CGfxDeviceTest::SetUp();
        using tktest::LitEffect;
        using tktest::Textures;
        m_dir.Write("Dummy.fx", tktest::SharedParams());
        m_dir.Write(
            "TextureMapping.fx",
            LitEffect({"TextureMapping"}, 1, Textures({"g_Texture1", "g_SpecularMap"}), "g_Texture1") + kTwoPass);
        m_dir.Write("Plain.fx", LitEffect({"RenderPlanarWater"}, 1, Textures({"g_Texture1"}), "g_Texture1"));
        m_dir.Write("PreZ.fx", LitEffect({"TextureMapping"}, 1, Textures({"g_Texture1"}), "g_Texture1"));
        velm::gfx::SGfxDirectories::s_effect = m_dir.Path() + "/";
        FXManager::Instance().LoadEffects({"TextureMapping.fx", "Plain.fx", "PreZ.fx"});
        Renderer::Instance();
        D3DXMATRIX view;
        D3DXMATRIX projection;
        const D3DXVECTOR3 eye(0.0f, 0.0f, -10.0f);
        const D3DXVECTOR3 at(0.0f, 0.0f, 0.0f);
        const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 1.0f, 1.0f, 1.0f, 100.0f);
        GFXCore::Instance().SetViewMatrix(view);
        GFXCore::Instance().SetProjectionMatrix(projection);
        Device()->BeginScene();
        Device()->SetTracing(true);
    }
    void TearDown() override {
        Renderer::Destroy();
        FXManager::Destroy();
        velm::gfx::LightsManager::Destroy();
        velm::gfx::AtmosphereManager::Destroy();
        velm::gfx::TextureCache::Destroy();
        velm::gfx::SGfxDirectories::s_effect.clear();
        tktest::CGfxDeviceTest::TearDown();
    }

    static IDirect3DDevice9* Device() { return GFXCore::Instance().GetDevice(); }
    static CRenderer& TheRenderer() { return Renderer::Instance(); }
    static ID3DXEffect* Select(const std::string& name) { return FXManager::Instance().SelectEffect(name); }

    // The face counts of the draws traced so far, in draw order.
    static std::vector<int> DrawnFaces() {
        std::vector<int> faces;
        for (const std::string& line : Device()->Trace()) {
            if (line.rfind("DrawIndexedPrimitive ", 0) == 0) {
                faces.push_back(std::stoi(line.substr(line.rfind(' ') + 1)));
            }
        }
        return faces;
    }
    static std::vector<std::string> TraceStarting(const std::string& prefix) {
        std::vector<std::string> lines;
        for (const std::string& line : Device()->Trace()) {
            if (line.rfind(prefix, 0) == 0) {
                lines.push_back(line);
            }
        }
        return lines;
    }

    tktest::CTempDir m_dir;
};

struct SOrderCase {
    std::uint32_t depthOrder;
    std::vector<int> faces;
};

TEST_F(RendererTest, FlushDrawsInEachDepthOrderWithTiesReversed) {
    // Queued A (near, 1 face), B (far, 2), C and D (equal depth between, 3 and 4).
    const SOrderCase cases[] = {{0, {2, 4, 3, 1}}, {1, {1, 4, 3, 2}}, {2, {1, 2, 3, 4}}};
    auto a = MakeUnit(1, 1.0f);
    auto b = MakeUnit(2, 50.0f);
    auto c = MakeUnit(3, 20.0f);
    auto d = MakeUnit(4, 20.0f);
    for (const SOrderCase& test : cases) {
        Device()->ClearTrace();
        TheRenderer().m_depthOrder = test.depthOrder;
        Select("TextureMapping.fx");
        for (CGfxUnit* unit : {a.get(), b.get(), c.get(), d.get()}) {
            TheRenderer().Enqueue(unit);
        }
        TheRenderer().Flush();
        EXPECT_EQ(DrawnFaces(), test.faces) << "depth order " << test.depthOrder;
        EXPECT_EQ(TheRenderer().GetQueueLength(), 0u);
    }
}

TEST_F(RendererTest, EveryPassDrawsEveryUnitAndWireframeIsPerUnit) {
    auto solid = MakeUnit(1, 1.0f, "TwoPass");
    auto wire = MakeUnit(2, 2.0f, "TwoPass");
    wire->SetWireframe(1);
    Select("TextureMapping.fx");
    TheRenderer().Enqueue(solid.get());
    TheRenderer().Enqueue(wire.get());
    TheRenderer().Flush();
    EXPECT_EQ(DrawnFaces(), (std::vector<int>{1, 2, 1, 2}));
    EXPECT_EQ(TheRenderer().m_drawnFaces, 6u) << "each pass counts its faces";
    EXPECT_EQ(TheRenderer().m_drawnUnits, 2u) << "a unit counts once";
    EXPECT_EQ(TraceStarting("Effect SetTechnique"), std::vector<std::string>{"Effect SetTechnique TwoPass"});
    // Fill mode is state 8: the wire unit's draw alone is between wireframe (2) and solid (3).
    std::vector<std::string> fill;
    for (const std::string& line : Device()->Trace()) {
        if (line.rfind("SetRenderState 8 ", 0) == 0 || line.rfind("DrawIndexedPrimitive", 0) == 0) {
            fill.push_back(line.substr(line.size() - 1));
        }
    }
    EXPECT_EQ(fill, (std::vector<std::string>{"1", "3", "2", "2", "3", "1", "3", "2", "2", "3"}));
}

struct SMaterialCase {
    bool material;
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float power;
};

TEST_F(RendererTest, UnitParametersTakeTheMaterialOrWhiteWithoutOne) {
    const SMaterialCase cases[] = {
        {false, {1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 0, 0}, 256.0f},
        {true, {0.1f, 0.2f, 0.3f, 0.4f}, {0.5f, 0.6f, 0.7f, 0.8f}, {0.9f, 1.0f, 0.5f, 0.25f}, 12.0f},
    };
    for (const SMaterialCase& test : cases) {
        auto unit = MakeUnit(1, 3.0f);
        unit->SetScale(2.0f, 2.0f, 2.0f, false);
        unit->SetPosition(1.0f, 2.0f, 3.0f, true);
        unit->SetTileFactor(4.0f);
        if (test.material) {
            D3DXMATERIAL material = {};
            material.MatD3D.Ambient = {test.ambient[0], test.ambient[1], test.ambient[2], test.ambient[3]};
            material.MatD3D.Diffuse = {test.diffuse[0], test.diffuse[1], test.diffuse[2], test.diffuse[3]};
            material.MatD3D.Specular = {test.specular[0], test.specular[1], test.specular[2], test.specular[3]};
            material.MatD3D.Power = test.power;
            unit->SetMaterial(material);
        }
        unit->Prepare();
        ID3DXEffect* effect = Select("TextureMapping.fx");
        const HandleList& handles = *FXManager::Instance().GetCurrentHandles();
        TheRenderer().Enqueue(unit.get());
        TheRenderer().Flush();
        D3DXMATRIX matrix;
        effect->GetMatrix(handles[0], &matrix);
        EXPECT_EQ(matrix, unit->GetWorldMatrix());
        effect->GetMatrix(handles[1], &matrix);
        EXPECT_EQ(matrix, unit->GetWorldMatrix() * GFXCore::Instance().GetViewMatrix());
        effect->GetMatrix(handles[2], &matrix);
        EXPECT_EQ(matrix, unit->GetRenderData().worldViewProjection);
        effect->GetMatrix(handles[3], &matrix);
        EXPECT_NEAR(matrix._11, 0.5f, 1e-6f) << "inverse transpose of a scale of 2";
        EXPECT_NEAR(matrix._14, -0.5f, 1e-6f) << "the translation moves to the last column";
        EXPECT_NEAR(matrix._44, 1.0f, 1e-6f);
        float values[4];
        const float* expected[3] = {test.ambient, test.diffuse, test.specular};
        for (std::size_t i = 0; i < 3; ++i) {
            effect->GetFloatArray(handles[4 + i], values, 4);
            EXPECT_EQ(std::vector<float>(values, values + 4), std::vector<float>(expected[i], expected[i] + 4))
                << "material handle " << 4 + i << (test.material ? " with" : " without") << " a material";
        }
        effect->GetFloat(handles[7], values);
        EXPECT_EQ(values[0], test.power);
        effect->GetFloat(handles[8], values);
        EXPECT_EQ(values[0], 4.0f);
    }
}

TEST_F(RendererTest, SharedParametersAreWrittenOnceAFrameInTheirOrder) {
    D3DLIGHT9 light = {};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Direction = {0.0f, -1.0f, 0.0f};
    light.Falloff = 7.0f;
    light.Attenuation0 = 8.0f;
    light.Attenuation1 = 9.0f;
    light.Attenuation2 = 10.0f;
    light.Diffuse = {0.25f, 0.5f, 0.75f, 1.0f};
    velm::gfx::LightsManager::Instance().SetLight(light, 0);
    velm::gfx::AtmosphereManager::Instance().m_fogEnd = 300.0f;
    Device()->EndScene();
    velm::gfx::CGFXCore& core = GFXCore::Instance();
    core.SetFrameBeginListener([] { Renderer::Instance().Begin(); });
    const double time = 16777217.5;
    core.SetFrameTime(time, 0.02f);
    Device()->ClearTrace();
    core.BeginFrame();
    auto unit = MakeUnit(1, 1.0f);
    Select("TextureMapping.fx");
    TheRenderer().Enqueue(unit.get());
    TheRenderer().Flush();
    core.SetFrameBeginListener(nullptr);
    const std::vector<std::string> shared = {
        "Effect SetMatrix ViewInverse", "Effect SetMatrix View",          "Effect SetMatrix ViewProjection",
        "Effect SetInt m_type",         "Effect SetFloat m_pos 3",        "Effect SetFloat m_dir 3",
        "Effect SetFloat m_falloff 3",  "Effect SetFloat m_range 1",      "Effect SetFloat m_ambient 4",
        "Effect SetFloat m_diffuse 4",  "Effect SetFloat m_specular 4",   "Effect SetFloat g_fogstart 1",
        "Effect SetFloat g_fogend 1",   "Effect SetFloat g_fogdensity 1", "Effect SetFloat g_fogcolor 4",
        "Effect SetFloat g_time 1",     "Effect SetFloat g_ElapsedTime 1"};
    const std::vector<std::string>& trace = Device()->Trace();
    const auto begin = std::find(trace.begin(), trace.end(), "BeginScene");
    ASSERT_NE(begin, trace.end());
    EXPECT_EQ(std::vector<std::string>(begin + 1, begin + 1 + static_cast<long>(shared.size())), shared);
    EXPECT_EQ((begin + 1 + static_cast<long>(shared.size()))->rfind("Clear", 0), 0u) << "then the clear";
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "Effect SetMatrix ViewInverse"), 1) << "the flush writes none";

    // Every effect of the pool reads the values written on the carrier.
    ID3DXEffect* effect = Select("TextureMapping.fx");
    D3DXHANDLE lightHandle = effect->GetParameterByName(nullptr, "g_light");
    float falloff[3];
    effect->GetFloatArray(effect->GetParameterByName(lightHandle, "m_falloff"), falloff, 3);
    EXPECT_EQ(std::vector<float>(falloff, falloff + 3), (std::vector<float>{7.0f, 8.0f, 9.0f}));
    INT type = 0;
    effect->GetInt(effect->GetParameterByName(lightHandle, "m_type"), &type);
    EXPECT_EQ(type, static_cast<INT>(D3DLIGHT_DIRECTIONAL));
    float value = 0.0f;
    effect->GetFloat("g_time", &value);
    EXPECT_EQ(value, static_cast<float>(time)) << "narrowed to float";
    effect->GetFloat("g_fogend", &value);
    EXPECT_EQ(value, 300.0f);
}

TEST_F(RendererTest, ALightIndexOtherThanZeroIsKeptApartAndNoted) {
    const D3DLIGHT9& stored = velm::gfx::LightsManager::Instance().GetLight();
    EXPECT_EQ(stored.Range, 0.0f) << "the light starts zeroed";
    D3DLIGHT9 light = {};
    light.Range = 5.0f;
    ::testing::internal::CaptureStderr();
    velm::gfx::LightsManager::Instance().SetLight(light, 1);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("light index 1"), std::string::npos);
    EXPECT_EQ(stored.Range, 0.0f) << "entry 0 is untouched";
    EXPECT_EQ(velm::gfx::LightsManager::Instance().GetLight(1).Range, 5.0f);
    velm::gfx::LightsManager::Instance().SetLight(light, 0);
    EXPECT_EQ(stored.Range, 5.0f);
}

// A unit of `quads` separate quads (4 vertices, 6 indices each).
std::unique_ptr<CGfxUnit> MakeQuads(std::uint32_t vertices, std::uint32_t indices) {
    std::vector<SMeshVertex> corners(vertices, SMeshVertex{});
    std::vector<std::uint16_t> order(indices);
    for (std::uint32_t i = 0; i < indices; ++i) {
        order[i] = static_cast<std::uint16_t>((i * 7u) % std::min<std::uint32_t>(vertices, 65536u));
    }
    auto unit = std::make_unique<CGfxUnit>();
    unit->CreateFromArrays({"TextureMapping.fx", "", "TextureMapping"}, corners.data(), vertices, order.data(),
                           indices);
    unit->Prepare();
    return unit;
}

struct SLargeCase {
    const char* what;
    std::uint32_t vertices;
    std::uint32_t indices;
};

TEST_F(RendererTest, BuffersGrowSoLargeUnitsDrawInFull) {
    const SLargeCase cases[] = {
        {"a 6,048-particle system", 24192, 36288},
        {"a 129 x 129 water grid", 129 * 129, 128 * 128 * 6},
        {"the most 16-bit indices address", 65536, 65536 * 3},
    };
    for (const SLargeCase& test : cases) {
        Device()->ClearTrace();
        auto unit = MakeQuads(test.vertices, test.indices);
        Select("TextureMapping.fx");
        TheRenderer().Enqueue(unit.get());
        TheRenderer().Flush();
        EXPECT_EQ(TraceStarting("DrawIndexedPrimitive"),
                  std::vector<std::string>{"DrawIndexedPrimitive 4 0 0 " + std::to_string(test.vertices) + " 0 " +
                                           std::to_string(test.indices / 3)})
            << test.what;
        EXPECT_GE(TheRenderer().GetMaxVertices(), test.vertices) << test.what;
        EXPECT_GE(TheRenderer().GetMaxIndices(), test.indices) << test.what;
        const auto* fixed = TheRenderer().GetFixedGeometry().Held(unit->GetGeometry().fixedSerial);
        ASSERT_NE(fixed, nullptr) << test.what;
        EXPECT_EQ(std::memcmp(fixed->vertices->Bytes().data() + 60 * (test.vertices - 1),
                              unit->GetGeometry().vertices + (test.vertices - 1), 60),
                  0)
            << test.what << ": the last vertex was sent";
    }
    Device()->ClearTrace();
    auto huge = MakeQuads(70000, 300);
    auto small = MakeUnit(1, 1.0f);
    TheRenderer().Enqueue(huge.get());
    TheRenderer().Enqueue(small.get());
    ::testing::internal::CaptureStderr();
    TheRenderer().Flush();
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("70000 vertices"), std::string::npos);
    EXPECT_EQ(DrawnFaces(), std::vector<int>{1}) << "the rest of the batch is drawn";
    EXPECT_LE(TheRenderer().GetMaxVertices(), CRenderer::kMostVertices);
}

// A unit's own geometry goes to the device once; geometry put in its place is drawn, not the old
// buffers, and buffers no longer drawn are let go.
TEST_F(RendererTest, FixedGeometryIsSentOnceAndReplacedGeometryIsDrawn) {
    auto unit = MakeQuads(4, 6);
    const std::uint64_t first = unit->GetGeometry().fixedSerial;
    ASSERT_NE(first, 0u);
    Select("TextureMapping.fx");
    TheRenderer().Enqueue(unit.get());
    TheRenderer().Flush();
    const auto* held = TheRenderer().GetFixedGeometry().Held(first);
    ASSERT_NE(held, nullptr);
    IDirect3DVertexBuffer9* sent = held->vertices;
    TheRenderer().Enqueue(unit.get());
    TheRenderer().Flush();
    EXPECT_EQ(TheRenderer().GetFixedGeometry().Held(first)->vertices, sent) << "drawn again from the same buffers";

    std::vector<SMeshVertex> moved(5, SMeshVertex{});
    moved[4].position = D3DXVECTOR3(7.0f, 8.0f, 9.0f);
    const std::vector<std::uint16_t> order = {0, 1, 4};
    unit->CreateFromArrays({"TextureMapping.fx", "", "TextureMapping"}, moved.data(), 5, order.data(), 3);
    unit->Prepare();
    const std::uint64_t second = unit->GetGeometry().fixedSerial;
    EXPECT_NE(second, first);
    Device()->ClearTrace();
    TheRenderer().Enqueue(unit.get());
    TheRenderer().Flush();
    EXPECT_EQ(DrawnFaces(), std::vector<int>{1});
    held = TheRenderer().GetFixedGeometry().Held(second);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(std::memcmp(held->vertices->Bytes().data() + 60 * 4, &moved[4], 60), 0);
    EXPECT_EQ(TheRenderer().GetFixedGeometry().Held(first), nullptr)
        << "the replaced geometry's buffers go before the new ones are made, not a sweep later";

    // A unit freed where its level is cleared, off the drawing thread: its buffers go at the next
    // draw, and a unit never drawn has none to free.
    auto other = MakeQuads(2, 3);
    TheRenderer().Enqueue(other.get());
    TheRenderer().Flush();
    const std::uint64_t otherSerial = other->GetGeometry().fixedSerial;
    ASSERT_NE(TheRenderer().GetFixedGeometry().Held(otherSerial), nullptr);
    std::thread([&other] { other.reset(); }).join();
    std::thread([] { MakeQuads(1, 2).reset(); }).join();
    TheRenderer().Enqueue(unit.get());
    TheRenderer().Flush();
    EXPECT_EQ(TheRenderer().GetFixedGeometry().Held(otherSerial), nullptr);
    EXPECT_EQ(TheRenderer().GetFixedGeometry().GetCount(), 1u);
}

struct SBadBatchCase {
    const char* effect;
    const char* technique;
    const char* logged;
    std::vector<int> faces;
};

TEST_F(RendererTest, BadBatchesAreLoggedAndNeverCrash) {
    const SBadBatchCase cases[] = {
        {"Missing.fx", "TextureMapping", "no current effect", {}},
        // A water technique on a file with only the nine common handles.
        {"Plain.fx", "RenderPlanarWater", "\"RenderPlanarWater\" writes handle 34 but its effect has only 9", {2}},
        {"TextureMapping.fx", "NoSuchTechnique", "Failed To Set Technique: NoSuchTechnique", {2}},
    };
    const velm::gfx::SPlanarWaterParams water = {1.0f, 2.0f, 3.0f, 4.0f};
    for (const SBadBatchCase& test : cases) {
        Device()->ClearTrace();
        auto unit = MakeUnit(2, 1.0f, test.technique);
        velm::gfx::SUnitRenderData data = unit->GetRenderData();
        data.planarWater = &water;
        ID3DXEffect* effect = Select(test.effect);
        ::testing::internal::CaptureStderr();
        TheRenderer().SetUnitParameters(data, effect, FXManager::Instance().GetCurrentHandles());
        TheRenderer().Enqueue(unit.get());
        TheRenderer().Flush();
        const std::string log = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find(test.logged), std::string::npos) << test.technique << " logged: " << log;
        EXPECT_EQ(DrawnFaces(), test.faces) << test.technique;
        EXPECT_EQ(TheRenderer().GetQueueLength(), 0u);
    }
    EXPECT_EQ(TheRenderer().m_drawnUnits, 2u) << "the batch without an effect drew nothing";
}

TEST_F(RendererTest, TheOverrideDrawsWithPreZAndWritesOnlyEachUnitsMatrices) {
    auto first = MakeUnit(1, 1.0f);
    auto second = MakeUnit(2, 5.0f);
    CFXManager& fx = FXManager::Instance();
    fx.m_override = true;
    fx.SelectPreZ(0);
    ASSERT_EQ(fx.GetCurrentEffect(), fx.FindEffect("PreZ.fx")->second.effect);
    fx.SelectPreZ(1);
    EXPECT_EQ(fx.GetCurrentEffect(), fx.FindEffect("PreZ.fx")->second.effect) << "only 0 selects";
    TheRenderer().m_depthOrder = 2;
    TheRenderer().SetBatchTextures("TextureMapping", velm::gfx::UnitTextures{}, fx.GetCurrentEffect(),
                                   fx.GetCurrentHandles());
    TheRenderer().Enqueue(first.get());
    TheRenderer().Enqueue(second.get());
    TheRenderer().Flush();
    fx.m_override = false;
    const std::vector<std::string> writes = TraceStarting("Effect Set");
    const std::vector<std::string> perUnit = {"Effect SetMatrix World", "Effect SetMatrix WorldView",
                                              "Effect SetMatrix WorldViewProjection",
                                              "Effect SetMatrix WorldInverseTranspose"};
    std::vector<std::string> expected = {"Effect SetTechnique TextureMapping"};
    expected.insert(expected.end(), perUnit.begin(), perUnit.end());
    expected.insert(expected.end(), perUnit.begin(), perUnit.end());
    EXPECT_EQ(writes, expected) << "no material, tile factor or textures under the override";
    D3DXMATRIX matrix;
    fx.GetCurrentEffect()->GetMatrix("WorldViewProjection", &matrix);
    EXPECT_EQ(matrix, second->GetRenderData().worldViewProjection) << "not a stale matrix";
}

TEST_F(RendererTest, LossAndResetReleaseAndRestoreInOrder) {
    Device()->EndScene();
    IDirect3DTexture9* target = nullptr;
    ASSERT_EQ(
        Device()->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target, nullptr),
        D3D_OK);
    ID3DXEffect* effect = Select("TextureMapping.fx");
    effect->SetTexture("g_Texture1", target);
    target->Release();
    velm::gfx::OnLostDevice();
    EXPECT_EQ(TheRenderer().GetVertexBuffer(), nullptr);
    EXPECT_EQ(TheRenderer().GetIndexBuffer(), nullptr);
    auto unit = MakeUnit(1, 1.0f);
    TheRenderer().Enqueue(unit.get());
    TheRenderer().Flush();
    EXPECT_EQ(TheRenderer().GetVertexBuffer(), nullptr) << "nothing is recreated before the reset";
    Device()->ClearTrace();
    velm::gfx::OnResetDevice();
    EXPECT_EQ(TraceStarting("Reset"), std::vector<std::string>{"Reset"})
        << "effects and renderer held no default-pool resource at the device reset";
    ASSERT_NE(TheRenderer().GetVertexBuffer(), nullptr);
    D3DVERTEXBUFFER_DESC desc;
    TheRenderer().GetVertexBuffer()->GetDesc(&desc);
    EXPECT_EQ(desc.Size, CRenderer::kInitialVertices * 60);
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    Device()->BeginScene();
    TheRenderer().Enqueue(unit.get());
    TheRenderer().Flush();
    EXPECT_EQ(DrawnFaces(), std::vector<int>{1});
}

} // namespace
