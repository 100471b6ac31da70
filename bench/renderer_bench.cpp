// Frames per second of the engine's renderer drawing 1,000 units of 100 triangles each at
// 800 x 600: every unit prepared, queued, given its parameters and streamed through the dynamic
// buffers in one batch, on the OpenGL device (offscreen) and on the null device, which leaves
// only the engine's own work per unit.
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/gfx/fx_manager.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/gfx/lights_manager.h"
#include "engine/gfx/renderer.h"
#include "engine/gfx/texture_cache.h"
#include "platform/dxut/dxut.h"
#include "platform/dxut/dxut_device.h"
#include "support/gfx_scene.h"

namespace {

using velm::gfx::CGfxUnit;
using velm::gfx::FXManager;
using velm::gfx::GFXCore;
using velm::gfx::Renderer;
using velm::gfx::SMeshVertex;

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kUnits = 1000;
constexpr int kTriangles = 100;

const char kShared[] =
    "shared param float4x4 ViewInverse : ViewInverse;\nshared param float4x4 View : View;\n"
    "shared param float4x4 ViewProjection : ViewProjection;\n"
    "shared param struct g_light { int m_type; float3 m_pos; float3 m_dir; float3 m_falloff; float m_range;\n"
    "    float4 m_ambient; float4 m_diffuse; float4 m_specular; };\n"
    "shared param float g_fogstart;\nshared param float g_fogend;\nshared param float g_fogdensity;\n"
    "shared param float4 g_fogcolor;\nshared param float g_time;\nshared param float g_ElapsedTime;\n";

const char kLit[] =
    "param float4x4 World : World;\nparam float4x4 WorldView : WorldView;\n"
    "param float4x4 WorldViewProjection : WorldViewProjection;\n"
    "param float4x4 WorldInverseTranspose : WorldInverseTranspose;\n"
    "param float4 g_MaterialAmbient;\nparam float4 g_MaterialDiffuse;\nparam float4 g_MaterialSpecular;\n"
    "param float g_specular_power;\nparam float g_TileFactor;\n"
    "param texture2D g_Texture1;\nparam texture2D g_SpecularMap;\n"
    "technique TextureMapping {\n pass P0 { vertex = VS; fragment = PS; CullMode = None; }\n}\n"
    "glsl VS {{\nout vec4 v_colour;\nvoid main() {\n"
    "    vec3 n = normalize((WorldInverseTranspose * vec4(tk_Normal, 0.0)).xyz);\n"
    "    float lit = max(dot(n, -g_light.m_dir), 0.0);\n"
    "    v_colour = tk_Color * (g_MaterialAmbient * g_light.m_ambient + g_MaterialDiffuse * g_light.m_diffuse * lit);\n"
    "    gl_Position = WorldViewProjection * vec4(tk_Position, 1.0);\n}\n}}\n"
    "glsl PS {{\nin vec4 v_colour;\nvoid main() { tk_FragColor = vec4(v_colour.rgb, 1.0); }\n}}\n";

class CRendererScene {
public:
    explicit CRendererScene(bool gl) {
        tkbench::ChooseBackEnd(gl);
        m_dir = tkbench::MakeScratchDir();
        std::ofstream(m_dir + "/Dummy.fx") << kShared;
        std::ofstream(m_dir + "/TextureMapping.fx") << kShared << kLit;
        velm::gfx::SGfxDirectories::s_effect = m_dir + "/";
        if (const char* error = tkbench::StartCore(gl, L"renderer bench", kWidth, kHeight)) {
            m_error = error;
            return;
        }
        velm::gfx::CGFXCore& core = GFXCore::Instance();
        Renderer::Instance();
        FXManager::Instance().LoadEffects({"TextureMapping.fx"});
        if (FXManager::Instance().GetEffectCount() != 1) {
            m_error = "the effect did not load";
            return;
        }
        core.SetFrameBeginListener([] { Renderer::Instance().Begin(); });
        D3DLIGHT9 light = {};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Direction = {0.3f, -0.5f, 0.8f};
        light.Diffuse = {0.8f, 0.8f, 0.8f, 1.0f};
        light.Ambient = {0.2f, 0.2f, 0.2f, 1.0f};
        velm::gfx::LightsManager::Instance().SetLight(light, 0);
        D3DXMATRIX view;
        D3DXMATRIX projection;
        const D3DXVECTOR3 eye(0.0f, 0.0f, -60.0f);
        const D3DXVECTOR3 at(0.0f, 0.0f, 0.0f);
        const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 1.0f, static_cast<float>(kWidth) / kHeight, 1.0f, 200.0f);
        core.SetViewMatrix(view);
        core.SetProjectionMatrix(projection);
        MakeUnits();
    }

    ~CRendererScene() {
        m_units.clear();
        Renderer::Destroy();
        FXManager::Destroy();
        velm::gfx::LightsManager::Destroy();
        velm::gfx::TextureCache::Destroy();
        GFXCore::Destroy();
        platform::DXUTDestroyDevice();
        platform::DXUTReset();
        velm::gfx::SGfxDirectories::s_effect.clear();
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    const std::string& Error() const { return m_error; }

    void Frame() {
        velm::gfx::CGFXCore& core = GFXCore::Instance();
        velm::gfx::CRenderer& renderer = Renderer::Instance();
        velm::gfx::CFXManager& fx = FXManager::Instance();
        core.BeginFrame();
        ID3DXEffect* effect = fx.SelectEffect("TextureMapping.fx");
        renderer.SetBatchTextures("TextureMapping", velm::gfx::UnitTextures{}, effect, fx.GetCurrentHandles());
        for (const std::unique_ptr<CGfxUnit>& unit : m_units) {
            unit->Prepare();
            renderer.Enqueue(unit.get());
        }
        renderer.Flush();
        core.EndScene();
        core.Present();
        if (!core.GetDevice()->IsNull()) {
            glFinish();
        }
    }

private:
    // A 40 x 25 grid of units, each 100 small triangles of one colour.
    void MakeUnits() {
        std::mt19937 random(11);
        std::uniform_real_distribution<float> spread(-0.8f, 0.8f);
        std::vector<SMeshVertex> vertices(kTriangles * 3);
        std::vector<std::uint16_t> indices(kTriangles * 3);
        for (int u = 0; u < kUnits; ++u) {
            const D3DCOLOR colour = 0xFF000000u | static_cast<D3DCOLOR>(random() & 0xFFFFFF);
            for (int t = 0; t < kTriangles; ++t) {
                const float x = spread(random);
                const float y = spread(random);
                const float corners[3][2] = {{0.0f, 0.15f}, {0.15f, -0.15f}, {-0.15f, -0.15f}};
                for (int c = 0; c < 3; ++c) {
                    SMeshVertex& vertex = vertices[static_cast<std::size_t>(t * 3 + c)];
                    vertex = SMeshVertex{};
                    vertex.position = D3DXVECTOR3(x + corners[c][0], y + corners[c][1], 0.0f);
                    vertex.normal = D3DXVECTOR3(0.0f, 0.0f, -1.0f);
                    vertex.colour = colour;
                    indices[static_cast<std::size_t>(t * 3 + c)] = static_cast<std::uint16_t>(t * 3 + c);
                }
            }
            auto unit = std::make_unique<CGfxUnit>();
            unit->CreateFromArrays({"TextureMapping.fx", "", "TextureMapping"}, vertices.data(),
                                   static_cast<std::uint32_t>(vertices.size()), indices.data(),
                                   static_cast<std::uint32_t>(indices.size()));
            unit->SetPosition(static_cast<float>(u % 40) * 2.0f - 39.0f, static_cast<float>(u / 40) * 2.0f - 24.0f,
                              static_cast<float>(u % 7), true);
            m_units.push_back(std::move(unit));
        }
    }

    std::string m_dir;
    std::string m_error;
    std::vector<std::unique_ptr<CGfxUnit>> m_units;
};

void DrawFrames(benchmark::State& state, bool gl) {
    CRendererScene scene(gl);
    if (!scene.Error().empty()) {
        state.SkipWithError(scene.Error().c_str());
        return;
    }
    for (auto _ : state) {
        scene.Frame();
    }
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["units_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kUnits, benchmark::Counter::kIsRate);
}

void BM_RendererOpenGl(benchmark::State& state) { DrawFrames(state, true); }
void BM_RendererNull(benchmark::State& state) { DrawFrames(state, false); }

BENCHMARK(BM_RendererOpenGl)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RendererNull)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
