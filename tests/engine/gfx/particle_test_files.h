// Particle-system files for the particle tests: a template file in the data tree's form, and a
// registry loaded from a temporary table. The registry is torn down after each test.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "engine/gfx/particle_sys_registry.h"
#include "engine/gfx/texture_cache.h"
#include "support/temp_dir.h"

namespace tktest {

struct SParticleTemplate {
    std::string name = "test_system";
    std::string limit = "100";
    std::string rate = "1";
    std::string life = "1";
    std::string radius = "2";
    int deadAllAtOnce = 0;
    int infinite = 1;
    // Ten role names in file order, then the functor elements' text.
    std::vector<std::string> roles = {"normal_color_init",
                                      "normal_life_init",
                                      "null",
                                      "null",
                                      "null",
                                      "null",
                                      "normal_life_update",
                                      "null",
                                      "null",
                                      "null"};
    std::string functors =
        "<normal_color_init>\n<color_norm_init>-1</color_norm_init>\n</normal_color_init>\n"
        "<normal_life_init>\n<life>1</life>\n</normal_life_init>\n"
        "<normal_life_update>\n<death_rate>0</death_rate>\n</normal_life_update>\n";

    std::string Xml() const {
        static const char* const kRoles[10] = {"ColorInit",   "LifeInit",   "SizeInit",   "PosInit",   "VelInit",
                                               "ColorUpdate", "LifeUpdate", "SizeUpdate", "PosUpdate", "VelUpdate"};
        std::string text = "<particle_system>\n<particle_sys_data>\n<sys_name>" + name +
                           "</sys_name>\n<sys_texture>none</sys_texture>\n<sys_limit>" + limit +
                           "</sys_limit>\n<sys_emit_rate>" + rate + "</sys_emit_rate>\n<sys_radius>" + radius +
                           "</sys_radius>\n" + "<sys_is_dead_all_at_once>" + std::to_string(deadAllAtOnce) +
                           "</sys_is_dead_all_at_once>\n<sys_is_infinite>" + std::to_string(infinite) +
                           "</sys_is_infinite>\n<sys_life>" + life + "</sys_life>\n";
        for (std::size_t i = 0; i < 10; ++i) {
            text += "<sys_" + std::string(kRoles[i]) + ">" + roles[i] + "</sys_" + kRoles[i] + ">\n";
        }
        return text + "</particle_sys_data>\n<functor_data>\n" + functors + "</functor_data>\n</particle_system>\n";
    }
};

class CParticleRegistryTest : public ::testing::Test {
protected:
    void TearDown() override {
        velm::gfx::ParticleSysRegistry::Destroy();
        velm::gfx::TextureCache::Destroy();
    }

    // Writes the templates and a table naming their files (plus `extraNames`), and loads them.
    velm::gfx::CParticleSysRegistry& Load(const std::vector<SParticleTemplate>& templates,
                                          const std::vector<std::string>& extraNames = {}) {
        std::string table = "<particle_system_table>\n";
        for (std::size_t i = 0; i < templates.size(); ++i) {
            const std::string file = "system" + std::to_string(i) + ".xml";
            m_dir.Write("particle_sys/" + file, templates[i].Xml());
            table += "<entry>\n<name>" + file + "</name>\n</entry>\n";
        }
        for (const std::string& name : extraNames) {
            table += "<entry>\n<name>" + name + "</name>\n</entry>\n";
        }
        table += "</particle_system_table>\n";
        const std::string tableFile = m_dir.Write("particle_sys_table.xml", table);
        velm::gfx::CParticleSysRegistry& registry = velm::gfx::ParticleSysRegistry::Instance();
        registry.Init(tableFile, m_dir.Path() + "/particle_sys/");
        return registry;
    }

    CTempDir m_dir;
};

} // namespace tktest
