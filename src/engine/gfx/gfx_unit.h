// velm::gfx::IGfxUnit and CGfxUnit: what the 3D renderer draws, a cached .x hierarchy or arrays
// built in code, with pose, effect, technique, textures, material and animation. A unit owns its
// textures, arrays, controller, skinned copy and attached units, not the units it carries on a
// frame; models and views see it as a velm::ISceneUnit. Main thread only.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/gfx/mesh_hierarchy.h"
#include "engine/gfx/render_data.h"
#include "engine/gfx/scene_unit.h"
#include "libs/common/geometry.h"
#include "libs/common/triangle.h"

namespace velm {
namespace gfx {

class CAnimationController;
class CMeshHierarchy;
class CTextureRef;
class IGfxUnit;

// What Load takes: effect file name, mesh file name, technique name.
struct SGfxUnitLoadInfo {
    std::string effectFileName;
    std::string meshFileName;
    std::string techniqueName;
};

// The six texture slots in the order a unit keeps them: 4 "Base1", 5 "Base2", 6 "SpecularMap",
// 0 "NormalMap", 1 "HeightMap", 2 "Reserved"; slot 3 does not exist.
constexpr std::array<std::uint32_t, 6> kTextureSlots = {4, 5, 6, 0, 1, 2};
// The position of a slot in kTextureSlots, or -1 for a slot that does not exist.
int TextureSlotIndex(std::uint32_t slot);
// The slot of a model-data texture key ("Base1" 4, "Base2" 5, "SpecularMap" 6, "NormalMap" 0,
// "HeightMap" 1, "Reserved" 2), or -1 for any other key.
int TextureSlotOfKey(const std::string& key);
// The file name that leaves a slot empty.
constexpr const char* kNoTexture = "none";
// A unit's textures in kTextureSlots order (what a batch binds).
using UnitTextures = std::array<const CTextureRef*, 6>;

using GfxUnitList = std::list<IGfxUnit*>;

class IGfxUnit : public ISceneUnit {
public:
    ~IGfxUnit() override = default;

    virtual std::string GetEffectFileName() const = 0;
    virtual std::string GetMeshFileName() const = 0;
    virtual std::string GetTechniqueName() const = 0;
    virtual float GetPosX() const = 0;
    virtual float GetPosY() const = 0;
    virtual float GetPosZ() const = 0;
    virtual float GetRotationAngle() const = 0;
    virtual D3DXVECTOR3 GetRotationAxis() const = 0;
    virtual float GetScaleX() const = 0;
    virtual float GetScaleY() const = 0;
    virtual float GetScaleZ() const = 0;
    virtual const D3DXMATRIX& GetWorldMatrix() const = 0;
    int GetCurrentAnimation() const override = 0;
    // The seconds the current animation has played since it was set (0 without one).
    virtual double GetAnimationTime() const = 0;
    virtual common::CSphere GetTransformedBoundingSphere(const D3DXMATRIX& matrix) const = 0;
    virtual common::CSphere GetWorldBoundingSphere() const = 0;
    virtual CTextureRef* GetTexture(std::uint32_t slot) const = 0;
    virtual const SUnitRenderData& GetRenderData() const = 0;
    virtual std::uint32_t GetFaceCount() const = 0;
    virtual float GetProjectedDepth() const = 0;
    // Identity when the unit has no hierarchy or the hierarchy no such frame.
    virtual D3DXMATRIX GetFrameWorldMatrix(const std::string& frameName) const = 0;
    virtual const SUnitGeometry& GetGeometry() const = 0;
    virtual const D3DXMATERIAL* GetMaterial() const = 0;
    virtual void SetEffectFileName(const std::string& name) = 0;
    virtual void SetMeshFileName(const std::string& name) = 0;
    virtual void SetPosition(float x, float y, float z, bool recompute) = 0;
    virtual void SetRotationAngle(float angle, bool recompute) = 0;
    virtual void SetRotationAxis(const D3DXVECTOR3& axis, bool recompute) = 0;
    virtual void SetScale(float x, float y, float z, bool recompute) = 0;
    bool SetAnimation(std::uint32_t index, bool loop) override = 0;
    virtual void SetTechniqueName(const std::string& name) = 0;
    // "none" (or an empty name) leaves the slot as it is.
    virtual void LoadTexture(const std::string& fileName, std::uint32_t slot) = 0;
    // Takes ownership of texture; a slot that does not exist deletes it and changes nothing.
    virtual void SetTexture(CTextureRef* texture, std::uint32_t slot) = 0;
    virtual void SetMaterial(const D3DXMATERIAL& material) = 0;
    // Takes ownership of unit.
    virtual void AttachUnit(IGfxUnit* unit) = 0;
    virtual void DeleteAttachedUnits() = 0;
    virtual const GfxUnitList& GetAttachedUnits() const = 0;
    virtual float GetTileFactor() const = 0;
    virtual void SetTileFactor(float factor) = 0;
    virtual void SetAlwaysVisible(std::uint8_t on) = 0;
    virtual std::uint8_t IsAlwaysVisible() const = 0;
    virtual void SetWireframe(std::uint8_t on) = 0;
    virtual std::uint8_t IsWireframe() const = 0;
    // The editor's selection mark: 1 while the picker has this unit's model selected.
    virtual void SetOptionFlag(std::uint8_t flag) = 0;
    virtual std::uint8_t GetOptionFlag() const = 0;
    virtual void CreateFromTriangles(const SGfxUnitLoadInfo& info, const std::vector<common::CTriangle>& triangles,
                                     D3DCOLOR colour) = 0;
    virtual void CreateFromArrays(const SGfxUnitLoadInfo& info, const SMeshVertex* vertices, std::uint32_t vertexCount,
                                  const std::uint16_t* indices, std::uint32_t indexCount) = 0;
    virtual void Load(const SGfxUnitLoadInfo& info) = 0;
    // Both: this unit's world sphere lies inside the other's.
    virtual bool IsInside(const IGfxUnit* other) const = 0;
    virtual bool IsInside(const IGfxUnit& other) const = 0;
    virtual void Prepare() = 0;
    void Update(double time, float elapsed) override = 0;
    void ResetAnimation() override = 0;
    virtual void AdvanceAnimation() = 0;
    bool IsAnimationDone() override = 0;
    void SetAnimationDone(bool done) override = 0;
    void SetAnimationSpeed(float speed) override = 0;
    // The carried unit must be a graphics unit; any other is logged and ignored.
    void AttachToFrame(ISceneUnit* unit, std::uint8_t followFrame, const std::string& frameName) override = 0;
    void DetachFromFrame(ISceneUnit* unit) override = 0;
    virtual void SetSkipped(std::uint8_t on) = 0;
    virtual std::uint8_t IsSkipped() const = 0;
    virtual bool GetAnimationDone() const = 0;
    virtual void Unload() = 0;
    virtual void ComputeWorldMatrix() = 0;
    virtual void PrepareAttachedUnits() = 0;
};

class CGfxUnit : public IGfxUnit {
public:
    CGfxUnit();
    ~CGfxUnit() override;
    CGfxUnit(const CGfxUnit&) = delete;
    CGfxUnit& operator=(const CGfxUnit&) = delete;

    std::string GetEffectFileName() const override { return m_effectFileName; }
    std::string GetMeshFileName() const override { return m_meshFileName; }
    std::string GetTechniqueName() const override { return m_techniqueName; }
    float GetPosX() const override { return m_position.x; }
    float GetPosY() const override { return m_position.y; }
    float GetPosZ() const override { return m_position.z; }
    float GetRotationAngle() const override { return m_rotationAngle; }
    D3DXVECTOR3 GetRotationAxis() const override { return m_rotationAxis; }
    float GetScaleX() const override { return m_scale.x; }
    float GetScaleY() const override { return m_scale.y; }
    float GetScaleZ() const override { return m_scale.z; }
    const D3DXMATRIX& GetWorldMatrix() const override { return m_world; }
    int GetCurrentAnimation() const override;
    double GetAnimationTime() const override;
    common::CSphere GetTransformedBoundingSphere(const D3DXMATRIX& matrix) const override;
    common::CSphere GetWorldBoundingSphere() const override { return GetTransformedBoundingSphere(m_world); }
    CTextureRef* GetTexture(std::uint32_t slot) const override;
    const SUnitRenderData& GetRenderData() const override { return m_renderData; }
    std::uint32_t GetFaceCount() const override;
    float GetProjectedDepth() const override;
    D3DXMATRIX GetFrameWorldMatrix(const std::string& frameName) const override;
    const SUnitGeometry& GetGeometry() const override;
    const D3DXMATERIAL* GetMaterial() const override { return m_material; }
    void SetEffectFileName(const std::string& name) override { m_effectFileName = name; }
    void SetMeshFileName(const std::string& name) override { m_meshFileName = name; }
    void SetPosition(float x, float y, float z, bool recompute) override;
    void SetRotationAngle(float angle, bool recompute) override;
    void SetRotationAxis(const D3DXVECTOR3& axis, bool recompute) override;
    void SetScale(float x, float y, float z, bool recompute) override;
    bool SetAnimation(std::uint32_t index, bool loop) override;
    void SetTechniqueName(const std::string& name) override { m_techniqueName = name; }
    void LoadTexture(const std::string& fileName, std::uint32_t slot) override;
    void SetTexture(CTextureRef* texture, std::uint32_t slot) override;
    void SetMaterial(const D3DXMATERIAL& material) override;
    void AttachUnit(IGfxUnit* unit) override;
    void DeleteAttachedUnits() override;
    const GfxUnitList& GetAttachedUnits() const override { return m_attachedUnits; }
    float GetTileFactor() const override { return m_tileFactor; }
    void SetTileFactor(float factor) override { m_tileFactor = factor; }
    void SetAlwaysVisible(std::uint8_t on) override { m_alwaysVisible = on; }
    std::uint8_t IsAlwaysVisible() const override { return m_alwaysVisible; }
    void SetWireframe(std::uint8_t on) override { m_wireframe = on; }
    std::uint8_t IsWireframe() const override { return m_wireframe; }
    void SetOptionFlag(std::uint8_t flag) override { m_optionFlag = flag; }
    std::uint8_t GetOptionFlag() const override { return m_optionFlag; }
    void CreateFromTriangles(const SGfxUnitLoadInfo& info, const std::vector<common::CTriangle>& triangles,
                             D3DCOLOR colour) override;
    void CreateFromArrays(const SGfxUnitLoadInfo& info, const SMeshVertex* vertices, std::uint32_t vertexCount,
                          const std::uint16_t* indices, std::uint32_t indexCount) override;
    void Load(const SGfxUnitLoadInfo& info) override;
    bool IsInside(const IGfxUnit* other) const override;
    bool IsInside(const IGfxUnit& other) const override { return IsInside(&other); }
    void Prepare() override;
    void Update(double time, float elapsed) override;
    void ResetAnimation() override;
    void AdvanceAnimation() override;
    bool IsAnimationDone() override;
    void SetAnimationDone(bool done) override;
    void SetAnimationSpeed(float speed) override;
    void AttachToFrame(ISceneUnit* unit, std::uint8_t followFrame, const std::string& frameName) override;
    void DetachFromFrame(ISceneUnit* unit) override;
    void SetSkipped(std::uint8_t on) override { m_skipped = on; }
    std::uint8_t IsSkipped() const override { return m_skipped; }
    bool GetAnimationDone() const override;
    void Unload() override;
    void ComputeWorldMatrix() override;
    void PrepareAttachedUnits() override;

    bool HasMesh() const { return m_hierarchy != nullptr; }

protected:
    // Own geometry for the unit kinds that build theirs; the local sphere follows it.
    void SetOwnGeometry(std::vector<SMeshVertex> vertices, std::vector<std::uint16_t> indices);
    void FreeOwnGeometry();
    void RetireFixedGeometry();
    void ReleaseTextures();
    // Names, the world, the core's view and projection and their product, the counts given,
    // material, tile factor and geometry.
    void FillRenderRecord(std::uint32_t vertexCount, std::uint32_t faceCount, const D3DMATERIAL9* material);

    SUnitRenderData m_renderData;
    SUnitGeometry m_geometry;

private:
    struct SFrameAttachment {
        std::uint8_t followFrame = 0;
        std::string frameName;
    };

    CMeshHierarchy* m_hierarchy = nullptr;             // the mesh cache's
    std::unique_ptr<CAnimationController> m_animation; // null without a loaded mesh
    float m_rotationAngle = 0.0f;
    std::string m_effectFileName;
    std::string m_meshFileName;
    std::string m_techniqueName;
    D3DXVECTOR3 m_sphereCentre;
    float m_sphereRadius = 0.0f;
    D3DXVECTOR3 m_scale;
    D3DXVECTOR3 m_rotationAxis;
    D3DXVECTOR3 m_position;
    D3DXMATRIX m_world;
    std::vector<SMeshVertex> m_vertices;
    std::vector<std::uint16_t> m_indices;
    std::array<std::unique_ptr<CTextureRef>, 6> m_textures; // kTextureSlots order
    float m_elapsed = 0.0f;
    // Whether the animation has taken its step since the last Update (the frame's start).
    bool m_advanced = false;
    std::uint8_t m_skipped = 0;
    // Points at the own block, or at the loaded container's first material.
    const D3DXMATERIAL* m_material = nullptr;
    std::unique_ptr<D3DXMATERIAL> m_ownMaterial;
    float m_tileFactor = 1.0f;
    std::uint8_t m_alwaysVisible = 0;
    std::map<IGfxUnit*, SFrameAttachment> m_frameAttachments;
    std::uint8_t m_wireframe = 0;
    std::uint8_t m_optionFlag = 0;
    GfxUnitList m_attachedUnits;
    // This unit's skinned copy of the shared hierarchy's vertices (skinned models only).
    std::vector<SMeshVertex> m_skinned;
    std::string m_meshRequestName; // the file name the mesh cache holds for this unit
};

} // namespace gfx
} // namespace velm
