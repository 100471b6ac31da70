// common::CScriptManager, the one Lua state of the program: runs script files and strings in
// protected calls, reads globals and table fields, calls script functions by a signature string
// and registers native functions. Every script error is printed to standard error and the Lua
// stack is left as it was found; the state's memory is bounded, so a runaway script fails with
// Lua's "not enough memory" instead of taking the machine's. Created on first use and never destroyed, so GetInstance()
// never returns null; main thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <vector>

struct lua_State;
using lua_CFunction = int (*)(lua_State*);

namespace common {

class CScriptManager {
public:
    static CScriptManager* GetInstance();

    // Far beyond what the game's scripts hold (well under a megabyte).
    static constexpr std::size_t kMemoryLimit = 256u * 1024u * 1024u;

    explicit CScriptManager(std::size_t memoryLimit = kMemoryLimit);
    // The process-wide host is never destroyed; other instances close their state here.
    ~CScriptManager();
    CScriptManager(const CScriptManager&) = delete;
    CScriptManager& operator=(const CScriptManager&) = delete;

    // False when the text does not compile or its run fails.
    bool RunString(const char* text);
    // False when the file is missing or does not compile; a failed run still returns true.
    bool RunScript(const char* name);
    // The first of "Scripts\<name>.LUB", "Scripts\<name>.LUA", "<name>.LUB" and "<name>.LUA"
    // (beside the name's directory) that opens; the name unchanged when none does.
    std::string FindScriptFile(const std::string& name) const;

    // Missing or mistyped globals read as 0.0, 0, false or "".
    double GetGlobalNumber(const std::string& name);
    int GetGlobalInt(const std::string& name);
    bool GetGlobalBool(const std::string& name);
    std::string GetGlobalString(const std::string& name);

    void PushString(const char* text);
    // Fields of the table on the stack top; the table stays, a field that is not a number
    // reads as 0 with a message, and so does every field when the top is not a table (the int
    // read says nothing then).
    float GetTableFloat(const char* key);
    int GetTableInt(const char* key);
    float GetTableFloatAt(int index);

    // Calls the global script function `name`. The signature lists the argument kinds, then
    // '>' and the result kinds: 'd' double, 'i' int, 's' text, 'b' bool. Arguments follow by
    // value, then one address per result ('s' takes a const char**, valid until the next
    // call). False when the call failed or a result had the wrong type.
    bool CallFunction(const char* name, const char* signature, ...);

    // 0 registered; 1 already registered so; 2 the name is bound to another function (kept);
    // 3 the function is registered under another name (kept there).
    int RegisterFunction(const std::string& name, lua_CFunction function);

    lua_State* GetState() const { return m_state; }
    // Bytes the state holds now.
    std::size_t GetMemoryUsed() const { return m_budget.m_used; }

private:
    struct SMemoryBudget {
        std::size_t m_limit;
        std::size_t m_used;
    };
    // Lua's allocator over an SMemoryBudget.
    static void* Allocate(void* user, void* block, std::size_t oldSize, std::size_t newSize);

    struct SRegisteredFunction {
        std::string m_name;
        lua_CFunction m_function;
    };

    // Runs the chunk on the stack top in a protected call; prints the error of a failed run.
    bool ProtectedRun(const char* what);
    // Reads a field (by key, or by index) of the table on the stack top as a number; false, with a
    // message, when there is no table or the field is no number.
    bool ReadTableNumber(const char* key, int index, bool byIndex, double& out);

    SMemoryBudget m_budget;
    lua_State* m_state;
    std::vector<SRegisteredFunction> m_functions;
    std::uint32_t m_functionCount = 0;
    // Copies of the text results of the last CallFunction; a list keeps their addresses.
    std::list<std::string> m_resultTexts;
};

} // namespace common
