#include "game/ai/waypoint_editor.h"

#include "engine/ai/ai_manager.h"
#include "game/ai/waypoint_file.h"

namespace kelvo {
namespace {

const char* const NO_LABEL = "ERROR: Please set a label first";
const char* const NOT_IN_LIST = "ERROR: Selected object not in waypoint list";

} // namespace

CWaypointEditor::CWaypointEditor(velm::ai::CAIManager& manager, IWaypointMarkers& markers, PrintFunction print)
    : m_manager(manager), m_markers(markers), m_print(std::move(print)) {}

int CWaypointEditor::IndexOfMarker(int id) const {
    for (std::size_t i = 0; i < m_markerIds.size(); ++i) {
        if (m_markerIds[i] == id) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void CWaypointEditor::AppendWaypoint(const common::CVector3& position) {
    m_markerIds.push_back(m_markers.CreateMarker(position, true));
    m_waypoints.emplace_back(position);
}

void CWaypointEditor::InsertWaypoint(const common::CVector3& position, int selectedId, bool before) {
    const int i = IndexOfMarker(selectedId);
    if (i < 0) {
        m_print(NOT_IN_LIST);
        return;
    }
    const int id = m_markers.CreateMarker(position, true);
    const std::size_t at = static_cast<std::size_t>(before ? i : i + 1);
    m_waypoints.insert(m_waypoints.begin() + static_cast<std::ptrdiff_t>(at), velm::ai::CWaypointData(position));
    m_markerIds.insert(m_markerIds.begin() + static_cast<std::ptrdiff_t>(at), id);
}

bool CWaypointEditor::DeleteWaypoint(int selectedId) {
    const int i = IndexOfMarker(selectedId);
    if (i < 0) {
        m_print(NOT_IN_LIST);
        return false;
    }
    m_waypoints.erase(m_waypoints.begin() + i);
    m_markerIds.erase(m_markerIds.begin() + i);
    m_markers.RemoveMarker(selectedId);
    return true;
}

void CWaypointEditor::RemoveMarkers() {
    for (int id : m_markerIds) {
        m_markers.RemoveMarker(id);
    }
    m_markerIds.clear();
}

void CWaypointEditor::Clear() {
    RemoveMarkers();
    m_waypoints.clear();
    m_label.clear();
}

void CWaypointEditor::HandBack() {
    if (m_waypoints.empty()) {
        return;
    }
    RemoveMarkers();
    velm::ai::CWaypointPath path;
    path.m_name = m_label;
    path.m_waypoints = m_waypoints;
    m_manager.AddPath(path);
}

bool CWaypointEditor::Deactivate() {
    if (m_label.empty()) {
        m_print(NO_LABEL);
        return false;
    }
    if (m_waypoints.empty()) {
        return true;
    }
    HandBack();
    m_label.clear();
    m_waypoints.clear();
    return true;
}

void CWaypointEditor::TakePath(const velm::ai::CWaypointPath& path) {
    m_label = path.m_name;
    m_waypoints = path.m_waypoints;
    m_markerIds.clear();
    for (const velm::ai::CWaypointData& waypoint : m_waypoints) {
        m_markerIds.push_back(m_markers.CreateMarker(waypoint.m_position, true));
    }
}

bool CWaypointEditor::ActivateByIndex(int index) {
    if (index < 0 || static_cast<std::uint32_t>(index) >= m_manager.GetPathCount()) {
        return false;
    }
    HandBack();
    // A copy: handing back may have replaced the path's storage.
    const velm::ai::CWaypointPath path = m_manager.GetPath(static_cast<std::uint32_t>(index));
    TakePath(path);
    return true;
}

bool CWaypointEditor::ActivateByName(const std::string& name) {
    if (m_manager.GetPathCount() == 0) {
        return false;
    }
    HandBack();
    const velm::ai::CWaypointPath* found = m_manager.FindPath(name);
    if (found == nullptr || found->m_name != name) {
        m_label.clear();
        m_waypoints.clear();
        m_markerIds.clear();
        return false;
    }
    const velm::ai::CWaypointPath path = *found;
    TakePath(path);
    return true;
}

void CWaypointEditor::PrintList() {
    if (m_manager.GetPathCount() == 0) {
        m_print("No waypoints loaded yet");
        return;
    }
    std::string text;
    for (std::uint32_t i = 0; i < m_manager.GetPathCount(); ++i) {
        const velm::ai::CWaypointPath& path = m_manager.GetPath(i);
        text += "[" + std::to_string(i) + "]  " + path.m_name + "  Size: " + std::to_string(path.m_waypoints.size());
        if (path.m_name == m_label) {
            text += " ACTIVE";
        }
        text += "\n";
    }
    m_print(text);
}

void CWaypointEditor::SyncWithMarkers() {
    for (std::size_t i = 0; i < m_waypoints.size() && i < m_markerIds.size(); ++i) {
        common::CVector3 position;
        if (m_markers.GetMarkerPosition(m_markerIds[i], position) && position != m_waypoints[i].m_position) {
            m_waypoints[i].m_position = position;
        }
    }
}

int CWaypointEditor::Write(const std::string& fileName) {
    if (m_label.empty()) {
        m_print(NO_LABEL);
        return 0;
    }
    const int written = WriteWaypointFile(fileName, m_label, m_waypoints);
    if (written < 0) {
        m_print("ERROR: Could not write the waypoints to \"" + fileName + "\"");
        return 0;
    }
    return written;
}

} // namespace kelvo
