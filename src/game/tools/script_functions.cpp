#include "game/tools/script_functions.h"

#include <lua.hpp>

#include <array>
#include <cstring>
#include <string>
#include <utility>

#include "engine/core/model.h"
#include "engine/core/picker.h"
#include "engine/core/velm_app.h"
#include "engine/gfx/atmosphere_manager.h"
#include "engine/gfx/cursor.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/gfx/lights_manager.h"
#include "engine/gfx/velm_gfx.h"
#include "engine/phy/buoyancy_force.h"
#include "game/tools/camera_script_functions.h"
#include "game/tools/console_sink.h"
#include "game/tools/game_script_functions.h"
#include "game/tools/level_editor.h"
#include "game/tools/script_args.h"
#include "game/tools/tools_game.h"
#include "game/world/model_manip.h"
#include "game/world/racer_tuning.h"
#include "game/world/weapon_data.h"
#include "libs/common/checked_number.h"
#include "libs/common/script_arg_check.h"
#include "libs/common/script_guard.h"
#include "libs/common/script_manager.h"
#include "libs/common/singleton.h"

namespace kelvo {

namespace {

std::uint32_t* s_renderFlags = nullptr;
// Only light 0 exists; the current light starts there.
D3DLIGHT9* s_currentLight = nullptr;

bool Args(lua_State* L, const char* name, const char* kinds, int& base) { return ScriptArgs(L, name, kinds, base); }

float Num(lua_State* L, int index) { return common::ScriptFloat(lua_tonumber(L, index)); }
std::string Str(lua_State* L, int index) { return lua_tostring(L, index); }
bool Bool(lua_State* L, int index) { return lua_toboolean(L, index) != 0; }

// Fog as the engine configuration bounds it: colours from 0 to 1, distances to 100 km.
constexpr common::SNumberBounds kFogColour = {0.0, 1.0, 0.0};
constexpr common::SNumberBounds kFogDistance = {0.0, 100000.0, 0.0};
constexpr common::SNumberBounds kFogDensity = {0.0, 1.0, 0.0};
// A light's range and attenuation, which cannot be negative.
constexpr common::SNumberBounds kLightAmount = {0.0, common::kAnyDataNumber.highest, 0.0};
// A placed model's scale, as a level file's.
constexpr common::SNumberBounds kScale = common::kAnyDataNumber;
// Lights beyond light 0 are kept as set; a few are all a scene can use.
constexpr common::SNumberBounds kLightIndex = {0.0, 7.0, 0.0};
// A batch of trees: each is a model of its own, made at once by one "place".
constexpr common::SNumberBounds kTreeCount = {0.0, 256.0, 0.0};
// The most a tree steps from the last, in metres.
constexpr common::SNumberBounds kTreeRadius = {0.0, 1000.0, 0.0};

// The numbers of a call from `base` on, one per field, each within the bounds; at the first that
// is not the call is refused (said on standard error and on the console) and changes nothing.
bool Acceptable(lua_State* L, const char* name, int base, std::initializer_list<const char*> fields,
                const common::SNumberBounds& bounds) {
    int at = base;
    for (const char* field : fields) {
        if (!common::AcceptScriptSetting(L, lua_tonumber(L, at), bounds, name, field, &ConsolePrint)) {
            return false;
        }
        ++at;
    }
    return true;
}

int PushBool(lua_State* L, bool value) {
    lua_pushboolean(L, value ? 1 : 0);
    return 1;
}

int PushNumbers(lua_State* L, std::initializer_list<float> values) {
    for (float v : values) {
        lua_pushnumber(L, static_cast<lua_Number>(v));
    }
    return static_cast<int>(values.size());
}

velm::gfx::CVelmGfx* Gfx() {
    velm::CVelmApp* app = velm::GetApp();
    return app != nullptr ? app->GetGfx() : nullptr;
}

// False when there is no graphics system to read.
bool ReadRenderFlags(std::uint32_t& flags) {
    if (s_renderFlags != nullptr) {
        flags = *s_renderFlags;
        return true;
    }
    if (velm::gfx::CVelmGfx* gfx = Gfx()) {
        flags = gfx->GetRenderFlags();
        return true;
    }
    return false;
}

void WriteRenderFlags(std::uint32_t flags) {
    if (s_renderFlags != nullptr) {
        *s_renderFlags = flags;
    } else if (velm::gfx::CVelmGfx* gfx = Gfx()) {
        gfx->SetRenderFlags(flags);
    }
}

struct SRenderSwitch {
    const char* getter;
    const char* setter;
    std::uint32_t bit;
    const char* on;
    const char* off;
};

// Bit 0 stands for the graphics core's debug-mesh switch, which is no render flag.
constexpr SRenderSwitch kSwitches[] = {
    {"GetVisualDebug", "SetVisualDebug", 0x200, "Visual debugging ON", "Visual debugging OFF"},
    {"GetWaterState", "SetWater", 0x20, "Water render ON", "Water render OFF"},
    {"GetRFSave", "SetRFSave", 0x80, "Saving Ref Map To File ENAbLED!", "Saving Ref Map To File DISABLED!"},
    {"GetRefracSave", "SetRefracSave", 0x100, "Saving Refraction Map To File ENABLED!",
     "Saving Refraction Map To File DISABLED!"},
    {"GetPZRE", "SetPZRE", 0x400, "PreZRendering ENABLED!", "PreZRendering DISABLED!"},
    {"GetDrawDebugMeshes", "SetDrawDebugMeshes", 0, "DrawDebugMeshes ENABLED!", "DrawDebugMeshes DISABLED!"},
    {"GetDrawDynamicDebugMeshes", "SetDrawDynamicDebugMeshes", 0x2000, "DrawDynamicDebugMeshes ENABLED!",
     "DrawDynamicDebugMeshes DISABLE!"},
    {"GetDrawTerrainDebugMeshes", "SetDrawTerrainDebugMeshes", 0x800, "DrawTerrainDebugMeshes ENABLED!",
     "DrawTerrainDebugMeshes DISABLE!"},
    {"GetDrawWaterDebugMeshes", "SetDrawWaterDebugMeshes", 0x1000, "DrawWaterDebugMeshes ENABLED!",
     "DrawWaterDebugMeshes DISABLE!"},
    {"GetDrawOpaqueDebugMeshes", "SetDrawOpaqueDebugMeshes", 0x4000, "DrawOpaqueDebugMeshes ENABLED!",
     "DrawOpaqueDebugMeshes DISABLE!"},
    {"GetDrawTransparentDebugMeshes", "SetDrawTransparentDebugMeshes", 0x8000, "DrawTransparentDebugMeshes ENABLED!",
     "DrawTransparentDebugMeshes DISABLE!"},
    {"GetDrawParticleDebugMeshes", "SetDrawParticleDebugMeshes", 0x10000, "DrawParticleDebugMeshes ENABLED!",
     "DrawParticleDebugMeshes DISABLE!"},
    {"GetTerrain", "SetTerrain", 0x10, "Draw Terrain ENABLED!", "Draw Terrain DISABLE!"},
    {"GetDynamicObjs", "SetDynamicObjs", 0x1, "Draw Dynamic Objs ENABLED!", "Draw Dynamic Objs DISABLE!"},
    {"GetOpaqueObjs", "SetOpaqueObjs", 0x4, "Draw Opaque Objs ENABLED!", "Draw Opaque Objs DISABLE!"},
    {"GetTransparentObjs", "SetTransparentObjs", 0x8, "Draw Transparent Objs ENABLED!",
     "Draw Transparent Objs DISABLE!"},
    {"GetParticle", "SetParticle", 0x2, "Draw Particle Effects ENABLED!", "Draw Particle Effects DISABLE!"},
    {"GetSkybox", "SetSkybox", 0x40, "Draw Skybox ENABLED!", "Draw Skybox DISABLE!"},
};
constexpr std::size_t kSwitchCount = sizeof(kSwitches) / sizeof(kSwitches[0]);

template <std::size_t I>
int GetSwitch(lua_State* L) {
    const SRenderSwitch& s = kSwitches[I];
    if (s.bit == 0) {
        return PushBool(L, velm::gfx::GFXCore::Instance().m_drawDebugMeshes);
    }
    std::uint32_t flags = 0;
    return PushBool(L, ReadRenderFlags(flags) && (flags & s.bit) != 0);
}

template <std::size_t I>
int SetSwitch(lua_State* L) {
    const SRenderSwitch& s = kSwitches[I];
    int base = 0;
    if (!Args(L, s.setter, "b", base)) {
        return 0;
    }
    const bool on = Bool(L, base);
    if (s.bit == 0) {
        velm::gfx::GFXCore::Instance().m_drawDebugMeshes = on;
    } else {
        std::uint32_t flags = 0;
        if (!ReadRenderFlags(flags)) {
            ConsolePrint(std::string(s.setter) + ": no graphics system");
            return 0;
        }
        WriteRenderFlags(on ? (flags | s.bit) : (flags & ~s.bit));
    }
    ConsolePrint(on ? s.on : s.off);
    return 0;
}

int GetSGOpt(lua_State* L) { return PushBool(L, velm::gfx::GFXCore::Instance().m_sceneGraphOptimisation); }

int SetSGOpt(lua_State* L) {
    int base = 0;
    if (Args(L, "SetSGOpt", "b", base)) {
        velm::gfx::GFXCore::Instance().m_sceneGraphOptimisation = Bool(L, base);
    }
    return 0;
}

int SetWireFrame(lua_State* L) {
    int base = 0;
    if (Args(L, "SetWireFrame", "b", base)) {
        const bool on = Bool(L, base);
        velm::gfx::GFXCore::Instance().SetFillMode(on ? D3DFILL_WIREFRAME : D3DFILL_SOLID);
        ConsolePrint(on ? "WireFrame render ON" : "WireFrame render OFF");
    }
    return 0;
}

// Fog.

int FogColor(lua_State* L) {
    int base = 0;
    if (Args(L, "FogColor", "nnnn", base) && Acceptable(L, "FogColor", base, {"r", "g", "b", "a"}, kFogColour)) {
        velm::gfx::CAtmosphereManager& fog = velm::gfx::AtmosphereManager::Instance();
        fog.m_r = Num(L, base);
        fog.m_g = Num(L, base + 1);
        fog.m_b = Num(L, base + 2);
        fog.m_a = Num(L, base + 3);
    }
    return 0;
}

template <float velm::gfx::CAtmosphereManager::*Field>
int FogValue(lua_State* L, const char* name, const char* field, const common::SNumberBounds& bounds) {
    int base = 0;
    if (Args(L, name, "n", base) && Acceptable(L, name, base, {field}, bounds)) {
        velm::gfx::AtmosphereManager::Instance().*Field = Num(L, base);
    }
    return 0;
}

int FogDensity(lua_State* L) {
    return FogValue<&velm::gfx::CAtmosphereManager::m_fogDensity>(L, "FogDensity", "density", kFogDensity);
}
int FogStart(lua_State* L) {
    return FogValue<&velm::gfx::CAtmosphereManager::m_fogStart>(L, "FogStart", "distance", kFogDistance);
}
int FogEnd(lua_State* L) {
    return FogValue<&velm::gfx::CAtmosphereManager::m_fogEnd>(L, "FogEnd", "distance", kFogDistance);
}

// The light.

D3DLIGHT9& Light() {
    if (s_currentLight == nullptr) {
        s_currentLight = &velm::gfx::LightsManager::Instance().GetLight();
    }
    return *s_currentLight;
}

int GetLight(lua_State* L) {
    int base = 0;
    if (!Args(L, "GetLight", "n", base)) {
        return 0;
    }
    // Whole numbers from 0; the scene is lit by light 0 alone, the others are kept as set.
    const double number = lua_tonumber(L, base);
    if (!(number >= kLightIndex.lowest && number <= kLightIndex.highest)) {
        ConsolePrint("GetLight: there is no light " + std::to_string(common::ScriptWholeNumber(number)));
        return 0;
    }
    const int index = common::ScriptWholeNumber(number);
    s_currentLight = &velm::gfx::LightsManager::Instance().GetLight(static_cast<std::uint32_t>(index));
    return 0;
}

// Positions and directions are given and answered z, y, x.
int SetLightVector(lua_State* L, const char* name, D3DVECTOR& v) {
    int base = 0;
    if (Args(L, name, "nnn", base) && Acceptable(L, name, base, {"z", "y", "x"}, common::kAnyDataNumber)) {
        v.z = Num(L, base);
        v.y = Num(L, base + 1);
        v.x = Num(L, base + 2);
    }
    return 0;
}

int SetLightPos(lua_State* L) { return SetLightVector(L, "SetLightPos", Light().Position); }
int GetLightPos(lua_State* L) { return PushNumbers(L, {Light().Position.z, Light().Position.y, Light().Position.x}); }
int SetLightDir(lua_State* L) { return SetLightVector(L, "SetLightDir", Light().Direction); }
int GetLightDir(lua_State* L) {
    return PushNumbers(L, {Light().Direction.z, Light().Direction.y, Light().Direction.x});
}

int SetLightNumber(lua_State* L, const char* name, const char* field, float& value) {
    int base = 0;
    if (Args(L, name, "n", base) && Acceptable(L, name, base, {field}, kLightAmount)) {
        value = Num(L, base);
    }
    return 0;
}

int SetRange(lua_State* L) { return SetLightNumber(L, "SetRange", "range", Light().Range); }
int GetRange(lua_State* L) { return PushNumbers(L, {Light().Range}); }
int SetAttenuation(lua_State* L) { return SetLightNumber(L, "SetAttenuation", "attenuation", Light().Attenuation0); }
int GetAttenuation(lua_State* L) { return PushNumbers(L, {Light().Attenuation0}); }

int SetColour(lua_State* L, const char* name, D3DCOLORVALUE& colour) {
    int base = 0;
    if (Args(L, name, "nnnn", base) && Acceptable(L, name, base, {"r", "g", "b", "a"}, common::kAnyDataNumber)) {
        colour.r = Num(L, base);
        colour.g = Num(L, base + 1);
        colour.b = Num(L, base + 2);
        colour.a = Num(L, base + 3);
    }
    return 0;
}

// Colours are answered a, b, g, r.
int PushColour(lua_State* L, const D3DCOLORVALUE& c) { return PushNumbers(L, {c.a, c.b, c.g, c.r}); }

int SetDiffuse(lua_State* L) { return SetColour(L, "SetDiffuse", Light().Diffuse); }
int GetDiffuse(lua_State* L) { return PushColour(L, Light().Diffuse); }
int SetSpecular(lua_State* L) { return SetColour(L, "SetSpecular", Light().Specular); }
int GetSpecular(lua_State* L) { return PushColour(L, Light().Specular); }
int SetAmbient(lua_State* L) { return SetColour(L, "SetAmbient", Light().Ambient); }
int GetAmbient(lua_State* L) { return PushColour(L, Light().Ambient); }

// Picking and the picked object.

velm::CPicker& Picker() { return common::CSingleton<velm::CPicker>::Instance(); }
CModelManip& Manip() { return common::CSingleton<CModelManip>::Instance(); }

int SetPicker(lua_State* L) {
    int base = 0;
    if (Args(L, "SetPicker", "b", base)) {
        const bool on = Bool(L, base);
        Picker().SetEnabled(on);
        // A click picks at the pointer, so picking shows it (the race hides it).
        IToolsGame* game = GetToolsGame();
        if (velm::gfx::CCursor* cursor = on && game != nullptr ? game->GetCursor() : nullptr) {
            cursor->Show(true);
        }
        velm::CModel* picked = Picker().GetSelected();
        if (auto* unit = picked != nullptr ? dynamic_cast<velm::gfx::IGfxUnit*>(picked->GetSceneNode()) : nullptr) {
            unit->SetOptionFlag(on ? 1 : 0);
        }
    }
    return 0;
}

int GetPicker(lua_State* L) { return PushBool(L, Picker().IsEnabled()); }

int SetPickedPos(lua_State* L) {
    int base = 0;
    if (Args(L, "SetPickedPos", "nnn", base) &&
        Acceptable(L, "SetPickedPos", base, {"x", "y", "z"}, common::kAnyDataNumber)) {
        Manip().SetPosition(Num(L, base), Num(L, base + 1), Num(L, base + 2));
    }
    return 0;
}

int PushVector(lua_State* L, const common::CVector3& v) { return PushNumbers(L, {v.x, v.y, v.z}); }

int GetPickedPos(lua_State* L) { return PushVector(L, Manip().GetPosition()); }

int SetPickedScale(lua_State* L) {
    int base = 0;
    if (Args(L, "SetPickedScale", "nnn", base) && Acceptable(L, "SetPickedScale", base, {"x", "y", "z"}, kScale)) {
        Manip().SetScale(Num(L, base), Num(L, base + 1), Num(L, base + 2));
    }
    return 0;
}

int GetPickedScale(lua_State* L) { return PushVector(L, Manip().GetScale()); }

int SetPickedRotation(lua_State* L) {
    int base = 0;
    if (Args(L, "SetPickedRotation", "nnnn", base) &&
        Acceptable(L, "SetPickedRotation", base, {"axis x", "axis y", "axis z", "angle"}, common::kAnyDataNumber)) {
        Manip().SetRotation(common::CVector3(Num(L, base), Num(L, base + 1), Num(L, base + 2)), Num(L, base + 3));
    }
    return 0;
}

int GetPickedRotAngle(lua_State* L) { return PushNumbers(L, {Manip().GetRotationAngle()}); }
int GetPickedRotAxis(lua_State* L) { return PushVector(L, Manip().GetRotationAxis()); }

// The placement editor.

CLevelEditor& Editor() { return common::CSingleton<CLevelEditor>::Instance(); }

int WriteLevelPlacement(lua_State* L) {
    int base = 0;
    return PushBool(L, Args(L, "WriteLevelPlacement", "s", base) && Editor().WritePlacement(Str(L, base)));
}

int AddLevelObject(lua_State* L) {
    int base = 0;
    return PushBool(L, Args(L, "AddLevelObject", "s", base) && Editor().AddObject(Str(L, base)));
}

template <void (CLevelEditor::*Mode)(const std::string&)>
int EditorMode(lua_State* L, const char* name) {
    int base = 0;
    if (!Args(L, name, "s", base)) {
        return PushBool(L, false);
    }
    (Editor().*Mode)(Str(L, base));
    return PushBool(L, true);
}

int MovePartSys(lua_State* L) { return EditorMode<&CLevelEditor::MovePartSys>(L, "MovePartSys"); }
int MoveModels(lua_State* L) { return EditorMode<&CLevelEditor::MoveModels>(L, "MoveModels"); }
int MoveBillboards(lua_State* L) { return EditorMode<&CLevelEditor::MoveBillboards>(L, "MoveBillboards"); }

// A count or size beyond its bounds is refused and the editor keeps the one it has.
template <void (CLevelEditor::*Setter)(int)>
int EditorCount(lua_State* L, const char* name, const char* field, const common::SNumberBounds& bounds) {
    int base = 0;
    if (!Args(L, name, "n", base) || !Acceptable(L, name, base, {field}, bounds)) {
        return PushBool(L, false);
    }
    (Editor().*Setter)(common::ScriptWholeNumber(lua_tonumber(L, base)));
    return PushBool(L, true);
}

int SetBillboardCount(lua_State* L) {
    return EditorCount<&CLevelEditor::SetBillboardCount>(L, "SetBillboardCount", "count", kTreeCount);
}
int SetBillboardRadius(lua_State* L) {
    return EditorCount<&CLevelEditor::SetBillboardRadius>(L, "SetBillboardRadius", "radius", kTreeRadius);
}

// River and racer tuning.

// A value outside the bounds is refused with a line and the river keeps the one it has.
template <void (*Set)(float)>
int RiverSetter(lua_State* L, const char* name, const char* field, const common::SNumberBounds& bounds) {
    int base = 0;
    if (!Args(L, name, "n", base) || !Acceptable(L, name, base, {field}, bounds)) {
        return PushBool(L, false);
    }
    Set(Num(L, base));
    return PushBool(L, true);
}

int SetRiverDensity(lua_State* L) {
    return RiverSetter<&velm::phy::SetRiverDensity>(L, "SetRiverDensity", "density", velm::phy::kRiverDensityBounds);
}

int SetRiverSpeed(lua_State* L) {
    return RiverSetter<&velm::phy::SetRiverSpeed>(L, "SetRiverSpeed", "speed", velm::phy::kRiverSpeedBounds);
}

template <bool (*Setter)(const std::string&, float)>
int RacerSetter(lua_State* L, const char* name) {
    int base = 0;
    return PushBool(L, Args(L, name, "sn", base) &&
                           Acceptable(L, name, base + 1, {Str(L, base).c_str()},
                                      {-kLargestRacerTuning, kLargestRacerTuning, 0.0}) &&
                           Setter(Str(L, base), Num(L, base + 1)));
}

int SetRacerMaxSpeedFn(lua_State* L) { return RacerSetter<&SetRacerMaxSpeed>(L, "SetRacerMaxSpeed"); }
int SetRacerTurningFn(lua_State* L) { return RacerSetter<&SetRacerTurning>(L, "SetRacerTurning"); }
int SetRacerAccelFn(lua_State* L) { return RacerSetter<&SetRacerAccel>(L, "SetRacerAccel"); }

// Weapon tuning: the name is looked up exactly; an unknown one stores nothing.

data::WeaponData* Weapon(lua_State* L, const char* name, const char* kinds, int& base) {
    return Args(L, name, kinds, base) ? data::GetWeaponDataByName(Str(L, base)) : nullptr;
}

// The weapon of a (name, value) call whose value is finite and within any weapon's reach; a value
// beyond is refused with a line and the weapon keeps what it has.
data::WeaponData* WeaponWithValue(lua_State* L, const char* name, int& base) {
    data::WeaponData* weapon = Weapon(L, name, "sn", base);
    if (weapon == nullptr || !Acceptable(L, name, base + 1, {Str(L, base).c_str()}, common::kAnyDataNumber)) {
        return nullptr;
    }
    return weapon;
}

template <float data::WeaponData::*Field>
int WeaponSetter(lua_State* L, const char* name) {
    int base = 0;
    data::WeaponData* weapon = WeaponWithValue(L, name, base);
    if (weapon != nullptr) {
        weapon->*Field = Num(L, base + 1);
    }
    return PushBool(L, weapon != nullptr);
}

int SetWeaponHate(lua_State* L) { return WeaponSetter<&data::WeaponData::m_hate>(L, "SetWeaponHate"); }
int SetWeaponRange(lua_State* L) { return WeaponSetter<&data::WeaponData::m_range>(L, "SetWeaponRange"); }
int SetWeaponLife(lua_State* L) { return WeaponSetter<&data::WeaponData::m_life>(L, "SetWeaponLife"); }
int SetWeaponEffectTimer(lua_State* L) {
    return WeaponSetter<&data::WeaponData::m_effectTimer>(L, "SetWeaponEffectTimer");
}
int SetWeaponAnimSpeed(lua_State* L) { return WeaponSetter<&data::WeaponData::m_animSpeed>(L, "SetWeaponAnimSpeed"); }
int SetWeaponAngle(lua_State* L) { return WeaponSetter<&data::WeaponData::m_angle>(L, "SetWeaponAngle"); }

int SetWeaponBone(lua_State* L) {
    int base = 0;
    data::WeaponData* weapon = Weapon(L, "SetWeaponBone", "ss", base);
    if (weapon != nullptr) {
        weapon->m_bone = Str(L, base + 1);
    }
    return PushBool(L, weapon != nullptr);
}

template <bool (*Setter)(data::WeaponData&, float)>
int WeaponForce(lua_State* L, const char* name) {
    int base = 0;
    data::WeaponData* weapon = WeaponWithValue(L, name, base);
    return PushBool(L, weapon != nullptr && Setter(*weapon, Num(L, base + 1)));
}

int SetWeaponHForce(lua_State* L) { return WeaponForce<&data::SetWeaponHForce>(L, "SetWeaponHForce"); }
int SetWeaponVForce(lua_State* L) { return WeaponForce<&data::SetWeaponVForce>(L, "SetWeaponVForce"); }

// A getter and a setter for each switch, each its own function.
template <std::size_t... I>
constexpr std::array<common::SScriptFunction, 2 * sizeof...(I)> SwitchFunctions(std::index_sequence<I...>) {
    return {{{kSwitches[I].getter, &GetSwitch<I>}..., {kSwitches[I].setter, &SetSwitch<I>}...}};
}

constexpr auto kSwitchFunctions = SwitchFunctions(std::make_index_sequence<kSwitchCount>());

constexpr common::SScriptFunction kFunctions[] = {
    {"GetSGOpt", &GetSGOpt},
    {"SetSGOpt", &SetSGOpt},
    {"SetWireFrame", &SetWireFrame},
    {"FogColor", &FogColor},
    {"FogDensity", &FogDensity},
    {"FogStart", &FogStart},
    {"FogEnd", &FogEnd},
    {"GetLight", &GetLight},
    {"SetLightPos", &SetLightPos},
    {"GetLightPos", &GetLightPos},
    {"SetLightDir", &SetLightDir},
    {"GetLightDir", &GetLightDir},
    {"SetRange", &SetRange},
    {"GetRange", &GetRange},
    {"SetAttenuation", &SetAttenuation},
    {"GetAttenuation", &GetAttenuation},
    {"SetDiffuse", &SetDiffuse},
    {"GetDiffuse", &GetDiffuse},
    {"SetSpecular", &SetSpecular},
    {"GetSpecular", &GetSpecular},
    {"SetAmbient", &SetAmbient},
    {"GetAmbient", &GetAmbient},
    {"SetPicker", &SetPicker},
    {"GetPicker", &GetPicker},
    {"SetPickedPos", &SetPickedPos},
    {"GetPickedPos", &GetPickedPos},
    {"SetPickedScale", &SetPickedScale},
    {"GetPickedScale", &GetPickedScale},
    {"SetPickedRotation", &SetPickedRotation},
    {"GetPickedRotAngle", &GetPickedRotAngle},
    {"GetPickedRotAxis", &GetPickedRotAxis},
    {"WriteLevelPlacement", &WriteLevelPlacement},
    {"AddLevelObject", &AddLevelObject},
    {"MovePartSys", &MovePartSys},
    {"MoveModels", &MoveModels},
    {"MoveBillboards", &MoveBillboards},
    {"SetBillboardCount", &SetBillboardCount},
    {"SetBillboardRadius", &SetBillboardRadius},
    {"SetRiverDensity", &SetRiverDensity},
    {"SetRiverSpeed", &SetRiverSpeed},
    {"SetRacerMaxSpeed", &SetRacerMaxSpeedFn},
    {"SetRacerTurning", &SetRacerTurningFn},
    {"SetRacerAccel", &SetRacerAccelFn},
    {"SetWeaponHate", &SetWeaponHate},
    {"SetWeaponRange", &SetWeaponRange},
    {"SetWeaponLife", &SetWeaponLife},
    {"SetWeaponEffectTimer", &SetWeaponEffectTimer},
    {"SetWeaponAnimSpeed", &SetWeaponAnimSpeed},
    {"SetWeaponBone", &SetWeaponBone},
    {"SetWeaponAngle", &SetWeaponAngle},
    {"SetWeaponHForce", &SetWeaponHForce},
    {"SetWeaponVForce", &SetWeaponVForce},
};

} // namespace

void SetScriptRenderFlags(std::uint32_t* flags) { s_renderFlags = flags; }

void RegisterScriptFunctions() {
    RegisterGameScriptFunctions();
    RegisterCameraScriptFunctions();
    common::CScriptManager& host = *common::CScriptManager::GetInstance();
    common::RegisterGuardedFunctions<kSwitchFunctions, &ConsolePrint>(host);
    common::RegisterGuardedFunctions<kFunctions, &ConsolePrint>(host);
}

} // namespace kelvo
