// libFuzzer target for a model's two files and the readers of every section in them (graphic,
// light, water with the grid file it names, terrain, sounds, physics and hulls): the input up to
// its first NUL byte is the model file, the rest the instance file. The stored record is then
// copied out, as every creation event copies it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_file.h"
#include "game/content/model_data_mgr.h"
#include "game_folder.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    tk_fuzz::EnterGameFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* split = static_cast<const std::uint8_t*>(std::memchr(data, 0, size));
    const std::size_t modelSize = split != nullptr ? static_cast<std::size_t>(split - data) : 0;
    const std::size_t instanceStart = split != nullptr ? modelSize + 1 : 0;
    const std::string model = tk_fuzz::WriteInput(data, modelSize, "_model.xml");
    const std::string instance = tk_fuzz::WriteInput(data + instanceStart, size - instanceStart, "_instance.xml");
    kelvo::CModelDataMgr manager("");
    manager.Load("FuzzedModelData", model, instance);
    kelvo::SModelData record;
    if (manager.Get("FuzzedModelData", record)) {
        std::size_t seen = record.m_sounds.size();
        if (record.m_water) {
            seen += record.m_water->m_cells.size() + record.m_water->m_vertices.size();
        }
        if (record.m_physics) {
            seen += record.m_physics->m_positionOffsets.size();
        }
        volatile std::size_t kept = seen;
        (void)kept;
    }
    return 0;
}
