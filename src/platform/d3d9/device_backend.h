// What a device back end does for the device stand-in: own the GPU objects behind resources,
// clear, draw with the device's recorded state, present and read pixels back. The device records
// every state itself; a back end only sees it at clear, draw and read time. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d9/d3d9_records.h"

struct SDL_Window;
class IDirect3DBaseTexture9;
class IDirect3DSurface9;
class IDirect3DVertexBuffer9;
class IDirect3DIndexBuffer9;
class IDirect3DVertexDeclaration9;

namespace platform {
namespace d3d9 {

using BackendHandle = std::uintptr_t;

enum class EUniformType { Float, Int, Bool, Matrix, Sampler2D, SamplerCube };

// One value a program reads; the effect that binds the program owns the data.
struct SUniformBinding {
    const std::string* name = nullptr;
    EUniformType type = EUniformType::Float;
    std::uint32_t components = 1; // floats per value (16 for a matrix)
    std::uint32_t count = 1;      // array length
    const float* floats = nullptr;
    const std::int32_t* ints = nullptr;
    IDirect3DBaseTexture9* texture = nullptr;
    // Changes whenever the value does, so that a program is sent only what changed; null: the
    // value is sent at every draw.
    const std::uint64_t* version = nullptr;
};

struct SProgramBinding {
    BackendHandle program = 0;
    const std::vector<SUniformBinding>* uniforms = nullptr;
};

// The device state a back end reads when it clears or draws.
struct SDeviceState {
    DWORD renderStates[kD3DRenderStateCount] = {};
    D3DVIEWPORT9 viewport = {};
    float clipPlanes[6][4] = {};
    IDirect3DSurface9* renderTarget = nullptr;
    IDirect3DSurface9* depthStencil = nullptr;
    IDirect3DVertexDeclaration9* vertexDeclaration = nullptr;
    IDirect3DVertexBuffer9* stream0 = nullptr;
    UINT stream0Offset = 0;
    UINT stream0Stride = 0;
    IDirect3DIndexBuffer9* indices = nullptr;
    SProgramBinding program;
};

enum class ETextureKind { Texture2D, Cube, DepthStencil };

class IDeviceBackend {
public:
    virtual ~IDeviceBackend() = default;

    // Makes the back buffer (and its depth surface when asked) of the presentation parameters.
    virtual bool Reset(const D3DPRESENT_PARAMETERS& parameters, std::string* error) = 0;
    virtual void GetCaps(D3DCAPS9* caps) const = 0;
    virtual bool IsNull() const = 0;

    virtual BackendHandle CreateTexture(ETextureKind kind, UINT width, UINT height, UINT levels, bool renderTarget) = 0;
    // Pixels are A8R8G8B8 in memory order (B, G, R, A), top row first.
    virtual void UploadTexture(BackendHandle texture, ETextureKind kind, UINT face, UINT width, UINT height,
                               const std::uint8_t* bgra, bool buildMips) = 0;
    virtual void DestroyTexture(BackendHandle texture) = 0;

    // A dynamic buffer streams: each renewal gives it fresh storage (draws already made keep the
    // old bytes), and writes between renewals never wait for the GPU, so the caller must not
    // rewrite bytes a draw already made still reads. Other buffers update in place, in order.
    virtual BackendHandle CreateBuffer(UINT bytes, bool index, bool dynamic) = 0;
    virtual void UpdateBuffer(BackendHandle buffer, UINT offset, UINT bytes, const void* data, bool renew) = 0;
    virtual void DestroyBuffer(BackendHandle buffer) = 0;

    // Returns 0 and fills the log when the program does not compile or link.
    virtual BackendHandle CreateProgram(const std::string& vertexSource, const std::string& fragmentSource,
                                        std::string* log) = 0;
    virtual void DestroyProgram(BackendHandle program) = 0;

    virtual void Clear(const SDeviceState& state, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) = 0;
    // lowest and highest bound the draw's index values (before the base vertex is added): a
    // software renderer that knows them shades that range of vertices once instead of looking
    // every index up in a small cache.
    virtual void DrawIndexed(const SDeviceState& state, D3DPRIMITIVETYPE type, INT baseVertex, UINT startIndex,
                             UINT indexCount, UINT lowest, UINT highest) = 0;
    virtual void Draw(const SDeviceState& state, D3DPRIMITIVETYPE type, UINT startVertex, UINT vertexCount) = 0;
    // The back buffer is surface null.
    virtual bool ReadPixels(IDirect3DSurface9* surface, UINT width, UINT height, std::vector<std::uint8_t>* bgra) = 0;
    virtual void Present() = 0;
};

std::unique_ptr<IDeviceBackend> CreateNullBackend();
// Null and the reason when no OpenGL 3.3 core context can be made in the window.
std::unique_ptr<IDeviceBackend> CreateGlBackend(SDL_Window* window, std::string* error);

} // namespace d3d9
} // namespace platform
