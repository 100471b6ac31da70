// The whole data tree from the side of whoever names its files: every file name that a content file,
// a script or the game's own code gives resolves, with its exact spelling, to a file that opens
// through the loader the game uses for it, with a size that makes sense for its use. The tree stays
// small enough to clone and ship.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/ai/ai_manager.h"
#include "engine/core/sound_system.h"
#include "engine/gfx/particle_sys_registry.h"
#include "game/ai/waypoint_file.h"
#include "game/content/instance_readers.h"
#include "game/content/model_data_keys.h"
#include "libs/common/xml_reader.h"
#include "platform/d3d9/d3dx9.h"
#include "platform/d3d9/test_support.h"
#include "platform/fmod/fmod.h"
#include "support/plain_allocator.h"

namespace fs = std::filesystem;

namespace {

std::string Root() {
    const char* root = std::getenv("TK_SOURCE_DIR");
    return root != nullptr ? std::string(root) + "/" : std::string();
}

const char* const kRunDir = "run/tumbo/kelvo/game/";

std::string Text(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    return first == std::string::npos ? std::string() : s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::string Extension(const std::string& name) {
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

bool NamesAFile(const std::string& value) {
    static const std::set<std::string> kinds = {"x", "png", "wav", "mp3", "ogg", "fx", "xml", "vbib", "txt"};
    const std::string kind = Extension(value);
    return value.size() > kind.size() + 1 && value.find_first_of(" <>\\") == std::string::npos &&
           value.front() != '_' && kinds.count(kind) != 0;
}

// One file name as some file gives it: the element it is the value of (the parent's name for an
// "entry"), and the file that names it.
struct SNamed {
    std::string m_name;
    std::string m_tag;
    std::string m_from;
};

// The line-based XML of the content files: `<Tag>value</Tag>` leaves under opening and closing lines.
// Appends the file names among the leaves; false when the tags do not nest.
bool WalkXml(const fs::path& path, std::vector<SNamed>* named) {
    std::vector<std::string> open;
    std::istringstream in(Text(path));
    const std::regex leaf(R"(<([A-Za-z0-9_]+)>([^<]*)</([A-Za-z0-9_]+)>)");
    bool nested = true;
    for (std::string line; std::getline(in, line);) {
        line = Trim(line);
        std::smatch match;
        if (std::regex_match(line, match, leaf)) {
            nested = nested && match[1] == match[3];
            const std::string value = Trim(match[2]);
            const std::string tag = match[1] == "entry" && !open.empty() ? open.back() : match[1].str();
            if (NamesAFile(value)) {
                named->push_back({value, tag, path.filename().string()});
            }
        } else if (line.size() > 3 && line.compare(0, 2, "</") == 0) {
            nested = nested && !open.empty() && open.back() == line.substr(2, line.size() - 3);
            if (!open.empty()) {
                open.pop_back();
            }
        } else if (line.size() > 2 && line[0] == '<' && line.back() == '>') {
            open.push_back(line.substr(1, line.size() - 2));
        }
    }
    return nested && open.empty();
}

// Quoted file names on the code lines (not the comments) of sources and scripts. Names the game
// writes rather than reads (logs) are not data.
void WalkCode(const fs::path& path, const std::string& comment, std::vector<SNamed>* named) {
    std::istringstream in(Text(path));
    const std::regex quoted("\"([^\"]+)\"");
    for (std::string line; std::getline(in, line);) {
        const std::string code = line.substr(0, line.find(comment));
        for (auto it = std::sregex_iterator(code.begin(), code.end(), quoted); it != std::sregex_iterator(); ++it) {
            const std::string value = (*it)[1];
            const bool log = Extension(value) == "txt" && value.find("data/") == std::string::npos;
            if (NamesAFile(value) && !log) {
                named->push_back({value, "code", path.filename().string()});
            }
        }
    }
}

// Where the loaders look for a bare name of each kind; names with a folder of their own are
// relative to the game's working directory.
std::string Resolve(const SNamed& named) {
    if (named.m_name.rfind("../", 0) == 0) {
        return Root() + kRunDir + named.m_name;
    }
    if (named.m_name.find("data/") != std::string::npos) {
        return Root() + named.m_name.substr(named.m_name.find("data/"));
    }
    const std::string kind = Extension(named.m_name);
    if (kind == "x") {
        return Root() + "data/arts/models/D3D_X_files/" + named.m_name;
    }
    if (kind == "png") {
        return Root() + "data/arts/textures/" + named.m_name;
    }
    if (kind == "wav" || kind == "mp3" || kind == "ogg") {
        return Root() + "data/sounds/" + named.m_name;
    }
    if (kind == "fx") {
        return Root() + "data/files/fx/" + named.m_name;
    }
    if (named.m_from == "particle_sys_table.xml") {
        return Root() + "data/files/xmlfiles/particle_sys/" + named.m_name;
    }
    return Root() + "data/files/xmlfiles/" + named.m_name;
}

bool PowerOfTwo(UINT v) { return v > 1 && (v & (v - 1)) == 0; }

int Leaf(const std::string& text, const std::string& tag) {
    std::smatch match;
    return std::regex_search(text, match, std::regex("<" + tag + ">([^<]+)</" + tag + ">"))
               ? std::atoi(match[1].str().c_str())
               : 0;
}

class ContentWalkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(Root().empty()) << "TK_SOURCE_DIR is not set";
        ASSERT_TRUE(m_device.MakeNull());
        // Names with folders of their own are opened from where the game runs.
        m_previous = fs::current_path();
        fs::current_path(Root() + kRunDir);
    }
    void TearDown() override { fs::current_path(m_previous); }

    // Every content file under data/files and every script, walked; then every name the game's
    // code gives, and the model and instance files its model-data table pairs with the keys.
    std::vector<SNamed> WalkEverything() {
        std::vector<SNamed> named;
        for (const auto& entry : fs::recursive_directory_iterator(Root() + "data/files")) {
            if (entry.path().extension() == ".xml") {
                m_xmlFiles.insert(fs::weakly_canonical(entry.path()).string());
                EXPECT_TRUE(WalkXml(entry.path(), &named)) << entry.path() << ": its tags do not nest";
            }
        }
        for (const auto& entry : fs::directory_iterator(Root() + kRunDir + "Scripts")) {
            m_scripts.insert(entry.path().filename().string());
            WalkCode(entry.path(), "--", &named);
        }
        WalkSources("src", &named);
        for (const kelvo::SModelDataFiles& files : kelvo::StartupModelDataFiles()) {
            for (const std::string& name : {files.m_modelFile, files.m_instanceFile}) {
                if (!name.empty() && name != "none") {
                    named.push_back({name, "model data", "the model-data table"});
                }
            }
        }
        return named;
    }

    static void WalkSources(const std::string& folder, std::vector<SNamed>* named) {
        for (const auto& entry : fs::recursive_directory_iterator(Root() + folder)) {
            if (entry.path().extension() == ".cpp" || entry.path().extension() == ".h") {
                WalkCode(entry.path(), "//", named);
            }
        }
    }

    void ExpectMesh(const std::string& path) {
        const std::wstring wide(path.begin(), path.end());
        D3DXFRAME* root = nullptr;
        ID3DXAnimationController* controller = nullptr;
        ASSERT_EQ(D3DXLoadMeshHierarchyFromXW(wide.c_str(), D3DXMESH_MANAGED, m_device.Get(), &m_allocator, nullptr,
                                              &root, &controller),
                  D3D_OK);
        DWORD vertices = 0;
        DWORD faces = 0;
        std::vector<const D3DXFRAME*> frames = {root};
        while (!frames.empty()) {
            const D3DXFRAME* frame = frames.back();
            frames.pop_back();
            if (frame == nullptr) {
                continue;
            }
            for (const D3DXMESHCONTAINER* c = frame->pMeshContainer; c != nullptr; c = c->pNextMeshContainer) {
                vertices += c->MeshData.pMesh->GetNumVertices();
                faces += c->MeshData.pMesh->GetNumFaces();
            }
            frames.push_back(frame->pFrameSibling);
            frames.push_back(frame->pFrameFirstChild);
        }
        EXPECT_GE(vertices, 3u);
        EXPECT_GT(faces, 0u);
        if (controller != nullptr) {
            controller->Release();
        }
        D3DXFrameDestroy(root, &m_allocator);
    }

    // Cube maps and flat textures; a height map holds one sample per vertex of the grid its
    // terrain file declares, every other image tiles and mips evenly.
    void ExpectTexture(const SNamed& named, const std::string& path) {
        D3DSURFACE_DESC desc{};
        if (named.m_tag == "TextureName") {
            IDirect3DCubeTexture9* cube = nullptr;
            ASSERT_EQ(D3DXCreateCubeTextureFromFileA(m_device.Get(), path.c_str(), &cube), D3D_OK);
            ASSERT_EQ(cube->GetLevelDesc(0, &desc), D3D_OK);
            cube->Release();
        } else {
            IDirect3DTexture9* texture = nullptr;
            ASSERT_EQ(D3DXCreateTextureFromFileA(m_device.Get(), path.c_str(), &texture), D3D_OK);
            ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
            texture->Release();
        }
        if (named.m_tag == "HeightMap") {
            const std::string terrain = Text(Root() + "data/files/xmlfiles/" + named.m_from);
            EXPECT_EQ(desc.Width, static_cast<UINT>(Leaf(terrain, "VertPerRow")));
            EXPECT_EQ(desc.Height, static_cast<UINT>(Leaf(terrain, "VertPerCol")));
        } else {
            EXPECT_TRUE(PowerOfTwo(desc.Width) && PowerOfTwo(desc.Height)) << desc.Width << " x " << desc.Height;
        }
    }

    void ExpectSound(const std::string& name) {
        // Music plays as a stream, everything else is read whole.
        velm::CSound* sound = name.rfind("music/", 0) == 0 ? m_sounds->CreateStream(name) : m_sounds->CreateSound(name);
        ASSERT_NE(sound->GetHandle(), nullptr);
        unsigned int ms = 0;
        EXPECT_EQ(FMOD_Sound_getLength(sound->GetHandle(), &ms, FMOD_TIMEUNIT_MS), FMOD_OK);
        EXPECT_GT(ms, 20u);
        m_sounds->ReleaseSound(sound);
    }

    void ExpectEffect(const std::string& path) {
        ID3DXEffect* effect = nullptr;
        ID3DXBuffer* errors = nullptr;
        ASSERT_EQ(
            D3DXCreateEffectFromFileA(m_device.Get(), path.c_str(), nullptr, nullptr, 0, nullptr, &effect, &errors),
            D3D_OK);
        effect->Release();
        if (errors != nullptr) {
            errors->Release();
        }
    }

    // A spline water's grid file, read as the model-data manager reads it for the river file.
    void ExpectGrid(const SNamed& named) {
        common::CXmlReader reader;
        reader.Load(Root() + "data/files/xmlfiles/" + named.m_from);
        reader.Enter("InstanceData");
        std::unique_ptr<kelvo::SModelData::SWaterData> water;
        kelvo::ReadWaterData(reader, water);
        ASSERT_NE(water, nullptr);
        EXPECT_FALSE(water->m_cells.empty());
    }

    tk_test::CDeviceHolder m_device;
    tktest::CPlainAllocator m_allocator;
    std::unique_ptr<velm::CSoundSystem> m_sounds;
    std::set<std::string> m_xmlFiles;
    std::set<std::string> m_scripts;
    fs::path m_previous;
};

TEST_F(ContentWalkerTest, EveryNamedFileExistsAndLoadsThroughItsOwnLoader) {
    setenv("ALSOFT_DRIVERS", "null", 0);
    m_sounds = std::make_unique<velm::CSoundSystem>(Root() + "data/sounds/");
    ASSERT_TRUE(m_sounds->Init());
    const std::vector<SNamed> named = WalkEverything();
    std::map<std::string, std::size_t> kinds;
    std::set<std::string> checked;
    for (const SNamed& file : named) {
        const std::string path = Resolve(file);
        if (!checked.insert(path + " " + file.m_tag).second) {
            continue;
        }
        SCOPED_TRACE(file.m_name + " (" + file.m_tag + " in " + file.m_from + ")");
        if (!fs::is_regular_file(path)) {
            ADD_FAILURE() << "no file " << path;
            continue;
        }
        EXPECT_GT(fs::file_size(path), 0u);
        const std::string kind = Extension(file.m_name);
        ++kinds[kind];
        if (kind == "x") {
            ExpectMesh(path);
        } else if (kind == "png") {
            ExpectTexture(file, path);
        } else if (kind == "wav" || kind == "mp3" || kind == "ogg") {
            ExpectSound(file.m_name);
        } else if (kind == "fx") {
            ExpectEffect(path);
        } else if (kind == "vbib") {
            ExpectGrid(file);
        } else if (kind == "txt") {
            velm::ai::CAIManager manager;
            EXPECT_GT(kelvo::LoadWaypointFile(path, manager), 1);
        } else {
            EXPECT_EQ(m_xmlFiles.count(fs::weakly_canonical(path).string()), 1u) << "outside the content folders";
        }
    }
    // Meshes, images (flat, cube, height), sounds, effects, grids, waypoints and content files.
    EXPECT_GE(kinds["x"], 30u);
    EXPECT_GE(kinds["png"], 150u);
    EXPECT_GE(kinds["wav"], 30u);
    EXPECT_GE(kinds["fx"], 14u);
    EXPECT_EQ(kinds["vbib"], 8u);
    EXPECT_EQ(kinds["txt"], 2u);
    EXPECT_GE(kinds["xml"], 100u);
    EXPECT_TRUE(m_scripts.count("StartGame.LUA") != 0 && m_scripts.count("ConsoleParser.LUA") != 0);
    EXPECT_TRUE(m_sounds->Shutdown());
}

TEST_F(ContentWalkerTest, EveryParticleSystemOfTheTableLoadsAsATemplate) {
    velm::gfx::CParticleSysRegistry registry;
    registry.Init("../../../../data/files/xmlfiles/particle_sys_table.xml",
                  "../../../../data/files/xmlfiles/particle_sys/");
    std::vector<SNamed> named;
    ASSERT_TRUE(WalkXml(Root() + "data/files/xmlfiles/particle_sys_table.xml", &named));
    EXPECT_GE(named.size(), 16u);
    EXPECT_EQ(registry.GetTemplateCount(), named.size());
    for (const SNamed& system : named) {
        std::smatch match;
        const std::string text = Text(Root() + "data/files/xmlfiles/particle_sys/" + system.m_name);
        ASSERT_TRUE(std::regex_search(text, match, std::regex("<sys_name>([^<]+)</sys_name>"))) << system.m_name;
        EXPECT_NE(registry.GetTemplate(Trim(match[1])), nullptr) << system.m_name;
    }
}

TEST_F(ContentWalkerTest, EveryShippedFileIsNamedAndTheTreeStaysSmall) {
    // Files the benchmarks and the engine's own tests draw with count as named too.
    std::vector<SNamed> everything = WalkEverything();
    WalkSources("bench", &everything);
    WalkSources("tests/platform", &everything);
    WalkSources("tests/engine", &everything);
    std::set<std::string> named;
    for (const SNamed& file : everything) {
        named.insert(fs::weakly_canonical(Resolve(file)).string());
    }
    std::uintmax_t bytes = 0;
    std::vector<std::string> unnamed;
    for (const auto& entry : fs::recursive_directory_iterator(Root() + "data")) {
        if (!entry.is_regular_file()) {
            continue;
        }
        bytes += entry.file_size();
        if (named.count(fs::weakly_canonical(entry.path()).string()) == 0) {
            unnamed.push_back(entry.path().lexically_relative(Root()).string());
        }
    }
    EXPECT_LT(bytes, 40u * 1024u * 1024u);
    for (const std::string& file : unnamed) {
        ADD_FAILURE() << file << " is shipped but nothing names it";
    }
}

} // namespace
