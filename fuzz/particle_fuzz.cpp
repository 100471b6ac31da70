// libFuzzer target for a particle-system template file and the init and update functors it
// names with their values: the file is taken into a fresh registry as its one template, a system
// is made from it and stepped through a few seconds of frames, emitting, ageing and building its
// quads, until it dies or the time is up.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/gfx/particle_sys_registry.h"
#include "engine/gfx/particle_system.h"
#include "fuzz_file.h"
#include "libs/common/xml_reader.h"

namespace {

std::string s_folder;
std::string s_table;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/tk_fuzz_particles_XXXXXX";
    const char* folder = mkdtemp(pattern);
    s_folder = folder != nullptr ? std::string(folder) + "/" : std::string("/tmp/");
    const std::uint8_t table[] =
        "<particle_system_table>\n<entry>\n<name>fuzzed_system.xml</name>\n</entry>\n</particle_system_table>\n";
    s_table = tk_fuzz::WriteInput(table, sizeof(table) - 1, "_table.xml");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& folder = s_folder;
    std::FILE* file = std::fopen((folder + "fuzzed_system.xml").c_str(), "wb");
    if (file == nullptr) {
        return 0;
    }
    if (size > 0) {
        std::fwrite(data, 1, size, file);
    }
    std::fclose(file);

    velm::gfx::CParticleSysRegistry& registry = velm::gfx::ParticleSysRegistry::Instance();
    registry.Init(s_table, folder);
    common::CXmlReader reader;
    reader.Load(folder + "fuzzed_system.xml");
    reader.Enter("particle_system");
    reader.Enter("particle_sys_data");
    auto* system = new velm::gfx::CParticleSystem();
    if (system->Create(reader.GetValue("sys_name"))) {
        system->SetID(7);
        for (int frame = 0; frame < 40 && registry.FindSystem(7) != nullptr; ++frame) {
            registry.Update(frame * 0.1, 0.1f);
            if (velm::gfx::CParticleSystem* live = registry.FindSystem(7)) {
                live->AdvanceAnimation();
                live->Prepare();
            }
        }
    } else {
        delete system;
    }
    velm::gfx::ParticleSysRegistry::Destroy();
    return 0;
}
