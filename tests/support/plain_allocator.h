// The simplest hierarchy allocator for loading .x files in tests and fuzz targets: frames and
// mesh containers as plain records, names copied, the mesh and skin held until destroyed. Derived
// allocators override a call to watch what the loader hands over, then pass it on here.
#pragma once

#include <cstdlib>
#include <cstring>

#include "platform/d3d9/d3dx9_anim.h"

namespace tktest {

class CPlainAllocator : public ID3DXAllocateHierarchy {
public:
    HRESULT CreateFrame(const char* name, D3DXFRAME** frame) override {
        auto* created = new D3DXFRAME();
        created->Name = name != nullptr ? strdup(name) : nullptr;
        *frame = created;
        return D3D_OK;
    }
    HRESULT CreateMeshContainer(const char* name, const D3DXMESHDATA* data, const D3DXMATERIAL*,
                                const D3DXEFFECTINSTANCE*, DWORD numMaterials, const DWORD*, ID3DXSkinInfo* skin,
                                D3DXMESHCONTAINER** container) override {
        auto* created = new D3DXMESHCONTAINER();
        created->Name = name != nullptr ? strdup(name) : nullptr;
        created->MeshData = *data;
        data->pMesh->AddRef();
        created->pSkinInfo = skin;
        if (skin != nullptr) {
            skin->AddRef();
        }
        created->NumMaterials = numMaterials;
        *container = created;
        return D3D_OK;
    }
    HRESULT DestroyFrame(D3DXFRAME* frame) override {
        std::free(frame->Name);
        delete frame;
        return D3D_OK;
    }
    HRESULT DestroyMeshContainer(D3DXMESHCONTAINER* container) override {
        std::free(container->Name);
        container->MeshData.pMesh->Release();
        if (container->pSkinInfo != nullptr) {
            container->pSkinInfo->Release();
        }
        delete container;
        return D3D_OK;
    }
};

} // namespace tktest
