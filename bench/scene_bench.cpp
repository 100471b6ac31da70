// A frame of a race-sized scene through the graphics system at 800 x 600 with the water's
// reflection and refraction passes on: a 129 x 129 terrain, three water units (planar, planar
// wave and a spline river of 50 x 2 cells), the six skybox faces, six skinned animated copies of
// the test model and 60 scenery units, drawn with the data tree's effect files. Frames per second on the OpenGL device
// (the machine's software renderer offscreen), split into the engine's work (the same frames on the null device) and
// the device's (the rest).
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/gfx/atmosphere_manager.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/gfx_terrain.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/gfx/gfx_water.h"
#include "engine/gfx/lights_manager.h"
#include "engine/gfx/velm_gfx.h"
#include "engine/gfx/water_manager.h"
#include "platform/dxut/dxut.h"
#include "platform/dxut/dxut_device.h"
#include "support/gfx_scene.h"

namespace {

using velm::gfx::CGfxUnit;
using velm::gfx::CVelmGfx;
using velm::gfx::GFXCore;
using velm::gfx::IGfxUnit;
using velm::gfx::SMeshVertex;

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kTerrainVertices = 129;
constexpr float kTerrainSpacing = 4.0f;
constexpr int kRacers = 6;
constexpr int kScenery = 60;

// A size x size 24-bit BMP of two colours in 8-pixel squares.
std::string CheckerBmp(int size, std::uint32_t a, std::uint32_t b) {
    const int row = size * 3;
    const int bytes = 54 + row * size;
    std::string out(54, '\0');
    auto put32 = [&](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            out[static_cast<std::size_t>(at + i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
        }
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, static_cast<std::uint32_t>(bytes));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(size));
    put32(22, static_cast<std::uint32_t>(size));
    out[26] = 1;
    out[28] = 24;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const std::uint32_t c = ((x / 8 + y / 8) % 2 == 0) ? a : b;
            out += static_cast<char>(c & 0xFF);
            out += static_cast<char>((c >> 8) & 0xFF);
            out += static_cast<char>((c >> 16) & 0xFF);
        }
    }
    return out;
}

// A size x size grey BMP of banks rising either side of a river bed along the image's columns.
std::string BanksBmp(int size) {
    std::string out = CheckerBmp(size, 0, 0);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float across = std::fabs(static_cast<float>(x - size / 2)) / (size / 2);
            const auto grey = static_cast<char>(static_cast<int>(255.0f * across * across));
            for (int c = 0; c < 3; ++c) {
                out[static_cast<std::size_t>(54 + (y * size + x) * 3 + c)] = grey;
            }
        }
    }
    return out;
}

// A grid of columns x rows vertices in the xz plane, centred, with the height function given.
void Grid(int columns, int rows, float spacing, float (*height)(float, float), std::vector<SMeshVertex>* vertices,
          std::vector<std::uint16_t>* indices) {
    vertices->assign(static_cast<std::size_t>(columns) * rows, SMeshVertex{});
    const float width = (columns - 1) * spacing;
    const float depth = (rows - 1) * spacing;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            SMeshVertex& v = (*vertices)[static_cast<std::size_t>(r) * columns + c];
            const float x = -width / 2 + c * spacing;
            const float z = depth / 2 - r * spacing;
            v.position = D3DXVECTOR3(x, height(x, z), z);
            v.normal = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
            v.u = static_cast<float>(c) / static_cast<float>(columns - 1);
            v.v = static_cast<float>(r) / static_cast<float>(rows - 1);
            v.colour = 0xFFFFFFFF;
        }
    }
    indices->clear();
    for (int r = 0; r + 1 < rows; ++r) {
        for (int c = 0; c + 1 < columns; ++c) {
            const auto a = static_cast<std::uint16_t>(r * columns + c);
            const auto b = static_cast<std::uint16_t>((r + 1) * columns + c);
            for (const std::uint16_t i : {a, static_cast<std::uint16_t>(a + 1), b, b, static_cast<std::uint16_t>(a + 1),
                                          static_cast<std::uint16_t>(b + 1)}) {
                indices->push_back(i);
            }
        }
    }
}

float Flat(float, float) { return 0.0f; }

// A scenery rock: a 10 x 10 grid bent into a dome, 162 faces.
std::unique_ptr<CGfxUnit> Rock() {
    std::vector<SMeshVertex> vertices;
    std::vector<std::uint16_t> indices;
    Grid(
        10, 10, 0.4f, [](float x, float z) { return 2.0f - 0.3f * (x * x + z * z); }, &vertices, &indices);
    auto unit = std::make_unique<CGfxUnit>();
    unit->CreateFromArrays({"TextureMapping.fx", "", "TextureMapping"}, vertices.data(),
                           static_cast<std::uint32_t>(vertices.size()), indices.data(),
                           static_cast<std::uint32_t>(indices.size()));
    unit->LoadTexture("rock.bmp", 4);
    return unit;
}

class CRaceScene {
public:
    CRaceScene(bool gl, std::uint32_t flags) : m_gl(gl) {
        tkbench::ChooseBackEnd(gl);
        m_dir = tkbench::MakeScratchDir();
        std::ofstream(m_dir + "/rock.bmp", std::ios::binary) << CheckerBmp(128, 0x807060, 0x605040);
        std::ofstream(m_dir + "/grass.bmp", std::ios::binary) << CheckerBmp(256, 0x30A030, 0x208020);
        std::ofstream(m_dir + "/sky.bmp", std::ios::binary) << CheckerBmp(256, 0x80A0FF, 0x90B0FF);
        std::ofstream(m_dir + "/ripples.bmp", std::ios::binary) << CheckerBmp(128, 0x8080FF, 0x7070F0);
        std::ofstream(m_dir + "/banks.bmp", std::ios::binary) << BanksBmp(256);
        if (const char* error = tkbench::OpenWindow(L"scene bench")) {
            m_error = error;
            return;
        }
        m_gfx = std::make_unique<CVelmGfx>();
        CVelmGfx::SVelmGfxInitInfo info;
        info.m_screenWidth = kWidth;
        info.m_screenHeight = kHeight;
        // The data tree's effects and test model; the textures are made here.
        const char* root = std::getenv("TK_SOURCE_DIR");
        const std::string data = std::string(root != nullptr ? root : ".") + "/data/";
        info.m_effectDirectory = data + "files/fx/";
        info.m_textureDirectory = m_dir + "/";
        info.m_meshDirectory = data + "arts/models/D3D_X_files/";
        info.m_fxFiles = {"TextureMapping.fx", "Terrain.fx", "Skybox.fx", "Water2.fx"};
        CVelmGfx::SLightRecord light;
        light.m_light.Type = D3DLIGHT_DIRECTIONAL;
        light.m_light.Direction = {0.3f, -0.8f, 0.5f};
        light.m_light.Diffuse = {0.8f, 0.8f, 0.8f, 1.0f};
        light.m_light.Ambient = {0.3f, 0.3f, 0.3f, 1.0f};
        info.m_lights = {light};
        m_gfx->Init(info);
        if (const char* error = tkbench::CheckDevice(gl)) {
            m_error = error;
            return;
        }
        velm::gfx::CGFXCore& core = GFXCore::Instance();
        MakeScene();
        if (!m_error.empty()) {
            return;
        }
        m_gfx->SetRenderFlags(flags);
        const float fov = 0.7853982f;
        D3DXMATRIX projection;
        D3DXMatrixPerspectiveFovLH(&projection, fov, static_cast<float>(kWidth) / kHeight, 1.0f, 1000.0f);
        core.SetProjectionMatrix(projection);
        core.GetFrustum().Update(fov, static_cast<float>(kWidth) / kHeight, 1.0f, 1000.0f);
        core.GetWideFrustum().Update(fov * 1.5f, static_cast<float>(kWidth) / kHeight, 1.0f, 1000.0f);
    }

    ~CRaceScene() {
        m_gfx.reset();
        m_racers.clear();
        m_scenery.clear();
        m_waters.clear();
        m_terrain.reset();
        velm::gfx::LightsManager::Destroy();
        velm::gfx::AtmosphereManager::Destroy();
        platform::DXUTReset();
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    const std::string& Error() const { return m_error; }

    // One game frame: camera, unit updates, the two culling passes, the frame, present. Returns
    // the seconds until the device has the frame queued; glFinish's wait is the device's rest.
    double Frame() {
        const auto start = std::chrono::steady_clock::now();
        m_time += 1.0 / 60.0;
        velm::gfx::CGFXCore& core = GFXCore::Instance();
        // The camera rides the river, behind the racers.
        const float z = -200.0f + static_cast<float>(std::fmod(m_time * 20.0, 150.0));
        D3DXMATRIX view;
        const D3DXVECTOR3 eye(0.0f, 6.0f, z);
        const D3DXVECTOR3 at(0.0f, 1.0f, z + 30.0f);
        const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        core.SetViewMatrix(view);
        core.CameraEye() = eye;
        for (std::size_t i = 0; i < m_racers.size(); ++i) {
            m_racers[i]->SetPosition(static_cast<float>(i % 3) * 6.0f - 6.0f, 0.5f, z + 15.0f + (i / 3) * 8.0f, true);
            m_racers[i]->Update(m_time, 1.0f / 60.0f);
        }
        m_dynamic.clear();
        for (const auto& racer : m_racers) {
            m_dynamic.push_back(racer.get());
        }
        m_gfx->CullParticleUnits({});
        m_gfx->CullDynamicUnits(m_dynamic);
        m_gfx->RenderFrame(m_time, 1.0f / 60.0f);
        // TK_SCENE_SCREENSHOT=N saves frame N of each OpenGL scene ("VelmScrshot_<k>.png" in the
        // working directory), so that a change to the renderer can be looked at from the same view.
        if (m_gl && ++m_frames == m_screenshotFrame) {
            if (!velm::gfx::SaveScreenshot()) {
                std::fprintf(stderr, "scene bench: the screenshot was not saved\n");
            }
        }
        core.Present();
        const auto queued = std::chrono::steady_clock::now();
        if (m_gl) {
            glFinish();
        }
        return std::chrono::duration<double>(queued - start).count();
    }

    std::uint32_t DrawnFaces() const { return m_gfx->GetDrawnFaceCount(); }
    std::uint32_t DrawnObjects() const { return m_gfx->GetDrawnObjectCount(); }

private:
    void MakeScene() {
        m_terrain = std::make_unique<velm::gfx::CGfxTerrain>();
        m_terrain->CreateGeometry({"Terrain.fx", "", "RenderTerrain"}, "banks.bmp", kTerrainVertices, kTerrainVertices,
                                  kTerrainSpacing, 12.0f, nullptr);
        m_terrain->SetPosition(0.0f, -6.0f, 0.0f, true);
        m_terrain->LoadTexture("grass.bmp", 4);
        m_terrain->LoadTexture("rock.bmp", 5);
        m_terrain->LoadTexture("grass.bmp", 0);
        m_terrain->LoadTexture("banks.bmp", 1);
        m_terrain->SetTileFactor(32.0f);
        m_gfx->AddTerrainUnit(m_terrain.get());

        // The river: planar water over the first stretch, planar wave water over the next and a
        // spline water of 50 x 2 cells down the last.
        const float wave[velm::gfx::kWaveParameterCount] = {
            0.2f, 0.1f,  0.0f,   1.0f, 0.0f, 0.1f, 0.2f, 0.5f, 0.0f, 1.0f, 0.5f,  0.03f, 0.35f, 1.0f, 8.0f,
            8.0f, 0.02f, 0.015f, 0.1f, 4.0f, 0.1f, 0.4f, 0.4f, 1.0f, 0.0f, 0.15f, 0.2f,  1.0f,  0.0f, 0.0f};
        const float planar[velm::gfx::kPlanarParameterCount] = {0.5f, 0.03f, 0.1f, 4.0f};
        auto planarWater = std::make_unique<velm::gfx::CGfxPlanarWater>();
        planarWater->CreateGeometry({"Water2.fx", "", "RenderPlanarWater"}, nullptr, nullptr);
        planarWater->SetWaterParameters(planar);
        planarWater->SetScale(60.0f, 1.0f, 160.0f, false);
        planarWater->SetPosition(0.0f, 0.0f, -160.0f, true);
        m_waters.push_back(std::move(planarWater));
        const velm::gfx::SWaterGrid waveGrid{33, 33, 2.0f};
        auto waveWater = std::make_unique<velm::gfx::CGfxPlanarWaveWater>();
        waveWater->CreateGeometry({"Water2.fx", "", "RenderPlanarWaveWater"}, &waveGrid, nullptr);
        waveWater->SetWaterParameters(wave);
        waveWater->SetPosition(0.0f, 0.0f, -48.0f, true);
        m_waters.push_back(std::move(waveWater));
        std::vector<SMeshVertex> vertices;
        std::vector<std::uint16_t> indices;
        Grid(3, 51, 4.0f, Flat, &vertices, &indices);
        const velm::gfx::SWaterGrid splineGrid{3, 51, 4.0f};
        const velm::gfx::SWaterMesh mesh{vertices.data(), static_cast<std::uint32_t>(vertices.size()), indices.data(),
                                         static_cast<std::uint32_t>(indices.size())};
        auto splineWater = std::make_unique<velm::gfx::CGfxSplineWater>();
        splineWater->CreateGeometry({"Water2.fx", "", "RenderSplineWater"}, &splineGrid, &mesh);
        splineWater->SetWaterParameters(wave);
        splineWater->SetScale(10.0f, 1.0f, 1.0f, false);
        splineWater->SetPosition(0.0f, 0.0f, 100.0f, true);
        m_waters.push_back(std::move(splineWater));
        for (auto& water : m_waters) {
            water->SetWaterPlane(D3DXPLANE(0.0f, 1.0f, 0.0f, 0.0f));
            water->LoadTexture("ripples.bmp", 0);
            m_gfx->AddWaterUnit(water.get());
        }
        m_gfx->CreateSkyBox(1000.0f, {"sky.bmp", "sky.bmp", "sky.bmp", "sky.bmp", "sky.bmp", "sky.bmp"});

        for (int i = 0; i < kRacers; ++i) {
            auto racer = std::make_unique<CGfxUnit>();
            racer->Load({"TextureMapping.fx", "test_column.x", "TextureMapping"});
            if (racer->GetFaceCount() == 0) {
                m_error = "the test model did not load (TK_SOURCE_DIR names the source tree)";
                return;
            }
            racer->SetAnimation(0, true);
            racer->LoadTexture("rock.bmp", 4);
            m_racers.push_back(std::move(racer));
        }
        std::mt19937 random(5);
        std::uniform_real_distribution<float> along(-240.0f, 240.0f);
        std::uniform_real_distribution<float> side(14.0f, 40.0f);
        for (int i = 0; i < kScenery; ++i) {
            auto rock = Rock();
            rock->SetScale(2.0f, 2.0f, 2.0f, false);
            rock->SetPosition((i % 2 == 0 ? -1.0f : 1.0f) * side(random), 0.0f, along(random), true);
            m_gfx->AddOpaqueUnit(rock.get());
            m_scenery.push_back(std::move(rock));
        }
        m_gfx->SetSpatialPartition(-100, -200, -260, 100, 80, 260, 200, 280, 40, 0x64);
        m_gfx->BuildTerrainSceneGraph();
        m_gfx->BuildWaterSceneGraph();
        m_gfx->BuildLevelSceneGraphs();
    }

    bool m_gl;
    std::string m_dir;
    std::string m_error;
    std::unique_ptr<CVelmGfx> m_gfx;
    std::unique_ptr<velm::gfx::CGfxTerrain> m_terrain;
    std::vector<std::unique_ptr<velm::gfx::ACGfxWater>> m_waters;
    std::vector<std::unique_ptr<CGfxUnit>> m_racers;
    std::vector<std::unique_ptr<CGfxUnit>> m_scenery;
    std::vector<IGfxUnit*> m_dynamic;
    double m_time = 0.0;
    int m_frames = 0;
    int m_screenshotFrame =
        std::getenv("TK_SCENE_SCREENSHOT") != nullptr ? std::atoi(std::getenv("TK_SCENE_SCREENSHOT")) : 0;
};

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Milliseconds per frame of the scene on the null device: the same frames with a device that
// does nothing, so the engine's own work alone.
double EngineMilliseconds(std::uint32_t flags) {
    CRaceScene scene(false, flags);
    if (!scene.Error().empty()) {
        return -1.0;
    }
    constexpr int kFrames = 300;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kFrames; ++i) {
        scene.Frame();
    }
    return 1000.0 * std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kFrames;
}

// The frame on the OpenGL device with the render flags of the benchmark's argument: the game's
// default, then without the water (so without its two passes), the terrain or the sky, to see
// where the time goes. The engine's share is measured on the null device first; the device's is
// the rest of the frame.
void BM_RaceScene(benchmark::State& state) {
    const auto flags = static_cast<std::uint32_t>(state.range(0));
    const double engine = EngineMilliseconds(flags);
    CRaceScene scene(true, flags);
    if (!scene.Error().empty() || engine < 0.0) {
        state.SkipWithError(scene.Error().empty() ? "no null device" : scene.Error().c_str());
        return;
    }
    scene.Frame();
    double submit = 0.0;
    double total = 0.0;
    const double cpuStart = ProcessCpuSeconds();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        submit += scene.Frame();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const double frames = static_cast<double>(state.iterations());
    const double frame = 1000.0 * total / frames;
    // All threads' work, the software renderer's included: steadier than the wall clock on a
    // machine shared with other work.
    state.counters["cpu_ms_frame"] = 1000.0 * (ProcessCpuSeconds() - cpuStart) / frames;
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["ms_frame"] = frame;
    state.counters["ms_engine"] = engine;
    state.counters["ms_device"] = frame - engine;
    // The software renderer does most of its work inside the device calls; glFinish waits for
    // the rest.
    state.counters["ms_finish_wait"] = 1000.0 * (total - submit) / frames;
    state.counters["drawn_faces"] = scene.DrawnFaces();
    state.counters["drawn_units"] = scene.DrawnObjects();
}

constexpr std::int64_t kGameFlags = 0x2007F;
constexpr std::int64_t kNoWater = kGameFlags & ~0x20;
constexpr std::int64_t kNoTerrain = kGameFlags & ~0x10;
constexpr std::int64_t kNoSky = kGameFlags & ~0x40;

BENCHMARK(BM_RaceScene)
    ->Arg(kGameFlags)
    ->Arg(kNoWater)
    ->Arg(kNoTerrain)
    ->Arg(kNoSky)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3.0);

} // namespace
