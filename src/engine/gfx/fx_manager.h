// velm::gfx::CFXManager: every compiled effect of the engine, in one pool whose shared parameters
// are written once a frame on "Dummy.fx", each with the handle list the renderer addresses by
// position. It owns the effects and the pool; a file that does not load is logged and skipped.
// Main thread only; a singleton.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "libs/common/singleton.h"
#include "platform/d3d9/d3dx9.h"

namespace velm {
namespace gfx {

// Positions of the per-unit handle list that every effect has.
enum EUnitHandle : std::size_t {
    kHandleWorld = 0,
    kHandleWorldView = 1,
    kHandleWorldViewProjection = 2,
    kHandleWorldInverseTranspose = 3,
    kHandleMaterialAmbient = 4,
    kHandleMaterialDiffuse = 5,
    kHandleMaterialSpecular = 6,
    kHandleSpecularPower = 7,
    kHandleTileFactor = 8,
    kFirstExtraHandle = 9,
};

// Positions of the shared handle list of "Dummy.fx".
enum ESharedHandle : std::size_t {
    kSharedViewInverse = 0,
    kSharedView,
    kSharedViewProjection,
    kSharedLightType,
    kSharedLightPos,
    kSharedLightDir,
    kSharedLightFalloff,
    kSharedLightRange,
    kSharedLightAmbient,
    kSharedLightDiffuse,
    kSharedLightSpecular,
    kSharedFogStart,
    kSharedFogEnd,
    kSharedFogDensity,
    kSharedFogColour,
    kSharedTime,
    kSharedElapsedTime,
    kSharedHandleCount,
};

using HandleList = std::vector<D3DXHANDLE>;

struct SEffectEntry {
    ID3DXEffect* effect = nullptr; // owned by the manager's map
    HandleList handles;
};

class CFXManager {
public:
    static constexpr const char* kSharedEffectName = "Dummy.fx";
    static constexpr const char* kPreZEffectName = "PreZ.fx";

    // Creates the pool and the shared effect.
    CFXManager();
    virtual ~CFXManager();
    CFXManager(const CFXManager&) = delete;
    CFXManager& operator=(const CFXManager&) = delete;

    void InitSharedParameters();
    // Effect directory + each name, in list order; a name already loaded keeps its first entry.
    void LoadEffects(const std::vector<std::string>& fileNames);
    // The named effect becomes current (null, and no handles, for a name not loaded: said once
    // per name on standard error).
    ID3DXEffect* SelectEffect(const std::string& fileName);
    std::map<std::string, SEffectEntry>::const_iterator FindEffect(const std::string& fileName) const;
    std::map<std::string, SEffectEntry>::const_iterator End() const { return m_effects.end(); }
    // With 0, "PreZ.fx" becomes current; any other value does nothing.
    void SelectPreZ(std::uint32_t which);
    void OnLostDevice();
    void OnResetDevice();

    ID3DXEffect* GetCurrentEffect() const { return m_currentEffect; }
    // The name last selected, loaded or not.
    const std::string& GetCurrentName() const { return m_currentName; }
    const HandleList* GetCurrentHandles() const { return m_currentHandles; }
    ID3DXEffect* GetSharedEffect() const { return m_sharedEffect; }
    const HandleList& GetSharedHandles() const { return m_sharedHandles; }
    ID3DXEffectPool* GetPool() const { return m_pool; }
    std::size_t GetEffectCount() const { return m_effects.size(); }

    // While set, effect and batch nodes leave the effect and textures alone and the renderer
    // writes only the matrices of each unit.
    bool m_override = false;

private:
    static HandleList LookUpHandles(ID3DXEffect* effect, const std::string& fileName);

    std::map<std::string, SEffectEntry> m_effects;
    ID3DXEffect* m_currentEffect = nullptr; // one reference
    std::string m_currentName;
    std::set<std::string> m_unknownNames;
    const HandleList* m_currentHandles = nullptr;
    ID3DXEffect* m_sharedEffect = nullptr;
    HandleList m_sharedHandles;
    ID3DXEffectPool* m_pool = nullptr;
};

using FXManager = common::CSingleton<CFXManager>;

} // namespace gfx
} // namespace velm
