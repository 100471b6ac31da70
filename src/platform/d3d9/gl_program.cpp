#include "platform/d3d9/gl_program.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/gl_attributes.h"

namespace platform {
namespace d3d9 {

// One build of a program. Locations are found once for the uniform list it is used with.
struct CGlPrograms::SVariant {
    GLuint name = 0;
    bool tried = false;
    GLint clipPlanes = -1;
    GLint pixelAdjust = -1;
    GLint alphaFunc = -1;
    GLint alphaRef = -1;
    const std::vector<SUniformBinding>* locatedFor = nullptr;
    std::vector<GLint> locations;
    std::vector<GLint> boundFlags;   // of texture uniforms, -1 for others
    std::vector<GLint> units;        // the texture unit of each texture uniform, -1 for others
    std::vector<GLint> flagsSent;    // the bound flag each texture uniform last had, -1 none yet
    std::vector<std::uint64_t> sent; // the version of each value the build holds
    float adjustSent[2] = {-1.0f, -1.0f};
};

// The sources of a program and the builds made from them; sources without the variant switches
// have one build only.
struct CGlPrograms::SProgram {
    std::string vertex;
    std::string fragment;
    bool variants = false;
    SVariant built[kMaxClipPlanes + 1][2];
};

namespace {

std::string WithDefines(const std::string& source, int planes, bool alphaTest) {
    const std::size_t line = source.find('\n');
    const std::size_t at = line == std::string::npos ? 0 : line + 1;
    return source.substr(0, at) + "#define TK_CLIP_PLANES " + std::to_string(planes) + "\n#define TK_ALPHA_TEST " +
           (alphaTest ? "1" : "0") + "\n" + source.substr(at);
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

// A linked program of the two sources with the attribute slots bound; 0 with the log on failure.
GLuint Link(const std::string& vertexSource, const std::string& fragmentSource, std::string* log) {
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
    return name;
}

bool IsSampler(EUniformType type) { return type == EUniformType::Sampler2D || type == EUniformType::SamplerCube; }

} // namespace

CGlPrograms::CGlPrograms() { ForgetTextures(); }

CGlPrograms::~CGlPrograms() {
    for (auto& [handle, program] : m_programs) {
        for (auto& planes : program->built) {
            for (SVariant& variant : planes) {
                if (variant.name != 0) {
                    glDeleteProgram(variant.name);
                }
            }
        }
    }
}

BackendHandle CGlPrograms::Create(const std::string& vertexSource, const std::string& fragmentSource,
                                  std::string* log) {
    auto program = std::make_unique<SProgram>();
    program->vertex = vertexSource;
    program->fragment = fragmentSource;
    program->variants = vertexSource.find("TK_CLIP_PLANES") != std::string::npos ||
                        fragmentSource.find("TK_ALPHA_TEST") != std::string::npos;
    SVariant& plain = program->built[0][0];
    plain.tried = true;
    plain.name = program->variants
                     ? Link(WithDefines(vertexSource, 0, false), WithDefines(fragmentSource, 0, false), log)
                     : Link(vertexSource, fragmentSource, log);
    if (plain.name == 0) {
        return 0;
    }
    plain.clipPlanes = glGetUniformLocation(plain.name, "tk_ClipPlane");
    plain.pixelAdjust = glGetUniformLocation(plain.name, "tk_PixelAdjust");
    plain.alphaFunc = glGetUniformLocation(plain.name, "tk_AlphaFunc");
    plain.alphaRef = glGetUniformLocation(plain.name, "tk_AlphaRef");
    const auto handle = reinterpret_cast<BackendHandle>(program.get());
    m_programs[handle] = std::move(program);
    return handle;
}

void CGlPrograms::Destroy(BackendHandle handle) {
    auto found = m_programs.find(handle);
    if (found == m_programs.end()) {
        return;
    }
    for (auto& planes : found->second->built) {
        for (SVariant& variant : planes) {
            if (variant.name != 0) {
                if (variant.name == m_used) {
                    m_used = 0;
                }
                glDeleteProgram(variant.name);
            }
        }
    }
    m_programs.erase(found);
}

CGlPrograms::SVariant* CGlPrograms::Variant(SProgram& program, int planes, bool alphaTest) {
    SVariant& variant = program.built[planes][alphaTest ? 1 : 0];
    if (!variant.tried) {
        variant.tried = true;
        std::string log;
        variant.name = Link(WithDefines(program.vertex, planes, alphaTest),
                            WithDefines(program.fragment, planes, alphaTest), &log);
        if (variant.name == 0) {
            std::fprintf(stderr, "Direct3D device: program variant with %d clip planes%s does not build: %s\n", planes,
                         alphaTest ? " and the alpha test" : "", log.c_str());
        } else {
            variant.clipPlanes = glGetUniformLocation(variant.name, "tk_ClipPlane");
            variant.pixelAdjust = glGetUniformLocation(variant.name, "tk_PixelAdjust");
            variant.alphaFunc = glGetUniformLocation(variant.name, "tk_AlphaFunc");
            variant.alphaRef = glGetUniformLocation(variant.name, "tk_AlphaRef");
        }
    }
    return variant.name != 0 ? &variant : nullptr;
}

void CGlPrograms::ForgetTextures() {
    for (auto& unit : m_textures) {
        unit.fill(kUnknown);
    }
}

// Every texture call of the device outside Use goes to unit 0, so that unit is left active.
void CGlPrograms::BindTexture(GLint unit, GLenum target, GLuint texture) {
    GLuint* held =
        unit < kUnits ? &m_textures[static_cast<std::size_t>(unit)][target == GL_TEXTURE_CUBE_MAP ? 1 : 0] : nullptr;
    if (held != nullptr && *held == texture) {
        return;
    }
    if (unit != 0) {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    }
    glBindTexture(target, texture);
    if (unit != 0) {
        glActiveTexture(GL_TEXTURE0);
    }
    if (held != nullptr) {
        *held = texture;
    }
}

bool CGlPrograms::Use(const SDeviceState& state, int* planes) {
    auto found = m_programs.find(state.program.program);
    if (found == m_programs.end()) {
        return false;
    }
    SProgram& program = *found->second;
    const DWORD* rs = state.renderStates;
    *planes = program.variants ? __builtin_popcount(rs[D3DRS_CLIPPLANEENABLE] & 0x3Fu) : 0;
    const bool alphaTest =
        program.variants && rs[D3DRS_ALPHATESTENABLE] != FALSE && rs[D3DRS_ALPHAFUNC] != D3DCMP_ALWAYS;
    SVariant* variant = Variant(program, *planes, alphaTest);
    if (variant == nullptr) {
        return false;
    }
    if (m_used != variant->name) {
        glUseProgram(variant->name);
        m_used = variant->name;
    }
    if (*planes > 0 && variant->clipPlanes >= 0) {
        float packed[kMaxClipPlanes][4];
        int at = 0;
        for (int plane = 0; plane < kMaxClipPlanes; ++plane) {
            if ((rs[D3DRS_CLIPPLANEENABLE] & (1u << plane)) != 0) {
                std::memcpy(packed[at++], state.clipPlanes[plane], sizeof(packed[0]));
            }
        }
        glUniform4fv(variant->clipPlanes, *planes, &packed[0][0]);
    }
    if (variant->pixelAdjust >= 0) {
        const float adjust[2] = {1.0f / static_cast<float>(std::max<DWORD>(1, state.viewport.Width)),
                                 1.0f / static_cast<float>(std::max<DWORD>(1, state.viewport.Height))};
        if (adjust[0] != variant->adjustSent[0] || adjust[1] != variant->adjustSent[1]) {
            glUniform2fv(variant->pixelAdjust, 1, adjust);
            variant->adjustSent[0] = adjust[0];
            variant->adjustSent[1] = adjust[1];
        }
    }
    if (alphaTest && variant->alphaFunc >= 0) {
        glUniform1i(variant->alphaFunc, static_cast<GLint>(rs[D3DRS_ALPHAFUNC]));
        glUniform1f(variant->alphaRef, static_cast<float>(rs[D3DRS_ALPHAREF] & 0xFF) / 255.0f);
    }
    if (state.program.uniforms != nullptr) {
        SendUniforms(state, *variant);
    }
    return true;
}

// Values go only when their version moved. Each texture uniform keeps its unit for good, so its
// sampler is set once; a texture is bound only when its unit holds another.
void CGlPrograms::SendUniforms(const SDeviceState& state, SVariant& variant) {
    const std::vector<SUniformBinding>& uniforms = *state.program.uniforms;
    if (variant.locatedFor != &uniforms || variant.locations.size() != uniforms.size()) {
        variant.locatedFor = &uniforms;
        variant.locations.clear();
        variant.boundFlags.clear();
        variant.units.clear();
        variant.flagsSent.assign(uniforms.size(), -1);
        variant.sent.assign(uniforms.size(), 0);
        GLint unit = 0;
        for (const SUniformBinding& uniform : uniforms) {
            const GLint location = glGetUniformLocation(variant.name, uniform.name->c_str());
            variant.locations.push_back(location);
            const bool sampler = IsSampler(uniform.type);
            variant.boundFlags.push_back(
                sampler ? glGetUniformLocation(variant.name, ("tk_Bound_" + *uniform.name).c_str()) : -1);
            if (sampler && location >= 0) {
                glUniform1i(location, unit);
                variant.units.push_back(unit++);
            } else {
                variant.units.push_back(-1);
            }
        }
    }
    for (std::size_t i = 0; i < uniforms.size(); ++i) {
        const SUniformBinding& uniform = uniforms[i];
        const GLint location = variant.locations[i];
        if (location < 0) {
            continue;
        }
        if (IsSampler(uniform.type)) {
            const bool cube = uniform.type == EUniformType::SamplerCube;
            GLuint texture = 0;
            // A texture of the other kind would be an OpenGL error: the sampler gets none.
            const ETextureKind wanted = cube ? ETextureKind::Cube : ETextureKind::Texture2D;
            if (uniform.texture != nullptr && uniform.texture->DeviceOf() != nullptr &&
                uniform.texture->GetKind() == wanted) {
                texture = static_cast<GLuint>(uniform.texture->GetHandle());
            }
            BindTexture(variant.units[i], cube ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D, texture);
            const GLint bound = texture != 0 ? 1 : 0;
            if (variant.boundFlags[i] >= 0 && variant.flagsSent[i] != bound) {
                glUniform1i(variant.boundFlags[i], bound);
                variant.flagsSent[i] = bound;
            }
            continue;
        }
        if (uniform.version != nullptr) {
            if (variant.sent[i] == *uniform.version) {
                continue;
            }
            variant.sent[i] = *uniform.version;
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
            default:
                glUniform1iv(location, count, uniform.ints);
                break;
        }
    }
}

} // namespace d3d9
} // namespace platform
