#include "libs/common/script_guard.h"

#include <cstdio>
#include <exception>
#include <new>

namespace common {

void AnswerScriptFailure(const char* name, ScriptLineSink say) noexcept {
    const char* what = "an unknown failure";
    try {
        throw;
    } catch (const std::bad_alloc&) {
        what = "out of memory";
    } catch (const std::exception& error) {
        what = error.what();
    } catch (...) {
    }
    // Building the line may itself run out of memory: the fixed text still reaches standard error.
    try {
        const std::string line = std::string(name) + ": " + what + "; the call did nothing more";
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
        if (say != nullptr) {
            say(line);
        }
    } catch (...) {
        std::fprintf(stderr, "%s: a script function failed\n", name);
    }
}

} // namespace common
