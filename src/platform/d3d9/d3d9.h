// The Direct3D 9 device stand-in: the Direct3D object and the device with its states, resources
// and draws, over one of two back ends (OpenGL 3.3 core in the SDL window, or a null back end
// that records state and counts draws without a GPU). Objects are reference counted as the
// callers expect (AddRef/Release). The device and everything made from it belong to the main
// thread. The HWND given to CreateDevice is the SDL_Window* of the game's window.
#pragma once

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/d3d9/d3d9_resources.h"

namespace platform {
namespace d3d9 {
class CTexturePrefetcher;
} // namespace d3d9
} // namespace platform

constexpr UINT D3D_SDK_VERSION = 32;

class IDirect3DDevice9;

class IDirect3D9 : public platform::d3d9::CRefCounted {
public:
    UINT GetAdapterCount() const { return 1; }
    // HAL is the OpenGL device, NULLREF the recording device; both report caps the graphics
    // core accepts.
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) const;
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) const;
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviourFlags,
                         D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device);
};

IDirect3D9* Direct3DCreate9(UINT sdkVersion);

namespace platform {
namespace d3d9 {

// Counters kept by every device; the null back end's whole output.
struct SDeviceStats {
    std::uint64_t draws = 0;
    std::uint64_t primitives = 0;
    std::uint64_t vertices = 0; // sent to the vertex stage: an indexed draw's index range
    std::uint64_t clears = 0;
    std::uint64_t scenes = 0;
    std::uint64_t presents = 0;
    std::uint64_t resets = 0;
};

// The caps both back ends report.
D3DCAPS9 StandInCaps(D3DDEVTYPE type);

} // namespace d3d9
} // namespace platform

class IDirect3DDevice9 : public platform::d3d9::CRefCounted {
public:
    IDirect3DDevice9(IDirect3D9* direct3d, D3DDEVTYPE type, std::unique_ptr<platform::d3d9::IDeviceBackend> backend,
                     const D3DPRESENT_PARAMETERS& parameters);

    HRESULT GetDirect3D(IDirect3D9** direct3d);
    HRESULT GetDeviceCaps(D3DCAPS9* caps) const;
    HRESULT TestCooperativeLevel() const;
    // Refused while resources of the default pool (other than the device's own) are alive.
    HRESULT Reset(D3DPRESENT_PARAMETERS* parameters);
    HRESULT Present(const RECT* source, const RECT* destination, HWND window, const void* dirtyRegion);
    HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface);

    HRESULT BeginScene();
    HRESULT EndScene();
    HRESULT Clear(DWORD rectCount, const void* rects, DWORD flags, D3DCOLOR colour, float z, DWORD stencil);

    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) const;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix);
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) const;
    HRESULT SetViewport(const D3DVIEWPORT9* viewport);
    HRESULT GetViewport(D3DVIEWPORT9* viewport) const;
    // Planes are in clip space, as for programmable shaders: a point p is kept where dot(plane, p) >= 0.
    HRESULT SetClipPlane(DWORD index, const float* plane);
    HRESULT GetClipPlane(DWORD index, float* plane) const;

    HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface);
    HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** surface);
    HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface);
    HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface);
    HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                      DWORD quality, BOOL discard, IDirect3DSurface9** surface, HANDLE* shared);
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture9** texture, HANDLE* shared);
    HRESULT CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DCubeTexture9** texture, HANDLE* shared);
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** buffer,
                               HANDLE* shared);
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DIndexBuffer9** buffer,
                              HANDLE* shared);
    HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements, IDirect3DVertexDeclaration9** declaration);
    HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration);
    HRESULT GetVertexDeclaration(IDirect3DVertexDeclaration9** declaration);
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride);
    HRESULT SetIndices(IDirect3DIndexBuffer9* buffer);
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex, UINT vertexCount,
                                 UINT startIndex, UINT primitiveCount);
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount);

    // What the stand-in adds for its effects, tools and tests.
    platform::d3d9::IDeviceBackend& Backend() { return *m_backend; }
    bool IsNull() const { return m_backend->IsNull(); }
    const D3DPRESENT_PARAMETERS& GetPresentParameters() const { return m_parameters; }
    const platform::d3d9::SDeviceState& State() const { return m_state; }
    const platform::d3d9::SDeviceStats& Stats() const { return m_stats; }
    // Marks the device lost, as a display change would; Reset brings it back.
    void MarkLost() { m_lost = true; }
    // The effect in a pass binds its program here; null unbinds.
    void BindProgram(const platform::d3d9::SProgramBinding& binding) { m_state.program = binding; }
    // Pixels of a render-target surface or the back buffer, B, G, R, A bytes, top row first.
    bool ReadSurface(IDirect3DSurface9* surface, std::vector<std::uint8_t>* bgra, UINT* width, UINT* height);
    // When on, every state call, clear, scene, draw and present appends one line
    // ("SetRenderState 7 1"), and effects of the device append their writes and passes.
    void SetTracing(bool on) { m_tracing = on; }
    bool IsTracing() const { return m_tracing; }
    void AppendTrace(const std::string& line) { Note(line); }
    const std::vector<std::string>& Trace() const { return m_trace; }
    void ClearTrace() { m_trace.clear(); }

    void Register(IDirect3DResource9* resource);
    void Unregister(IDirect3DResource9* resource);
    // The images being decoded ahead of the texture loads that will ask for them.
    platform::d3d9::CTexturePrefetcher& Prefetcher();

private:
    ~IDirect3DDevice9() override;
    void SetDefaultStates();
    void MakeBackBuffer();
    void ReleaseBackBuffer();
    void Note(const std::string& line);
    static UINT PrimitiveVertices(D3DPRIMITIVETYPE type, UINT primitiveCount);
    // Textures and surfaces larger than the caps report are refused, as the GPU would refuse them.
    bool FitsTextureCaps(UINT width, UINT height) const;

    IDirect3D9* m_direct3d;
    D3DDEVTYPE m_type;
    std::unique_ptr<platform::d3d9::IDeviceBackend> m_backend;
    std::unique_ptr<platform::d3d9::CTexturePrefetcher> m_prefetcher;
    D3DPRESENT_PARAMETERS m_parameters;
    platform::d3d9::SDeviceState m_state;
    D3DMATRIX m_world = {};
    D3DMATRIX m_view = {};
    D3DMATRIX m_projection = {};
    IDirect3DSurface9* m_backBuffer = nullptr;
    IDirect3DSurface9* m_autoDepth = nullptr;
    std::unordered_set<IDirect3DResource9*> m_resources;
    platform::d3d9::SDeviceStats m_stats;
    bool m_lost = false;
    bool m_inScene = false;
    bool m_tracing = false;
    std::vector<std::string> m_trace;
};
