// Frames per second of the device stand-in drawing 10,000 and 100,000 triangles through one
// effect at 800 x 600, on the OpenGL back end (offscreen) and on the null back end, the way the
// renderer streams geometry: batches of at most 16384 vertices locked with discard.
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/d3d9/d3dx9.h"
#include "support/engine_vertex.h"
#include "support/gl_window.h"

namespace {

constexpr UINT kWidth = 800;
constexpr UINT kHeight = 600;
constexpr UINT kBatchVertices = 16383;

using SVertex = tktest::SEngineVertex;

const D3DVERTEXELEMENT9 kElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
    {0, 56, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
    D3DDECL_END(),
};

class CScene {
public:
    CScene(D3DDEVTYPE type, std::size_t triangles) {
        SDL_Window* window = nullptr;
        if (type == D3DDEVTYPE_HAL) {
            window = tkbench::MakeOffscreenGlWindow(kWidth, kHeight);
            if (window == nullptr) {
                m_error = "no video driver";
                return;
            }
            m_window = window;
        }
        if (const char* error =
                tkbench::MakeBenchDevice(type, window, kWidth, kHeight, &m_direct3d, &m_device, &m_effect)) {
            m_error = error;
            return;
        }
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        m_effect->SetMatrix("WorldViewProjection", &identity);
        m_device->CreateVertexBuffer(kBatchVertices * sizeof(SVertex), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0,
                                     D3DPOOL_DEFAULT, &m_vertices, nullptr);
        m_device->CreateIndexBuffer(kBatchVertices * 2, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                    D3DPOOL_DEFAULT, &m_indices, nullptr);
        m_device->CreateVertexDeclaration(kElements, &m_declaration);
        std::mt19937 random(7);
        std::uniform_real_distribution<float> place(-1.0f, 1.0f);
        std::uniform_real_distribution<float> depth(0.1f, 0.9f);
        m_geometry.resize(triangles * 3);
        for (std::size_t t = 0; t < triangles; ++t) {
            const float x = place(random);
            const float y = place(random);
            const float z = depth(random);
            const D3DCOLOR colour = 0xFF000000u | static_cast<D3DCOLOR>(random() & 0xFFFFFF);
            const float corners[3][2] = {{0.0f, 0.02f}, {0.02f, -0.02f}, {-0.02f, -0.02f}};
            for (int c = 0; c < 3; ++c) {
                SVertex& vertex = m_geometry[t * 3 + static_cast<std::size_t>(c)];
                vertex = SVertex{};
                vertex.position[0] = x + corners[c][0];
                vertex.position[1] = y + corners[c][1];
                vertex.position[2] = z;
                vertex.colour = colour;
            }
        }
        m_order.resize(kBatchVertices);
        for (UINT i = 0; i < kBatchVertices; ++i) {
            m_order[i] = static_cast<WORD>(i);
        }
    }

    ~CScene() {
        for (platform::d3d9::CRefCounted* object : std::initializer_list<platform::d3d9::CRefCounted*>{
                 m_effect, m_vertices, m_indices, m_declaration, m_device, m_direct3d}) {
            if (object != nullptr) {
                object->Release();
            }
        }
        if (m_window != nullptr) {
            SDL_DestroyWindow(m_window);
        }
    }

    const std::string& Error() const { return m_error; }

    void Frame() {
        m_device->SetVertexDeclaration(m_declaration);
        m_device->SetStreamSource(0, m_vertices, 0, sizeof(SVertex));
        m_device->SetIndices(m_indices);
        m_device->BeginScene();
        m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF202020, 1.0f, 0);
        UINT passes = 0;
        m_effect->Begin(&passes, 0);
        m_effect->BeginPass(0);
        for (std::size_t first = 0; first < m_geometry.size(); first += kBatchVertices - kBatchVertices % 3) {
            const auto count = static_cast<UINT>(
                std::min<std::size_t>(kBatchVertices - kBatchVertices % 3, m_geometry.size() - first));
            void* data = nullptr;
            m_vertices->Lock(0, 0, &data, D3DLOCK_DISCARD);
            std::memcpy(data, &m_geometry[first], count * sizeof(SVertex));
            m_vertices->Unlock();
            m_indices->Lock(0, 0, &data, D3DLOCK_DISCARD);
            std::memcpy(data, m_order.data(), count * sizeof(WORD));
            m_indices->Unlock();
            m_effect->CommitChanges();
            m_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, count, 0, count / 3);
        }
        m_effect->EndPass();
        m_effect->End();
        m_device->EndScene();
        m_device->Present(nullptr, nullptr, nullptr, nullptr);
        if (!m_device->IsNull()) {
            glFinish();
        }
    }

private:
    SDL_Window* m_window = nullptr;
    IDirect3D9* m_direct3d = nullptr;
    IDirect3DDevice9* m_device = nullptr;
    ID3DXEffect* m_effect = nullptr;
    IDirect3DVertexBuffer9* m_vertices = nullptr;
    IDirect3DIndexBuffer9* m_indices = nullptr;
    IDirect3DVertexDeclaration9* m_declaration = nullptr;
    std::vector<SVertex> m_geometry;
    std::vector<WORD> m_order;
    std::string m_error;
};

void DrawFrames(benchmark::State& state, D3DDEVTYPE type) {
    CScene scene(type, static_cast<std::size_t>(state.range(0)));
    if (!scene.Error().empty()) {
        state.SkipWithError(scene.Error().c_str());
        return;
    }
    for (auto _ : state) {
        scene.Frame();
    }
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["triangles_per_second"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(state.range(0)), benchmark::Counter::kIsRate);
}

void BM_OpenGlFrames(benchmark::State& state) { DrawFrames(state, D3DDEVTYPE_HAL); }
void BM_NullFrames(benchmark::State& state) { DrawFrames(state, D3DDEVTYPE_NULLREF); }

BENCHMARK(BM_OpenGlFrames)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_NullFrames)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
