#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

#include "platform/d3d9/d3dx9.h"
#include "platform/d3d9/test_support.h"

namespace {

using tk_test::CDeviceHolder;

ID3DXEffect* LoadQuad(IDirect3DDevice9* device, ID3DXEffectPool* pool) {
    ID3DXEffect* effect = nullptr;
    EXPECT_EQ(D3DXCreateEffectFromFileA(device, tk_test::DataPath("quad.fx").c_str(), nullptr, nullptr,
                                        D3DXSHADER_DEBUG, pool, &effect, nullptr),
              D3D_OK);
    return effect;
}

class EffectTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_device.MakeNull());
        ASSERT_EQ(D3DXCreateEffectPool(&m_pool), D3D_OK);
        m_effect = LoadQuad(m_device.Get(), m_pool);
        ASSERT_NE(m_effect, nullptr);
    }
    void TearDown() override {
        if (m_effect != nullptr) {
            m_effect->Release();
        }
        if (m_pool != nullptr) {
            m_pool->Release();
        }
    }

    CDeviceHolder m_device;
    ID3DXEffectPool* m_pool = nullptr;
    ID3DXEffect* m_effect = nullptr;
};

TEST_F(EffectTest, ParametersAreFoundByNameSemanticMemberAndElement) {
    D3DXHANDLE bySemantic = m_effect->GetParameterBySemantic(nullptr, "worldviewprojection");
    EXPECT_NE(bySemantic, nullptr) << "semantics compare without case";
    EXPECT_EQ(bySemantic, m_effect->GetParameterByName(nullptr, "WorldViewProjection"));
    EXPECT_EQ(m_effect->GetParameterByName(nullptr, "g_Missing"), nullptr);

    D3DXHANDLE light = m_effect->GetParameterByName(nullptr, "g_light");
    D3DXHANDLE type = m_effect->GetParameterByName(light, "m_type");
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(m_effect->SetInt(type, 3), D3D_OK);
    INT value = 0;
    m_effect->GetInt(type, &value);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(m_effect->GetParameterByName(nullptr, "m_type"), nullptr) << "members live inside their struct";

    D3DXHANDLE waves = m_effect->GetParameterByName(nullptr, "g_Waves");
    D3DXHANDLE first = m_effect->GetParameterByName(m_effect->GetParameterElement(waves, 0), "m_dir");
    D3DXHANDLE second = m_effect->GetParameterByName(m_effect->GetParameterElement(waves, 1), "m_dir");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(m_effect->GetParameterElement(waves, 2), nullptr);
    const float direction[2] = {0.5f, -0.5f};
    m_effect->SetFloatArray(first, direction, 2);
    float read[2] = {9.0f, 9.0f};
    m_effect->GetFloatArray(second, read, 2);
    EXPECT_EQ(read[0], 0.0f) << "elements keep separate values";
}

TEST_F(EffectTest, WritesThroughNullOrWrongHandlesAreRefused) {
    EXPECT_EQ(m_effect->SetFloat(nullptr, 1.0f), D3DERR_INVALIDCALL);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_EQ(m_effect->SetMatrix(m_effect->GetParameterByName(nullptr, "g_Texture1"), &identity), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_effect->SetTexture(m_effect->GetParameterByName(nullptr, "WorldViewProjection"), nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(m_effect->SetFloat(m_effect->GetParameterByName(nullptr, "g_light"), 1.0f), D3DERR_INVALIDCALL)
        << "a struct takes no value of its own";
}

TEST_F(EffectTest, IntegerParametersSaturateFloatWrites) {
    D3DXHANDLE type = m_effect->GetParameterByName(m_effect->GetParameterByName(nullptr, "g_light"), "m_type");
    const struct {
        float written;
        INT read;
    } cases[] = {{2.9f, 2}, {-2.9f, -2}, {1e30f, INT32_MAX}, {-1e30f, INT32_MIN}, {std::nanf(""), 0}};
    for (const auto& test : cases) {
        ASSERT_EQ(m_effect->SetFloat(type, test.written), D3D_OK);
        INT value = 7;
        m_effect->GetInt(type, &value);
        EXPECT_EQ(value, test.read) << test.written;
    }
}

TEST_F(EffectTest, ATextureReplacedInAPassStaysAliveUntilThePassEnds) {
    IDirect3DTexture9* first = nullptr;
    IDirect3DTexture9* second = nullptr;
    ASSERT_EQ(m_device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &first, nullptr), D3D_OK);
    ASSERT_EQ(m_device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &second, nullptr), D3D_OK);
    D3DXHANDLE sampler = m_effect->GetParameterByName(nullptr, "g_Texture1");
    m_effect->SetTexture(sampler, first);
    UINT passes = 0;
    m_effect->Begin(&passes, 0);
    m_effect->BeginPass(0);
    m_effect->SetTexture(sampler, second);
    first->Release();
    bool bound = false;
    for (const platform::d3d9::SUniformBinding& uniform : *m_device->State().program.uniforms) {
        bound = bound || uniform.texture == first;
    }
    EXPECT_TRUE(bound) << "without CommitChanges the pass still draws with the first texture";
    EXPECT_EQ(first->AddRef(), 2u) << "which the pass keeps alive";
    first->Release();
    m_effect->CommitChanges();
    m_effect->EndPass();
    m_effect->End();
    m_effect->SetTexture(sampler, nullptr);
    EXPECT_EQ(second->AddRef(), 2u) << "the pass gave back what it held";
    second->Release();
    second->Release();
}

TEST_F(EffectTest, LossDropsRenderTargetTexturesSoTheDeviceCanReset) {
    IDirect3DTexture9* target = nullptr;
    IDirect3DTexture9* managed = nullptr;
    ASSERT_EQ(
        m_device->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target, nullptr),
        D3D_OK);
    ASSERT_EQ(m_device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed, nullptr), D3D_OK);
    m_effect->SetTexture("g_Texture1", target);
    ID3DXEffect* other = LoadQuad(m_device.Get(), nullptr);
    other->SetTexture("g_Texture1", managed);
    target->Release();
    m_effect->OnLostDevice();
    other->OnLostDevice();
    D3DPRESENT_PARAMETERS parameters = tk_test::Parameters(64, 32);
    EXPECT_EQ(m_device->Reset(&parameters), D3D_OK) << "the effect held the only reference to the render target";
    m_effect->OnResetDevice();
    other->OnResetDevice();
    IDirect3DBaseTexture9* kept = nullptr;
    other->GetTexture("g_Texture1", &kept);
    EXPECT_EQ(kept, managed) << "managed textures stay bound";
    kept->Release();
    other->Release();
    managed->Release();
}

TEST_F(EffectTest, SharedParametersAreOneValueAcrossThePool) {
    ID3DXEffect* second = LoadQuad(m_device.Get(), m_pool);
    ID3DXEffect* apart = LoadQuad(m_device.Get(), nullptr);
    float scale[4] = {};
    second->GetFloatArray("g_ColourScale", scale, 4);
    EXPECT_EQ(scale[3], 1.0f) << "the file's default value";
    const float half[4] = {0.5f, 0.5f, 0.5f, 0.5f};
    m_effect->SetFloatArray(m_effect->GetParameterByName(nullptr, "g_ColourScale"), half, 4);
    second->GetFloatArray(second->GetParameterByName(nullptr, "g_ColourScale"), scale, 4);
    EXPECT_EQ(scale[0], 0.5f);
    apart->GetFloatArray(apart->GetParameterByName(nullptr, "g_ColourScale"), scale, 4);
    EXPECT_EQ(scale[0], 1.0f) << "an effect outside the pool has its own value";
    m_effect->SetFloat("WorldViewProjection", 2.0f);
    D3DXMATRIX matrix;
    second->GetMatrix("WorldViewProjection", &matrix);
    EXPECT_EQ(matrix._11, 0.0f) << "parameters not marked shared stay per effect";
    second->Release();
    apart->Release();
}

TEST_F(EffectTest, PassesSetTheirStatesAndEndRestoresThem) {
    EXPECT_EQ(m_effect->GetCurrentTechnique(), m_effect->GetTechniqueByName("Blend")) << "the first is current";
    EXPECT_EQ(m_effect->SetTechnique("Missing"), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_effect->GetCurrentTechnique(), m_effect->GetTechniqueByName("Blend")) << "a bad name changes nothing";
    ASSERT_EQ(m_effect->SetTechnique(m_effect->GetTechniqueByName("Opaque")), D3D_OK);
    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    UINT passes = 0;
    ASSERT_EQ(m_effect->Begin(&passes, 0), D3D_OK);
    EXPECT_EQ(passes, 2u);
    DWORD value = 0;
    m_effect->BeginPass(0);
    m_device->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(value, FALSE);
    EXPECT_NE(m_device->State().program.program, 0u) << "the pass binds its program";
    m_effect->EndPass();
    EXPECT_EQ(m_device->State().program.program, 0u);
    m_effect->BeginPass(1);
    m_device->GetRenderState(D3DRS_ZWRITEENABLE, &value);
    EXPECT_EQ(value, FALSE);
    m_effect->EndPass();
    m_effect->End();
    m_device->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(value, TRUE);
    m_device->GetRenderState(D3DRS_ZWRITEENABLE, &value);
    EXPECT_EQ(value, TRUE);
}

struct SBadEffect {
    const char* text;
    const char* where;
};

TEST(EffectFile, SyntaxErrorsGiveNoEffectAndNameTheLine) {
    CDeviceHolder device;
    ASSERT_TRUE(device.MakeNull());
    const char* kBlocks = "\nglsl V {{\n}}\nglsl F {{\n}}\n";
    const SBadEffect cases[] = {
        {"param float4x5 g;", "<memory>:1: unknown parameter type"},
        {"param float a;\nparam float a;", "<memory>:2: parameter 'a' declared twice"},
        {"param float a = 1.0 2.0;", "<memory>:1: expected ';'"},
        {"param float a[0];", "<memory>:1: array length"},
        {"// nothing\nbanana;", "<memory>:2: expected 'param'"},
        {"technique T {\n}\n", "<memory>:1: technique 'T' has no pass"},
        {"technique T {\n pass P { vertex = V; fragment = F; Bogus = 1; }\n}", "<memory>:2: unknown render state"},
        {"technique T {\n pass P { vertex = V; fragment = Nope; }\n}", "<memory>:2: pass 'P' names no glsl block"},
        {"technique T {\n pass P { vertex = V; fragment = F; CullMode = Sideways; }\n}", "<memory>:2: unknown value"},
        {"glsl V {{\nvoid main() {}\n", "<memory>:1: glsl block 'V' is not closed"},
        {"param struct s { float a; ", "<memory>:1: struct 's' is not closed"},
        {"param float a = 1e300;", "<memory>:1: value '1e300' is not a finite float"},
        {"param float a = nan;", "<memory>:1: value 'nan' is not a finite float"},
        {"param float a[nan];", "<memory>:1: array length"},
        {"technique T {\n pass P { vertex = V; fragment = F; AlphaRef = -1; }\n}", "<memory>:2: value '-1'"},
        {"technique T {\n pass P { vertex = V; fragment = F; AlphaRef = 1e10; }\n}", "<memory>:2: value '1e10'"},
        {"technique T {\n pass P { vertex = V; fragment = F; AlphaRef = 0.5; }\n}", "<memory>:2: value '0.5'"},
        {"param float a;\nparam struct g[256] { float4x4 m[256]; };",
         "<memory>:2: parameter 'g' takes the effect past"},
    };
    for (const SBadEffect& bad : cases) {
        std::string text = bad.text;
        if (text.rfind("technique", 0) == 0) {
            text += kBlocks;
        }
        ::testing::internal::CaptureStderr();
        ID3DXEffect* effect = reinterpret_cast<ID3DXEffect*>(1);
        ID3DXBuffer* errors = nullptr;
        const HRESULT result = D3DXCreateEffect(device.Get(), text.data(), static_cast<UINT>(text.size()), nullptr,
                                                nullptr, 0, nullptr, &effect, &errors);
        const std::string log = ::testing::internal::GetCapturedStderr();
        EXPECT_TRUE(FAILED(result)) << bad.text;
        EXPECT_EQ(effect, nullptr) << bad.text;
        EXPECT_NE(log.find(bad.where), std::string::npos) << bad.text << "\nlogged: " << log;
        ASSERT_NE(errors, nullptr);
        EXPECT_NE(std::string(static_cast<const char*>(errors->GetBufferPointer())).find(bad.where), std::string::npos);
        errors->Release();
    }
}

TEST(EffectFile, SharedCarrierDeclaresEverySharedParameter) {
    CDeviceHolder device;
    ASSERT_TRUE(device.MakeNull());
    const char* root = std::getenv("TK_SOURCE_DIR");
    const std::string path = std::string(root != nullptr ? root : "../../../..") + "/data/files/fx/Dummy.fx";
    ID3DXEffect* effect = nullptr;
    ASSERT_EQ(D3DXCreateEffectFromFileA(device.Get(), path.c_str(), nullptr, nullptr, 0, nullptr, &effect, nullptr),
              D3D_OK);
    for (const char* semantic : {"ViewInverse", "View", "ViewProjection"}) {
        EXPECT_NE(effect->GetParameterBySemantic(nullptr, semantic), nullptr) << semantic;
    }
    D3DXHANDLE light = effect->GetParameterByName(nullptr, "g_light");
    for (const char* member :
         {"m_type", "m_pos", "m_dir", "m_falloff", "m_range", "m_ambient", "m_diffuse", "m_specular"}) {
        EXPECT_NE(effect->GetParameterByName(light, member), nullptr) << member;
    }
    for (const char* name : {"g_fogstart", "g_fogend", "g_fogdensity", "g_fogcolor", "g_time", "g_ElapsedTime"}) {
        EXPECT_NE(effect->GetParameterByName(nullptr, name), nullptr) << name;
    }
    effect->Release();
}

// A 1,920-byte file of struct arrays of matrix arrays once made the effect ask for 805 MB. An
// effect holds 65536 values: sixteen arrays of 256 matrices, and not one value more.
TEST(EffectFile, ParametersAreCappedInSize) {
    CDeviceHolder device;
    ASSERT_TRUE(device.MakeNull());
    std::string fits;
    for (int i = 0; i < 16; ++i) {
        fits += "param float4x4 m" + std::to_string(i) + "[256];\n";
    }
    const std::string over = fits + "param float one_more;\n";
    const std::pair<std::string, const char*> cases[] = {
        {std::string(), "memory-amplification.fx:1: parameter 'g0' takes the effect past 65536 values"},
        {fits, nullptr},
        {over, "<memory>:17: parameter 'one_more' takes the effect past"},
    };
    for (const auto& [text, error] : cases) {
        ::testing::internal::CaptureStderr();
        ID3DXEffect* effect = nullptr;
        const HRESULT result =
            text.empty() ? D3DXCreateEffectFromFileA(device.Get(), tk_test::DataPath("memory-amplification.fx").c_str(),
                                                     nullptr, nullptr, 0, nullptr, &effect, nullptr)
                         : D3DXCreateEffect(device.Get(), text.data(), static_cast<UINT>(text.size()), nullptr, nullptr,
                                            0, nullptr, &effect, nullptr);
        const std::string log = ::testing::internal::GetCapturedStderr();
        if (error == nullptr) {
            ASSERT_EQ(result, D3D_OK) << log;
            effect->Release();
        } else {
            EXPECT_TRUE(FAILED(result));
            EXPECT_EQ(effect, nullptr);
            EXPECT_NE(log.find(error), std::string::npos) << log;
        }
    }
}

TEST(EffectFile, MissingFileGivesNoEffect) {
    CDeviceHolder device;
    ASSERT_TRUE(device.MakeNull());
    ::testing::internal::CaptureStderr();
    ID3DXEffect* effect = reinterpret_cast<ID3DXEffect*>(1);
    EXPECT_EQ(
        D3DXCreateEffectFromFileW(device.Get(), L"no_such_effect.fx", nullptr, nullptr, 0, nullptr, &effect, nullptr),
        D3DERR_NOTFOUND);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("no_such_effect.fx"), std::string::npos);
    EXPECT_EQ(effect, nullptr);
}

} // namespace
