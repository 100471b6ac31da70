#include "engine/gfx/fx_manager.h"

#include <cstdio>

#include "engine/gfx/gfx_core.h"
#include "engine/gfx/texture_cache.h"

namespace velm {
namespace gfx {
namespace {

struct SExtraHandles {
    const char* file;
    std::vector<const char*> names;
};

// The handles after position 8, by exact file name. Water2.fx's wave members are added apart.
const std::vector<SExtraHandles>& ExtraHandles() {
    static const std::vector<SExtraHandles> table = {
        {"TextureMapping.fx", {"g_Texture1", "g_SpecularMap"}},
        {"Terrain.fx", {"g_TerrainBase1", "g_TerrainBase2", "g_TerrainBase3", "g_TerrainBlend", "g_SpecularMap"}},
        {"NormalMapping.fx", {"g_Texture1", "g_SpecularMap", "g_NormalMap", "g_HeightMap", "g_HeightScale"}},
        {"CartoonShading.fx", {"g_Texture1", "g_SpecularMap", "g_CartoonShadeMap"}},
        {"Skybox.fx", {"g_SkyboxTexture"}},
        {"Billboard.fx", {"g_BillboardTexture"}},
        {"Particle.fx", {"g_ParticleTexture"}},
        {"Flag.fx", {"g_Texture1"}},
        {"LenFlare.fx",
         {"g_LenFlareTexture1", "g_LenFlareTexture2", "g_LenFlareTexture3", "g_LenFlareTexture4",
          "g_LenToScreenCenterDirOffset"}},
        {"TextureMappingNoLight.fx", {"g_Texture1"}},
        {"LightBloom.fx", {"g_SrcMap1", "g_SrcMap2", "g_TexelKernel"}},
        {"Membrane.fx", {"g_Texture1", "g_MembraneMap"}},
    };
    return table;
}

const char* const kWaterHead[] = {"g_BumpHeight",        "g_ReflectionUVDistortion",
                                  "g_WaterBlendWeight",  "g_HDRMultiplier",
                                  "g_TextureScale",      "g_BumpSpeed",
                                  "g_FresnelBias",       "g_FresnelPower",
                                  "g_ShallowWaterColor", "g_DeepWaterColor",
                                  "g_WaveAmp",           "g_WaveFreq"};
const char* const kWaveMembers[] = {"m_freq", "m_amp", "m_phase", "m_dir"};
const char* const kWaterTail[] = {"g_NormalMap",  "g_ReflectionMap", "g_RefractionMap",
                                  "g_WaterAlpha", "g_CubeMap",       "g_BumpScale"};

ID3DXEffect* CreateEffect(const std::string& fileName, ID3DXEffectPool* pool) {
    if (!GFXCore::Exists() || GFXCore::Instance().GetDevice() == nullptr) {
        std::fprintf(stderr, "Effects: %s: no graphics device to compile on; the effect is skipped\n",
                     fileName.c_str());
        return nullptr;
    }
    ID3DXEffect* effect = nullptr;
    const HRESULT result =
        GFXCore::Instance().CreateEffectFromFile(SGfxDirectories::s_effect + fileName, pool, &effect);
    if (FAILED(result) || effect == nullptr) {
        std::fprintf(stderr, "Effects: %s%s did not load; the effect is skipped\n", SGfxDirectories::s_effect.c_str(),
                     fileName.c_str());
        return nullptr;
    }
    return effect;
}

} // namespace

CFXManager::CFXManager() { InitSharedParameters(); }

CFXManager::~CFXManager() {
    for (auto& [name, entry] : m_effects) {
        entry.effect->Release();
    }
    m_effects.clear();
    if (m_currentEffect != nullptr) {
        m_currentEffect->Release();
        m_currentEffect = nullptr;
    }
    m_currentHandles = nullptr;
    if (m_sharedEffect != nullptr) {
        m_sharedEffect->Release();
        m_sharedEffect = nullptr;
    }
    HandleList().swap(m_sharedHandles);
    if (m_pool != nullptr) {
        m_pool->Release();
        m_pool = nullptr;
    }
}

void CFXManager::InitSharedParameters() {
    if (m_pool == nullptr) {
        D3DXCreateEffectPool(&m_pool);
    }
    if (m_sharedEffect != nullptr) {
        m_sharedEffect->Release();
    }
    m_sharedEffect = CreateEffect(kSharedEffectName, m_pool);
    m_sharedHandles.assign(kSharedHandleCount, nullptr);
    if (m_sharedEffect == nullptr) {
        return;
    }
    ID3DXEffect* effect = m_sharedEffect;
    m_sharedHandles[kSharedViewInverse] = effect->GetParameterBySemantic(nullptr, "ViewInverse");
    m_sharedHandles[kSharedView] = effect->GetParameterBySemantic(nullptr, "View");
    m_sharedHandles[kSharedViewProjection] = effect->GetParameterBySemantic(nullptr, "ViewProjection");
    D3DXHANDLE light = effect->GetParameterByName(nullptr, "g_light");
    const char* const members[] = {"m_type",  "m_pos",     "m_dir",     "m_falloff",
                                   "m_range", "m_ambient", "m_diffuse", "m_specular"};
    for (std::size_t i = 0; i < 8; ++i) {
        m_sharedHandles[kSharedLightType + i] =
            light != nullptr ? effect->GetParameterByName(light, members[i]) : nullptr;
    }
    m_sharedHandles[kSharedFogStart] = effect->GetParameterByName(nullptr, "g_fogstart");
    m_sharedHandles[kSharedFogEnd] = effect->GetParameterByName(nullptr, "g_fogend");
    m_sharedHandles[kSharedFogDensity] = effect->GetParameterByName(nullptr, "g_fogdensity");
    m_sharedHandles[kSharedFogColour] = effect->GetParameterByName(nullptr, "g_fogcolor");
    m_sharedHandles[kSharedTime] = effect->GetParameterByName(nullptr, "g_time");
    m_sharedHandles[kSharedElapsedTime] = effect->GetParameterByName(nullptr, "g_ElapsedTime");
}

HandleList CFXManager::LookUpHandles(ID3DXEffect* effect, const std::string& fileName) {
    HandleList handles;
    for (const char* semantic : {"World", "WorldView", "WorldViewProjection", "WorldInverseTranspose"}) {
        handles.push_back(effect->GetParameterBySemantic(nullptr, semantic));
    }
    for (const char* name :
         {"g_MaterialAmbient", "g_MaterialDiffuse", "g_MaterialSpecular", "g_specular_power", "g_TileFactor"}) {
        handles.push_back(effect->GetParameterByName(nullptr, name));
    }
    if (fileName == "Water2.fx") {
        for (const char* name : kWaterHead) {
            handles.push_back(effect->GetParameterByName(nullptr, name));
        }
        D3DXHANDLE waves = effect->GetParameterByName(nullptr, "g_Waves");
        for (UINT element = 0; element < 2; ++element) {
            D3DXHANDLE wave = waves != nullptr ? effect->GetParameterElement(waves, element) : nullptr;
            for (const char* member : kWaveMembers) {
                handles.push_back(wave != nullptr ? effect->GetParameterByName(wave, member) : nullptr);
            }
        }
        for (const char* name : kWaterTail) {
            handles.push_back(effect->GetParameterByName(nullptr, name));
        }
        return handles;
    }
    for (const SExtraHandles& extra : ExtraHandles()) {
        if (fileName == extra.file) {
            for (const char* name : extra.names) {
                handles.push_back(effect->GetParameterByName(nullptr, name));
            }
            break;
        }
    }
    return handles;
}

void CFXManager::LoadEffects(const std::vector<std::string>& fileNames) {
    for (const std::string& name : fileNames) {
        ID3DXEffect* effect = CreateEffect(name, m_pool);
        if (effect == nullptr) {
            continue;
        }
        // An empty file compiles to an effect with nothing to draw with (only the shared
        // parameters' effect is made of parameters alone).
        if (effect->GetCurrentTechnique() == nullptr && name != kSharedEffectName) {
            std::fprintf(stderr, "Effects: %s%s holds no technique (is it empty?); the effect is skipped\n",
                         SGfxDirectories::s_effect.c_str(), name.c_str());
            effect->Release();
            continue;
        }
        SEffectEntry entry;
        entry.effect = effect;
        entry.handles = LookUpHandles(effect, name);
        if (!m_effects.emplace(name, std::move(entry)).second) {
            effect->Release();
        }
    }
}

ID3DXEffect* CFXManager::SelectEffect(const std::string& fileName) {
    if (m_currentEffect != nullptr) {
        m_currentEffect->Release();
        m_currentEffect = nullptr;
    }
    m_currentHandles = nullptr;
    m_currentName = fileName;
    const auto found = m_effects.find(fileName);
    if (found != m_effects.end()) {
        m_currentEffect = found->second.effect;
        m_currentEffect->AddRef();
        m_currentHandles = &found->second.handles;
    } else if (m_unknownNames.insert(fileName).second) {
        std::fprintf(stderr,
                     "Effects: \"%s\" matches no loaded effect (one the engine configuration lists that "
                     "loaded); what draws with it is skipped\n",
                     fileName.c_str());
    }
    return m_currentEffect;
}

std::map<std::string, SEffectEntry>::const_iterator CFXManager::FindEffect(const std::string& fileName) const {
    return m_effects.find(fileName);
}

void CFXManager::SelectPreZ(std::uint32_t which) {
    if (which == 0) {
        SelectEffect(kPreZEffectName);
    }
}

void CFXManager::OnLostDevice() {
    for (auto& [name, entry] : m_effects) {
        entry.effect->OnLostDevice();
    }
}

void CFXManager::OnResetDevice() {
    for (auto& [name, entry] : m_effects) {
        entry.effect->OnResetDevice();
    }
}

} // namespace gfx
} // namespace velm
