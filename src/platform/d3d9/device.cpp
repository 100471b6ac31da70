#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/texture_prefetch.h"

using platform::d3d9::CreateGlBackend;
using platform::d3d9::CreateNullBackend;

namespace platform {
namespace d3d9 {

D3DCAPS9 StandInCaps(D3DDEVTYPE type) {
    D3DCAPS9 caps;
    caps.DeviceType = type;
    caps.AdapterOrdinal = D3DADAPTER_DEFAULT;
    caps.PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE;
    caps.DevCaps = D3DDEVCAPS_HWRASTERIZATION | D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_DRAWPRIMTLVERTEX;
    caps.PrimitiveMiscCaps = D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW;
    caps.RasterCaps = D3DPRASTERCAPS_FOGVERTEX;
    caps.ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB;
    caps.TextureCaps = D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_CUBEMAP;
    caps.MaxTextureWidth = 4096;
    caps.MaxTextureHeight = 4096;
    caps.TextureOpCaps = D3DTEXOPCAPS_SELECTARG1 | D3DTEXOPCAPS_SELECTARG2 | D3DTEXOPCAPS_MODULATE | D3DTEXOPCAPS_ADD |
                         D3DTEXOPCAPS_BLENDDIFFUSEALPHA;
    caps.MaxActiveLights = 8;
    caps.MaxUserClipPlanes = 6;
    caps.MaxPrimitiveCount = 0xFFFFF;
    caps.MaxVertexIndex = 0xFFFFFF;
    caps.VertexShaderVersion = D3DVS_VERSION(3, 0);
    caps.PixelShaderVersion = D3DPS_VERSION(3, 0);
    return caps;
}

} // namespace d3d9
} // namespace platform

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION) {
        return nullptr;
    }
    return new IDirect3D9();
}

HRESULT IDirect3D9::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) const {
    if (caps == nullptr || adapter != D3DADAPTER_DEFAULT || (type != D3DDEVTYPE_HAL && type != D3DDEVTYPE_NULLREF)) {
        return D3DERR_INVALIDCALL;
    }
    *caps = platform::d3d9::StandInCaps(type);
    return D3D_OK;
}

HRESULT IDirect3D9::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                      D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) const {
    if (adapter != D3DADAPTER_DEFAULT || (type != D3DDEVTYPE_HAL && type != D3DDEVTYPE_NULLREF)) {
        return D3DERR_INVALIDCALL;
    }
    if (adapterFormat != D3DFMT_X8R8G8B8 && adapterFormat != D3DFMT_A8R8G8B8) {
        return D3DERR_NOTAVAILABLE;
    }
    const bool colour = checkFormat == D3DFMT_A8R8G8B8 || checkFormat == D3DFMT_X8R8G8B8;
    const bool depth = checkFormat == D3DFMT_D24S8 || checkFormat == D3DFMT_D16;
    if ((usage & D3DUSAGE_DEPTHSTENCIL) != 0) {
        return depth && resourceType == D3DRTYPE_SURFACE ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    const bool resourceKnown =
        resourceType == D3DRTYPE_TEXTURE || resourceType == D3DRTYPE_CUBETEXTURE || resourceType == D3DRTYPE_SURFACE;
    return colour && resourceKnown ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT IDirect3D9::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD,
                                 D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) {
    if (device == nullptr || parameters == nullptr || adapter != D3DADAPTER_DEFAULT) {
        return D3DERR_INVALIDCALL;
    }
    *device = nullptr;
    D3DPRESENT_PARAMETERS chosen = *parameters;
    auto* window = reinterpret_cast<SDL_Window*>(chosen.hDeviceWindow != nullptr ? chosen.hDeviceWindow : focusWindow);
    if (chosen.BackBufferWidth == 0 || chosen.BackBufferHeight == 0) {
        int width = 800;
        int height = 600;
        if (window != nullptr) {
            SDL_GetWindowSize(window, &width, &height);
        }
        chosen.BackBufferWidth = chosen.BackBufferWidth == 0 ? static_cast<UINT>(width) : chosen.BackBufferWidth;
        chosen.BackBufferHeight = chosen.BackBufferHeight == 0 ? static_cast<UINT>(height) : chosen.BackBufferHeight;
    }
    if (chosen.BackBufferFormat == D3DFMT_UNKNOWN) {
        chosen.BackBufferFormat = D3DFMT_X8R8G8B8;
    }
    std::unique_ptr<platform::d3d9::IDeviceBackend> backend;
    std::string error;
    if (type == D3DDEVTYPE_NULLREF) {
        backend = CreateNullBackend();
    } else if (type == D3DDEVTYPE_HAL) {
        if (window == nullptr) {
            return D3DERR_NOTAVAILABLE;
        }
        backend = CreateGlBackend(window, &error);
    } else {
        return D3DERR_INVALIDCALL;
    }
    if (backend == nullptr || !backend->Reset(chosen, &error)) {
        std::fprintf(stderr, "Direct3D device: no %s device: %s\n", type == D3DDEVTYPE_HAL ? "OpenGL" : "null",
                     error.c_str());
        return D3DERR_NOTAVAILABLE;
    }
    *parameters = chosen;
    *device = new IDirect3DDevice9(this, type, std::move(backend), chosen);
    return D3D_OK;
}

IDirect3DDevice9::IDirect3DDevice9(IDirect3D9* direct3d, D3DDEVTYPE type,
                                   std::unique_ptr<platform::d3d9::IDeviceBackend> backend,
                                   const D3DPRESENT_PARAMETERS& parameters)
    : m_direct3d(direct3d), m_type(type), m_backend(std::move(backend)), m_parameters(parameters) {
    m_direct3d->AddRef();
    MakeBackBuffer();
    SetDefaultStates();
}

platform::d3d9::CTexturePrefetcher& IDirect3DDevice9::Prefetcher() {
    if (m_prefetcher == nullptr) {
        m_prefetcher = std::make_unique<platform::d3d9::CTexturePrefetcher>();
    }
    return *m_prefetcher;
}

IDirect3DDevice9::~IDirect3DDevice9() {
    ReleaseBackBuffer();
    const std::vector<IDirect3DResource9*> left(m_resources.begin(), m_resources.end());
    for (IDirect3DResource9* resource : left) {
        resource->DetachDevice();
    }
    m_resources.clear();
    m_direct3d->Release();
}

void IDirect3DDevice9::Register(IDirect3DResource9* resource) { m_resources.insert(resource); }

void IDirect3DDevice9::Unregister(IDirect3DResource9* resource) {
    m_resources.erase(resource);
    // Streams, indices and declarations are bound without a reference; forget the ones that go.
    if (m_state.stream0 == resource) {
        m_state.stream0 = nullptr;
    }
    if (m_state.indices == resource) {
        m_state.indices = nullptr;
    }
    if (m_state.vertexDeclaration == resource) {
        m_state.vertexDeclaration = nullptr;
    }
}

void IDirect3DDevice9::MakeBackBuffer() {
    D3DSURFACE_DESC desc;
    desc.Format = m_parameters.BackBufferFormat;
    desc.Usage = D3DUSAGE_RENDERTARGET;
    desc.Width = m_parameters.BackBufferWidth;
    desc.Height = m_parameters.BackBufferHeight;
    m_backBuffer = IDirect3DSurface9::ForBackBuffer(this, desc);
    if (m_parameters.EnableAutoDepthStencil) {
        desc.Format = m_parameters.AutoDepthStencilFormat;
        desc.Usage = D3DUSAGE_DEPTHSTENCIL;
        auto* depth = new CDepthTexture(this, desc.Width, desc.Height, desc.Format);
        m_autoDepth = IDirect3DSurface9::ForDepth(depth, desc);
    }
    m_backBuffer->AddRef();
    m_state.renderTarget = m_backBuffer;
    if (m_autoDepth != nullptr) {
        m_autoDepth->AddRef();
    }
    m_state.depthStencil = m_autoDepth;
    m_state.viewport = {0, 0, m_parameters.BackBufferWidth, m_parameters.BackBufferHeight, 0.0f, 1.0f};
}

void IDirect3DDevice9::ReleaseBackBuffer() {
    for (IDirect3DSurface9** surface : {&m_state.renderTarget, &m_state.depthStencil, &m_backBuffer, &m_autoDepth}) {
        if (*surface != nullptr) {
            (*surface)->Release();
            *surface = nullptr;
        }
    }
}

void IDirect3DDevice9::SetDefaultStates() {
    std::memset(m_state.renderStates, 0, sizeof(m_state.renderStates));
    DWORD* rs = m_state.renderStates;
    rs[D3DRS_ZENABLE] = m_autoDepth != nullptr ? TRUE : FALSE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    rs[D3DRS_COLORWRITEENABLE] = 0xF;
    rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    std::memset(m_state.clipPlanes, 0, sizeof(m_state.clipPlanes));
    D3DMATRIX identity = {};
    identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
    m_world = m_view = m_projection = identity;
    m_state.vertexDeclaration = nullptr;
    m_state.stream0 = nullptr;
    m_state.indices = nullptr;
    m_state.program = {};
}

void IDirect3DDevice9::Note(const std::string& line) {
    if (m_tracing) {
        m_trace.push_back(line);
    }
}

HRESULT IDirect3DDevice9::GetDirect3D(IDirect3D9** direct3d) {
    if (direct3d == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    m_direct3d->AddRef();
    *direct3d = m_direct3d;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetDeviceCaps(D3DCAPS9* caps) const {
    if (caps == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    m_backend->GetCaps(caps);
    // The type asked for at creation, whichever back end serves it.
    caps->DeviceType = m_type;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::TestCooperativeLevel() const { return m_lost ? D3DERR_DEVICENOTRESET : D3D_OK; }

HRESULT IDirect3DDevice9::Reset(D3DPRESENT_PARAMETERS* parameters) {
    if (parameters == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const IDirect3DBaseTexture9* autoDepthTexture = m_autoDepth != nullptr ? m_autoDepth->GetContainer() : nullptr;
    for (IDirect3DResource9* resource : m_resources) {
        if (resource->GetPool() == D3DPOOL_DEFAULT && resource != m_backBuffer && resource != m_autoDepth &&
            resource != autoDepthTexture) {
            Note("Reset refused");
            m_lost = true;
            return D3DERR_INVALIDCALL;
        }
    }
    D3DPRESENT_PARAMETERS chosen = *parameters;
    if (chosen.BackBufferWidth == 0 || chosen.BackBufferHeight == 0) {
        chosen.BackBufferWidth = m_parameters.BackBufferWidth;
        chosen.BackBufferHeight = m_parameters.BackBufferHeight;
    }
    if (chosen.BackBufferFormat == D3DFMT_UNKNOWN) {
        chosen.BackBufferFormat = m_parameters.BackBufferFormat;
    }
    ReleaseBackBuffer();
    std::string error;
    if (!m_backend->Reset(chosen, &error)) {
        std::fprintf(stderr, "Direct3D device: reset failed: %s\n", error.c_str());
        m_lost = true;
        MakeBackBuffer();
        return D3DERR_DEVICELOST;
    }
    m_parameters = chosen;
    *parameters = chosen;
    MakeBackBuffer();
    SetDefaultStates();
    m_lost = false;
    m_inScene = false;
    ++m_stats.resets;
    Note("Reset");
    return D3D_OK;
}

HRESULT IDirect3DDevice9::Present(const RECT*, const RECT*, HWND, const void*) {
    if (m_lost) {
        return D3DERR_DEVICELOST;
    }
    m_backend->Present();
    ++m_stats.presents;
    Note("Present");
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE, IDirect3DSurface9** surface) {
    if (surface == nullptr || swapChain != 0 || index != 0 || m_backBuffer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    m_backBuffer->AddRef();
    *surface = m_backBuffer;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::BeginScene() {
    if (m_inScene) {
        return D3DERR_INVALIDCALL;
    }
    m_inScene = true;
    ++m_stats.scenes;
    Note("BeginScene");
    return D3D_OK;
}

HRESULT IDirect3DDevice9::EndScene() {
    if (!m_inScene) {
        return D3DERR_INVALIDCALL;
    }
    m_inScene = false;
    Note("EndScene");
    return D3D_OK;
}

HRESULT IDirect3DDevice9::Clear(DWORD, const void*, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) {
    if ((flags & D3DCLEAR_ZBUFFER) != 0 && m_state.depthStencil == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (!m_lost) {
        m_backend->Clear(m_state, flags, colour, z, stencil);
    }
    ++m_stats.clears;
    char line[64];
    std::snprintf(line, sizeof(line), "Clear %u %08X %g", static_cast<unsigned>(flags), static_cast<unsigned>(colour),
                  static_cast<double>(z));
    Note(line);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (state >= kD3DRenderStateCount) {
        return D3DERR_INVALIDCALL;
    }
    m_state.renderStates[state] = value;
    if (m_tracing) {
        Note("SetRenderState " + std::to_string(state) + " " + std::to_string(value));
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) const {
    if (state >= kD3DRenderStateCount || value == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *value = m_state.renderStates[state];
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    if (matrix == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    switch (state) {
        case D3DTS_WORLD:
            m_world = *matrix;
            break;
        case D3DTS_VIEW:
            m_view = *matrix;
            break;
        case D3DTS_PROJECTION:
            m_projection = *matrix;
            break;
        default:
            return D3DERR_INVALIDCALL;
    }
    if (m_tracing) {
        Note("SetTransform " + std::to_string(state));
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) const {
    if (matrix == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    switch (state) {
        case D3DTS_WORLD:
            *matrix = m_world;
            return D3D_OK;
        case D3DTS_VIEW:
            *matrix = m_view;
            return D3D_OK;
        case D3DTS_PROJECTION:
            *matrix = m_projection;
            return D3D_OK;
        default:
            return D3DERR_INVALIDCALL;
    }
}

HRESULT IDirect3DDevice9::SetViewport(const D3DVIEWPORT9* viewport) {
    if (viewport == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    m_state.viewport = *viewport;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetViewport(D3DVIEWPORT9* viewport) const {
    if (viewport == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *viewport = m_state.viewport;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetClipPlane(DWORD index, const float* plane) {
    if (index >= 6 || plane == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    std::memcpy(m_state.clipPlanes[index], plane, sizeof(m_state.clipPlanes[index]));
    if (m_tracing) {
        Note("SetClipPlane " + std::to_string(index));
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetClipPlane(DWORD index, float* plane) const {
    if (index >= 6 || plane == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    std::memcpy(plane, m_state.clipPlanes[index], sizeof(m_state.clipPlanes[index]));
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
    D3DSURFACE_DESC desc;
    if (index != 0 || surface == nullptr || FAILED(surface->GetDesc(&desc)) ||
        (desc.Usage & D3DUSAGE_DEPTHSTENCIL) != 0) {
        return D3DERR_INVALIDCALL;
    }
    surface->AddRef();
    if (m_state.renderTarget != nullptr) {
        m_state.renderTarget->Release();
    }
    m_state.renderTarget = surface;
    m_state.viewport = {0, 0, desc.Width, desc.Height, 0.0f, 1.0f};
    Note("SetRenderTarget");
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRenderTarget(DWORD index, IDirect3DSurface9** surface) {
    if (index != 0 || surface == nullptr || m_state.renderTarget == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    m_state.renderTarget->AddRef();
    *surface = m_state.renderTarget;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetDepthStencilSurface(IDirect3DSurface9* surface) {
    D3DSURFACE_DESC desc;
    if (surface != nullptr && (FAILED(surface->GetDesc(&desc)) || (desc.Usage & D3DUSAGE_DEPTHSTENCIL) == 0)) {
        return D3DERR_INVALIDCALL;
    }
    if (surface != nullptr) {
        surface->AddRef();
    }
    if (m_state.depthStencil != nullptr) {
        m_state.depthStencil->Release();
    }
    m_state.depthStencil = surface;
    Note("SetDepthStencilSurface");
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetDepthStencilSurface(IDirect3DSurface9** surface) {
    if (surface == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *surface = m_state.depthStencil;
    if (*surface == nullptr) {
        return D3DERR_NOTFOUND;
    }
    (*surface)->AddRef();
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE,
                                                    DWORD, BOOL, IDirect3DSurface9** surface, HANDLE*) {
    if (surface == nullptr || width == 0 || height == 0 || !FitsTextureCaps(width, height) ||
        (format != D3DFMT_D24S8 && format != D3DFMT_D16)) {
        return D3DERR_INVALIDCALL;
    }
    D3DSURFACE_DESC desc;
    desc.Format = format;
    desc.Usage = D3DUSAGE_DEPTHSTENCIL;
    desc.Width = width;
    desc.Height = height;
    *surface = IDirect3DSurface9::ForDepth(new CDepthTexture(this, width, height, format), desc);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                        D3DPOOL pool, IDirect3DTexture9** texture, HANDLE*) {
    if (texture == nullptr || width == 0 || height == 0 || !FitsTextureCaps(width, height) ||
        (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8) ||
        ((usage & D3DUSAGE_RENDERTARGET) != 0 && pool != D3DPOOL_DEFAULT)) {
        return D3DERR_INVALIDCALL;
    }
    *texture = new IDirect3DTexture9(this, width, height, levels, usage, format, pool);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DCubeTexture9** texture, HANDLE*) {
    if (texture == nullptr || edge == 0 || !FitsTextureCaps(edge, edge) ||
        (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8)) {
        return D3DERR_INVALIDCALL;
    }
    *texture = new IDirect3DCubeTexture9(this, edge, levels, usage, format, pool);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                             IDirect3DVertexBuffer9** buffer, HANDLE*) {
    if (buffer == nullptr || length == 0) {
        return D3DERR_INVALIDCALL;
    }
    *buffer = new IDirect3DVertexBuffer9(this, length, usage, fvf, pool);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DIndexBuffer9** buffer, HANDLE*) {
    if (buffer == nullptr || length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)) {
        return D3DERR_INVALIDCALL;
    }
    *buffer = new IDirect3DIndexBuffer9(this, length, usage, format, pool);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                                  IDirect3DVertexDeclaration9** declaration) {
    if (elements == nullptr || declaration == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *declaration = new IDirect3DVertexDeclaration9(this, elements);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) {
    m_state.vertexDeclaration = declaration;
    Note("SetVertexDeclaration");
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetVertexDeclaration(IDirect3DVertexDeclaration9** declaration) {
    if (declaration == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *declaration = m_state.vertexDeclaration;
    if (*declaration != nullptr) {
        (*declaration)->AddRef();
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) {
    if (stream != 0) {
        return D3DERR_INVALIDCALL;
    }
    m_state.stream0 = buffer;
    m_state.stream0Offset = offset;
    m_state.stream0Stride = stride;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetIndices(IDirect3DIndexBuffer9* buffer) {
    m_state.indices = buffer;
    return D3D_OK;
}

UINT IDirect3DDevice9::PrimitiveVertices(D3DPRIMITIVETYPE type, UINT primitiveCount) {
    // Beyond the caps' primitive limit the vertex count would wrap round: such draws are refused.
    if (primitiveCount > platform::d3d9::StandInCaps(D3DDEVTYPE_NULLREF).MaxPrimitiveCount) {
        return 0;
    }
    switch (type) {
        case D3DPT_POINTLIST:
            return primitiveCount;
        case D3DPT_LINELIST:
            return primitiveCount * 2;
        case D3DPT_LINESTRIP:
            return primitiveCount + 1;
        case D3DPT_TRIANGLELIST:
            return primitiveCount * 3;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN:
            return primitiveCount + 2;
        default:
            return 0;
    }
}

HRESULT IDirect3DDevice9::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex, UINT vertexCount,
                                               UINT startIndex, UINT primitiveCount) {
    const UINT indexCount = PrimitiveVertices(type, primitiveCount);
    if (!m_inScene || indexCount == 0 || m_state.indices == nullptr || m_state.stream0 == nullptr ||
        m_state.stream0Stride == 0 || baseVertex < 0) {
        return D3DERR_INVALIDCALL;
    }
    const std::size_t indexSize = m_state.indices->GetFormat() == D3DFMT_INDEX32 ? 4 : 2;
    const std::size_t vertexEnd =
        (static_cast<std::size_t>(baseVertex) + minIndex + vertexCount) * m_state.stream0Stride + m_state.stream0Offset;
    if ((static_cast<std::size_t>(startIndex) + indexCount) * indexSize > m_state.indices->Bytes().size() ||
        vertexEnd > m_state.stream0->Bytes().size()) {
        return D3DERR_INVALIDCALL;
    }
    // An index past the vertex buffer would make the GPU read outside it: such a draw is refused.
    // The bounds kept for the index range may be wider than this draw's; only when those fail is
    // the draw's own range looked at.
    const std::size_t vertexSpace = (m_state.stream0->Bytes().size() - m_state.stream0Offset) / m_state.stream0Stride;
    std::size_t highest = 0;
    std::size_t lowest = 0;
    m_state.indices->IndexBounds(startIndex, indexCount, &lowest, &highest);
    if (static_cast<std::size_t>(baseVertex) + highest >= vertexSpace) {
        m_state.indices->ExactIndexBounds(startIndex, indexCount, &lowest, &highest);
        if (static_cast<std::size_t>(baseVertex) + highest >= vertexSpace) {
            return D3DERR_INVALIDCALL;
        }
    }
    if (!m_lost) {
        const std::size_t stride = m_state.stream0Stride;
        m_state.stream0->Sync(static_cast<UINT>(m_state.stream0Offset + (baseVertex + lowest) * stride),
                              static_cast<UINT>(m_state.stream0Offset + (baseVertex + highest + 1) * stride));
        m_state.indices->Sync(static_cast<UINT>(startIndex * indexSize),
                              static_cast<UINT>((startIndex + indexCount) * indexSize));
        m_backend->DrawIndexed(m_state, type, baseVertex, startIndex, indexCount, static_cast<UINT>(lowest),
                               static_cast<UINT>(highest));
    }
    if (m_tracing) {
        Note("DrawIndexedPrimitive " + std::to_string(type) + " " + std::to_string(baseVertex) + " " +
             std::to_string(minIndex) + " " + std::to_string(vertexCount) + " " + std::to_string(startIndex) + " " +
             std::to_string(primitiveCount));
    }
    ++m_stats.draws;
    m_stats.primitives += primitiveCount;
    m_stats.vertices += highest + 1 - lowest;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
    const UINT vertexCount = PrimitiveVertices(type, primitiveCount);
    if (!m_inScene || vertexCount == 0 || m_state.stream0 == nullptr || m_state.stream0Stride == 0 ||
        (static_cast<std::size_t>(startVertex) + vertexCount) * m_state.stream0Stride + m_state.stream0Offset >
            m_state.stream0->Bytes().size()) {
        return D3DERR_INVALIDCALL;
    }
    if (!m_lost) {
        m_state.stream0->Sync(m_state.stream0Offset + startVertex * m_state.stream0Stride,
                              m_state.stream0Offset + (startVertex + vertexCount) * m_state.stream0Stride);
        m_backend->Draw(m_state, type, startVertex, vertexCount);
    }
    ++m_stats.draws;
    m_stats.primitives += primitiveCount;
    m_stats.vertices += vertexCount;
    return D3D_OK;
}

bool IDirect3DDevice9::FitsTextureCaps(UINT width, UINT height) const {
    D3DCAPS9 caps;
    m_backend->GetCaps(&caps);
    return width <= caps.MaxTextureWidth && height <= caps.MaxTextureHeight;
}

bool IDirect3DDevice9::ReadSurface(IDirect3DSurface9* surface, std::vector<std::uint8_t>* bgra, UINT* width,
                                   UINT* height) {
    if (surface == nullptr || bgra == nullptr) {
        return false;
    }
    D3DSURFACE_DESC desc;
    surface->GetDesc(&desc);
    if (desc.Usage & D3DUSAGE_DEPTHSTENCIL) {
        return false;
    }
    if (width != nullptr) {
        *width = desc.Width;
    }
    if (height != nullptr) {
        *height = desc.Height;
    }
    auto* texture = dynamic_cast<IDirect3DTexture9*>(surface->GetContainer());
    if (texture != nullptr && surface->GetLevel() == 0 && texture->CopyPixels(bgra)) {
        return true;
    }
    return m_backend->ReadPixels(surface->IsBackBuffer() ? nullptr : surface, desc.Width, desc.Height, bgra);
}
