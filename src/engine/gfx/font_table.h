// velm::gfx::CFontTable: the six D3DX fonts every text on screen is drawn with, created together
// on the graphics core's device and released together. A font that cannot be made stays null
// and its texts draw nothing. Main thread only; reached through FontTable.
#pragma once

#include <array>
#include <cstddef>

#include "libs/common/singleton.h"
#include "platform/d3d9/d3dx9.h"

namespace velm {
namespace gfx {

class CFontTable {
public:
    static constexpr std::size_t kFontCount = 6;

    CFontTable() = default;
    ~CFontTable();
    CFontTable(const CFontTable&) = delete;
    CFontTable& operator=(const CFontTable&) = delete;

    // Creates the six fonts on the core's device (the earlier ones released first).
    void Init();
    void Release();
    void OnLostDevice();
    void OnResetDevice();
    // Null for an index past the table or a font that was not made.
    ID3DXFont* GetFont(std::size_t index) const { return index < kFontCount ? m_fonts[index] : nullptr; }

private:
    std::array<ID3DXFont*, kFontCount> m_fonts = {};
};

using FontTable = common::CSingleton<CFontTable>;

} // namespace gfx
} // namespace velm
