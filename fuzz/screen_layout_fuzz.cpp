// libFuzzer target for the screen layout files: the first byte picks the screen (start menu,
// character selection, lobby, countdown, results, in-game menu, victory, splash, credits or the
// cursor), the rest is its layout file. The screen is built from it, then updated and clicked
// across, as the player meets it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/gfx/base_gui.h"
#include "engine/gfx/cursor.h"
#include "engine/gfx/screen_unit.h"
#include "engine/input/input_event.h"
#include "fuzz_file.h"
#include "game/ui/character_selection.h"
#include "game/ui/credits.h"
#include "game/ui/end_race_gui.h"
#include "game/ui/in_game_menu.h"
#include "game/ui/multi_player_menu.h"
#include "game/ui/norvale_splash.h"
#include "game/ui/shipped_layouts.h"
#include "game/ui/start_menu.h"
#include "game/ui/start_race_gui.h"
#include "game/ui/victory_screen.h"
#include "game_folder.h"

namespace {

velm::input::SInputEvent Input(std::uint32_t code, std::uint32_t value) {
    velm::input::SInputEvent event;
    event.m_code = code;
    event.m_value = value;
    return event;
}

// The screens read their layouts from the game's layout folder: the fuzzed file is named from
// there, however deep the folder lies.
std::string FromLayoutFolder(const std::string& path) {
    std::string up;
    for (int i = 0; i < 32; ++i) {
        up += "../";
    }
    return up + path.substr(1);
}

std::unique_ptr<velm::gfx::IScreenUnit> MakeScreen(std::uint8_t pick, const std::string& path) {
    const std::string file = FromLayoutFolder(path);
    switch (pick % 11) {
        case 0:
            return std::make_unique<kelvo::CStartMenu>(file);
        case 1:
            return std::make_unique<kelvo::CCharacterSelection>(file, 0, 0);
        case 2:
            return std::make_unique<kelvo::MultiPlayerMenu>(file, 1);
        case 3:
            return std::make_unique<kelvo::MultiPlayerMenu>(file, 0);
        case 4:
            return std::make_unique<kelvo::CStartRaceGUI>(file);
        case 5:
            return std::make_unique<kelvo::CEndRaceGUI>(file);
        case 6:
            return std::make_unique<kelvo::CInGameMenu>(file);
        case 7:
            return std::make_unique<kelvo::CVictoryScreen>(file);
        case 8:
            return std::make_unique<kelvo::CNorvaleSplash>(file);
        case 9:
            return std::make_unique<kelvo::CCredits>(file, 0, 0);
        default:
            return std::make_unique<velm::gfx::CCursor>(path, true, kelvo::kShippedCursor);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    tk_fuzz::EnterGameFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const std::string path = tk_fuzz::WriteInput(data + 1, size - 1, ".xml");
    std::unique_ptr<velm::gfx::IScreenUnit> screen = MakeScreen(data[0], path);
    screen->SetVisible(true);
    for (int frame = 0; frame < 3; ++frame) {
        screen->Update(16);
    }
    for (std::uint32_t step = 0; step < 8; ++step) {
        screen->HandleInput(Input(velm::input::MOUSE_AXIS_X, 100u));
        screen->HandleInput(Input(velm::input::MOUSE_AXIS_Y, 80u));
        screen->HandleInput(Input(velm::input::MOUSE_BUTTON_0, 0));
        screen->HandleInput(Input(velm::input::MOUSE_BUTTON_0, 1));
        screen->Update(16);
    }
    return 0;
}
