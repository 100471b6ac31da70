// kelvo::CNorvaleSplash, the least of the studio splash shown once per run before the menu; the
// splash state times it. Main thread only.
#pragma once

#include <string>

#include "engine/gfx/base_gui.h"

namespace kelvo {

class CNorvaleSplash : public velm::gfx::CBaseGUI {
public:
    explicit CNorvaleSplash(const std::string& fileName) : m_fileName(fileName) {}

private:
    std::string m_fileName;
};

} // namespace kelvo
