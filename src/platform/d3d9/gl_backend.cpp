#include <SDL2/SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
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

struct SProgram {
    std::unordered_map<std::string, GLint> locations;
    GLint clipPlanes = -1;
    GLint pixelAdjust = -1;
    GLint alphaFunc = -1;
    GLint alphaRef = -1;
};

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

    BackendHandle CreateBuffer(UINT bytes, bool) override {
        Use();
        GLuint name = 0;
        glGenBuffers(1, &name);
        glBindBuffer(GL_ARRAY_BUFFER, name);
        glBufferData(GL_ARRAY_BUFFER, bytes, nullptr, GL_DYNAMIC_DRAW);
        return name;
    }

    void UpdateBuffer(BackendHandle buffer, bool, UINT offset, UINT bytes, const void* data, bool discard,
                      UINT totalBytes) override {
        Use();
        glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(buffer));
        if (discard) {
            glBufferData(GL_ARRAY_BUFFER, totalBytes, nullptr, GL_DYNAMIC_DRAW);
        }
        glBufferSubData(GL_ARRAY_BUFFER, offset, bytes, data);
    }

    void DestroyBuffer(BackendHandle buffer) override {
        if (buffer == 0) {
            return;
        }
        Use();
        const auto name = static_cast<GLuint>(buffer);
        glDeleteBuffers(1, &name);
    }

    BackendHandle CreateProgram(const std::string& vertexSource, const std::string& fragmentSource,
                                std::string* log) override {
        Use();
        const GLuint vertex = glCreateShader(GL_VERTEX_SHADER);
        const GLuint fragment = glCreateShader(GL_FRAGMENT_SHADER);
        const bool vertexOk = Compile(vertex, vertexSource, log);
        const bool fragmentOk = Compile(fragment, fragmentSource, log);
        GLuint program = 0;
        if (vertexOk && fragmentOk) {
            program = glCreateProgram();
            glAttachShader(program, vertex);
            glAttachShader(program, fragment);
            for (const SAttributeName& attribute : kAttributeNames) {
                glBindAttribLocation(program, attribute.location, attribute.name);
            }
            glLinkProgram(program);
            GLint ok = GL_FALSE;
            glGetProgramiv(program, GL_LINK_STATUS, &ok);
            if (ok != GL_TRUE) {
                GLint length = 0;
                glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
                std::string text(static_cast<std::size_t>(std::max(length, 1)), '\0');
                glGetProgramInfoLog(program, length, nullptr, text.data());
                *log += "link: ";
                *log += text.c_str();
                glDeleteProgram(program);
                program = 0;
            }
        }
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        if (program != 0) {
            SProgram& entry = m_programs[program];
            entry.clipPlanes = glGetUniformLocation(program, "tk_ClipPlane");
            entry.pixelAdjust = glGetUniformLocation(program, "tk_PixelAdjust");
            entry.alphaFunc = glGetUniformLocation(program, "tk_AlphaFunc");
            entry.alphaRef = glGetUniformLocation(program, "tk_AlphaRef");
        }
        return program;
    }

    void DestroyProgram(BackendHandle program) override {
        if (program == 0) {
            return;
        }
        Use();
        glDeleteProgram(static_cast<GLuint>(program));
        m_programs.erase(static_cast<GLuint>(program));
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
    }

    void DrawIndexed(const SDeviceState& state, D3DPRIMITIVETYPE type, INT baseVertex, UINT startIndex,
                     UINT indexCount) override {
        if (!Prepare(state)) {
            return;
        }
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLuint>(state.indices->GetHandle()));
        const bool wide = state.indices->GetFormat() == D3DFMT_INDEX32;
        const std::size_t offset = static_cast<std::size_t>(startIndex) * (wide ? 4 : 2);
        glDrawElementsBaseVertex(PrimitiveMode(type), static_cast<GLsizei>(indexCount),
                                 wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, reinterpret_cast<const void*>(offset),
                                 baseVertex);
    }

    void Draw(const SDeviceState& state, D3DPRIMITIVETYPE type, UINT startVertex, UINT vertexCount) override {
        if (!Prepare(state)) {
            return;
        }
        glDrawArrays(PrimitiveMode(type), static_cast<GLint>(startVertex), static_cast<GLsizei>(vertexCount));
    }

    bool ReadPixels(IDirect3DSurface9* surface, UINT width, UINT height, std::vector<std::uint8_t>* bgra) override {
        Use();
        DrainErrors();
        GLuint colour = m_backColour;
        GLenum target = GL_TEXTURE_2D;
        if (surface != nullptr && !Attachment(surface, &colour, &target)) {
            return false;
        }
        glBindFramebuffer(GL_FRAMEBUFFER, Framebuffer(colour, target, 0));
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
        glBlitFramebuffer(0, 0, static_cast<GLint>(m_backWidth), static_cast<GLint>(m_backHeight), 0, height, width, 0,
                          GL_COLOR_BUFFER_BIT, GL_LINEAR);
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
        glBindFramebuffer(GL_FRAMEBUFFER, Framebuffer(colour, target, depth));
        return true;
    }

    void ApplyStates(const SDeviceState& state) {
        const DWORD* rs = state.renderStates;
        const D3DVIEWPORT9& viewport = state.viewport;
        glViewport(static_cast<GLint>(viewport.X), static_cast<GLint>(viewport.Y), static_cast<GLsizei>(viewport.Width),
                   static_cast<GLsizei>(viewport.Height));
        glDepthRange(viewport.MinZ, viewport.MaxZ);
        const bool depth = state.depthStencil != nullptr && rs[D3DRS_ZENABLE] != FALSE;
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
        for (int plane = 0; plane < 6; ++plane) {
            if (rs[D3DRS_CLIPPLANEENABLE] & (1u << plane)) {
                glEnable(GL_CLIP_DISTANCE0 + plane);
            } else {
                glDisable(GL_CLIP_DISTANCE0 + plane);
            }
        }
    }

    void BindAttributes(const SDeviceState& state) {
        for (GLuint location = 0; location < kAttributeCount; ++location) {
            glDisableVertexAttribArray(location);
        }
        glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(state.stream0->GetHandle()));
        const auto stride = static_cast<GLsizei>(state.stream0Stride);
        for (const D3DVERTEXELEMENT9& element : state.vertexDeclaration->Elements()) {
            const int location = AttributeLocation(element.Usage, element.UsageIndex);
            const bool known = element.Type <= D3DDECLTYPE_FLOAT4 || element.Type == D3DDECLTYPE_D3DCOLOR;
            if (element.Stream != 0 || location < 0 || !known) {
                continue;
            }
            const auto* offset =
                reinterpret_cast<const void*>(static_cast<std::size_t>(state.stream0Offset) + element.Offset);
            glEnableVertexAttribArray(static_cast<GLuint>(location));
            if (element.Type == D3DDECLTYPE_D3DCOLOR) {
                glVertexAttribPointer(static_cast<GLuint>(location), GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                                      offset);
            } else {
                glVertexAttribPointer(static_cast<GLuint>(location), element.Type - D3DDECLTYPE_FLOAT1 + 1, GL_FLOAT,
                                      GL_FALSE, stride, offset);
            }
        }
    }

    void BindProgram(const SDeviceState& state) {
        const auto name = static_cast<GLuint>(state.program.program);
        glUseProgram(name);
        SProgram& program = m_programs[name];
        if (program.clipPlanes >= 0) {
            // A disabled plane keeps every point with w > 0, whatever the driver does with the
            // distances of disabled planes.
            float planes[6][4];
            for (int plane = 0; plane < 6; ++plane) {
                const bool enabled = (state.renderStates[D3DRS_CLIPPLANEENABLE] & (1u << plane)) != 0;
                for (int i = 0; i < 4; ++i) {
                    planes[plane][i] = enabled ? state.clipPlanes[plane][i] : (i == 3 ? 1.0f : 0.0f);
                }
            }
            glUniform4fv(program.clipPlanes, 6, &planes[0][0]);
        }
        if (program.pixelAdjust >= 0) {
            glUniform2f(program.pixelAdjust, 1.0f / static_cast<float>(std::max<DWORD>(1, state.viewport.Width)),
                        1.0f / static_cast<float>(std::max<DWORD>(1, state.viewport.Height)));
        }
        if (program.alphaFunc >= 0) {
            const bool test = state.renderStates[D3DRS_ALPHATESTENABLE] != FALSE;
            const DWORD function = state.renderStates[D3DRS_ALPHAFUNC];
            glUniform1i(program.alphaFunc, test && function != D3DCMP_ALWAYS ? static_cast<GLint>(function) : 0);
            glUniform1f(program.alphaRef, static_cast<float>(state.renderStates[D3DRS_ALPHAREF] & 0xFF) / 255.0f);
        }
        if (state.program.uniforms == nullptr) {
            return;
        }
        GLint unit = 0;
        for (const SUniformBinding& uniform : *state.program.uniforms) {
            auto found = program.locations.find(*uniform.name);
            if (found == program.locations.end()) {
                found =
                    program.locations.emplace(*uniform.name, glGetUniformLocation(name, uniform.name->c_str())).first;
            }
            const GLint location = found->second;
            if (location < 0) {
                continue;
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
                    ++unit;
                    break;
                }
            }
        }
        glActiveTexture(GL_TEXTURE0);
    }

    bool Prepare(const SDeviceState& state) {
        Use();
        if (state.program.program == 0 || state.vertexDeclaration == nullptr || state.stream0 == nullptr ||
            !BindTarget(state)) {
            return false;
        }
        ApplyStates(state);
        BindProgram(state);
        BindAttributes(state);
        return true;
    }

    SDL_Window* m_window;
    SDL_GLContext m_context;
    GLuint m_vao = 0;
    DWORD m_maxTextureSize = 1024;
    GLuint m_backColour = 0;
    UINT m_backWidth = 0;
    UINT m_backHeight = 0;
    std::unordered_map<GLuint, STexture> m_textures;
    std::unordered_map<GLuint, SProgram> m_programs;
    std::map<std::tuple<GLuint, GLenum, GLuint>, GLuint> m_framebuffers;
};

} // namespace

std::unique_ptr<IDeviceBackend> CreateGlBackend(SDL_Window* window, std::string* error) {
    if ((SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) == 0) {
        *error = "the window was not made for OpenGL";
        return nullptr;
    }
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
