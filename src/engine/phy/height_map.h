// velm::phy::CGrid2D, a column-by-row array of height samples, and velm::phy::CHeightMap, the
// terrain surface that hulls collide with and the AI's rays march over, answered in constant time.
// Built by the terrain on the loading path, then only read, on the main thread.
#pragma once

#include <cstdint>
#include <vector>

#include "libs/common/vector3.h"

namespace velm::phy {

class CGrid2D {
public:
    CGrid2D(std::uint32_t columns, std::uint32_t rows, float fill);

    std::uint32_t GetColumns() const { return m_columns; }
    std::uint32_t GetRows() const { return m_rows; }
    // The sample of column i and row j, stored at columns * j + i.
    float& operator()(std::uint32_t i, std::uint32_t j) {
        return m_samples[static_cast<std::size_t>(m_columns) * j + i];
    }
    float operator()(std::uint32_t i, std::uint32_t j) const {
        return m_samples[static_cast<std::size_t>(m_columns) * j + i];
    }
    std::size_t GetSize() const { return m_samples.size(); }
    float* GetData() { return m_samples.data(); }
    const float* GetData() const { return m_samples.data(); }

private:
    std::uint32_t m_columns;
    std::uint32_t m_rows;
    std::vector<float> m_samples;
};

class CHeightMap {
public:
    // Centred on centre (x, z). A map with no columns or rows, a spacing that is not a positive
    // number, or fewer samples than columns * rows holds no terrain: it contains no point.
    CHeightMap(std::uint32_t columns, std::uint32_t rows, float spacingX, float spacingZ, const CGrid2D& heights,
               const common::CVector3& centre);

    // Inclusive on all four edges.
    bool Contains(float x, float z) const;
    // False outside; otherwise the height and the unit normal of the cell's triangle at (x, z).
    bool GetHeight(float x, float z, float& height, common::CVector3& normal) const;
    // Marches horizontally from origin at the origin's height, one cell spacing times the
    // direction's horizontal part per step, until the terrain reaches the ray; false when the ray
    // leaves the map first. A direction with no horizontal part only tests the start column.
    bool RayCast(const common::CVector3& origin, const common::CVector3& direction, common::CVector3& hit) const;

    float& GetStaticFriction() { return m_staticFriction; }
    float& GetDynamicFriction() { return m_dynamicFriction; }
    float& GetRestitution() { return m_restitution; }
    float GetStaticFriction() const { return m_staticFriction; }
    float GetDynamicFriction() const { return m_dynamicFriction; }
    float GetRestitution() const { return m_restitution; }

    std::uint32_t GetColumns() const { return m_columns; }
    std::uint32_t GetRows() const { return m_rows; }
    float GetSpacingX() const { return m_spacingX; }
    float GetSpacingZ() const { return m_spacingZ; }
    float GetOriginX() const { return m_originX; }
    float GetOriginZ() const { return m_originZ; }
    bool IsValid() const { return m_valid; }

private:
    float Sample(std::uint32_t i, std::uint32_t j) const;
    // Contains must hold for (x, z).
    void Interpolate(float x, float z, float& height, common::CVector3& normal) const;

    float m_staticFriction = 0.0f;
    float m_dynamicFriction = 0.0f;
    float m_restitution = 0.0f;
    CGrid2D m_heights;
    std::uint32_t m_columns;
    std::uint32_t m_rows;
    float m_spacingX;
    float m_spacingZ;
    float m_originX;
    float m_originZ;
    bool m_valid;
};

} // namespace velm::phy
