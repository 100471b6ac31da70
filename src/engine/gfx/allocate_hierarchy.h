// velm::gfx::CAllocateHierarchy: the frame and mesh-container builder that .x loading calls. It
// makes SFrameEx and SMeshContainerEx records, names unnamed frames "<no_name>" + a counter that
// starts at 0 for each allocator, copies materials and adjacency, clones each mesh into the
// device's vertex declaration and keeps the skin's bone offsets. Main thread only.
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
