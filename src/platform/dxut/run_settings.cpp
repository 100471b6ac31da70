#include "platform/dxut/run_settings.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <ostream>

namespace platform {
namespace {

bool ParseCount(const std::string& text, unsigned long& value) {
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    errno = 0;
    value = std::strtoul(text.c_str(), nullptr, 10);
    return errno == 0;
}

const char* Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : nullptr;
}

} // namespace

SRunSettings ReadRunSettings(std::ostream& errors) {
    SRunSettings settings;
    if (const char* limit = Variable("TK_FRAME_LIMIT")) {
        if (!ParseCount(limit, settings.frameLimit)) {
            errors << "TK_FRAME_LIMIT: '" << limit << "' is not a number of frames; ignored\n";
            settings.frameLimit = 0;
        }
    }
    if (const char* dt = Variable("TK_FIXED_DT")) {
        char* end = nullptr;
        errno = 0;
        const double seconds = std::strtod(dt, &end);
        if (errno != 0 || *end != '\0' || !std::isfinite(seconds) || seconds <= 0.0) {
            errors << "TK_FIXED_DT: '" << dt << "' is not a positive number of seconds; ignored\n";
        } else {
            settings.fixedFrameTime = seconds;
        }
    }
    if (const char* file = Variable("TK_INPUT_FILE")) {
        settings.inputFile = file;
    }
    if (const char* frames = Variable("TK_SCREENSHOT_FRAMES")) {
        const std::string list = frames;
        std::size_t at = 0;
        while (at <= list.size()) {
            std::size_t comma = list.find(',', at);
            if (comma == std::string::npos) {
                comma = list.size();
            }
            const std::string entry = list.substr(at, comma - at);
            unsigned long frame = 0;
            if (ParseCount(entry, frame) && frame > 0) {
                settings.screenshotFrames.push_back(frame);
            } else {
                errors << "TK_SCREENSHOT_FRAMES: '" << entry << "' is not a frame number; skipped\n";
            }
            at = comma + 1;
        }
        std::sort(settings.screenshotFrames.begin(), settings.screenshotFrames.end());
        settings.screenshotFrames.erase(std::unique(settings.screenshotFrames.begin(), settings.screenshotFrames.end()),
                                        settings.screenshotFrames.end());
    }
    return settings;
}

} // namespace platform
