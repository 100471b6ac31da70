#include "platform/d3d9/effect_glsl.h"

#include <cctype>
#include <map>
#include <sstream>

namespace platform {
namespace d3d9 {
namespace {

bool IsTextureType(const std::string& type) {
    return type == "texture" || type == "texture2D" || type == "textureCUBE";
}

std::string Declarations(const SEffectDecl& effect) {
    std::string text = "#version 330 core\n";
    for (const SParamDecl& param : effect.params) {
        const std::string array = param.arrayLength > 0 ? "[" + std::to_string(param.arrayLength) + "]" : "";
        if (param.type == "struct") {
            text += "struct tk_" + param.name + "_t {";
            for (const SParamDecl& member : param.members) {
                const std::string memberArray =
                    member.arrayLength > 0 ? "[" + std::to_string(member.arrayLength) + "]" : "";
                text += " " + GlslType(member.type) + " " + member.name + memberArray + ";";
            }
            text += " };\nuniform tk_" + param.name + "_t " + param.name + array + ";\n";
        } else {
            text += "uniform " + GlslType(param.type) + " " + param.name + array + ";\n";
            if (param.arrayLength == 0 && IsTextureType(param.type)) {
                text += "uniform bool tk_Bound_" + param.name + ";\n";
            }
        }
    }
    return text;
}

std::string Blocks(const SEffectDecl& effect, const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        for (const SGlslBlock& block : effect.blocks) {
            if (block.name == name) {
                text += "#line " + std::to_string(block.firstLine) + "\n" + block.source;
            }
        }
    }
    return text;
}

} // namespace

std::string VertexSource(const SEffectDecl& effect, const SPassDecl& pass) {
    std::string text = Declarations(effect);
    text +=
        "#ifndef TK_CLIP_PLANES\n#define TK_CLIP_PLANES 0\n#endif\n"
        "#if TK_CLIP_PLANES > 0\n"
        "uniform vec4 tk_ClipPlane[TK_CLIP_PLANES];\n"
        "out float gl_ClipDistance[TK_CLIP_PLANES];\n"
        "#endif\n"
        "uniform vec2 tk_PixelAdjust;\n"
        "in vec3 tk_Position;\nin vec3 tk_Normal;\nin vec2 tk_TexCoord;\nin vec3 tk_Tangent;\n"
        "in vec3 tk_Binormal;\nin vec4 tk_Color;\nin vec2 tk_TexCoord1;\n"
        "#define main tk_main\n";
    text += Blocks(effect, pass.vertexBlocks);
    text +=
        "#undef main\n"
        "void main() {\n"
        "    tk_main();\n"
        "    vec4 p = gl_Position;\n"
        "#if TK_CLIP_PLANES > 0\n"
        "    for (int i = 0; i < TK_CLIP_PLANES; ++i) gl_ClipDistance[i] = dot(p, tk_ClipPlane[i]);\n"
        "#endif\n"
        "    gl_Position = vec4(p.x + p.w * tk_PixelAdjust.x, -p.y + p.w * tk_PixelAdjust.y, 2.0 * p.z - p.w, p.w);\n"
        "}\n";
    return text;
}

std::string FragmentSource(const SEffectDecl& effect, const SPassDecl& pass) {
    std::string text = Declarations(effect);
    text +=
        "out vec4 tk_FragColor;\n"
        "#ifndef TK_ALPHA_TEST\n#define TK_ALPHA_TEST 0\n#endif\n"
        "#if TK_ALPHA_TEST\n"
        "uniform int tk_AlphaFunc;\n"
        "uniform float tk_AlphaRef;\n"
        "#endif\n"
        "#define main tk_main\n";
    text += Blocks(effect, pass.fragmentBlocks);
    // The alpha test of the render states, with Direct3D's comparison numbers; a discard in the
    // program costs early depth testing, so only the variant made for the test has one.
    text +=
        "#undef main\n"
        "void main() {\n"
        "    tk_main();\n"
        "#if TK_ALPHA_TEST\n"
        "    float a = tk_FragColor.a;\n"
        "    bool keep = true;\n"
        "    if (tk_AlphaFunc == 1) keep = false;\n"
        "    else if (tk_AlphaFunc == 2) keep = a < tk_AlphaRef;\n"
        "    else if (tk_AlphaFunc == 3) keep = a == tk_AlphaRef;\n"
        "    else if (tk_AlphaFunc == 4) keep = a <= tk_AlphaRef;\n"
        "    else if (tk_AlphaFunc == 5) keep = a > tk_AlphaRef;\n"
        "    else if (tk_AlphaFunc == 6) keep = a != tk_AlphaRef;\n"
        "    else if (tk_AlphaFunc == 7) keep = a >= tk_AlphaRef;\n"
        "    if (!keep) discard;\n"
        "#endif\n"
        "}\n";
    return text;
}

std::string LocateLog(const std::string& log, const std::string& fileName) {
    std::istringstream lines(log);
    std::string line;
    std::string out;
    while (std::getline(lines, line)) {
        if (line.find_first_not_of(" \t\r") == std::string::npos) {
            continue;
        }
        std::size_t at = 0;
        while (at < line.size() && std::isdigit(static_cast<unsigned char>(line[at]))) {
            ++at;
        }
        std::string number;
        std::size_t rest = std::string::npos;
        if (at > 0 && at < line.size() && (line[at] == ':' || line[at] == '(')) {
            std::size_t digits = at + 1;
            while (digits < line.size() && std::isdigit(static_cast<unsigned char>(line[digits]))) {
                number += line[digits];
                ++digits;
            }
            rest = line.find(':', digits);
        }
        if (!number.empty() && rest != std::string::npos) {
            out += fileName + ":" + number + ":" + line.substr(rest + 1) + "\n";
        } else {
            out += fileName + ": " + line + "\n";
        }
    }
    return out;
}

} // namespace d3d9
} // namespace platform
