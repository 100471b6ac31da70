#include "game/ui/end_race_gui.h"

#include <algorithm>

namespace kelvo {

void CEndRaceGUI::AddResultRow(std::uint32_t racerId) {
    if (HasResultRow(racerId)) {
        return;
    }
    m_rows.push_back(racerId);
    if (m_onRowAdded) {
        m_onRowAdded(racerId);
    }
}

bool CEndRaceGUI::HasResultRow(std::uint32_t racerId) const {
    return std::find(m_rows.begin(), m_rows.end(), racerId) != m_rows.end();
}

} // namespace kelvo
