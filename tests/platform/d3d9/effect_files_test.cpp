// The effect files the game ships, built on the offscreen OpenGL device in one pool with the
// shared carrier, as the effect manager loads them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3d9/d3dx9.h"
#include "platform/d3d9/test_support.h"
#include "support/engine_vertex.h"

namespace {

using tk_test::CDeviceHolder;

using SVertex = tktest::SEngineVertex;
using tktest::kEngineVertex;

enum class EKind { Texture, Cube, Value };

struct SHandle {
    const char* name;
    EKind kind;
};

struct SEffectFile {
    const char* file;
    std::vector<const char*> techniques;
    std::vector<SHandle> extras; // the handles after position 8, in order
};

const std::vector<SEffectFile>& ShippedFiles() {
    static const std::vector<SEffectFile> files = {
        {"PreZ.fx",
         {"PreZRender", "TextureMapping", "RenderTerrain", "NormalMapping", "ParallaxMapping", "CartoonShading",
          "RenderSkybox", "RenderPlanarWaveWater", "RenderSplineWater", "RenderPlanarWater", "RenderBillboard",
          "RenderParticle", "RenderLenFlare", "TextureMappingNoLight", "RenderFlag", "Membrane"},
         {}},
        {"TextureMapping.fx", {"TextureMapping"}, {{"g_Texture1", EKind::Texture}, {"g_SpecularMap", EKind::Texture}}},
        {"Terrain.fx",
         {"RenderTerrain"},
         {{"g_TerrainBase1", EKind::Texture},
          {"g_TerrainBase2", EKind::Texture},
          {"g_TerrainBase3", EKind::Texture},
          {"g_TerrainBlend", EKind::Texture},
          {"g_SpecularMap", EKind::Texture}}},
        {"NormalMapping.fx",
         {"NormalMapping", "ParallaxMapping"},
         {{"g_Texture1", EKind::Texture},
          {"g_SpecularMap", EKind::Texture},
          {"g_NormalMap", EKind::Texture},
          {"g_HeightMap", EKind::Texture},
          {"g_HeightScale", EKind::Value}}},
        {"CartoonShading.fx",
         {"CartoonShading"},
         {{"g_Texture1", EKind::Texture}, {"g_SpecularMap", EKind::Texture}, {"g_CartoonShadeMap", EKind::Texture}}},
        {"Skybox.fx", {"RenderSkybox"}, {{"g_SkyboxTexture", EKind::Texture}}},
        {"Water2.fx",
         {"RenderPlanarWaveWater", "RenderSplineWater", "RenderPlanarWater"},
         {{"g_BumpHeight", EKind::Value},
          {"g_ReflectionUVDistortion", EKind::Value},
          {"g_WaterBlendWeight", EKind::Value},
          {"g_HDRMultiplier", EKind::Value},
          {"g_TextureScale", EKind::Value},
          {"g_BumpSpeed", EKind::Value},
          {"g_FresnelBias", EKind::Value},
          {"g_FresnelPower", EKind::Value},
          {"g_ShallowWaterColor", EKind::Value},
          {"g_DeepWaterColor", EKind::Value},
          {"g_WaveAmp", EKind::Value},
          {"g_WaveFreq", EKind::Value},
          {"g_NormalMap", EKind::Texture},
          {"g_ReflectionMap", EKind::Texture},
          {"g_RefractionMap", EKind::Texture},
          {"g_WaterAlpha", EKind::Value},
          {"g_CubeMap", EKind::Cube},
          {"g_BumpScale", EKind::Value}}},
        {"Billboard.fx", {"RenderBillboard"}, {{"g_BillboardTexture", EKind::Texture}}},
        {"Particle.fx", {"RenderParticle"}, {{"g_ParticleTexture", EKind::Texture}}},
        {"Flag.fx", {"RenderFlag"}, {{"g_Texture1", EKind::Texture}}},
        {"LenFlare.fx",
         {"RenderLenFlare"},
         {{"g_LenFlareTexture1", EKind::Texture},
          {"g_LenFlareTexture2", EKind::Texture},
          {"g_LenFlareTexture3", EKind::Texture},
          {"g_LenFlareTexture4", EKind::Texture},
          {"g_LenToScreenCenterDirOffset", EKind::Value}}},
        {"TextureMappingNoLight.fx", {"TextureMappingNoLight"}, {{"g_Texture1", EKind::Texture}}},
        {"LightBloom.fx",
         {"LightBloom"},
         {{"g_SrcMap1", EKind::Texture}, {"g_SrcMap2", EKind::Texture}, {"g_TexelKernel", EKind::Value}}},
        {"Membrane.fx", {"Membrane"}, {{"g_Texture1", EKind::Texture}, {"g_MembraneMap", EKind::Texture}}},
    };
    return files;
}

std::string EffectPath(const std::string& file) {
    const char* root = std::getenv("TK_SOURCE_DIR");
    return std::string(root != nullptr ? root : "../../../..") + "/data/files/fx/" + file;
}

class EffectFiles : public ::testing::Test {
protected:
    static constexpr UINT kSize = 32;

    void SetUp() override {
        std::string reason;
        if (!m_device.MakeGl(kSize, kSize, &reason)) {
            GTEST_SKIP() << "no offscreen OpenGL: " << reason;
        }
        ASSERT_EQ(D3DXCreateEffectPool(&m_pool), D3D_OK);
        m_shared = Load("Dummy.fx");
        ASSERT_NE(m_shared, nullptr);
        m_device->CreateVertexDeclaration(kEngineVertex, &m_declaration);
        m_device->CreateVertexBuffer(8 * sizeof(SVertex), D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &m_vertices, nullptr);
        m_device->CreateIndexBuffer(12 * 2, D3DUSAGE_DYNAMIC, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &m_indices, nullptr);
    }

    void TearDown() override {
        for (platform::d3d9::CRefCounted* object : std::initializer_list<platform::d3d9::CRefCounted*>{
                 m_vertices, m_indices, m_declaration, m_shared, m_pool}) {
            if (object != nullptr) {
                object->Release();
            }
        }
    }

    ID3DXEffect* Load(const std::string& file) {
        ID3DXEffect* effect = nullptr;
        D3DXCreateEffectFromFileA(m_device.Get(), EffectPath(file).c_str(), nullptr, nullptr, D3DXSHADER_DEBUG, m_pool,
                                  &effect, nullptr);
        return effect;
    }

    // Two quads side by side in clip space at depth 0.5, the left one's normal toward the
    // camera and the right one's away from it.
    void Fill() {
        SVertex corners[8] = {};
        for (int quad = 0; quad < 2; ++quad) {
            const float left = quad == 0 ? -1.0f : 0.0f;
            const float xs[4] = {left, left + 1.0f, left + 1.0f, left};
            const float ys[4] = {1.0f, 1.0f, -1.0f, -1.0f};
            for (int corner = 0; corner < 4; ++corner) {
                SVertex& vertex = corners[quad * 4 + corner];
                vertex.position[0] = xs[corner];
                vertex.position[1] = ys[corner];
                vertex.position[2] = 0.5f;
                vertex.normal[2] = quad == 0 ? -1.0f : 1.0f;
                vertex.uv[0] = corner == 1 || corner == 2 ? 1.0f : 0.0f;
                vertex.uv[1] = corner >= 2 ? 1.0f : 0.0f;
                vertex.tangent[0] = 1.0f;
                vertex.binormal[1] = -1.0f;
                vertex.colour = 0xFFFFFFFF;
            }
        }
        const WORD order[12] = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7};
        void* data = nullptr;
        m_vertices->Lock(0, 0, &data, D3DLOCK_DISCARD);
        std::memcpy(data, corners, sizeof(corners));
        m_vertices->Unlock();
        m_indices->Lock(0, 0, &data, D3DLOCK_DISCARD);
        std::memcpy(data, order, sizeof(order));
        m_indices->Unlock();
    }

    // Draws both quads through every pass of the effect's current technique.
    void Draw(ID3DXEffect* effect) {
        m_device->SetVertexDeclaration(m_declaration);
        m_device->SetStreamSource(0, m_vertices, 0, sizeof(SVertex));
        m_device->SetIndices(m_indices);
        m_device->BeginScene();
        m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        UINT passes = 0;
        effect->Begin(&passes, 0);
        for (UINT pass = 0; pass < passes; ++pass) {
            effect->BeginPass(pass);
            effect->CommitChanges();
            EXPECT_EQ(m_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 8, 0, 4), D3D_OK);
            effect->EndPass();
        }
        effect->End();
        m_device->EndScene();
    }

    CDeviceHolder m_device;
    ID3DXEffectPool* m_pool = nullptr;
    ID3DXEffect* m_shared = nullptr;
    IDirect3DVertexDeclaration9* m_declaration = nullptr;
    IDirect3DVertexBuffer9* m_vertices = nullptr;
    IDirect3DIndexBuffer9* m_indices = nullptr;
};

// What the effect manager looks up must be there with the kind it writes; the shared values
// must be one with the carrier's; and every pass must build with a clip plane and the alpha
// test on as well as off, as the water pass and the render states may ask.
TEST_F(EffectFiles, EveryShippedFileBuildsAndDeclaresTheHandlesItsTechniquesNeed) {
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    const float four[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const float keepAll[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    m_device->SetClipPlane(1, keepAll);
    Fill();
    for (const SEffectFile& file : ShippedFiles()) {
        SCOPED_TRACE(file.file);
        ::testing::internal::CaptureStderr();
        ID3DXEffect* effect = Load(file.file);
        std::string log = ::testing::internal::GetCapturedStderr();
        ASSERT_NE(effect, nullptr) << log;
        for (const char* semantic : {"World", "WorldView", "WorldViewProjection", "WorldInverseTranspose"}) {
            EXPECT_EQ(effect->SetMatrix(effect->GetParameterBySemantic(nullptr, semantic), &identity), D3D_OK)
                << semantic;
        }
        for (const char* name : {"g_MaterialAmbient", "g_MaterialDiffuse", "g_MaterialSpecular"}) {
            EXPECT_EQ(effect->SetFloatArray(effect->GetParameterByName(nullptr, name), four, 4), D3D_OK) << name;
        }
        for (const char* name : {"g_specular_power", "g_TileFactor"}) {
            EXPECT_EQ(effect->SetFloat(effect->GetParameterByName(nullptr, name), 1.0f), D3D_OK) << name;
        }
        for (const SHandle& handle : file.extras) {
            D3DXHANDLE found = effect->GetParameterByName(nullptr, handle.name);
            ASSERT_NE(found, nullptr) << handle.name;
            if (handle.kind == EKind::Value) {
                EXPECT_EQ(effect->SetFloatArray(found, four, 1), D3D_OK) << handle.name;
            } else {
                EXPECT_EQ(effect->SetTexture(found, nullptr), D3D_OK) << handle.name;
            }
        }
        if (std::string(file.file) == "Water2.fx") {
            for (UINT element = 0; element < 2; ++element) {
                D3DXHANDLE wave = effect->GetParameterElement("g_Waves", element);
                ASSERT_NE(wave, nullptr);
                for (const char* member : {"m_freq", "m_amp", "m_phase", "m_dir"}) {
                    EXPECT_NE(effect->GetParameterByName(wave, member), nullptr) << member;
                }
            }
        }
        for (const char* technique : file.techniques) {
            ASSERT_EQ(effect->SetTechnique(technique), D3D_OK) << technique;
            for (const DWORD variant : {0u, 1u}) {
                m_device->SetRenderState(D3DRS_CLIPPLANEENABLE, variant == 1 ? 2 : 0);
                m_device->SetRenderState(D3DRS_ALPHATESTENABLE, variant);
                m_device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
                ::testing::internal::CaptureStderr();
                Draw(effect);
                log = ::testing::internal::GetCapturedStderr();
                EXPECT_EQ(log, "") << technique << " with clip plane and alpha test " << variant;
            }
        }
        m_device->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
        m_device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        effect->Release();
    }
}

struct SPixel {
    int r;
    int g;
    int b;
};

SPixel At(const std::vector<std::uint8_t>& bgra, int x, int y, UINT width) {
    const std::size_t i = (static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)) * 4;
    return {bgra[i + 2], bgra[i + 1], bgra[i + 0]};
}

// A directional light shines along +z, into the screen: the left quad faces it, the right one
// faces away and keeps the ambient light only. Effects whose extra slots are empty (no normal,
// height or blend map) light like plain texture mapping. Fog, when on, ends before the quads.
TEST_F(EffectFiles, LitTexturedQuadIsBrighterFacingTheLightAndFogCoversItPastTheEnd) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(m_device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (int y = 0; y < 4; ++y) {
        auto* row = static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch;
        for (int x = 0; x < 4; ++x) {
            const std::uint8_t texel[4] = {40, 100, 200, 255}; // B, G, R, A
            std::memcpy(row + x * 4, texel, 4);
        }
    }
    texture->UnlockRect(0);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    m_shared->SetMatrix(m_shared->GetParameterBySemantic(nullptr, "ViewInverse"), &identity);
    D3DXHANDLE light = m_shared->GetParameterByName(nullptr, "g_light");
    const float direction[3] = {0.0f, 0.0f, 1.0f};
    const float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    const float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    m_shared->SetInt(m_shared->GetParameterByName(light, "m_type"), 3);
    m_shared->SetFloatArray(m_shared->GetParameterByName(light, "m_dir"), direction, 3);
    m_shared->SetFloatArray(m_shared->GetParameterByName(light, "m_ambient"), ambient, 4);
    m_shared->SetFloatArray(m_shared->GetParameterByName(light, "m_diffuse"), diffuse, 4);
    Fill();
    const struct {
        const char* file;
        const char* technique;
        const char* texture;
    } cases[] = {
        {"TextureMapping.fx", "TextureMapping", "g_Texture1"},
        {"NormalMapping.fx", "NormalMapping", "g_Texture1"},
        {"NormalMapping.fx", "ParallaxMapping", "g_Texture1"},
        {"Terrain.fx", "RenderTerrain", "g_TerrainBase1"},
    };
    const float noFog[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    const float fogColour[4] = {0.0f, 1.0f, 0.0f, 1.0f};
    for (const auto& shading : cases) {
        SCOPED_TRACE(shading.technique);
        ID3DXEffect* effect = Load(shading.file);
        ASSERT_NE(effect, nullptr);
        for (const char* semantic : {"World", "WorldViewProjection", "WorldInverseTranspose"}) {
            effect->SetMatrix(effect->GetParameterBySemantic(nullptr, semantic), &identity);
        }
        effect->SetTexture(effect->GetParameterByName(nullptr, shading.texture), texture);
        effect->SetTechnique(shading.technique);
        m_shared->SetFloatArray(m_shared->GetParameterByName(nullptr, "g_fogcolor"), noFog, 4);
        Draw(effect);
        std::vector<std::uint8_t> pixels = m_device.ReadBackBuffer();
        ASSERT_EQ(pixels.size(), kSize * kSize * 4);
        const SPixel lit = At(pixels, 8, 16, kSize);
        const SPixel away = At(pixels, 24, 16, kSize);
        EXPECT_NEAR(lit.r, 200, 8) << "texture red under full light";
        EXPECT_NEAR(lit.g, 100, 8);
        EXPECT_NEAR(away.r, 40, 8) << "ambient light only";
        EXPECT_NEAR(away.b, 8, 8);
        EXPECT_GT(lit.r, away.r * 3);

        m_shared->SetFloat(m_shared->GetParameterByName(nullptr, "g_fogstart"), 0.1f);
        m_shared->SetFloat(m_shared->GetParameterByName(nullptr, "g_fogend"), 0.2f);
        m_shared->SetFloatArray(m_shared->GetParameterByName(nullptr, "g_fogcolor"), fogColour, 4);
        Draw(effect);
        pixels = m_device.ReadBackBuffer();
        const SPixel fogged = At(pixels, 8, 16, kSize);
        EXPECT_NEAR(fogged.r, 0, 8) << "past the fog end only the fog colour is left";
        EXPECT_NEAR(fogged.g, 255, 8);
        effect->Release();
    }
    texture->Release();
}

// The river's highlight of light 0 is the material's specular colour times the cosine between
// the surface normal and the half-way direction to the 256th power, the engine's power for every
// spline river. The left quad faces the eye at the origin; light 0 is turned off the mirror
// direction of the pixel's view until that power is a given share, and the pixel with a white
// specular light less the same pixel with a black one must be that share of full white.
TEST_F(EffectFiles, SplineRiverHighlightFallsOffAsThe256thPowerOfTheHalfWayCosine) {
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    ID3DXEffect* effect = Load("Water2.fx");
    ASSERT_NE(effect, nullptr);
    for (const char* semantic : {"World", "WorldView", "WorldViewProjection", "WorldInverseTranspose"}) {
        effect->SetMatrix(effect->GetParameterBySemantic(nullptr, semantic), &identity);
    }
    const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const float black[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    const float opaqueBlack[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    effect->SetFloatArray(effect->GetParameterByName(nullptr, "g_MaterialSpecular"), white, 4);
    effect->SetFloat(effect->GetParameterByName(nullptr, "g_specular_power"), 256.0f);
    effect->SetFloat(effect->GetParameterByName(nullptr, "g_WaterAlpha"), 1.0f);
    effect->SetFloatArray(effect->GetParameterByName(nullptr, "g_ShallowWaterColor"), opaqueBlack, 4);
    effect->SetFloatArray(effect->GetParameterByName(nullptr, "g_DeepWaterColor"), opaqueBlack, 4);
    ASSERT_EQ(effect->SetTechnique("RenderSplineWater"), D3D_OK);
    m_shared->SetMatrix(m_shared->GetParameterBySemantic(nullptr, "ViewInverse"), &identity);
    m_shared->SetFloatArray(m_shared->GetParameterByName(nullptr, "g_fogcolor"), black, 4);
    D3DXHANDLE light = m_shared->GetParameterByName(nullptr, "g_light");
    m_shared->SetInt(m_shared->GetParameterByName(light, "m_type"), 3);
    Fill();

    // Pixel (8, 16) on the left quad, at depth 0.5, its normal toward the eye (Direct3D's pixel
    // centres lie on whole coordinates: x = -0.5, y = 0).
    const D3DXVECTOR3 position(-0.5f, 0.0f, 0.5f);
    const D3DXVECTOR3 normal(0.0f, 0.0f, -1.0f);
    const D3DXVECTOR3 fromEye = -position;
    D3DXVECTOR3 toEye;
    D3DXVec3Normalize(&toEye, &fromEye);
    const D3DXVECTOR3 mirrored(-toEye.x, -toEye.y, toEye.z);
    const auto facing = [&](const D3DXVECTOR3& toLight) {
        const D3DXVECTOR3 sum = toLight + toEye;
        D3DXVECTOR3 half;
        D3DXVec3Normalize(&half, &sum);
        return D3DXVec3Dot(&half, &normal);
    };
    const auto turned = [&](float amount) {
        const D3DXVECTOR3 away = mirrored + D3DXVECTOR3(0.0f, amount, 0.0f);
        D3DXVECTOR3 toLight;
        D3DXVec3Normalize(&toLight, &away);
        return toLight;
    };
    for (const float share : {0.8f, 0.5f, 0.25f, 0.05f}) {
        SCOPED_TRACE(share);
        // How far the light turns for that share: the highlight falls as the light turns away.
        float near = 0.0f;
        float far = 1.0f;
        for (int step = 0; step < 40; ++step) {
            const float middle = 0.5f * (near + far);
            (std::pow(facing(turned(middle)), 256.0f) > share ? near : far) = middle;
        }
        const D3DXVECTOR3 toLight = turned(near);
        const float direction[3] = {-toLight.x, -toLight.y, -toLight.z};
        m_shared->SetFloatArray(m_shared->GetParameterByName(light, "m_dir"), direction, 3);
        int red[2] = {};
        for (int lit = 0; lit < 2; ++lit) {
            m_shared->SetFloatArray(m_shared->GetParameterByName(light, "m_specular"), lit == 1 ? white : black, 4);
            Draw(effect);
            const std::vector<std::uint8_t> pixels = m_device.ReadBackBuffer();
            ASSERT_EQ(pixels.size(), kSize * kSize * 4);
            red[lit] = At(pixels, 8, 16, kSize).r;
        }
        EXPECT_NEAR(red[1] - red[0], share * 255.0f, 4.0f);
    }
    effect->Release();
}

} // namespace
