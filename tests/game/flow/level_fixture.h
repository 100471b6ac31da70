// A game object over the shipped data tree, run from the game's working folder, with an event
// manager that keeps every event it dispatches (recipients too). No application: no graphics,
// physics world or sound, so the factories build models, views and controllers only.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/events/event_manager.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/world/kelvo_model.h"

namespace tktest {

struct SDispatched {
    std::string m_type;
    std::list<std::uint32_t> m_recipients;
    bool m_fromNetwork = false;
};

class CRecordingListener : public velm::IEventListener {
public:
    bool HandleEvent(const velm::CEvent& event) override {
        m_seen.push_back({event.GetEventType().GetName(), event.GetRecipients(), event.IsFromNetwork()});
        return false;
    }
    std::string GetName() override { return "RecordingListener"; }
    std::vector<SDispatched> m_seen;
};

class CShippedGameTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* source = std::getenv("TK_SOURCE_DIR");
        ASSERT_NE(source, nullptr);
        m_previousDir = std::filesystem::current_path();
        std::filesystem::current_path(std::string(source) + "/run/tumbo/kelvo/game");
        m_previousEvents = velm::GetEventManager();
        velm::SetEventManager(&m_events);
        m_recorder = std::make_shared<CRecordingListener>();
        m_events.AddListener(m_recorder, velm::WildcardEventType());
        m_game = std::make_unique<kelvo::CTumboKelvoGame>();
        m_game->Init();
    }
    void TearDown() override {
        m_game.reset();
        velm::SetEventManager(m_previousEvents);
        std::filesystem::current_path(m_previousDir);
    }

    kelvo::CKelvoModel* Model(std::uint32_t id) const {
        return dynamic_cast<kelvo::CKelvoModel*>(m_game->FindModel(id));
    }
    std::size_t CountOfType(std::uint32_t type) const {
        std::size_t count = 0;
        for (const auto& entry : m_game->GetModels()) {
            const auto* model = dynamic_cast<const kelvo::CKelvoModel*>(entry.second);
            count += model != nullptr && model->GetObjectType() == type ? 1 : 0;
        }
        return count;
    }
    std::size_t Dispatched(const std::string& type) const {
        std::size_t count = 0;
        for (const SDispatched& seen : m_recorder->m_seen) {
            count += seen.m_type == type ? 1 : 0;
        }
        return count;
    }

    velm::CEventManager m_events;
    std::shared_ptr<CRecordingListener> m_recorder;
    std::unique_ptr<kelvo::CTumboKelvoGame> m_game;

private:
    std::filesystem::path m_previousDir;
    velm::IEventManager* m_previousEvents = nullptr;
};

} // namespace tktest
