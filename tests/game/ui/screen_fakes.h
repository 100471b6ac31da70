// A stand-in game for the screens' tests: models by id, networking flags, the race line-up and a
// log of every call the screens make, installed as the screens' game for the fixture's life.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "engine/core/model.h"
#include "engine/gfx/cursor.h"
#include "engine/phy/rigid_body.h"
#include "game/ui/screen_game.h"
#include "game/world/env_obj.h"
#include "game/world/racer_model.h"

namespace tktest {

class CFakeScreenGame : public kelvo::IScreenGame {
public:
    using SConnect = std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t>;

    velm::gfx::CCursor* GetCursor() override { return m_cursor.get(); }
    velm::CModel* FindModel(std::uint32_t id) override {
        const auto found = m_models.find(id);
        return found != m_models.end() ? found->second.get() : nullptr;
    }
    std::uint32_t GetSelectedCharacter() override { return m_selected; }
    bool IsNetworked() override { return m_networked; }
    bool IsHost() override { return m_host; }
    void InitNetwork(bool on, std::uint8_t role) override {
        m_calls.push_back(on ? "network on " + std::to_string(role) : "network off");
    }
    void AddToRaceLineUp(const kelvo::SRaceLineUpEntry& entry) override { m_lineUp.push_back(entry); }
    void ClearRaceLineUp() override {
        m_lineUp.clear();
        m_calls.push_back("line-up cleared");
    }
    void SetRaceFogOn(bool on) override { m_calls.push_back(on ? "fog on" : "fog off"); }
    void ResetRace() override { m_calls.push_back("reset"); }
    void PostQuit() override { m_calls.push_back("quit"); }
    float GetRaceClock() override { return m_clock; }
    void SetHUDVisible(bool visible) override { m_hudVisible = visible; }
    common::CVector3 GetCameraTarget() override { return m_target; }
    void DestroyEnvObject(std::uint32_t id) override {
        m_models.erase(id);
        m_calls.push_back("destroy " + std::to_string(id));
    }
    void CreateTrophyObject(std::uint32_t id) override {
        m_models[id] = std::make_unique<kelvo::CEnvObjModel>(std::make_shared<velm::phy::CRigidBody>(), id);
        m_calls.push_back("trophy " + std::to_string(id));
    }
    kelvo::CEndRaceGUI* GetEndRaceGUI() override { return m_board; }
    kelvo::CInGameMenu* GetInGameMenu() override { return nullptr; }
    kelvo::CVictoryScreen* GetVictoryScreen() override { return m_victory; }
    std::uint32_t GetLocalClientId() override { return m_localId; }
    void SetAcceptingClients(bool accepting) override { m_calls.push_back(accepting ? "accepting" : "not accepting"); }
    void SendPeerListAndStart() override { m_calls.push_back("peer list"); }
    void QueueRacerConnect(std::uint32_t character, std::uint32_t connectionId, std::uint32_t slot,
                           std::uint32_t recipient) override {
        m_connects.emplace_back(character, connectionId, slot, recipient);
    }
    void TriggerRacerFinished(std::uint32_t racerId) override { m_finished.push_back(racerId); }
    void NoteRacerFinished(std::uint32_t racerId) override { m_noted.push_back(racerId); }

    kelvo::CRacerModel* AddRacer(std::uint32_t id, std::uint32_t character, std::uint32_t kind) {
        auto racer = std::make_unique<kelvo::CRacerModel>(std::make_shared<velm::phy::CRigidBody>(), id);
        racer->SetObjectType(character);
        racer->SetControlKind(kind);
        kelvo::CRacerModel* raw = racer.get();
        m_models[id] = std::move(racer);
        return raw;
    }
    bool Called(const std::string& call) const {
        for (const std::string& seen : m_calls) {
            if (seen == call) {
                return true;
            }
        }
        return false;
    }

    std::map<std::uint32_t, std::unique_ptr<velm::CModel>> m_models;
    std::unique_ptr<velm::gfx::CCursor> m_cursor;
    std::uint32_t m_selected = 0;
    bool m_networked = false;
    bool m_host = false;
    float m_clock = 0.0f;
    bool m_hudVisible = true;
    common::CVector3 m_target;
    std::uint32_t m_localId = 1;
    kelvo::CEndRaceGUI* m_board = nullptr;
    kelvo::CVictoryScreen* m_victory = nullptr;
    std::vector<kelvo::SRaceLineUpEntry> m_lineUp;
    std::vector<std::string> m_calls;
    std::vector<SConnect> m_connects;
    std::vector<std::uint32_t> m_finished;
    std::vector<std::uint32_t> m_noted;
};

// Installs the fake as the screens' game; the layout files are the data tree's.
class CScreenTest : public ::testing::Test {
protected:
    CScreenTest() { kelvo::SetScreenGame(&m_game); }
    ~CScreenTest() override { kelvo::SetScreenGame(nullptr); }

    CFakeScreenGame m_game;
};

} // namespace tktest
