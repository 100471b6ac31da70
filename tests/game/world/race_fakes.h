// The race-world tests' own race: the objects live in a stub game base, the HUD and the race keep
// a line for everything they are told, and the answers of the race (networking, whether a peer's
// event may be handled) are the test's to set. Installed while it lives.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/ai/ai_enemy.h"
#include "engine/core/core_fakes.h"
#include "engine/core/model.h"
#include "engine/phy/rigid_body.h"
#include "game/world/race_context.h"
#include "game/world/race_hud.h"

namespace tktest {

class CTestHUD : public kelvo::IRaceHUD {
public:
    void ShiftRacerRank(std::uint32_t racerId, std::int32_t steps) override { Say("ShiftRacerRank", racerId, steps); }
    void StartIconSpin(std::uint32_t racerId, std::int32_t turns) override { Say("StartIconSpin", racerId, turns); }
    void SetSpeed(int speed) override { Say("SetSpeed", speed); }
    void SetPlace(std::uint32_t place) override { Say("SetPlace", place); }
    void StartItemSpin(float, float, std::uint32_t itemType) override { Say("StartItemSpin", itemType); }
    void SlowItemSpin(float, float) override { Say("SlowItemSpin"); }
    void StopItemSpin() override { Say("StopItemSpin"); }
    void ClearItemIcon() override { Say("ClearItemIcon"); }
    void ShowHitOverlay() override { Say("ShowHitOverlay"); }

    std::vector<std::string> m_calls;

private:
    template <typename... T>
    void Say(const char* name, T... values) {
        std::string line = name;
        ((line += " " + std::to_string(values)), ...);
        m_calls.push_back(line);
    }
};

class CTestRace : public kelvo::IRaceContext {
public:
    CTestRace() { kelvo::SetRaceContext(this); }
    ~CTestRace() override { kelvo::SetRaceContext(nullptr); }
    CTestRace(const CTestRace&) = delete;
    CTestRace& operator=(const CTestRace&) = delete;

    velm::CModel* FindModel(std::uint32_t id) override { return m_game.FindModel(id); }
    velm::CView* FindView(std::uint32_t id) override {
        const auto found = m_game.GetViews().find(id);
        return found != m_game.GetViews().end() ? found->second : nullptr;
    }
    void RemoveObject(std::uint32_t id) override { m_game.RemoveObject(id); }
    const std::map<std::uint32_t, velm::CController*>& GetControllers() override { return m_game.GetControllers(); }
    std::vector<velm::CModel*> GetRacers() override {
        std::vector<velm::CModel*> racers;
        for (std::uint32_t id : m_racerIds) {
            racers.push_back(m_game.FindModel(id));
        }
        return racers;
    }
    std::vector<velm::CModel*> FindItemJugsInRange(const common::CVector3&, const common::CVector3&, float) override {
        return {};
    }
    bool PickNearestRacerOnRay(std::uint32_t, const common::CVector3&, float, float, std::uint32_t*) override {
        return false;
    }
    kelvo::IRaceHUD* GetHUD() override { return m_hasHUD ? &m_hud : nullptr; }
    void AddResultRow(std::uint32_t racerId) override { Say("AddResultRow " + std::to_string(racerId)); }
    bool IsNetworked() override { return m_networked; }
    bool IsHost() override { return m_host; }
    bool IsAuthoritative() override { return !m_networked || m_host; }
    bool AcceptPeerEvent(const velm::CEvent&) override { return m_acceptPeers; }
    void NoteFinishCrossed(std::uint32_t racerId) override { Say("NoteFinishCrossed " + std::to_string(racerId)); }
    void PlayGeyserSound(const common::CVector3&) override { Say("PlayGeyserSound"); }
    void ReleaseRocks(velm::CModel* trigger) override {
        Say("ReleaseRocks " + std::to_string(trigger != nullptr ? trigger->GetID() : 0));
    }
    void ReleaseLogs() override { Say("ReleaseLogs"); }
    std::unique_ptr<velm::ai::AIEnemy> CreateEnemyAI(int characterType, int racerId) override {
        Say("CreateEnemyAI " + std::to_string(characterType) + " " + std::to_string(racerId));
        return nullptr;
    }
    std::unique_ptr<kelvo::IDrivingRecorder> CreateDrivingRecorder(int characterType) override {
        Say("CreateDrivingRecorder " + std::to_string(characterType));
        return nullptr;
    }
    void SyncWaypointMarkers() override { Say("SyncWaypointMarkers"); }

    // A model of that type with a body of its own, entered in the game; racers join the race.
    template <class TModel>
    TModel* Add(std::uint32_t id, std::uint32_t type, std::uint32_t kind = 0) {
        auto* model = new TModel(std::make_shared<velm::phy::CRigidBody>(), id);
        model->SetObjectType(type);
        model->SetControlKind(kind);
        m_game.AddObject(model, nullptr, nullptr);
        if (type >= 1 && type <= 6) {
            m_racerIds.push_back(id);
        }
        return model;
    }

    CStubGame m_game;
    CTestHUD m_hud;
    bool m_hasHUD = true;
    bool m_networked = false;
    bool m_host = false;
    bool m_acceptPeers = true;
    std::vector<std::uint32_t> m_racerIds;
    std::vector<std::string> m_calls;

private:
    void Say(const std::string& line) { m_calls.push_back(line); }
};

} // namespace tktest
