// The end-of-race screen's result rows, one per finished racer in finishing order. Only the record
// the race world writes lives here so far; drawing joins it with the screens. Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/gfx/base_gui.h"

namespace kelvo {

class CEndRaceGUI : public velm::gfx::CBaseGUI {
public:
    explicit CEndRaceGUI(const std::string& fileName) : m_fileName(fileName) {}

    // A racer already listed keeps its one row; a new row is announced to the game.
    void AddResultRow(std::uint32_t racerId);
    void SetOnRowAdded(std::function<void(std::uint32_t)> onRowAdded) { m_onRowAdded = std::move(onRowAdded); }
    bool HasResultRow(std::uint32_t racerId) const;
    const std::vector<std::uint32_t>& GetResultRows() const { return m_rows; }

private:
    std::string m_fileName;
    std::function<void(std::uint32_t)> m_onRowAdded;
    std::vector<std::uint32_t> m_rows;
};

} // namespace kelvo
