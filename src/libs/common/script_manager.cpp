#include "libs/common/script_manager.h"

#include <lua.hpp>
#include <luabind/open.hpp>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/win32/file_path.h"
#include "platform/win32/file_read.h"

namespace common {
namespace {

CScriptManager* s_instance = nullptr;

// A readable text for any value: strings and numbers as they are, other values by type name.
std::string ValueText(lua_State* state, int index) {
    const int type = lua_type(state, index);
    if (type == LUA_TSTRING) {
        return lua_tostring(state, index);
    }
    if (type == LUA_TNUMBER) {
        char text[32];
        std::snprintf(text, sizeof(text), "%.14g", lua_tonumber(state, index));
        return text;
    }
    return luaL_typename(state, index);
}

// The host's messages are log lines of the program, like the network's: standard output.
void Print(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
}

int PanicHandler(lua_State* state) {
    Print("Script host: unprotected script error: " + ValueText(state, -1) + "\n");
    return 0;
}

// Reads run inside protected calls: a metamethod that raises an error must not end the program.
int GetGlobalThunk(lua_State* state) {
    lua_getglobal(state, lua_tostring(state, 1));
    return 1;
}

int GetFieldThunk(lua_State* state) {
    lua_gettable(state, 1);
    return 1;
}

// Leaves the global on the stack top and returns true, or prints the error and leaves nothing.
bool PushGlobal(lua_State* state, const char* name) {
    lua_pushcfunction(state, &GetGlobalThunk);
    lua_pushstring(state, name);
    if (lua_pcall(state, 1, 1, 0) != LUA_OK) {
        Print(std::string("Script error reading global ") + name + ": " + ValueText(state, -1) + "\n");
        lua_pop(state, 1);
        return false;
    }
    return true;
}

// Expects the table at the stack top and the key pushed above it; leaves the field there.
bool PushField(lua_State* state) {
    lua_pushcfunction(state, &GetFieldThunk);
    lua_pushvalue(state, -3);
    lua_pushvalue(state, -3);
    lua_remove(state, -4);
    if (lua_pcall(state, 2, 1, 0) != LUA_OK) {
        Print("Script error reading a table field: " + ValueText(state, -1) + "\n");
        lua_pop(state, 1);
        return false;
    }
    return true;
}

int ToInt(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    if (value <= static_cast<double>(std::numeric_limits<int>::min())) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(value);
}

void SplitPath(const std::string& name, std::string& directory, std::string& file) {
    const std::size_t slash = name.find_last_of("/\\");
    directory = slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
    file = slash == std::string::npos ? name : name.substr(slash + 1);
    const std::size_t dot = file.find_last_of('.');
    if (dot != std::string::npos) {
        file.erase(dot);
    }
}

} // namespace

CScriptManager* CScriptManager::GetInstance() {
    if (s_instance == nullptr) {
        s_instance = new CScriptManager();
    }
    return s_instance;
}

// Lua's allocator with a bound: a growth that would pass the limit fails, which Lua raises as
// "not enough memory" inside the protected call that asked for it.
void* CScriptManager::Allocate(void* user, void* block, std::size_t oldSize, std::size_t newSize) {
    auto* budget = static_cast<SMemoryBudget*>(user);
    // Without a block, oldSize names the kind of object, not a size held.
    const std::size_t held = block != nullptr ? oldSize : 0;
    if (newSize == 0) {
        std::free(block);
        budget->m_used -= held;
        return nullptr;
    }
    if (newSize > held && newSize - held > budget->m_limit - budget->m_used) {
        return nullptr;
    }
    void* grown = std::realloc(block, newSize);
    if (grown != nullptr) {
        budget->m_used = budget->m_used - held + newSize;
    }
    return grown;
}

CScriptManager::CScriptManager(std::size_t memoryLimit)
    : m_budget{memoryLimit, 0}, m_state(lua_newstate(&Allocate, &m_budget)) {
    lua_atpanic(m_state, &PanicHandler);
    const luaL_Reg libraries[] = {
        {"_G", luaopen_base},       {"coroutine", luaopen_coroutine}, {"io", luaopen_io},       {"os", luaopen_os},
        {"string", luaopen_string}, {"math", luaopen_math},           {"table", luaopen_table},
    };
    for (const luaL_Reg& library : libraries) {
        luaL_requiref(m_state, library.name, library.func, 1);
        lua_pop(m_state, 1);
    }
    luabind::open(m_state);
}

CScriptManager::~CScriptManager() { lua_close(m_state); }

bool CScriptManager::ProtectedRun(const char* what) {
    if (lua_pcall(m_state, 0, LUA_MULTRET, 0) != LUA_OK) {
        Print(std::string("Script error in ") + what + ": " + ValueText(m_state, -1) + "\n");
        return false;
    }
    return true;
}

bool CScriptManager::RunString(const char* text) {
    if (text == nullptr) {
        Print("Script error: no text to run\n");
        return false;
    }
    const int top = lua_gettop(m_state);
    bool ok = false;
    if (luaL_loadbuffer(m_state, text, std::strlen(text), text) != LUA_OK) {
        Print("Script error: " + ValueText(m_state, -1) + "\n");
    } else {
        ok = ProtectedRun("a script line");
    }
    lua_settop(m_state, top);
    return ok;
}

bool CScriptManager::RunScript(const char* name) {
    if (name == nullptr) {
        Print("\nFile not found");
        return false;
    }
    const std::string path = FindScriptFile(name);
    const int top = lua_gettop(m_state);
    const int loaded = luaL_loadfile(m_state, path.c_str());
    if (loaded != LUA_OK) {
        switch (loaded) {
            case LUA_ERRFILE:
                Print("\nFile not found");
                break;
            case LUA_ERRSYNTAX:
                Print("\nA syntax error was found while compiling the script\n");
                break;
            case LUA_ERRMEM:
                Print("\nThe required memory could not be allocated\n");
                break;
            default:
                Print("\nSome error occured!\n");
                break;
        }
        Print(ValueText(m_state, -1) + "\n");
        lua_settop(m_state, top);
        return false;
    }
    ProtectedRun(path.c_str());
    lua_settop(m_state, top);
    return true;
}

std::string CScriptManager::FindScriptFile(const std::string& name) const {
    std::string directory;
    std::string file;
    SplitPath(name, directory, file);
    const std::string candidates[] = {
        directory + "Scripts\\" + name + ".LUB",
        directory + "Scripts\\" + name + ".LUA",
        directory + name + ".LUB",
        directory + file + ".LUA",
    };
    // Scripts are text of a few kilobytes; a device or a folder in a script's place is never run.
    constexpr std::uint64_t kMostScriptBytes = 16u << 20;
    for (const std::string& candidate : candidates) {
        const std::string path = platform::ResolvePath(candidate);
        std::string why;
        if (platform::CheckReadableFile(path, kMostScriptBytes, why)) {
            return path;
        }
        // A file that is there but unusable is the file check's finding, said where every reader
        // says of a damaged file.
        if (platform::FileExists(path)) {
            std::fprintf(stderr, "Script %s: %s %s; skipped\n", name.c_str(), path.c_str(), why.c_str());
        }
    }
    return name;
}

double CScriptManager::GetGlobalNumber(const std::string& name) {
    if (!PushGlobal(m_state, name.c_str())) {
        return 0.0;
    }
    int isNumber = 0;
    const double value = lua_tonumberx(m_state, -1, &isNumber);
    lua_pop(m_state, 1);
    return isNumber != 0 ? value : 0.0;
}

int CScriptManager::GetGlobalInt(const std::string& name) { return ToInt(GetGlobalNumber(name)); }

bool CScriptManager::GetGlobalBool(const std::string& name) {
    if (!PushGlobal(m_state, name.c_str())) {
        return false;
    }
    const bool value = lua_isboolean(m_state, -1) && lua_toboolean(m_state, -1) != 0;
    lua_pop(m_state, 1);
    return value;
}

std::string CScriptManager::GetGlobalString(const std::string& name) {
    if (!PushGlobal(m_state, name.c_str())) {
        return std::string();
    }
    const int type = lua_type(m_state, -1);
    std::string value = type == LUA_TSTRING || type == LUA_TNUMBER ? ValueText(m_state, -1) : std::string();
    lua_pop(m_state, 1);
    return value;
}

void CScriptManager::PushString(const char* text) { lua_pushstring(m_state, text); }

bool CScriptManager::ReadTableNumber(const char* key, int index, bool byIndex, double& out) {
    if (!lua_istable(m_state, -1)) {
        Print(byIndex ? "Not a valid table when reading entry " + std::to_string(index) + "\n"
                      : std::string("Not a valid table when reading ") + (key != nullptr ? key : "nil") + "\n");
        return false;
    }
    if (byIndex) {
        lua_pushinteger(m_state, index);
    } else {
        lua_pushstring(m_state, key);
    }
    if (!PushField(m_state)) {
        return false;
    }
    int isNumber = 0;
    out = lua_tonumberx(m_state, -1, &isNumber);
    if (isNumber == 0) {
        Print("Not a valid number " + ValueText(m_state, -1) + "\n");
    }
    lua_pop(m_state, 1);
    return isNumber != 0;
}

float CScriptManager::GetTableFloat(const char* key) {
    double value = 0.0;
    return ReadTableNumber(key, 0, false, value) ? static_cast<float>(value) : 0.0f;
}

int CScriptManager::GetTableInt(const char* key) {
    // Unlike the float reads, an int read of no table answers 0 without a message.
    if (!lua_istable(m_state, -1)) {
        return 0;
    }
    double value = 0.0;
    return ReadTableNumber(key, 0, false, value) ? ToInt(value) : 0;
}

float CScriptManager::GetTableFloatAt(int index) {
    double value = 0.0;
    return ReadTableNumber(nullptr, index, true, value) ? static_cast<float>(value) : 0.0f;
}

bool CScriptManager::CallFunction(const char* name, const char* signature, ...) {
    m_resultTexts.clear();
    if (name == nullptr || signature == nullptr) {
        Print("Script error: a script function call needs a name and a signature\n");
        return false;
    }
    const int top = lua_gettop(m_state);
    if (!PushGlobal(m_state, name)) {
        return false;
    }
    std::va_list args;
    va_start(args, signature);
    int pushed = 0;
    const char* option = signature;
    for (; *option != '\0' && *option != '>'; ++option) {
        if (!lua_checkstack(m_state, 1)) {
            Print(std::string("Script error calling ") + name + ": too many arguments\n");
            va_end(args);
            lua_settop(m_state, top);
            return false;
        }
        switch (*option) {
            case 'd':
                lua_pushnumber(m_state, va_arg(args, double));
                break;
            case 'i':
                lua_pushnumber(m_state, va_arg(args, int));
                break;
            case 's':
                lua_pushstring(m_state, va_arg(args, const char*));
                break;
            case 'b':
                lua_pushboolean(m_state, va_arg(args, int));
                break;
            default:
                Print(std::string("invalid option ") + ValueText(m_state, -1) + "\n");
                continue;
        }
        ++pushed;
    }
    const char* results = *option == '>' ? option + 1 : option;
    const int resultCount = static_cast<int>(std::strlen(results));
    if (lua_pcall(m_state, pushed, resultCount, 0) != LUA_OK) {
        Print(std::string("Script error in ") + name + ": " + ValueText(m_state, -1) + "\n");
        va_end(args);
        lua_settop(m_state, top);
        return false;
    }
    bool ok = true;
    for (int i = 0; i < resultCount; ++i) {
        const int index = top + 1 + i;
        const char kind = results[i];
        bool typeOk = true;
        switch (kind) {
            case 'b': {
                bool* out = va_arg(args, bool*);
                typeOk = lua_isboolean(m_state, index);
                if (typeOk && out != nullptr) {
                    *out = lua_toboolean(m_state, index) != 0;
                }
                break;
            }
            case 'd': {
                double* out = va_arg(args, double*);
                typeOk = lua_isnumber(m_state, index) != 0;
                if (typeOk && out != nullptr) {
                    *out = lua_tonumber(m_state, index);
                }
                break;
            }
            case 'i': {
                int* out = va_arg(args, int*);
                typeOk = lua_isnumber(m_state, index) != 0;
                if (typeOk && out != nullptr) {
                    *out = ToInt(lua_tonumber(m_state, index));
                }
                break;
            }
            case 's': {
                const char** out = va_arg(args, const char**);
                typeOk = lua_isstring(m_state, index) != 0;
                if (typeOk && out != nullptr) {
                    m_resultTexts.push_back(ValueText(m_state, index));
                    *out = m_resultTexts.back().c_str();
                }
                break;
            }
            default:
                Print(std::string("invalid option ") + kind + "\n");
                ok = false;
                continue;
        }
        if (!typeOk) {
            Print("wrong result type " + ValueText(m_state, index) + "\n");
            ok = false;
        }
    }
    va_end(args);
    lua_settop(m_state, top);
    return ok;
}

int CScriptManager::RegisterFunction(const std::string& name, lua_CFunction function) {
    for (const SRegisteredFunction& entry : m_functions) {
        if (entry.m_name == name) {
            return entry.m_function == function ? 1 : 2;
        }
        if (entry.m_function == function) {
            return 3;
        }
    }
    lua_pushcclosure(m_state, function, 0);
    lua_setglobal(m_state, name.c_str());
    m_functions.push_back(SRegisteredFunction{name, function});
    ++m_functionCount;
    return 0;
}

} // namespace common
