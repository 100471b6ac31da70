// libFuzzer target for the engine configuration loader: any file read as the configuration.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_file.h"
#include "game/flow/engine_config_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kelvo::CEngineConfigLoader loader;
    loader.Load(tk_fuzz::WriteInput(data, size, ".xml"));
    const auto& info = loader.GetInfo();
    std::size_t names = 0;
    for (const std::string& name : info.m_fxFiles) {
        names += name.size();
    }
    volatile std::size_t seen = names + static_cast<std::size_t>(info.m_screenWidth) + (std::isnan(info.m_r) ? 1 : 0);
    (void)seen;
    return 0;
}
