// kelvo::CLoadingScreen, the least of the picture shown while a level loads; the loading states
// put it up and take it down. Main thread only.
#pragma once

#include <string>

#include "engine/gfx/base_gui.h"

namespace kelvo {

class CLoadingScreen : public velm::gfx::CBaseGUI {
public:
    explicit CLoadingScreen(const std::string& textureFile) : m_textureFile(textureFile) {}
    const std::string& GetTextureFile() const { return m_textureFile; }

private:
    std::string m_textureFile;
};

} // namespace kelvo
