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

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/gl_attributes.h"

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

GLenum BlendFactor(DWORD value) {
    switch (value) {
        case D3DBLEND_ZERO:
            return GL_ZERO;
        case D3DBLEND_SRCCOLOR:
            return GL_SRC_COLOR;
        case D3DBLEND_INVSRCCOLOR:
            return GL_ONE_MINUS_SRC_COLOR;
        case D3DBLEND_SRCALPHA:
            return GL_SRC_ALPHA;
        case D3DBLEND_INVSRCALPHA:
            return GL_ONE_MINUS_SRC_ALPHA;
        case D3DBLEND_DESTALPHA:
            return GL_DST_ALPHA;
        case D3DBLEND_INVDESTALPHA:
            return GL_ONE_MINUS_DST_ALPHA;
        case D3DBLEND_DESTCOLOR:
            return GL_DST_COLOR;
        case D3DBLEND_INVDESTCOLOR:
            return GL_ONE_MINUS_DST_COLOR;
        default:
            return GL_ONE;
    }
}

GLenum BlendEquation(DWORD value) {
    switch (value) {
        case D3DBLENDOP_SUBTRACT:
            return GL_FUNC_SUBTRACT;
        case D3DBLENDOP_REVSUBTRACT:
            return GL_FUNC_REVERSE_SUBTRACT;
        case D3DBLENDOP_MIN:
            return GL_MIN;
        case D3DBLENDOP_MAX:
            return GL_MAX;
        default:
            return GL_FUNC_ADD;
    }
}

GLenum CompareFunction(DWORD value) {
    switch (value) {
        case D3DCMP_NEVER:
            return GL_NEVER;
        case D3DCMP_LESS:
            return GL_LESS;
        case D3DCMP_EQUAL:
            return GL_EQUAL;
        case D3DCMP_GREATER:
            return GL_GREATER;
        case D3DCMP_NOTEQUAL:
            return GL_NOTEQUAL;
        case D3DCMP_GREATEREQUAL:
            return GL_GEQUAL;
        case D3DCMP_ALWAYS:
            return GL_ALWAYS;
        default:
            return GL_LEQUAL;
    }
}

GLenum PrimitiveMode(D3DPRIMITIVETYPE type) {
    switch (type) {
        case D3DPT_POINTLIST:
            return GL_POINTS;
        case D3DPT_LINELIST:
            return GL_LINES;
        case D3DPT_LINESTRIP:
            return GL_LINE_STRIP;
        case D3DPT_TRIANGLESTRIP:
            return GL_TRIANGLE_STRIP;
        case D3DPT_TRIANGLEFAN:
            return GL_TRIANGLE_FAN;
        default:
            return GL_TRIANGLES;
    }
}

struct STexture {
    GLenum target = GL_TEXTURE_2D;
    ETextureKind kind = ETextureKind::Texture2D;
};

// One build of a program for the states a draw has: how many clip planes are on and whether
// the alpha test is. Locations are found once for the uniform list the program is used with.
struct SVariant {
    GLuint name = 0;
    bool tried = false;
    GLint clipPlanes = -1;
    GLint pixelAdjust = -1;
    GLint alphaFunc = -1;
    GLint alphaRef = -1;
    const std::vector<SUniformBinding>* locatedFor = nullptr;
    std::vector<GLint> locations;
    std::vector<GLint> boundFlags;   // of texture uniforms, -1 for others
    std::vector<std::uint64_t> sent; // the version of each value the program holds
    float adjustSent[2] = {-1.0f, -1.0f};
};

constexpr int kMaxClipPlanes = 6;
// Draws between flushes: few enough that the renderer's threads start early, enough that a
// flush's own cost stays small (measured on Mesa's llvmpipe in the race).
constexpr int kDrawsPerFlush = 64;

// The sources of a program and the variants built from them; sources without the wrapper's
// variant switches have one build only.
struct SProgram {
    std::string vertex;
    std::string fragment;
    bool variants = false;
    SVariant built[kMaxClipPlanes + 1][2];
};

// A buffer's GL side. A dynamic buffer streams through a ring of capacity bytes: each renewal
// places it after everything written before it. The ring is two halves and a renewal lies in
// one: leaving a half fences the draws that read it, and coming back waits on that fence, which
// laps ago has long passed, so the storage is kept instead of orphaned (fresh storage is zeroed
// and faulted in page by page on a software renderer, which cost more than the whole copy). A
// buffer larger than a half orphans its ring when it is full.
struct SBuffer {
    GLuint name = 0;
    GLsizeiptr size = 0;
    GLsizeiptr capacity = 0;
    bool dynamic = false;
    GLsizeiptr base = 0;
    GLsizeiptr written = 0;
    GLsizeiptr alignment = 4;
    GLsync fences[2] = {nullptr, nullptr};
};

// Waits until the draws before the fence have read what they read, then lets the fence go.
void WaitAndDelete(GLsync* fence) {
    if (*fence == nullptr) {
        return;
    }
    constexpr GLuint64 kSecond = 1000000000u;
    GLbitfield flags = GL_SYNC_FLUSH_COMMANDS_BIT;
    for (int tries = 0; tries < 10; ++tries) {
        const GLenum status = glClientWaitSync(*fence, flags, kSecond);
        if (status != GL_TIMEOUT_EXPIRED) {
            break;
        }
        flags = 0;
    }
    glDeleteSync(*fence);
    *fence = nullptr;
}

// Where a renewal of the buffer goes in its ring, fencing and waiting as it crosses halves;
// -1 when the ring must be orphaned (a buffer too large for a half, out of room).
GLsizeiptr PlaceRenewal(SBuffer& buffer) {
    GLsizeiptr at = (buffer.written + buffer.alignment - 1) / buffer.alignment * buffer.alignment;
    const GLsizeiptr half = buffer.capacity / 2;
    if (buffer.size > half) {
        return at + buffer.size > buffer.capacity ? -1 : at;
    }
    if (at < half && at + buffer.size > half) {
        at = half;
    }
    if (at + buffer.size > buffer.capacity) {
        at = 0;
    }
    const int from = buffer.base >= half ? 1 : 0;
    const int to = at >= half ? 1 : 0;
    if (from != to) {
        if (buffer.fences[from] != nullptr) {
            glDeleteSync(buffer.fences[from]);
        }
        buffer.fences[from] = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
        WaitAndDelete(&buffer.fences[to]);
    }
    return at;
}

std::string WithDefines(const std::string& source, int planes, bool alphaTest) {
    const std::size_t line = source.find('\n');
    const std::size_t at = line == std::string::npos ? 0 : line + 1;
    return source.substr(0, at) + "#define TK_CLIP_PLANES " + std::to_string(planes) + "\n#define TK_ALPHA_TEST " +
           (alphaTest ? "1" : "0") + "\n" + source.substr(at);
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

bool Compile(GLuint shader, const std::string& source, std::string* log) {
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        GLint length = 0;
        glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
        std::string text2(static_cast<std::size_t>(std::max(length, 1)), '\0');
        glGetShaderInfoLog(shader, length, nullptr, text2.data());
        *log += text2.c_str();
        return false;
    }
    return true;
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

    BackendHandle CreateTexture(ETextureKind kind, UINT width, UINT height, UINT levels, bool) override {
        Use();
        GLuint name = 0;
        glGenTextures(1, &name);
        STexture texture;
        texture.kind = kind;
        texture.target = kind == ETextureKind::Cube ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D;
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
            for (int face = 0; face < faces; ++face) {
                const GLenum target =
                    kind == ETextureKind::Cube ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + face : GL_TEXTURE_2D;
                glTexImage2D(target, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
            }
            const bool mips = levels > 1;
            glTexParameteri(texture.target, GL_TEXTURE_MAX_LEVEL, mips ? static_cast<GLint>(levels - 1) : 0);
            glTexParameteri(texture.target, GL_TEXTURE_MIN_FILTER, mips ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
            glTexParameteri(texture.target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            const GLint wrap = kind == ETextureKind::Cube ? GL_CLAMP_TO_EDGE : GL_REPEAT;
            glTexParameteri(texture.target, GL_TEXTURE_WRAP_S, wrap);
            glTexParameteri(texture.target, GL_TEXTURE_WRAP_T, wrap);
            if (mips) {
                glGenerateMipmap(texture.target);
            }
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
        glBindTexture(bindTarget, name);
        glTexSubImage2D(target, 0, 0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_BGRA,
                        GL_UNSIGNED_BYTE, bgra);
        if (buildMips) {
            glGenerateMipmap(bindTarget);
        }
    }

    void DestroyTexture(BackendHandle handle) override {
        if (handle == 0) {
            return;
        }
        Use();
        const auto name = static_cast<GLuint>(handle);
        ForgetFramebuffers(name);
        glDeleteTextures(1, &name);
        m_textures.erase(name);
    }

    BackendHandle CreateBuffer(UINT bytes, bool index, bool dynamic) override {
        Use();
        auto buffer = std::make_unique<SBuffer>();
        buffer->size = bytes;
        buffer->dynamic = dynamic;
        buffer->alignment = index ? 4 : 64;
        // Room for a few frames of streaming in each half, so that a fence waited on has passed.
        constexpr GLsizeiptr kLeast = 1 << 20;
        constexpr GLsizeiptr kMost = 64 << 20;
        buffer->capacity =
            dynamic ? buffer->size + std::clamp<GLsizeiptr>(buffer->size * 31, kLeast, kMost) : buffer->size;
        glGenBuffers(1, &buffer->name);
        glBindBuffer(GL_COPY_WRITE_BUFFER, buffer->name);
        glBufferData(GL_COPY_WRITE_BUFFER, buffer->capacity, nullptr, dynamic ? GL_STREAM_DRAW : GL_STATIC_DRAW);
        const auto handle = reinterpret_cast<BackendHandle>(buffer.get());
        m_buffers[handle] = std::move(buffer);
        return handle;
    }

    void UpdateBuffer(BackendHandle handle, UINT offset, UINT bytes, const void* data, bool renew) override {
        Use();
        SBuffer& buffer = *reinterpret_cast<SBuffer*>(handle);
        glBindBuffer(GL_COPY_WRITE_BUFFER, buffer.name);
        if (!buffer.dynamic) {
            glBufferSubData(GL_COPY_WRITE_BUFFER, offset, bytes, data);
            return;
        }
        if (renew) {
            GLsizeiptr at = PlaceRenewal(buffer);
            if (at < 0) {
                glBufferData(GL_COPY_WRITE_BUFFER, buffer.capacity, nullptr, GL_STREAM_DRAW);
                at = 0;
            }
            buffer.base = at;
            buffer.written = at;
        }
        const GLintptr at = buffer.base + offset;
        void* mapped = glMapBufferRange(GL_COPY_WRITE_BUFFER, at, bytes,
                                        GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT | GL_MAP_INVALIDATE_RANGE_BIT);
        if (mapped != nullptr) {
            std::memcpy(mapped, data, bytes);
            glUnmapBuffer(GL_COPY_WRITE_BUFFER);
        } else {
            glBufferSubData(GL_COPY_WRITE_BUFFER, at, bytes, data);
        }
        buffer.written = std::max<GLsizeiptr>(buffer.written, at + bytes);
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
        for (GLsync& fence : found->second->fences) {
            if (fence != nullptr) {
                glDeleteSync(fence);
            }
        }
        glDeleteBuffers(1, &found->second->name);
        m_buffers.erase(found);
    }

    // Builds the plain variant at once, so that bad GLSL is reported when the effect is made;
    // the others are built when a draw first needs them.
    BackendHandle CreateProgram(const std::string& vertexSource, const std::string& fragmentSource,
                                std::string* log) override {
        Use();
        auto program = std::make_unique<SProgram>();
        program->vertex = vertexSource;
        program->fragment = fragmentSource;
        program->variants = vertexSource.find("TK_CLIP_PLANES") != std::string::npos ||
                            fragmentSource.find("TK_ALPHA_TEST") != std::string::npos;
        if (!Build(program.get(), 0, false, log)) {
            return 0;
        }
        const auto handle = reinterpret_cast<BackendHandle>(program.get());
        m_programs[handle] = std::move(program);
        return handle;
    }

    void DestroyProgram(BackendHandle handle) override {
        auto found = m_programs.find(handle);
        if (found == m_programs.end()) {
            return;
        }
        Use();
        for (auto& planes : found->second->built) {
            for (SVariant& variant : planes) {
                if (variant.name != 0) {
                    if (variant.name == m_usedProgram) {
                        m_usedProgram = 0;
                    }
                    glDeleteProgram(variant.name);
                }
            }
        }
        m_programs.erase(found);
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
        m_statesKnown = false;
    }

    void DrawIndexed(const SDeviceState& state, D3DPRIMITIVETYPE type, INT baseVertex, UINT startIndex,
                     UINT indexCount) override {
        GLint shift = 0;
        if (state.indices == nullptr || !Prepare(state, &shift)) {
            return;
        }
        const SBuffer& indices = *reinterpret_cast<const SBuffer*>(state.indices->GetHandle());
        if (m_boundElements != indices.name) {
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices.name);
            m_boundElements = indices.name;
        }
        const bool wide = state.indices->GetFormat() == D3DFMT_INDEX32;
        const std::size_t offset =
            static_cast<std::size_t>(indices.base) + static_cast<std::size_t>(startIndex) * (wide ? 4 : 2);
        glDrawElementsBaseVertex(PrimitiveMode(type), static_cast<GLsizei>(indexCount),
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

    void ApplyStates(const SDeviceState& state, int planes) {
        const DWORD* rs = state.renderStates;
        const D3DVIEWPORT9& viewport = state.viewport;
        const bool depth = state.depthStencil != nullptr && rs[D3DRS_ZENABLE] != FALSE;
        std::array<DWORD, 20> key = {viewport.X,
                                     viewport.Y,
                                     viewport.Width,
                                     viewport.Height,
                                     0,
                                     0,
                                     depth ? 1u : 0u,
                                     rs[D3DRS_ZFUNC],
                                     rs[D3DRS_ZWRITEENABLE] != FALSE,
                                     rs[D3DRS_CULLMODE],
                                     rs[D3DRS_FILLMODE],
                                     rs[D3DRS_ALPHABLENDENABLE] != FALSE,
                                     rs[D3DRS_SRCBLEND],
                                     rs[D3DRS_DESTBLEND],
                                     rs[D3DRS_BLENDOP],
                                     rs[D3DRS_COLORWRITEENABLE],
                                     static_cast<DWORD>(planes),
                                     0,
                                     0,
                                     0};
        std::memcpy(&key[4], &viewport.MinZ, sizeof(float));
        std::memcpy(&key[5], &viewport.MaxZ, sizeof(float));
        if (m_statesKnown && key == m_states) {
            return;
        }
        m_states = key;
        m_statesKnown = true;
        glViewport(static_cast<GLint>(viewport.X), static_cast<GLint>(viewport.Y), static_cast<GLsizei>(viewport.Width),
                   static_cast<GLsizei>(viewport.Height));
        glDepthRange(viewport.MinZ, viewport.MaxZ);
        if (depth) {
            glEnable(GL_DEPTH_TEST);
            glDepthFunc(CompareFunction(rs[D3DRS_ZFUNC]));
        } else {
            glDisable(GL_DEPTH_TEST);
        }
        glDepthMask(rs[D3DRS_ZWRITEENABLE] != FALSE ? GL_TRUE : GL_FALSE);
        if (rs[D3DRS_CULLMODE] == D3DCULL_NONE) {
            glDisable(GL_CULL_FACE);
        } else {
            glEnable(GL_CULL_FACE);
            glFrontFace(GL_CCW);
            glCullFace(rs[D3DRS_CULLMODE] == D3DCULL_CW ? GL_FRONT : GL_BACK);
        }
        const DWORD fill = rs[D3DRS_FILLMODE];
        glPolygonMode(GL_FRONT_AND_BACK, fill == D3DFILL_WIREFRAME ? GL_LINE
                                         : fill == D3DFILL_POINT   ? GL_POINT
                                                                   : GL_FILL);
        if (rs[D3DRS_ALPHABLENDENABLE] != FALSE) {
            glEnable(GL_BLEND);
            glBlendFunc(BlendFactor(rs[D3DRS_SRCBLEND]), BlendFactor(rs[D3DRS_DESTBLEND]));
            glBlendEquation(BlendEquation(rs[D3DRS_BLENDOP]));
        } else {
            glDisable(GL_BLEND);
        }
        const DWORD write = rs[D3DRS_COLORWRITEENABLE];
        glColorMask((write & 1) != 0, (write & 2) != 0, (write & 4) != 0, (write & 8) != 0);
        // The enabled planes reach the program packed from distance 0.
        for (int plane = 0; plane < kMaxClipPlanes; ++plane) {
            if (plane < planes) {
                glEnable(GL_CLIP_DISTANCE0 + plane);
            } else {
                glDisable(GL_CLIP_DISTANCE0 + plane);
            }
        }
    }

    // A ring buffer moves between renewals; when its place is a whole number of vertices the
    // attributes stay where they are and the draw's base vertex moves instead.
    GLint BindAttributes(const SDeviceState& state) {
        SBuffer& vertices = *reinterpret_cast<SBuffer*>(state.stream0->GetHandle());
        const auto stride = static_cast<GLsizeiptr>(state.stream0Stride);
        if (vertices.dynamic) {
            vertices.alignment = LeastCommonMultiple(4, stride);
        }
        GLsizeiptr start = vertices.base + static_cast<GLsizeiptr>(state.stream0Offset);
        GLint shift = 0;
        if (start % stride == 0) {
            shift = static_cast<GLint>(start / stride);
            start = 0;
        }
        const std::array<std::uint64_t, 4> key = {state.vertexDeclaration->Serial(), vertices.name,
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
        glBindBuffer(GL_ARRAY_BUFFER, vertices.name);
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

    bool Build(SProgram* program, int planes, bool alphaTest, std::string* log) {
        SVariant& variant = program->built[planes][alphaTest ? 1 : 0];
        variant.tried = true;
        const std::string vertexSource =
            program->variants ? WithDefines(program->vertex, planes, alphaTest) : program->vertex;
        const std::string fragmentSource =
            program->variants ? WithDefines(program->fragment, planes, alphaTest) : program->fragment;
        const GLuint vertex = glCreateShader(GL_VERTEX_SHADER);
        const GLuint fragment = glCreateShader(GL_FRAGMENT_SHADER);
        const bool vertexOk = Compile(vertex, vertexSource, log);
        const bool fragmentOk = Compile(fragment, fragmentSource, log);
        GLuint name = 0;
        if (vertexOk && fragmentOk) {
            name = glCreateProgram();
            glAttachShader(name, vertex);
            glAttachShader(name, fragment);
            for (const SAttributeName& attribute : kAttributeNames) {
                glBindAttribLocation(name, attribute.location, attribute.name);
            }
            glLinkProgram(name);
            GLint ok = GL_FALSE;
            glGetProgramiv(name, GL_LINK_STATUS, &ok);
            if (ok != GL_TRUE) {
                GLint length = 0;
                glGetProgramiv(name, GL_INFO_LOG_LENGTH, &length);
                std::string text(static_cast<std::size_t>(std::max(length, 1)), '\0');
                glGetProgramInfoLog(name, length, nullptr, text.data());
                *log += "link: ";
                *log += text.c_str();
                glDeleteProgram(name);
                name = 0;
            }
        }
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        if (name == 0) {
            return false;
        }
        variant.name = name;
        variant.clipPlanes = glGetUniformLocation(name, "tk_ClipPlane");
        variant.pixelAdjust = glGetUniformLocation(name, "tk_PixelAdjust");
        variant.alphaFunc = glGetUniformLocation(name, "tk_AlphaFunc");
        variant.alphaRef = glGetUniformLocation(name, "tk_AlphaRef");
        return true;
    }

    SVariant* Variant(const SDeviceState& state, int planes, bool alphaTest) {
        auto* program = reinterpret_cast<SProgram*>(state.program.program);
        SVariant& variant = program->built[planes][alphaTest ? 1 : 0];
        if (!variant.tried) {
            std::string log;
            if (!Build(program, planes, alphaTest, &log)) {
                std::fprintf(stderr, "Direct3D device: program variant with %d clip planes%s does not build: %s\n",
                             planes, alphaTest ? " and the alpha test" : "", log.c_str());
            }
        }
        return variant.name != 0 ? &variant : nullptr;
    }

    void BindProgram(const SDeviceState& state, SVariant& program, int planes, bool alphaTest) {
        if (m_usedProgram != program.name) {
            glUseProgram(program.name);
            m_usedProgram = program.name;
        }
        if (planes > 0 && program.clipPlanes >= 0) {
            float packed[kMaxClipPlanes][4];
            int at = 0;
            for (int plane = 0; plane < kMaxClipPlanes; ++plane) {
                if ((state.renderStates[D3DRS_CLIPPLANEENABLE] & (1u << plane)) != 0) {
                    std::memcpy(packed[at++], state.clipPlanes[plane], sizeof(packed[0]));
                }
            }
            glUniform4fv(program.clipPlanes, planes, &packed[0][0]);
        }
        if (program.pixelAdjust >= 0) {
            const float adjust[2] = {1.0f / static_cast<float>(std::max<DWORD>(1, state.viewport.Width)),
                                     1.0f / static_cast<float>(std::max<DWORD>(1, state.viewport.Height))};
            if (adjust[0] != program.adjustSent[0] || adjust[1] != program.adjustSent[1]) {
                glUniform2fv(program.pixelAdjust, 1, adjust);
                program.adjustSent[0] = adjust[0];
                program.adjustSent[1] = adjust[1];
            }
        }
        if (alphaTest && program.alphaFunc >= 0) {
            glUniform1i(program.alphaFunc, static_cast<GLint>(state.renderStates[D3DRS_ALPHAFUNC]));
            glUniform1f(program.alphaRef, static_cast<float>(state.renderStates[D3DRS_ALPHAREF] & 0xFF) / 255.0f);
        }
        const std::vector<SUniformBinding>* uniforms = state.program.uniforms;
        if (uniforms == nullptr) {
            return;
        }
        if (program.locatedFor != uniforms || program.locations.size() != uniforms->size()) {
            program.locatedFor = uniforms;
            program.locations.clear();
            program.boundFlags.clear();
            program.sent.assign(uniforms->size(), 0);
            for (const SUniformBinding& uniform : *uniforms) {
                program.locations.push_back(glGetUniformLocation(program.name, uniform.name->c_str()));
                const bool sampler =
                    uniform.type == EUniformType::Sampler2D || uniform.type == EUniformType::SamplerCube;
                program.boundFlags.push_back(
                    sampler ? glGetUniformLocation(program.name, ("tk_Bound_" + *uniform.name).c_str()) : -1);
            }
        }
        GLint unit = 0;
        for (std::size_t i = 0; i < uniforms->size(); ++i) {
            const SUniformBinding& uniform = (*uniforms)[i];
            const GLint location = program.locations[i];
            const bool sampler = uniform.type == EUniformType::Sampler2D || uniform.type == EUniformType::SamplerCube;
            if (location < 0 || (!sampler && uniform.version != nullptr && program.sent[i] == *uniform.version)) {
                continue;
            }
            if (uniform.version != nullptr) {
                program.sent[i] = *uniform.version;
            }
            const auto count = static_cast<GLsizei>(uniform.count);
            switch (uniform.type) {
                case EUniformType::Float:
                    switch (uniform.components) {
                        case 1:
                            glUniform1fv(location, count, uniform.floats);
                            break;
                        case 2:
                            glUniform2fv(location, count, uniform.floats);
                            break;
                        case 3:
                            glUniform3fv(location, count, uniform.floats);
                            break;
                        default:
                            glUniform4fv(location, count, uniform.floats);
                            break;
                    }
                    break;
                case EUniformType::Matrix:
                    glUniformMatrix4fv(location, count, GL_FALSE, uniform.floats);
                    break;
                case EUniformType::Int:
                case EUniformType::Bool:
                    glUniform1iv(location, count, uniform.ints);
                    break;
                case EUniformType::Sampler2D:
                case EUniformType::SamplerCube: {
                    const GLenum target =
                        uniform.type == EUniformType::SamplerCube ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D;
                    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
                    GLuint texture = 0;
                    // A texture of the other kind would be an OpenGL error: the sampler gets none.
                    const ETextureKind wanted =
                        uniform.type == EUniformType::SamplerCube ? ETextureKind::Cube : ETextureKind::Texture2D;
                    if (uniform.texture != nullptr && uniform.texture->DeviceOf() != nullptr &&
                        uniform.texture->GetKind() == wanted) {
                        texture = static_cast<GLuint>(uniform.texture->GetHandle());
                    }
                    glBindTexture(target, texture);
                    glUniform1i(location, unit);
                    if (program.boundFlags[i] >= 0) {
                        glUniform1i(program.boundFlags[i], texture != 0 ? 1 : 0);
                    }
                    ++unit;
                    break;
                }
            }
        }
        if (unit > 0) {
            glActiveTexture(GL_TEXTURE0);
        }
    }

    bool Prepare(const SDeviceState& state, GLint* shift) {
        Use();
        if (state.program.program == 0 || state.vertexDeclaration == nullptr || state.stream0 == nullptr ||
            state.stream0Stride == 0 || !BindTarget(state)) {
            return false;
        }
        const auto* program = reinterpret_cast<const SProgram*>(state.program.program);
        const DWORD* rs = state.renderStates;
        const int planes = program->variants ? __builtin_popcount(rs[D3DRS_CLIPPLANEENABLE] & 0x3Fu) : 0;
        const bool alphaTest =
            program->variants && rs[D3DRS_ALPHATESTENABLE] != FALSE && rs[D3DRS_ALPHAFUNC] != D3DCMP_ALWAYS;
        SVariant* variant = Variant(state, planes, alphaTest);
        if (variant == nullptr) {
            return false;
        }
        ApplyStates(state, planes);
        BindProgram(state, *variant, planes, alphaTest);
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
    std::unordered_map<BackendHandle, std::unique_ptr<SProgram>> m_programs;
    std::unordered_map<BackendHandle, std::unique_ptr<SBuffer>> m_buffers;
    // What the context was last given, so that a draw like the one before sets nothing again.
    static constexpr GLuint kUnknownFramebuffer = ~0u;
    GLuint m_boundFramebuffer = kUnknownFramebuffer;
    GLuint m_boundElements = 0;
    GLuint m_usedProgram = 0;
    bool m_statesKnown = false;
    std::array<DWORD, 20> m_states = {};
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
