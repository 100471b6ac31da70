#include "engine/gfx/gfx_core.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "engine/gfx/texture_cache.h"
#include "platform/dxut/dxut.h"

namespace velm {
namespace gfx {

const D3DVERTEXELEMENT9 kVertexElements[7] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
    {0, 24, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    {0, 32, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TANGENT, 0},
    {0, 44, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_BINORMAL, 0},
    {0, 56, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    D3DDECL_END(),
};

namespace {

constexpr float kAxisLength = 250.0f;

void MakeAxis(SGfxCoordSystem::SAxis* axis, const D3DXVECTOR3& direction) {
    axis->pointCount = 2;
    axis->points = new D3DXVECTOR3[2];
    axis->points[0] = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    axis->points[1] = direction * kAxisLength;
    axis->direction = direction;
    axis->scale = 1.0f;
}

} // namespace

SGfxCoordSystem::SGfxCoordSystem() {
    MakeAxis(&x, D3DXVECTOR3(1.0f, 0.0f, 0.0f));
    MakeAxis(&y, D3DXVECTOR3(0.0f, 1.0f, 0.0f));
    MakeAxis(&z, D3DXVECTOR3(0.0f, 0.0f, 1.0f));
}

SGfxCoordSystem::~SGfxCoordSystem() {
    delete[] x.points;
    delete[] y.points;
    delete[] z.points;
}

CGFXCore::CGFXCore() {
    D3DXMatrixIdentity(&m_view);
    D3DXMatrixIdentity(&m_projection);
}

CGFXCore::~CGFXCore() { ReleaseDevice(); }

void CGFXCore::ReleaseDevice() {
    // The declaration may carry references of its users; all go with the core.
    while (m_vertexDeclaration != nullptr && m_vertexDeclaration->Release() > 0) {
    }
    m_vertexDeclaration = nullptr;
    if (m_device != nullptr) {
        m_device->Release();
        m_device = nullptr;
    }
    if (m_direct3d != nullptr) {
        m_direct3d->Release();
        m_direct3d = nullptr;
    }
}

HRESULT CGFXCore::CreateDevice() {
    ReleaseDevice();
    const HRESULT result = DXUTCreateDevice(D3DADAPTER_DEFAULT, m_fullScreen == 0, m_screenWidth, m_screenHeight,
                                            IsDeviceAcceptable, ModifyDeviceSettings, nullptr);
    m_direct3d = DXUTGetD3DObject();
    if (m_direct3d != nullptr) {
        m_direct3d->AddRef();
    }
    m_device = DXUTGetD3DDevice();
    if (m_device == nullptr) {
        return FAILED(result) ? result : D3DERR_NOTAVAILABLE;
    }
    m_device->AddRef();
    m_presentParameters = DXUTGetPresentParameters();
    MakeVertexDeclaration();
    return result;
}

bool CGFXCore::IsDeviceAcceptable(D3DCAPS9* caps, D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat, bool, void*) {
    if (caps == nullptr) {
        return false;
    }
    IDirect3D9* direct3d = DXUTGetD3DObject();
    if (direct3d == nullptr || FAILED(direct3d->CheckDeviceFormat(caps->AdapterOrdinal, caps->DeviceType, adapterFormat,
                                                                  D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING,
                                                                  D3DRTYPE_TEXTURE, backBufferFormat))) {
        return false;
    }
    constexpr DWORD kDevCaps = 0x90400;
    constexpr DWORD kTextureCaps = 0x4804;
    constexpr DWORD kTextureOpCaps = 0x24E;
    constexpr DWORD kFogVertex = 0x80;
    return (caps->PresentationIntervals & (D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE)) != 0 &&
           (caps->DevCaps & kDevCaps) != 0 &&
           (caps->PrimitiveMiscCaps & (D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW)) != 0 &&
           (caps->RasterCaps & kFogVertex) != 0 && (caps->ShadeCaps & D3DPSHADECAPS_COLORGOURAUDRGB) != 0 &&
           (caps->TextureCaps & kTextureCaps) != 0 && caps->MaxTextureWidth >= 1024 && caps->MaxTextureHeight >= 1024 &&
           (caps->TextureOpCaps & kTextureOpCaps) != 0 && caps->MaxActiveLights >= 4 &&
           caps->VertexShaderVersion >= D3DVS_VERSION(2, 0) && caps->PixelShaderVersion >= D3DPS_VERSION(2, 0);
}

bool CGFXCore::ModifyDeviceSettings(DXUTDeviceSettings* settings, const D3DCAPS9*, void*) {
    settings->pp.MultiSampleType = D3DMULTISAMPLE_2_SAMPLES;
    settings->pp.MultiSampleQuality = 0;
    settings->pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    settings->pp.EnableAutoDepthStencil = TRUE;
    settings->pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    settings->pp.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    return true;
}

HRESULT CGFXCore::MakeVertexDeclaration() {
    ReleaseVertexDeclaration();
    const HRESULT result = m_device->CreateVertexDeclaration(kVertexElements, &m_vertexDeclaration);
    if (SUCCEEDED(result)) {
        m_device->SetVertexDeclaration(m_vertexDeclaration);
    }
    return result;
}

void CGFXCore::ReleaseVertexDeclaration() {
    if (m_vertexDeclaration != nullptr) {
        m_vertexDeclaration->Release();
        m_vertexDeclaration = nullptr;
    }
}

HRESULT CGFXCore::OnResetDevice() {
    if (m_device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const HRESULT result = m_device->Reset(&m_presentParameters);
    MakeVertexDeclaration();
    return result;
}

void CGFXCore::OnLostDevice() { ReleaseVertexDeclaration(); }

void CGFXCore::BeginFrame() {
    if (m_device == nullptr) {
        return;
    }
    m_device->SetRenderState(D3DRS_ZENABLE, TRUE);
    m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    m_device->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, m_fullSceneAntialiasing);
    m_device->SetRenderState(D3DRS_FILLMODE, m_fillMode);
    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    m_device->SetVertexDeclaration(m_vertexDeclaration);
    m_device->BeginScene();
    if (m_frameBegin) {
        m_frameBegin();
    }
    m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
}

void CGFXCore::SetViewMatrix(const D3DXMATRIX& view) {
    if (m_device != nullptr) {
        m_device->SetTransform(D3DTS_VIEW, &view);
    }
    m_view = view;
    m_reuseVisibility = false;
}

void CGFXCore::SetProjectionMatrix(const D3DXMATRIX& projection) {
    if (m_device != nullptr) {
        m_device->SetTransform(D3DTS_PROJECTION, &projection);
    }
    m_projection = projection;
}

void CGFXCore::SetCamera(const SCameraShot& camera) {
    SetViewMatrix(camera.m_view);
    SetProjectionMatrix(camera.m_projection);
    m_cameraEye = camera.m_eye;
    m_cameraTarget = camera.m_target;
    const float lens[4] = {camera.m_fieldOfView, camera.m_aspect, camera.m_nearPlane, camera.m_farPlane};
    if (std::equal(std::begin(lens), std::end(lens), std::begin(m_frustumLens))) {
        return;
    }
    constexpr float kWideView = 1.5f;
    m_frustum.Update(camera.m_fieldOfView, camera.m_aspect, camera.m_nearPlane, camera.m_farPlane);
    m_wideFrustum.Update(camera.m_fieldOfView * kWideView, camera.m_aspect, camera.m_nearPlane, camera.m_farPlane);
    std::copy(std::begin(lens), std::end(lens), std::begin(m_frustumLens));
}

void CGFXCore::ComputeBoundingSphere(const void* vertices, std::uint32_t count, D3DXVECTOR3* centre, float* radius) {
    *centre = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    *radius = 0.0f;
    if (vertices == nullptr || count == 0) {
        return;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(vertices);
    D3DXVECTOR3 low;
    D3DXVECTOR3 high;
    for (std::uint32_t i = 0; i < count; ++i) {
        float position[3];
        std::copy_n(reinterpret_cast<const float*>(bytes + static_cast<std::size_t>(i) * kVertexStride), 3, position);
        const D3DXVECTOR3 point(position[0], position[1], position[2]);
        if (i == 0) {
            low = high = point;
        } else {
            D3DXVec3Minimize(&low, &low, &point);
            D3DXVec3Maximize(&high, &high, &point);
        }
    }
    *centre = (low + high) * 0.5f;
    const D3DXVECTOR3 half = high - *centre;
    *radius = D3DXVec3Length(&half);
}

bool CGFXCore::ReadHeightMap(const std::string& fileName, float* heights, std::uint32_t columns, std::uint32_t rows) {
    if (m_device == nullptr || heights == nullptr || columns == 0 || rows == 0) {
        return false;
    }
    CTextureRef reference;
    reference.SetFile(fileName);
    IDirect3DTexture9* texture = reference.GetTexture();
    if (texture == nullptr) {
        return false;
    }
    D3DSURFACE_DESC desc;
    texture->GetLevelDesc(0, &desc);
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) {
        return false;
    }
    const auto* bits = static_cast<const std::uint8_t*>(locked.pBits);
    const auto width = static_cast<int>(desc.Width);
    const auto height = static_cast<int>(desc.Height);
    // Rows and columns past the image are never sampled: they read as flat ground, not as
    // whatever the caller's array held.
    std::fill(heights, heights + static_cast<std::size_t>(rows) * columns, 0.0f);
    if (width <= 0 || height <= 0 || bits == nullptr) {
        texture->UnlockRect(0);
        reference.Release();
        return true;
    }
    const long long end = static_cast<long long>(locked.Pitch) * height;
    const float sx = static_cast<float>(desc.Width) / static_cast<float>(columns);
    const float sy = static_cast<float>(desc.Height) / static_cast<float>(rows);
    const int kx = static_cast<int>(sx - 1.0f);
    const int ky = static_cast<int>(sy - 1.0f);
    const double divisor = (2.0 * kx + 1.0) * (2.0 * ky + 1.0) * 255.0;
    const int rowLimit = std::min(height, static_cast<int>(rows));
    const int columnLimit = std::min(width, static_cast<int>(columns));
    for (int r = 0; r < rowLimit; ++r) {
        for (int c = 0; c < columnLimit; ++c) {
            const long long centreX = static_cast<int>(static_cast<float>(c) * sx);
            const long long centreY = static_cast<int>(static_cast<float>(r) * sy);
            const std::uint8_t centre = bits[centreY * locked.Pitch + centreX * 4 + 1];
            double sum = 0.0;
            // Rows step by the column half-width and columns by the row half-height, as the
            // heights have always been sampled.
            for (int i = -kx; i <= kx; ++i) {
                for (int j = -ky; j <= ky; ++j) {
                    const long long y = static_cast<int>(static_cast<float>(r) * sy + static_cast<float>(i));
                    const long long x = static_cast<int>(static_cast<float>(c) * sx + static_cast<float>(j));
                    const long long offset = y * locked.Pitch + x * 4 + 1;
                    sum += (offset < 0 || offset >= end) ? centre : bits[offset];
                }
            }
            heights[static_cast<std::size_t>(r) * columns + static_cast<std::size_t>(c)] =
                static_cast<float>(sum / divisor);
        }
    }
    texture->UnlockRect(0);
    reference.Release();
    return true;
}

HRESULT CGFXCore::Clear(DWORD flags, D3DCOLOR colour, float z) {
    return m_device != nullptr ? m_device->Clear(0, nullptr, flags, colour, z, 0) : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::EndScene() { return m_device != nullptr ? m_device->EndScene() : D3DERR_INVALIDCALL; }

HRESULT CGFXCore::Present() {
    return m_device != nullptr ? m_device->Present(nullptr, nullptr, nullptr, nullptr) : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    return m_device != nullptr ? m_device->SetRenderState(state, value) : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
    return m_device != nullptr ? m_device->SetRenderTarget(index, surface) : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::GetRenderTarget(DWORD index, IDirect3DSurface9** surface) {
    return m_device != nullptr ? m_device->GetRenderTarget(index, surface) : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::SetDepthStencilSurface(IDirect3DSurface9* surface) {
    return m_device != nullptr ? m_device->SetDepthStencilSurface(surface) : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::GetDepthStencilSurface(IDirect3DSurface9** surface) {
    return m_device != nullptr ? m_device->GetDepthStencilSurface(surface) : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                            DWORD quality, BOOL discard, IDirect3DSurface9** surface) {
    return m_device != nullptr ? m_device->CreateDepthStencilSurface(width, height, format, multiSample, quality,
                                                                     discard, surface, nullptr)
                               : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::GetBackBuffer(IDirect3DSurface9** surface) {
    return m_device != nullptr ? m_device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, surface) : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::SetClipPlane(DWORD index, const float* plane) {
    return m_device != nullptr ? m_device->SetClipPlane(index, plane) : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::GetClipPlane(DWORD index, float* plane) {
    return m_device != nullptr ? m_device->GetClipPlane(index, plane) : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                     IDirect3DVertexBuffer9** buffer) {
    return m_device != nullptr ? m_device->CreateVertexBuffer(length, usage, fvf, pool, buffer, nullptr)
                               : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                    IDirect3DIndexBuffer9** buffer) {
    return m_device != nullptr ? m_device->CreateIndexBuffer(length, usage, format, pool, buffer, nullptr)
                               : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::LockVertexBuffer(IDirect3DVertexBuffer9* buffer, UINT offset, UINT size, void** data, DWORD flags) {
    return buffer != nullptr ? buffer->Lock(offset, size, data, flags) : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::UnlockVertexBuffer(IDirect3DVertexBuffer9* buffer) {
    return buffer != nullptr ? buffer->Unlock() : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) {
    return m_device != nullptr ? m_device->SetStreamSource(stream, buffer, offset, stride) : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::SetIndices(IDirect3DIndexBuffer9* buffer) {
    return m_device != nullptr ? m_device->SetIndices(buffer) : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex, UINT vertexCount,
                                       UINT startIndex, UINT primitiveCount) {
    return m_device != nullptr
               ? m_device->DrawIndexedPrimitive(type, baseVertex, minIndex, vertexCount, startIndex, primitiveCount)
               : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::CreateRenderTargetTexture(UINT width, UINT height, D3DFORMAT format, IDirect3DTexture9** texture) {
    return m_device != nullptr ? m_device->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, format,
                                                         D3DPOOL_DEFAULT, texture, nullptr)
                               : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::CreateTextureFromFile(const std::string& fileName, IDirect3DTexture9** texture) {
    return D3DXCreateTextureFromFileA(m_device, fileName.c_str(), texture);
}

HRESULT CGFXCore::CreateCubeTextureFromFile(const std::string& fileName, IDirect3DCubeTexture9** texture) {
    return D3DXCreateCubeTextureFromFileA(m_device, fileName.c_str(), texture);
}

HRESULT CGFXCore::CreateEffectFromFile(const std::string& fileName, ID3DXEffectPool* pool, ID3DXEffect** effect) {
    return D3DXCreateEffectFromFileA(m_device, fileName.c_str(), nullptr, nullptr, D3DXSHADER_DEBUG, pool, effect,
                                     nullptr);
}

HRESULT CGFXCore::SaveSurfaceToFile(const std::string& fileName, D3DXIMAGE_FILEFORMAT format,
                                    IDirect3DSurface9* surface) {
    return D3DXSaveSurfaceToFileA(fileName.c_str(), format, surface, nullptr, nullptr);
}

HRESULT CGFXCore::CreateEffectPool(ID3DXEffectPool** pool) { return D3DXCreateEffectPool(pool); }

HRESULT CGFXCore::CreateMesh(DWORD faces, DWORD vertices, DWORD options, const D3DVERTEXELEMENT9* declaration,
                             ID3DXMesh** mesh) {
    return D3DXCreateMesh(faces, vertices, options, declaration != nullptr ? declaration : kVertexElements, m_device,
                          mesh);
}

HRESULT CGFXCore::CloneMesh(ID3DXMesh* source, DWORD options, ID3DXMesh** clone) {
    return source != nullptr ? source->CloneMesh(options, kVertexElements, m_device, clone) : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::LockMeshVertexBuffer(ID3DXMesh* mesh, DWORD flags, void** data) {
    return mesh != nullptr ? mesh->LockVertexBuffer(flags, data) : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::UnlockMeshVertexBuffer(ID3DXMesh* mesh) {
    return mesh != nullptr ? mesh->UnlockVertexBuffer() : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::LockMeshIndexBuffer(ID3DXMesh* mesh, DWORD flags, void** data) {
    return mesh != nullptr ? mesh->LockIndexBuffer(flags, data) : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::UnlockMeshIndexBuffer(ID3DXMesh* mesh) {
    return mesh != nullptr ? mesh->UnlockIndexBuffer() : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::GenerateAdjacency(ID3DXMesh* mesh, float epsilon, DWORD* adjacency) {
    return mesh != nullptr ? mesh->GenerateAdjacency(epsilon, adjacency) : D3DERR_INVALIDCALL;
}

HRESULT CGFXCore::ComputeNormals(ID3DXMesh* mesh, const DWORD* adjacency) {
    return D3DXComputeNormals(mesh, adjacency);
}

HRESULT CGFXCore::ComputeTangent(ID3DXMesh* mesh, DWORD texStage, DWORD tangentIndex, DWORD binormalIndex, DWORD wrap,
                                 const DWORD* adjacency) {
    return D3DXComputeTangent(mesh, texStage, tangentIndex, binormalIndex, wrap, adjacency);
}

HRESULT CGFXCore::CreateSprite(ID3DXSprite** sprite) { return D3DXCreateSprite(m_device, sprite); }

HRESULT CGFXCore::CreateFontIndirect(const D3DXFONT_DESCW& desc, ID3DXFont** font) {
    return D3DXCreateFontIndirectW(m_device, &desc, font);
}

HRESULT CGFXCore::CreateLine(ID3DXLine** line) { return D3DXCreateLine(m_device, line); }

HRESULT CGFXCore::LoadMeshHierarchyFromX(const std::string& fileName, DWORD options, ID3DXAllocateHierarchy* allocator,
                                         D3DXFRAME** frames, ID3DXAnimationController** controller) {
    return D3DXLoadMeshHierarchyFromXA(fileName.c_str(), options, m_device, allocator, nullptr, frames, controller);
}

} // namespace gfx
} // namespace velm
