#include "game/tools/level_editor.h"

#include <chrono>
#include <cstdio>
#include <sstream>

#include "engine/core/model.h"
#include "engine/core/object_id.h"
#include "engine/core/velm_camera.h"
#include "engine/core/view.h"
#include "engine/events/event_manager.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/gfx/particle_sys_registry.h"
#include "engine/gfx/particle_system.h"
#include "game/content/model_data_keys.h"
#include "game/content/object_type.h"
#include "game/events/creation_events.h"
#include "game/tools/console_sink.h"
#include "game/tools/tools_game.h"
#include "game/world/race_context.h"
#include "platform/win32/file_write.h"

namespace kelvo {

namespace {

constexpr UINT kKeyDown = 0x100;
constexpr WPARAM kPageUp = 0x21;
constexpr WPARAM kPageDown = 0x22;
constexpr WPARAM kEnd = 0x23;
constexpr WPARAM kLeft = 0x25;
constexpr WPARAM kUp = 0x26;
constexpr WPARAM kRight = 0x27;
constexpr WPARAM kDown = 0x28;
constexpr WPARAM kComma = 0xBC;
constexpr WPARAM kFullStop = 0xBE;
constexpr float kAngleStep = 0.008f;
constexpr float kFullTurn = 6.28f;

float s_sharedAngle = 1.57f;

// The running game's objects and the particle registry's systems.
class CGameEditorWorld : public ILevelEditorWorld {
public:
    bool GetEye(common::CVector3& eye) override {
        IToolsGame* game = GetToolsGame();
        velm::CVelmCamera* camera = game != nullptr ? game->GetCamera() : nullptr;
        if (camera == nullptr) {
            return false;
        }
        eye = camera->GetEye();
        return true;
    }
    velm::CModel* FindModel(std::uint32_t id) override {
        IRaceContext* race = GetRaceContext();
        return race != nullptr ? race->FindModel(id) : nullptr;
    }
    velm::CView* FindView(std::uint32_t id) override {
        IRaceContext* race = GetRaceContext();
        return race != nullptr ? race->FindView(id) : nullptr;
    }
    // The registry owns the system; the editor keeps its id, since the registry deletes systems
    // whose life runs out and all of them when a track is left.
    std::uint32_t CreateParticleSystem(const std::string& templateName, const common::CVector3& position) override {
        auto* system = new velm::gfx::CParticleSystem();
        system->SetScale(1.0f, 1.0f, 1.0f, true);
        system->SetRotationAxis(D3DXVECTOR3(0.0f, 1.0f, 0.0f), true);
        system->SetRotationAngle(0.0f, true);
        system->SetPosition(position.x, position.y, position.z, true);
        const std::uint32_t id = velm::NewObjectID();
        system->SetID(id);
        if (!system->Create(templateName)) {
            delete system;
            return 0;
        }
        return id;
    }
    velm::gfx::IGfxUnit* FindParticleSystem(std::uint32_t id) override { return velm::gfx::FindParticleSystem(id); }
};

bool IsModelType(std::uint32_t type) {
    switch (type) {
        case OBJECT_JUG:
        case OBJECT_RAMP:
        case OBJECT_GEYSER:
        case OBJECT_LOG:
        case OBJECT_FINISH_LINE:
        case OBJECT_ENVIRONMENT:
        case OBJECT_COLLISION_VOLUME:
        case OBJECT_BOULDER:
            return true;
        default:
            return false;
    }
}

bool RotationAxisOf(WPARAM key, common::CVector3& axis) {
    switch (key) {
        case kPageUp:
            axis = common::CVector3(1, 0, 0);
            return true;
        case kPageDown:
            axis = common::CVector3(0, 1, 0);
            return true;
        case kEnd:
            axis = common::CVector3(0, 0, 1);
            return true;
        default:
            return false;
    }
}

D3DXVECTOR3 ToD3D(const common::CVector3& v) { return D3DXVECTOR3(v.x, v.y, v.z); }

void WriteXyz(std::ostream& out, float x, float y, float z) {
    out << "\t\t\t\t<x>" << x << "</x>\n";
    out << "\t\t\t\t<y>" << y << "</y>\n";
    out << "\t\t\t\t<z>" << z << "</z>\n";
}

} // namespace

CLevelEditor::CLevelEditor()
    : m_gameWorld(std::make_unique<CGameEditorWorld>()),
      m_world(m_gameWorld.get()),
      m_random(static_cast<std::mt19937::result_type>(std::chrono::system_clock::now().time_since_epoch().count())) {}

float CLevelEditor::GetSharedAngle() { return s_sharedAngle; }

void CLevelEditor::SetSharedAngle(float angle) { s_sharedAngle = angle; }

int CLevelEditor::RandomInt(int bound) {
    if (bound <= 1) {
        return 0;
    }
    return std::uniform_int_distribution<int>(0, bound - 1)(m_random);
}

bool CLevelEditor::AddObject(const std::string& typed) {
    // A keyword the table does not know places a jug, as in a level file. It is kept as "jug",
    // so that the fragment written loads back as the jug that was placed.
    std::string keyword = typed;
    const std::uint32_t type = ObjectTypeFromName(keyword);
    if (type == OBJECT_JUG && keyword != "jug") {
        ConsolePrint("AddLevelObject: unknown object keyword \"" + typed + "\", placing a jug");
        keyword = "jug";
    }
    common::CVector3 eye;
    if (!m_world->GetEye(eye)) {
        ConsolePrint("AddLevelObject: no camera to place \"" + keyword + "\" at");
        return false;
    }
    std::uint32_t id = velm::NewObjectID();
    const std::string key = ModelDataKeyFromTypeName(keyword);
    if (type == OBJECT_PARTICLE_SYSTEM) {
        const std::uint32_t system = m_world->CreateParticleSystem(key, eye);
        if (system == 0) {
            ConsolePrint("AddLevelObject: particle system \"" + keyword + "\" could not be created");
            return false;
        }
        m_particleSystems.push_back({keyword, system});
        return true;
    }
    if (type == OBJECT_TREES) {
        float dx = 10.0f;
        float dz = 10.0f;
        for (int i = 0; i < m_billboardCount; ++i) {
            dx += static_cast<float>(RandomInt(m_billboardRadius));
            dz += static_cast<float>(RandomInt(m_billboardRadius));
            const common::CVector3 position(eye.x + dx, eye.y, eye.z + dz);
            velm::TriggerEvent(CCreateEnvObjEvt(key, id, 0, 0, type, &position, 0));
            SPlacementRecord record;
            record.m_typeName = keyword;
            record.m_modelId = id;
            m_billboards.push_back(record);
            id = velm::NewObjectID();
        }
        return true;
    }
    if (!IsModelType(type)) {
        ConsolePrint("AddLevelObject: \"" + keyword + "\" cannot be placed");
        return false;
    }
    velm::TriggerEvent(CCreateEnvObjEvt(key, id, 1, 0, type, &eye, 0));
    SPlacementRecord record;
    record.m_typeName = keyword;
    record.m_modelId = id;
    m_models.push_back(record);
    return true;
}

void CLevelEditor::MovePartSys(const std::string& on) {
    m_movePartSys = on == "true";
    if (m_movePartSys) {
        m_moveModels = false;
        m_moveBillboards = false;
    }
}

void CLevelEditor::MoveModels(const std::string& on) {
    m_moveModels = on == "true";
    if (m_moveModels) {
        m_movePartSys = false;
        m_moveBillboards = false;
    }
}

void CLevelEditor::MoveBillboards(const std::string& on) {
    m_moveBillboards = on == "true";
    if (m_moveBillboards) {
        m_movePartSys = false;
        m_moveModels = false;
    }
}

velm::gfx::IGfxUnit* CLevelEditor::UnitOf(std::uint32_t modelId) {
    velm::CView* view = m_world->FindView(modelId);
    return view != nullptr ? dynamic_cast<velm::gfx::IGfxUnit*>(view->GetSceneObject()) : nullptr;
}

bool CLevelEditor::HandleKey(UINT message, WPARAM wParam, LPARAM) {
    const bool batchReady =
        m_moveBillboards && m_billboardCount > 0 && static_cast<std::size_t>(m_billboardCount) <= m_billboards.size();
    const bool hasTarget =
        (m_movePartSys && !m_particleSystems.empty()) || (m_moveModels && !m_models.empty()) || batchReady;
    if (!hasTarget) {
        return false;
    }
    if (s_sharedAngle >= kFullTurn) {
        s_sharedAngle = 0.0f;
    }
    if (message != kKeyDown) {
        return false;
    }
    if (m_movePartSys && !m_particleSystems.empty()) {
        if (velm::gfx::IGfxUnit* unit = m_world->FindParticleSystem(m_particleSystems.back().m_systemId)) {
            KeyParticleSystem(wParam, *unit);
        }
    } else if (m_moveModels && !m_models.empty()) {
        KeyModel(wParam, m_models.back(), 0.05f, 0.002f, 0.002f, false);
    } else {
        for (std::size_t i = m_billboards.size() - static_cast<std::size_t>(m_billboardCount); i < m_billboards.size();
             ++i) {
            KeyModel(wParam, m_billboards[i], 0.5f, 0.12f, 0.52f, true);
        }
    }
    return false;
}

void CLevelEditor::KeyParticleSystem(WPARAM key, velm::gfx::IGfxUnit& unit) {
    constexpr float step = 0.05f;
    float x = unit.GetPosX();
    float y = unit.GetPosY();
    float z = unit.GetPosZ();
    common::CVector3 axis;
    switch (key) {
        case kUp:
            y += step;
            break;
        case kDown:
            y -= step;
            break;
        case kLeft:
            x += step;
            break;
        case kRight:
            x -= step;
            break;
        case kComma:
            z -= step;
            break;
        case kFullStop:
            z += step;
            break;
        case '8':
            unit.SetScale(unit.GetScaleX() + 0.002f, unit.GetScaleY() + 0.002f, unit.GetScaleZ() + 0.002f, true);
            return;
        case '7':
            unit.SetScale(unit.GetScaleX() - 0.052f, unit.GetScaleY() - 0.052f, unit.GetScaleZ() - 0.052f, true);
            return;
        default:
            if (RotationAxisOf(key, axis)) {
                unit.SetRotationAxis(ToD3D(axis), true);
                s_sharedAngle += kAngleStep;
                unit.SetRotationAngle(s_sharedAngle, true);
            }
            return;
    }
    unit.SetPosition(x, y, z, true);
}

void CLevelEditor::KeyModel(WPARAM key, SPlacementRecord& record, float step, float scaleUp, float scaleDown,
                            bool batch) {
    velm::CModel* model = m_world->FindModel(record.m_modelId);
    if (model == nullptr) {
        return;
    }
    velm::gfx::IGfxUnit* unit = UnitOf(record.m_modelId);
    common::CVector3 position = model->GetPosition();
    common::CVector3 axis;
    switch (key) {
        case kUp:
            position.y += step;
            break;
        case kDown:
            position.y -= step;
            break;
        case kLeft:
            position.x += step;
            break;
        case kRight:
            position.x -= step;
            break;
        case kComma:
            position.z -= step;
            break;
        case kFullStop:
            position.z += step;
            break;
        case '8':
        case '7':
            if (unit != nullptr) {
                const float d = key == '8' ? scaleUp : -scaleDown;
                unit->SetScale(unit->GetScaleX() + d, unit->GetScaleY() + d, unit->GetScaleZ() + d, true);
            }
            return;
        case '1':
        case '2':
        case '3':
        case '4':
        case '5':
        case '6':
            if (!batch && unit != nullptr) {
                const float d = key <= '3' ? 0.2f : -0.2f;
                const int axisIndex = static_cast<int>((key - '1') % 3);
                unit->SetScale(unit->GetScaleX() + (axisIndex == 0 ? d : 0.0f),
                               unit->GetScaleY() + (axisIndex == 1 ? d : 0.0f),
                               unit->GetScaleZ() + (axisIndex == 2 ? d : 0.0f), true);
            }
            return;
        default:
            if (RotationAxisOf(key, axis)) {
                // Trees stand upright: the batch turns about z whatever the key, yet the record
                // keeps the key's axis.
                const common::CVector3 unitAxis = batch ? common::CVector3(0, 0, 1) : axis;
                s_sharedAngle += kAngleStep;
                if (unit != nullptr) {
                    unit->SetRotationAxis(ToD3D(unitAxis), true);
                    unit->SetRotationAngle(s_sharedAngle, true);
                }
                record.m_rotationAxis = axis;
                record.m_rotationAngle = s_sharedAngle;
            }
            return;
    }
    model->SetPosition(position);
}

void CLevelEditor::WriteEntry(std::ostream& out, const SPlacementRecord& record, const char* opaque) {
    velm::CModel* model = m_world->FindModel(record.m_modelId);
    if (model == nullptr) {
        return;
    }
    const common::CVector3 position = model->GetPosition();
    const velm::gfx::IGfxUnit* unit = UnitOf(record.m_modelId);
    out << "\t\t<entry>\n";
    out << "\t\t\t<Opaque>" << opaque << "</Opaque>\n";
    out << "\t\t\t<Type>" << record.m_typeName << "</Type>\n";
    out << "\t\t\t<Pos>\n";
    out << "\t\t\t\t<entry>pos_available</entry>\n";
    WriteXyz(out, position.x, position.y, position.z);
    out << "\t\t\t</Pos>\n";
    out << "\t\t\t<RotationInfo>\n";
    WriteXyz(out, record.m_rotationAxis.x, record.m_rotationAxis.y, record.m_rotationAxis.z);
    out << "\t\t\t\t<Angle>" << record.m_rotationAngle << "</Angle>\n";
    out << "\t\t\t</RotationInfo>\n";
    out << "\t\t\t<Scalars>\n";
    if (unit != nullptr) {
        WriteXyz(out, unit->GetScaleX(), unit->GetScaleY(), unit->GetScaleZ());
    } else {
        WriteXyz(out, 1.0f, 1.0f, 1.0f);
    }
    out << "\t\t\t</Scalars>\n";
    out << "\t\t</entry>\n";
}

void CLevelEditor::WritePlacement(std::ostream& out) {
    for (const SPlacementRecord& record : m_models) {
        // An empty opaque value would end the level loader's list there and lose every later
        // entry; the editor placed these models opaque, so any kind but transparent is written so.
        velm::CView* view = m_world->FindView(record.m_modelId);
        const std::uint32_t kind = view != nullptr ? view->GetKind() : 4;
        WriteEntry(out, record, kind == 1 ? "FALSE" : "TRUE");
    }
    for (const SPlacementRecord& record : m_billboards) {
        WriteEntry(out, record, "FALSE");
    }
    std::vector<std::pair<const SPlacedParticleSys*, velm::gfx::IGfxUnit*>> systems;
    for (const SPlacedParticleSys& placed : m_particleSystems) {
        if (velm::gfx::IGfxUnit* unit = m_world->FindParticleSystem(placed.m_systemId)) {
            systems.emplace_back(&placed, unit);
        }
    }
    if (systems.empty()) {
        return;
    }
    out << "\t<ParticleSystems>\n";
    for (const auto& [placed, unit] : systems) {
        out << "\t\t<entry>\n";
        out << "\t\t\t<Type>" << placed->m_typeName << "</Type>\n";
        out << "\t\t\t<Pos>\n";
        WriteXyz(out, unit->GetPosX(), unit->GetPosY(), unit->GetPosZ());
        out << "\t\t\t</Pos>\n";
        out << "\t\t\t<RotationInfo>\n";
        const D3DXVECTOR3 axis = unit->GetRotationAxis();
        WriteXyz(out, axis.x, axis.y, axis.z);
        out << "\t\t\t\t<Angle>" << unit->GetRotationAngle() << "</Angle>\n";
        out << "\t\t\t</RotationInfo>\n";
        out << "\t\t\t<Scalars>\n";
        WriteXyz(out, unit->GetScaleX(), unit->GetScaleY(), unit->GetScaleZ());
        out << "\t\t\t</Scalars>\n";
        out << "\t\t</entry>\n";
    }
    out << "\t\t<entry>\n";
    out << "\t\t</entry>\n";
    out << "\t</ParticleSystems>\n";
}

bool CLevelEditor::WritePlacement(const std::string& fileName) {
    std::ostringstream out;
    WritePlacement(out);
    std::string error;
    if (!platform::ReplaceFile(fileName, out.str(), error)) {
        ConsolePrint("WriteLevelPlacement: cannot write \"" + fileName + "\"");
        std::fprintf(stderr, "%s: %s; the placement is not written\n", fileName.c_str(), error.c_str());
        return false;
    }
    return true;
}

} // namespace kelvo
