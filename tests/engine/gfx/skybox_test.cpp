#include <gtest/gtest.h>

#include <cmath>

#include "engine/gfx/gfx_skybox.h"

namespace {

using velm::gfx::CGFXSkyBox;

const std::array<std::string, 6> kNames = {"none", "none", "none", "none", "none", "none"};

D3DXVECTOR3 Corner(const velm::gfx::C3DQuad& face, float x, float y) {
    const D3DXVECTOR3 local(x, y, 0.0f);
    D3DXVECTOR3 world;
    D3DXVec3TransformCoord(&world, &local, &face.GetWorldMatrix());
    return world;
}

TEST(SkyBox, FacesCloseACubeOfTheScalarAroundTheMovedCamera) {
    CGFXSkyBox sky;
    sky.FollowCamera(1.0f, 2.0f, 3.0f);
    EXPECT_FALSE(sky.HasAllFaces()) << "nothing to move before Create";
    sky.Create(1000.0f, kNames);
    ASSERT_TRUE(sky.HasAllFaces());
    const D3DXVECTOR3 camera(10.0f, -20.0f, 30.0f);
    sky.FollowCamera(camera.x, camera.y, camera.z);
    // Each face: the axis it stands across and the side of the camera it stands on.
    const struct {
        CGFXSkyBox::EFace face;
        int axis;
        float side;
    } faces[] = {{CGFXSkyBox::kRight, 0, 1.0f}, {CGFXSkyBox::kLeft, 0, -1.0f}, {CGFXSkyBox::kUp, 1, 1.0f},
                 {CGFXSkyBox::kDown, 1, -1.0f}, {CGFXSkyBox::kFront, 2, 1.0f}, {CGFXSkyBox::kBack, 2, -1.0f}};
    for (const auto& f : faces) {
        const velm::gfx::C3DQuad& quad = *sky.GetFace(f.face);
        EXPECT_EQ(quad.GetTechniqueName(), "RenderSkybox");
        EXPECT_EQ(quad.GetEffectFileName(), "Skybox.fx");
        float low[3] = {1e9f, 1e9f, 1e9f};
        float high[3] = {-1e9f, -1e9f, -1e9f};
        for (float x : {-0.5f, 0.5f}) {
            for (float y : {-0.5f, 0.5f}) {
                const D3DXVECTOR3 p = Corner(quad, x, y) - camera;
                const float xyz[3] = {p.x, p.y, p.z};
                for (int a = 0; a < 3; ++a) {
                    low[a] = std::min(low[a], xyz[a]);
                    high[a] = std::max(high[a], xyz[a]);
                }
            }
        }
        for (int a = 0; a < 3; ++a) {
            if (a == f.axis) {
                EXPECT_NEAR(low[a], 500.0f * f.side, 0.05f) << f.face << " stands 500 out";
                EXPECT_NEAR(high[a], 500.0f * f.side, 0.05f) << f.face;
            } else {
                EXPECT_NEAR(low[a], -500.0f, 0.05f) << f.face << " axis " << a;
                EXPECT_NEAR(high[a], 500.0f, 0.05f) << f.face << " axis " << a;
            }
        }
    }
    sky.ReleaseFaces();
    EXPECT_EQ(sky.GetFace(CGFXSkyBox::kFront), nullptr);
    sky.FollowCamera(0.0f, 0.0f, 0.0f);
}

} // namespace
