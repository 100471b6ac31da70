// libFuzzer target for input scripts: any text parsed as a script, then every action injected
// into SDL's event queue up to the last frame it names, and each queued event translated into
// the window messages the game's window procedure would receive.
#include <SDL2/SDL.h>

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "platform/dxut/input_script.h"
#include "platform/dxut/message_translator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool s_events = SDL_Init(SDL_INIT_EVENTS) == 0;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream errors;
    platform::CInputScript script;
    script.Parse(in, "fuzz", errors);
    if (!s_events) {
        return 0;
    }
    unsigned long last = 0;
    for (const platform::SInputAction& action : script.Actions()) {
        last = action.frame > last ? action.frame : last;
    }
    // Frames far apart are injected in one go, as a run that reached them would.
    script.Inject(last, 1);
    platform::CMessageTranslator translator;
    std::vector<platform::SMessage> messages;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        translator.Translate(event, messages);
    }
    return 0;
}
