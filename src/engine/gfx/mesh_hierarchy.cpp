#include "engine/gfx/mesh_hierarchy.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/gfx/allocate_hierarchy.h"
#include "engine/gfx/animation_controller.h"
#include "engine/gfx/gfx_core.h"

namespace velm {
namespace gfx {
namespace {

const char kRootName[] = "root";
constexpr DWORD kOptimiseFlags = D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT;

std::wstring Widen(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    wide.resize(length > 0 ? static_cast<std::size_t>(length) - 1 : 0);
    return wide;
}

std::vector<D3DVERTEXELEMENT9> DeclarationOf(ID3DXMesh* mesh) {
    std::vector<D3DVERTEXELEMENT9> elements(MAX_FVF_DECL_SIZE);
    mesh->GetDeclaration(elements.data());
    return elements;
}

void Optimise(ID3DXMesh* mesh, std::vector<DWORD>* vertexRemap) {
    std::vector<DWORD> adjacency(static_cast<std::size_t>(mesh->GetNumFaces()) * 3);
    mesh->GenerateAdjacency(0.0f, adjacency.data());
    vertexRemap->assign(mesh->GetNumVertices(), 0);
    mesh->OptimizeInplace(kOptimiseFlags, adjacency.data(), nullptr, nullptr, vertexRemap->data());
    vertexRemap->resize(mesh->GetNumVertices());
}

} // namespace

SMeshMaterial::SMeshMaterial() : D3DXMATERIAL() {
    MatD3D.Diffuse = MatD3D.Ambient = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    MatD3D.Specular = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    MatD3D.Emissive = D3DCOLORVALUE{0.0f, 0.0f, 0.0f, 1.0f};
}

SMeshMaterial::SMeshMaterial(const D3DCOLORVALUE& colour) : SMeshMaterial() {
    MatD3D.Diffuse = MatD3D.Ambient = colour;
}

CMeshHierarchy::~CMeshHierarchy() { Release(); }

HRESULT CMeshHierarchy::Load(const std::string& path, DWORD options, CAnimationController* controller) {
    Release();
    m_loadOptions = options;
    IDirect3DDevice9* device = GFXCore::Exists() ? GFXCore::Instance().GetDevice() : nullptr;
    if (device == nullptr) {
        std::fprintf(stderr, "Mesh hierarchy: %s: no graphics device to load on\n", path.c_str());
        return D3DERR_INVALIDCALL;
    }
    CAllocateHierarchy allocator;
    D3DXFRAME* root = nullptr;
    ID3DXAnimationController* animation = nullptr;
    const HRESULT result =
        D3DXLoadMeshHierarchyFromXW(Widen(path).c_str(), options, device, &allocator, nullptr, &root, &animation);
    if (FAILED(result) || root == nullptr) {
        if (animation != nullptr) {
            animation->Release();
        }
        return FAILED(result) ? result : D3DXERR_INVALIDDATA;
    }
    m_rootFrame = static_cast<SFrameEx*>(root);
    m_rootFileName = m_rootFrame->Name != nullptr ? m_rootFrame->Name : "";
    delete[] m_rootFrame->Name;
    m_rootFrame->Name = CAllocateHierarchy::CopyName(kRootName);
    // Bone frames point at combined matrices, so they must be current before the choice.
    UpdateFrameMatrices(m_rootFrame, nullptr);
    ChooseContainer(m_rootFrame, path);
    if (m_meshContainer == nullptr || m_meshContainer->workingMesh == nullptr) {
        std::fprintf(stderr, "Mesh hierarchy: %s: the file holds no mesh; the model is refused\n", path.c_str());
        if (animation != nullptr) {
            animation->Release();
        }
        Release();
        return D3DXERR_INVALIDDATA;
    }
    SMeshContainerEx* container = m_meshContainer;
    // The drawn copy is read as engine vertices, so an unskinned model is converted too.
    if (container->MeshData.pMesh->GetNumBytesPerVertex() != sizeof(SMeshVertex)) {
        ID3DXMesh* clone = nullptr;
        const std::vector<D3DVERTEXELEMENT9> declaration = DeclarationOf(container->workingMesh);
        if (SUCCEEDED(container->workingMesh->CloneMesh(m_loadOptions, declaration.data(), device, &clone))) {
            container->MeshData.pMesh->Release();
            container->MeshData.pMesh = clone;
        }
    }
    // Tangents go on the drawn mesh as well as the working one, or the drawn copy has none.
    D3DXComputeTangent(container->workingMesh, 0, 0, 0, D3DXTANGENT_WRAP_UV, nullptr);
    D3DXComputeTangent(container->MeshData.pMesh, 0, 0, 0, D3DXTANGENT_WRAP_UV, nullptr);
    std::vector<DWORD> remap;
    Optimise(container->workingMesh, &remap);
    Optimise(container->MeshData.pMesh, &remap);
    // Compaction may drop or move vertices; the influences must follow them.
    if (container->pSkinInfo != nullptr) {
        container->pSkinInfo->Remap(static_cast<DWORD>(remap.size()), remap.data());
    }
    m_boneMatrices.assign(m_boneCount, SBoneMatrix{D3DXMATRIX()});
    if (!CopyGeometry(path)) {
        if (animation != nullptr) {
            animation->Release();
        }
        Release();
        return D3DXERR_INVALIDDATA;
    }
    if (controller != nullptr) {
        controller->SetController(animation);
    } else if (animation != nullptr) {
        animation->Release();
    }
    Update();
    D3DXVECTOR3 centre;
    CGFXCore::ComputeBoundingSphere(container->skinnedVertices.data(),
                                    static_cast<std::uint32_t>(container->skinnedVertices.size()), &centre,
                                    &m_sphereRadius);
    m_sphereCentre = common::CVector3(centre.x, centre.y, centre.z);
    return D3D_OK;
}

void CMeshHierarchy::ChooseContainer(SFrameEx* frame, const std::string& path) {
    if (frame == nullptr) {
        return;
    }
    for (D3DXMESHCONTAINER* found = frame->pMeshContainer; found != nullptr; found = found->pNextMeshContainer) {
        auto* container = static_cast<SMeshContainerEx*>(found);
        if (container->pSkinInfo != nullptr) {
            PrepareSkinnedContainer(container, path);
        }
        if (container->pSkinInfo != nullptr || m_meshContainer == nullptr) {
            m_meshContainer = container;
        }
    }
    ChooseContainer(static_cast<SFrameEx*>(frame->pFrameSibling), path);
    ChooseContainer(static_cast<SFrameEx*>(frame->pFrameFirstChild), path);
}

void CMeshHierarchy::PrepareSkinnedContainer(SMeshContainerEx* container, const std::string& path) {
    if (container->workingMesh == nullptr) {
        return;
    }
    IDirect3DDevice9* device = nullptr;
    container->workingMesh->GetDevice(&device);
    ID3DXMesh* clone = nullptr;
    const std::vector<D3DVERTEXELEMENT9> declaration = DeclarationOf(container->workingMesh);
    if (SUCCEEDED(container->workingMesh->CloneMesh(m_loadOptions, declaration.data(), device, &clone))) {
        container->MeshData.pMesh->Release();
        container->MeshData.pMesh = clone;
    }
    if (device != nullptr) {
        device->Release();
    }
    m_boneCount = std::max(m_boneCount, container->boneCount);
    ID3DXSkinInfo* skin = container->pSkinInfo;
    DWORD mostInfluences = 0;
    container->boneNames.clear();
    for (DWORD bone = 0; bone < container->boneCount; ++bone) {
        const char* boneName = skin->GetBoneName(bone);
        auto* frame = static_cast<SFrameEx*>(D3DXFrameFind(m_rootFrame, boneName));
        // The root has been renamed, but a bone may still carry the name the file gave it.
        if (frame == nullptr && boneName != nullptr && !m_rootFileName.empty() && m_rootFileName == boneName) {
            frame = m_rootFrame;
        }
        if (frame == nullptr) {
            std::fprintf(stderr, "Mesh hierarchy: %s: bone \"%s\" of mesh \"%s\" names no frame; the bone is skipped\n",
                         path.c_str(), boneName, container->Name);
            container->boneFrames[bone] = nullptr;
            container->boneNames.emplace_back(boneName);
        } else {
            container->boneFrames[bone] = &frame->CombinedTransformationMatrix;
            container->boneNames.emplace_back(frame->Name);
        }
        mostInfluences = std::max(mostInfluences, skin->GetNumBoneInfluences(bone));
    }
    if (mostInfluences > m_influenceVertices.size()) {
        m_influenceVertices.assign(mostInfluences, 0);
        m_influenceWeights.assign(mostInfluences, 0.0f);
    }
}

bool CMeshHierarchy::CopyGeometry(const std::string& path) {
    SMeshContainerEx* container = m_meshContainer;
    ID3DXMesh* mesh = container->MeshData.pMesh;
    if (mesh->GetNumBytesPerVertex() != sizeof(SMeshVertex)) {
        std::fprintf(stderr, "Mesh hierarchy: %s: the mesh could not take the engine's vertex; the model is refused\n",
                     path.c_str());
        return false;
    }
    void* data = nullptr;
    if (FAILED(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data))) {
        return false;
    }
    const auto* vertices = static_cast<const SMeshVertex*>(data);
    container->sourceVertices.assign(vertices, vertices + mesh->GetNumVertices());
    mesh->UnlockVertexBuffer();
    container->skinnedVertices = container->sourceVertices;
    const DWORD faces = container->workingMesh->GetNumFaces();
    container->indices.resize(static_cast<std::size_t>(faces) * 3);
    for (DWORD face = 0; face < faces && face < mesh->GetNumFaces(); ++face) {
        for (DWORD corner = 0; corner < 3; ++corner) {
            const DWORD index = mesh->Index(face, corner);
            if (index > 0xFFFF) {
                std::fprintf(stderr, "Mesh hierarchy: %s: vertex %u is beyond 16-bit indices; the model is refused\n",
                             path.c_str(), index);
                return false;
            }
            container->indices[face * 3 + corner] = static_cast<std::uint16_t>(index);
        }
    }
    return !container->sourceVertices.empty();
}

void CMeshHierarchy::UpdateFrameMatrices(SFrameEx* frame, const D3DXMATRIX* parent) {
    for (; frame != nullptr; frame = static_cast<SFrameEx*>(frame->pFrameSibling)) {
        if (parent != nullptr) {
            D3DXMatrixMultiply(&frame->CombinedTransformationMatrix, &frame->TransformationMatrix, parent);
        } else {
            frame->CombinedTransformationMatrix = frame->TransformationMatrix;
        }
        UpdateFrameMatrices(static_cast<SFrameEx*>(frame->pFrameFirstChild), &frame->CombinedTransformationMatrix);
    }
}

void CMeshHierarchy::Update(std::vector<SMeshVertex>* own) {
    if (m_rootFrame == nullptr) {
        return;
    }
    UpdateFrameMatrices(m_rootFrame, nullptr);
    if (m_meshContainer == nullptr || m_meshContainer->pSkinInfo == nullptr) {
        return;
    }
    std::vector<SMeshVertex>* target = own != nullptr ? own : &m_meshContainer->skinnedVertices;
    if (target->size() != m_meshContainer->sourceVertices.size()) {
        *target = m_meshContainer->sourceVertices;
    }
    Skin(target);
}

void CMeshHierarchy::Skin(std::vector<SMeshVertex>* target) {
    ++m_skinnings;
    SMeshContainerEx* container = m_meshContainer;
    for (SMeshVertex& vertex : *target) {
        vertex.position = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    }
    ID3DXSkinInfo* skin = container->pSkinInfo;
    const std::size_t vertexCount = target->size();
    for (std::uint32_t bone = 0; bone < container->boneCount && bone < m_boneMatrices.size(); ++bone) {
        if (container->boneFrames[bone] == nullptr) {
            continue;
        }
        D3DXMATRIX& boneMatrix = m_boneMatrices[bone].matrix;
        D3DXMatrixMultiply(&boneMatrix, &container->boneOffsets[bone], container->boneFrames[bone]);
        const DWORD influences = skin->GetNumBoneInfluences(bone);
        if (influences > m_influenceVertices.size()) {
            continue;
        }
        skin->GetBoneInfluence(bone, m_influenceVertices.data(), m_influenceWeights.data());
        for (DWORD i = 0; i < influences; ++i) {
            const DWORD v = m_influenceVertices[i];
            if (v >= vertexCount) {
                continue;
            }
            D3DXVECTOR4 p;
            D3DXVec3Transform(&p, &container->sourceVertices[v].position, &boneMatrix);
            (*target)[v].position += D3DXVECTOR3(p.x, p.y, p.z) * m_influenceWeights[i];
        }
    }
}

D3DXMATRIX* CMeshHierarchy::GetFrameMatrix(const std::string& name) const {
    if (m_rootFrame == nullptr) {
        return nullptr;
    }
    if (name == kRootName) {
        return &m_rootFrame->CombinedTransformationMatrix;
    }
    auto* frame = static_cast<SFrameEx*>(D3DXFrameFind(m_rootFrame, name.c_str()));
    return frame != nullptr ? &frame->CombinedTransformationMatrix : nullptr;
}

void CMeshHierarchy::Release() {
    if (m_rootFrame != nullptr) {
        CAllocateHierarchy allocator;
        D3DXFrameDestroy(m_rootFrame, &allocator);
        m_rootFrame = nullptr;
    }
    m_meshContainer = nullptr;
    m_boneMatrices.clear();
    m_boneCount = 0;
    m_influenceVertices.clear();
    m_influenceWeights.clear();
}

} // namespace gfx
} // namespace velm
