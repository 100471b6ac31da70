#include "game/ai/ai_script_functions.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/ai/ai_enemy.h"
#include "engine/ai/ai_manager.h"
#include "engine/ai/neural_net.h"
#include "game/ai/ai_profile.h"
#include "game/ai/waypoint_editor.h"
#include "libs/common/script_manager.h"
#include "support/temp_dir.h"

namespace {

class CNoMarkers : public kelvo::IWaypointMarkers {
public:
    int CreateMarker(const common::CVector3&, bool) override { return ++m_created; }
    void RemoveMarker(int) override {}
    bool GetMarkerPosition(int, common::CVector3&) override { return false; }
    int m_created = 0;
};

class AIScriptTest : public ::testing::Test {
protected:
    AIScriptTest() : m_editor(m_manager, m_markers, [this](const std::string& t) { m_printed.push_back(t); }) {
        m_context.m_manager = &m_manager;
        m_context.m_editor = &m_editor;
        m_context.m_markers = &m_markers;
        m_context.m_print = [this](const std::string& t) { m_printed.push_back(t); };
        m_context.m_applyStates = [this](bool a, bool b, bool c) { m_states = {a, b, c}; };
        kelvo::ai::RegisterAIScriptFunctions(m_context);
    }
    ~AIScriptTest() override {
        kelvo::ai::GetAIProfiles().clear();
        velm::ai::AIEnemy::SetDefaultStates(true, true, true);
    }
    bool Run(const std::string& text) { return m_host->RunString(text.c_str()); }
    bool Flag(const char* global) { return m_host->GetGlobalBool(global); }

    common::CScriptManager* m_host = common::CScriptManager::GetInstance();
    velm::ai::CAIManager m_manager;
    CNoMarkers m_markers;
    std::vector<std::string> m_printed;
    kelvo::CWaypointEditor m_editor;
    kelvo::ai::SAIScriptContext m_context;
    std::vector<bool> m_states;
};

TEST_F(AIScriptTest, LoadNetBuildsTheTableNetOnce) {
    ASSERT_TRUE(
        Run("Steer = { Inputs = 1, Outputs = 2, HLayers = 0, NPHL = 0, AResp = 1, Jitter = 0,"
            " LRate = 0.1, Momntm = 0, Thresh = 0.01, WNum = 4, Weights = { -8, -4, 8, 4 } }"
            " ok1 = LoadNet('Steer') ok2 = LoadNet('Steer')"));
    EXPECT_TRUE(Flag("ok1"));
    EXPECT_FALSE(Flag("ok2"));
    velm::ai::CNeuralNet* net = m_manager.FindNet("Steer");
    ASSERT_NE(net, nullptr);
    EXPECT_EQ(net->GetLayers()[0].m_neurons[1].m_weights, (std::vector<double>{8, 4}));
    EXPECT_NE(m_printed.back().find("already loaded"), std::string::npos);
}

TEST_F(AIScriptTest, LoadNetRefusesBadTablesWithAMessage) {
    struct SCase {
        const char* table;
        const char* mentions;
    };
    const SCase cases[] = {
        {"nil", "not a table"},
        {"{ Inputs = -1, Outputs = 2, HLayers = 0, AResp = 1, WNum = 0, Weights = {} }", "Inputs"},
        {"{ Inputs = 1, Outputs = 2e9, HLayers = 0, AResp = 1, WNum = 0, Weights = {} }", "Outputs"},
        {"{ Inputs = 1, Outputs = 2, HLayers = 0, AResp = 0, WNum = 4, Weights = {1,2,3,4} }", "AResp"},
        {"{ Inputs = 1, Outputs = 2, HLayers = 0, AResp = 1, WNum = 4, Weights = {1,'x',3,4} }", "Weights[2]"},
        {"{ Inputs = 1, Outputs = 2, HLayers = 0, AResp = 1, WNum = 4, Weights = {1,2,0/0,4} }", "Weights[3]"},
        {"{ Inputs = 1, Outputs = 2, HLayers = 0, AResp = 1, WNum = 4, Weights = 5 }", "Weights"},
        {"{ Inputs = 'one', Outputs = 2, HLayers = 0, AResp = 1, WNum = 4, Weights = {1,2,3,4} }", "Inputs"},
    };
    for (const SCase& c : cases) {
        m_printed.clear();
        ASSERT_TRUE(Run(std::string("Bad = ") + c.table + " ok = LoadNet('Bad')")) << c.table;
        EXPECT_FALSE(Flag("ok")) << c.table;
        ASSERT_FALSE(m_printed.empty()) << c.table;
        EXPECT_NE(m_printed.back().find(c.mentions), std::string::npos) << c.table << ": " << m_printed.back();
        EXPECT_EQ(m_manager.FindNet("Bad"), nullptr) << c.table;
    }
    ASSERT_TRUE(Run("ok = LoadNet()"));
    EXPECT_FALSE(Flag("ok"));
}

TEST_F(AIScriptTest, LoadNetTakesOnlyTheWeightsEveryCountAgreesOn) {
    struct SCase {
        const char* table;
        std::vector<double> second; // the second output neuron's input and bias weights
    };
    // The net has four weights; the stated count, the list and the net may each be the smallest.
    const SCase cases[] = {
        {"WNum = 3, Weights = {1,2,3,4,5}", {3, 0}},
        {"WNum = 9, Weights = {1,2,3}", {3, 0}},
        {"WNum = 9, Weights = {1,2,3,4,5,6}", {3, 4}},
        {"WNum = -2, Weights = {1,2,3,4}", {0, 0}},
    };
    int made = 0;
    for (const SCase& c : cases) {
        m_printed.clear();
        const std::string name = "Short" + std::to_string(made++);
        ASSERT_TRUE(Run(name + " = { Inputs = 1, Outputs = 2, HLayers = 0, AResp = 1, " + c.table + " }" +
                        " ok = LoadNet('" + name + "')"));
        EXPECT_TRUE(Flag("ok")) << c.table;
        ASSERT_FALSE(m_printed.empty()) << c.table;
        EXPECT_NE(m_printed.back().find("taken"), std::string::npos) << m_printed.back();
        velm::ai::CNeuralNet* net = m_manager.FindNet(name);
        ASSERT_NE(net, nullptr);
        const std::vector<double>& weights = net->GetLayers()[0].m_neurons[1].m_weights;
        for (std::size_t i = 0; i < weights.size(); ++i) {
            // Weights the counts left out keep the net's own, which lie in [-1, 1].
            if (c.second[i] != 0) {
                EXPECT_EQ(weights[i], c.second[i]) << c.table;
            } else {
                EXPECT_LE(std::abs(weights[i]), 1.0) << c.table;
            }
        }
    }
}

TEST_F(AIScriptTest, ProfileSettersByTypeName) {
    ASSERT_TRUE(
        Run("a = SetAIWDelay('hard', 1.5) b = SetAICRange('easy', 9) c = SetAIPath('evasive', 'line')"
            " d = SetAINet('evasive', 'Steer') e = SetAIDebug('human', true) f = SetAIDifficulty('slappy', 3.7)"
            " g = SetAIDifficulty('Hard', 2) h = SetAIPath('boss', 'x') i = SetAINet('easy')"));
    for (const char* ok : {"a", "b", "c", "d", "e", "f"}) {
        EXPECT_TRUE(Flag(ok)) << ok;
    }
    EXPECT_FALSE(Flag("g"));
    EXPECT_FALSE(Flag("h"));
    // A missing net name is a bad call, not an empty name.
    EXPECT_FALSE(Flag("i"));
    const auto& profiles = kelvo::ai::GetAIProfiles();
    EXPECT_EQ(profiles.count(0), 0u);
    EXPECT_FLOAT_EQ(profiles.at(kelvo::ai::AI_HARD).WDelay, 1.5f);
    EXPECT_FLOAT_EQ(profiles.at(kelvo::ai::AI_EASY).CRange, 9.0f);
    EXPECT_EQ(profiles.at(kelvo::ai::AI_EASY).Net, "");
    EXPECT_EQ(profiles.at(kelvo::ai::AI_EVASIVE).Path, "line");
    EXPECT_EQ(profiles.at(kelvo::ai::AI_EVASIVE).Net, "Steer");
    EXPECT_TRUE(profiles.at(kelvo::ai::AI_HUMAN).Debug);
    EXPECT_EQ(profiles.at(kelvo::ai::AI_SLAPPY).Difficulty, 3);

    ASSERT_TRUE(Run("AIStates(true, false, true)"));
    EXPECT_EQ(m_states, (std::vector<bool>{true, false, true}));
}

TEST_F(AIScriptTest, ProfilesByCharacter) {
    const int expected[] = {1, 7, 5, 6, 4, 1, 2, 1};
    for (int character = 0; character <= 7; ++character) {
        EXPECT_EQ(kelvo::ai::AITypeForCharacter(2, character), expected[character]) << character;
    }
    EXPECT_EQ(kelvo::ai::AITypeForCharacter(1, 3), kelvo::ai::AI_HUMAN);
    EXPECT_EQ(&kelvo::ai::GetAIProfile(2, 9), &kelvo::ai::GetAIProfileByCode(kelvo::ai::AI_EASY));
}

TEST_F(AIScriptTest, WaypointCommandsReachTheEditorAndFiles) {
    tktest::CTempDir dir;
    const std::string file = dir.Path() + "/p.txt";
    ASSERT_TRUE(Run("SetLabel('p') AddWPtoEnd(1, 2, 3) AddWPtoEnd(4, 5, 6) n = WriteWaypoints('" + file +
                    "') off = SetInactive() on = SetActive(0) byName = SetActive('p') other = SetActive(true)"));
    EXPECT_EQ(m_host->GetGlobalInt("n"), 2);
    EXPECT_TRUE(Flag("off"));
    EXPECT_TRUE(Flag("on"));
    EXPECT_TRUE(Flag("byName"));
    EXPECT_FALSE(Flag("other"));
    ASSERT_TRUE(Run("ClearWaypoints() read = LoadWaypoints('" + file + "') missing = LoadWaypoints('" + dir.Path() +
                    "/none.txt')"));
    EXPECT_EQ(m_host->GetGlobalInt("read"), 2);
    EXPECT_EQ(m_host->GetGlobalInt("missing"), 0);
    EXPECT_NE(m_printed.back().find("none.txt"), std::string::npos);
    EXPECT_EQ(m_manager.GetPathCount(), 1u);
}

TEST_F(AIScriptTest, BadCallsPrintALineAndChangeNothing) {
    ASSERT_TRUE(
        Run("AddWPtoEnd(1, 2) InsertWaypoint(1, 2, 3) SetLabel() CreateWPObj('x', 0, 0) AIStates(true) "
            "wd = SetAIWDelay('easy') path = SetAIPath('easy', 4) dbg = SetAIDebug('easy') "
            "del = DeleteWaypoint('first') act = SetActive() n = WriteWaypoints() read = LoadWaypoints(7)"));
    for (const char* refused : {"wd", "path", "dbg", "del", "act"}) {
        EXPECT_FALSE(Flag(refused)) << refused;
    }
    EXPECT_EQ(m_host->GetGlobalInt("n"), 0);
    EXPECT_EQ(m_host->GetGlobalInt("read"), 0);
    EXPECT_TRUE(m_editor.GetWaypoints().empty());
    EXPECT_EQ(m_markers.m_created, 0);
    EXPECT_TRUE(m_states.empty());
    EXPECT_EQ(kelvo::ai::GetAIProfiles().count(kelvo::ai::AI_EASY), 0u);
    EXPECT_EQ(m_printed, (std::vector<std::string>{
                             "AddWPtoEnd: expected (number, number, number)",
                             "InsertWaypoint: expected (number, number, number, number, bool)",
                             "SetLabel: expected (string)", "CreateWPObj: expected (number, number, number)",
                             "AIStates: expected (bool, bool, bool)", "SetAIWDelay: expected (string, number)",
                             "SetAIPath: expected (string, string)", "SetAIDebug: expected (string, bool)",
                             "DeleteWaypoint: expected (number)", "SetActive: expected (number or string)",
                             "WriteWaypoints: expected (string)", "LoadWaypoints: expected (string)"}));
}

// A profile value that is not finite or beyond reason, as the start script might give it, is
// refused with a line naming the script and its line, and the profile keeps what it had.
TEST_F(AIScriptTest, HostileProfileValuesAreRefusedNamingTheScript) {
    ASSERT_TRUE(Run("SetAIWDelay('easy', 2.5) SetAICRange('easy', 10) SetAIDifficulty('easy', 1)"));
    tktest::CTempDir dir;
    dir.Write("Scripts/StartGame.LUA",
              "wd = SetAIWDelay('easy', 0/0)\ncr = SetAICRange('easy', math.huge)\n"
              "df = SetAIDifficulty('easy', -1e300)\nneg = SetAIWDelay('easy', -1)\n");
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(m_host->RunScript((dir.Path() + "/Scripts/StartGame").c_str()));
    const std::string errors = ::testing::internal::GetCapturedStderr();
    for (const char* refused : {"wd", "cr", "df", "neg"}) {
        EXPECT_FALSE(Flag(refused)) << refused;
    }
    const kelvo::ai::AIProfile& easy = kelvo::ai::GetAIProfileByCode(kelvo::ai::AI_EASY);
    EXPECT_EQ(easy.WDelay, 2.5f);
    EXPECT_EQ(easy.CRange, 10.0f);
    EXPECT_EQ(easy.Difficulty, 1);
    for (const std::string line :
         {"StartGame.LUA:1: SetAIWDelay: easy \"", "StartGame.LUA:2: SetAICRange: easy \"inf\" is not a number from 0",
          "StartGame.LUA:3: SetAIDifficulty: easy \"-1e+300\" is not a number from 0 to 10; using the value it had",
          "StartGame.LUA:4: SetAIWDelay: easy \"-1\""}) {
        EXPECT_NE(errors.find("/Scripts/" + line), std::string::npos) << line << "\n" << errors;
    }
    EXPECT_EQ(m_printed.size(), 4u) << "each refusal is answered on the console too";
}

} // namespace
