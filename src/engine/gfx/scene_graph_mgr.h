// velm::gfx::CSceneGraphMgr, ACSceneGraphMgrImp and CDefaultSceneGraphMgrImp: one scene graph of
// render units. The handle owns its implementation; the implementation owns its node tree and
// the visitor's node operations (setting one deletes the one before), not the units. Build sorts
// units under effect, spatial-partition, batch and geometry nodes; Render walks the tree with the
// visitor and flushes the renderer after each batch. Main thread only.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "engine/gfx/node_ops.h"
#include "libs/common/geometry.h"

namespace velm {
namespace gfx {

class ACSceneNode;
class IGfxUnit;

// A cell of the spatial partition.
struct SSpatialCell {
    common::CSphere sphere;
    common::CAABB box;
};

class ACSceneGraphMgrImp {
public:
    explicit ACSceneGraphMgrImp(std::string name);
    virtual ~ACSceneGraphMgrImp();
    ACSceneGraphMgrImp(const ACSceneGraphMgrImp&) = delete;
    ACSceneGraphMgrImp& operator=(const ACSceneGraphMgrImp&) = delete;

    virtual void Build(const std::vector<IGfxUnit*>& units) = 0;
    virtual void Render() = 0;
    virtual void SetGeometryNodeOp(IGeometryNodeOp* op) { m_visitor.SetGeometryNodeOp(op); }
    virtual void SetTransformationNodeOp(ITransformationNodeOp* op) { m_visitor.SetTransformationNodeOp(op); }
    virtual void SetEffectNodeOp(IEffectNodeOp* op) { m_visitor.SetEffectNodeOp(op); }
    virtual void SetBatchNodeOp(IBatchNodeOp* op) { m_visitor.SetBatchNodeOp(op); }
    virtual void SetSPINodeOp(ISPINodeOp* op) { m_visitor.SetSPINodeOp(op); }
    virtual std::uint32_t GetNodeCount() const { return m_nodeCount; }
    virtual std::uint32_t GetGeometryNodeCount() const { return m_geometryNodeCount; }
    virtual std::uint32_t GetTransformationNodeCount() const { return m_transformationNodeCount; }
    virtual std::uint32_t GetEffectNodeCount() const { return m_effectNodeCount; }
    virtual std::uint32_t GetBatchNodeCount() const { return m_batchNodeCount; }
    virtual std::uint32_t GetSPINodeCount() const { return m_spiNodeCount; }
    virtual std::uint32_t CountFromRoot() const { return Count(m_root); }
    virtual const std::string& GetName() const { return m_name; }
    // Deletes the tree; the six counters become 0.
    virtual void Clear();
    virtual void SetSpatialPartition(const std::vector<SSpatialCell>& cells);
    virtual void DeleteSubtree(ACSceneNode* node);
    // The nodes of node's subtree, node included; 0 for none.
    virtual std::uint32_t Count(const ACSceneNode* node) const;
    // One line per node in pre-order, a tab per level below the root.
    virtual void Dump(std::ostream& out) const;

    // 0 for no node, 1 for a leaf, else 1 + the deepest child.
    static std::uint32_t Depth(const ACSceneNode* node);
    ACSceneNode* GetRoot() const { return m_root; }
    const std::vector<SSpatialCell>& GetSpatialPartition() const { return m_cells; }
    const CSceneGraphVisitor& GetVisitor() const { return m_visitor; }

protected:
    // Appends node under parent, or makes it the root without one, and counts it by kind.
    void AddNode(ACSceneNode* node, ACSceneNode* parent);

    std::uint32_t m_nodeCount = 0;
    std::uint32_t m_geometryNodeCount = 0;
    std::uint32_t m_transformationNodeCount = 0;
    std::uint32_t m_effectNodeCount = 0;
    std::uint32_t m_batchNodeCount = 0;
    std::uint32_t m_spiNodeCount = 0;
    ACSceneNode* m_root = nullptr;
    CSceneGraphVisitor m_visitor;
    std::string m_name;
    std::vector<SSpatialCell> m_cells;
};

class CDefaultSceneGraphMgrImp : public ACSceneGraphMgrImp {
public:
    // Geometry levels a unit nests below its batch at most: beyond the shipped tracks, whose
    // enclosed units stand at most 11 deep.
    static constexpr std::uint32_t kDeepestNesting = 32;

    CDefaultSceneGraphMgrImp();

    void Build(const std::vector<IGfxUnit*>& units) override;
    void Render() override;

private:
    void Insert(IGfxUnit* unit);
    void Visit(ACSceneNode* node);
};

class CSceneGraphMgr {
public:
    // Takes ownership of imp.
    explicit CSceneGraphMgr(ACSceneGraphMgrImp* imp) : m_imp(imp) {}
    virtual ~CSceneGraphMgr() { delete m_imp; }
    CSceneGraphMgr(const CSceneGraphMgr&) = delete;
    CSceneGraphMgr& operator=(const CSceneGraphMgr&) = delete;

    ACSceneGraphMgrImp* GetImp() const { return m_imp; }
    ACSceneGraphMgrImp* operator->() const { return m_imp; }

private:
    ACSceneGraphMgrImp* m_imp;
};

} // namespace gfx
} // namespace velm
