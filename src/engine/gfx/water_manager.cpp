#include "engine/gfx/water_manager.h"

#include "engine/gfx/gfx_core.h"
#include "engine/gfx/gfx_water.h"
#include "engine/gfx/texture_cache.h"

namespace velm {
namespace gfx {
namespace {

// Spline water has no plane of its own; only the planar kinds can be mirrored in.
const ACGfxWater* AsPlanarWater(IGfxUnit* unit) {
    const auto* water = dynamic_cast<const ACGfxWater*>(unit);
    if (water == nullptr) {
        return nullptr;
    }
    const std::uint32_t kind = water->GetWaterKind();
    return kind == kPlanarWaveWater || kind == kPlanarWater ? water : nullptr;
}

} // namespace

bool IsPlanarWater(IGfxUnit* unit) { return AsPlanarWater(unit) != nullptr; }

namespace {

IDirect3DSurface9* LevelZero(const CTextureRef& texture) {
    IDirect3DSurface9* surface = nullptr;
    if (texture.GetTexture() != nullptr) {
        texture.GetTexture()->GetSurfaceLevel(0, &surface);
    }
    return surface;
}

template <typename T>
void ReleaseAndNull(T** object) {
    if (*object != nullptr) {
        (*object)->Release();
        *object = nullptr;
    }
}

} // namespace

CWaterManager::CWaterManager() : m_reflection(new CTextureRef()), m_refraction(new CTextureRef()) { CreateTargets(); }

CWaterManager::~CWaterManager() {
    ReleaseTargets();
    ReleaseAndNull(&m_cube);
}

void CWaterManager::CreateTargets() {
    ReleaseTargets();
    if (!GFXCore::Exists() || GFXCore::Instance().GetDevice() == nullptr) {
        return;
    }
    CGFXCore& core = GFXCore::Instance();
    const auto width = static_cast<UINT>(core.GetScreenWidth());
    const auto height = static_cast<UINT>(core.GetScreenHeight());
    IDirect3DTexture9* texture = nullptr;
    core.CreateRenderTargetTexture(width, height, D3DFMT_A8R8G8B8, &texture);
    m_reflection->SetTexture(texture);
    texture = nullptr;
    core.CreateRenderTargetTexture(width, height, D3DFMT_A8R8G8B8, &texture);
    m_refraction->SetTexture(texture);
    core.CreateDepthStencilSurface(width, height, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, FALSE, &m_reflectionDepth);
    core.CreateDepthStencilSurface(width, height, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, FALSE, &m_refractionDepth);
}

void CWaterManager::ReleaseTargets() {
    for (CTextureRef* target : {m_reflection.get(), m_refraction.get()}) {
        IDirect3DTexture9* texture = target->GetTexture();
        ReleaseAndNull(&texture);
        target->SetTexture(nullptr);
    }
    ReleaseAndNull(&m_reflectionDepth);
    ReleaseAndNull(&m_refractionDepth);
}

IDirect3DSurface9* CWaterManager::GetReflectionSurface() const { return LevelZero(*m_reflection); }

IDirect3DSurface9* CWaterManager::GetRefractionSurface() const { return LevelZero(*m_refraction); }

void CWaterManager::LoadEnvironmentMap(const std::string& path) {
    ReleaseAndNull(&m_cube);
    if (GFXCore::Exists()) {
        GFXCore::Instance().CreateCubeTextureFromFile(path, &m_cube);
    }
}

bool CWaterManager::NeedsReflection() const {
    for (IGfxUnit* unit : m_visibleWater) {
        if (AsPlanarWater(unit) != nullptr) {
            return true;
        }
    }
    return false;
}

bool CWaterManager::GetReflectionMatrix(D3DXPLANE* plane, D3DXMATRIX* matrix) const {
    for (IGfxUnit* unit : m_visibleWater) {
        if (const ACGfxWater* water = AsPlanarWater(unit)) {
            *plane = water->GetWaterPlane();
            D3DXMatrixReflect(matrix, plane);
            return true;
        }
    }
    return false;
}

void CWaterManager::OnLostDevice() { ReleaseTargets(); }

void CWaterManager::OnResetDevice() { CreateTargets(); }

} // namespace gfx
} // namespace velm
