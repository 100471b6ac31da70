// Reads the engine configuration file ("VelmConfig" / "VelmGraphic") into the graphics settings
// record the application hands to the graphics system. A missing file leaves zeros and no effects.
#pragma once

#include <string>

#include "engine/core/loader.h"
#include "engine/gfx/velm_gfx.h"

namespace kelvo {

class CEngineConfigLoader : public velm::ACLoader<velm::gfx::CVelmGfx::SVelmGfxInitInfo> {
public:
    void Load(const std::string& fileName) override;
};

} // namespace kelvo
