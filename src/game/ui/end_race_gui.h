// The end-of-race screen's result rows, one per finished racer in finishing order. Only the record
// the race world writes lives here so far; drawing joins it with the screens. Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/gfx/base_gui.h"

namespace kelvo {

class CEndRaceGUI : public velm::gfx::CBaseGUI {
public:
    explicit CEndRaceGUI(const std::string& fileName) : m_fileName(fileName) {}

    // A racer already listed keeps its one row.
    void AddResultRow(std::uint32_t racerId);
    bool HasResultRow(std::uint32_t racerId) const;
    const std::vector<std::uint32_t>& GetResultRows() const { return m_rows; }

private:
    std::string m_fileName;
    std::vector<std::uint32_t> m_rows;
};

} // namespace kelvo
