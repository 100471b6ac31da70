// The end-of-race screen's result rows, one per finished racer in finishing order. Only the record
// the race world writes lives here so far; drawing joins it with the screens. Main thread only.
#pragma once

#include <cstdint>
#include <vector>

namespace kelvo {

class CEndRaceGUI {
public:
    // A racer already listed keeps its one row.
    void AddResultRow(std::uint32_t racerId);
    bool HasResultRow(std::uint32_t racerId) const;
    const std::vector<std::uint32_t>& GetResultRows() const { return m_rows; }

private:
    std::vector<std::uint32_t> m_rows;
};

} // namespace kelvo
