// libFuzzer target for .x files: the check and, for what it lets through, the mesh library and
// the hierarchy built from it on the null device; the animation is played a little and
// everything is freed. Nothing may crash, leak or ask for memory the file does not justify.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "null_device.h"
#include "platform/d3d9/d3dx9_anim.h"
#include "platform/d3d9/xfile_scanner.h"
#include "support/plain_allocator.h"

namespace {

class CAllocator : public tktest::CPlainAllocator {
public:
    HRESULT CreateMeshContainer(const char* name, const D3DXMESHDATA* data, const D3DXMATERIAL* materials,
                                const D3DXEFFECTINSTANCE* effects, DWORD numMaterials, const DWORD* adjacency,
                                ID3DXSkinInfo* skin, D3DXMESHCONTAINER** container) override {
        // Every material and texture name handed over is read, so a table shorter than its
        // count shows up.
        std::size_t seen = 0;
        for (DWORD i = 0; i < numMaterials; ++i) {
            seen += materials[i].pTextureFilename != nullptr ? std::strlen(materials[i].pTextureFilename) : 0;
            seen += materials[i].MatD3D.Diffuse.r > 0.5f ? 1 : 0;
        }
        m_seen += seen;
        return CPlainAllocator::CreateMeshContainer(name, data, materials, effects, numMaterials, adjacency, skin,
                                                    container);
    }

    volatile std::size_t m_seen = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string reason;
    const bool accepted = platform::d3d9::ScanXFile(reinterpret_cast<const char*>(data), size, &reason);
    if (!accepted) {
        return 0;
    }
    CAllocator allocator;
    D3DXFRAME* root = nullptr;
    ID3DXAnimationController* controller = nullptr;
    if (SUCCEEDED(D3DXLoadMeshHierarchyFromXInMemory(data, static_cast<DWORD>(size), D3DXMESH_MANAGED,
                                                     tk_fuzz::NullDevice(), &allocator, nullptr, &root, &controller))) {
        if (controller != nullptr) {
            controller->AdvanceTime(0.25, nullptr);
            controller->AdvanceTime(10.0, nullptr);
            controller->Release();
        }
        D3DXFrameDestroy(root, &allocator);
    }
    return 0;
}
