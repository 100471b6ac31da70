// The registration of native script functions. A native function runs inside the Lua library's
// C frames, which a C++ exception cannot cross without ending the program, so each one is
// registered through a guard: an exception it lets out stops at the guard and is answered with a
// line naming the function and what went wrong, on standard error and through the registering
// side's own sink (the console), and the script gets no result. Main thread only.
#pragma once

#include <cstddef>
#include <iterator>
#include <string>
#include <utility>

#include "libs/common/script_arg_check.h"
#include "libs/common/script_manager.h"

namespace common {

struct SScriptFunction {
    const char* name;
    lua_CFunction function;
};

// Called inside a catch block: says "<name>: <what the exception says>; the call did nothing
// more" on standard error and to `say`. Never throws.
void AnswerScriptFailure(const char* name, ScriptLineSink say) noexcept;

template <const auto& Table, std::size_t I, ScriptLineSink Say>
int GuardedScriptFunction(lua_State* state) noexcept {
    try {
        return Table[I].function(state);
    } catch (...) {
        AnswerScriptFailure(Table[I].name, Say);
    }
    return 0;
}

namespace detail {
template <const auto& Table, ScriptLineSink Say, std::size_t... I>
void RegisterGuarded(CScriptManager& host, std::index_sequence<I...>) {
    (host.RegisterFunction(Table[I].name, &GuardedScriptFunction<Table, I, Say>), ...);
}
} // namespace detail

// Registers every function of a constant table (of SScriptFunction, with static storage) under
// its name, each behind its own guard, so the host still tells the functions apart.
template <const auto& Table, ScriptLineSink Say>
void RegisterGuardedFunctions(CScriptManager& host) {
    detail::RegisterGuarded<Table, Say>(host, std::make_index_sequence<std::size(Table)>());
}

} // namespace common
