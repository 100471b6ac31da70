// Time per frame of the device stand-in against raw OpenGL doing the same work in the same kind
// of SDL offscreen context (800 x 600, OpenGL 3.3 core): units of 100 triangles (66 engine
// vertices, 300 indices), each drawn with its own matrix. "Static" draws 1,000 units from buffers
// filled once; "Upload" draws 100 or 1,000 units that each stream their geometry first, the way
// the renderer does (both buffers locked with discard). Raw OpenGL streams through a ring written
// without synchronisation, orphaned when it wraps. Each frame clears, draws and waits for the GPU.
// The same frames on the null device give the stand-in's own cost per draw.
//
// llvmpipe allocates and frees blocks of a few hundred kilobytes per draw; whether glibc maps
// them afresh (page faults on every frame) depends on its moving mmap and trim thresholds, that
// is on which large blocks the run happened to free before. Both are fixed here so that the two
// sides, and runs of different builds, are measured alike.
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>
#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/d3d9/d3dx9.h"
#include "support/engine_vertex.h"
#include "support/gl_window.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr UINT kUnitVertices = 66; // a 10 x 5 grid of quads
constexpr UINT kUnitIndices = 300;
constexpr UINT kUnits = 1000;
constexpr UINT kMaxVertices = 16384;
constexpr UINT kMaxIndices = 98304;

using SVertex = tktest::SEngineVertex;

// Every unit's vertices, one unit after the other, and the index list they share.
struct SGeometry {
    std::vector<SVertex> vertices;
    std::vector<WORD> indices;
    std::vector<D3DXMATRIX> matrices;

    SGeometry() {
        std::mt19937 random(11);
        std::uniform_real_distribution<float> place(-0.9f, 0.9f);
        std::uniform_real_distribution<float> depth(0.1f, 0.9f);
        vertices.resize(static_cast<std::size_t>(kUnits) * kUnitVertices);
        for (UINT unit = 0; unit < kUnits; ++unit) {
            const D3DCOLOR colour = 0xFF000000u | static_cast<D3DCOLOR>(random() & 0xFFFFFF);
            for (UINT row = 0; row < 6; ++row) {
                for (UINT column = 0; column < 11; ++column) {
                    SVertex& vertex = vertices[unit * kUnitVertices + row * 11 + column];
                    vertex = SVertex{};
                    vertex.position[0] = static_cast<float>(column) * 0.004f;
                    vertex.position[1] = static_cast<float>(row) * 0.004f;
                    vertex.normal[2] = -1.0f;
                    vertex.colour = colour;
                }
            }
            D3DXMATRIX matrix;
            D3DXMatrixTranslation(&matrix, place(random), place(random), depth(random));
            matrices.push_back(matrix);
        }
        for (WORD row = 0; row < 5; ++row) {
            for (WORD column = 0; column < 10; ++column) {
                const WORD a = static_cast<WORD>(row * 11 + column);
                const WORD b = static_cast<WORD>(a + 11);
                for (WORD index :
                     {a, static_cast<WORD>(a + 1), b, b, static_cast<WORD>(a + 1), static_cast<WORD>(b + 1)}) {
                    indices.push_back(index);
                }
            }
        }
    }
};

const bool s_fixedThresholds = mallopt(M_MMAP_THRESHOLD, 32 << 20) == 1 && mallopt(M_TRIM_THRESHOLD, 256 << 20) == 1;

const SGeometry& Geometry() {
    static const SGeometry s_geometry;
    return s_geometry;
}

SDL_Window* MakeWindow() { return tkbench::MakeOffscreenGlWindow(kWidth, kHeight); }

class CStandInScene {
public:
    explicit CStandInScene(D3DDEVTYPE type = D3DDEVTYPE_HAL) {
        if (type == D3DDEVTYPE_HAL) {
            m_window = MakeWindow();
            if (m_window == nullptr) {
                m_error = "no video driver";
                return;
            }
        }
        if (const char* error =
                tkbench::MakeBenchDevice(type, m_window, kWidth, kHeight, &m_direct3d, &m_device, &m_effect)) {
            m_error = error;
            return;
        }
        m_matrix = m_effect->GetParameterBySemantic(nullptr, "WorldViewProjection");
        m_device->CreateVertexDeclaration(tktest::kEngineVertex, &m_declaration);
        const SGeometry& geometry = Geometry();
        m_device->CreateVertexBuffer(kMaxVertices * sizeof(SVertex), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0,
                                     D3DPOOL_DEFAULT, &m_dynamicVertices, nullptr);
        m_device->CreateIndexBuffer(kMaxIndices * 2, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                    D3DPOOL_DEFAULT, &m_dynamicIndices, nullptr);
        const auto vertexBytes = static_cast<UINT>(geometry.vertices.size() * sizeof(SVertex));
        m_device->CreateVertexBuffer(vertexBytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &m_staticVertices, nullptr);
        m_device->CreateIndexBuffer(kUnitIndices * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                    &m_staticIndices, nullptr);
        void* data = nullptr;
        m_staticVertices->Lock(0, 0, &data, 0);
        std::memcpy(data, geometry.vertices.data(), vertexBytes);
        m_staticVertices->Unlock();
        m_staticIndices->Lock(0, 0, &data, 0);
        std::memcpy(data, geometry.indices.data(), kUnitIndices * 2);
        m_staticIndices->Unlock();
    }

    ~CStandInScene() {
        for (platform::d3d9::CRefCounted* object : std::initializer_list<platform::d3d9::CRefCounted*>{
                 m_effect, m_dynamicVertices, m_dynamicIndices, m_staticVertices, m_staticIndices, m_declaration,
                 m_device, m_direct3d}) {
            if (object != nullptr) {
                object->Release();
            }
        }
        if (m_window != nullptr) {
            SDL_DestroyWindow(m_window);
        }
    }

    const std::string& Error() const { return m_error; }

    void Frame(UINT units, bool upload) {
        const SGeometry& geometry = Geometry();
        m_device->SetVertexDeclaration(m_declaration);
        if (upload) {
            m_device->SetStreamSource(0, m_dynamicVertices, 0, sizeof(SVertex));
            m_device->SetIndices(m_dynamicIndices);
        } else {
            m_device->SetStreamSource(0, m_staticVertices, 0, sizeof(SVertex));
            m_device->SetIndices(m_staticIndices);
        }
        m_device->BeginScene();
        m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF202020, 1.0f, 0);
        UINT passes = 0;
        m_effect->Begin(&passes, 0);
        m_effect->BeginPass(0);
        for (UINT unit = 0; unit < units; ++unit) {
            INT base = static_cast<INT>(unit * kUnitVertices);
            if (upload) {
                void* data = nullptr;
                m_dynamicVertices->Lock(0, 0, &data, D3DLOCK_DISCARD);
                std::memcpy(data, &geometry.vertices[unit * kUnitVertices], kUnitVertices * sizeof(SVertex));
                m_dynamicVertices->Unlock();
                m_dynamicIndices->Lock(0, 0, &data, D3DLOCK_DISCARD);
                std::memcpy(data, geometry.indices.data(), kUnitIndices * 2);
                m_dynamicIndices->Unlock();
                base = 0;
            }
            m_effect->SetMatrix(m_matrix, &geometry.matrices[unit]);
            m_effect->CommitChanges();
            m_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, base, 0, kUnitVertices, 0, kUnitIndices / 3);
        }
        m_effect->EndPass();
        m_effect->End();
        m_device->EndScene();
        if (!m_device->IsNull()) {
            glFinish();
        }
    }

private:
    SDL_Window* m_window = nullptr;
    IDirect3D9* m_direct3d = nullptr;
    IDirect3DDevice9* m_device = nullptr;
    ID3DXEffect* m_effect = nullptr;
    D3DXHANDLE m_matrix = nullptr;
    IDirect3DVertexBuffer9* m_dynamicVertices = nullptr;
    IDirect3DIndexBuffer9* m_dynamicIndices = nullptr;
    IDirect3DVertexBuffer9* m_staticVertices = nullptr;
    IDirect3DIndexBuffer9* m_staticIndices = nullptr;
    IDirect3DVertexDeclaration9* m_declaration = nullptr;
    std::string m_error;
};

const char* const kRawVertex = R"(#version 330 core
uniform mat4 WorldViewProjection;
in vec3 a_position;
in vec4 a_colour;
out vec4 v_colour;
void main() {
    v_colour = a_colour;
    vec4 p = WorldViewProjection * vec4(a_position, 1.0);
    gl_Position = vec4(p.x, -p.y, 2.0 * p.z - p.w, p.w);
}
)";

const char* const kRawFragment = R"(#version 330 core
in vec4 v_colour;
out vec4 colour;
void main() { colour = v_colour; }
)";

// The same frames written directly against OpenGL, into a colour and depth texture of the size.
class CRawGlScene {
public:
    static constexpr GLsizeiptr kVertexRing = 8 << 20;
    static constexpr GLsizeiptr kIndexRing = 2 << 20;

    CRawGlScene() {
        m_window = MakeWindow();
        if (m_window == nullptr) {
            m_error = "no video driver";
            return;
        }
        m_context = SDL_GL_CreateContext(m_window);
        if (m_context == nullptr || epoxy_gl_version() < 33) {
            m_error = "no OpenGL 3.3 core context";
            return;
        }
        SDL_GL_SetSwapInterval(0);
        m_program = Program();
        m_matrix = glGetUniformLocation(m_program, "WorldViewProjection");
        glGenTextures(2, m_targets);
        glBindTexture(GL_TEXTURE_2D, m_targets[0]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kWidth, kHeight, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        glBindTexture(GL_TEXTURE_2D, m_targets[1]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH24_STENCIL8, kWidth, kHeight, 0, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8,
                     nullptr);
        glGenFramebuffers(1, &m_framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_targets[0], 0);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_TEXTURE_2D, m_targets[1], 0);
        glViewport(0, 0, kWidth, kHeight);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);

        const SGeometry& geometry = Geometry();
        glGenVertexArrays(2, m_arrays);
        glGenBuffers(4, m_buffers);
        // Array 0: the static buffers; array 1: the two rings.
        glBindVertexArray(m_arrays[0]);
        glBindBuffer(GL_ARRAY_BUFFER, m_buffers[0]);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(geometry.vertices.size() * sizeof(SVertex)),
                     geometry.vertices.data(), GL_STATIC_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_buffers[1]);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, kUnitIndices * 2, geometry.indices.data(), GL_STATIC_DRAW);
        Attributes();
        glBindVertexArray(m_arrays[1]);
        glBindBuffer(GL_ARRAY_BUFFER, m_buffers[2]);
        glBufferData(GL_ARRAY_BUFFER, kVertexRing, nullptr, GL_STREAM_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_buffers[3]);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, kIndexRing, nullptr, GL_STREAM_DRAW);
        Attributes();
    }

    ~CRawGlScene() {
        if (m_context != nullptr) {
            glDeleteBuffers(4, m_buffers);
            glDeleteVertexArrays(2, m_arrays);
            glDeleteFramebuffers(1, &m_framebuffer);
            glDeleteTextures(2, m_targets);
            glDeleteProgram(m_program);
            SDL_GL_DeleteContext(m_context);
        }
        if (m_window != nullptr) {
            SDL_DestroyWindow(m_window);
        }
    }

    const std::string& Error() const { return m_error; }

    void Frame(UINT units, bool upload) {
        const SGeometry& geometry = Geometry();
        SDL_GL_MakeCurrent(m_window, m_context);
        glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
        glClearColor(0.125f, 0.125f, 0.125f, 1.0f);
        glClearDepth(1.0);
        glDepthMask(GL_TRUE);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glUseProgram(m_program);
        glBindVertexArray(m_arrays[upload ? 1 : 0]);
        for (UINT unit = 0; unit < units; ++unit) {
            GLint base = static_cast<GLint>(unit * kUnitVertices);
            std::size_t indexOffset = 0;
            if (upload) {
                const GLsizeiptr vertexBytes = kUnitVertices * sizeof(SVertex);
                const GLsizeiptr indexBytes = kUnitIndices * 2;
                m_vertexAt = Write(GL_ARRAY_BUFFER, m_vertexAt, vertexBytes, kVertexRing, sizeof(SVertex),
                                   &geometry.vertices[unit * kUnitVertices]);
                m_indexAt =
                    Write(GL_ELEMENT_ARRAY_BUFFER, m_indexAt, indexBytes, kIndexRing, 4, geometry.indices.data());
                base = static_cast<GLint>(m_vertexAt / static_cast<GLsizeiptr>(sizeof(SVertex)));
                indexOffset = static_cast<std::size_t>(m_indexAt);
                m_vertexAt += vertexBytes;
                m_indexAt += indexBytes;
            }
            glUniformMatrix4fv(m_matrix, 1, GL_FALSE, &geometry.matrices[unit].m[0][0]);
            glDrawElementsBaseVertex(GL_TRIANGLES, kUnitIndices, GL_UNSIGNED_SHORT,
                                     reinterpret_cast<const void*>(indexOffset), base);
        }
        glFinish();
    }

private:
    static GLuint Program() {
        const GLuint vertex = glCreateShader(GL_VERTEX_SHADER);
        const GLuint fragment = glCreateShader(GL_FRAGMENT_SHADER);
        glShaderSource(vertex, 1, &kRawVertex, nullptr);
        glShaderSource(fragment, 1, &kRawFragment, nullptr);
        glCompileShader(vertex);
        glCompileShader(fragment);
        const GLuint program = glCreateProgram();
        glAttachShader(program, vertex);
        glAttachShader(program, fragment);
        glBindAttribLocation(program, 0, "a_position");
        glBindAttribLocation(program, 1, "a_colour");
        glLinkProgram(program);
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        return program;
    }

    static void Attributes() {
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(SVertex), nullptr);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(SVertex),
                              reinterpret_cast<const void*>(56));
    }

    // Writes at the ring position rounded up to the alignment; a ring that cannot take the bytes
    // is orphaned and written from its start.
    static GLsizeiptr Write(GLenum target, GLsizeiptr at, GLsizeiptr bytes, GLsizeiptr ring, GLsizeiptr alignment,
                            const void* data) {
        at = (at + alignment - 1) / alignment * alignment;
        if (at + bytes > ring) {
            glBufferData(target, ring, nullptr, GL_STREAM_DRAW);
            at = 0;
        }
        void* mapped = glMapBufferRange(target, at, bytes,
                                        GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT | GL_MAP_INVALIDATE_RANGE_BIT);
        std::memcpy(mapped, data, static_cast<std::size_t>(bytes));
        glUnmapBuffer(target);
        return at;
    }

    SDL_Window* m_window = nullptr;
    SDL_GLContext m_context = nullptr;
    GLuint m_program = 0;
    GLint m_matrix = -1;
    GLuint m_targets[2] = {};
    GLuint m_framebuffer = 0;
    GLuint m_arrays[2] = {};
    GLuint m_buffers[4] = {};
    GLsizeiptr m_vertexAt = 0;
    GLsizeiptr m_indexAt = 0;
    std::string m_error;
};

template <typename TScene, typename... TArguments>
void Frames(benchmark::State& state, bool upload, TArguments... arguments) {
    TScene scene(arguments...);
    if (!scene.Error().empty()) {
        state.SkipWithError(scene.Error().c_str());
        return;
    }
    const auto units = static_cast<UINT>(state.range(0));
    for (auto _ : state) {
        scene.Frame(units, upload);
    }
    state.counters["draws_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * units, benchmark::Counter::kIsRate);
}

void BM_StaticStandIn(benchmark::State& state) { Frames<CStandInScene>(state, false); }
void BM_StaticRawGl(benchmark::State& state) { Frames<CRawGlScene>(state, false); }
void BM_UploadStandIn(benchmark::State& state) { Frames<CStandInScene>(state, true); }
void BM_UploadRawGl(benchmark::State& state) { Frames<CRawGlScene>(state, true); }
// The device's own work per draw, without a GPU.
void BM_StaticNull(benchmark::State& state) { Frames<CStandInScene>(state, false, D3DDEVTYPE_NULLREF); }
void BM_UploadNull(benchmark::State& state) { Frames<CStandInScene>(state, true, D3DDEVTYPE_NULLREF); }

BENCHMARK(BM_StaticStandIn)->Arg(kUnits)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StaticRawGl)->Arg(kUnits)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UploadStandIn)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UploadRawGl)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StaticNull)->Arg(kUnits)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_UploadNull)->Arg(1000)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
