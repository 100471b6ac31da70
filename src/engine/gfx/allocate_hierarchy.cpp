#include "engine/gfx/allocate_hierarchy.h"

#include <cstring>
#include <string>

#include "engine/gfx/gfx_core.h"

namespace velm {
namespace gfx {
namespace {

const char kUnnamedFrame[] = "<no_name>";
const char kUnnamedContainer[] = "no_name";

// The declaration the device has set, or the engine's own when none is set.
std::vector<D3DVERTEXELEMENT9> DeviceDeclaration(IDirect3DDevice9* device) {
    std::vector<D3DVERTEXELEMENT9> elements;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    if (device != nullptr && SUCCEEDED(device->GetVertexDeclaration(&declaration)) && declaration != nullptr) {
        elements = declaration->Elements();
        declaration->Release();
    }
    if (elements.empty()) {
        for (const D3DVERTEXELEMENT9* element = kVertexElements; element->Stream != 0xFF; ++element) {
            elements.push_back(*element);
        }
    }
    elements.push_back(D3DDECL_END());
    return elements;
}

} // namespace

char* CAllocateHierarchy::CopyName(const char* name) {
    const std::size_t length = std::strlen(name);
    char* copy = new char[length + 1];
    std::memcpy(copy, name, length + 1);
    return copy;
}

HRESULT CAllocateHierarchy::CreateFrame(const char* name, D3DXFRAME** newFrame) {
    auto* frame = new SFrameEx();
    if (name != nullptr) {
        frame->Name = CopyName(name);
    } else {
        frame->Name = CopyName((kUnnamedFrame + std::to_string(m_unnamedFrames)).c_str());
        ++m_unnamedFrames;
    }
    D3DXMatrixIdentity(&frame->TransformationMatrix);
    D3DXMatrixIdentity(&frame->CombinedTransformationMatrix);
    *newFrame = frame;
    return D3D_OK;
}

HRESULT CAllocateHierarchy::CreateMeshContainer(const char* name, const D3DXMESHDATA* meshData,
                                                const D3DXMATERIAL* materials, const D3DXEFFECTINSTANCE*,
                                                DWORD numMaterials, const DWORD* adjacency, ID3DXSkinInfo* skinInfo,
                                                D3DXMESHCONTAINER** newMeshContainer) {
    *newMeshContainer = nullptr;
    if (meshData == nullptr || meshData->pMesh == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    auto* container = new SMeshContainerEx();
    container->Name = CopyName(name != nullptr && name[0] != '\0' ? name : kUnnamedContainer);
    ID3DXMesh* mesh = meshData->pMesh;
    container->MeshData = *meshData;
    mesh->AddRef();
    const std::size_t adjacencyCount = static_cast<std::size_t>(mesh->GetNumFaces()) * 3;
    container->pAdjacency = new DWORD[adjacencyCount];
    if (adjacency != nullptr) {
        std::memcpy(container->pAdjacency, adjacency, adjacencyCount * sizeof(DWORD));
    } else {
        mesh->GenerateAdjacency(0.0f, container->pAdjacency);
    }
    if (numMaterials > 0 && materials != nullptr) {
        for (DWORD i = 0; i < numMaterials; ++i) {
            SMeshMaterial material;
            material.MatD3D = materials[i].MatD3D;
            material.MatD3D.Ambient = material.MatD3D.Diffuse;
            material.pTextureFilename = nullptr;
            container->materials.push_back(material);
        }
    } else {
        SMeshMaterial grey;
        grey.MatD3D = D3DMATERIAL9{};
        grey.MatD3D.Diffuse = D3DCOLORVALUE{0.5f, 0.5f, 0.5f, 0.0f};
        grey.MatD3D.Specular = D3DCOLORVALUE{0.5f, 0.5f, 0.5f, 0.0f};
        grey.MatD3D.Power = 1.0f;
        container->materials.push_back(grey);
    }
    container->NumMaterials = static_cast<DWORD>(container->materials.size());
    container->pMaterials = container->materials.data();
    IDirect3DDevice9* device = nullptr;
    mesh->GetDevice(&device);
    const std::vector<D3DVERTEXELEMENT9> declaration = DeviceDeclaration(device);
    mesh->CloneMesh(D3DXMESH_MANAGED, declaration.data(), device, &container->workingMesh);
    if (device != nullptr) {
        device->Release();
    }
    if (skinInfo != nullptr) {
        container->pSkinInfo = skinInfo;
        skinInfo->AddRef();
        container->boneCount = skinInfo->GetNumBones();
        for (DWORD bone = 0; bone < container->boneCount; ++bone) {
            container->boneOffsets.push_back(*skinInfo->GetBoneOffsetMatrix(bone));
        }
        container->boneFrames.assign(container->boneCount, nullptr);
    }
    *newMeshContainer = container;
    return D3D_OK;
}

HRESULT CAllocateHierarchy::DestroyFrame(D3DXFRAME* frame) {
    if (frame == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    delete[] frame->Name;
    delete static_cast<SFrameEx*>(frame);
    return D3D_OK;
}

HRESULT CAllocateHierarchy::DestroyMeshContainer(D3DXMESHCONTAINER* meshContainer) {
    if (meshContainer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    auto* container = static_cast<SMeshContainerEx*>(meshContainer);
    if (container->MeshData.pMesh != nullptr) {
        container->MeshData.pMesh->Release();
    }
    if (container->workingMesh != nullptr) {
        container->workingMesh->Release();
    }
    if (container->pSkinInfo != nullptr) {
        container->pSkinInfo->Release();
    }
    delete[] container->Name;
    delete[] container->pAdjacency;
    delete container;
    return D3D_OK;
}

} // namespace gfx
} // namespace velm
