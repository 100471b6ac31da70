// The script functions of the AI's data and the waypoint editor: waypoint files, nets, the AI
// switches and the profile setters, registered under their Lua names. They work on the context
// given at registration, which must outlive every script call. Main thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace velm {
namespace ai {
class CAIManager;
}
} // namespace velm

namespace kelvo {

class CWaypointEditor;
class IWaypointMarkers;

namespace ai {

struct SAIScriptContext {
    velm::ai::CAIManager* m_manager = nullptr;
    CWaypointEditor* m_editor = nullptr;
    IWaypointMarkers* m_markers = nullptr;
    // Console lines; dropped when empty.
    std::function<void(const std::string&)> m_print;
    // Hands AIStates' three switches to the AI of every computer racer.
    std::function<void(bool, bool, bool)> m_applyStates;
};

// Registers every function with the script host; calling it again only swaps the context.
void RegisterAIScriptFunctions(SAIScriptContext& context);

// What the game holds for these functions: the waypoint editor over the AI manager, the game's
// marker objects, and a context whose console lines (the editor's among them) go to `print`.
class CAIScriptHost {
public:
    CAIScriptHost(velm::ai::CAIManager& manager, const std::function<void(const std::string&)>& print);
    ~CAIScriptHost();
    CAIScriptHost(const CAIScriptHost&) = delete;
    CAIScriptHost& operator=(const CAIScriptHost&) = delete;

    void Register() { RegisterAIScriptFunctions(m_context); }
    CWaypointEditor& GetEditor() { return *m_editor; }

private:
    std::unique_ptr<IWaypointMarkers> m_markers;
    std::unique_ptr<CWaypointEditor> m_editor;
    SAIScriptContext m_context;
};

} // namespace ai
} // namespace kelvo
