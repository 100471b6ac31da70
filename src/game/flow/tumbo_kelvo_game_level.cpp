// The game object's level build: the track load, the character line-up, the first track's two
// traps and finish trigger, the id lists and their queries, and the loading thread.
#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>

#include "engine/core/controller.h"
#include "engine/core/model.h"
#include "engine/core/object_id.h"
#include "engine/core/velm_app.h"
#include "engine/core/view.h"
#include "engine/events/event_manager.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/gfx/velm_gfx.h"
#include "engine/net/network_manager.h"
#include "engine/phy/buoyancy_force.h"
#include "engine/phy/rigid_body.h"
#include "game/content/model_data_keys.h"
#include "game/content/object_type.h"
#include "game/events/creation_events.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/world/kelvo_model.h"
#include "libs/common/checked_number.h"
#include "libs/common/xml_reader.h"

namespace kelvo {

namespace {

using common::CVector3;

// What the level file asks of graphics and of the game's log list.
class CGameLevelHost : public ILevelLoaderHost {
public:
    bool IsNetworkClient() const override {
        const CTumboKelvoGame* game = GetGame();
        return game != nullptr && !game->IsAuthoritative();
    }
    void AddLevelLog(std::uint32_t objectId) override {
        if (CTumboKelvoGame* game = GetGame()) {
            game->AddLogId(objectId);
        }
    }
    void CreateSkyBox(float scalar, const std::string (&faces)[6]) override {
        if (velm::gfx::CVelmGfx* gfx = Gfx()) {
            gfx->CreateSkyBox(scalar, {faces[0], faces[1], faces[2], faces[3], faces[4], faces[5]});
        }
    }
    void SetWaterEnvironmentMap(const std::string& textureName) override {
        if (Gfx() != nullptr) {
            velm::gfx::SetWaterEnvironmentMap(textureName);
        }
    }

private:
    static velm::gfx::CVelmGfx* Gfx() {
        velm::CVelmApp* app = velm::GetApp();
        return app != nullptr ? app->GetGfx() : nullptr;
    }
};

CGameLevelHost g_levelHost;

struct SLineUpRow {
    const char* m_key;
    std::uint32_t m_character;
    float m_x;
};

constexpr SLineUpRow kLineUp[] = {{"MonkeyModelData", 1, 15.47f},    {"BearModelData", 2, 13.97f},
                                  {"AlienModelData", 3, 14.72f},     {"FishModelData", 4, 12.47f},
                                  {"HillbillyModelData", 5, 13.22f}, {"MovideStarModelData", 6, 13.22f}};
constexpr float kLineUpY = 0.05f;
constexpr float kLineUpZ = 506.6f;
// The line-up is drawn at this share of the racers' size: the turntable's places stand 1.9 m apart
// and the one in front stands 2.4 m ahead of the selection camera, which looks down on it from
// 2.8 m above the water, so a racing-size tube would crowd its neighbours and reach out of the
// bottom of the picture.
const CVector3 kLineUpScale(0.42f, 0.42f, 0.42f);

const CVector3 kRockTriggerAt(-2.14f, -24.25f, -615.51f);
const CVector3 kLogTriggerAt(-1.77f, -35.22f, -917.05f);
const CVector3 kFinishAt(2.96f, -50.18f, -1158.8f);
const CVector3 kFinishAxis(0.0f, 1.0f, 0.1f);
constexpr float kFinishAngle = 0.53f;
// The finish box spans the stream under the banner (36 m by 8 m by 2 m), so that every racer
// passing the banner finishes, not only one that touches its middle.
const CVector3 kFinishScale(18.0f, 4.0f, 1.0f);
constexpr int kRockRows = 8;
constexpr int kRocksPerRow = 3;

void HideUnit(const CTumboKelvoGame& game, std::uint32_t id) {
    const auto* model = dynamic_cast<const CKelvoModel*>(game.FindModel(id));
    if (velm::gfx::IGfxUnit* unit = model != nullptr ? model->GetGfxUnit() : nullptr) {
        unit->SetSkipped(1);
    }
}

} // namespace

void CTumboKelvoGame::LoadLevel(const std::string& fileName) {
    m_levelLoader.SetHost(&g_levelHost);
    m_levelLoader.SetFileName(fileName);
    m_levelLoader.LoadLevel(CLevelLoader::kUseStoredFileName);
}

void CTumboKelvoGame::BuildRacerLineUp() {
    for (const SLineUpRow& row : kLineUp) {
        const std::uint32_t id = velm::NewObjectID();
        velm::TriggerEvent(CCreateRacerEvt(row.m_key, id, 0, 0, 0, 0, row.m_character,
                                           CVector3(row.m_x, kLineUpY, kLineUpZ), nullptr, 0.0f, &kLineUpScale));
        m_characterLineUpIds.push_back(id);
    }
}

void CTumboKelvoGame::BuildRockTrap() {
    m_rockTriggerId = velm::NewObjectID();
    velm::TriggerEvent(CCreateTriggerObjEvt("BoxModelData", m_rockTriggerId, 0, TRIGGER_ROCK_RELEASE, &kRockTriggerAt));
    HideUnit(*this, m_rockTriggerId);
    const CVector3& p = kRockTriggerAt;
    CVector3 q(p.x + 2.0f, p.y + 15.0f, p.z - 10.0f);
    float step = 2.0f;
    for (int row = 0; row < kRockRows; ++row) {
        q.z -= 1.5f;
        q.x = p.x + 1.5f;
        for (int rock = 0; rock < kRocksPerRow; ++rock) {
            q.x -= 1.75f;
            q.z -= 3.5f;
            q.y += step;
            step *= 1.15f;
            const std::uint32_t id = velm::NewObjectID();
            velm::TriggerEvent(CCreateEnvObjEvt("RockModelData", id, 0, 0, OBJECT_ROCK, &q, 1));
            HideUnit(*this, id);
            m_rockTrapIds.push_back(id);
        }
    }
}

void CTumboKelvoGame::BuildLogTrap() {
    m_logTriggerId = velm::NewObjectID();
    velm::TriggerEvent(CCreateTriggerObjEvt("BoxModelData", m_logTriggerId, 0, TRIGGER_LOG_RELEASE, &kLogTriggerAt));
    HideUnit(*this, m_logTriggerId);
    common::CXmlReader reader;
    reader.LoadContent(kXmlDataFolder + std::string("log_positions.xml"), "the log trap has no logs");
    reader.Enter("log_pos");
    for (;;) {
        reader.Enter("entry");
        const std::string opaque = reader.GetValue("Opaque");
        if (opaque.empty()) {
            return;
        }
        const std::string type = reader.GetValue("Type");
        reader.Enter("Pos");
        const CVector3 position = common::ReadVector(reader, "Pos");
        reader.Enter("RotationInfo");
        const CVector3 axis = common::ReadVector(reader, "RotationInfo");
        const float angle = common::ReadFloat(reader, "Angle", common::kAnyDataNumber);
        reader.Enter("Scalars");
        const CVector3 scale = common::ReadVector(reader, "Scalars");
        const std::uint32_t id = velm::NewObjectID();
        m_logTrapIds.push_back(id);
        if (IsAuthoritative()) {
            velm::TriggerEvent(CCreateEnvObjEvt(ModelDataKeyFromTypeName(type), id, opaque == "FALSE" ? 0 : 1, 0,
                                                ObjectTypeFromName(type), &position, &axis, angle, &scale, 0));
        }
    }
}

void CTumboKelvoGame::BuildFinishTrigger() {
    m_finishTriggerId = velm::NewObjectID();
    velm::TriggerEvent(CCreateTriggerObjEvt("BoxModelData", m_finishTriggerId, 0, TRIGGER_FINISH, &kFinishAt,
                                            &kFinishAxis, kFinishAngle, &kFinishScale));
}

void CTumboKelvoGame::RemoveFinishTrigger() { RemoveObject(m_finishTriggerId); }

void CTumboKelvoGame::DestroyRockTrap() {
    for (std::uint32_t id : std::vector<std::uint32_t>(m_rockTrapIds)) {
        DestroyEnvObject(id);
    }
    std::vector<std::uint32_t>().swap(m_rockTrapIds);
    // The trigger goes with its rocks, so a new trap never stands beside an old one.
    if (m_rockTriggerId != 0) {
        RemoveObject(m_rockTriggerId);
        m_rockTriggerId = 0;
    }
}

void CTumboKelvoGame::DestroyLogTrap() {
    for (std::uint32_t id : std::vector<std::uint32_t>(m_logTrapIds)) {
        DestroyEnvObject(id);
    }
    std::vector<std::uint32_t>().swap(m_logTrapIds);
    if (m_logTriggerId != 0) {
        RemoveObject(m_logTriggerId);
        m_logTriggerId = 0;
    }
}

void CTumboKelvoGame::DetachRacersFromWater() {
    std::vector<velm::CModel*> racers = GetRacers();
    const std::vector<velm::CModel*> lineUp = GetCharSelRacers();
    racers.insert(racers.end(), lineUp.begin(), lineUp.end());
    for (velm::CModel* racer : racers) {
        if (racer == nullptr || !racer->GetBody()) {
            continue;
        }
        auto buoyancy =
            std::dynamic_pointer_cast<velm::phy::BuoyancyForce>(racer->GetBody()->GetForceCntrl("Buoyancy"));
        if (buoyancy) {
            buoyancy->SetWaterField(nullptr);
        }
    }
}

std::vector<velm::CModel*> CTumboKelvoGame::GetCharSelRacers() const {
    std::vector<velm::CModel*> racers;
    racers.reserve(m_characterLineUpIds.size());
    for (std::uint32_t id : m_characterLineUpIds) {
        racers.push_back(FindModel(id));
    }
    return racers;
}

std::vector<velm::CModel*> CTumboKelvoGame::FindItemJugsInRange(const CVector3& position, const CVector3& direction,
                                                                float radius) const {
    std::vector<velm::CModel*> jugs;
    for (std::uint32_t id : m_itemJugIds) {
        velm::CModel* jug = FindModel(id);
        if (jug == nullptr) {
            continue;
        }
        const CVector3 v = jug->GetPosition() - position;
        if (radius * radius > v.Dot(v) && v.Dot(direction) > 0.0f) {
            jugs.push_back(jug);
        }
    }
    return jugs;
}

void CTumboKelvoGame::DestroyEnvObject(std::uint32_t id) {
    const auto at = std::find(m_environmentIds.begin(), m_environmentIds.end(), id);
    if (at == m_environmentIds.end()) {
        return;
    }
    m_environmentIds.erase(at);
    // Graphics lists only refer to units: take the unit out before its view frees it.
    const auto view = m_views.find(id);
    velm::CVelmApp* app = velm::GetApp();
    if (view != m_views.end() && app != nullptr && app->GetGfx() != nullptr) {
        if (auto* unit = dynamic_cast<velm::gfx::IGfxUnit*>(view->second->GetSceneObject())) {
            app->GetGfx()->RemoveLevelUnit(unit);
        }
    }
    RemoveObject(id);
}

std::list<std::uint32_t> CTumboKelvoGame::GetPeerIds() const {
    return m_testPeers != nullptr ? *m_testPeers : velm::net::GetPeerIds();
}

void CTumboKelvoGame::CreateLoadingThread() {
    m_levelLoader.SetHost(&g_levelHost);
    delete m_loadingThread;
    m_loadingThread = new CLoadingThread(*this);
}

void CTumboKelvoGame::ReleaseLevelObjects() {
    ClearTerrains();
    ClearWaters();
    for (auto& entry : m_secondaryControllers) {
        delete entry.second;
    }
    m_secondaryControllers.clear();
    for (auto& entry : m_secondaryViews) {
        delete entry.second;
    }
    m_secondaryViews.clear();
    for (auto& entry : m_secondaryModels) {
        delete entry.second;
    }
    m_secondaryModels.clear();
}

CTumboKelvoGame::CLoadingThread::~CLoadingThread() { Stop(); }

void CTumboKelvoGame::CLoadingThread::Run() {
    m_runningState = 2;
    if (m_loader != nullptr) {
        m_loader->LoadLevel(CLevelLoader::kUseStoredFileName);
    }
    m_game.BuildRacerLineUp();
    m_keepRunning = false;
    m_runningState = 0;
}

} // namespace kelvo
