// The shipped art: every mesh and image the XML content files name exists and loads through the
// loader the game uses for it, with a sensible size; meshes fit the hulls of their instance files
// and the characters carry the bones and animation sets the racer uses by name and number.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/d3d9/d3dx9_anim.h"
#include "platform/d3d9/d3dx9_tex.h"
#include "platform/d3d9/test_support.h"
#include "support/plain_allocator.h"

namespace {

std::string Root() {
    const char* root = std::getenv("TK_SOURCE_DIR");
    return std::string(root != nullptr ? root : "../../../..") + "/";
}

std::string Text(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Empty (and the counts below fail) when the source tree is not where TK_SOURCE_DIR says.
std::filesystem::directory_iterator ContentFolder() {
    std::error_code error;
    std::filesystem::directory_iterator folder(Root() + "data/files/xmlfiles", error);
    return error ? std::filesystem::directory_iterator() : folder;
}

// (tag, value) of every leaf of the content files whose value names a file of `extension`.
std::set<std::pair<std::string, std::string>> NamedFiles(const std::string& extension) {
    std::set<std::pair<std::string, std::string>> names;
    const std::regex leaf("<([A-Za-z0-9_]+)>([^<]+)</\\1>");
    for (const auto& entry : ContentFolder()) {
        const std::string text = Text(entry.path().string());
        for (auto it = std::sregex_iterator(text.begin(), text.end(), leaf); it != std::sregex_iterator(); ++it) {
            const std::string value = (*it)[2];
            if (value.size() > extension.size() &&
                value.compare(value.size() - extension.size(), extension.size(), extension) == 0) {
                names.insert({(*it)[1], value});
            }
        }
    }
    return names;
}

float Leaf(const std::string& text, const std::string& tag) {
    std::smatch match;
    return std::regex_search(text, match, std::regex("<" + tag + ">([^<]+)</" + tag + ">"))
               ? std::strtof(match[1].str().c_str(), nullptr)
               : 0.0f;
}

using tktest::CPlainAllocator;

// One loaded mesh file: its frames, the extent of its vertices and its animation sets.
struct SLoadedMesh {
    bool m_loaded = false;
    DWORD m_faces = 0;
    DWORD m_materials = 0;
    bool m_skinned = false;
    float m_min[3] = {1e9f, 1e9f, 1e9f};
    float m_max[3] = {-1e9f, -1e9f, -1e9f};
    std::vector<std::string> m_frames;
    std::vector<std::string> m_sets;
};

void Walk(const D3DXFRAME* frame, SLoadedMesh* out) {
    for (; frame != nullptr; frame = frame->pFrameSibling) {
        if (frame->Name != nullptr) {
            out->m_frames.push_back(frame->Name);
        }
        for (const D3DXMESHCONTAINER* c = frame->pMeshContainer; c != nullptr; c = c->pNextMeshContainer) {
            ID3DXMesh* mesh = c->MeshData.pMesh;
            out->m_faces += mesh->GetNumFaces();
            out->m_materials += c->NumMaterials;
            out->m_skinned = out->m_skinned || c->pSkinInfo != nullptr;
            void* data = nullptr;
            if (SUCCEEDED(mesh->LockVertexBuffer(0, &data))) {
                const auto* bytes = static_cast<const unsigned char*>(data);
                const int position = std::max(mesh->ElementOffset(D3DDECLUSAGE_POSITION, 0), 0);
                for (DWORD v = 0; v < mesh->GetNumVertices(); ++v) {
                    float p[3];
                    std::memcpy(p, bytes + v * mesh->GetNumBytesPerVertex() + position, sizeof(p));
                    for (int k = 0; k < 3; ++k) {
                        out->m_min[k] = std::min(out->m_min[k], p[k]);
                        out->m_max[k] = std::max(out->m_max[k], p[k]);
                    }
                }
                mesh->UnlockVertexBuffer();
            }
        }
        Walk(frame->pFrameFirstChild, out);
    }
}

class ContentFilesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_device.MakeNull()); }

    SLoadedMesh LoadMesh(const std::string& name) {
        SLoadedMesh result;
        const std::string path = Root() + "data/arts/models/D3D_X_files/" + name;
        const std::wstring wide(path.begin(), path.end());
        D3DXFRAME* root = nullptr;
        ID3DXAnimationController* controller = nullptr;
        result.m_loaded = SUCCEEDED(D3DXLoadMeshHierarchyFromXW(wide.c_str(), D3DXMESH_MANAGED, m_device.Get(),
                                                                &m_allocator, nullptr, &root, &controller));
        Walk(root, &result);
        if (controller != nullptr) {
            for (UINT i = 0; i < controller->GetNumAnimationSets(); ++i) {
                ID3DXAnimationSet* set = nullptr;
                if (SUCCEEDED(controller->GetAnimationSet(i, &set))) {
                    result.m_sets.push_back(set->GetName());
                    set->Release();
                }
            }
            controller->Release();
        }
        if (root != nullptr) {
            D3DXFrameDestroy(root, &m_allocator);
        }
        return result;
    }

    tk_test::CDeviceHolder m_device;
    CPlainAllocator m_allocator;
};

bool PowerOfTwo(UINT v) { return v != 0 && (v & (v - 1)) == 0; }

TEST_F(ContentFilesTest, EveryNamedImageLoadsAsATextureOrCubeOfASensibleSize) {
    const auto names = NamedFiles(".png");
    EXPECT_GT(names.size(), 60u);
    for (const auto& [tag, name] : names) {
        SCOPED_TRACE(name);
        const std::string path = Root() + "data/arts/textures/" + name;
        ASSERT_TRUE(std::filesystem::is_regular_file(path));
        D3DSURFACE_DESC desc{};
        if (tag == "TextureName") {
            IDirect3DCubeTexture9* cube = nullptr;
            ASSERT_EQ(D3DXCreateCubeTextureFromFileA(m_device.Get(), path.c_str(), &cube), D3D_OK);
            ASSERT_EQ(cube->GetLevelDesc(0, &desc), D3D_OK);
            cube->Release();
            EXPECT_GE(desc.Width, 16u);
        } else {
            IDirect3DTexture9* texture = nullptr;
            ASSERT_EQ(D3DXCreateTextureFromFileA(m_device.Get(), path.c_str(), &texture), D3D_OK);
            ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
            texture->Release();
            // Height maps are one sample per terrain vertex; everything else tiles or mips evenly.
            if (name.find("_height") == std::string::npos) {
                EXPECT_TRUE(PowerOfTwo(desc.Width) && PowerOfTwo(desc.Height)) << desc.Width << " x " << desc.Height;
            }
        }
        EXPECT_LE(desc.Width, 1024u);
        EXPECT_LE(desc.Height, 1024u);
    }
}

TEST_F(ContentFilesTest, EveryNamedMeshLoadsShadedAndFitsItsHull) {
    const auto names = NamedFiles(".x");
    EXPECT_GT(names.size(), 25u);
    std::map<std::string, std::string> modelFileOf;
    for (const auto& entry : ContentFolder()) {
        std::smatch match;
        const std::string text = Text(entry.path().string());
        if (std::regex_search(text, match, std::regex("<XFileName>([^<]+)</XFileName>"))) {
            modelFileOf[entry.path().stem().string()] = match[1];
        }
    }
    std::set<std::string> checkedHulls;
    for (const auto& [stem, mesh] : modelFileOf) {
        SCOPED_TRACE(mesh);
        const SLoadedMesh loaded = LoadMesh(mesh);
        ASSERT_TRUE(loaded.m_loaded);
        EXPECT_GT(loaded.m_faces, 0u);
        EXPECT_GT(loaded.m_materials, 0u);
        const std::string instance = Root() + "data/files/xmlfiles/" + stem + "_instance.xml";
        if (!std::filesystem::is_regular_file(instance)) {
            continue;
        }
        const std::string text = Text(instance);
        float hull[3] = {0.0f, 0.0f, 0.0f};
        if (text.find("<HullType>Box</HullType>") != std::string::npos) {
            hull[0] = Leaf(text, "XLength");
            hull[1] = Leaf(text, "YLength");
            hull[2] = Leaf(text, "ZLength");
        } else if (text.find("<HullType>Cylinder</HullType>") != std::string::npos) {
            hull[0] = hull[2] = 2.0f * Leaf(text, "Radius");
            hull[1] = Leaf(text, "Height");
        } else {
            continue;
        }
        checkedHulls.insert(stem);
        for (int k = 0; k < 3; ++k) {
            const float extent = loaded.m_max[k] - loaded.m_min[k];
            EXPECT_GT(extent, 0.5f * hull[k]) << "axis " << k;
            EXPECT_LT(extent, 1.3f * hull[k]) << "axis " << k;
        }
    }
    EXPECT_GE(checkedHulls.size(), 20u);
}

TEST_F(ContentFilesTest, CharactersCarryTheRacerBonesAndAnimationsInOrder) {
    // The racer plays sets by number: 0 pole pull, 1 idle, 4 paddling, 8 pole cast, 9 slap, 12 hurt,
    // 13 to 15 the fall; items hang from the named bones.
    const std::map<std::size_t, std::string> played = {
        {0, "PolePull"},    {1, "Idle"},       {2, "TurnRight"}, {3, "TurnLeft"}, {4, "Paddle"},
        {5, "PaddleRight"}, {6, "PaddleLeft"}, {8, "PoleCast"},  {9, "Slap"},     {12, "Hurt"},
        {13, "FallEnd"},    {14, "FallLoop"},  {15, "FallStart"}};
    for (const char* name : {"monkey.x", "hillbilly.x", "alien.x", "bear.x", "moviestar.x", "fish.x"}) {
        SCOPED_TRACE(name);
        const SLoadedMesh loaded = LoadMesh(name);
        ASSERT_TRUE(loaded.m_loaded);
        EXPECT_TRUE(loaded.m_skinned);
        ASSERT_EQ(loaded.m_sets.size(), 17u);
        for (const auto& [index, set] : played) {
            EXPECT_EQ(loaded.m_sets[index], set) << index;
        }
        for (const char* bone : {"root", "Hips", "Spine", "Head", "LeftHand", "RightHand"}) {
            EXPECT_NE(std::find(loaded.m_frames.begin(), loaded.m_frames.end(), bone), loaded.m_frames.end()) << bone;
        }
    }
    const SLoadedMesh shark = LoadMesh("shark.x");
    ASSERT_GE(shark.m_sets.size(), 2u);
    EXPECT_EQ(shark.m_sets[1], "Attack");
    // Their builders speed up the set that plays from loading on.
    for (const char* spinning : {"drill.x", "propeller.x"}) {
        EXPECT_EQ(LoadMesh(spinning).m_sets.size(), 1u) << spinning;
    }
}

} // namespace
