// velm::gfx::CWaterManager: what the water units need from the frame: the reflection and
// refraction render targets (screen-sized, each with its depth surface) the frame draws the
// mirrored and the submerged scene into, the environment cube of spline water, and the water
// units found visible this frame (not owned). Its device resources follow device loss and reset.
// Main thread only; reached through common::CSingleton.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "libs/common/singleton.h"
#include "platform/d3d9/d3dx9.h"

namespace velm {
namespace gfx {

class CTextureRef;
class IGfxUnit;

// Planar and planar wave water: the kinds with a plane to mirror in, drawn opaque.
bool IsPlanarWater(IGfxUnit* unit);

class CWaterManager {
public:
    // Makes both targets and depth surfaces at the core's screen size (nothing without a device).
    CWaterManager();
    virtual ~CWaterManager();
    CWaterManager(const CWaterManager&) = delete;
    CWaterManager& operator=(const CWaterManager&) = delete;

    // Level 0 of each target, with one reference for the caller; null without a target.
    IDirect3DSurface9* GetReflectionSurface() const;
    IDirect3DSurface9* GetRefractionSurface() const;
    IDirect3DSurface9* GetReflectionDepthSurface() const { return m_reflectionDepth; }
    IDirect3DSurface9* GetRefractionDepthSurface() const { return m_refractionDepth; }
    const CTextureRef& GetReflectionTexture() const { return *m_reflection; }
    const CTextureRef& GetRefractionTexture() const { return *m_refraction; }
    IDirect3DCubeTexture9* GetEnvironmentCube() const { return m_cube; }

    // Releases the current cube first; a file that does not load leaves none.
    void LoadEnvironmentMap(const std::string& path);

    void AddVisibleWater(IGfxUnit* unit) { m_visibleWater.push_back(unit); }
    const std::vector<IGfxUnit*>& GetVisibleWater() const { return m_visibleWater; }
    void ClearVisibleWater() { m_visibleWater.clear(); }

    // True when a visible unit is planar-wave or planar water.
    bool NeedsReflection() const;
    // The plane of the first visible planar-wave or planar unit and its reflection matrix;
    // false (both untouched) when there is none.
    bool GetReflectionMatrix(D3DXPLANE* plane, D3DXMATRIX* matrix) const;

    void OnLostDevice();
    // At the core's screen size then current.
    void OnResetDevice();

private:
    void CreateTargets();
    void ReleaseTargets();

    std::unique_ptr<CTextureRef> m_reflection;
    std::unique_ptr<CTextureRef> m_refraction;
    IDirect3DCubeTexture9* m_cube = nullptr;
    IDirect3DSurface9* m_reflectionDepth = nullptr;
    IDirect3DSurface9* m_refractionDepth = nullptr;
    std::vector<IGfxUnit*> m_visibleWater;
};

using WaterManager = common::CSingleton<CWaterManager>;

} // namespace gfx
} // namespace velm
