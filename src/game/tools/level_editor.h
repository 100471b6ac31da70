// kelvo::CLevelEditor, the level-dressing tool: places scenery, tree batches and particle
// systems at the camera's eye, nudges, turns and scales the latest with keys, and writes the
// placements as a level-file fragment. Placements are kept by object id and looked up on each
// use, so objects the game has deleted are skipped, never touched. Main thread only; one per
// process through common::CSingleton<kelvo::CLevelEditor>.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "libs/common/vector3.h"
#include "platform/win32/win32.h"

namespace velm {
class CModel;
class CView;
namespace gfx {
class IGfxUnit;
}
} // namespace velm

namespace kelvo {

// What the editor needs of the running game.
class ILevelEditorWorld {
public:
    virtual ~ILevelEditorWorld() = default;
    // False when there is no camera.
    virtual bool GetEye(common::CVector3& eye) = 0;
    virtual velm::CModel* FindModel(std::uint32_t id) = 0;
    virtual velm::CView* FindView(std::uint32_t id) = 0;
    // A new particle system from the template at the position; its id, or 0 when none was made.
    virtual std::uint32_t CreateParticleSystem(const std::string& templateName, const common::CVector3& position) = 0;
    // Null when the system no longer exists.
    virtual velm::gfx::IGfxUnit* FindParticleSystem(std::uint32_t id) = 0;
};

struct SPlacementRecord {
    std::string m_typeName;
    std::uint32_t m_modelId = 0;
    common::CVector3 m_rotationAxis = common::CVector3(0.0f, 1.0f, 0.0f);
    float m_rotationAngle = 1.57f;
};

struct SPlacedParticleSys {
    std::string m_typeName;
    std::uint32_t m_systemId = 0;
};

class CLevelEditor {
public:
    static constexpr int kDefaultBillboardCount = 5;
    static constexpr int kDefaultBillboardRadius = 5;

    CLevelEditor();

    // A keyword the placement table does not know places a jug, saying so on the console. False,
    // with a console line, without a camera or when the object cannot be made.
    bool AddObject(const std::string& typed);
    // Always false: the window goes on with its own handling.
    bool HandleKey(UINT message, WPARAM wParam, LPARAM lParam);
    // False (with a console line) when the file cannot be written.
    bool WritePlacement(const std::string& fileName);
    void WritePlacement(std::ostream& out);

    // "true" selects that target and clears the other two; anything else clears only it.
    void MovePartSys(const std::string& on);
    void MoveModels(const std::string& on);
    void MoveBillboards(const std::string& on);
    void SetBillboardCount(int count) { m_billboardCount = count; }
    void SetBillboardRadius(int radius) { m_billboardRadius = radius; }

    const std::vector<SPlacementRecord>& GetModels() const { return m_models; }
    const std::vector<SPlacementRecord>& GetBillboards() const { return m_billboards; }
    const std::vector<SPlacedParticleSys>& GetParticleSystems() const { return m_particleSystems; }
    static float GetSharedAngle();
    static void SetSharedAngle(float angle);

    // The game's world unless replaced; the editor does not own it.
    void SetWorld(ILevelEditorWorld* world) { m_world = world; }

private:
    void KeyParticleSystem(WPARAM key, velm::gfx::IGfxUnit& unit);
    void KeyModel(WPARAM key, SPlacementRecord& record, float step, float scaleUp, float scaleDown, bool batch);
    velm::gfx::IGfxUnit* UnitOf(std::uint32_t modelId);
    int RandomInt(int bound);
    void WriteEntry(std::ostream& out, const SPlacementRecord& record, const char* opaque);

    bool m_movePartSys = false;
    bool m_moveModels = false;
    bool m_moveBillboards = false;
    std::vector<SPlacementRecord> m_models;
    std::vector<SPlacementRecord> m_billboards;
    std::vector<SPlacedParticleSys> m_particleSystems;
    int m_billboardCount = kDefaultBillboardCount;
    int m_billboardRadius = kDefaultBillboardRadius;
    std::unique_ptr<ILevelEditorWorld> m_gameWorld;
    ILevelEditorWorld* m_world;
    std::mt19937 m_random;
};

} // namespace kelvo
