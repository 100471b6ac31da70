#include "engine/gfx/scene_node.h"

#include <ostream>

#include "engine/gfx/node_ops.h"
#include "engine/gfx/texture_cache.h"

namespace velm {
namespace gfx {
namespace {

UnitTextures TexturesOf(const IGfxUnit& unit) {
    UnitTextures textures{};
    for (std::size_t i = 0; i < kTextureSlots.size(); ++i) {
        textures[i] = unit.GetTexture(kTextureSlots[i]);
    }
    return textures;
}

// A texture one side lacks never matches the other side's.
bool SameFile(const CTextureRef* a, const CTextureRef* b) {
    return a != nullptr && b != nullptr && a->GetFileName() == b->GetFileName();
}

} // namespace

ACSceneNode::~ACSceneNode() {
    for (ACSceneNode* child : m_children) {
        delete child;
    }
}

CTransformationNode::CTransformationNode(const D3DXMATRIX& matrix) : m_matrix(matrix) { m_kind = kTransformationNode; }

bool CTransformationNode::Accept(CSceneGraphVisitor& visitor) { return visitor.Apply(*this); }

void CTransformationNode::Dump(std::ostream& out) const {
    out << "Matrix of form [row1, row2, row3, row4]: "
        << "[ ";
    for (int row = 0; row < 4; ++row) {
        out << "(" << m_matrix.m[row][0] << "," << m_matrix.m[row][1] << "," << m_matrix.m[row][2] << ","
            << m_matrix.m[row][3] << ")";
    }
    out << " ]";
}

CGeometryNode::CGeometryNode(IGfxUnit* unit) : m_unit(unit) { m_kind = kGeometryNode; }

bool CGeometryNode::Accept(CSceneGraphVisitor& visitor) { return visitor.Apply(*this); }

void CGeometryNode::Dump(std::ostream& out) const {
    out << ".X File Name: " << m_unit->GetMeshFileName() << ", "
        << "World Position (x, y, z): (" << m_unit->GetPosX() << "," << m_unit->GetPosY() << "," << m_unit->GetPosZ()
        << ")";
}

D3DXMATRIX CGeometryNode::GetBuildMatrix() const {
    for (const ACSceneNode* child : m_children) {
        if (child->GetKind() == kTransformationNode) {
            return static_cast<const CTransformationNode*>(child)->GetMatrix();
        }
    }
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    return identity;
}

CEffectNode::CEffectNode(const IGfxUnit& unit)
    : m_effectFileName(unit.GetEffectFileName()), m_techniqueName(unit.GetTechniqueName()) {
    m_kind = kEffectNode;
}

bool CEffectNode::Accept(CSceneGraphVisitor& visitor) { return visitor.Apply(*this); }

void CEffectNode::Dump(std::ostream& out) const { out << "Effect File Name: " << m_effectFileName; }

CBatchNode::CBatchNode(const IGfxUnit& unit) : m_techniqueName(unit.GetTechniqueName()), m_textures(TexturesOf(unit)) {
    m_kind = kBatchNode;
}

bool CBatchNode::Accept(CSceneGraphVisitor& visitor) { return visitor.Apply(*this); }

void CBatchNode::Dump(std::ostream& out) const {
    for (std::size_t i = 0; i < m_textures.size(); ++i) {
        if (m_textures[i] != nullptr) {
            out << "Texture #" << i << " File Name: " << m_textures[i]->GetFileName() << "\n";
        }
    }
}

bool CBatchNode::Matches(const IGfxUnit& unit) const {
    constexpr std::size_t kSlot4 = 0;
    constexpr std::size_t kSlot0 = 3;
    const CTextureRef* unit4 = unit.GetTexture(4);
    const CTextureRef* unit0 = unit.GetTexture(0);
    return SameFile(unit4, m_textures[kSlot4]) || SameFile(unit0, m_textures[kSlot0]) ||
           (unit4 == nullptr && unit0 == nullptr);
}

CSPINode::CSPINode(const common::CSphere& sphere, const common::CAABB& box)
    : m_sphere(sphere), m_box(box), m_hasBox(true) {
    m_kind = kSPINode;
}

CSPINode::CSPINode(const common::CSphere& sphere) : m_sphere(sphere), m_catchAll(true) { m_kind = kSPINode; }

bool CSPINode::Accept(CSceneGraphVisitor& visitor) { return visitor.Apply(*this); }

void CSPINode::Dump(std::ostream& out) const {
    out << "WorldSpaceBS's Center: [" << m_sphere.centre.x << ", " << m_sphere.centre.y << ", " << m_sphere.centre.z
        << "]"
        << "\n"
        << "WorldSpaceBS's Radius: " << m_sphere.radius << "\n";
}

bool CSPINode::Contains(const common::CSphere& sphere) const {
    return m_hasBox ? m_box.ContainsSphere(sphere) : sphere.IsInside(m_sphere);
}

} // namespace gfx
} // namespace velm
