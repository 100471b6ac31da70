#include "game/tools/script_args.h"

#include <string>

#include "game/tools/console_sink.h"
#include "libs/common/script_arg_check.h"

namespace kelvo {

bool ScriptArgs(lua_State* L, const char* name, const char* kinds, int& base) {
    const std::string error = common::CheckScriptArgs(L, name, kinds, base);
    if (!error.empty()) {
        ConsolePrint(error);
    }
    return error.empty();
}

} // namespace kelvo
