// The effect programs of the OpenGL device: each is built from its GLSL once per set of device
// states its source switches on (how many clip planes, whether the alpha test is on), and a draw
// sends a build only the values and textures that changed since it last had them. Needs the
// device's context current; main thread only.
#pragma once

#include <epoxy/gl.h>

#include <array>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/d3d9/device_backend.h"

namespace platform {
namespace d3d9 {

constexpr int kMaxClipPlanes = 6;

class CGlPrograms {
public:
    CGlPrograms();
    ~CGlPrograms();
    CGlPrograms(const CGlPrograms&) = delete;
    CGlPrograms& operator=(const CGlPrograms&) = delete;

    // Builds the plain variant at once, so that bad GLSL is reported when the effect is made; the
    // others are built when a draw first needs them. 0 and the log when it does not build.
    BackendHandle Create(const std::string& vertexSource, const std::string& fragmentSource, std::string* log);
    void Destroy(BackendHandle handle);

    // Makes the build of the state's program for the draw current and sends it what changed;
    // false when that build fails. planes is how many clip planes the build uses.
    bool Use(const SDeviceState& state, int* planes);

    // Textures bound outside Use: what this keeps of the units' bindings no longer holds.
    void ForgetTextures();

private:
    struct SVariant;
    struct SProgram;

    SVariant* Variant(SProgram& program, int planes, bool alphaTest);
    void SendUniforms(const SDeviceState& state, SVariant& variant);
    void BindTexture(GLint unit, GLenum target, GLuint texture);

    std::unordered_map<BackendHandle, std::unique_ptr<SProgram>> m_programs;
    GLuint m_used = 0;
    // The texture of each unit and target (2D, cube) as last bound here.
    static constexpr int kUnits = 16;
    static constexpr GLuint kUnknown = ~0u;
    std::array<std::array<GLuint, 2>, kUnits> m_textures;
};

} // namespace d3d9
} // namespace platform
