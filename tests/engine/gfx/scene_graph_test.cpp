#include "engine/gfx/scene_graph_mgr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <vector>

#include "engine/gfx/gfx_test_device.h"
#include "engine/gfx/scene_node.h"
#include "engine/gfx/scene_test_units.h"
#include "engine/gfx/texture_cache.h"

namespace {

using velm::gfx::ACSceneGraphMgrImp;
using velm::gfx::ACSceneNode;
using velm::gfx::CDefaultSceneGraphMgrImp;
using velm::gfx::CGeometryNode;
using velm::gfx::CGfxUnit;
using velm::gfx::IGfxUnit;
using velm::gfx::SSpatialCell;

class SceneGraphTest : public tktest::CGfxDeviceTest {
protected:
    void TearDown() override {
        m_units.clear();
        velm::gfx::TextureCache::Destroy();
        tktest::CGfxDeviceTest::TearDown();
    }
    IGfxUnit* Add(const tktest::SBox& box) {
        m_units.push_back(tktest::MakeBox(box));
        return m_units.back().get();
    }
    std::vector<IGfxUnit*> Units() const {
        std::vector<IGfxUnit*> units;
        for (const auto& unit : m_units) {
            units.push_back(unit.get());
        }
        return units;
    }

    std::vector<std::unique_ptr<CGfxUnit>> m_units;
};

// The geometry node of unit below node, or null.
const CGeometryNode* FindGeometry(const ACSceneNode* node, const IGfxUnit* unit) {
    if (node->GetKind() == velm::gfx::kGeometryNode && static_cast<const CGeometryNode*>(node)->GetUnit() == unit) {
        return static_cast<const CGeometryNode*>(node);
    }
    for (const ACSceneNode* child : node->GetChildren()) {
        if (const CGeometryNode* found = FindGeometry(child, unit)) {
            return found;
        }
    }
    return nullptr;
}

// The node whose children hold child.
const ACSceneNode* ParentOf(const ACSceneNode* node, const ACSceneNode* child) {
    for (const ACSceneNode* candidate : node->GetChildren()) {
        if (candidate == child) {
            return node;
        }
        if (const ACSceneNode* found = ParentOf(candidate, child)) {
            return found;
        }
    }
    return nullptr;
}

TEST_F(SceneGraphTest, BuildGroupsByTechniqueAndTexturesAndNestsOnlySmallerUnitsInsideLargerOnes) {
    CDefaultSceneGraphMgrImp graph;
    graph.Build({});
    EXPECT_EQ(graph.GetNodeCount(), 1u) << "an empty build leaves the root alone";
    EXPECT_EQ(graph.GetRoot()->GetChildCount(), 0u);

    const D3DXVECTOR3 at(0.0f, 0.0f, 10.0f);
    IGfxUnit* outer = Add({"TextureMapping.fx", "TextureMapping", at, 5.0f, 0, "rock.bmp", ""});
    IGfxUnit* inner = Add({"TextureMapping.fx", "TextureMapping", at, 1.0f, 0, "rock.bmp", ""});
    IGfxUnit* sand = Add({"TextureMapping.fx", "TextureMapping", at, 1.0f, 0, "sand.bmp", ""});
    IGfxUnit* plain = Add({"NormalMapping.fx", "NormalMapping", at, 1.0f, 0, "", ""});
    // Larger than outer and concentric with it: the squared gap of the radii alone would nest it.
    IGfxUnit* huge = Add({"TextureMapping.fx", "TextureMapping", at, 20.0f, 0, "rock.bmp", ""});
    IGfxUnit* waves = Add({"TextureMapping.fx", "TextureMapping", at, 1.0f, 0, "other.bmp", "wave.bmp"});
    IGfxUnit* sameWaves =
        Add({"TextureMapping.fx", "TextureMapping", at + D3DXVECTOR3(5, 0, 0), 1.0f, 0, "", "wave.bmp"});
    graph.Build(Units());

    EXPECT_EQ(graph.GetEffectNodeCount(), 2u);
    EXPECT_EQ(graph.GetBatchNodeCount(), 4u) << "rock, sand, other/wave (shared through slot 0) and none";
    EXPECT_EQ(graph.GetGeometryNodeCount(), 7u);
    EXPECT_EQ(graph.GetTransformationNodeCount(), 8u) << "the root and one under each geometry node";
    EXPECT_EQ(graph.GetSPINodeCount(), 0u);
    EXPECT_EQ(graph.GetNodeCount(), 21u);
    EXPECT_EQ(graph.CountFromRoot(), graph.GetNodeCount());
    EXPECT_EQ(graph.GetName(), "DefaultSceneGraphImp");

    const ACSceneNode* root = graph.GetRoot();
    const CGeometryNode* outerNode = FindGeometry(root, outer);
    ASSERT_NE(outerNode, nullptr);
    EXPECT_EQ(ParentOf(root, FindGeometry(root, inner)), outerNode) << "the enclosed unit nests under its encloser";
    const ACSceneNode* rockBatch = ParentOf(root, outerNode);
    EXPECT_EQ(rockBatch->GetKind(), velm::gfx::kBatchNode);
    EXPECT_EQ(ParentOf(root, FindGeometry(root, huge)), rockBatch) << "a larger unit never nests under a smaller";
    EXPECT_NE(ParentOf(root, FindGeometry(root, sand)), rockBatch);
    EXPECT_EQ(ParentOf(root, FindGeometry(root, sameWaves)), ParentOf(root, FindGeometry(root, waves)));
    EXPECT_EQ(ParentOf(root, ParentOf(root, FindGeometry(root, plain))), root->GetChildren()[1]);
    EXPECT_EQ(ACSceneGraphMgrImp::Depth(root), 6u) << "root, effect, batch, outer, inner, its transformation";

    graph.Clear();
    EXPECT_EQ(graph.GetRoot(), nullptr);
    EXPECT_EQ(graph.GetNodeCount() + graph.GetGeometryNodeCount() + graph.GetTransformationNodeCount() +
                  graph.GetEffectNodeCount() + graph.GetBatchNodeCount() + graph.GetSPINodeCount(),
              0u);
    graph.Clear();
    EXPECT_EQ(graph.GetNodeCount(), 0u);
    EXPECT_EQ(ACSceneGraphMgrImp::Depth(nullptr), 0u);
}

// A box that counts the enclosure tests asked of it.
class CCountingBox : public CGfxUnit {
public:
    explicit CCountingBox(float scale, long* tests) : m_tests(tests) {
        std::vector<velm::gfx::SMeshVertex> vertices;
        std::vector<std::uint16_t> indices;
        tktest::BoxArrays(0, &vertices, &indices);
        CreateFromArrays({"TextureMapping.fx", "", "TextureMapping"}, vertices.data(),
                         static_cast<std::uint32_t>(vertices.size()), indices.data(),
                         static_cast<std::uint32_t>(indices.size()));
        SetScale(scale, scale, scale, false);
        SetPosition(3.0f, 0.0f, 0.0f, true);
    }
    bool IsInside(const IGfxUnit* other) const override {
        ++*m_tests;
        return CGfxUnit::IsInside(other);
    }

private:
    long* m_tests;
};

TEST_F(SceneGraphTest, UnitsPiledAtOnePlaceNestABoundedDepthAtABoundedCost) {
    constexpr std::uint32_t kDeepest = CDefaultSceneGraphMgrImp::kDeepestNesting;
    const struct {
        const char* name;
        float shrink;
    } piles[] = {{"equal", 1.0f}, {"each inside the one before", 0.999f}};
    for (const auto& pile : piles) {
        long tests = 0;
        std::vector<std::unique_ptr<CCountingBox>> boxes;
        std::vector<IGfxUnit*> units;
        float scale = 1.0f;
        for (int i = 0; i < 2000; ++i) {
            boxes.push_back(std::make_unique<CCountingBox>(scale, &tests));
            units.push_back(boxes.back().get());
            scale *= pile.shrink;
        }
        CDefaultSceneGraphMgrImp graph;
        graph.Build(units);
        EXPECT_LE(tests, 2000L * kDeepest) << pile.name;
        EXPECT_EQ(graph.GetGeometryNodeCount(), 2000u) << pile.name;
        EXPECT_EQ(graph.CountFromRoot(), graph.GetNodeCount()) << pile.name;
        // Root, effect, batch, the nested geometry levels and the last one's transformation.
        EXPECT_EQ(ACSceneGraphMgrImp::Depth(graph.GetRoot()), 3u + kDeepest + 2u) << pile.name;
        // The nesting rule holds as deep as it goes: each unit below the one it is inside.
        const ACSceneNode* root = graph.GetRoot();
        for (std::uint32_t i = 1; i <= kDeepest; ++i) {
            EXPECT_EQ(ParentOf(root, FindGeometry(root, units[i])), FindGeometry(root, units[i - 1])) << i;
        }
        EXPECT_EQ(ParentOf(root, FindGeometry(root, units.back())), FindGeometry(root, units[kDeepest - 1]))
            << "past the deepest level a unit joins the encloser reached, which still encloses it";
    }
}

TEST_F(SceneGraphTest, CellsTakeTheUnitsTheyHoldAndACatchAllTheRest) {
    CDefaultSceneGraphMgrImp graph;
    const common::CVector3 size(10, 10, 10);
    std::vector<SSpatialCell> cells;
    for (float z : {0.0f, 10.0f}) {
        const common::CVector3 corner(0, 0, z);
        cells.push_back(
            {common::CSphere(corner + size * 0.5f, size.Length() * 0.5f), common::CAABB(corner, corner + size)});
    }
    graph.SetSpatialPartition(cells);
    graph.SetSpatialPartition(graph.GetSpatialPartition());
    ASSERT_EQ(graph.GetSpatialPartition().size(), 2u) << "the graph's own list changes nothing";
    IGfxUnit* second = Add({"TextureMapping.fx", "TextureMapping", D3DXVECTOR3(5, 5, 15), 1.0f, 0, "", ""});
    IGfxUnit* outside = Add({"TextureMapping.fx", "TextureMapping", D3DXVECTOR3(50, 5, 5), 1.0f, 0, "", ""});
    IGfxUnit* across = Add({"TextureMapping.fx", "TextureMapping", D3DXVECTOR3(5, 5, 10), 1.0f, 0, "", ""});
    graph.Build(Units());
    EXPECT_EQ(graph.GetSPINodeCount(), 3u) << "two cells and one catch-all";
    const ACSceneNode* effect = graph.GetRoot()->GetChildren()[0];
    ASSERT_EQ(effect->GetChildCount(), 3u);
    const ACSceneNode* secondCell = effect->GetChildren()[1];
    const ACSceneNode* catchAll = effect->GetChildren()[2];
    EXPECT_EQ(ParentOf(graph.GetRoot(), ParentOf(graph.GetRoot(), FindGeometry(graph.GetRoot(), second))), secondCell);
    EXPECT_EQ(ParentOf(graph.GetRoot(), ParentOf(graph.GetRoot(), FindGeometry(graph.GetRoot(), outside))), catchAll);
    EXPECT_EQ(ParentOf(graph.GetRoot(), ParentOf(graph.GetRoot(), FindGeometry(graph.GetRoot(), across))), catchAll)
        << "a unit across two cells goes to the existing catch-all";
}

TEST_F(SceneGraphTest, TheDumpWritesEachNodeInPreOrderWithItsOwnText) {
    CDefaultSceneGraphMgrImp graph;
    graph.SetSpatialPartition({{common::CSphere(common::CVector3(0, 0, 0), 17.5f),
                                common::CAABB(common::CVector3(-10, -10, -10), common::CVector3(10, 10, 10))}});
    IGfxUnit* boat =
        Add({"TextureMapping.fx", "TextureMapping", D3DXVECTOR3(1.0f, 2.5f, -3.0f), 1.0f, 0, "rock.bmp", "wave.bmp"});
    boat->SetMeshFileName("boat.x");
    graph.Build(Units());
    std::ostringstream out;
    graph.Dump(out);
    EXPECT_EQ(out.str(),
              "Node ID: TRANSFORMATION>>>>>Matrix of form [row1, row2, row3, row4]: "
              "[ (1,0,0,0)(0,1,0,0)(0,0,1,0)(0,0,0,1) ]\n"
              "\tNode ID: EFFECT>>>>>Effect File Name: TextureMapping.fx\n"
              "\t\tNode ID: SPI>>>>>WorldSpaceBS's Center: [0, 0, 0]\nWorldSpaceBS's Radius: 17.5\n\n"
              "\t\t\tNode ID: BATCH>>>>>Texture #0 File Name: rock.bmp\nTexture #3 File Name: wave.bmp\n\n"
              "\t\t\t\tNode ID: GEOMETRY>>>>>.X File Name: boat.x, World Position (x, y, z): (1,2.5,-3)\n"
              "\t\t\t\t\tNode ID: TRANSFORMATION>>>>>Matrix of form [row1, row2, row3, row4]: "
              "[ (1,0,0,0)(0,1,0,0)(0,0,1,0)(1,2.5,-3,1) ]\n");
    m_units.clear();
    Add({"TextureMapping.fx", "TextureMapping", D3DXVECTOR3(0, 0, 0), 1.0f, 0, "", ""});
    graph.SetSpatialPartition({});
    graph.Build(Units());
    std::ostringstream bare;
    graph.Dump(bare);
    EXPECT_NE(bare.str().find("\t\tNode ID: BATCH>>>>>\n"), std::string::npos) << "no textures, nothing after the mark";
}

// Counts its own copies alive, to see that replaced operations are deleted.
class CCountingGeometryOp : public velm::gfx::IGeometryNodeOp {
public:
    explicit CCountingGeometryOp(int* alive) : m_alive(alive) { ++*m_alive; }
    ~CCountingGeometryOp() override { --*m_alive; }
    CCountingGeometryOp* Clone() const override { return new CCountingGeometryOp(m_alive); }
    bool Apply(CGeometryNode&) override { return true; }

private:
    int* m_alive;
};

TEST_F(SceneGraphTest, SettingANodeOperationDeletesTheOneBefore) {
    int alive = 0;
    {
        CDefaultSceneGraphMgrImp graph;
        EXPECT_NE(dynamic_cast<velm::gfx::CDefaultGeometryNodeOp*>(graph.GetVisitor().GetGeometryNodeOp()), nullptr);
        graph.SetGeometryNodeOp(new CCountingGeometryOp(&alive));
        auto* last = new CCountingGeometryOp(&alive);
        graph.SetGeometryNodeOp(last);
        EXPECT_EQ(alive, 1) << "only the last one set is kept";
        graph.SetGeometryNodeOp(last);
        EXPECT_EQ(alive, 1) << "setting the one held keeps it";
        std::unique_ptr<velm::gfx::IGeometryNodeOp> copy(last->Clone());
        EXPECT_EQ(alive, 2);
    }
    EXPECT_EQ(alive, 0) << "the graph deletes the operation it holds";
}

} // namespace
