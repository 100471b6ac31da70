#include "game/flow/start_script.h"

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "game/content/object_type.h"
#include "game/world/racer_tuning.h"
#include "libs/common/checked_number.h"
#include "libs/common/script_manager.h"

namespace kelvo {

const char* const kStartScript = "Scripts/StartGame";

namespace {

// The globals the game reads with no stand-in of its own.
const char* const kReadGlobals[] = {"NUM_RACERS", "STAGE1_X", "STAGE1_Y", "STAGE1_Z", "RIVER_SPEED", "RANK_PATH"};

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

} // namespace

bool RunStartScript(common::CScriptManager& script, std::ostream& errors) {
    const bool ran = script.RunScript(kStartScript);
    std::vector<std::string> unset;
    for (const char* name : kReadGlobals) {
        // A number reads as its text too: only a global never set (or of no such kind) is empty.
        if (script.GetGlobalString(name).empty()) {
            unset.push_back(name);
        }
    }
    std::vector<std::string> untuned;
    for (std::uint32_t character = 1; character <= 6; ++character) {
        if (FindRacerTuning(static_cast<int>(character)) == nullptr) {
            untuned.push_back(ObjectTypeName(character));
        }
    }
    std::ostringstream line;
    line << common::kScriptGlobalOrigin << ": ";
    if (!ran) {
        line << "the start script could not be run; the race has no start grid, river, ranking path or racer "
                "tuning: the racers stay without thrust\n";
    } else if (unset.size() == std::size(kReadGlobals) && untuned.size() == 6) {
        line << "the start script gave nothing the game reads (no start grid, river, ranking path or racer "
                "tuning): the racers stay without thrust\n";
    } else if (!unset.empty() || !untuned.empty()) {
        line << "the start script left unset";
        if (!unset.empty()) {
            line << " the script globals " << Joined(unset) << " (read as 0 or nothing)";
        }
        if (!untuned.empty()) {
            line << (unset.empty() ? "" : " and") << " the tuning of " << Joined(untuned)
                 << " (those racers stay without thrust)";
        }
        line << "\n";
    } else {
        return true;
    }
    errors << line.str() << std::flush;
    return ran;
}

} // namespace kelvo
