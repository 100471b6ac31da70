// Milliseconds per frame of 16 particle systems of 500 particles each over 1,000 frames, split
// into the particle update (births, the ten functors, deaths and the camera-facing quads) and
// the draw (each system's batch through "Particle.fx" and the renderer), on the OpenGL device
// (offscreen) and on the null device, which leaves only the engine's own work.
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/gfx/fx_manager.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/particle_sys_registry.h"
#include "engine/gfx/particle_system.h"
#include "engine/gfx/renderer.h"
#include "engine/gfx/texture_cache.h"
#include "platform/dxut/dxut.h"
#include "platform/dxut/dxut_device.h"
#include "support/gfx_scene.h"

namespace {

using velm::gfx::FXManager;
using velm::gfx::GFXCore;
using velm::gfx::ParticleSysRegistry;
using velm::gfx::Renderer;

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kSystems = 16;
constexpr int kParticles = 500;
constexpr int kFrames = 1000;
constexpr float kElapsed = 1.0f / 60.0f;

// A spray: born on a circle, thrown up, pulled down, widening and fading; about 50 to 100
// updates of life, with births enough to keep the system full.
const char kTemplate[] = R"(<particle_system>
<particle_sys_data>
<sys_name>bench_spray</sys_name>
<sys_texture>white.bmp</sys_texture>
<sys_limit>500</sys_limit>
<sys_emit_rate>10</sys_emit_rate>
<sys_radius>8</sys_radius>
<sys_is_dead_all_at_once>0</sys_is_dead_all_at_once>
<sys_is_infinite>1</sys_is_infinite>
<sys_ColorInit>random_color_init</sys_ColorInit>
<sys_LifeInit>random_life_init</sys_LifeInit>
<sys_SizeInit>random_size_init</sys_SizeInit>
<sys_PosInit>circle_position_init</sys_PosInit>
<sys_VelInit>random_velocity_init</sys_VelInit>
<sys_ColorUpdate>fade_color_update</sys_ColorUpdate>
<sys_LifeUpdate>normal_life_update</sys_LifeUpdate>
<sys_SizeUpdate>normal_size_update</sys_SizeUpdate>
<sys_PosUpdate>normal_position_update</sys_PosUpdate>
<sys_VelUpdate>gravity_velocity_update</sys_VelUpdate>
</particle_sys_data>
<functor_data>
<random_color_init>
<red_low_range>200</red_low_range>
<red_high_range>255</red_high_range>
<green_low_range>220</green_low_range>
<green_high_range>255</green_high_range>
<blue_low_range>240</blue_low_range>
<blue_high_range>255</blue_high_range>
<alpha_low_range>200</alpha_low_range>
<alpha_high_range>255</alpha_high_range>
</random_color_init>
<random_life_init>
<min_life>0.5</min_life>
<max_life>1</max_life>
</random_life_init>
<random_size_init>
<xMin>0.2</xMin>
<yMin>0.2</yMin>
<zMin>1</zMin>
<xMax>0.5</xMax>
<yMax>0.5</yMax>
<zMax>1</zMax>
</random_size_init>
<circle_pos_init>
<radius>1</radius>
</circle_pos_init>
<random_velocity_init>
<xMin>-0.05</xMin>
<yMin>0.1</yMin>
<zMin>-0.05</zMin>
<xMax>0.05</xMax>
<yMax>0.3</yMax>
<zMax>0.05</zMax>
</random_velocity_init>
<fade_color_update>
<fade_rate>2</fade_rate>
</fade_color_update>
<normal_life_update>
<death_rate>0.01</death_rate>
</normal_life_update>
<normal_size_update>
<xRate>0.005</xRate>
<yRate>0.005</yRate>
<xLimit>1</xLimit>
<yLimit>1</yLimit>
</normal_size_update>
<normal_position_update>
</normal_position_update>
<gravity_velocity_update>
<y>-0.008</y>
</gravity_velocity_update>
</functor_data>
</particle_system>
)";

// Publishes what the last update built without stepping again, so that the draw is timed
// apart from the update.
class CBenchSystem : public velm::gfx::CParticleSystem {
public:
    void Prepare() override {
        m_geometry.vertices = GetVertices().data();
        m_geometry.vertexCount = GetVertexCount();
        m_geometry.indices = GetIndices().data();
        m_geometry.indexCount = GetIndexCount();
        FillRenderRecord(GetVertexCount(), GetIndexCount() / 3, nullptr);
    }
};

std::string SolidWhiteBmp() {
    const unsigned char header[54] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0,  0,
                                      2,   0,   0,  0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0,  0, 16, 0};
    std::string bytes(reinterpret_cast<const char*>(header), sizeof(header));
    bytes += std::string(6, '\xFF') + std::string(2, '\0') + std::string(6, '\xFF') + std::string(2, '\0');
    return bytes;
}

class CParticleScene {
public:
    explicit CParticleScene(bool gl) {
        tkbench::ChooseBackEnd(gl);
        m_dir = tkbench::MakeScratchDir();
        std::filesystem::create_directories(m_dir + "/particle_sys");
        std::ofstream(m_dir + "/particle_sys/spray.xml") << kTemplate;
        std::ofstream(m_dir + "/table.xml") << "<particle_system_table>\n<entry>\n<name>spray.xml</name>\n</entry>\n"
                                               "</particle_system_table>\n";
        std::ofstream(m_dir + "/white.bmp", std::ios::binary) << SolidWhiteBmp();
        const std::filesystem::path root = std::filesystem::path(__FILE__).parent_path().parent_path();
        velm::gfx::SGfxDirectories::s_effect = (root / "data" / "files" / "fx").string() + "/";
        velm::gfx::SGfxDirectories::s_texture = m_dir + "/";
        if (const char* error = tkbench::StartCore(gl, L"particles bench", kWidth, kHeight)) {
            m_error = error;
            return;
        }
        velm::gfx::CGFXCore& core = GFXCore::Instance();
        Renderer::Instance();
        FXManager::Instance().LoadEffects({"Particle.fx"});
        if (FXManager::Instance().GetEffectCount() != 1) {
            m_error = "Particle.fx did not load";
            return;
        }
        core.SetFrameBeginListener([] { Renderer::Instance().Begin(); });
        core.CameraEye() = D3DXVECTOR3(0.0f, 6.0f, -40.0f);
        core.CameraTarget() = D3DXVECTOR3(0.0f, 4.0f, 0.0f);
        core.CameraUp() = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
        D3DXMATRIX view;
        D3DXMATRIX projection;
        D3DXMatrixLookAtLH(&view, &core.CameraEye(), &core.CameraTarget(), &core.CameraUp());
        D3DXMatrixPerspectiveFovLH(&projection, 1.0f, static_cast<float>(kWidth) / kHeight, 1.0f, 200.0f);
        core.SetViewMatrix(view);
        core.SetProjectionMatrix(projection);
        ParticleSysRegistry::Instance().Init(m_dir + "/table.xml", m_dir + "/particle_sys/");
        for (int s = 0; s < kSystems; ++s) {
            auto* system = new CBenchSystem();
            if (!system->Create("bench_spray")) {
                delete system;
                m_error = "the template did not load";
                return;
            }
            system->SetPosition(static_cast<float>(s % 4) * 8.0f - 12.0f, 0.0f, static_cast<float>(s / 4) * 6.0f, true);
            system->Emit(static_cast<float>(kParticles));
            m_systems.push_back(system);
        }
    }

    ~CParticleScene() {
        ParticleSysRegistry::Destroy();
        Renderer::Destroy();
        FXManager::Destroy();
        velm::gfx::TextureCache::Destroy();
        GFXCore::Destroy();
        platform::DXUTDestroyDevice();
        platform::DXUTReset();
        velm::gfx::SGfxDirectories::s_effect.clear();
        velm::gfx::SGfxDirectories::s_texture.clear();
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    const std::string& Error() const { return m_error; }

    void Update() {
        velm::gfx::UpdateParticleSystems(0.0, kElapsed);
        for (CBenchSystem* system : m_systems) {
            system->AdvanceAnimation();
        }
    }

    void Draw() {
        velm::gfx::CGFXCore& core = GFXCore::Instance();
        velm::gfx::CRenderer& renderer = Renderer::Instance();
        velm::gfx::CFXManager& fx = FXManager::Instance();
        core.BeginFrame();
        renderer.m_depthOrder = velm::gfx::CRenderer::kFarthestFirst;
        for (CBenchSystem* system : m_systems) {
            ID3DXEffect* effect = fx.SelectEffect(system->GetEffectFileName());
            velm::gfx::UnitTextures textures = {};
            for (std::size_t i = 0; i < textures.size(); ++i) {
                textures[i] = system->GetTexture(velm::gfx::kTextureSlots[i]);
            }
            renderer.SetBatchTextures(system->GetTechniqueName(), textures, effect, fx.GetCurrentHandles());
            system->Prepare();
            renderer.Enqueue(system);
            renderer.Flush();
        }
        core.EndScene();
        core.Present();
        if (!core.GetDevice()->IsNull()) {
            glFinish();
        }
    }

    float ParticleCount() const {
        float count = 0.0f;
        for (const CBenchSystem* system : m_systems) {
            count += system->GetCount();
        }
        return count;
    }

private:
    std::string m_dir;
    std::string m_error;
    std::vector<CBenchSystem*> m_systems; // the registry's
};

void RunFrames(benchmark::State& state, bool gl) {
    CParticleScene scene(gl);
    if (!scene.Error().empty()) {
        state.SkipWithError(scene.Error().c_str());
        return;
    }
    using Clock = std::chrono::steady_clock;
    double updateSeconds = 0.0;
    double drawSeconds = 0.0;
    double particles = 0.0;
    for (auto _ : state) {
        for (int frame = 0; frame < kFrames; ++frame) {
            const Clock::time_point start = Clock::now();
            scene.Update();
            const Clock::time_point updated = Clock::now();
            scene.Draw();
            const Clock::time_point drawn = Clock::now();
            updateSeconds += std::chrono::duration<double>(updated - start).count();
            drawSeconds += std::chrono::duration<double>(drawn - updated).count();
            particles += scene.ParticleCount();
        }
    }
    const double frames = static_cast<double>(state.iterations()) * kFrames;
    state.counters["update_ms_per_frame"] = updateSeconds * 1000.0 / frames;
    state.counters["draw_ms_per_frame"] = drawSeconds * 1000.0 / frames;
    state.counters["particles_per_frame"] = particles / frames;
}

void BM_ParticlesOpenGl(benchmark::State& state) { RunFrames(state, true); }
void BM_ParticlesNullDevice(benchmark::State& state) { RunFrames(state, false); }

BENCHMARK(BM_ParticlesOpenGl)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParticlesNullDevice)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
