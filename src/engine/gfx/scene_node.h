// The nodes of a scene graph: transformation, geometry, effect, batch and spatial-partition
// (SPI) nodes. A node owns its children (deleting a node deletes its subtree) but not the unit a
// geometry node draws nor the textures a batch node binds. Nodes come from the engine's
// size-keyed object pool. Main thread only.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "engine/gfx/gfx_unit.h"
#include "libs/common/geometry.h"
#include "libs/memmgr/mng_obj.h"

namespace velm {
namespace gfx {

class CSceneGraphVisitor;

enum ESceneNodeKind : int {
    kTransformationNode = 0,
    kGeometryNode = 1,
    kEffectNode = 2,
    kBaseNode = 3,
    kBatchNode = 4,
    kSPINode = 5,
};

class ACSceneNode : public MemMgr::CMngObj {
public:
    ACSceneNode() = default;
    ~ACSceneNode() override;
    ACSceneNode(const ACSceneNode&) = delete;
    ACSceneNode& operator=(const ACSceneNode&) = delete;

    // True: the visitor goes on into the children.
    virtual bool Accept(CSceneGraphVisitor& visitor) = 0;
    // The node's own line of the graph dump, without indentation, label or line end.
    virtual void Dump(std::ostream& out) const = 0;
    virtual std::size_t GetChildCount() const { return m_children.size(); }

    int GetKind() const { return m_kind; }
    // Takes ownership of child.
    void AddChild(ACSceneNode* child) { m_children.push_back(child); }
    const std::vector<ACSceneNode*>& GetChildren() const { return m_children; }

protected:
    std::vector<ACSceneNode*> m_children;
    int m_kind = kBaseNode;
};

class CTransformationNode : public ACSceneNode {
public:
    explicit CTransformationNode(const D3DXMATRIX& matrix);
    bool Accept(CSceneGraphVisitor& visitor) override;
    void Dump(std::ostream& out) const override;

    const D3DXMATRIX& GetMatrix() const { return m_matrix; }

private:
    D3DXMATRIX m_matrix;
};

class CGeometryNode : public ACSceneNode {
public:
    explicit CGeometryNode(IGfxUnit* unit);
    bool Accept(CSceneGraphVisitor& visitor) override;
    void Dump(std::ostream& out) const override;

    IGfxUnit* GetUnit() const { return m_unit; }
    // The unit's world matrix at build time; identity when the node has no transformation child.
    D3DXMATRIX GetBuildMatrix() const;
    // The last culling result; kept between the passes of one frame.
    bool m_visible = false;

private:
    IGfxUnit* m_unit;
};

class CEffectNode : public ACSceneNode {
public:
    explicit CEffectNode(const IGfxUnit& unit);
    bool Accept(CSceneGraphVisitor& visitor) override;
    void Dump(std::ostream& out) const override;

    const std::string& GetEffectFileName() const { return m_effectFileName; }
    const std::string& GetTechniqueName() const { return m_techniqueName; }

private:
    std::string m_effectFileName;
    std::string m_techniqueName;
};

class CBatchNode : public ACSceneNode {
public:
    explicit CBatchNode(const IGfxUnit& unit);
    bool Accept(CSceneGraphVisitor& visitor) override;
    void Dump(std::ostream& out) const override;

    // Same slot-4 texture file, else same slot-0 texture file, else a unit with neither.
    bool Matches(const IGfxUnit& unit) const;
    const std::string& GetTechniqueName() const { return m_techniqueName; }
    const UnitTextures& GetTextures() const { return m_textures; }

private:
    std::string m_techniqueName;
    UnitTextures m_textures; // the unit's, slots 4, 5, 6, 0, 1, 2
};

class CSPINode : public ACSceneNode {
public:
    // A cell of the spatial partition.
    CSPINode(const common::CSphere& sphere, const common::CAABB& box);
    // The catch-all node for units no cell holds: only the sphere of the unit it was made for.
    explicit CSPINode(const common::CSphere& sphere);
    bool Accept(CSceneGraphVisitor& visitor) override;
    void Dump(std::ostream& out) const override;

    // The box when the node has one, else the sphere.
    bool Contains(const common::CSphere& sphere) const;
    const common::CSphere& GetSphere() const { return m_sphere; }
    const common::CAABB& GetBox() const { return m_box; }
    bool IsCatchAll() const { return m_catchAll; }
    bool HasBox() const { return m_hasBox; }

private:
    common::CSphere m_sphere;
    common::CAABB m_box;
    bool m_catchAll = false;
    bool m_hasBox = false;
};

} // namespace gfx
} // namespace velm
