// Small effect files for the renderer and effect-manager tests, in the device stand-in's
// effect container, and solid-colour texture files; written into a test's temporary directory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tktest {

// The shared parameters, declared as "Dummy.fx" declares them.
inline std::string SharedParams() {
    return "shared param float4x4 ViewInverse : ViewInverse;\n"
           "shared param float4x4 View : View;\n"
           "shared param float4x4 ViewProjection : ViewProjection;\n"
           "shared param struct g_light { int m_type; float3 m_pos; float3 m_dir; float3 m_falloff; float m_range;\n"
           "    float4 m_ambient; float4 m_diffuse; float4 m_specular; };\n"
           "shared param float g_fogstart;\nshared param float g_fogend;\nshared param float g_fogdensity;\n"
           "shared param float4 g_fogcolor;\nshared param float g_time;\nshared param float g_ElapsedTime;\n";
}

inline std::string UnitParams() {
    return "param float4x4 World : World;\n"
           "param float4x4 WorldView : WorldView;\n"
           "param float4x4 WorldViewProjection : WorldViewProjection;\n"
           "param float4x4 WorldInverseTranspose : WorldInverseTranspose;\n"
           "param float4 g_MaterialAmbient;\nparam float4 g_MaterialDiffuse;\nparam float4 g_MaterialSpecular;\n"
           "param float g_specular_power;\nparam float g_TileFactor = 1.0;\n";
}

// A lit, textured effect: ambient plus diffuse of light 0 times the texture "sampler"; every
// technique named has `passes` passes. `extra` declares further parameters.
inline std::string LitEffect(const std::vector<std::string>& techniques, int passes, const std::string& extra,
                             const std::string& sampler, bool blend = false) {
    std::string text = SharedParams() + UnitParams() + extra;
    for (const std::string& technique : techniques) {
        text += "technique " + technique + " {\n";
        for (int pass = 0; pass < passes; ++pass) {
            text += " pass P" + std::to_string(pass) + " { vertex = VS; fragment = PS; CullMode = None; " +
                    std::string(blend ? "AlphaBlendEnable = true; SrcBlend = SrcAlpha; DestBlend = InvSrcAlpha;"
                                      : "AlphaBlendEnable = false;") +
                    " }\n";
        }
        text += "}\n";
    }
    text +=
        "glsl VS {{\nout vec2 v_uv;\nout vec3 v_normal;\nvoid main() {\n"
        "    v_uv = tk_TexCoord * g_TileFactor;\n"
        "    v_normal = (WorldInverseTranspose * vec4(tk_Normal, 0.0)).xyz;\n"
        "    gl_Position = WorldViewProjection * vec4(tk_Position, 1.0);\n}\n}}\n";
    text +=
        "glsl PS {{\nin vec2 v_uv;\nin vec3 v_normal;\nvoid main() {\n"
        "    vec4 base = texture(" +
        sampler +
        ", v_uv);\n"
        "    float lit = length(v_normal) > 0.0 ? max(dot(normalize(v_normal), -g_light.m_dir), 0.0) : 0.0;\n"
        "    vec4 light = g_MaterialAmbient * g_light.m_ambient + g_MaterialDiffuse * g_light.m_diffuse * lit;\n"
        "    tk_FragColor = vec4(base.rgb * (" +
        std::string(blend ? "vec3(1.0)" : "light.rgb") + "), base.a);\n}\n}}\n";
    return text;
}

// Texture parameters for names.
inline std::string Textures(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += "param texture2D " + name + ";\n";
    }
    return text;
}

// A 2 x 2 24-bit BMP of one colour.
inline std::string SolidBmp(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    const std::uint8_t header[54] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0,  0,
                                     2,   0,   0,  0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0,  0, 16, 0,
                                     0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0,  0};
    std::string bytes(reinterpret_cast<const char*>(header), sizeof(header));
    const std::string pixel = {static_cast<char>(b), static_cast<char>(g), static_cast<char>(r)};
    for (int row = 0; row < 2; ++row) {
        bytes += pixel + pixel + std::string(2, '\0');
    }
    return bytes;
}

} // namespace tktest
