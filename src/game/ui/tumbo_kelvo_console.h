// kelvo::TumboKelvoConsole, the least of the console overlay: it keeps the lines printed on it
// (the game's notices, such as a lost player). Main thread only.
#pragma once

#include <string>
#include <vector>

#include "engine/gfx/base_gui.h"

namespace kelvo {

class TumboKelvoConsole : public velm::gfx::CBaseGUI {
public:
    // The set-up after construction; the least console has nothing to load.
    void Init() {}
    void Print(const std::string& line) { m_lines.push_back(line); }
    const std::vector<std::string>& GetLines() const { return m_lines; }

private:
    std::vector<std::string> m_lines;
};

} // namespace kelvo
