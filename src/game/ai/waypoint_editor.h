// kelvo::CWaypointEditor, the in-game editor of one waypoint path: a label, the waypoints and a
// marker object per waypoint that the model manipulator can move. Edited paths go back to the
// AI manager. The game owns one for its whole life; main thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/ai/waypoint.h"

namespace velm {
namespace ai {
class CAIManager;
}
} // namespace velm

namespace kelvo {

// The marker objects the editor shows, made and read through the game.
class IWaypointMarkers {
public:
    virtual ~IWaypointMarkers() = default;
    // A new marker object at the position; `editor` marks the editor's own markers. Its id.
    virtual int CreateMarker(const common::CVector3& position, bool editor) = 0;
    virtual void RemoveMarker(int id) = 0;
    // False when no object has the id.
    virtual bool GetMarkerPosition(int id, common::CVector3& position) = 0;
    virtual void MoveMarker(int /*id*/, const common::CVector3& /*position*/) {}
};

class CWaypointEditor {
public:
    using PrintFunction = std::function<void(const std::string&)>;

    // The manager, the markers and the print target outlive the editor.
    CWaypointEditor(velm::ai::CAIManager& manager, IWaypointMarkers& markers, PrintFunction print);

    void SetLabel(const std::string& label) { m_label = label; }
    void AppendWaypoint(const common::CVector3& position);
    void InsertWaypoint(const common::CVector3& position, int selectedId, bool before);
    bool DeleteWaypoint(int selectedId);
    void Clear();
    bool Deactivate();
    bool ActivateByIndex(int index);
    bool ActivateByName(const std::string& name);
    void PrintList();
    void SyncWithMarkers();
    // The number of waypoints written; 0, with a console line, without a label or when the
    // file cannot be written.
    int Write(const std::string& fileName);

    const std::string& GetLabel() const { return m_label; }
    const velm::ai::WaypointList& GetWaypoints() const { return m_waypoints; }
    const std::vector<int>& GetMarkerIds() const { return m_markerIds; }

private:
    void RemoveMarkers();
    // Hands the edited path back to the manager when there is one.
    void HandBack();
    void TakePath(const velm::ai::CWaypointPath& path);
    int IndexOfMarker(int id) const;

    velm::ai::CAIManager& m_manager;
    IWaypointMarkers& m_markers;
    PrintFunction m_print;
    std::string m_label;
    velm::ai::WaypointList m_waypoints;
    std::vector<int> m_markerIds;
};

} // namespace kelvo
