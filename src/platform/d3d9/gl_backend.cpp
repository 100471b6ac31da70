#include <SDL2/SDL.h>
#include <epoxy/gl.h>
#include <malloc.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/gl_attributes.h"
#include "platform/d3d9/gl_buffer.h"
#include "platform/d3d9/gl_program.h"
#include "platform/d3d9/gl_states.h"
#include "platform/d3d9/mip_levels.h"

// Conventions that make the OpenGL device answer like a Direct3D 9 one:
// - Every target, the back buffer included, is a texture whose row 0 is the image's top row, as
//   are file textures, so texture coordinates mean what they mean to Direct3D. The vertex stage
//   flips y to render that way; Present blits the back buffer to the window flipped back.
// - With that flip, window coordinates equal Direct3D screen coordinates, so the viewport origin
//   and the winding rule carry over unchanged (clockwise on screen is front).
// - Depth z in [0, w] becomes OpenGL's [-w, w] and positions move half a pixel so that pixel
//   centres fall where Direct3D 9 puts them; both are done after the effect's vertex code.

namespace platform {
namespace d3d9 {
namespace {

struct STexture {
    GLenum target = GL_TEXTURE_2D;
    ETextureKind kind = ETextureKind::Texture2D;
    GLint lastLevel = 0;
};

// Draws between flushes: few enough that the renderer's threads start early, enough that a
// flush's own cost stays small (measured on Mesa's llvmpipe in the race).
constexpr int kDrawsPerFlush = 64;

// The last level of a full chain of mipmaps down to 1 x 1.
GLint LastLevel(UINT width, UINT height) {
    GLint level = 0;
    for (UINT size = std::max(width, height); size > 1; size /= 2) {
        ++level;
    }
    return level;
}

GLsizeiptr LeastCommonMultiple(GLsizeiptr a, GLsizeiptr b) {
    GLsizeiptr x = a;
    GLsizeiptr y = b;
    while (y != 0) {
        const GLsizeiptr t = x % y;
        x = y;
        y = t;
    }
    return a / x * b;
}

class CGlBackend final : public IDeviceBackend {
public:
    CGlBackend(SDL_Window* window, SDL_GLContext context) : m_window(window), m_context(context) {
        glGenVertexArrays(1, &m_vao);
        glBindVertexArray(m_vao);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
        GLint size = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
        m_maxTextureSize = static_cast<DWORD>(std::clamp(size, 1024, 16384));
    }

    ~CGlBackend() override {
        Use();
        m_buffers.clear();
        m_programs.reset();
        for (auto& [key, fbo] : m_framebuffers) {
            glDeleteFramebuffers(1, &fbo);
        }
        if (m_backColour != 0) {
            glDeleteTextures(1, &m_backColour);
        }
        glDeleteVertexArrays(1, &m_vao);
        SDL_GL_MakeCurrent(m_window, nullptr);
        SDL_GL_DeleteContext(m_context);
    }

    bool Reset(const D3DPRESENT_PARAMETERS& parameters, std::string* error) override {
        // Some drivers do not refuse an oversized image cleanly; checked before the old back
        // buffer is let go, so a refused reset leaves it as it was.
        if (parameters.BackBufferWidth > m_maxTextureSize || parameters.BackBufferHeight > m_maxTextureSize) {
            *error = "back buffer of " + std::to_string(parameters.BackBufferWidth) + "x" +
                     std::to_string(parameters.BackBufferHeight) + " exceeds the largest texture, " +
                     std::to_string(m_maxTextureSize);
            return false;
        }
        Use();
        DrainErrors();
        if (m_backColour != 0) {
            ForgetFramebuffers(m_backColour);
            glDeleteTextures(1, &m_backColour);
        }
        m_backWidth = parameters.BackBufferWidth;
        m_backHeight = parameters.BackBufferHeight;
        glGenTextures(1, &m_backColour);
        m_programs->ForgetTextures();
        glBindTexture(GL_TEXTURE_2D, m_backColour);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(m_backWidth), static_cast<GLsizei>(m_backHeight),
                     0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        SDL_GL_SetSwapInterval(parameters.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
        if (glGetError() != GL_NO_ERROR) {
            *error = "back buffer of " + std::to_string(m_backWidth) + "x" + std::to_string(m_backHeight) + " refused";
            return false;
        }
        return true;
    }

    void GetCaps(D3DCAPS9* caps) const override {
        *caps = StandInCaps(D3DDEVTYPE_HAL);
        caps->MaxTextureWidth = caps->MaxTextureHeight = m_maxTextureSize;
    }

    bool IsNull() const override { return false; }

    // The whole chain of levels is made at once with nothing in it (a software renderer zeroes it);
    // the pixels and the levels built from them come with the upload.
    BackendHandle CreateTexture(ETextureKind kind, UINT width, UINT height, UINT levels, bool) override {
        Use();
        GLuint name = 0;
        glGenTextures(1, &name);
        STexture texture;
        texture.kind = kind;
        texture.target = kind == ETextureKind::Cube ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D;
        m_programs->ForgetTextures();
        glBindTexture(texture.target, name);
        const auto w = static_cast<GLsizei>(width);
        const auto h = static_cast<GLsizei>(height);
        if (kind == ETextureKind::DepthStencil) {
            glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH24_STENCIL8, w, h, 0, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8,
                         nullptr);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        } else {
            const int faces = kind == ETextureKind::Cube ? 6 : 1;
            const GLint top = std::min(static_cast<GLint>(std::max<UINT>(levels, 1) - 1), LastLevel(width, height));
            for (int face = 0; face < faces; ++face) {
                const GLenum target =
                    kind == ETextureKind::Cube ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + face : GL_TEXTURE_2D;
                for (GLint level = 0; level <= top; ++level) {
                    glTexImage2D(target, level, GL_RGBA8, std::max(w >> level, 1), std::max(h >> level, 1), 0, GL_BGRA,
                                 GL_UNSIGNED_BYTE, nullptr);
                }
            }
            glTexParameteri(texture.target, GL_TEXTURE_MAX_LEVEL, top);
            texture.lastLevel = top;
            glTexParameteri(texture.target, GL_TEXTURE_MIN_FILTER, top > 0 ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
            glTexParameteri(texture.target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            const GLint wrap = kind == ETextureKind::Cube ? GL_CLAMP_TO_EDGE : GL_REPEAT;
            glTexParameteri(texture.target, GL_TEXTURE_WRAP_S, wrap);
            glTexParameteri(texture.target, GL_TEXTURE_WRAP_T, wrap);
        }
        m_textures[name] = texture;
        return name;
    }

    void UploadTexture(BackendHandle handle, ETextureKind kind, UINT face, UINT width, UINT height,
                       const std::uint8_t* bgra, bool buildMips) override {
        Use();
        const auto name = static_cast<GLuint>(handle);
        const GLenum bindTarget = kind == ETextureKind::Cube ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D;
        const GLenum target = kind == ETextureKind::Cube ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + face : GL_TEXTURE_2D;
        m_programs->ForgetTextures();
        glBindTexture(bindTarget, name);
        glTexSubImage2D(target, 0, 0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_BGRA,
                        GL_UNSIGNED_BYTE, bgra);
        const auto found = m_textures.find(name);
        if (!buildMips || found == m_textures.end()) {
            return;
        }
        // Built here rather than by glGenerateMipmap: llvmpipe draws each level, compiling shaders
        // for it, and that was a good part of loading a level's textures.
        const std::uint8_t* level = bgra;
        for (GLint index = 1; index <= found->second.lastLevel; ++index) {
            std::vector<std::uint8_t>& next = index % 2 == 1 ? m_mipScratch[0] : m_mipScratch[1];
            BuildNextLevel(level, width, height, &next);
            width = NextLevelSize(width);
            height = NextLevelSize(height);
            glTexSubImage2D(target, index, 0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_BGRA,
                            GL_UNSIGNED_BYTE, next.data());
            level = next.data();
        }
    }

    void DestroyTexture(BackendHandle handle) override {
        if (handle == 0) {
            return;
        }
        Use();
        const auto name = static_cast<GLuint>(handle);
        ForgetFramebuffers(name);
        m_programs->ForgetTextures();
        glDeleteTextures(1, &name);
        m_textures.erase(name);
    }

    BackendHandle CreateBuffer(UINT bytes, bool index, bool dynamic) override {
        Use();
        auto buffer = std::make_unique<CGlBuffer>(bytes, index, dynamic);
        const auto handle = reinterpret_cast<BackendHandle>(buffer.get());
        m_buffers[handle] = std::move(buffer);
        return handle;
    }

    void UpdateBuffer(BackendHandle handle, UINT offset, UINT bytes, const void* data, bool renew) override {
        Use();
        reinterpret_cast<CGlBuffer*>(handle)->Update(offset, bytes, data, renew);
    }

    void DestroyBuffer(BackendHandle handle) override {
        auto found = m_buffers.find(handle);
        if (found == m_buffers.end()) {
            return;
        }
        Use();
        // A name freed here may come back for another buffer: what was bound by name is forgotten.
        m_attributesKnown = false;
        m_boundElements = 0;
        m_buffers.erase(found);
    }

    BackendHandle CreateProgram(const std::string& vertexSource, const std::string& fragmentSource,
                                std::string* log) override {
        Use();
        return m_programs->Create(vertexSource, fragmentSource, log);
    }

    void DestroyProgram(BackendHandle handle) override {
        Use();
        m_programs->Destroy(handle);
    }

    void Clear(const SDeviceState& state, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) override {
        Use();
        BindTarget(state);
        const D3DVIEWPORT9& viewport = state.viewport;
        glEnable(GL_SCISSOR_TEST);
        glScissor(static_cast<GLint>(viewport.X), static_cast<GLint>(viewport.Y), static_cast<GLsizei>(viewport.Width),
                  static_cast<GLsizei>(viewport.Height));
        GLbitfield mask = 0;
        if (flags & D3DCLEAR_TARGET) {
            glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
            glClearColor(((colour >> 16) & 0xFF) / 255.0f, ((colour >> 8) & 0xFF) / 255.0f, (colour & 0xFF) / 255.0f,
                         ((colour >> 24) & 0xFF) / 255.0f);
            mask |= GL_COLOR_BUFFER_BIT;
        }
        if ((flags & D3DCLEAR_ZBUFFER) && state.depthStencil != nullptr) {
            glDepthMask(GL_TRUE);
            glClearDepth(z);
            mask |= GL_DEPTH_BUFFER_BIT;
        }
        if ((flags & D3DCLEAR_STENCIL) && state.depthStencil != nullptr) {
            glStencilMask(0xFF);
            glClearStencil(static_cast<GLint>(stencil));
            mask |= GL_STENCIL_BUFFER_BIT;
        }
        glClear(mask);
        glDisable(GL_SCISSOR_TEST);
        m_states.Forget();
    }

    void DrawIndexed(const SDeviceState& state, D3DPRIMITIVETYPE type, INT baseVertex, UINT startIndex, UINT indexCount,
                     UINT lowest, UINT highest) override {
        GLint shift = 0;
        if (state.indices == nullptr || !Prepare(state, &shift)) {
            return;
        }
        const CGlBuffer& indices = *reinterpret_cast<const CGlBuffer*>(state.indices->GetHandle());
        if (m_boundElements != indices.GetName()) {
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices.GetName());
            m_boundElements = indices.GetName();
        }
        const bool wide = state.indices->GetFormat() == D3DFMT_INDEX32;
        const std::size_t offset =
            static_cast<std::size_t>(indices.GetBase()) + static_cast<std::size_t>(startIndex) * (wide ? 4 : 2);
        glDrawRangeElementsBaseVertex(PrimitiveMode(type), lowest, highest, static_cast<GLsizei>(indexCount),
                                      wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, reinterpret_cast<const void*>(offset),
                                      baseVertex + shift);
        Drawn();
    }

    void Draw(const SDeviceState& state, D3DPRIMITIVETYPE type, UINT startVertex, UINT vertexCount) override {
        GLint shift = 0;
        if (!Prepare(state, &shift)) {
            return;
        }
        glDrawArrays(PrimitiveMode(type), static_cast<GLint>(startVertex) + shift, static_cast<GLsizei>(vertexCount));
        Drawn();
    }

    // A software renderer rasterises what it was given only at a flush: flushed now and then, its
    // threads draw the frame's first part while this thread sends the rest, instead of all of it
    // after the last draw, with the present waiting.
    void Drawn() {
        if (++m_drawsSinceFlush >= kDrawsPerFlush) {
            m_drawsSinceFlush = 0;
            glFlush();
        }
    }

    bool ReadPixels(IDirect3DSurface9* surface, UINT width, UINT height, std::vector<std::uint8_t>* bgra) override {
        Use();
        DrainErrors();
        GLuint colour = m_backColour;
        GLenum target = GL_TEXTURE_2D;
        if (surface != nullptr && !Attachment(surface, &colour, &target)) {
            return false;
        }
        const GLuint framebuffer = Framebuffer(colour, target, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        m_boundFramebuffer = framebuffer;
        bgra->resize(static_cast<std::size_t>(width) * height * 4);
        glReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_BGRA, GL_UNSIGNED_BYTE,
                     bgra->data());
        return glGetError() == GL_NO_ERROR;
    }

    void Present() override {
        Use();
        int width = 0;
        int height = 0;
        SDL_GL_GetDrawableSize(m_window, &width, &height);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, Framebuffer(m_backColour, GL_TEXTURE_2D, 0));
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        m_boundFramebuffer = kUnknownFramebuffer;
        // Pixel for pixel when the window is the back buffer's size: no filtering to pay for.
        const bool same = static_cast<UINT>(width) == m_backWidth && static_cast<UINT>(height) == m_backHeight;
        glBlitFramebuffer(0, 0, static_cast<GLint>(m_backWidth), static_cast<GLint>(m_backHeight), 0, height, width, 0,
                          GL_COLOR_BUFFER_BIT, same ? GL_NEAREST : GL_LINEAR);
        SDL_GL_SwapWindow(m_window);
    }

private:
    // An error left by an earlier call must not be taken for the result of the next check.
    static void DrainErrors() {
        for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
        }
    }

    void Use() {
        if (SDL_GL_GetCurrentContext() != m_context) {
            SDL_GL_MakeCurrent(m_window, m_context);
        }
    }

    bool Attachment(IDirect3DSurface9* surface, GLuint* name, GLenum* target) const {
        if (surface->IsBackBuffer()) {
            *name = m_backColour;
            *target = GL_TEXTURE_2D;
            return true;
        }
        const IDirect3DBaseTexture9* container = surface->GetContainer();
        if (container == nullptr || container->GetHandle() == 0) {
            return false;
        }
        *name = static_cast<GLuint>(container->GetHandle());
        *target = container->GetKind() == ETextureKind::Cube ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + surface->GetFace()
                                                             : GL_TEXTURE_2D;
        return true;
    }

    GLuint Framebuffer(GLuint colour, GLenum target, GLuint depth) {
        const auto key = std::make_tuple(colour, target, depth);
        auto found = m_framebuffers.find(key);
        if (found != m_framebuffers.end()) {
            return found->second;
        }
        GLuint fbo = 0;
        glGenFramebuffers(1, &fbo);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        m_boundFramebuffer = fbo;
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, target, colour, 0);
        if (depth != 0) {
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_TEXTURE_2D, depth, 0);
        }
        m_framebuffers[key] = fbo;
        return fbo;
    }

    void ForgetFramebuffers(GLuint texture) {
        for (auto it = m_framebuffers.begin(); it != m_framebuffers.end();) {
            if (std::get<0>(it->first) == texture || std::get<2>(it->first) == texture) {
                if (it->second == m_boundFramebuffer) {
                    m_boundFramebuffer = kUnknownFramebuffer;
                }
                glDeleteFramebuffers(1, &it->second);
                it = m_framebuffers.erase(it);
            } else {
                ++it;
            }
        }
    }

    bool BindTarget(const SDeviceState& state) {
        GLuint colour = 0;
        GLenum target = GL_TEXTURE_2D;
        if (state.renderTarget == nullptr || !Attachment(state.renderTarget, &colour, &target)) {
            return false;
        }
        GLuint depth = 0;
        if (state.depthStencil != nullptr && state.depthStencil->GetContainer() != nullptr) {
            depth = static_cast<GLuint>(state.depthStencil->GetContainer()->GetHandle());
        }
        const GLuint framebuffer = Framebuffer(colour, target, depth);
        if (framebuffer != m_boundFramebuffer) {
            glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
            m_boundFramebuffer = framebuffer;
        }
        return true;
    }

    // A ring buffer moves between renewals; when its place is a whole number of vertices the
    // attributes stay where they are and the draw's base vertex moves instead.
    GLint BindAttributes(const SDeviceState& state) {
        CGlBuffer& vertices = *reinterpret_cast<CGlBuffer*>(state.stream0->GetHandle());
        const auto stride = static_cast<GLsizeiptr>(state.stream0Stride);
        if (vertices.IsDynamic()) {
            vertices.SetAlignment(LeastCommonMultiple(4, stride));
        }
        GLsizeiptr start = vertices.GetBase() + static_cast<GLsizeiptr>(state.stream0Offset);
        GLint shift = 0;
        if (start % stride == 0) {
            shift = static_cast<GLint>(start / stride);
            start = 0;
        }
        const std::array<std::uint64_t, 4> key = {state.vertexDeclaration->Serial(), vertices.GetName(),
                                                  static_cast<std::uint64_t>(start),
                                                  static_cast<std::uint64_t>(stride)};
        if (m_attributesKnown && key == m_attributes) {
            return shift;
        }
        m_attributes = key;
        m_attributesKnown = true;
        for (GLuint location = 0; location < kAttributeCount; ++location) {
            glDisableVertexAttribArray(location);
        }
        glBindBuffer(GL_ARRAY_BUFFER, vertices.GetName());
        for (const D3DVERTEXELEMENT9& element : state.vertexDeclaration->Elements()) {
            const int location = AttributeLocation(element.Usage, element.UsageIndex);
            const bool known = element.Type <= D3DDECLTYPE_FLOAT4 || element.Type == D3DDECLTYPE_D3DCOLOR;
            if (element.Stream != 0 || location < 0 || !known) {
                continue;
            }
            const auto* offset = reinterpret_cast<const void*>(static_cast<std::size_t>(start) + element.Offset);
            glEnableVertexAttribArray(static_cast<GLuint>(location));
            if (element.Type == D3DDECLTYPE_D3DCOLOR) {
                glVertexAttribPointer(static_cast<GLuint>(location), GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE,
                                      static_cast<GLsizei>(stride), offset);
            } else {
                glVertexAttribPointer(static_cast<GLuint>(location), element.Type - D3DDECLTYPE_FLOAT1 + 1, GL_FLOAT,
                                      GL_FALSE, static_cast<GLsizei>(stride), offset);
            }
        }
        return shift;
    }

    bool Prepare(const SDeviceState& state, GLint* shift) {
        Use();
        if (state.program.program == 0 || state.vertexDeclaration == nullptr || state.stream0 == nullptr ||
            state.stream0Stride == 0 || !BindTarget(state)) {
            return false;
        }
        int planes = 0;
        if (!m_programs->Use(state, &planes)) {
            return false;
        }
        m_states.Apply(state, planes);
        *shift = BindAttributes(state);
        return true;
    }

    SDL_Window* m_window;
    SDL_GLContext m_context;
    GLuint m_vao = 0;
    DWORD m_maxTextureSize = 1024;
    GLuint m_backColour = 0;
    UINT m_backWidth = 0;
    UINT m_backHeight = 0;
    int m_drawsSinceFlush = 0;
    std::unordered_map<GLuint, STexture> m_textures;
    std::array<std::vector<std::uint8_t>, 2> m_mipScratch; // one level and the next, kept between uploads
    std::unique_ptr<CGlPrograms> m_programs = std::make_unique<CGlPrograms>();
    std::unordered_map<BackendHandle, std::unique_ptr<CGlBuffer>> m_buffers;
    CGlStates m_states;
    // What the context was last given, so that a draw like the one before sets nothing again.
    static constexpr GLuint kUnknownFramebuffer = ~0u;
    GLuint m_boundFramebuffer = kUnknownFramebuffer;
    GLuint m_boundElements = 0;
    bool m_attributesKnown = false;
    std::array<std::uint64_t, 4> m_attributes = {};
    std::map<std::tuple<GLuint, GLenum, GLuint>, GLuint> m_framebuffers;
};

} // namespace

// A software renderer allocates and frees its vertex arrays on every draw. With the C library's
// defaults each free at the top of the heap hands the pages back to the kernel, and the next draw
// faults them in again, zeroed: on Mesa's llvmpipe that was half of the game thread's frame. Freed
// memory is kept for reuse instead, and only the very largest blocks are mapped on their own.
void KeepFreedMemory() {
    constexpr int kTrimThreshold = 256 << 20;
    constexpr int kMapThreshold = 32 << 20;
    mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
    mallopt(M_MMAP_THRESHOLD, kMapThreshold);
}

std::unique_ptr<IDeviceBackend> CreateGlBackend(SDL_Window* window, std::string* error) {
    if ((SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) == 0) {
        *error = "the window was not made for OpenGL";
        return nullptr;
    }
    KeepFreedMemory();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr) {
        *error = SDL_GetError();
        return nullptr;
    }
    if (epoxy_gl_version() < 33) {
        *error = "OpenGL 3.3 is not offered";
        SDL_GL_DeleteContext(context);
        return nullptr;
    }
    return std::make_unique<CGlBackend>(window, context);
}

} // namespace d3d9
} // namespace platform
