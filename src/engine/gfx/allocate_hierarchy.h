// velm::gfx::CAllocateHierarchy: builds and frees the SFrameEx and SMeshContainerEx records of
// .x loading; unnamed frames are "<no_name>" + a counter from 0 per allocator. Main thread only.
#pragma once

#include <cstdint>

#include "engine/gfx/mesh_hierarchy.h"

namespace velm {
namespace gfx {

class CAllocateHierarchy : public ID3DXAllocateHierarchy {
public:
    HRESULT CreateFrame(const char* name, D3DXFRAME** newFrame) override;
    HRESULT CreateMeshContainer(const char* name, const D3DXMESHDATA* meshData, const D3DXMATERIAL* materials,
                                const D3DXEFFECTINSTANCE* effectInstances, DWORD numMaterials, const DWORD* adjacency,
                                ID3DXSkinInfo* skinInfo, D3DXMESHCONTAINER** newMeshContainer) override;
    HRESULT DestroyFrame(D3DXFRAME* frame) override;
    HRESULT DestroyMeshContainer(D3DXMESHCONTAINER* meshContainer) override;

    // Names are owned as new char[]; DestroyFrame and DestroyMeshContainer free them.
    static char* CopyName(const char* name);

private:
    std::uint32_t m_unnamedFrames = 0;
};

} // namespace gfx
} // namespace velm
