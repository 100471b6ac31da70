// velm::gfx::CGFXSkyBox: the sky as six textured quads, a cube of edge `scalar` that the culling
// pass moves onto the camera every frame. Owns its faces; the graphics system owns at most one
// skybox. Main thread only.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "engine/gfx/3d_quad.h"

namespace velm {
namespace gfx {

class CGFXSkyBox {
public:
    // The level file's order, also the order of the texture names handed to Create.
    enum EFace { kRight, kLeft, kUp, kDown, kFront, kBack, kFaceCount };

    CGFXSkyBox() = default;
    virtual ~CGFXSkyBox() = default;
    CGFXSkyBox(const CGFXSkyBox&) = delete;
    CGFXSkyBox& operator=(const CGFXSkyBox&) = delete;

    // Replaces any faces: "Skybox.fx" with "RenderSkybox", each face turned and placed one unit
    // out along its axis, scaled to scalar, its texture in slot 4.
    void Create(float scalar, const std::array<std::string, kFaceCount>& textureNames);
    // Centres the cube on the camera; nothing unless all six faces exist.
    void FollowCamera(float x, float y, float z);
    void ReleaseFaces();

    bool HasAllFaces() const;
    // Null until Create (or after ReleaseFaces).
    C3DQuad* GetFace(EFace face) const { return m_faces[face].get(); }

private:
    std::array<std::unique_ptr<C3DQuad>, kFaceCount> m_faces;
};

} // namespace gfx
} // namespace velm
