// kelvo::TumboKelvoConsole, the least of the console overlay: it keeps the lines printed on it
// (the game's notices, such as a lost player). Main thread only.
#pragma once

#include <string>
#include <vector>

#include "engine/gfx/base_gui.h"
#include "libs/common/script_manager.h"

namespace kelvo {

class TumboKelvoConsole : public velm::gfx::CBaseGUI {
public:
    // The set-up after construction: the console's parser script, whose ParseConsole takes the
    // lines typed here and the game's own console lines.
    void Init() { common::CScriptManager::GetInstance()->RunScript("Scripts/ConsoleParser"); }
    void Print(const std::string& line) { m_lines.push_back(line); }
    const std::vector<std::string>& GetLines() const { return m_lines; }

private:
    std::vector<std::string> m_lines;
};

} // namespace kelvo
