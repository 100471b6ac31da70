#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/Importer.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/d3d9/d3dx9_anim.h"
#include "platform/d3d9/d3dx9_effect.h"
#include "platform/d3d9/xfile_scanner.h"
#include "platform/win32/file_path.h"
#include "platform/win32/file_read.h"

// .x files through Assimp. Assimp splits a mesh into one piece per material; the pieces of one
// file mesh sit next to each other under their frame with the mesh's name, and are joined back
// into one mesh with one attribute per material and one bone list. Assimp matrices are column
// form and are transposed into the row form the callers use.

namespace {

constexpr unsigned kImportFlags =
    aiProcess_ConvertToLeftHanded | aiProcess_Triangulate | aiProcess_JoinIdenticalVertices;
constexpr UINT kMaxTracks = 2;
constexpr UINT kMaxEvents = 30;
constexpr double kDefaultTicksPerSecond = 4800.0;

const D3DVERTEXELEMENT9 kFileDeclaration[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
    {0, 24, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END(),
};
// For meshes whose file gives vertex colours; the others keep the plain form above.
const D3DVERTEXELEMENT9 kColouredFileDeclaration[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
    {0, 24, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    {0, 32, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    D3DDECL_END(),
};

struct SFileVertex {
    float position[3];
    float normal[3];
    float uv[2];
    D3DCOLOR colour; // written only in the coloured form
};
constexpr std::size_t kPlainVertexBytes = 32;
constexpr std::size_t kColouredVertexBytes = 36;
static_assert(sizeof(SFileVertex) == kColouredVertexBytes, "the coloured form is the whole record");
// Vertices of a piece without colours in a coloured mesh, as Direct3D takes a missing colour.
constexpr D3DCOLOR kNoColour = 0xFFFFFFFFu;

DWORD ColourByte(float channel) {
    return static_cast<DWORD>(std::lround(std::clamp(std::isnan(channel) ? 0.0f : channel, 0.0f, 1.0f) * 255.0f));
}

D3DCOLOR Argb(const aiColor4D& c) {
    return (ColourByte(c.a) << 24) | (ColourByte(c.r) << 16) | (ColourByte(c.g) << 8) | ColourByte(c.b);
}

D3DXMATRIX RowForm(const aiMatrix4x4& m) {
    return D3DXMATRIX(m.a1, m.b1, m.c1, m.d1, m.a2, m.b2, m.c2, m.d2, m.a3, m.b3, m.c3, m.d3, m.a4, m.b4, m.c4, m.d4);
}

D3DCOLORVALUE Colour(const aiMaterial* material, const char* key, unsigned type, unsigned index, float alpha) {
    aiColor4D colour(0.0f, 0.0f, 0.0f, alpha);
    material->Get(key, type, index, colour);
    return D3DCOLORVALUE{colour.r, colour.g, colour.b, colour.a};
}

// Assimp gives a mesh without a material list an unnamed grey material; that is no material.
bool IsAssimpDefault(const aiMaterial* material, const D3DCOLORVALUE& diffuse) {
    aiString name;
    const bool named = material->Get(AI_MATKEY_NAME, name) == aiReturn_SUCCESS && name.length > 0;
    return !named && diffuse.r == 0.5f && diffuse.g == 0.5f && diffuse.b == 0.5f && diffuse.a == 1.0f;
}

class CLoader {
public:
    CLoader(const std::string& path, DWORD options, IDirect3DDevice9* device, ID3DXAllocateHierarchy* allocator)
        : m_path(path), m_options(options), m_device(device), m_allocator(allocator) {}

    HRESULT LoadFile(D3DXFRAME** root, ID3DXAnimationController** controller) {
        std::string bytes;
        std::string error;
        if (!platform::ReadWholeFile(m_path, platform::kMostArtFileBytes, bytes, error)) {
            return Fail(error);
        }
        return Load(bytes.data(), bytes.size(), root, controller);
    }

    // Assimp reads the very bytes that were checked.
    HRESULT Load(const char* data, std::size_t size, D3DXFRAME** root, ID3DXAnimationController** controller) {
        std::string reason;
        if (!platform::d3d9::ScanXFile(data, size, &reason)) {
            return Fail("not a readable .x file: " + reason);
        }
        const aiScene* scene = m_importer.ReadFileFromMemory(data, size, kImportFlags, "x");
        if (scene == nullptr || scene->mRootNode == nullptr) {
            return Fail(std::string("not a readable .x file: ") + m_importer.GetErrorString());
        }
        m_scene = scene;
        D3DXFRAME* frames = nullptr;
        const HRESULT result = BuildFrame(scene->mRootNode, &frames);
        if (FAILED(result)) {
            if (frames != nullptr) {
                D3DXFrameDestroy(frames, m_allocator);
            }
            return result;
        }
        *root = frames;
        if (controller != nullptr) {
            *controller = BuildController(frames);
        }
        return D3D_OK;
    }

private:
    HRESULT Fail(const std::string& why) const {
        std::fprintf(stderr, "D3DXLoadMeshHierarchyFromX: %s: %s\n", m_path.c_str(), why.c_str());
        return D3DXERR_INVALIDDATA;
    }

    HRESULT BuildFrame(const aiNode* node, D3DXFRAME** out) {
        const char* name = node->mName.length > 0 ? node->mName.C_Str() : nullptr;
        D3DXFRAME* frame = nullptr;
        if (FAILED(m_allocator->CreateFrame(name, &frame)) || frame == nullptr) {
            return Fail("the frame allocator refused a frame");
        }
        *out = frame;
        frame->TransformationMatrix = RowForm(node->mTransformation);
        D3DXMESHCONTAINER** tail = &frame->pMeshContainer;
        for (unsigned first = 0; first < node->mNumMeshes;) {
            unsigned end = first + 1;
            const aiString& meshName = m_scene->mMeshes[node->mMeshes[first]]->mName;
            while (end < node->mNumMeshes && m_scene->mMeshes[node->mMeshes[end]]->mName == meshName) {
                ++end;
            }
            D3DXMESHCONTAINER* container = nullptr;
            const HRESULT result = BuildContainer(node, first, end, &container);
            if (FAILED(result)) {
                return result;
            }
            if (container != nullptr) {
                *tail = container;
                tail = &container->pNextMeshContainer;
            }
            first = end;
        }
        D3DXFRAME** child = &frame->pFrameFirstChild;
        for (unsigned i = 0; i < node->mNumChildren; ++i) {
            const HRESULT result = BuildFrame(node->mChildren[i], child);
            if (FAILED(result)) {
                return result;
            }
            child = &(*child)->pFrameSibling;
        }
        return D3D_OK;
    }

    HRESULT BuildContainer(const aiNode* node, unsigned first, unsigned end, D3DXMESHCONTAINER** out) {
        std::vector<const aiMesh*> pieces;
        DWORD numVertices = 0;
        DWORD numFaces = 0;
        bool coloured = false;
        for (unsigned i = first; i < end; ++i) {
            const aiMesh* piece = m_scene->mMeshes[node->mMeshes[i]];
            pieces.push_back(piece);
            numVertices += piece->mNumVertices;
            for (unsigned f = 0; f < piece->mNumFaces; ++f) {
                numFaces += piece->mFaces[f].mNumIndices == 3 ? 1 : 0;
            }
            coloured = coloured || piece->HasVertexColors(0);
        }
        const std::string name = pieces.front()->mName.C_Str();
        for (const aiMesh* piece : pieces) {
            if (piece->mMaterialIndex >= m_scene->mNumMaterials) {
                return Fail("mesh \"" + name + "\" names a material the file does not have");
            }
            if (!IndicesInside(piece)) {
                return Fail("mesh \"" + name + "\" has a face or a bone weight outside its vertices");
            }
        }
        if (numFaces == 0) {
            std::fprintf(stderr, "D3DXLoadMeshHierarchyFromX: %s: mesh \"%s\" has no triangles; skipped\n",
                         m_path.c_str(), name.c_str());
            return D3D_OK;
        }
        if ((m_options & D3DXMESH_32BIT) == 0 && numVertices > 0x10000) {
            return Fail("mesh \"" + name + "\" has more vertices than 16-bit indices reach");
        }
        ID3DXMesh* mesh = nullptr;
        const D3DVERTEXELEMENT9* declaration = coloured ? kColouredFileDeclaration : kFileDeclaration;
        if (FAILED(D3DXCreateMesh(numFaces, numVertices, m_options, declaration, m_device, &mesh))) {
            return Fail("mesh \"" + name + "\" could not be created");
        }
        std::vector<unsigned> materialOf; // scene material index per attribute id
        std::vector<SFileVertex> vertices(numVertices);
        std::vector<DWORD> indices;
        std::vector<DWORD> attributes;
        std::map<std::string, DWORD> boneIndex;
        struct SBone {
            std::string name;
            D3DXMATRIX offset;
            std::vector<DWORD> vertices;
            std::vector<float> weights;
        };
        std::vector<SBone> bones;
        DWORD base = 0;
        for (const aiMesh* piece : pieces) {
            DWORD attribute = 0;
            while (attribute < materialOf.size() && materialOf[attribute] != piece->mMaterialIndex) {
                ++attribute;
            }
            if (attribute == materialOf.size()) {
                materialOf.push_back(piece->mMaterialIndex);
            }
            for (unsigned v = 0; v < piece->mNumVertices; ++v) {
                SFileVertex& vertex = vertices[base + v];
                const aiVector3D& p = piece->mVertices[v];
                vertex = {{p.x, p.y, p.z}, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f}, kNoColour};
                if (piece->HasNormals()) {
                    const aiVector3D& n = piece->mNormals[v];
                    vertex.normal[0] = n.x;
                    vertex.normal[1] = n.y;
                    vertex.normal[2] = n.z;
                }
                if (piece->HasTextureCoords(0)) {
                    vertex.uv[0] = piece->mTextureCoords[0][v].x;
                    vertex.uv[1] = piece->mTextureCoords[0][v].y;
                }
                if (piece->HasVertexColors(0)) {
                    vertex.colour = Argb(piece->mColors[0][v]);
                }
            }
            for (unsigned f = 0; f < piece->mNumFaces; ++f) {
                const aiFace& face = piece->mFaces[f];
                if (face.mNumIndices != 3) {
                    continue;
                }
                for (unsigned c = 0; c < 3; ++c) {
                    indices.push_back(base + face.mIndices[c]);
                }
                attributes.push_back(attribute);
            }
            for (unsigned b = 0; b < piece->mNumBones; ++b) {
                const aiBone* bone = piece->mBones[b];
                const std::string boneName = bone->mName.C_Str();
                auto found = boneIndex.find(boneName);
                if (found == boneIndex.end()) {
                    found = boneIndex.emplace(boneName, static_cast<DWORD>(bones.size())).first;
                    bones.push_back({boneName, RowForm(bone->mOffsetMatrix), {}, {}});
                }
                SBone& entry = bones[found->second];
                for (unsigned w = 0; w < bone->mNumWeights; ++w) {
                    entry.vertices.push_back(base + bone->mWeights[w].mVertexId);
                    entry.weights.push_back(bone->mWeights[w].mWeight);
                }
            }
            base += piece->mNumVertices;
        }
        WriteGeometry(mesh, vertices, coloured ? kColouredVertexBytes : kPlainVertexBytes, indices, attributes);

        // One material per attribute id, in attribute order, so that attribute i draws with
        // material i; Assimp's stand-in for "no material list" is dropped only when it is the
        // mesh's only material (the allocator then supplies its own default).
        std::vector<D3DXMATERIAL> materials;
        std::vector<std::string> textures(materialOf.size());
        for (std::size_t i = 0; i < materialOf.size(); ++i) {
            const aiMaterial* source = m_scene->mMaterials[materialOf[i]];
            D3DXMATERIAL material = {};
            material.MatD3D.Diffuse = Colour(source, AI_MATKEY_COLOR_DIFFUSE, 1.0f);
            if (materialOf.size() == 1 && IsAssimpDefault(source, material.MatD3D.Diffuse)) {
                continue;
            }
            material.MatD3D.Specular = Colour(source, AI_MATKEY_COLOR_SPECULAR, 1.0f);
            material.MatD3D.Emissive = Colour(source, AI_MATKEY_COLOR_EMISSIVE, 1.0f);
            source->Get(AI_MATKEY_SHININESS, material.MatD3D.Power);
            aiString texture;
            if (source->GetTexture(aiTextureType_DIFFUSE, 0, &texture) == aiReturn_SUCCESS) {
                textures[i] = texture.C_Str();
                material.pTextureFilename = textures[i].data();
            }
            materials.push_back(material);
        }

        ID3DXSkinInfo* skin = nullptr;
        if (!bones.empty()) {
            D3DXCreateSkinInfo(numVertices, declaration, static_cast<DWORD>(bones.size()), &skin);
            for (DWORD b = 0; b < bones.size(); ++b) {
                skin->SetBoneName(b, bones[b].name.c_str());
                skin->SetBoneOffsetMatrix(b, &bones[b].offset);
                skin->SetBoneInfluence(b, static_cast<DWORD>(bones[b].vertices.size()), bones[b].vertices.data(),
                                       bones[b].weights.data());
            }
        }
        std::vector<DWORD> adjacency(static_cast<std::size_t>(numFaces) * 3);
        mesh->GenerateAdjacency(0.0f, adjacency.data());
        D3DXMESHDATA data = {D3DXMESHTYPE_MESH, mesh};
        const HRESULT result = m_allocator->CreateMeshContainer(
            name.empty() ? nullptr : name.c_str(), &data, materials.empty() ? nullptr : materials.data(), nullptr,
            static_cast<DWORD>(materials.size()), adjacency.data(), skin, out);
        mesh->Release();
        if (skin != nullptr) {
            skin->Release();
        }
        if (FAILED(result) || *out == nullptr) {
            return Fail("the frame allocator refused mesh \"" + name + "\"");
        }
        return D3D_OK;
    }

    static bool IndicesInside(const aiMesh* piece) {
        for (unsigned f = 0; f < piece->mNumFaces; ++f) {
            const aiFace& face = piece->mFaces[f];
            for (unsigned c = 0; c < face.mNumIndices; ++c) {
                if (face.mIndices[c] >= piece->mNumVertices) {
                    return false;
                }
            }
        }
        for (unsigned b = 0; b < piece->mNumBones; ++b) {
            const aiBone* bone = piece->mBones[b];
            for (unsigned w = 0; w < bone->mNumWeights; ++w) {
                if (bone->mWeights[w].mVertexId >= piece->mNumVertices) {
                    return false;
                }
            }
        }
        return true;
    }

    static void WriteGeometry(ID3DXMesh* mesh, const std::vector<SFileVertex>& vertices, std::size_t stride,
                              const std::vector<DWORD>& indices, const std::vector<DWORD>& attributes) {
        void* data = nullptr;
        if (SUCCEEDED(mesh->LockVertexBuffer(0, &data))) {
            auto* bytes = static_cast<unsigned char*>(data);
            for (std::size_t v = 0; v < vertices.size(); ++v) {
                std::memcpy(bytes + v * stride, &vertices[v], stride);
            }
            mesh->UnlockVertexBuffer();
        }
        if (SUCCEEDED(mesh->LockIndexBuffer(0, &data))) {
            for (std::size_t i = 0; i < indices.size(); ++i) {
                if (mesh->Uses32BitIndices()) {
                    static_cast<DWORD*>(data)[i] = indices[i];
                } else {
                    static_cast<std::uint16_t*>(data)[i] = static_cast<std::uint16_t>(indices[i]);
                }
            }
            mesh->UnlockIndexBuffer();
        }
        DWORD* attributeData = nullptr;
        if (SUCCEEDED(mesh->LockAttributeBuffer(0, &attributeData))) {
            std::copy(attributes.begin(), attributes.end(), attributeData);
            mesh->UnlockAttributeBuffer();
        }
    }

    static void NamedFrames(D3DXFRAME* frame, std::vector<D3DXFRAME*>* out) {
        for (; frame != nullptr; frame = frame->pFrameSibling) {
            if (frame->Name != nullptr && frame->Name[0] != '\0') {
                out->push_back(frame);
            }
            NamedFrames(frame->pFrameFirstChild, out);
        }
    }

    ID3DXAnimationController* BuildController(D3DXFRAME* root) const {
        if (m_scene->mNumAnimations == 0) {
            return nullptr;
        }
        std::vector<D3DXFRAME*> frames;
        NamedFrames(root, &frames);
        ID3DXAnimationController* controller = nullptr;
        D3DXCreateAnimationController(static_cast<UINT>(frames.size()), m_scene->mNumAnimations, kMaxTracks, kMaxEvents,
                                      &controller);
        for (D3DXFRAME* frame : frames) {
            controller->RegisterAnimationOutput(frame->Name, &frame->TransformationMatrix, nullptr, nullptr, nullptr);
        }
        for (unsigned a = 0; a < m_scene->mNumAnimations; ++a) {
            const aiAnimation* source = m_scene->mAnimations[a];
            std::vector<ID3DXAnimationSet::SAnimation> channels;
            for (unsigned c = 0; c < source->mNumChannels; ++c) {
                const aiNodeAnim* channel = source->mChannels[c];
                ID3DXAnimationSet::SAnimation animation;
                animation.name = channel->mNodeName.C_Str();
                for (unsigned k = 0; k < channel->mNumScalingKeys; ++k) {
                    const aiVectorKey& key = channel->mScalingKeys[k];
                    animation.scales.push_back(
                        {static_cast<float>(key.mTime), D3DXVECTOR3(key.mValue.x, key.mValue.y, key.mValue.z)});
                }
                for (unsigned k = 0; k < channel->mNumRotationKeys; ++k) {
                    // .x files store the conjugate of the key's rotation and Assimp undoes that;
                    // its quaternion for column vectors is then, unchanged, the one whose
                    // D3DXMatrixRotationQuaternion is the same rotation for row vectors.
                    const aiQuatKey& key = channel->mRotationKeys[k];
                    animation.rotations.push_back(
                        {static_cast<float>(key.mTime),
                         D3DXQUATERNION(key.mValue.x, key.mValue.y, key.mValue.z, key.mValue.w)});
                }
                for (unsigned k = 0; k < channel->mNumPositionKeys; ++k) {
                    const aiVectorKey& key = channel->mPositionKeys[k];
                    animation.translations.push_back(
                        {static_cast<float>(key.mTime), D3DXVECTOR3(key.mValue.x, key.mValue.y, key.mValue.z)});
                }
                channels.push_back(std::move(animation));
            }
            const double ticks = source->mTicksPerSecond > 0.0 ? source->mTicksPerSecond : kDefaultTicksPerSecond;
            auto* set = new ID3DXAnimationSet(source->mName.C_Str(), ticks, D3DXPLAY_LOOP, std::move(channels));
            controller->RegisterAnimationSet(set);
            set->Release();
        }
        ID3DXAnimationSet* first = nullptr;
        if (SUCCEEDED(controller->GetAnimationSet(0, &first))) {
            controller->SetTrackAnimationSet(0, first);
            controller->SetTrackEnable(0, TRUE);
            first->Release();
        }
        return controller;
    }

    std::string m_path;
    DWORD m_options;
    IDirect3DDevice9* m_device;
    ID3DXAllocateHierarchy* m_allocator;
    Assimp::Importer m_importer;
    const aiScene* m_scene = nullptr;
};

} // namespace

HRESULT D3DXLoadMeshHierarchyFromXA(const char* file, DWORD options, IDirect3DDevice9* device,
                                    ID3DXAllocateHierarchy* allocator, ID3DXLoadUserData*, D3DXFRAME** frameHierarchy,
                                    ID3DXAnimationController** animController) {
    if (frameHierarchy != nullptr) {
        *frameHierarchy = nullptr;
    }
    if (animController != nullptr) {
        *animController = nullptr;
    }
    if (file == nullptr || device == nullptr || allocator == nullptr || frameHierarchy == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    CLoader loader(platform::ResolvePath(file), options, device, allocator);
    return loader.LoadFile(frameHierarchy, animController);
}

HRESULT D3DXLoadMeshHierarchyFromXInMemory(const void* memory, DWORD size, DWORD options, IDirect3DDevice9* device,
                                           ID3DXAllocateHierarchy* allocator, ID3DXLoadUserData*,
                                           D3DXFRAME** frameHierarchy, ID3DXAnimationController** animController) {
    if (frameHierarchy != nullptr) {
        *frameHierarchy = nullptr;
    }
    if (animController != nullptr) {
        *animController = nullptr;
    }
    if (memory == nullptr || device == nullptr || allocator == nullptr || frameHierarchy == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    CLoader loader("(memory)", options, device, allocator);
    return loader.Load(static_cast<const char*>(memory), size, frameHierarchy, animController);
}

HRESULT D3DXLoadMeshHierarchyFromXW(const WCHAR* file, DWORD options, IDirect3DDevice9* device,
                                    ID3DXAllocateHierarchy* allocator, ID3DXLoadUserData* userData,
                                    D3DXFRAME** frameHierarchy, ID3DXAnimationController** animController) {
    if (file == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const std::string path = platform::d3d9::NarrowPath(file);
    return D3DXLoadMeshHierarchyFromXA(path.c_str(), options, device, allocator, userData, frameHierarchy,
                                       animController);
}
