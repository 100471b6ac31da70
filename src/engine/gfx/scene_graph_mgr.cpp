#include "engine/gfx/scene_graph_mgr.h"

#include <algorithm>
#include <ostream>

#include "engine/gfx/gfx_unit.h"
#include "engine/gfx/renderer.h"
#include "engine/gfx/scene_node.h"

namespace velm {
namespace gfx {
namespace {

const char* Label(int kind) {
    switch (kind) {
        case kTransformationNode:
            return "Node ID: TRANSFORMATION";
        case kGeometryNode:
            return "Node ID: GEOMETRY";
        case kEffectNode:
            return "Node ID: EFFECT";
        case kBatchNode:
            return "Node ID: BATCH";
        case kSPINode:
            return "Node ID: SPI";
        default:
            return "Node ID: BASE";
    }
}

void DumpNode(const ACSceneNode& node, int depth, std::ostream& out) {
    out << std::string(static_cast<std::size_t>(depth), '\t') << Label(node.GetKind()) << ">>>>>";
    node.Dump(out);
    out << "\n";
    for (const ACSceneNode* child : node.GetChildren()) {
        DumpNode(*child, depth + 1, out);
    }
}

D3DXMATRIX Identity() {
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    return identity;
}

} // namespace

ACSceneGraphMgrImp::ACSceneGraphMgrImp(std::string name) : m_name(std::move(name)) {}

ACSceneGraphMgrImp::~ACSceneGraphMgrImp() { DeleteSubtree(m_root); }

void ACSceneGraphMgrImp::Clear() {
    DeleteSubtree(m_root);
    m_root = nullptr;
    m_nodeCount = 0;
    m_geometryNodeCount = 0;
    m_transformationNodeCount = 0;
    m_effectNodeCount = 0;
    m_batchNodeCount = 0;
    m_spiNodeCount = 0;
}

void ACSceneGraphMgrImp::SetSpatialPartition(const std::vector<SSpatialCell>& cells) {
    if (&cells != &m_cells) {
        m_cells = cells;
    }
}

void ACSceneGraphMgrImp::DeleteSubtree(ACSceneNode* node) { delete node; }

std::uint32_t ACSceneGraphMgrImp::Count(const ACSceneNode* node) const {
    if (node == nullptr) {
        return 0;
    }
    std::uint32_t count = 1;
    for (const ACSceneNode* child : node->GetChildren()) {
        count += Count(child);
    }
    return count;
}

std::uint32_t ACSceneGraphMgrImp::Depth(const ACSceneNode* node) {
    if (node == nullptr) {
        return 0;
    }
    std::uint32_t deepest = 0;
    for (const ACSceneNode* child : node->GetChildren()) {
        deepest = std::max(deepest, Depth(child));
    }
    return 1 + deepest;
}

void ACSceneGraphMgrImp::Dump(std::ostream& out) const {
    if (m_root != nullptr) {
        DumpNode(*m_root, 0, out);
    }
}

void ACSceneGraphMgrImp::AddNode(ACSceneNode* node, ACSceneNode* parent) {
    if (parent != nullptr) {
        parent->AddChild(node);
    } else {
        m_root = node;
    }
    ++m_nodeCount;
    switch (node->GetKind()) {
        case kTransformationNode:
            ++m_transformationNodeCount;
            break;
        case kGeometryNode:
            ++m_geometryNodeCount;
            break;
        case kEffectNode:
            ++m_effectNodeCount;
            break;
        case kBatchNode:
            ++m_batchNodeCount;
            break;
        case kSPINode:
            ++m_spiNodeCount;
            break;
        default:
            break;
    }
}

CDefaultSceneGraphMgrImp::CDefaultSceneGraphMgrImp() : ACSceneGraphMgrImp("DefaultSceneGraphImp") {}

void CDefaultSceneGraphMgrImp::Build(const std::vector<IGfxUnit*>& units) {
    Clear();
    AddNode(new CTransformationNode(Identity()), nullptr);
    for (IGfxUnit* unit : units) {
        if (unit != nullptr) {
            Insert(unit);
        }
    }
}

void CDefaultSceneGraphMgrImp::Insert(IGfxUnit* unit) {
    const std::string technique = unit->GetTechniqueName();
    ACSceneNode* effect = nullptr;
    for (ACSceneNode* child : m_root->GetChildren()) {
        if (child->GetKind() == kEffectNode && static_cast<CEffectNode*>(child)->GetTechniqueName() == technique) {
            effect = child;
            break;
        }
    }
    if (effect == nullptr) {
        effect = new CEffectNode(*unit);
        AddNode(effect, m_root);
        for (const SSpatialCell& cell : m_cells) {
            AddNode(new CSPINode(cell.sphere, cell.box), effect);
        }
    }

    ACSceneNode* reached = effect;
    if (!m_cells.empty()) {
        const common::CSphere sphere = unit->GetWorldBoundingSphere();
        ACSceneNode* cell = nullptr;
        ACSceneNode* catchAll = nullptr;
        for (ACSceneNode* child : effect->GetChildren()) {
            if (child->GetKind() != kSPINode) {
                continue;
            }
            auto* spi = static_cast<CSPINode*>(child);
            if (spi->Contains(sphere)) {
                cell = spi;
                break;
            }
            if (catchAll == nullptr && spi->IsCatchAll()) {
                catchAll = spi;
            }
        }
        if (cell == nullptr && catchAll == nullptr) {
            catchAll = new CSPINode(sphere);
            AddNode(catchAll, effect);
        }
        reached = cell != nullptr ? cell : catchAll;
    }

    ACSceneNode* batch = nullptr;
    for (ACSceneNode* child : reached->GetChildren()) {
        if (child->GetKind() == kBatchNode && static_cast<CBatchNode*>(child)->Matches(*unit)) {
            batch = child;
            break;
        }
    }
    if (batch == nullptr) {
        batch = new CBatchNode(*unit);
        AddNode(batch, reached);
    }

    // Nest under the deepest geometry node whose unit encloses this one, so that culling the
    // encloser prunes it; at most kDeepestNesting levels down, where the unit joins the encloser
    // reached (which still encloses it), so that units piled at one place cost a few steps each
    // and never make the graph a chain as long as the level.
    ACSceneNode* parent = batch;
    for (std::uint32_t depth = 0; depth < kDeepestNesting; ++depth) {
        ACSceneNode* encloser = nullptr;
        for (ACSceneNode* child : parent->GetChildren()) {
            if (child->GetKind() == kGeometryNode && unit->IsInside(static_cast<CGeometryNode*>(child)->GetUnit())) {
                encloser = child;
                break;
            }
        }
        if (encloser == nullptr) {
            break;
        }
        parent = encloser;
    }
    auto* geometry = new CGeometryNode(unit);
    AddNode(geometry, parent);
    AddNode(new CTransformationNode(unit->GetWorldMatrix()), geometry);
}

void CDefaultSceneGraphMgrImp::Render() {
    if (m_root != nullptr) {
        Visit(m_root);
    }
}

void CDefaultSceneGraphMgrImp::Visit(ACSceneNode* node) {
    if (!node->Accept(m_visitor)) {
        return;
    }
    for (ACSceneNode* child : node->GetChildren()) {
        Visit(child);
    }
    if (node->GetKind() == kBatchNode) {
        CRenderer& renderer = Renderer::Instance();
        if (renderer.GetQueueLength() > 0) {
            renderer.Flush();
        }
    }
}

} // namespace gfx
} // namespace velm
