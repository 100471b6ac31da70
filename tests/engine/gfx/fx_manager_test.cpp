#include "engine/gfx/fx_manager.h"

#include <gtest/gtest.h>

#include <memory>

#include "engine/gfx/gfx_test_device.h"
#include "engine/gfx/gfx_test_effects.h"
#include "engine/gfx/renderer.h"
#include "engine/gfx/texture_cache.h"
#include "support/temp_dir.h"

namespace {

using velm::gfx::CTextureRef;
using velm::gfx::FXManager;
using velm::gfx::GFXCore;
using velm::gfx::HandleList;
using velm::gfx::Renderer;
using velm::gfx::UnitTextures;

struct SFile {
    const char* name;
    std::vector<std::string> textures;
    std::string floats; // further declarations
};

// Each file declares what its handle list looks up.
const SFile kFiles[] = {
    {"TextureMapping.fx", {"g_Texture1", "g_SpecularMap"}, ""},
    {"Terrain.fx", {"g_TerrainBase1", "g_TerrainBase2", "g_TerrainBase3", "g_TerrainBlend", "g_SpecularMap"}, ""},
    {"NormalMapping.fx", {"g_Texture1", "g_SpecularMap", "g_NormalMap", "g_HeightMap"}, "param float g_HeightScale;\n"},
    {"CartoonShading.fx", {"g_Texture1", "g_SpecularMap", "g_CartoonShadeMap"}, ""},
    {"Billboard.fx", {"g_BillboardTexture"}, ""},
    {"LenFlare.fx",
     {"g_LenFlareTexture1", "g_LenFlareTexture2", "g_LenFlareTexture3", "g_LenFlareTexture4"},
     "param float2 g_LenToScreenCenterDirOffset;\n"},
    {"Membrane.fx", {"g_Texture1", "g_MembraneMap"}, ""},
    {"LightBloom.fx", {"g_SrcMap1", "g_SrcMap2"}, "param float2 g_TexelKernel;\n"},
    {"TextureMapping.FX", {"g_Texture1", "g_SpecularMap"}, ""},
    {"Water2.fx",
     {"g_NormalMap", "g_ReflectionMap", "g_RefractionMap"},
     "param float g_BumpHeight;\nparam float g_ReflectionUVDistortion;\nparam float g_WaterBlendWeight;\n"
     "param float g_HDRMultiplier;\nparam float2 g_TextureScale;\nparam float2 g_BumpSpeed;\n"
     "param float g_FresnelBias;\nparam float g_FresnelPower;\nparam float4 g_ShallowWaterColor;\n"
     "param float4 g_DeepWaterColor;\nparam float g_WaveAmp;\nparam float g_WaveFreq;\n"
     "param struct g_Waves[2] { float m_freq; float m_amp; float m_phase; float2 m_dir; };\n"
     "param float g_WaterAlpha;\nparam textureCUBE g_CubeMap;\nparam float g_BumpScale;\n"},
};

class FXManagerTest : public tktest::CGfxDeviceTest {
protected:
    void SetUp() override {
        tktest::CGfxDeviceTest::SetUp();
        m_dir.Write("Dummy.fx", tktest::SharedParams());
        for (const SFile& file : kFiles) {
            m_dir.Write(file.name, tktest::LitEffect({"Any"}, 1, tktest::Textures(file.textures) + file.floats,
                                                     file.textures.front()));
        }
        m_dir.Write("Broken.fx", "param float4x5 g;\n");
        velm::gfx::SGfxDirectories::s_effect = m_dir.Path() + "/";
    }
    void TearDown() override {
        Renderer::Destroy();
        FXManager::Destroy();
        velm::gfx::SGfxDirectories::s_effect.clear();
        tktest::CGfxDeviceTest::TearDown();
    }
    tktest::CTempDir m_dir;
};

TEST_F(FXManagerTest, HandleListsFollowTheExactFileName) {
    ::testing::internal::CaptureStderr();
    FXManager::Instance().LoadEffects(
        {"Broken.fx", "TextureMapping.fx", "TextureMapping.FX", "LightBloom.fx", "Water2.fx", "Missing.fx"});
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("Broken.fx did not load; the effect is skipped"), std::string::npos) << log;
    EXPECT_NE(log.find("Missing.fx did not load"), std::string::npos) << log;
    const velm::gfx::CFXManager& fx = FXManager::Instance();
    EXPECT_EQ(fx.GetEffectCount(), 4u) << "the files after a bad one still load";
    EXPECT_EQ(fx.FindEffect("Broken.fx"), fx.End());
    const struct {
        const char* file;
        std::size_t handles;
    } sizes[] = {{"TextureMapping.fx", 11}, {"TextureMapping.FX", 9}, {"LightBloom.fx", 12}, {"Water2.fx", 35}};
    for (const auto& size : sizes) {
        const HandleList& handles = fx.FindEffect(size.file)->second.handles;
        EXPECT_EQ(handles.size(), size.handles) << size.file;
        for (std::size_t i = 0; i < handles.size(); ++i) {
            EXPECT_NE(handles[i], nullptr) << size.file << " handle " << i;
        }
    }
    const HandleList& water = fx.FindEffect("Water2.fx")->second.handles;
    ID3DXEffect* effect = fx.FindEffect("Water2.fx")->second.effect;
    EXPECT_EQ(water[21], effect->GetParameterByName(effect->GetParameterElement("g_Waves", 0), "m_freq"));
    EXPECT_EQ(water[28], effect->GetParameterByName(effect->GetParameterElement("g_Waves", 1), "m_dir"));
    EXPECT_EQ(water[29], effect->GetParameterByName(nullptr, "g_NormalMap"));
    EXPECT_EQ(water[34], effect->GetParameterByName(nullptr, "g_BumpScale"));
    EXPECT_EQ(fx.GetSharedHandles().size(), 17u);

    // A name loaded again keeps its first effect; selecting takes a reference by exact name.
    velm::gfx::CFXManager& manager = FXManager::Instance();
    ID3DXEffect* first = fx.FindEffect("TextureMapping.fx")->second.effect;
    manager.LoadEffects({"TextureMapping.fx"});
    EXPECT_EQ(fx.FindEffect("TextureMapping.fx")->second.effect, first);
    EXPECT_EQ(manager.SelectEffect("TextureMapping.fx"), first);
    EXPECT_EQ(first->AddRef(), 3u) << "the map's and the current effect's";
    first->Release();
    EXPECT_EQ(manager.SelectEffect("textureMapping.fx"), nullptr);
    EXPECT_EQ(manager.GetCurrentHandles(), nullptr);
}

// Effect files the game cannot draw with, each said with its name: one that does not compile, an
// empty one (no technique), a directory, a missing one; and a unit's effect name that matches no
// loaded effect, said once.
TEST_F(FXManagerTest, EffectsThatCannotDrawAreSaidByName) {
    m_dir.Write("Empty.fx", "");
    m_dir.Write("Params.fx", "param float g_Alone;\n");
    m_dir.Write("Folder.fx/inside", "");
    const struct {
        const char* file;
        const char* said;
    } cases[] = {
        {"Broken.fx", "Broken.fx did not load; the effect is skipped"},
        {"Empty.fx", "Empty.fx holds no technique (is it empty?); the effect is skipped"},
        {"Params.fx", "Params.fx holds no technique"},
        {"Folder.fx", "Folder.fx did not load"},
        {"Missing.fx", "Missing.fx did not load"},
    };
    velm::gfx::CFXManager& manager = FXManager::Instance();
    for (const auto& c : cases) {
        ::testing::internal::CaptureStderr();
        manager.LoadEffects({c.file});
        const std::string log = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find("Effects: " + m_dir.Path() + "/" + c.said), std::string::npos) << c.file << "\n" << log;
        EXPECT_EQ(manager.FindEffect(c.file), manager.End()) << c.file;
    }
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(manager.SelectEffect("Empty.fx"), nullptr);
    EXPECT_EQ(manager.SelectEffect("Empty.fx"), nullptr);
    EXPECT_EQ(manager.GetCurrentName(), "Empty.fx");
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(log,
              "Effects: \"Empty.fx\" matches no loaded effect (one the engine configuration lists that loaded); "
              "what draws with it is skipped\n");
}

struct SBindingCase {
    const char* technique;
    const char* file;
    std::vector<std::pair<std::string, std::uint32_t>> bindings; // parameter <- unit slot
};

TEST_F(FXManagerTest, EachTechniqueBindsItsBatchTexturesFromTheUnitSlots) {
    const SBindingCase cases[] = {
        {"TextureMapping", "TextureMapping.fx", {{"g_Texture1", 4}, {"g_SpecularMap", 6}}},
        {"RenderTerrain",
         "Terrain.fx",
         {{"g_TerrainBase1", 4}, {"g_TerrainBase2", 5}, {"g_TerrainBase3", 0}, {"g_SpecularMap", 6}}},
        {"NormalMapping", "NormalMapping.fx", {{"g_Texture1", 4}, {"g_SpecularMap", 6}, {"g_NormalMap", 0}}},
        {"ParallaxMapping",
         "NormalMapping.fx",
         {{"g_Texture1", 4}, {"g_SpecularMap", 6}, {"g_NormalMap", 0}, {"g_HeightMap", 1}}},
        {"CartoonShading", "CartoonShading.fx", {{"g_Texture1", 4}, {"g_SpecularMap", 6}, {"g_CartoonShadeMap", 2}}},
        {"RenderBillboard", "Billboard.fx", {{"g_BillboardTexture", 4}}},
        {"RenderLenFlare",
         "LenFlare.fx",
         {{"g_LenFlareTexture1", 4}, {"g_LenFlareTexture2", 5}, {"g_LenFlareTexture3", 0}, {"g_LenFlareTexture4", 1}}},
        {"Membrane", "Membrane.fx", {{"g_Texture1", 4}, {"g_MembraneMap", 2}}},
        {"RenderPlanarWater", "Water2.fx", {{"g_NormalMap", 0}}},
    };
    std::vector<std::string> files;
    for (const SFile& file : kFiles) {
        files.emplace_back(file.name);
    }
    FXManager::Instance().LoadEffects(files);
    IDirect3DDevice9* device = GFXCore::Instance().GetDevice();
    // Slot 1 ("HeightMap") has a reference without a texture, slot 2 none at all: both bind null.
    std::vector<std::unique_ptr<CTextureRef>> references;
    UnitTextures textures = {};
    std::vector<IDirect3DTexture9*> made;
    for (std::size_t i = 0; i < velm::gfx::kTextureSlots.size(); ++i) {
        const std::uint32_t slot = velm::gfx::kTextureSlots[i];
        if (slot == 2) {
            continue;
        }
        references.push_back(std::make_unique<CTextureRef>());
        if (slot != 1) {
            IDirect3DTexture9* texture = nullptr;
            device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr);
            made.push_back(texture);
            references.back()->SetTexture(texture);
        }
        textures[i] = references.back().get();
    }
    for (const SBindingCase& test : cases) {
        velm::gfx::CFXManager& fx = FXManager::Instance();
        ID3DXEffect* effect = fx.SelectEffect(test.file);
        ASSERT_NE(effect, nullptr) << test.file;
        for (const auto& [name, slot] : test.bindings) {
            effect->SetTexture(name.c_str(), made.front());
        }
        Renderer::Instance().SetBatchTextures(test.technique, textures, effect, fx.GetCurrentHandles());
        for (const auto& [name, slot] : test.bindings) {
            IDirect3DBaseTexture9* bound = nullptr;
            effect->GetTexture(name.c_str(), &bound);
            const CTextureRef* expected = textures[static_cast<std::size_t>(velm::gfx::TextureSlotIndex(slot))];
            EXPECT_EQ(bound, expected != nullptr ? expected->GetTexture() : nullptr)
                << test.technique << ": " << name << " from slot " << slot;
            if (bound != nullptr) {
                bound->Release();
            }
        }
    }
    for (auto& reference : references) {
        reference->SetTexture(nullptr);
    }
    for (IDirect3DTexture9* texture : made) {
        texture->Release();
    }
}

} // namespace
