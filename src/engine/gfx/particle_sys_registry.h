// velm::gfx::CParticleSysRegistry: the particle-system templates read at start-up from the table
// file and one file per template, and the live systems made from them, which it owns, steps
// every frame and deletes when they die. Also the camera yaw and view direction that particle
// quads and billboards face, refreshed by each update. Main thread only; reached through
// ParticleSysRegistry.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/gfx/functor_factory.h"
#include "engine/gfx/particle_sys_controller.h"
#include "libs/common/singleton.h"

namespace velm {
namespace gfx {

class CParticleSystem;
class IGfxUnit;

class CParticleSysRegistry {
public:
    // Entries read from the table at most: the table is a list of small files.
    static constexpr std::size_t kMostTableEntries = 1024;

    CParticleSysRegistry() = default;
    ~CParticleSysRegistry();
    CParticleSysRegistry(const CParticleSysRegistry&) = delete;
    CParticleSysRegistry& operator=(const CParticleSysRegistry&) = delete;

    // The game's table "particle_sys_table.xml" and files under its particle_sys directory.
    void Init();
    // The same from another table and directory (tools and tests).
    void Init(const std::string& tableFile, const std::string& directory);

    void Update(double time, float elapsed);
    // Takes ownership.
    void AddSystem(CParticleSystem* system);
    // Appends every live system in creation order.
    void GatherUnits(std::vector<IGfxUnit*>* units) const;
    // The first live system with that id, or null.
    CParticleSystem* FindSystem(std::uint32_t id) const;
    // Deletes the first live system with that id; false when there is none.
    bool DestroySystem(std::uint32_t id);
    void DestroyAllSystems();
    // Null for a name without template.
    CParticleSysController* GetTemplate(const std::string& name) const;

    float GetCameraYaw() const { return m_cameraYaw; }
    const D3DXVECTOR3& GetViewDirection() const { return m_viewDirection; }
    void SetCamera(float yaw, const D3DXVECTOR3& viewDirection);
    const std::list<CParticleSystem*>& GetSystems() const { return m_systems; }
    std::size_t GetTemplateCount() const { return m_templates.size(); }
    const CFunctorFactory& GetFactory() const { return m_factory; }

private:
    void LoadTemplate(const std::string& path);
    void DropSupersededUnseenSystems();

    std::map<std::string, std::unique_ptr<CParticleSysController>> m_templates;
    std::list<CParticleSystem*> m_systems;
    CFunctorFactory m_factory;
    float m_cameraYaw = 0.0f;
    D3DXVECTOR3 m_viewDirection = D3DXVECTOR3(0.0f, 0.0f, 1.0f);
};

using ParticleSysRegistry = common::CSingleton<CParticleSysRegistry>;

// The graphics system's doors to the registry.
void UpdateParticleSystems(double time, float elapsed);
void GatherParticleUnits(std::vector<IGfxUnit*>* units);
CParticleSystem* FindParticleSystem(std::uint32_t id);
// Nothing without a registry (it may already be gone at shutdown).
void DestroyParticleSystem(std::uint32_t id);

} // namespace gfx
} // namespace velm
