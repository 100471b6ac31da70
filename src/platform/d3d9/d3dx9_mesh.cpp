#include "platform/d3d9/d3dx9_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <numeric>
#include <tuple>
#include <unordered_map>

namespace {

UINT ElementSize(BYTE type) {
    switch (type) {
        case D3DDECLTYPE_FLOAT1:
            return 4;
        case D3DDECLTYPE_FLOAT2:
            return 8;
        case D3DDECLTYPE_FLOAT3:
            return 12;
        case D3DDECLTYPE_FLOAT4:
            return 16;
        case D3DDECLTYPE_D3DCOLOR:
            return 4;
        default:
            return 0;
    }
}

std::vector<D3DVERTEXELEMENT9> ReadDeclaration(const D3DVERTEXELEMENT9* declaration) {
    std::vector<D3DVERTEXELEMENT9> elements;
    for (const D3DVERTEXELEMENT9* element = declaration; element->Stream != 0xFF; ++element) {
        elements.push_back(*element);
    }
    return elements;
}

D3DXVECTOR3 ReadVector(const std::uint8_t* vertex, int offset) {
    D3DXVECTOR3 v;
    std::memcpy(&v, vertex + offset, sizeof(v));
    return v;
}

void WriteVector(std::uint8_t* vertex, int offset, const D3DXVECTOR3& v) {
    std::memcpy(vertex + offset, &v, sizeof(v));
}

// Converts between float element widths; colours copy as bytes.
void ConvertElement(const std::uint8_t* source, BYTE sourceType, std::uint8_t* target, BYTE targetType) {
    if (sourceType == D3DDECLTYPE_D3DCOLOR || targetType == D3DDECLTYPE_D3DCOLOR) {
        if (sourceType == targetType) {
            std::memcpy(target, source, 4);
        }
        return;
    }
    const UINT sourceFloats = ElementSize(sourceType) / 4;
    const UINT targetFloats = ElementSize(targetType) / 4;
    for (UINT i = 0; i < targetFloats; ++i) {
        float value = 0.0f;
        if (i < sourceFloats) {
            std::memcpy(&value, source + i * 4, 4);
        }
        std::memcpy(target + i * 4, &value, 4);
    }
}

} // namespace

HRESULT ID3DXMesh::Create(DWORD numFaces, DWORD numVertices, DWORD options, const D3DVERTEXELEMENT9* declaration,
                          IDirect3DDevice9* device, ID3DXMesh** mesh) {
    if (mesh == nullptr || device == nullptr || declaration == nullptr || numFaces == 0 || numVertices == 0) {
        return D3DERR_INVALIDCALL;
    }
    if ((options & D3DXMESH_32BIT) == 0 && numVertices > 0x10000) {
        return D3DERR_INVALIDCALL;
    }
    auto* created = new ID3DXMesh();
    created->m_device = device;
    device->AddRef();
    created->m_options = options;
    created->m_numFaces = numFaces;
    created->m_numVertices = numVertices;
    created->m_declaration = ReadDeclaration(declaration);
    for (const D3DVERTEXELEMENT9& element : created->m_declaration) {
        created->m_stride = std::max<DWORD>(created->m_stride, element.Offset + ElementSize(element.Type));
    }
    // Everything lives in memory anyway; managed keeps the device resettable.
    const D3DPOOL pool = (options & D3DXMESH_SYSTEMMEM) == D3DXMESH_SYSTEMMEM ? D3DPOOL_SYSTEMMEM : D3DPOOL_MANAGED;
    const bool wide = (options & D3DXMESH_32BIT) != 0;
    if (created->m_stride == 0 ||
        FAILED(
            device->CreateVertexBuffer(numVertices * created->m_stride, 0, 0, pool, &created->m_vertices, nullptr)) ||
        FAILED(device->CreateIndexBuffer(numFaces * 3 * (wide ? 4 : 2), 0, wide ? D3DFMT_INDEX32 : D3DFMT_INDEX16, pool,
                                         &created->m_indices, nullptr))) {
        created->Release();
        return D3DERR_INVALIDCALL;
    }
    created->m_attributes.assign(numFaces, 0);
    created->RebuildAttributeTable();
    *mesh = created;
    return D3D_OK;
}

ID3DXMesh::~ID3DXMesh() {
    if (m_vertices != nullptr) {
        m_vertices->Release();
    }
    if (m_indices != nullptr) {
        m_indices->Release();
    }
    if (m_device != nullptr) {
        m_device->Release();
    }
}

namespace {

// Gives the caller its own reference, as the getters of Direct3D objects do.
template <typename T>
HRESULT HandOutReference(T* object, T** out) {
    if (out == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    object->AddRef();
    *out = object;
    return D3D_OK;
}

} // namespace

HRESULT ID3DXMesh::GetDeclaration(D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]) const {
    if (declaration == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    std::copy(m_declaration.begin(), m_declaration.end(), declaration);
    declaration[m_declaration.size()] = D3DDECL_END();
    return D3D_OK;
}

HRESULT ID3DXMesh::GetDevice(IDirect3DDevice9** device) { return HandOutReference(m_device, device); }

HRESULT ID3DXMesh::GetVertexBuffer(IDirect3DVertexBuffer9** buffer) { return HandOutReference(m_vertices, buffer); }

HRESULT ID3DXMesh::GetIndexBuffer(IDirect3DIndexBuffer9** buffer) { return HandOutReference(m_indices, buffer); }

HRESULT ID3DXMesh::LockVertexBuffer(DWORD flags, void** data) { return m_vertices->Lock(0, 0, data, flags); }
HRESULT ID3DXMesh::UnlockVertexBuffer() { return m_vertices->Unlock(); }
HRESULT ID3DXMesh::LockIndexBuffer(DWORD flags, void** data) { return m_indices->Lock(0, 0, data, flags); }
HRESULT ID3DXMesh::UnlockIndexBuffer() { return m_indices->Unlock(); }

HRESULT ID3DXMesh::LockAttributeBuffer(DWORD, DWORD** data) {
    if (data == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *data = m_attributes.data();
    return D3D_OK;
}

HRESULT ID3DXMesh::UnlockAttributeBuffer() {
    RebuildAttributeTable();
    return D3D_OK;
}

HRESULT ID3DXMesh::GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size) const {
    if (size == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (table != nullptr) {
        std::copy(m_attributeTable.begin(), m_attributeTable.end(), table);
    }
    *size = static_cast<DWORD>(m_attributeTable.size());
    return D3D_OK;
}

void ID3DXMesh::RebuildAttributeTable() {
    m_attributeTable.clear();
    const std::vector<DWORD> indices = ReadIndices();
    for (DWORD face = 0; face < m_numFaces; ++face) {
        if (m_attributeTable.empty() || m_attributeTable.back().AttribId != m_attributes[face]) {
            m_attributeTable.push_back({m_attributes[face], face, 0, 0, 0});
        }
        ++m_attributeTable.back().FaceCount;
    }
    for (D3DXATTRIBUTERANGE& range : m_attributeTable) {
        DWORD low = 0xFFFFFFFFu;
        DWORD high = 0;
        for (DWORD i = range.FaceStart * 3; i < (range.FaceStart + range.FaceCount) * 3 && i < indices.size(); ++i) {
            low = std::min(low, indices[i]);
            high = std::max(high, indices[i]);
        }
        range.VertexStart = low == 0xFFFFFFFFu ? 0 : low;
        range.VertexCount = low == 0xFFFFFFFFu ? 0 : high - low + 1;
    }
}

int ID3DXMesh::ElementOffset(BYTE usage, BYTE usageIndex, BYTE* type) const {
    for (const D3DVERTEXELEMENT9& element : m_declaration) {
        if (element.Usage == usage && element.UsageIndex == usageIndex) {
            if (type != nullptr) {
                *type = element.Type;
            }
            return element.Offset;
        }
    }
    return -1;
}

std::vector<std::uint8_t> ID3DXMesh::ReadVertices() const {
    return std::vector<std::uint8_t>(
        m_vertices->Bytes().begin(),
        m_vertices->Bytes().begin() + static_cast<std::ptrdiff_t>(m_numVertices * m_stride));
}

std::vector<DWORD> ID3DXMesh::ReadIndices() const {
    std::vector<DWORD> indices(static_cast<std::size_t>(m_numFaces) * 3);
    const std::uint8_t* bytes = m_indices->Bytes().data();
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (Uses32BitIndices()) {
            std::memcpy(&indices[i], bytes + i * 4, 4);
        } else {
            std::uint16_t small = 0;
            std::memcpy(&small, bytes + i * 2, 2);
            indices[i] = small;
        }
    }
    return indices;
}

DWORD ID3DXMesh::Index(DWORD face, DWORD corner) const {
    const std::uint8_t* bytes = m_indices->Bytes().data();
    const std::size_t at = static_cast<std::size_t>(face) * 3 + corner;
    if (Uses32BitIndices()) {
        DWORD value = 0;
        std::memcpy(&value, bytes + at * 4, 4);
        return value;
    }
    std::uint16_t value = 0;
    std::memcpy(&value, bytes + at * 2, 2);
    return value;
}

void ID3DXMesh::WriteVertices(const std::vector<std::uint8_t>& bytes) {
    void* data = nullptr;
    if (SUCCEEDED(m_vertices->Lock(0, 0, &data, 0))) {
        std::memcpy(data, bytes.data(), std::min<std::size_t>(bytes.size(), m_vertices->Bytes().size()));
        m_vertices->Unlock();
    }
}

void ID3DXMesh::WriteIndices(const std::vector<DWORD>& indices) {
    void* data = nullptr;
    if (FAILED(m_indices->Lock(0, 0, &data, 0))) {
        return;
    }
    auto* bytes = static_cast<std::uint8_t*>(data);
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (Uses32BitIndices()) {
            std::memcpy(bytes + i * 4, &indices[i], 4);
        } else {
            const auto small = static_cast<std::uint16_t>(indices[i]);
            std::memcpy(bytes + i * 2, &small, 2);
        }
    }
    m_indices->Unlock();
}

HRESULT ID3DXMesh::CloneMesh(DWORD options, const D3DVERTEXELEMENT9* declaration, IDirect3DDevice9* device,
                             ID3DXMesh** clone) {
    ID3DXMesh* created = nullptr;
    const HRESULT result =
        Create(m_numFaces, m_numVertices, options, declaration, device != nullptr ? device : m_device, &created);
    if (FAILED(result)) {
        return result;
    }
    const std::vector<std::uint8_t> source = ReadVertices();
    std::vector<std::uint8_t> target(static_cast<std::size_t>(m_numVertices) * created->m_stride, 0);
    for (const D3DVERTEXELEMENT9& element : created->m_declaration) {
        BYTE sourceType = 0;
        const int sourceOffset = ElementOffset(element.Usage, element.UsageIndex, &sourceType);
        if (sourceOffset < 0) {
            continue;
        }
        for (DWORD v = 0; v < m_numVertices; ++v) {
            ConvertElement(&source[v * m_stride + static_cast<DWORD>(sourceOffset)], sourceType,
                           &target[v * created->m_stride + element.Offset], element.Type);
        }
    }
    created->WriteVertices(target);
    created->WriteIndices(ReadIndices());
    created->m_attributes = m_attributes;
    created->RebuildAttributeTable();
    *clone = created;
    return D3D_OK;
}

HRESULT ID3DXMesh::GenerateAdjacency(float epsilon, DWORD* adjacency) {
    if (adjacency == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const int position = ElementOffset(D3DDECLUSAGE_POSITION, 0);
    const std::vector<std::uint8_t> vertices = ReadVertices();
    const std::vector<DWORD> indices = ReadIndices();
    // Each vertex stands for the first one at (nearly) its position.
    std::vector<DWORD> canonical(m_numVertices);
    std::map<std::tuple<float, float, float>, DWORD> exact;
    for (DWORD v = 0; v < m_numVertices; ++v) {
        canonical[v] = v;
        if (position < 0) {
            continue;
        }
        const D3DXVECTOR3 p = ReadVector(&vertices[v * m_stride], position);
        if (epsilon <= 0.0f) {
            canonical[v] = exact.emplace(std::make_tuple(p.x, p.y, p.z), v).first->second;
            continue;
        }
        for (DWORD w = 0; w < v; ++w) {
            const D3DXVECTOR3 q = ReadVector(&vertices[w * m_stride], position);
            if (std::fabs(p.x - q.x) <= epsilon && std::fabs(p.y - q.y) <= epsilon && std::fabs(p.z - q.z) <= epsilon) {
                canonical[v] = canonical[w];
                break;
            }
        }
    }
    std::map<std::pair<DWORD, DWORD>, DWORD> edges;
    for (DWORD face = 0; face < m_numFaces; ++face) {
        for (DWORD corner = 0; corner < 3; ++corner) {
            const DWORD a = canonical[indices[face * 3 + corner]];
            const DWORD b = canonical[indices[face * 3 + (corner + 1) % 3]];
            edges.emplace(std::make_pair(a, b), face);
        }
    }
    for (DWORD face = 0; face < m_numFaces; ++face) {
        for (DWORD corner = 0; corner < 3; ++corner) {
            const DWORD a = canonical[indices[face * 3 + corner]];
            const DWORD b = canonical[indices[face * 3 + (corner + 1) % 3]];
            const auto found = edges.find(std::make_pair(b, a));
            adjacency[face * 3 + corner] =
                found != edges.end() && found->second != face ? found->second : kD3DXNoNeighbour;
        }
    }
    return D3D_OK;
}

HRESULT ID3DXMesh::OptimizeInplace(DWORD flags, const DWORD*, DWORD* adjacencyOut, DWORD* faceRemap,
                                   DWORD* vertexRemap) {
    std::vector<DWORD> faces(m_numFaces);
    std::iota(faces.begin(), faces.end(), 0);
    if (flags & D3DXMESHOPT_ATTRSORT) {
        std::stable_sort(faces.begin(), faces.end(),
                         [this](DWORD a, DWORD b) { return m_attributes[a] < m_attributes[b]; });
    }
    const std::vector<DWORD> oldIndices = ReadIndices();
    std::vector<DWORD> indices(oldIndices.size());
    std::vector<DWORD> attributes(m_numFaces);
    for (DWORD face = 0; face < m_numFaces; ++face) {
        for (DWORD corner = 0; corner < 3; ++corner) {
            indices[face * 3 + corner] = oldIndices[faces[face] * 3 + corner];
        }
        attributes[face] = m_attributes[faces[face]];
    }
    std::vector<DWORD> kept(m_numVertices);
    std::iota(kept.begin(), kept.end(), 0);
    if (flags & D3DXMESHOPT_COMPACT) {
        std::vector<bool> used(m_numVertices, false);
        for (const DWORD index : indices) {
            used[index] = true;
        }
        kept.clear();
        std::vector<DWORD> newIndex(m_numVertices, 0);
        for (DWORD v = 0; v < m_numVertices; ++v) {
            if (used[v]) {
                newIndex[v] = static_cast<DWORD>(kept.size());
                kept.push_back(v);
            }
        }
        for (DWORD& index : indices) {
            index = newIndex[index];
        }
        if (kept.size() != m_numVertices && !kept.empty()) {
            const std::vector<std::uint8_t> oldVertices = ReadVertices();
            std::vector<std::uint8_t> vertices(kept.size() * m_stride);
            for (std::size_t v = 0; v < kept.size(); ++v) {
                std::memcpy(&vertices[v * m_stride], &oldVertices[kept[v] * m_stride], m_stride);
            }
            m_numVertices = static_cast<DWORD>(kept.size());
            WriteVertices(vertices);
        }
    }
    WriteIndices(indices);
    m_attributes = attributes;
    RebuildAttributeTable();
    if (faceRemap != nullptr) {
        std::copy(faces.begin(), faces.end(), faceRemap);
    }
    if (vertexRemap != nullptr) {
        std::copy(kept.begin(), kept.end(), vertexRemap);
    }
    if (adjacencyOut != nullptr) {
        GenerateAdjacency(0.0f, adjacencyOut);
    }
    return D3D_OK;
}

ID3DXSkinInfo::ID3DXSkinInfo(DWORD numVertices, DWORD numBones) : m_numVertices(numVertices), m_bones(numBones) {
    for (SBone& bone : m_bones) {
        D3DXMatrixIdentity(&bone.offset);
    }
}

const char* ID3DXSkinInfo::GetBoneName(DWORD bone) const {
    return bone < m_bones.size() ? m_bones[bone].name.c_str() : nullptr;
}

HRESULT ID3DXSkinInfo::SetBoneName(DWORD bone, const char* name) {
    if (bone >= m_bones.size() || name == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    m_bones[bone].name = name;
    return D3D_OK;
}

D3DXMATRIX* ID3DXSkinInfo::GetBoneOffsetMatrix(DWORD bone) {
    return bone < m_bones.size() ? &m_bones[bone].offset : nullptr;
}

HRESULT ID3DXSkinInfo::SetBoneOffsetMatrix(DWORD bone, const D3DXMATRIX* offset) {
    if (bone >= m_bones.size() || offset == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    m_bones[bone].offset = *offset;
    return D3D_OK;
}

DWORD ID3DXSkinInfo::GetNumBoneInfluences(DWORD bone) const {
    return bone < m_bones.size() ? static_cast<DWORD>(m_bones[bone].vertices.size()) : 0;
}

HRESULT ID3DXSkinInfo::GetBoneInfluence(DWORD bone, DWORD* vertices, float* weights) const {
    if (bone >= m_bones.size() || vertices == nullptr || weights == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    std::copy(m_bones[bone].vertices.begin(), m_bones[bone].vertices.end(), vertices);
    std::copy(m_bones[bone].weights.begin(), m_bones[bone].weights.end(), weights);
    return D3D_OK;
}

HRESULT ID3DXSkinInfo::SetBoneInfluence(DWORD bone, DWORD count, const DWORD* vertices, const float* weights) {
    if (bone >= m_bones.size() || (count > 0 && (vertices == nullptr || weights == nullptr))) {
        return D3DERR_INVALIDCALL;
    }
    for (DWORD i = 0; i < count; ++i) {
        if (vertices[i] >= m_numVertices) {
            return D3DERR_INVALIDCALL;
        }
    }
    m_bones[bone].vertices.assign(vertices, vertices + count);
    m_bones[bone].weights.assign(weights, weights + count);
    return D3D_OK;
}

HRESULT ID3DXSkinInfo::GetMaxVertexInfluences(DWORD* maxInfluences) const {
    if (maxInfluences == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    std::vector<DWORD> counts(m_numVertices, 0);
    for (const SBone& bone : m_bones) {
        for (const DWORD v : bone.vertices) {
            ++counts[v];
        }
    }
    *maxInfluences = counts.empty() ? 0 : *std::max_element(counts.begin(), counts.end());
    return D3D_OK;
}

HRESULT ID3DXSkinInfo::Remap(DWORD numVertices, const DWORD* vertexRemap) {
    if (vertexRemap == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    std::unordered_map<DWORD, DWORD> newIndex;
    for (DWORD v = 0; v < numVertices; ++v) {
        newIndex.emplace(vertexRemap[v], v);
    }
    for (SBone& bone : m_bones) {
        std::vector<DWORD> vertices;
        std::vector<float> weights;
        for (std::size_t i = 0; i < bone.vertices.size(); ++i) {
            const auto found = newIndex.find(bone.vertices[i]);
            if (found != newIndex.end()) {
                vertices.push_back(found->second);
                weights.push_back(bone.weights[i]);
            }
        }
        bone.vertices = std::move(vertices);
        bone.weights = std::move(weights);
    }
    m_numVertices = numVertices;
    return D3D_OK;
}

HRESULT D3DXCreateMesh(DWORD numFaces, DWORD numVertices, DWORD options, const D3DVERTEXELEMENT9* declaration,
                       IDirect3DDevice9* device, ID3DXMesh** mesh) {
    return ID3DXMesh::Create(numFaces, numVertices, options, declaration, device, mesh);
}

HRESULT D3DXCreateSkinInfo(DWORD numVertices, const D3DVERTEXELEMENT9*, DWORD numBones, ID3DXSkinInfo** skinInfo) {
    if (skinInfo == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *skinInfo = new ID3DXSkinInfo(numVertices, numBones);
    return D3D_OK;
}

HRESULT D3DXComputeNormals(ID3DXBaseMesh* mesh, const DWORD*) {
    if (mesh == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const int position = mesh->ElementOffset(D3DDECLUSAGE_POSITION, 0);
    const int normal = mesh->ElementOffset(D3DDECLUSAGE_NORMAL, 0);
    if (position < 0 || normal < 0) {
        return D3DERR_INVALIDCALL;
    }
    void* data = nullptr;
    if (FAILED(mesh->LockVertexBuffer(0, &data))) {
        return D3DERR_INVALIDCALL;
    }
    auto* bytes = static_cast<std::uint8_t*>(data);
    const DWORD stride = mesh->GetNumBytesPerVertex();
    std::vector<D3DXVECTOR3> sums(mesh->GetNumVertices());
    for (DWORD face = 0; face < mesh->GetNumFaces(); ++face) {
        const DWORD i0 = mesh->Index(face, 0);
        const DWORD i1 = mesh->Index(face, 1);
        const DWORD i2 = mesh->Index(face, 2);
        const D3DXVECTOR3 p0 = ReadVector(bytes + i0 * stride, position);
        const D3DXVECTOR3 e1 = ReadVector(bytes + i1 * stride, position) - p0;
        const D3DXVECTOR3 e2 = ReadVector(bytes + i2 * stride, position) - p0;
        D3DXVECTOR3 n;
        D3DXVec3Cross(&n, &e1, &e2);
        sums[i0] += n;
        sums[i1] += n;
        sums[i2] += n;
    }
    for (DWORD v = 0; v < mesh->GetNumVertices(); ++v) {
        D3DXVec3Normalize(&sums[v], &sums[v]);
        WriteVector(bytes + v * stride, normal, sums[v]);
    }
    mesh->UnlockVertexBuffer();
    return D3D_OK;
}

HRESULT D3DXComputeTangent(ID3DXMesh* mesh, DWORD texStage, DWORD tangentIndex, DWORD binormalIndex, DWORD,
                           const DWORD*) {
    if (mesh == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const int position = mesh->ElementOffset(D3DDECLUSAGE_POSITION, 0);
    const int texture = mesh->ElementOffset(D3DDECLUSAGE_TEXCOORD, static_cast<BYTE>(texStage));
    const int tangent = mesh->ElementOffset(D3DDECLUSAGE_TANGENT, static_cast<BYTE>(tangentIndex));
    const int binormal = mesh->ElementOffset(D3DDECLUSAGE_BINORMAL, static_cast<BYTE>(binormalIndex));
    const int normal = mesh->ElementOffset(D3DDECLUSAGE_NORMAL, 0);
    if (position < 0 || texture < 0 || (tangent < 0 && binormal < 0)) {
        return D3DERR_INVALIDCALL;
    }
    void* data = nullptr;
    if (FAILED(mesh->LockVertexBuffer(0, &data))) {
        return D3DERR_INVALIDCALL;
    }
    auto* bytes = static_cast<std::uint8_t*>(data);
    const DWORD stride = mesh->GetNumBytesPerVertex();
    std::vector<D3DXVECTOR3> tangents(mesh->GetNumVertices());
    std::vector<D3DXVECTOR3> binormals(mesh->GetNumVertices());
    auto uv = [&](DWORD v) {
        float st[2];
        std::memcpy(st, bytes + v * stride + texture, sizeof(st));
        return D3DXVECTOR2(st[0], st[1]);
    };
    for (DWORD face = 0; face < mesh->GetNumFaces(); ++face) {
        const DWORD i[3] = {mesh->Index(face, 0), mesh->Index(face, 1), mesh->Index(face, 2)};
        const D3DXVECTOR3 p0 = ReadVector(bytes + i[0] * stride, position);
        const D3DXVECTOR3 e1 = ReadVector(bytes + i[1] * stride, position) - p0;
        const D3DXVECTOR3 e2 = ReadVector(bytes + i[2] * stride, position) - p0;
        const D3DXVECTOR2 d1 = uv(i[1]) - uv(i[0]);
        const D3DXVECTOR2 d2 = uv(i[2]) - uv(i[0]);
        const float det = d1.x * d2.y - d2.x * d1.y;
        if (std::fabs(det) < 1e-12f) {
            continue;
        }
        const float r = 1.0f / det;
        const D3DXVECTOR3 t = (e1 * d2.y - e2 * d1.y) * r;
        const D3DXVECTOR3 b = (e2 * d1.x - e1 * d2.x) * r;
        for (const DWORD v : i) {
            tangents[v] += t;
            binormals[v] += b;
        }
    }
    for (DWORD v = 0; v < mesh->GetNumVertices(); ++v) {
        D3DXVECTOR3 t = tangents[v];
        if (normal >= 0) {
            // Orthogonal to the normal, so that the frame is usable for normal mapping.
            const D3DXVECTOR3 n = ReadVector(bytes + v * stride, normal);
            t -= n * D3DXVec3Dot(&n, &t);
        }
        D3DXVec3Normalize(&t, &t);
        D3DXVECTOR3 b = binormals[v];
        D3DXVec3Normalize(&b, &b);
        if (tangent >= 0) {
            WriteVector(bytes + v * stride, tangent, t);
        }
        if (binormal >= 0) {
            WriteVector(bytes + v * stride, binormal, b);
        }
    }
    mesh->UnlockVertexBuffer();
    return D3D_OK;
}
