#include "game/tools/game_script_functions.h"

#include <lua.hpp>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/events/event_manager.h"
#include "game/content/object_type.h"
#include "game/events/game_events.h"
#include "game/tools/console_sink.h"
#include "game/tools/script_args.h"
#include "game/world/kelvo_model.h"
#include "game/world/race_context.h"
#include "game/world/racer_model.h"
#include "libs/common/script_arg_check.h"
#include "libs/common/script_guard.h"
#include "libs/common/script_manager.h"

namespace kelvo {

namespace {

IScriptGame* s_game = nullptr;

IScriptGame* Game(const char* name) {
    if (s_game == nullptr) {
        ConsolePrint(std::string(name) + ": the game cannot do this yet");
    }
    return s_game;
}

int ConsoleWrite(lua_State* L) {
    int base = 0;
    if (ScriptArgs(L, "ConsoleWrite", "s", base)) {
        ConsolePrint(lua_tostring(L, base));
    }
    return 0;
}

int ReloadConsole(lua_State*) {
    common::CScriptManager::GetInstance()->RunScript("Scripts/ConsoleParser");
    return 0;
}

int ToggleDebugInfo(lua_State*) {
    if (IScriptGame* game = Game("ToggleDebugInfo")) {
        ConsolePrint(game->ToggleDebugInfo() ? "Debug Info ON" : "Debug Info OFF");
    }
    return 0;
}

int SetServer(lua_State* L) {
    int base = 0;
    if (ScriptArgs(L, "SetServer", "b", base)) {
        if (IScriptGame* game = Game("SetServer")) {
            const bool on = lua_toboolean(L, base) != 0;
            game->SetServer(on);
            ConsolePrint(on ? "Changing Server to TRUE" : "Changing Server to FALSE");
        }
    }
    return 0;
}

int SetNetworking(lua_State* L) {
    int base = 0;
    if (ScriptArgs(L, "SetNetworking", "b", base)) {
        if (IScriptGame* game = Game("SetNetworking")) {
            const bool on = lua_toboolean(L, base) != 0;
            game->SetNetworked(on);
            ConsolePrint(on ? "Changing Networked to TRUE" : "Changing Networked to FALSE");
        }
    }
    return 0;
}

int Start(lua_State*) {
    if (IScriptGame* game = Game("Start")) {
        ConsolePrint(game->IsNetworked() ? "Game is Networked" : "Game is NOT Networked");
        ConsolePrint(game->IsServer() ? "Game is a Server" : "Game is NOT a Server");
        game->StartGame();
        ConsolePrint("Starting Game, Please Wait . . .");
    }
    return 0;
}

// The racers of the game's race, in the order they were made; the character-selection line-up
// is made of racer models too, but races no one.
std::vector<CRacerModel*> RaceRacers(IRaceContext& race) {
    std::vector<CRacerModel*> racers;
    for (velm::CModel* model : race.GetRacers()) {
        if (auto* racer = dynamic_cast<CRacerModel*>(model)) {
            racers.push_back(racer);
        }
    }
    return racers;
}

int PrintRacerIDs(lua_State*) {
    IRaceContext* race = GetRaceContext();
    if (race == nullptr) {
        return 0;
    }
    std::string text;
    for (const CRacerModel* racer : RaceRacers(*race)) {
        text += std::to_string(racer->GetID()) + " " + ObjectTypeName(racer->GetObjectType());
        if (racer->GetControlKind() == CONTROL_LOCAL_PLAYER) {
            text += "<----- YOU";
        }
        text += "\n";
    }
    ConsolePrint(text);
    return 0;
}

// Only the items with a HUD icon can be given; the generic item has none.
bool IsGivableItem(std::uint32_t type) { return IsItemType(type) && type != OBJECT_GENERIC_ITEM; }

int GiveItem(lua_State* L) {
    int base = 0;
    if (!ScriptArgs(L, "GiveItem", "sn", base)) {
        lua_pushboolean(L, 0);
        return 1;
    }
    const std::uint32_t type = ObjectTypeByName(lua_tostring(L, base));
    // Ids are never negative; such a number names no racer.
    const int number = common::ScriptWholeNumber(lua_tonumber(L, base + 1));
    const auto wanted = static_cast<std::uint32_t>(number);
    IRaceContext* race = GetRaceContext();
    CRacerModel* target = nullptr;
    if (race != nullptr && IsGivableItem(type) && number >= 0) {
        for (CRacerModel* racer : RaceRacers(*race)) {
            if (wanted == 0 ? racer->GetControlKind() == CONTROL_LOCAL_PLAYER : racer->GetID() == wanted) {
                target = racer;
                break;
            }
        }
    }
    const bool given = target != nullptr && target->GetHeldItemType() == 0;
    if (given) {
        velm::QueueEvent(std::make_shared<CCreateItemEvt>(target->GetID(), type));
    }
    lua_pushboolean(L, given ? 1 : 0);
    return 1;
}

int PrintWeaponStats(lua_State*) { return 0; }

constexpr common::SScriptFunction kFunctions[] = {
    {"ConsoleWrite", &ConsoleWrite},   {"ReloadConsole", &ReloadConsole}, {"ToggleDebugInfo", &ToggleDebugInfo},
    {"SetServer", &SetServer},         {"SetNetworking", &SetNetworking}, {"Start", &Start},
    {"PrintRacerIDs", &PrintRacerIDs}, {"GiveItem", &GiveItem},           {"PrintWeaponStats", &PrintWeaponStats},
};

} // namespace

void SetScriptGame(IScriptGame* game) { s_game = game; }

void RegisterGameScriptFunctions() {
    common::RegisterGuardedFunctions<kFunctions, &ConsolePrint>(*common::CScriptManager::GetInstance());
}

} // namespace kelvo
