// Reads the device stand-in's effect container: parameters (optionally shared through the pool,
// with a semantic, a default value, struct members and array length), techniques with passes
// that name their GLSL blocks and render states, and raw GLSL blocks. Pure text work; errors
// come back as "file:line: message". Thread-safe (no state).
//
//   // comment
//   shared param float4x4 View : View;
//   param float g_TileFactor = 1.0;
//   param texture2D g_Texture1;
//   shared param struct g_light { int m_type; float3 m_pos; };
//   param struct g_Waves[2] { float m_freq; float2 m_dir; };
//   technique TextureMapping {
//       pass P0 { vertex = Common, VS; fragment = Common, PS; AlphaBlendEnable = true; SrcBlend = SrcAlpha; }
//   }
//   glsl VS {{
//   void main() { gl_Position = WorldViewProjection * vec4(tk_Position, 1.0); }
//   }}
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/d3d9/d3d9_constants.h"

namespace platform {
namespace d3d9 {

struct SParamDecl {
    std::string type; // float, float2, float3, float4, float4x4, int, bool, texture2D, textureCUBE, struct
    std::string name;
    std::string semantic;
    bool shared = false;
    unsigned arrayLength = 0; // 0: not an array
    std::vector<float> initial;
    std::vector<SParamDecl> members;
    int line = 0;
};

struct SPassDecl {
    std::string name;
    std::vector<std::string> vertexBlocks;
    std::vector<std::string> fragmentBlocks;
    std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> states;
    int line = 0;
};

struct STechniqueDecl {
    std::string name;
    std::vector<SPassDecl> passes;
    int line = 0;
};

struct SGlslBlock {
    std::string name;
    std::string source;
    int firstLine = 0;
};

struct SEffectDecl {
    std::vector<SParamDecl> params;
    std::vector<STechniqueDecl> techniques;
    std::vector<SGlslBlock> blocks;
};

bool ParseEffect(const std::string& text, const std::string& fileName, SEffectDecl* effect, std::string* error);

// The GLSL type of a parameter type, empty for one not known.
std::string GlslType(const std::string& type);

} // namespace d3d9
} // namespace platform
