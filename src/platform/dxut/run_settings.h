// The framework's knobs for runs without a person, read from the environment when the main
// loop starts: a frame limit, a fixed frame time, a file of injected input and the frames to
// save as screenshots. The game itself reads none of them.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace platform {

struct SRunSettings {
    unsigned long frameLimit = 0;                // TK_FRAME_LIMIT; 0 = run until closed
    double fixedFrameTime = 0.0;                 // TK_FIXED_DT in seconds; 0 = the real clock
    std::string inputFile;                       // TK_INPUT_FILE; empty = none
    std::vector<unsigned long> screenshotFrames; // TK_SCREENSHOT_FRAMES, ascending
};

// Malformed values are reported on `errors` and left at their defaults.
SRunSettings ReadRunSettings(std::ostream& errors);

} // namespace platform
