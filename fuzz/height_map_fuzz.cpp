// libFuzzer target for the terrain height map: the input gives the map's columns, rows,
// spacings and centre, then the heights, then points and rays to ask it about.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/phy/height_map.h"

namespace {

class CInput {
public:
    CInput(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    float Float() {
        float value = 0.0f;
        if (m_size - m_at >= sizeof value) {
            std::memcpy(&value, m_data + m_at, sizeof value);
            m_at += sizeof value;
        } else {
            m_at = m_size;
        }
        return value;
    }
    bool Empty() const { return m_at >= m_size; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CInput input(data, size);
    const std::uint32_t columns = input.Byte() % 33;
    const std::uint32_t rows = input.Byte() % 33;
    const float spacingX = input.Float();
    const float spacingZ = input.Float();
    const common::CVector3 centre(input.Float(), 0.0f, input.Float());
    // Sometimes fewer samples than the map needs, which it must refuse.
    const std::uint32_t given = (input.Byte() & 1) != 0 ? columns : columns + 1;
    velm::phy::CGrid2D heights(given, rows, 0.0f);
    for (std::uint32_t j = 0; j < rows; ++j) {
        for (std::uint32_t i = 0; i < given; ++i) {
            heights(i, j) = input.Float();
        }
    }
    const velm::phy::CHeightMap map(columns, rows, spacingX, spacingZ, heights, centre);
    for (int query = 0; query < 16 && !input.Empty(); ++query) {
        const float x = input.Float();
        const float z = input.Float();
        float height = 0.0f;
        common::CVector3 normal;
        map.Contains(x, z);
        map.GetHeight(x, z, height, normal);
        const common::CVector3 origin(x, input.Float(), z);
        const common::CVector3 direction(input.Float(), input.Float(), input.Float());
        common::CVector3 hit;
        map.RayCast(origin, direction, hit);
    }
    return 0;
}
