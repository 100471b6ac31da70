#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/phy/grid_file.h"
#include "engine/phy/height_map.h"
#include "engine/phy/physics_world.h"
#include "engine/phy/rigid_body.h"
#include "engine/phy/water_field.h"
#include "phy_test_util.h"
#include "support/temp_dir.h"

namespace {

using common::CVector3;
using velm::phy::CGrid2D;
using velm::phy::CHeightMap;

const float kNaN = std::numeric_limits<float>::quiet_NaN();

// 2 x 2 samples, origin (0, 0), spacing 1, only the far corner raised to 1.
CHeightMap RaisedCorner() {
    CGrid2D heights(2, 2, 0.0f);
    heights(1, 1) = 1.0f;
    return CHeightMap(2, 2, 1.0f, 1.0f, heights, CVector3(0.5f, 0.0f, 0.5f));
}

TEST(HeightMapTest, FarEdgeIsInsideWithAnUpNormalAndTheSampleHeight) {
    CGrid2D heights(3, 3, 0.0f);
    heights(2, 0) = 4.0f;
    const CHeightMap map(3, 3, 1.0f, 1.0f, heights, CVector3(1.0f, 0.0f, 1.0f));
    float h = 0.0f;
    CVector3 n;
    ASSERT_TRUE(map.GetHeight(2.0f, 0.0f, h, n));
    EXPECT_FLOAT_EQ(h, 4.0f);
    EXPECT_EQ(n, CVector3(0.0f, 1.0f, 0.0f));
    EXPECT_FALSE(map.Contains(2.0001f, 0.0f));
}

// Rounding in (x - origin) / spacing must not move a far-edge point back into the previous cell.
TEST(HeightMapTest, FarEdgeReadsTheLastSampleWhateverTheRounding) {
    for (std::uint32_t columns = 2; columns < 40; ++columns) {
        for (float spacing : {0.3f, 0.7f, 1.1f, 3.3f}) {
            for (float centre : {-13.7f, 0.3f, 101.9f}) {
                CGrid2D heights(columns, columns, 0.0f);
                for (std::uint32_t i = 0; i < columns; ++i) {
                    for (std::uint32_t j = 0; j < columns; ++j) {
                        heights(i, j) = static_cast<float>(i * 3 + j);
                    }
                }
                const CHeightMap map(columns, columns, spacing, spacing, heights, CVector3(centre, 0.0f, centre));
                const float x = map.GetOriginX() + static_cast<float>(columns - 1) * spacing;
                const float z = map.GetOriginZ() + 0.5f * spacing;
                float h = 0.0f;
                CVector3 n;
                ASSERT_TRUE(map.GetHeight(x, z, h, n)) << columns << " " << spacing << " " << centre;
                EXPECT_EQ(n, CVector3(0.0f, 1.0f, 0.0f)) << columns << " " << spacing << " " << centre;
                EXPECT_FLOAT_EQ(h, heights(columns - 1, 0)) << columns << " " << spacing << " " << centre;
            }
        }
    }
}

// A centimetre grid has a cross product too short for the kit's normalisation.
TEST(HeightMapTest, FineGridGivesAUnitNormalAndAFiniteHeight) {
    CGrid2D heights(3, 3, 0.0f);
    heights(1, 1) = 0.001f;
    const CHeightMap map(3, 3, 0.01f, 0.01f, heights, CVector3());
    float h = 0.0f;
    CVector3 n;
    ASSERT_TRUE(map.GetHeight(0.001f, 0.002f, h, n));
    EXPECT_NEAR(n.Length(), 1.0f, 1e-5f);
    EXPECT_GT(n.y, 0.0f);
    EXPECT_NEAR(h, 0.0008f, 1e-6f); // falls along z only: 0.001 * (1 - w)
}

TEST(HeightMapTest, EachHalfOfASlopedCellUsesItsOwnTriangle) {
    const CHeightMap map = RaisedCorner();
    float h = 0.0f;
    CVector3 n;
    ASSERT_TRUE(map.GetHeight(0.2f, 0.7f, h, n)); // u <= w: the triangle through (i, j1), h = x
    EXPECT_NEAR(h, 0.2f, 1e-5f);
    ASSERT_TRUE(map.GetHeight(0.7f, 0.2f, h, n)); // u > w: the triangle through (i1, j), h = z
    EXPECT_NEAR(h, 0.2f, 1e-5f);
    EXPECT_NEAR(n.Length(), 1.0f, 1e-5f);
}

TEST(HeightMapTest, RayCastMarchesToTheBankOrLeaves) {
    CGrid2D heights(5, 2, 0.0f);
    heights(4, 0) = 10.0f;
    heights(4, 1) = 10.0f;
    const CHeightMap bank(5, 2, 1.0f, 1.0f, heights, CVector3(2.0f, 0.0f, 0.5f));
    CVector3 hit;
    ASSERT_TRUE(bank.RayCast(CVector3(0.0f, 5.0f, 0.5f), CVector3(1.0f, 0.0f, 0.0f), hit));
    EXPECT_EQ(hit, CVector3(4.0f, 10.0f, 0.5f));
    EXPECT_FALSE(bank.RayCast(CVector3(2.0f, 5.0f, 0.5f), CVector3(-1.0f, 0.0f, 0.0f), hit));
    ASSERT_TRUE(bank.RayCast(CVector3(1.0f, -1.0f, 0.5f), CVector3(-1.0f, 0.0f, 0.0f), hit));
    EXPECT_EQ(hit, CVector3(1.0f, 0.0f, 0.5f));
}

// Spacings far apart once made the march take up to a billion steps, and a step below the
// coordinates' precision once left the point where it was until the step count ran out.
TEST(HeightMapTest, RayCastCrossesMapsOfUnlikeSpacingsOrFarFromTheOrigin) {
    struct SCase {
        const char* name;
        std::uint32_t columns;
        float spacingX;
        float spacingZ;
        float centreX;
        std::uint32_t riseColumn; // heights 10 from this column on, 0 before it
        float longestStep;        // the march may pass the rise by this much
    };
    const SCase cases[] = {
        {"x cells a million times the z cells", 1000, 1000.0f, 0.001f, 0.0f, 900, 62.5f},
        {"steps below the precision at a million", 2048, 0.02f, 0.02f, 1.0e6f, 1500, 1.0f},
    };
    for (const SCase& c : cases) {
        CGrid2D heights(c.columns, 2, 0.0f);
        for (std::uint32_t i = c.riseColumn; i < c.columns; ++i) {
            heights(i, 0) = heights(i, 1) = 10.0f;
        }
        const CHeightMap map(c.columns, 2, c.spacingX, c.spacingZ, heights, CVector3(c.centreX, 0.0f, 0.0f));
        // The terrain reaches the ray's height halfway up the rising cell.
        const float rise = map.GetOriginX() + (static_cast<float>(c.riseColumn) - 0.5f) * c.spacingX;
        CVector3 hit;
        ASSERT_TRUE(map.RayCast(CVector3(map.GetOriginX() + c.spacingX, 5.0f, 0.0f), CVector3(1.0f, 0.0f, 0.0f), hit))
            << c.name;
        EXPECT_GE(hit.y, 5.0f) << c.name;
        EXPECT_GE(hit.x, rise - 0.1f) << c.name;
        EXPECT_LE(hit.x, rise + c.longestStep) << c.name;
        EXPECT_FALSE(map.RayCast(CVector3(rise - 1.0f, 5.0f, 0.0f), CVector3(-1.0f, 0.0f, 0.0f), hit)) << c.name;
    }
}

// Without horizontal progress the march could never end; such rays answer at once.
TEST(HeightMapTest, RayWithoutHorizontalDirectionEnds) {
    const CGrid2D heights(4, 4, 1.0f);
    const CHeightMap map(4, 4, 1.0f, 1.0f, heights, CVector3());
    const CVector3 directions[] = {CVector3(), CVector3(0.0f, 1.0f, 0.0f), CVector3(0.0f, -1.0f, 0.0f),
                                   CVector3(kNaN, 0.0f, 0.0f), CVector3(1e-5f, 0.0f, 0.0f)};
    for (const CVector3& d : directions) {
        CVector3 hit(9.0f, 9.0f, 9.0f);
        EXPECT_FALSE(map.RayCast(CVector3(0.0f, 5.0f, 0.0f), d, hit));
        if (!std::isnan(d.x)) {
            ASSERT_TRUE(map.RayCast(CVector3(0.0f, 0.0f, 0.0f), d, hit));
            EXPECT_EQ(hit, CVector3(0.0f, 1.0f, 0.0f));
        }
    }
}

TEST(HeightMapTest, DegenerateGridsContainNothing) {
    struct Case {
        const char* name;
        std::uint32_t columns;
        std::uint32_t rows;
        float spacingX;
        float spacingZ;
        std::uint32_t sampleColumns;
    };
    const Case cases[] = {
        {"no columns", 0, 3, 1.0f, 1.0f, 3},   {"no rows", 3, 0, 1.0f, 1.0f, 3},
        {"zero spacing", 3, 3, 0.0f, 1.0f, 3}, {"negative spacing", 3, 3, 1.0f, -1.0f, 3},
        {"NaN spacing", 3, 3, kNaN, 1.0f, 3},  {"too few samples", 3, 3, 1.0f, 1.0f, 2},
    };
    for (const Case& c : cases) {
        const CGrid2D heights(c.sampleColumns, 3, 1.0f);
        const CHeightMap map(c.columns, c.rows, c.spacingX, c.spacingZ, heights, CVector3());
        float h = 0.0f;
        CVector3 n;
        CVector3 hit;
        EXPECT_FALSE(map.Contains(0.0f, 0.0f)) << c.name;
        EXPECT_FALSE(map.GetHeight(0.0f, 0.0f, h, n)) << c.name;
        EXPECT_FALSE(map.RayCast(CVector3(0.0f, -5.0f, 0.0f), CVector3(1.0f, 0.0f, 0.0f), hit)) << c.name;

        velm::phy::CPhysicsWorld world;
        world.AddHeightMap(
            1, std::make_shared<CHeightMap>(c.columns, c.rows, c.spacingX, c.spacingZ, heights, CVector3()));
        auto body = std::make_shared<velm::phy::CRigidBody>();
        body->SetBoxHull(1.0f, 1.0f, 1.0f, 1.0f, false);
        body->SetLinearVelocity(CVector3(0.0f, -1.0f, 0.0f));
        world.AddBody(2, body);
        world.Update(0.1f);
        EXPECT_TRUE(world.GetSimulator().GetContacts().empty()) << c.name;
        phytest::ExpectFiniteBody(*body);
    }
}

TEST(WaterFieldTest, EarlierCellAnswersAndOutsideLeavesOutputs) {
    std::vector<velm::phy::CGridCell> cells = phytest::SquareCell(2.0f, 1.0f, CVector3(0.0f, 0.0f, -1.0f));
    const std::vector<velm::phy::CGridCell> higher = phytest::SquareCell(4.0f, 2.0f, CVector3(1.0f, 0.0f, 0.0f));
    cells.insert(cells.end(), higher.begin(), higher.end());
    const velm::phy::CWaterField field(cells);
    float h = 0.0f;
    CVector3 n;
    CVector3 flow;
    ASSERT_TRUE(field.GetSurface(0.5f, 0.5f, h, n, flow));
    EXPECT_FLOAT_EQ(h, 1.0f);
    EXPECT_EQ(flow, CVector3(0.0f, 0.0f, -1.0f));
    ASSERT_TRUE(field.GetSurface(3.0f, 3.0f, h, n, flow));
    EXPECT_FLOAT_EQ(h, 2.0f);

    h = 7.0f;
    flow.Set(7.0f, 7.0f, 7.0f);
    EXPECT_FALSE(field.GetSurface(5.0f, 0.0f, h, n, flow));
    EXPECT_FLOAT_EQ(h, 7.0f);
    EXPECT_EQ(flow, CVector3(7.0f, 7.0f, 7.0f));
}

TEST(WaterFieldTest, CellStandingOnEdgeHoldsNoSurface) {
    const velm::phy::CGridCell wall(CVector3(0.0f, 0.0f, 0.0f), CVector3(0.0f, 1.0f, 0.0f), CVector3(0.0f, 1.0f, 1.0f),
                                    CVector3(0.0f, 0.0f, 1.0f), CVector3());
    const velm::phy::CWaterField field({wall});
    float h = 0.0f;
    CVector3 n;
    CVector3 flow;
    EXPECT_FALSE(field.GetSurface(0.0f, 0.5f, h, n, flow));
}

// The answer the cell list gives read in order, as the field promises.
bool ListAnswer(const velm::phy::CWaterField& field, float x, float z, std::size_t& index,
                const common::CTriangle*& triangle) {
    const std::vector<velm::phy::CGridCell>& cells = field.GetCells();
    for (std::size_t i = 0; i < cells.size(); ++i) {
        for (const common::CTriangle* t : {&cells[i].GetFirst(), &cells[i].GetSecond()}) {
            if (!common::IsZero(t->GetNormal().y) && t->ContainsPointXZ(CVector3(x, 0.0f, z))) {
                index = i;
                triangle = t;
                return true;
            }
        }
    }
    return false;
}

bool SameBits(const CVector3& a, const CVector3& b) { return std::memcmp(&a, &b, sizeof(CVector3)) == 0; }

velm::phy::CGridCell Quad(float x0, float z0, float x1, float z1, float y) {
    return velm::phy::CGridCell(CVector3(x0, y, z0), CVector3(x0, y, z1), CVector3(x1, y, z1), CVector3(x1, y, z0),
                                CVector3(x0, 0.0f, z0));
}

// The field finds its cells through a grid; whatever the cells, it must answer exactly as the
// list read in order: on shared edges and corners, where cells overlap, beside slivers and cells
// that are not numbers, and for points that are not numbers or far away.
TEST(WaterFieldTest, GridAnswersAsTheCellListInOrder) {
    std::uint32_t seed = 99u;
    const auto random = [&seed](float low, float high) {
        seed = seed * 1664525u + 1013904223u;
        return low + (high - low) * static_cast<float>(seed >> 8) / 16777216.0f;
    };
    std::vector<std::vector<velm::phy::CGridCell>> fields(3);
    // A winding river of jittered corners, shared between neighbours, rows of unequal length.
    for (int row = 0; row < 30; ++row) {
        const float shift0 = 5.0f * std::sin(0.2f * row);
        const float shift1 = 5.0f * std::sin(0.2f * (row + 1));
        for (int column = 0; column < 8; ++column) {
            const float x0 = -16.0f + 4.0f * column;
            const float j0 = std::sin(1.7f * (row * 8 + column)) * 0.9f;
            const float j1 = std::sin(1.7f * ((row + 1) * 8 + column)) * 0.9f;
            const float j2 = std::sin(1.7f * ((row + 1) * 8 + column + 1)) * 0.9f;
            const float j3 = std::sin(1.7f * (row * 8 + column + 1)) * 0.9f;
            fields[0].emplace_back(CVector3(x0 + shift0 + j0, 0.1f * row, -3.0f * row),
                                   CVector3(x0 + shift1 + j1, 0.1f * row, -3.0f * row - 3.0f),
                                   CVector3(x0 + 4.0f + shift1 + j2, 0.1f * row, -3.0f * row - 3.0f),
                                   CVector3(x0 + 4.0f + shift0 + j3, 0.1f * row, -3.0f * row), CVector3());
        }
    }
    // Small cells, one that covers them all, then small cells again under it.
    for (int i = 0; i < 10; ++i) {
        fields[1].push_back(Quad(i * 2.0f, 0.0f, i * 2.0f + 2.0f, 2.0f, 1.0f));
    }
    fields[1].push_back(Quad(-50.0f, -50.0f, 50.0f, 50.0f, 2.0f));
    for (int i = 0; i < 10; ++i) {
        fields[1].push_back(Quad(i * 2.0f + 1.0f, 1.0f, i * 2.0f + 3.0f, 3.0f, 3.0f));
    }
    // Odd cells among ordinary ones: a sliver, a wall, corners far out, a corner not a number.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int i = 0; i < 6; ++i) {
        fields[2].push_back(Quad(i * 3.0f, 0.0f, i * 3.0f + 3.0f, 3.0f, 0.0f));
    }
    fields[2].emplace_back(CVector3(0.0f, 0.0f, 5.0f), CVector3(1000.0f, 0.0f, 5.0f + 1e-4f),
                           CVector3(1000.0f, 0.0f, 5.0f + 2e-4f), CVector3(0.0f, 0.0f, 5.0f + 1e-4f), CVector3());
    fields[2].emplace_back(CVector3(4.0f, 0.0f, 0.0f), CVector3(4.0f, 1.0f, 0.0f), CVector3(4.0f, 1.0f, 3.0f),
                           CVector3(4.0f, 0.0f, 3.0f), CVector3());
    fields[2].push_back(Quad(-1e20f, 8.0f, 1e20f, 9.0f, 0.0f));
    fields[2].push_back(Quad(20.0f, 0.0f, 23.0f, 3.0f, 0.0f));
    fields[2].push_back(Quad(30.0f, 0.0f, nan, 3.0f, 0.0f));
    fields[2].push_back(Quad(24.0f, 0.0f, 27.0f, 3.0f, 0.0f));

    const float inf = std::numeric_limits<float>::infinity();
    for (std::size_t f = 0; f < fields.size(); ++f) {
        const velm::phy::CWaterField field(fields[f]);
        std::vector<std::pair<float, float>> points = {{nan, 0.0f},   {0.0f, nan},   {inf, 1.0f},   {-inf, 1.0f},
                                                       {1e20f, 8.5f}, {1e16f, 1.0f}, {-2e15f, 8.5f}};
        for (const velm::phy::CGridCell& cell : fields[f]) {
            for (const common::CTriangle* t : {&cell.GetFirst(), &cell.GetSecond()}) {
                for (int v = 0; v < 3; ++v) {
                    const CVector3& a = (*t)[v];
                    const CVector3& b = (*t)[(v + 1) % 3];
                    points.emplace_back(a.x, a.z);
                    points.emplace_back(std::nextafter(a.x, -inf), std::nextafter(a.z, inf));
                    points.emplace_back(0.5f * (a.x + b.x), 0.5f * (a.z + b.z));
                    points.emplace_back(0.25f * a.x + 0.75f * b.x, 0.25f * a.z + 0.75f * b.z);
                }
            }
        }
        for (int i = 0; i < 3000; ++i) {
            points.emplace_back(random(-30.0f, 60.0f), random(-100.0f, 20.0f));
        }
        for (const auto& p : points) {
            std::size_t expectedIndex = 0;
            const common::CTriangle* expected = nullptr;
            const bool listFinds = ListAnswer(field, p.first, p.second, expectedIndex, expected);
            std::size_t index = 0;
            common::CTriangle triangle;
            ASSERT_EQ(field.FindCell(p.first, p.second, index, triangle), listFinds)
                << "field " << f << " at " << p.first << ", " << p.second;
            if (listFinds) {
                EXPECT_EQ(index, expectedIndex) << "field " << f << " at " << p.first << ", " << p.second;
                EXPECT_TRUE(SameBits(triangle[1], (*expected)[1]) && SameBits(triangle[2], (*expected)[2]))
                    << "field " << f << " at " << p.first << ", " << p.second;
            }
        }
    }
}

std::string GridFileBytes(std::uint32_t vertices, std::uint32_t indices, const std::vector<float>& cellFloats) {
    std::string bytes(vertices * velm::phy::kGridVertexBytes, '\x01');
    for (std::uint32_t i = 0; i < indices; ++i) {
        bytes.push_back(static_cast<char>(i + 1));
        bytes.push_back('\0');
    }
    for (float f : cellFloats) {
        char raw[4];
        std::memcpy(raw, &f, 4);
        bytes.append(raw, 4);
    }
    return bytes;
}

TEST(GridFileTest, ReadsCellsAndRefusesMissingOrShortFiles) {
    const tktest::CTempDir dir;
    std::vector<float> cell = {-1, 0, -1, -1, 0, 1, 1, 0, 1, 1, 0, -1, 0, 0, -2};
    const std::string whole = GridFileBytes(4, 6, cell);
    const std::string good = dir.Write("grid.bin", whole);
    const std::string shortFile = dir.Write("short.bin", whole.substr(0, whole.size() - 1));

    std::vector<unsigned char> vertices(4 * velm::phy::kGridVertexBytes, 0);
    std::vector<std::uint16_t> indices(6, 0);
    std::vector<velm::phy::CGridCell> cells;
    EXPECT_FALSE(velm::phy::ReadGridFile(dir.Path() + "/missing.bin", vertices.data(), 4, indices.data(), 6, cells, 1));
    EXPECT_FALSE(velm::phy::ReadGridFile(shortFile, vertices.data(), 4, indices.data(), 6, cells, 1));
    // Counts from a broken level record (VertPerCol 0 gives 0xFFFFFFFF cells) are refused too.
    EXPECT_FALSE(velm::phy::ReadGridFile(good, vertices.data(), 4, indices.data(), 6, cells, 0xFFFFFFFFu));
    EXPECT_TRUE(cells.empty());
    EXPECT_EQ(indices[0], 0);
    EXPECT_EQ(vertices[0], 0);

    ASSERT_TRUE(velm::phy::ReadGridFile(good, vertices.data(), 4, indices.data(), 6, cells, 1));
    EXPECT_EQ(vertices[0], 1);
    EXPECT_EQ(indices[5], 6);
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_EQ(cells[0].GetFlow(), CVector3(0.0f, 0.0f, -2.0f));
    EXPECT_TRUE(velm::phy::CWaterField(cells).Contains(0.5f, 0.5f));
}

} // namespace
