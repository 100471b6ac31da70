#include "engine/gfx/gfx_unit.h"

#include <algorithm>
#include <cstdio>

#include "engine/gfx/animation_controller.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/mesh_cache.h"
#include "engine/gfx/renderer.h"
#include "engine/gfx/texture_cache.h"
#include "libs/common/matrix3.h"

namespace velm {
namespace gfx {
namespace {

common::CVector3 ToVector(const D3DXVECTOR3& v) { return common::CVector3(v.x, v.y, v.z); }

// The graphics core's attached-unit wireframe switch; without a core nothing is forced.
bool AttachedUnitsInWireframe() { return GFXCore::Exists() && GFXCore::Instance().m_attachedUnitWireframe; }

} // namespace

int TextureSlotIndex(std::uint32_t slot) {
    for (std::size_t i = 0; i < kTextureSlots.size(); ++i) {
        if (kTextureSlots[i] == slot) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int TextureSlotOfKey(const std::string& key) {
    static const char* const kKeys[] = {"Base1", "Base2", "SpecularMap", "NormalMap", "HeightMap", "Reserved"};
    for (std::size_t i = 0; i < kTextureSlots.size(); ++i) {
        if (key == kKeys[i]) {
            return static_cast<int>(kTextureSlots[i]);
        }
    }
    return -1;
}

CGfxUnit::CGfxUnit()
    : m_sphereCentre(0.0f, 0.0f, 0.0f),
      m_scale(1.0f, 1.0f, 1.0f),
      m_rotationAxis(1.0f, 0.0f, 0.0f),
      m_position(0.0f, 0.0f, 0.0f) {
    D3DXMatrixIdentity(&m_world);
}

CGfxUnit::~CGfxUnit() { CGfxUnit::Unload(); }

int CGfxUnit::GetCurrentAnimation() const {
    const bool animated = m_animation != nullptr && m_animation->GetController() != nullptr;
    return animated ? static_cast<int>(m_animation->GetCurrentSet()) : -1;
}

double CGfxUnit::GetAnimationTime() const {
    const bool animated = m_animation != nullptr && m_animation->GetController() != nullptr;
    return animated ? m_animation->GetController()->GetTime() : 0.0;
}

common::CSphere CGfxUnit::GetTransformedBoundingSphere(const D3DXMATRIX& matrix) const {
    D3DXVECTOR3 centre;
    D3DXVec3TransformCoord(&centre, &m_sphereCentre, &matrix);
    const float largest = std::max(m_scale.x, std::max(m_scale.y, m_scale.z));
    return common::CSphere(ToVector(centre), m_sphereRadius * largest);
}

CTextureRef* CGfxUnit::GetTexture(std::uint32_t slot) const {
    const int index = TextureSlotIndex(slot);
    return index >= 0 ? m_textures[static_cast<std::size_t>(index)].get() : nullptr;
}

std::uint32_t CGfxUnit::GetFaceCount() const {
    if (m_hierarchy != nullptr && m_hierarchy->GetMeshContainer() != nullptr) {
        return static_cast<std::uint32_t>(m_hierarchy->GetMeshContainer()->indices.size() / 3);
    }
    return static_cast<std::uint32_t>(m_indices.size() / 3);
}

float CGfxUnit::GetProjectedDepth() const {
    if (!GFXCore::Exists()) {
        return 0.0f;
    }
    const CGFXCore& core = GFXCore::Instance();
    D3DXMATRIX viewProjection;
    D3DXMatrixMultiply(&viewProjection, &core.GetViewMatrix(), &core.GetProjectionMatrix());
    const D3DXVECTOR4 position(m_position.x, m_position.y, m_position.z, 1.0f);
    D3DXVECTOR4 projected;
    D3DXVec4Transform(&projected, &position, &viewProjection);
    // A point on the camera plane has no depth of its own; it sorts as its z.
    return projected.w != 0.0f ? projected.z / projected.w : projected.z;
}

D3DXMATRIX CGfxUnit::GetFrameWorldMatrix(const std::string& frameName) const {
    D3DXMATRIX result;
    D3DXMatrixIdentity(&result);
    const D3DXMATRIX* frame = m_hierarchy != nullptr ? m_hierarchy->GetFrameMatrix(frameName) : nullptr;
    if (frame != nullptr) {
        D3DXMatrixMultiply(&result, frame, &m_world);
    }
    return result;
}

const SUnitGeometry& CGfxUnit::GetGeometry() const { return m_geometry; }

void CGfxUnit::SetPosition(float x, float y, float z, bool recompute) {
    m_position = D3DXVECTOR3(x, y, z);
    if (recompute) {
        ComputeWorldMatrix();
    }
    for (IGfxUnit* unit : m_attachedUnits) {
        unit->SetPosition(x, y, z, recompute);
    }
}

void CGfxUnit::SetRotationAngle(float angle, bool recompute) {
    m_rotationAngle = angle;
    if (recompute) {
        ComputeWorldMatrix();
    }
    for (IGfxUnit* unit : m_attachedUnits) {
        unit->SetRotationAngle(angle, recompute);
    }
}

void CGfxUnit::SetRotationAxis(const D3DXVECTOR3& axis, bool recompute) {
    m_rotationAxis = axis;
    if (recompute) {
        ComputeWorldMatrix();
    }
    for (IGfxUnit* unit : m_attachedUnits) {
        unit->SetRotationAxis(axis, recompute);
    }
}

void CGfxUnit::SetScale(float x, float y, float z, bool recompute) {
    m_scale = D3DXVECTOR3(x, y, z);
    if (recompute) {
        ComputeWorldMatrix();
    }
    for (IGfxUnit* unit : m_attachedUnits) {
        unit->SetScale(x, y, z, recompute);
    }
}

bool CGfxUnit::SetAnimation(std::uint32_t index, bool loop) {
    return m_animation != nullptr && m_animation->SetAnimation(index, loop);
}

void CGfxUnit::LoadTexture(const std::string& fileName, std::uint32_t slot) {
    if (TextureSlotIndex(slot) < 0 || fileName.empty() || fileName == kNoTexture) {
        return;
    }
    auto texture = std::make_unique<CTextureRef>();
    texture->SetFile(fileName);
    SetTexture(texture.release(), slot);
}

void CGfxUnit::SetTexture(CTextureRef* texture, std::uint32_t slot) {
    const int index = TextureSlotIndex(slot);
    if (index < 0) {
        delete texture;
        return;
    }
    std::unique_ptr<CTextureRef>& held = m_textures[static_cast<std::size_t>(index)];
    if (held.get() == texture) {
        return;
    }
    if (held != nullptr) {
        held->Release();
    }
    held.reset(texture);
}

void CGfxUnit::SetMaterial(const D3DXMATERIAL& material) {
    // Always into the unit's own block: the loaded material belongs to the shared hierarchy, and
    // writing there would recolour every unit of that mesh.
    if (m_ownMaterial == nullptr) {
        m_ownMaterial = std::make_unique<D3DXMATERIAL>();
    }
    *m_ownMaterial = material;
    m_material = m_ownMaterial.get();
}

void CGfxUnit::AttachUnit(IGfxUnit* unit) {
    if (unit != nullptr) {
        m_attachedUnits.push_back(unit);
    }
}

void CGfxUnit::DeleteAttachedUnits() {
    for (IGfxUnit* unit : m_attachedUnits) {
        delete unit;
    }
    m_attachedUnits.clear();
}

void CGfxUnit::SetOwnGeometry(std::vector<SMeshVertex> vertices, std::vector<std::uint16_t> indices) {
    RetireFixedGeometry();
    m_vertices = std::move(vertices);
    m_indices = std::move(indices);
    m_geometry = SUnitGeometry();
    m_geometry.vertices = m_vertices.data();
    m_geometry.vertexCount = static_cast<std::uint32_t>(m_vertices.size());
    m_geometry.indices = m_indices.data();
    m_geometry.indexCount = static_cast<std::uint32_t>(m_indices.size());
    m_geometry.fixedSerial = NextGeometrySerial();
    CGFXCore::ComputeBoundingSphere(m_vertices.data(), m_geometry.vertexCount, &m_sphereCentre, &m_sphereRadius);
}

// The renderer's copy of geometry that no longer exists is freed now, not at its next sweep: a
// level reloaded otherwise has both levels' copies at once.
void CGfxUnit::RetireFixedGeometry() {
    if (m_geometry.fixedSerial != 0 && Renderer::Exists()) {
        Renderer::Instance().RetireGeometry(m_geometry.fixedSerial);
    }
}

void CGfxUnit::FreeOwnGeometry() {
    RetireFixedGeometry();
    std::vector<SMeshVertex>().swap(m_vertices);
    std::vector<std::uint16_t>().swap(m_indices);
    m_geometry = SUnitGeometry();
}

void CGfxUnit::CreateFromArrays(const SGfxUnitLoadInfo& info, const SMeshVertex* vertices, std::uint32_t vertexCount,
                                const std::uint16_t* indices, std::uint32_t indexCount) {
    Unload();
    m_effectFileName = info.effectFileName;
    m_techniqueName = info.techniqueName;
    std::vector<SMeshVertex> ownVertices;
    std::vector<std::uint16_t> ownIndices;
    if (vertices != nullptr) {
        ownVertices.assign(vertices, vertices + vertexCount);
    }
    if (indices != nullptr) {
        ownIndices.assign(indices, indices + indexCount);
    }
    SetOwnGeometry(std::move(ownVertices), std::move(ownIndices));
}

void CGfxUnit::CreateFromTriangles(const SGfxUnitLoadInfo& info, const std::vector<common::CTriangle>& triangles,
                                   D3DCOLOR colour) {
    Unload();
    m_effectFileName = info.effectFileName;
    m_techniqueName = info.techniqueName;
    std::vector<SMeshVertex> vertices;
    std::vector<std::uint16_t> indices;
    for (const common::CTriangle& triangle : triangles) {
        const common::CVector3& normal = triangle.GetNormal();
        for (int corner = 0; corner < 3; ++corner) {
            SMeshVertex vertex = {};
            vertex.position = D3DXVECTOR3(triangle[corner].x, triangle[corner].y, triangle[corner].z);
            vertex.normal = D3DXVECTOR3(normal.x, normal.y, normal.z);
            vertex.colour = colour;
            indices.push_back(static_cast<std::uint16_t>(vertices.size()));
            vertices.push_back(vertex);
        }
    }
    SetOwnGeometry(std::move(vertices), std::move(indices));
}

void CGfxUnit::Load(const SGfxUnitLoadInfo& info) {
    Unload();
    m_effectFileName = info.effectFileName;
    m_meshFileName = info.meshFileName;
    m_techniqueName = info.techniqueName;
    if (info.meshFileName.empty()) {
        return;
    }
    m_animation = std::make_unique<CAnimationController>();
    SMeshRequest request;
    request.fileName = info.meshFileName;
    request.options = D3DXMESH_MANAGED;
    request.controller = m_animation.get();
    MeshCache::Instance().Get(&request);
    m_meshRequestName = request.fileName;
    m_hierarchy = request.hierarchy;
    if (m_hierarchy == nullptr || !m_hierarchy->IsLoaded() || m_hierarchy->GetMeshContainer() == nullptr) {
        // The cache has logged why; the unit stays without geometry and draws nothing.
        return;
    }
    SMeshContainerEx* container = m_hierarchy->GetMeshContainer();
    m_material = &container->materials.front();
    if (m_animation->GetController() != nullptr) {
        m_animation->InitTracks();
        if (m_animation->GetSetCount() > 0) {
            ResetAnimation();
            m_animation->AdvanceAnimation(0.0f, nullptr);
        }
    }
    m_hierarchy->Update(container->pSkinInfo != nullptr ? &m_skinned : nullptr);
    const std::vector<SMeshVertex>& drawn = container->pSkinInfo != nullptr ? m_skinned : container->skinnedVertices;
    m_geometry.vertices = drawn.data();
    m_geometry.vertexCount = static_cast<std::uint32_t>(drawn.size());
    m_geometry.indices = container->indices.data();
    m_geometry.indexCount = static_cast<std::uint32_t>(container->indices.size());
    m_geometry.fixedSerial = 0;
    const common::CVector3& centre = m_hierarchy->GetBoundingSphereCentre();
    m_sphereCentre = D3DXVECTOR3(centre.x, centre.y, centre.z);
    m_sphereRadius = m_hierarchy->GetBoundingSphereRadius();
}

bool CGfxUnit::IsInside(const IGfxUnit* other) const {
    return other != nullptr && GetWorldBoundingSphere().IsInside(other->GetWorldBoundingSphere());
}

void CGfxUnit::FillRenderRecord(std::uint32_t vertexCount, std::uint32_t faceCount, const D3DMATERIAL9* material) {
    m_renderData.effectFileName = &m_effectFileName;
    m_renderData.techniqueName = &m_techniqueName;
    m_renderData.world = m_world;
    if (GFXCore::Exists()) {
        m_renderData.view = GFXCore::Instance().GetViewMatrix();
        m_renderData.projection = GFXCore::Instance().GetProjectionMatrix();
    } else {
        D3DXMatrixIdentity(&m_renderData.view);
        D3DXMatrixIdentity(&m_renderData.projection);
    }
    D3DXMATRIX worldView;
    D3DXMatrixMultiply(&worldView, &m_world, &m_renderData.view);
    D3DXMatrixMultiply(&m_renderData.worldViewProjection, &worldView, &m_renderData.projection);
    m_renderData.vertexCount = vertexCount;
    m_renderData.faceCount = faceCount;
    m_renderData.material = material;
    m_renderData.tileFactor = m_tileFactor;
    m_renderData.geometry = &m_geometry;
}

void CGfxUnit::Prepare() {
    // The frame, the water's two passes and the depth pass may each draw the unit: its pose moves
    // on by the frame's time once, and the later passes draw the copy the first one skinned.
    if (!m_advanced) {
        AdvanceAnimation();
    }
    FillRenderRecord(m_geometry.vertexCount, m_geometry.indexCount / 3,
                     m_material != nullptr ? &m_material->MatD3D : nullptr);
    PrepareAttachedUnits();
}

void CGfxUnit::Update(double time, float elapsed) {
    m_elapsed = elapsed;
    m_advanced = false;
    for (auto& [unit, attachment] : m_frameAttachments) {
        const D3DXMATRIX carrier = attachment.followFrame == 1 ? GetFrameWorldMatrix(attachment.frameName) : m_world;
        unit->ComputeWorldMatrix();
        // D3DX rows are the basis vectors; the common matrix takes them as columns.
        common::CMatrix3 rotation;
        rotation.Set(carrier._11, carrier._21, carrier._31, carrier._12, carrier._22, carrier._32, carrier._13,
                     carrier._23, carrier._33);
        rotation.Orthonormalize();
        common::CVector3 axis;
        float angle = 0.0f;
        common::QuaternionFromMatrix(rotation).ToAxisAngle(axis, angle);
        unit->SetRotationAngle(angle, false);
        unit->SetRotationAxis(D3DXVECTOR3(axis.x, axis.y, axis.z), false);
        unit->SetPosition(carrier._41, carrier._42, carrier._43, true);
    }
    for (IGfxUnit* unit : m_attachedUnits) {
        unit->Update(time, elapsed);
    }
}

void CGfxUnit::ResetAnimation() {
    if (m_animation != nullptr) {
        m_animation->ResetAnimation();
    }
}

void CGfxUnit::AdvanceAnimation() {
    m_advanced = true;
    if (m_animation == nullptr || m_hierarchy == nullptr || m_hierarchy->GetMeshContainer() == nullptr) {
        return;
    }
    if (m_animation->GetSetCount() > 0) {
        m_animation->AdvanceAnimation(m_elapsed, nullptr);
    }
    const bool skinned = m_hierarchy->GetMeshContainer()->pSkinInfo != nullptr;
    m_hierarchy->Update(skinned ? &m_skinned : nullptr);
    if (skinned) {
        m_geometry.vertices = m_skinned.data();
    }
    for (IGfxUnit* unit : m_attachedUnits) {
        unit->AdvanceAnimation();
    }
}

bool CGfxUnit::IsAnimationDone() { return m_animation != nullptr && m_animation->IsAnimationDone(); }

void CGfxUnit::SetAnimationDone(bool done) {
    if (m_animation != nullptr) {
        m_animation->SetAnimationDone(done);
    }
}

void CGfxUnit::SetAnimationSpeed(float speed) {
    if (m_animation != nullptr) {
        m_animation->SetAnimationSpeed(speed);
    }
}

void CGfxUnit::AttachToFrame(ISceneUnit* unit, std::uint8_t followFrame, const std::string& frameName) {
    auto* gfxUnit = dynamic_cast<IGfxUnit*>(unit);
    if (gfxUnit == nullptr) {
        std::fprintf(stderr, "Render unit: only a render unit can be carried on frame \"%s\"; ignored\n",
                     frameName.c_str());
        return;
    }
    m_frameAttachments[gfxUnit] = SFrameAttachment{followFrame, frameName};
}

void CGfxUnit::DetachFromFrame(ISceneUnit* unit) {
    if (auto* gfxUnit = dynamic_cast<IGfxUnit*>(unit)) {
        m_frameAttachments.erase(gfxUnit);
    }
}

bool CGfxUnit::GetAnimationDone() const { return m_animation != nullptr && m_animation->GetAnimationDone(); }

void CGfxUnit::ReleaseTextures() {
    for (std::unique_ptr<CTextureRef>& texture : m_textures) {
        if (texture != nullptr) {
            texture->Release();
            texture.reset();
        }
    }
}

void CGfxUnit::Unload() {
    m_ownMaterial.reset();
    m_material = nullptr;
    if (m_hierarchy != nullptr || !m_meshRequestName.empty()) {
        if (MeshCache::Exists()) {
            SMeshRequest request;
            request.fileName = m_meshRequestName;
            MeshCache::Instance().Release(request);
        }
        m_hierarchy = nullptr;
        m_meshRequestName.clear();
    }
    m_animation.reset();
    ReleaseTextures();
    m_elapsed = 0.0f;
    m_advanced = false;
    m_frameAttachments.clear();
    FreeOwnGeometry();
    std::vector<SMeshVertex>().swap(m_skinned);
    m_renderData = SUnitRenderData();
    DeleteAttachedUnits();
}

void CGfxUnit::ComputeWorldMatrix() {
    D3DXMATRIX scaling;
    D3DXMATRIX rotation;
    D3DXMATRIX translation;
    D3DXMatrixScaling(&scaling, m_scale.x, m_scale.y, m_scale.z);
    D3DXMatrixRotationAxis(&rotation, &m_rotationAxis, m_rotationAngle);
    D3DXMatrixTranslation(&translation, m_position.x, m_position.y, m_position.z);
    D3DXMatrixMultiply(&m_world, &scaling, &rotation);
    D3DXMatrixMultiply(&m_world, &m_world, &translation);
}

void CGfxUnit::PrepareAttachedUnits() {
    const bool wireframe = AttachedUnitsInWireframe();
    for (IGfxUnit* unit : m_attachedUnits) {
        unit->Prepare();
        if (wireframe) {
            unit->SetWireframe(1);
        }
    }
}

} // namespace gfx
} // namespace velm
