#include "game/tools/camera_script_functions.h"

#include <lua.hpp>

#include <initializer_list>
#include <string>
#include <utility>

#include "engine/gfx/cursor.h"
#include "game/tools/console_sink.h"
#include "game/tools/script_args.h"
#include "game/tools/tools_game.h"
#include "game/world/tumbo_kelvo_camera.h"
#include "libs/common/script_guard.h"
#include "libs/common/script_manager.h"

namespace kelvo {

namespace {

velm::CVelmCamera* ActiveCamera(const char* name) {
    IToolsGame* game = GetToolsGame();
    velm::CVelmCamera* camera = game != nullptr ? game->GetCamera() : nullptr;
    if (camera == nullptr) {
        ConsolePrint(std::string(name) + ": there is no camera");
    }
    return camera;
}

// Flight belongs to the game's own cameras only.
CTumboKelvoCamera* FlyingCamera(const char* name) {
    velm::CVelmCamera* camera = ActiveCamera(name);
    auto* flying = dynamic_cast<CTumboKelvoCamera*>(camera);
    if (camera != nullptr && flying == nullptr) {
        ConsolePrint(std::string(name) + ": the active camera cannot fly");
    }
    return flying;
}

velm::gfx::CCursor* Cursor(const char* name) {
    IToolsGame* game = GetToolsGame();
    velm::gfx::CCursor* cursor = game != nullptr ? game->GetCursor() : nullptr;
    if (cursor == nullptr) {
        ConsolePrint(std::string(name) + ": there is no cursor");
    }
    return cursor;
}

int PrintCamPos(lua_State* L) {
    velm::CVelmCamera* camera = ActiveCamera("PrintCamPos");
    if (camera == nullptr) {
        return 0;
    }
    const common::CVector3 eye = camera->GetEye();
    for (float value : {eye.x, eye.y, eye.z}) {
        lua_pushnumber(L, static_cast<lua_Number>(value));
    }
    return 3;
}

int ToggleCameraMove(lua_State*) {
    if (CTumboKelvoCamera* camera = FlyingCamera("ToggleCameraMove")) {
        camera->ToggleMove();
    }
    return 0;
}

int SetCamSpeed(lua_State* L) {
    int base = 0;
    if (ScriptArgs(L, "SetCamSpeed", "n", base) &&
        common::AcceptScriptSetting(L, lua_tonumber(L, base), common::kAnyDataNumber, "SetCamSpeed", "speed",
                                    &ConsolePrint)) {
        if (CTumboKelvoCamera* camera = FlyingCamera("SetCamSpeed")) {
            camera->SetMoveSpeed(static_cast<float>(lua_tonumber(L, base)));
        }
    }
    return 0;
}

int SetCursor(lua_State* L) {
    int base = 0;
    if (ScriptArgs(L, "SetCursor", "b", base)) {
        if (velm::gfx::CCursor* cursor = Cursor("SetCursor")) {
            cursor->Show(lua_toboolean(L, base) != 0);
        }
    }
    return 0;
}

int GetCursor(lua_State* L) {
    velm::gfx::CCursor* cursor = Cursor("GetCursor");
    lua_pushboolean(L, cursor != nullptr && cursor->IsShown() ? 1 : 0);
    return 1;
}

constexpr common::SScriptFunction kFunctions[] = {
    {"PrintCamPos", &PrintCamPos}, {"ToggleCameraMove", &ToggleCameraMove},
    {"SetCamSpeed", &SetCamSpeed}, {"SetCursor", &SetCursor},
    {"GetCursor", &GetCursor},
};

} // namespace

void RegisterCameraScriptFunctions() {
    common::RegisterGuardedFunctions<kFunctions, &ConsolePrint>(*common::CScriptManager::GetInstance());
}

} // namespace kelvo
