// velm::gfx::CMeshHierarchy: a .x model as a frame hierarchy with one chosen mesh container,
// system-memory geometry and CPU skinning; it owns its frames and containers until Release.
// Units sharing one hierarchy skin into their own copies through Update(own). Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "libs/common/vector3.h"
#include "platform/d3d9/d3dx9_anim.h"

namespace velm {
namespace gfx {

class CAnimationController;

// The engine's 60-byte vertex.
struct SMeshVertex {
    D3DXVECTOR3 position;
    D3DXVECTOR3 normal;
    float u;
    float v;
    D3DXVECTOR3 tangent;
    D3DXVECTOR3 binormal;
    D3DCOLOR colour;
};
static_assert(sizeof(SMeshVertex) == 60, "the engine vertex is 60 bytes");

// A material laid out as D3DXMATERIAL.
struct SMeshMaterial : D3DXMATERIAL {
    SMeshMaterial();
    explicit SMeshMaterial(const D3DCOLORVALUE& colour);
};
static_assert(sizeof(SMeshMaterial) == sizeof(D3DXMATERIAL), "laid out as D3DXMATERIAL");

struct SFrameEx : D3DXFRAME {
    D3DXMATRIX CombinedTransformationMatrix; // the frame in model space
};

struct SMeshContainerEx : D3DXMESHCONTAINER {
    std::vector<SMeshMaterial> materials;      // at least one
    ID3DXMesh* workingMesh = nullptr;          // the mesh in the device's declaration, one reference
    std::vector<D3DXMATRIX> boneOffsets;       // per bone
    std::vector<const D3DXMATRIX*> boneFrames; // per bone: the frame's combined matrix, null when no frame has the name
    std::vector<std::string> boneNames;
    std::uint32_t boneCount = 0;
    std::vector<SMeshVertex> sourceVertices;
    std::vector<SMeshVertex> skinnedVertices;
    std::vector<std::uint16_t> indices;
};

class CMeshHierarchy {
public:
    CMeshHierarchy() = default;
    ~CMeshHierarchy();
    CMeshHierarchy(const CMeshHierarchy&) = delete;
    CMeshHierarchy& operator=(const CMeshHierarchy&) = delete;

    // Loads through the graphics core's device; the controller (may be null, stays the caller's)
    // receives the file's animation controller. A missing or unreadable file, a file without a mesh, or one
    // whose geometry 16-bit indices cannot hold is logged and refused: nothing stays loaded.
    HRESULT Load(const std::string& path, DWORD options, CAnimationController* controller);
    // Frame matrices, then skinning into the container's skinned copy.
    void Update() { Update(nullptr); }
    // Frame matrices, then skinning into own (filled from the source copy when its size differs).
    void Update(std::vector<SMeshVertex>* own);
    // "root" gives the root frame's; null for a name the hierarchy lacks or when nothing is loaded.
    D3DXMATRIX* GetFrameMatrix(const std::string& name) const;
    void Release();

    bool IsLoaded() const { return m_rootFrame != nullptr; }
    SFrameEx* GetRootFrame() const { return m_rootFrame; }
    SMeshContainerEx* GetMeshContainer() const { return m_meshContainer; }
    std::uint32_t GetBoneCount() const { return m_boneCount; }
    const D3DXMATRIX& GetBoneMatrix(std::uint32_t bone) const { return m_boneMatrices[bone].matrix; }
    const common::CVector3& GetBoundingSphereCentre() const { return m_sphereCentre; }
    float GetBoundingSphereRadius() const { return m_sphereRadius; }
    DWORD GetLoadOptions() const { return m_loadOptions; }
    // How many times vertices have been skinned, the frame's largest processor cost per racer.
    std::uint64_t GetSkinningCount() const { return m_skinnings; }

private:
    struct alignas(16) SBoneMatrix {
        D3DXMATRIX matrix;
    };

    static void UpdateFrameMatrices(SFrameEx* frame, const D3DXMATRIX* parent);
    void ChooseContainer(SFrameEx* frame, const std::string& path);
    void PrepareSkinnedContainer(SMeshContainerEx* container, const std::string& path);
    bool CopyGeometry(const std::string& path);
    void Skin(std::vector<SMeshVertex>* target);

    std::vector<SBoneMatrix> m_boneMatrices;
    std::uint32_t m_boneCount = 0;
    SMeshContainerEx* m_meshContainer = nullptr;
    DWORD m_loadOptions = 0;
    SFrameEx* m_rootFrame = nullptr;
    std::string m_rootFileName; // the root frame's name in the file, before it became "root"
    common::CVector3 m_sphereCentre;
    float m_sphereRadius = 0.0f;
    std::vector<DWORD> m_influenceVertices;
    std::vector<float> m_influenceWeights;
    std::uint64_t m_skinnings = 0;
};

} // namespace gfx
} // namespace velm
