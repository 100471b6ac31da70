// Units and effects for the scene-graph and frame tests: boxes of a chosen size, face count,
// technique and textures, a planar or spline water unit, and effects that set no render states
// of their own (so that the frame's cull modes are what the device sees).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/gfx/gfx_test_effects.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/gfx/gfx_water.h"
#include "engine/gfx/mesh_hierarchy.h"

namespace tktest {

// The faces of the box (-1, -1, -1) .. (1, 1, 1), each drawn both ways so that no cull mode
// hides it; `faces` limits the triangles (the trace tells units apart by their face counts).
inline void BoxArrays(std::uint32_t faces, std::vector<velm::gfx::SMeshVertex>* vertices,
                      std::vector<std::uint16_t>* indices) {
    vertices->assign(8, velm::gfx::SMeshVertex{});
    for (int i = 0; i < 8; ++i) {
        (*vertices)[i].position = D3DXVECTOR3(i & 1 ? 1.0f : -1.0f, i & 2 ? 1.0f : -1.0f, i & 4 ? 1.0f : -1.0f);
        (*vertices)[i].u = i & 1 ? 1.0f : 0.0f;
        (*vertices)[i].v = i & 2 ? 1.0f : 0.0f;
    }
    static const std::uint16_t kQuads[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 2, 6, 4},
                                               {1, 5, 7, 3}, {0, 4, 5, 1}, {2, 3, 7, 6}};
    indices->clear();
    for (const auto& q : kQuads) {
        for (const std::uint16_t t : {q[0], q[1], q[2], q[0], q[2], q[3], q[2], q[1], q[0], q[3], q[2], q[0]}) {
            indices->push_back(t);
        }
    }
    if (faces > 0 && faces * 3 < indices->size()) {
        indices->resize(faces * 3);
    }
}

struct SBox {
    std::string effect = "TextureMapping.fx";
    std::string technique = "TextureMapping";
    D3DXVECTOR3 position = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    float scale = 1.0f;
    std::uint32_t faces = 0; // 0: all 24
    std::string texture4;
    std::string texture0;
};

inline std::unique_ptr<velm::gfx::CGfxUnit> MakeBox(const SBox& box) {
    std::vector<velm::gfx::SMeshVertex> vertices;
    std::vector<std::uint16_t> indices;
    BoxArrays(box.faces, &vertices, &indices);
    auto unit = std::make_unique<velm::gfx::CGfxUnit>();
    unit->CreateFromArrays({box.effect, "", box.technique}, vertices.data(),
                           static_cast<std::uint32_t>(vertices.size()), indices.data(),
                           static_cast<std::uint32_t>(indices.size()));
    unit->LoadTexture(box.texture4, 4);
    unit->LoadTexture(box.texture0, 0);
    unit->SetScale(box.scale, box.scale, box.scale, false);
    unit->SetPosition(box.position.x, box.position.y, box.position.z, true);
    return unit;
}

// A flat square of water of any kind, 2 x 2 before scaling, in the plane y = 0 of its own frame,
// with the world plane given and as few faces as asked (the frame trace tells units apart by
// their face counts).
class CTestWater : public velm::gfx::ACGfxWater {
public:
    CTestWater(std::uint32_t kind, const D3DXPLANE& plane, float size, float height, std::uint32_t faces = 2) {
        m_waterKind = kind;
        m_waterPlane = plane;
        std::vector<velm::gfx::SMeshVertex> vertices(4, velm::gfx::SMeshVertex{});
        for (int i = 0; i < 4; ++i) {
            vertices[i].position = D3DXVECTOR3(i & 1 ? 1.0f : -1.0f, 0.0f, i & 2 ? 1.0f : -1.0f);
            vertices[i].normal = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
            vertices[i].u = i & 1 ? 1.0f : 0.0f;
            vertices[i].v = i & 2 ? 1.0f : 0.0f;
        }
        std::vector<std::uint16_t> indices = {0, 2, 3, 0, 3, 1, 3, 2, 0, 1, 3, 0};
        indices.resize(faces * 3);
        static const char* const kTechniques[] = {"RenderPlanarWaveWater", "RenderPlanarWater", "RenderSplineWater"};
        CreateFromArrays({"Water2.fx", "", kTechniques[kind % 3]}, vertices.data(), 4, indices.data(),
                         static_cast<std::uint32_t>(indices.size()));
        SetScale(size, 1.0f, size, false);
        SetPosition(0.0f, height, 0.0f, true);
    }
    void CreateGeometry(const velm::gfx::SGfxUnitLoadInfo&, const velm::gfx::SWaterGrid*,
                        const velm::gfx::SWaterMesh*) override {}
    void SetWaterParameters(const float*) override {}
};

// The parameters Water2.fx is looked up by, so that its handle list is complete.
inline std::string WaterParams() {
    return Textures({"g_NormalMap", "g_ReflectionMap", "g_RefractionMap"}) +
           "param float g_BumpHeight;\nparam float g_ReflectionUVDistortion;\nparam float g_WaterBlendWeight;\n"
           "param float g_HDRMultiplier;\nparam float2 g_TextureScale;\nparam float2 g_BumpSpeed;\n"
           "param float g_FresnelBias;\nparam float g_FresnelPower;\nparam float4 g_ShallowWaterColor;\n"
           "param float4 g_DeepWaterColor;\nparam float g_WaveAmp;\nparam float g_WaveFreq;\n"
           "param struct g_Waves[2] { float m_freq; float m_amp; float m_phase; float2 m_dir; };\n"
           "param float g_WaterAlpha;\nparam textureCUBE g_CubeMap;\nparam float g_BumpScale;\n";
}

// An effect whose techniques draw the texture of `sampler` unlit, with no render states of the
// passes' own.
inline std::string PlainEffect(const std::vector<std::string>& techniques, const std::string& extra,
                               const std::string& sampler) {
    std::string text = SharedParams() + UnitParams() + extra;
    for (const std::string& technique : techniques) {
        text += "technique " + technique + " {\n pass P0 { vertex = VS; fragment = PS; }\n}\n";
    }
    text +=
        "glsl VS {{\nout vec2 v_uv;\nvoid main() {\n    v_uv = tk_TexCoord;\n"
        "    gl_Position = WorldViewProjection * vec4(tk_Position, 1.0);\n}\n}}\n"
        "glsl PS {{\nin vec2 v_uv;\nvoid main() {\n    tk_FragColor = texture(" +
        sampler + ", v_uv);\n}\n}}\n";
    return text;
}

} // namespace tktest
