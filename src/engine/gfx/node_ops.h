// The operations a scene-graph visitor applies to each kind of node: the default ones that cull
// and draw, and the water-visibility ones that only collect the visible water for the frame's
// reflection pass. The visitor owns one operation per kind; setting one deletes the one before.
// Main thread only.
#pragma once

#include <memory>

#include "libs/common/cloneable.h"

namespace velm {
namespace gfx {

class CBatchNode;
class CEffectNode;
class CGeometryNode;
class CSPINode;
class CTransformationNode;

class IGeometryNodeOp : public common::ICloneable {
public:
    IGeometryNodeOp* Clone() const override = 0;
    // True: go on into the node's children.
    virtual bool Apply(CGeometryNode& node) = 0;
};

class ITransformationNodeOp : public common::ICloneable {
public:
    ITransformationNodeOp* Clone() const override = 0;
    virtual bool Apply(CTransformationNode& node) = 0;
};

class IEffectNodeOp : public common::ICloneable {
public:
    IEffectNodeOp* Clone() const override = 0;
    virtual bool Apply(CEffectNode& node) = 0;
};

class IBatchNodeOp : public common::ICloneable {
public:
    IBatchNodeOp* Clone() const override = 0;
    virtual bool Apply(CBatchNode& node) = 0;
};

class ISPINodeOp : public common::ICloneable {
public:
    ISPINodeOp* Clone() const override = 0;
    virtual bool Apply(CSPINode& node) = 0;
};

// Culls the unit against the view frustum (or keeps the frame's earlier result while the core's
// reuse-visibility flag is set), then prepares and queues it unless it is skipped.
class CDefaultGeometryNodeOp : public IGeometryNodeOp {
public:
    CDefaultGeometryNodeOp* Clone() const override { return new CDefaultGeometryNodeOp(*this); }
    bool Apply(CGeometryNode& node) override;
};

class CDefaultTransformationNodeOp : public ITransformationNodeOp {
public:
    CDefaultTransformationNodeOp* Clone() const override { return new CDefaultTransformationNodeOp(*this); }
    bool Apply(CTransformationNode&) override { return true; }
};

// Makes the node's effect current, unless the pre-depth override holds.
class CDefaultEffectNodeOp : public IEffectNodeOp {
public:
    CDefaultEffectNodeOp* Clone() const override { return new CDefaultEffectNodeOp(*this); }
    bool Apply(CEffectNode& node) override;
};

// Binds the batch's textures for its technique, unless the pre-depth override holds.
class CDefaultBatchNodeOp : public IBatchNodeOp {
public:
    CDefaultBatchNodeOp* Clone() const override { return new CDefaultBatchNodeOp(*this); }
    bool Apply(CBatchNode& node) override;
};

// Catch-all cells always pass, empty cells never, others by the frustum test of their sphere.
class CDefaultSPINodeOp : public ISPINodeOp {
public:
    CDefaultSPINodeOp* Clone() const override { return new CDefaultSPINodeOp(*this); }
    bool Apply(CSPINode& node) override;
};

// Culls like the default and adds each visible unit to the water manager's visible list; draws
// nothing.
class CWaterVisibilityTestGeometryNodeOp : public IGeometryNodeOp {
public:
    CWaterVisibilityTestGeometryNodeOp* Clone() const override { return new CWaterVisibilityTestGeometryNodeOp(*this); }
    bool Apply(CGeometryNode& node) override;
};

// Culls and queues like the default, but only the opaque (planar) water: the frame lays their
// depth first so that what lies under them is not shaded. Blended spline water is left out, as
// the bed shows through it.
class COpaqueWaterDepthGeometryNodeOp : public IGeometryNodeOp {
public:
    COpaqueWaterDepthGeometryNodeOp* Clone() const override { return new COpaqueWaterDepthGeometryNodeOp(*this); }
    bool Apply(CGeometryNode& node) override;
};

class CWaterVisibilityTestEffectNodeOp : public IEffectNodeOp {
public:
    CWaterVisibilityTestEffectNodeOp* Clone() const override { return new CWaterVisibilityTestEffectNodeOp(*this); }
    bool Apply(CEffectNode&) override { return true; }
};

class CWaterVisibilityTestBatchNodeOp : public IBatchNodeOp {
public:
    CWaterVisibilityTestBatchNodeOp* Clone() const override { return new CWaterVisibilityTestBatchNodeOp(*this); }
    bool Apply(CBatchNode&) override { return true; }
};

class CSceneGraphVisitor {
public:
    // The five default operations.
    CSceneGraphVisitor();
    ~CSceneGraphVisitor();
    CSceneGraphVisitor(const CSceneGraphVisitor&) = delete;
    CSceneGraphVisitor& operator=(const CSceneGraphVisitor&) = delete;

    bool Apply(CGeometryNode& node) { return m_geometry->Apply(node); }
    bool Apply(CTransformationNode& node) { return m_transformation->Apply(node); }
    bool Apply(CEffectNode& node) { return m_effect->Apply(node); }
    bool Apply(CBatchNode& node) { return m_batch->Apply(node); }
    bool Apply(CSPINode& node) { return m_spi->Apply(node); }

    // Each takes ownership of op and deletes the one it replaces; a null op is ignored.
    void SetGeometryNodeOp(IGeometryNodeOp* op);
    void SetTransformationNodeOp(ITransformationNodeOp* op);
    void SetEffectNodeOp(IEffectNodeOp* op);
    void SetBatchNodeOp(IBatchNodeOp* op);
    void SetSPINodeOp(ISPINodeOp* op);

    IGeometryNodeOp* GetGeometryNodeOp() const { return m_geometry.get(); }
    ITransformationNodeOp* GetTransformationNodeOp() const { return m_transformation.get(); }
    IEffectNodeOp* GetEffectNodeOp() const { return m_effect.get(); }
    IBatchNodeOp* GetBatchNodeOp() const { return m_batch.get(); }
    ISPINodeOp* GetSPINodeOp() const { return m_spi.get(); }

private:
    std::unique_ptr<IGeometryNodeOp> m_geometry;
    std::unique_ptr<ITransformationNodeOp> m_transformation;
    std::unique_ptr<IEffectNodeOp> m_effect;
    std::unique_ptr<IBatchNodeOp> m_batch;
    std::unique_ptr<ISPINodeOp> m_spi;
};

} // namespace gfx
} // namespace velm
