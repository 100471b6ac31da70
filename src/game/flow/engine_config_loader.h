// Reads the engine configuration file ("VelmConfig" / "VelmGraphic") into the graphics settings
// record the application hands to the graphics system. A file that is missing or not a complete
// configuration gives the default settings (windowed 800 x 600); a field that is absent, not a
// number, not finite or out of range gives its own default. Each is said on the error stream.
#pragma once

#include <ostream>
#include <string>

#include "engine/core/loader.h"
#include "engine/gfx/velm_gfx.h"

namespace kelvo {

class CEngineConfigLoader : public velm::ACLoader<velm::gfx::CVelmGfx::SVelmGfxInitInfo> {
public:
    // Reports on standard error.
    void Load(const std::string& fileName) override;
    void Load(const std::string& fileName, std::ostream& errors);
};

} // namespace kelvo
