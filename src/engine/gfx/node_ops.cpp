#include "engine/gfx/node_ops.h"

#include "engine/gfx/fx_manager.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/renderer.h"
#include "engine/gfx/scene_node.h"
#include "engine/gfx/water_manager.h"

namespace velm {
namespace gfx {
namespace {

// The frustum test of a geometry node under the build-time world matrix and the current view;
// while the core reuses the frame's earlier results the stored flag answers instead.
bool IsNodeVisible(CGeometryNode& node) {
    CGFXCore& core = GFXCore::Instance();
    if (core.m_reuseVisibility) {
        return node.m_visible;
    }
    D3DXMATRIX worldView;
    const D3DXMATRIX world = node.GetBuildMatrix();
    D3DXMatrixMultiply(&worldView, &world, &core.GetViewMatrix());
    node.m_visible = core.GetFrustum().TestSphere(node.GetUnit()->GetTransformedBoundingSphere(worldView));
    return node.m_visible;
}

bool OverrideHolds() { return FXManager::Exists() && FXManager::Instance().m_override; }

} // namespace

bool CDefaultGeometryNodeOp::Apply(CGeometryNode& node) {
    IGfxUnit* unit = node.GetUnit();
    if (unit->IsAlwaysVisible() == 0 && !IsNodeVisible(node)) {
        return false;
    }
    if (unit->IsSkipped() != 0) {
        return true;
    }
    unit->Prepare();
    Renderer::Instance().Enqueue(unit);
    return true;
}

bool CDefaultEffectNodeOp::Apply(CEffectNode& node) {
    if (!OverrideHolds()) {
        FXManager::Instance().SelectEffect(node.GetEffectFileName());
    }
    return true;
}

bool CDefaultBatchNodeOp::Apply(CBatchNode& node) {
    if (!OverrideHolds()) {
        CFXManager& fx = FXManager::Instance();
        Renderer::Instance().SetBatchTextures(node.GetTechniqueName(), node.GetTextures(), fx.GetCurrentEffect(),
                                              fx.GetCurrentHandles());
    }
    return true;
}

bool CDefaultSPINodeOp::Apply(CSPINode& node) {
    if (node.IsCatchAll()) {
        return true;
    }
    if (node.GetChildCount() == 0) {
        return false;
    }
    CGFXCore& core = GFXCore::Instance();
    const common::CSphere& sphere = node.GetSphere();
    const D3DXVECTOR3 centre(sphere.centre.x, sphere.centre.y, sphere.centre.z);
    D3DXVECTOR3 viewCentre;
    D3DXVec3TransformCoord(&viewCentre, &centre, &core.GetViewMatrix());
    return core.GetFrustum().TestSphere(
        common::CSphere(common::CVector3(viewCentre.x, viewCentre.y, viewCentre.z), sphere.radius));
}

bool CWaterVisibilityTestGeometryNodeOp::Apply(CGeometryNode& node) {
    if (!IsNodeVisible(node)) {
        return false;
    }
    WaterManager::Instance().AddVisibleWater(node.GetUnit());
    return true;
}

bool COpaqueWaterDepthGeometryNodeOp::Apply(CGeometryNode& node) {
    IGfxUnit* unit = node.GetUnit();
    if (!IsNodeVisible(node)) {
        return false;
    }
    if (unit->IsSkipped() != 0 || !IsPlanarWater(unit)) {
        return true;
    }
    unit->Prepare();
    Renderer::Instance().Enqueue(unit);
    return true;
}

CSceneGraphVisitor::CSceneGraphVisitor()
    : m_geometry(new CDefaultGeometryNodeOp()),
      m_transformation(new CDefaultTransformationNodeOp()),
      m_effect(new CDefaultEffectNodeOp()),
      m_batch(new CDefaultBatchNodeOp()),
      m_spi(new CDefaultSPINodeOp()) {}

CSceneGraphVisitor::~CSceneGraphVisitor() = default;

namespace {

// Installing the op already held must not delete it.
template <typename T>
void Replace(std::unique_ptr<T>* held, T* op) {
    if (op != nullptr && op != held->get()) {
        held->reset(op);
    }
}

} // namespace

void CSceneGraphVisitor::SetGeometryNodeOp(IGeometryNodeOp* op) { Replace(&m_geometry, op); }
void CSceneGraphVisitor::SetTransformationNodeOp(ITransformationNodeOp* op) { Replace(&m_transformation, op); }
void CSceneGraphVisitor::SetEffectNodeOp(IEffectNodeOp* op) { Replace(&m_effect, op); }
void CSceneGraphVisitor::SetBatchNodeOp(IBatchNodeOp* op) { Replace(&m_batch, op); }
void CSceneGraphVisitor::SetSPINodeOp(ISPINodeOp* op) { Replace(&m_spi, op); }

} // namespace gfx
} // namespace velm
