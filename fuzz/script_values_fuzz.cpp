// libFuzzer target for the values the game reads from its scripts: the input is a list of
// assignments to the globals the game reads (a name byte, a kind byte, then a number's eight
// bytes, a string, a boolean or a table), run in the script host; the game then reads them as it
// does: the single-player start grid from the stage globals, the ranking path from RANK_PATH and
// RANK_PATH_DENSITY over a shipped waypoint path, the river speed and the two switches.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>

#include "engine/ai/ai_manager.h"
#include "game/ai/waypoint_file.h"
#include "game/flow/start_grid.h"
#include "game_folder.h"
#include "libs/common/script_manager.h"

namespace {

const char* const kNames[] = {"NUM_RACERS",
                              "STAGE1_X",
                              "STAGE1_Y",
                              "STAGE1_Z",
                              "STAGE1_RACER_DX",
                              "STAGE1_RACER_DZ",
                              "STAGE1_RACERS_PER_ROW",
                              "RANK_PATH",
                              "RANK_PATH_DENSITY",
                              "RIVER_SPEED",
                              "ROTATIONAL_PHYSICS",
                              "RECORD_INPUT"};
constexpr std::size_t kNameCount = sizeof(kNames) / sizeof(kNames[0]);

std::string Number(double value) {
    if (std::isnan(value)) {
        return "(0/0)";
    }
    if (std::isinf(value)) {
        return value > 0 ? "math.huge" : "-math.huge";
    }
    char text[40];
    std::snprintf(text, sizeof(text), "%.17g", value);
    return text;
}

std::string Quoted(const std::uint8_t* data, std::size_t length) {
    std::string text = "\"";
    for (std::size_t i = 0; i < length; ++i) {
        char escaped[8];
        std::snprintf(escaped, sizeof(escaped), "\\%u", static_cast<unsigned>(data[i]));
        text += escaped;
    }
    return text + "\"";
}

// The Lua text of the input's assignments; every name is cleared first.
std::string Assignments(const std::uint8_t* data, std::size_t size) {
    std::string script;
    for (const char* name : kNames) {
        script += std::string(name) + " = nil\n";
    }
    std::size_t at = 0;
    while (at + 2 <= size) {
        const std::string name = kNames[data[at] % kNameCount];
        const std::uint8_t kind = data[at + 1] % 5;
        at += 2;
        std::string value;
        if (kind == 0 && at + 8 <= size) {
            double number = 0.0;
            std::memcpy(&number, data + at, 8);
            at += 8;
            value = Number(number);
        } else if (kind == 1 && at < size) {
            const std::size_t length = std::min<std::size_t>(data[at], size - at - 1);
            value = Quoted(data + at + 1, length);
            at += 1 + length;
        } else if (kind == 2 && at < size) {
            value = data[at++] % 2 == 0 ? "false" : "true";
        } else if (kind == 3) {
            value = "{1, 2, 3}";
        } else {
            value = "nil";
        }
        script += name + " = " + value + "\n";
    }
    return script;
}

velm::ai::CAIManager* s_paths = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    tk_fuzz::EnterGameFolder();
    s_paths = new velm::ai::CAIManager();
    kelvo::LoadWaypointFile(std::string(TK_FUZZ_SOURCE_DIR) + "/data/files/waypoints/stage1_rank.txt", *s_paths);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    common::CScriptManager* script = common::CScriptManager::GetInstance();
    script->RunString(Assignments(data, size).c_str());
    // Read as the game reads them: checked, the racer count bounded.
    std::ostringstream said;
    const kelvo::SStartGridSettings settings = kelvo::ReadStartGridSettings(*script, said);
    const common::CVector3 start = settings.m_start;
    const auto grid =
        kelvo::BuildStartGrid(start, settings.m_dx, settings.m_dz, settings.m_perRow, settings.m_racers, 1);
    velm::ai::CAIManager ranking;
    if (s_paths->GetPathCount() > 0) {
        ranking.AddPath(s_paths->GetPath(0));
    }
    ranking.GetRankProgress(start);
    volatile double seen = static_cast<double>(grid.size()) + script->GetGlobalNumber("RIVER_SPEED") +
                           (script->GetGlobalBool("ROTATIONAL_PHYSICS") ? 1.0 : 0.0) +
                           (script->GetGlobalBool("RECORD_INPUT") ? 1.0 : 0.0);
    (void)seen;
    return 0;
}
