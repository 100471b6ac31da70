// D3DX meshes (vertices and indices in device buffers, one attribute per face, any vertex
// declaration) with cloning, adjacency, in-place optimisation, normals and tangents; and skin
// information. Reference-counted objects; main thread only.
#pragma once

#include <string>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/d3dx9_math.h"

constexpr DWORD D3DXMESH_32BIT = 0x001;
constexpr DWORD D3DXMESH_SYSTEMMEM = 0x110;
constexpr DWORD D3DXMESH_MANAGED = 0x220;
constexpr DWORD D3DXMESH_WRITEONLY = 0x088;
constexpr DWORD D3DXMESH_DYNAMIC = 0x600;

constexpr DWORD D3DXMESHOPT_COMPACT = 0x01000000;
constexpr DWORD D3DXMESHOPT_ATTRSORT = 0x02000000;
constexpr DWORD D3DXMESHOPT_VERTEXCACHE = 0x04000000;

constexpr DWORD D3DXTANGENT_WRAP_UV = 0x03;

// Room for any declaration, its end marker included.
constexpr UINT MAX_FVF_DECL_SIZE = 65;
// Adjacency of an edge without a neighbour.
constexpr DWORD kD3DXNoNeighbour = 0xFFFFFFFFu;

struct D3DXATTRIBUTERANGE {
    DWORD AttribId;
    DWORD FaceStart;
    DWORD FaceCount;
    DWORD VertexStart;
    DWORD VertexCount;
};

class ID3DXMesh : public platform::d3d9::CRefCounted {
public:
    DWORD GetNumFaces() const { return m_numFaces; }
    DWORD GetNumVertices() const { return m_numVertices; }
    DWORD GetNumBytesPerVertex() const { return m_stride; }
    DWORD GetOptions() const { return m_options; }
    DWORD GetFVF() const { return 0; }
    HRESULT GetDeclaration(D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]) const;
    HRESULT GetDevice(IDirect3DDevice9** device);
    HRESULT GetVertexBuffer(IDirect3DVertexBuffer9** buffer);
    HRESULT GetIndexBuffer(IDirect3DIndexBuffer9** buffer);

    HRESULT LockVertexBuffer(DWORD flags, void** data);
    HRESULT UnlockVertexBuffer();
    HRESULT LockIndexBuffer(DWORD flags, void** data);
    HRESULT UnlockIndexBuffer();
    HRESULT LockAttributeBuffer(DWORD flags, DWORD** data);
    HRESULT UnlockAttributeBuffer();
    HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size) const;

    // Elements of the target declaration that the source lacks are zero.
    HRESULT CloneMesh(DWORD options, const D3DVERTEXELEMENT9* declaration, IDirect3DDevice9* device, ID3DXMesh** clone);
    // Three entries per face: the face across each edge, or kD3DXNoNeighbour. Vertices whose
    // positions lie within epsilon of each other count as one.
    HRESULT GenerateAdjacency(float epsilon, DWORD* adjacency);
    // The attribute sort is stable; compaction drops vertices no face uses and keeps the order
    // of the others. vertexRemap (numVertices entries before the call) receives, per new vertex,
    // its old index; faceRemap (numFaces entries) per new face its old one. Adjacency input is
    // not needed; adjacencyOut is rebuilt when given.
    HRESULT OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                            DWORD* vertexRemap);

    // The stand-in's own: byte offset of an element of the declaration, -1 when absent.
    int ElementOffset(BYTE usage, BYTE usageIndex, BYTE* type = nullptr) const;
    bool Uses32BitIndices() const { return (m_options & D3DXMESH_32BIT) != 0; }
    DWORD Index(DWORD face, DWORD corner) const;

    static HRESULT Create(DWORD numFaces, DWORD numVertices, DWORD options, const D3DVERTEXELEMENT9* declaration,
                          IDirect3DDevice9* device, ID3DXMesh** mesh);

private:
    ID3DXMesh() = default;
    ~ID3DXMesh() override;
    void RebuildAttributeTable();
    std::vector<std::uint8_t> ReadVertices() const;
    std::vector<DWORD> ReadIndices() const;
    void WriteVertices(const std::vector<std::uint8_t>& bytes);
    void WriteIndices(const std::vector<DWORD>& indices);

    IDirect3DDevice9* m_device = nullptr; // one reference
    DWORD m_options = 0;
    DWORD m_numFaces = 0;
    DWORD m_numVertices = 0;
    DWORD m_stride = 0;
    std::vector<D3DVERTEXELEMENT9> m_declaration; // without the end marker
    IDirect3DVertexBuffer9* m_vertices = nullptr;
    IDirect3DIndexBuffer9* m_indices = nullptr;
    std::vector<DWORD> m_attributes;
    std::vector<D3DXATTRIBUTERANGE> m_attributeTable;
};

using ID3DXBaseMesh = ID3DXMesh;

// Bones of a skinned mesh: a name, an offset matrix (model space to bone space) and the
// vertices each bone moves with their weights.
class ID3DXSkinInfo : public platform::d3d9::CRefCounted {
public:
    ID3DXSkinInfo(DWORD numVertices, DWORD numBones);

    DWORD GetNumBones() const { return static_cast<DWORD>(m_bones.size()); }
    DWORD GetNumVertices() const { return m_numVertices; }
    // Null for a bone out of range.
    const char* GetBoneName(DWORD bone) const;
    HRESULT SetBoneName(DWORD bone, const char* name);
    D3DXMATRIX* GetBoneOffsetMatrix(DWORD bone);
    HRESULT SetBoneOffsetMatrix(DWORD bone, const D3DXMATRIX* offset);
    DWORD GetNumBoneInfluences(DWORD bone) const;
    HRESULT GetBoneInfluence(DWORD bone, DWORD* vertices, float* weights) const;
    HRESULT SetBoneInfluence(DWORD bone, DWORD count, const DWORD* vertices, const float* weights);
    HRESULT GetMaxVertexInfluences(DWORD* maxInfluences) const;
    // vertexRemap[new] = old, as OptimizeInplace gives it; influences of dropped vertices go.
    HRESULT Remap(DWORD numVertices, const DWORD* vertexRemap);

private:
    struct SBone {
        std::string name;
        D3DXMATRIX offset;
        std::vector<DWORD> vertices;
        std::vector<float> weights;
    };
    DWORD m_numVertices;
    std::vector<SBone> m_bones;
};

HRESULT D3DXCreateMesh(DWORD numFaces, DWORD numVertices, DWORD options, const D3DVERTEXELEMENT9* declaration,
                       IDirect3DDevice9* device, ID3DXMesh** mesh);
HRESULT D3DXCreateSkinInfo(DWORD numVertices, const D3DVERTEXELEMENT9* declaration, DWORD numBones,
                           ID3DXSkinInfo** skinInfo);
// Vertex normals as the normalised sum of the area-weighted normals of the faces using them.
HRESULT D3DXComputeNormals(ID3DXBaseMesh* mesh, const DWORD* adjacency);
// Per-vertex tangents and binormals from the texture coordinates of the given stage; the mesh
// needs position, that texture coordinate and the tangent and/or binormal elements.
HRESULT D3DXComputeTangent(ID3DXMesh* mesh, DWORD texStage, DWORD tangentIndex, DWORD binormalIndex, DWORD wrap,
                           const DWORD* adjacency);
