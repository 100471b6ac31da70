// velm::gfx::C3DQuad and CGfxBillboardObj: a unit quad in the XY plane built in code, and the
// billboard that turns that quad about the vertical axis toward the camera each update. The
// camera yaw and view direction billboards face are refreshed once per frame for all of them.
// Main thread only.
#pragma once

#include "engine/gfx/gfx_unit.h"

namespace velm {
namespace gfx {

class C3DQuad : public CGfxUnit {
public:
    int GetCurrentAnimation() const override { return -1; }
    std::uint32_t GetFaceCount() const override { return 2; }
    D3DXMATRIX GetFrameWorldMatrix(const std::string& frameName) const override;
    bool SetAnimation(std::uint32_t, bool) override { return false; }
    // Builds the quad; the mesh file name of info is kept but nothing is loaded from it.
    void Load(const SGfxUnitLoadInfo& info) override;
    void Prepare() override;
    void Update(double, float) override {}
    void ResetAnimation() override {}
    void Unload() override;
};

class CGfxBillboardObj : public C3DQuad {
public:
    // What every billboard turns toward; refreshed each frame by the owner of the camera.
    static void SetCamera(float yaw, const D3DXVECTOR3& viewDirection);
    static float GetCameraYaw();
    static D3DXVECTOR3 GetCameraViewDirection();

    // Loads as a quad with "Billboard.fx" and "RenderBillboard", turned half a turn about y.
    virtual void Init();
    void Update(double time, float elapsed) override;
    void AdvanceAnimation() override { Update(0.0, 0.0f); }
};

} // namespace gfx
} // namespace velm
