// Shared pieces of the tests of the game's content and the floors above it: an installed event
// manager with a listener that keeps every event it sees, and a model-data manager over files
// written to a temporary folder.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/events/event_manager.h"
#include "engine/gfx/base_gui.h"
#include "engine/gfx/button.h"
#include "engine/gfx/cursor.h"
#include "game/content/model_data_mgr.h"
#include "support/temp_dir.h"

namespace tktest {

// Clicks a screen's button with the game's cursor on its corner: without a back buffer every
// button of a screen stands at the origin, so the press goes to that button alone.
template <class TGame>
bool ClickScreenButton(TGame& game, velm::gfx::CBaseGUI* screen, int id) {
    auto* button = screen != nullptr ? dynamic_cast<velm::gfx::CButton*>(screen->GetChild(id)) : nullptr;
    auto* cursor = static_cast<velm::gfx::CCursor*>(game.GetCursor());
    if (button == nullptr || cursor == nullptr) {
        return false;
    }
    cursor->SetPosition(button->GetX(), button->GetY());
    const bool taken = button->HandleInput({210, 0, 0, 0});
    button->HandleInput({210, 1, 0, 0});
    return taken;
}

// Steps the game a sixtieth of a second at a time from `time` until the named state is current,
// for at most `seconds` of game time; true when it is.
template <class TGame>
bool RunGameUntil(TGame& game, double& time, const std::string& state, double seconds) {
    constexpr float kStep = 1.0f / 60.0f;
    for (double end = time + seconds; time < end; time += kStep) {
        if (game.GetStateMachine().GetCurrentState() == state) {
            return true;
        }
        game.Update(time, kStep);
    }
    return game.GetStateMachine().GetCurrentState() == state;
}

struct SSeenEvent {
    std::string m_type;
    velm::EventDataPtr m_data;
    bool m_fromNetwork = false;
    std::uint32_t m_sender = 0;
};

class CKeepingListener : public velm::IEventListener {
public:
    bool HandleEvent(const velm::CEvent& event) override {
        m_seen.push_back(
            {event.GetEventType().GetName(), event.GetDataPtr(), event.IsFromNetwork(), event.GetSender()});
        return true;
    }
    std::string GetName() override { return "KeepingListener"; }
    std::vector<SSeenEvent> m_seen;
};

// Installs a fresh event manager (with the keeping listener on the wildcard) and an empty
// model-data manager over a temporary folder; both are removed again at the end.
class CFlowEnvironment {
public:
    CFlowEnvironment()
        : m_listener(std::make_shared<CKeepingListener>()),
          m_models(std::make_unique<kelvo::CModelDataMgr>(m_dir.Path() + "/")) {
        m_previousEvents = velm::GetEventManager();
        velm::SetEventManager(&m_events);
        m_events.AddListener(m_listener, velm::WildcardEventType());
        kelvo::SetModelDataMgr(m_models.get());
    }
    ~CFlowEnvironment() {
        kelvo::SetModelDataMgr(nullptr);
        velm::SetEventManager(m_previousEvents);
    }

    // Stores `key` with a model file naming `mesh` and an instance file of `instanceBody`
    // (the lines inside InstanceData).
    void AddModel(const std::string& key, const std::string& instanceBody, const std::string& mesh = "m.x") {
        m_dir.Write(key + ".xml",
                    "<ModelData>\n<GraphicData>\n<XFileName>" + mesh + "</XFileName>\n</GraphicData>\n</ModelData>\n");
        m_dir.Write(key + "_instance.xml", "<InstanceData>\n" + instanceBody + "</InstanceData>\n");
        m_models->Load(key, key + ".xml", key + "_instance.xml");
    }

    std::vector<SSeenEvent>& Seen() { return m_listener->m_seen; }

    CTempDir m_dir;
    velm::CEventManager m_events;
    std::shared_ptr<CKeepingListener> m_listener;
    std::unique_ptr<kelvo::CModelDataMgr> m_models;

private:
    velm::IEventManager* m_previousEvents = nullptr;
};

// A graphic section with the given position and tile factor, every other value plain.
inline std::string GraphicSection(const std::string& pos = "<x>1</x>\n<y>2</y>\n<z>3</z>") {
    return "<GraphicData>\n<entry>yes</entry>\n<EffectFileName>Racer.fx</EffectFileName>\n"
           "<Technique>Render</Technique>\n<TileFactor>2</TileFactor>\n<Textures>\n<Base1>b1.dds</Base1>\n"
           "<Base2>none</Base2>\n<SpecularMap>none</SpecularMap>\n<NormalMap>n.dds</NormalMap>\n"
           "<HeightMap>none</HeightMap>\n<Reserved>none</Reserved>\n</Textures>\n<Pos>\n" +
           pos +
           "\n</Pos>\n<RotationInfo>\n<x>0</x>\n<y>1</y>\n<z>0</z>\n<Angle>90</Angle>\n</RotationInfo>\n"
           "<Scalars>\n<x>1</x>\n<y>1</y>\n<z>1</z>\n</Scalars>\n<FacingDir>\n<x>0</x>\n<y>0</y>\n<z>1</z>\n"
           "</FacingDir>\n</GraphicData>\n";
}

} // namespace tktest
