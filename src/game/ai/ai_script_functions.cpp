#include "game/ai/ai_script_functions.h"

#include <lua.hpp>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "engine/ai/ai_enemy.h"
#include "engine/ai/ai_manager.h"
#include "engine/ai/neural_net.h"
#include "game/ai/ai_profile.h"
#include "game/ai/game_enemy.h"
#include "game/ai/waypoint_editor.h"
#include "game/ai/waypoint_file.h"
#include "libs/common/script_arg_check.h"
#include "libs/common/script_guard.h"
#include "libs/common/script_manager.h"

namespace kelvo {
namespace ai {
namespace {

SAIScriptContext* s_context = nullptr;

void Print(const std::string& text) {
    if (s_context != nullptr && s_context->m_print) {
        s_context->m_print(text);
    }
}

// Arguments are read by their place among the last `count` values on the stack; when fewer are
// given, the trailing ones are missing and read as nil (index 0).
int ArgIndex(lua_State* L, int count, int k) {
    const int top = lua_gettop(L);
    if (top >= count) {
        return top - count + 1 + k;
    }
    return k + 1 <= top ? k + 1 : 0;
}

bool HasString(lua_State* L, int count, int k) {
    const int i = ArgIndex(L, count, k);
    return i != 0 && lua_type(L, i) == LUA_TSTRING;
}

std::string StringArg(lua_State* L, int count, int k) {
    const int i = ArgIndex(L, count, k);
    if (i == 0 || !lua_isstring(L, i)) {
        return std::string();
    }
    return lua_tostring(L, i);
}

double NumberArg(lua_State* L, int count, int k) {
    const int i = ArgIndex(L, count, k);
    return i != 0 ? lua_tonumber(L, i) : 0.0;
}

bool BoolArg(lua_State* L, int count, int k) {
    const int i = ArgIndex(L, count, k);
    return i != 0 && lua_toboolean(L, i) != 0;
}

common::CVector3 VectorArg(lua_State* L, int count, int first) {
    return common::CVector3(common::ScriptFloat(NumberArg(L, count, first)),
                            common::ScriptFloat(NumberArg(L, count, first + 1)),
                            common::ScriptFloat(NumberArg(L, count, first + 2)));
}

// A waypoint or marker position, as a level file's.
bool Position(lua_State* L, const char* name, int count, int first) {
    const char* const axes[] = {"x", "y", "z"};
    for (int k = 0; k < 3; ++k) {
        if (!common::AcceptScriptSetting(L, NumberArg(L, count, first + k), common::kAnyDataNumber, name, axes[k],
                                         &Print)) {
            return false;
        }
    }
    return true;
}

// A profile's seconds between shots and its reach for jugs in metres.
constexpr common::SNumberBounds kProfileAmount = {0.0, common::kAnyDataNumber.highest, 0.0};
// Beyond any difficulty the profiles name (0 to 3).
constexpr common::SNumberBounds kProfileDifficulty = {0.0, 10.0, 0.0};

int PushBool(lua_State* L, bool value) {
    lua_pushboolean(L, value ? 1 : 0);
    return 1;
}

CWaypointEditor* Editor() { return s_context != nullptr ? s_context->m_editor : nullptr; }

// The count and kinds of the arguments (see common::CheckScriptArgs); a bad call prints its line.
bool Args(lua_State* L, const char* name, const char* kinds) {
    int base = 0;
    const std::string error = common::CheckScriptArgs(L, name, kinds, base);
    if (!error.empty()) {
        Print(error);
    }
    return error.empty();
}

int LoadWaypoints(lua_State* L) {
    if (!Args(L, "LoadWaypoints", "s")) {
        lua_pushnumber(L, 0);
        return 1;
    }
    const std::string name = StringArg(L, 1, 0);
    int read = -1;
    if (s_context != nullptr && s_context->m_manager != nullptr && !name.empty()) {
        read = LoadWaypointFile(name, *s_context->m_manager);
    }
    if (read < 0) {
        Print("ERROR: Could not read a waypoint path from \"" + name + "\"");
        read = 0;
    }
    lua_pushnumber(L, read);
    return 1;
}

int WriteWaypoints(lua_State* L) {
    if (!Args(L, "WriteWaypoints", "s")) {
        lua_pushnumber(L, 0);
        return 1;
    }
    const std::string name = StringArg(L, 1, 0);
    lua_pushnumber(L, Editor() != nullptr && !name.empty() ? Editor()->Write(name) : 0);
    return 1;
}

int AddWPtoEnd(lua_State* L) {
    if (Args(L, "AddWPtoEnd", "nnn") && Position(L, "AddWPtoEnd", 3, 0) && Editor() != nullptr) {
        Editor()->AppendWaypoint(VectorArg(L, 3, 0));
    }
    return 0;
}

int DeleteWaypoint(lua_State* L) {
    return PushBool(L, Args(L, "DeleteWaypoint", "n") && Editor() != nullptr &&
                           Editor()->DeleteWaypoint(common::ScriptWholeNumber(NumberArg(L, 1, 0))));
}

int InsertWaypoint(lua_State* L) {
    if (Args(L, "InsertWaypoint", "nnnnb") && Position(L, "InsertWaypoint", 5, 0) && Editor() != nullptr) {
        Editor()->InsertWaypoint(VectorArg(L, 5, 0), common::ScriptWholeNumber(NumberArg(L, 5, 3)), BoolArg(L, 5, 4));
    }
    return 0;
}

// The marker id of the edited path's waypoint at an index from 0, for the console, which names
// waypoints by their place in the path; nothing when the path has no such waypoint.
int GetWPMarkerID(lua_State* L) {
    if (!Args(L, "GetWPMarkerID", "n") || Editor() == nullptr) {
        return 0;
    }
    const double index = NumberArg(L, 1, 0);
    const std::vector<int>& ids = Editor()->GetMarkerIds();
    if (!(index >= 0.0 && index < static_cast<double>(ids.size()))) {
        return 0;
    }
    lua_pushnumber(L, ids[static_cast<std::size_t>(index)]);
    return 1;
}

int ClearWaypoints(lua_State*) {
    if (Editor() != nullptr) {
        Editor()->Clear();
    }
    return 0;
}

int SetActive(lua_State* L) {
    if (Editor() == nullptr) {
        return PushBool(L, false);
    }
    const int i = ArgIndex(L, 1, 0);
    if (i != 0 && lua_type(L, i) == LUA_TNUMBER) {
        return PushBool(L, Editor()->ActivateByIndex(common::ScriptWholeNumber(lua_tonumber(L, i))));
    }
    if (HasString(L, 1, 0)) {
        return PushBool(L, Editor()->ActivateByName(StringArg(L, 1, 0)));
    }
    Print("SetActive: expected (number or string)");
    return PushBool(L, false);
}

int SetInactive(lua_State* L) { return PushBool(L, Editor() != nullptr && Editor()->Deactivate()); }

int SetLabel(lua_State* L) {
    if (Args(L, "SetLabel", "s") && Editor() != nullptr) {
        Editor()->SetLabel(StringArg(L, 1, 0));
    }
    return 0;
}

int PrintWPList(lua_State*) {
    if (Editor() != nullptr) {
        Editor()->PrintList();
    }
    return 0;
}

int CreateWPObj(lua_State* L) {
    if (Args(L, "CreateWPObj", "nnn") && Position(L, "CreateWPObj", 3, 0) && s_context != nullptr &&
        s_context->m_markers != nullptr) {
        s_context->m_markers->CreateMarker(VectorArg(L, 3, 0), false);
    }
    return 0;
}

int AIStates(lua_State* L) {
    if (!Args(L, "AIStates", "bbb")) {
        return 0;
    }
    const bool useItems = BoolArg(L, 3, 0);
    const bool drive = BoolArg(L, 3, 1);
    const bool third = BoolArg(L, 3, 2);
    velm::ai::AIEnemy::SetDefaultStates(useItems, drive, third);
    if (s_context != nullptr && s_context->m_applyStates) {
        s_context->m_applyStates(useItems, drive, third);
    }
    return 0;
}

// A table field as a number; false when it is missing or not a number.
bool FieldNumber(lua_State* L, int table, const char* key, double& value) {
    lua_getfield(L, table, key);
    int isNumber = 0;
    value = lua_tonumberx(L, -1, &isNumber);
    lua_pop(L, 1);
    return isNumber != 0;
}

// Reads the described net from the table at `table`; empty on success, else why not.
// `warning` tells of weights the table's counts left out.
std::string ReadNet(lua_State* L, int table, const std::string& name, std::unique_ptr<velm::ai::CNeuralNet>& out,
                    std::string& warning) {
    velm::ai::SNetDesc desc;
    desc.m_name = name;
    struct SField {
        const char* key;
        double value;
    };
    SField fields[] = {{"Inputs", 0}, {"Outputs", 0}, {"AResp", 0},   {"Jitter", 0}, {"LRate", 0},
                       {"Momntm", 0}, {"NPHL", 0},    {"HLayers", 0}, {"Thresh", 0}, {"WNum", 0}};
    for (SField& field : fields) {
        if (!FieldNumber(L, table, field.key, field.value)) {
            // The learning fields are only kept; a table may leave them out.
            const std::string key = field.key;
            if (key != "Jitter" && key != "LRate" && key != "Momntm" && key != "Thresh" && key != "NPHL") {
                return std::string("field \"") + field.key + "\" is not a number";
            }
        }
    }
    auto whole = [](double v) { return v > -2147483648.0 && v < 2147483647.0 ? static_cast<int>(v) : -1; };
    desc.m_inputs = whole(fields[0].value);
    desc.m_outputs = whole(fields[1].value);
    desc.m_activationResponse = fields[2].value;
    desc.m_jitter = fields[3].value;
    desc.m_learningRate = fields[4].value;
    desc.m_momentum = fields[5].value;
    desc.m_neuronsPerHiddenLayer = whole(fields[6].value);
    desc.m_hiddenLayers = whole(fields[7].value);
    desc.m_threshold = fields[8].value;
    const std::string invalid = velm::ai::CNeuralNet::Validate(desc);
    if (!invalid.empty()) {
        return invalid;
    }
    const long needed = velm::ai::CNeuralNet::WeightCount(desc);
    lua_getfield(L, table, "Weights");
    if (!lua_istable(L, -1)) {
        lua_pop(L, 1);
        return "field \"Weights\" is not a table";
    }
    // The stated count, the list and the net may disagree: only the weights all three have are
    // taken, and the rest of the net keeps the weights it was made with.
    const double stated = fields[9].value > 0.0 ? fields[9].value : 0.0;
    const long listed = static_cast<long>(lua_rawlen(L, -1));
    const long taken =
        std::min({needed, listed, stated < static_cast<double>(needed) ? static_cast<long>(stated) : needed});
    if (taken != needed || listed != needed || stated != static_cast<double>(needed)) {
        warning = "WNum is " + std::to_string(whole(fields[9].value)) + ", Weights holds " + std::to_string(listed) +
                  " and the net has " + std::to_string(needed) + " weights; " + std::to_string(taken) + " taken";
    }
    std::vector<double> weights;
    weights.reserve(static_cast<std::size_t>(taken));
    for (long i = 1; i <= taken; ++i) {
        lua_rawgeti(L, -1, static_cast<lua_Integer>(i));
        int isNumber = 0;
        const double weight = lua_tonumberx(L, -1, &isNumber);
        lua_pop(L, 1);
        if (isNumber == 0 || !std::isfinite(weight)) {
            lua_pop(L, 1);
            return "Weights[" + std::to_string(i) + "] is not a finite number (the net has " + std::to_string(needed) +
                   " weights)";
        }
        weights.push_back(weight);
    }
    lua_pop(L, 1);
    auto net = std::make_unique<velm::ai::CNeuralNet>(desc);
    net->CreateNet();
    net->PutLeadingWeights(weights);
    out = std::move(net);
    return std::string();
}

int LoadNet(lua_State* L) {
    if (!HasString(L, 1, 0)) {
        Print("ERROR: LoadNet needs the name of a table");
        return PushBool(L, false);
    }
    const std::string name = StringArg(L, 1, 0);
    lua_getglobal(L, name.c_str());
    if (!lua_istable(L, -1)) {
        lua_pop(L, 1);
        Print("ERROR: LoadNet: \"" + name + "\" is not a table");
        return PushBool(L, false);
    }
    std::unique_ptr<velm::ai::CNeuralNet> net;
    std::string warning;
    const std::string error = ReadNet(L, lua_gettop(L), name, net, warning);
    lua_pop(L, 1);
    if (!error.empty()) {
        Print("ERROR: LoadNet \"" + name + "\": " + error);
        return PushBool(L, false);
    }
    if (!warning.empty()) {
        Print("LoadNet \"" + name + "\": " + warning);
    }
    if (s_context == nullptr || s_context->m_manager == nullptr || !s_context->m_manager->AddNet(std::move(net))) {
        Print("ERROR: LoadNet: a net named \"" + name + "\" is already loaded");
        return PushBool(L, false);
    }
    return PushBool(L, true);
}

// The profile named by the first of two arguments of the kinds given; null (and nothing created)
// for any other name or a bad call.
AIProfile* ProfileArg(lua_State* L, const char* name, const char* kinds) {
    if (!Args(L, name, kinds)) {
        return nullptr;
    }
    const int code = AITypeFromName(StringArg(L, 2, 0));
    return code == AI_NONE ? nullptr : &GetAIProfileByCode(code);
}

// The profile of a (name, number) call whose number lies within the bounds; a number beyond
// them is refused with its line and the profile keeps what it has.
AIProfile* ProfileWithValue(lua_State* L, const char* name, const common::SNumberBounds& bounds) {
    AIProfile* profile = ProfileArg(L, name, "sn");
    if (profile == nullptr ||
        !common::AcceptScriptSetting(L, NumberArg(L, 2, 1), bounds, name, StringArg(L, 2, 0), &Print)) {
        return nullptr;
    }
    return profile;
}

int SetAIWDelay(lua_State* L) {
    AIProfile* profile = ProfileWithValue(L, "SetAIWDelay", kProfileAmount);
    if (profile != nullptr) {
        profile->WDelay = common::ScriptFloat(NumberArg(L, 2, 1));
    }
    return PushBool(L, profile != nullptr);
}

int SetAICRange(lua_State* L) {
    AIProfile* profile = ProfileWithValue(L, "SetAICRange", kProfileAmount);
    if (profile != nullptr) {
        profile->CRange = common::ScriptFloat(NumberArg(L, 2, 1));
    }
    return PushBool(L, profile != nullptr);
}

int SetAIDifficulty(lua_State* L) {
    AIProfile* profile = ProfileWithValue(L, "SetAIDifficulty", kProfileDifficulty);
    if (profile != nullptr) {
        profile->Difficulty = common::ScriptWholeNumber(NumberArg(L, 2, 1));
    }
    return PushBool(L, profile != nullptr);
}

int SetAIPath(lua_State* L) {
    AIProfile* profile = ProfileArg(L, "SetAIPath", "ss");
    if (profile != nullptr) {
        profile->Path = StringArg(L, 2, 1);
    }
    return PushBool(L, profile != nullptr);
}

int SetAINet(lua_State* L) {
    AIProfile* profile = ProfileArg(L, "SetAINet", "ss");
    if (profile != nullptr) {
        profile->Net = StringArg(L, 2, 1);
    }
    return PushBool(L, profile != nullptr);
}

int SetAIDebug(lua_State* L) {
    AIProfile* profile = ProfileArg(L, "SetAIDebug", "sb");
    if (profile != nullptr) {
        profile->Debug = BoolArg(L, 2, 1);
    }
    return PushBool(L, profile != nullptr);
}

constexpr common::SScriptFunction kFunctions[] = {
    {"LoadWaypoints", &LoadWaypoints},
    {"WriteWaypoints", &WriteWaypoints},
    {"AddWPtoEnd", &AddWPtoEnd},
    {"DeleteWaypoint", &DeleteWaypoint},
    {"InsertWaypoint", &InsertWaypoint},
    {"GetWPMarkerID", &GetWPMarkerID},
    {"ClearWaypoints", &ClearWaypoints},
    {"SetActive", &SetActive},
    {"SetInactive", &SetInactive},
    {"SetLabel", &SetLabel},
    {"PrintWPList", &PrintWPList},
    {"CreateWPObj", &CreateWPObj},
    {"AIStates", &AIStates},
    {"LoadNet", &LoadNet},
    {"SetAIWDelay", &SetAIWDelay},
    {"SetAICRange", &SetAICRange},
    {"SetAIPath", &SetAIPath},
    {"SetAIDifficulty", &SetAIDifficulty},
    {"SetAINet", &SetAINet},
    {"SetAIDebug", &SetAIDebug},
};

} // namespace

CAIScriptHost::CAIScriptHost(velm::ai::CAIManager& manager, const std::function<void(const std::string&)>& print)
    : m_markers(std::make_unique<CGameMarkers>()),
      m_editor(std::make_unique<CWaypointEditor>(manager, *m_markers, print)) {
    m_context.m_manager = &manager;
    m_context.m_editor = m_editor.get();
    m_context.m_markers = m_markers.get();
    m_context.m_print = print;
    m_context.m_applyStates = &ApplyAIStates;
}

CAIScriptHost::~CAIScriptHost() {
    if (s_context == &m_context) {
        s_context = nullptr;
    }
}

void RegisterAIScriptFunctions(SAIScriptContext& context) {
    s_context = &context;
    common::RegisterGuardedFunctions<kFunctions, &Print>(*common::CScriptManager::GetInstance());
}

} // namespace ai
} // namespace kelvo
