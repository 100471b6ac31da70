#include "engine/gfx/particle_sys_registry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "engine/gfx/3d_quad.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/particle_system.h"
#include "libs/common/checked_number.h"
#include "libs/common/string_util.h"
#include "libs/common/xml_reader.h"

namespace velm {
namespace gfx {
namespace {

const char* const kTableFile = "../../../../data/files/xmlfiles/particle_sys_table.xml";
const char* const kSystemDirectory = "../../../../data/files/xmlfiles/particle_sys/";

// A system's particles, held to what its vertices can index.
constexpr common::SNumberBounds kLimit = {0.0, CParticleSysController::kMostParticles, 0.0};
// Births a step: more than the limit adds nothing, and a system that cannot say gives one.
constexpr common::SNumberBounds kEmitRate = {0.0, CParticleSysController::kMostParticles, 1.0};
// A radius or a life (in seconds) cannot be negative.
constexpr common::SNumberBounds kSize = {0.0, common::kAnyDataNumber.highest, 0.0};

constexpr const char* kFunctorElements[kRoleCount] = {
    "sys_ColorInit",   "sys_LifeInit",   "sys_SizeInit",   "sys_PosInit",   "sys_VelInit",
    "sys_ColorUpdate", "sys_LifeUpdate", "sys_SizeUpdate", "sys_PosUpdate", "sys_VelUpdate",
};

} // namespace

CParticleSysRegistry::~CParticleSysRegistry() {
    DestroyAllSystems();
    m_templates.clear();
}

void CParticleSysRegistry::Init() { Init(kTableFile, kSystemDirectory); }

void CParticleSysRegistry::Init(const std::string& tableFile, const std::string& directory) {
    RegisterParticleFunctors(&m_factory);
    common::CXmlReader table;
    table.LoadContent(tableFile, "no particle system templates are made");
    table.Enter("particle_system_table");
    // The file names read from the table, in table order.
    std::vector<std::string> systemFiles;
    std::size_t read = 0;
    while (read < kMostTableEntries) {
        table.Enter("entry");
        const std::string name = table.GetValue("name");
        if (name.empty()) {
            break;
        }
        systemFiles.push_back(name);
        ++read;
    }
    if (read == kMostTableEntries) {
        std::fprintf(stderr, "%s: more than %zu entries; the rest are not read\n", tableFile.c_str(),
                     kMostTableEntries);
    }
    for (const std::string& file : systemFiles) {
        LoadTemplate(directory + file);
    }
}

void CParticleSysRegistry::LoadTemplate(const std::string& path) {
    common::CXmlReader reader;
    if (!reader.LoadContent(path, "no template made")) {
        return;
    }
    SParticleSysData data;
    reader.Enter("particle_system");
    reader.Enter("particle_sys_data");
    data.name = reader.GetValue("sys_name");
    data.texture = reader.GetValue("sys_texture");
    data.limit = common::ReadWholeClamped(reader, "sys_limit", kLimit);
    data.emitRate = common::ReadFloat(reader, "sys_emit_rate", kEmitRate);
    data.radius = common::ReadFloat(reader, "sys_radius", kSize);
    data.deadAllAtOnce = common::StringToInt(reader.GetValue("sys_is_dead_all_at_once")) != 0;
    data.infinite = common::StringToInt(reader.GetValue("sys_is_infinite")) != 0;
    if (!data.infinite) {
        data.life = common::ReadFloat(reader, "sys_life", kSize);
    }
    for (std::size_t role = 0; role < kRoleCount; ++role) {
        data.functorNames[role] = reader.GetValue(kFunctorElements[role]);
    }
    if (data.name.empty()) {
        std::fprintf(stderr, "%s: no sys_name (missing or broken file); no template made\n", path.c_str());
        return;
    }
    if (m_templates.count(data.name) != 0) {
        std::fprintf(stderr, "%s: template \"%s\" exists already; the later one is not entered\n", path.c_str(),
                     data.name.c_str());
        return;
    }
    auto made = std::make_unique<CParticleSysController>();
    made->Init(data, reader, m_factory);
    m_templates.emplace(data.name, std::move(made));
}

void CParticleSysRegistry::SetCamera(float yaw, const D3DXVECTOR3& viewDirection) {
    m_cameraYaw = yaw;
    m_viewDirection = viewDirection;
}

void CParticleSysRegistry::Update(double, float elapsed) {
    if (GFXCore::Exists()) {
        CGFXCore& core = GFXCore::Instance();
        D3DXVECTOR3 direction(core.CameraTarget().x - core.CameraEye().x, core.CameraTarget().y - core.CameraEye().y,
                              core.CameraTarget().z - core.CameraEye().z);
        // Before any camera the eye sits on its target: the last direction stands.
        if (D3DXVec3Length(&direction) > 0.0f) {
            D3DXVec3Normalize(&direction, &direction);
            SetCamera(-std::atan2(direction.z, direction.x), direction);
            CGfxBillboardObj::SetCamera(m_cameraYaw, m_viewDirection);
        }
    }
    for (auto it = m_systems.begin(); it != m_systems.end();) {
        if ((*it)->IsAlive(elapsed)) {
            ++it;
            continue;
        }
        delete *it;
        it = m_systems.erase(it);
    }
    DropSupersededUnseenSystems();
}

void CParticleSysRegistry::DropSupersededUnseenSystems() {
    // A finite system's life runs only in view, so a geyser erupting out of sight leaves a burst
    // that waits for ever; each new burst of the same effect at the same spot replaces the one
    // nobody has seen yet, so the waiting ones stay one per spot and do not pile up in memory or
    // all start together once the spot comes into view.
    std::vector<const CParticleSystem*> newer;
    for (auto it = m_systems.rbegin(); it != m_systems.rend();) {
        const CParticleSystem* system = *it;
        const CParticleSysController* kind = system->GetTemplate();
        if (system->WasSeen() || kind == nullptr || kind->IsInfinite()) {
            ++it;
            continue;
        }
        const bool superseded = system->IsWaitingUnseen() &&
                                std::any_of(newer.begin(), newer.end(), [system, kind](const CParticleSystem* other) {
                                    return other->GetTemplate() == kind && other->GetPosX() == system->GetPosX() &&
                                           other->GetPosY() == system->GetPosY() &&
                                           other->GetPosZ() == system->GetPosZ();
                                });
        if (!superseded) {
            newer.push_back(system);
            ++it;
            continue;
        }
        delete system;
        it = std::list<CParticleSystem*>::reverse_iterator(m_systems.erase(std::next(it).base()));
    }
}

void CParticleSysRegistry::AddSystem(CParticleSystem* system) {
    if (system != nullptr) {
        m_systems.push_back(system);
    }
}

void CParticleSysRegistry::GatherUnits(std::vector<IGfxUnit*>* units) const {
    units->insert(units->end(), m_systems.begin(), m_systems.end());
}

CParticleSystem* CParticleSysRegistry::FindSystem(std::uint32_t id) const {
    for (CParticleSystem* system : m_systems) {
        if (system->GetID() == id) {
            return system;
        }
    }
    return nullptr;
}

bool CParticleSysRegistry::DestroySystem(std::uint32_t id) {
    for (auto it = m_systems.begin(); it != m_systems.end(); ++it) {
        if ((*it)->GetID() == id) {
            delete *it;
            m_systems.erase(it);
            return true;
        }
    }
    return false;
}

void CParticleSysRegistry::DestroyAllSystems() {
    for (CParticleSystem* system : m_systems) {
        delete system;
    }
    m_systems.clear();
}

CParticleSysController* CParticleSysRegistry::GetTemplate(const std::string& name) const {
    const auto found = m_templates.find(name);
    return found != m_templates.end() ? found->second.get() : nullptr;
}

void UpdateParticleSystems(double time, float elapsed) { ParticleSysRegistry::Instance().Update(time, elapsed); }

void GatherParticleUnits(std::vector<IGfxUnit*>* units) { ParticleSysRegistry::Instance().GatherUnits(units); }

CParticleSystem* FindParticleSystem(std::uint32_t id) { return ParticleSysRegistry::Instance().FindSystem(id); }

void DestroyParticleSystem(std::uint32_t id) {
    if (ParticleSysRegistry::Exists()) {
        ParticleSysRegistry::Instance().DestroySystem(id);
    }
}

} // namespace gfx
} // namespace velm
