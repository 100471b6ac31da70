#include "game/content/instance_readers.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "engine/gfx/vbib_file.h"
#include "engine/phy/grid_file.h"
#include "libs/common/checked_number.h"
#include "libs/common/string_util.h"

namespace kelvo {

namespace {

constexpr const char* kNone = "none";

// A grid's spacing and a hull's sides: a negative one turns a body or a grid inside out, none at
// all leaves a grid or a hull of no extent, which
// divides by zero where it is measured. A refused one is a metre.
constexpr common::SNumberBounds kExtent = {0.001, common::kAnyDataNumber.highest, 1.0};
// A body of no mass has no inverse: it would hang where it is made. A refused mass is one of the
// racers' and items' order, so that the body still floats and moves.
constexpr common::SNumberBounds kMass = {0.001, common::kAnyDataNumber.highest, 100.0};
// Vertices along one side of a grid: one mesh of 16-bit indices holds no more; the surface that
// is built checks their product before allocating it.
constexpr common::SNumberBounds kGridSide = {0.0, 65536.0, 0.0};
// A cylinder hull's layers and slices: at least one layer and three slices make a body, and more
// than these are beyond any hull's need; the test points they make are allocated when the hull is
// built. A refused count is the game's own hulls' (3 layers, 12 slices).
constexpr common::SNumberBounds kHullLayers = {1.0, 64.0, 3.0};
constexpr common::SNumberBounds kHullSlices = {3.0, 256.0, 12.0};

// Every number is checked: one that is not finite or beyond its bounds is said and replaced.
float Float(const common::CXmlReader& reader, const char* name,
            const common::SNumberBounds& bounds = common::kAnyDataNumber) {
    return common::ReadFloat(reader, name, bounds);
}

int Int(const common::CXmlReader& reader, const char* name) { return common::StringToInt(reader.GetValue(name)); }

int Count(const common::CXmlReader& reader, const char* name, const common::SNumberBounds& bounds) {
    return common::ReadWhole(reader, name, bounds);
}

common::CVector3 Vector(common::CXmlReader& reader, const char* element, const char* x = "x", const char* y = "y",
                        const char* z = "z") {
    reader.Enter(element);
    return common::ReadVector(reader, element, x, y, z);
}

// Enters the section and reads its entry: false when it says "none".
template <typename T>
bool EnterSection(common::CXmlReader& reader, const char* section, std::unique_ptr<T>& record) {
    reader.Enter(section);
    if (reader.GetValue("entry") == kNone) {
        return false;
    }
    if (!record) {
        record = std::make_unique<T>();
    }
    return true;
}

void ReadGrid(common::CXmlReader& reader, std::unique_ptr<SModelData::SWaterData>& water) {
    SModelData::SWaterData& w = *water;
    reader.Enter("VBIBFileName");
    w.m_gridFileName = reader.GetValue("entry");
    // 16-bit indices must reach every vertex, and the grid needs at least one cell.
    constexpr long long kMaxVertices = std::numeric_limits<std::uint16_t>::max() + 1LL;
    const long long rows = w.m_vertPerRow;
    const long long cols = w.m_vertPerCol;
    if (rows < 2 || cols < 2 || rows * cols > kMaxVertices) {
        std::fprintf(stderr, "%s: water grid %s: %lld x %lld vertices make no grid; the water is dropped\n",
                     reader.GetFileName().c_str(), w.m_gridFileName.c_str(), rows, cols);
        water.reset();
        return;
    }
    const auto vertexCount = static_cast<std::uint32_t>(rows * cols);
    const auto indexCount = static_cast<std::uint32_t>((rows - 1) * (cols - 1) * 6);
    const auto cellCount = static_cast<std::uint32_t>(cols - 1);
    std::vector<unsigned char> vertices(static_cast<std::size_t>(vertexCount) * velm::phy::kGridVertexBytes);
    std::vector<std::uint16_t> indices(indexCount);
    std::vector<velm::phy::CGridCell> cells;
    if (!velm::ReadVBIBFile(vertices.data(), vertexCount, indices.data(), indexCount, cells, cellCount,
                            w.m_gridFileName)) {
        std::fprintf(stderr, "%s: water grid %s cannot be used; the water is dropped\n", reader.GetFileName().c_str(),
                     w.m_gridFileName.c_str());
        water.reset();
        return;
    }
    w.m_vertices = std::move(vertices);
    w.m_vertexCount = vertexCount;
    w.m_indices = std::move(indices);
    w.m_indexCount = indexCount;
    w.m_cells = std::move(cells);
}

} // namespace

void ReadModelGraphicData(common::CXmlReader& reader, std::unique_ptr<SModelData::SGraphicData>& graphic) {
    reader.Enter("GraphicData");
    if (!graphic) {
        graphic = std::make_unique<SModelData::SGraphicData>();
    }
    graphic->m_meshFileName = reader.GetValue("XFileName");
}

void ReadGraphicData(common::CXmlReader& reader, std::unique_ptr<SModelData::SGraphicData>& graphic) {
    if (!EnterSection(reader, "GraphicData", graphic)) {
        return;
    }
    SModelData::SGraphicData& g = *graphic;
    g.m_effectFileName = reader.GetValue("EffectFileName");
    g.m_technique = reader.GetValue("Technique");
    g.m_tileFactor = Float(reader, "TileFactor");
    reader.Enter("Textures");
    const std::pair<const char*, std::int32_t> slots[] = {{"Base1", 4},     {"Base2", 5},     {"SpecularMap", 6},
                                                          {"NormalMap", 0}, {"HeightMap", 1}, {"Reserved", 2}};
    for (const auto& slot : slots) {
        const std::string name = reader.GetValue(slot.first);
        if (name != kNone) {
            g.m_textures.emplace_back(name, slot.second);
        }
    }
    g.m_position = Vector(reader, "Pos");
    g.m_rotationAxis = Vector(reader, "RotationInfo");
    g.m_rotationAngle = Float(reader, "Angle");
    g.m_scale = Vector(reader, "Scalars");
    g.m_facingDir = Vector(reader, "FacingDir");
}

void ReadLightData(common::CXmlReader& reader, std::unique_ptr<SModelData::SLightData>& light) {
    if (!EnterSection(reader, "LightData", light)) {
        return;
    }
    SModelData::SLightData& l = *light;
    l.m_ambient = Vector(reader, "Ambient", "r", "g", "b");
    l.m_diffuse = Vector(reader, "Diffuse", "r", "g", "b");
    l.m_specular = Vector(reader, "Specular", "r", "g", "b");
    l.m_direction = Vector(reader, "Direction");
    reader.Enter("entry");
    l.m_type = Int(reader, "Type");
    l.m_range = Float(reader, "Range");
    l.m_attenuation0 = Float(reader, "Att0");
    l.m_attenuation1 = Float(reader, "Att1");
    l.m_attenuation2 = Float(reader, "Att2");
}

void ReadWaterData(common::CXmlReader& reader, std::unique_ptr<SModelData::SWaterData>& water) {
    if (!EnterSection(reader, "Water", water)) {
        return;
    }
    SModelData::SWaterData& w = *water;
    reader.Enter("Wave");
    w.m_wave1 = {Float(reader, "Freq1"), Float(reader, "Amp1"), Float(reader, "Phase1"), Float(reader, "DirX1"),
                 Float(reader, "DirZ1")};
    w.m_wave2 = {Float(reader, "Freq2"), Float(reader, "Amp2"), Float(reader, "Phase2"), Float(reader, "DirX2"),
                 Float(reader, "DirZ2")};
    w.m_bumpHeight = Float(reader, "BumpHeight");
    w.m_refUVDistortion = Float(reader, "RefUVDistortion");
    w.m_waterBlendWeight = Float(reader, "WaterBlendWeight");
    w.m_hdrMultiplier = Float(reader, "HDRMultiplier");
    w.m_texScaleX = Float(reader, "TexScaleX");
    w.m_texScaleZ = Float(reader, "TexScaleZ");
    w.m_bumpSpeedX = Float(reader, "BumpSpeedX");
    w.m_bumpSpeedZ = Float(reader, "BumpSpeedZ");
    w.m_fresnelBias = Float(reader, "FresnelBias");
    w.m_fresnelPow = Float(reader, "FresnelPow");
    const char* const shallow[] = {"ShallowWaterColorR", "ShallowWaterColorG", "ShallowWaterColorB",
                                   "ShallowWaterColorA"};
    const char* const deep[] = {"DeepWaterColorR", "DeepWaterColorG", "DeepWaterColorB", "DeepWaterColorA"};
    for (int i = 0; i < 4; ++i) {
        w.m_shallowColor[i] = Float(reader, shallow[i]);
        w.m_deepColor[i] = Float(reader, deep[i]);
    }
    w.m_waveAmp = Float(reader, "WaveAmp");
    w.m_waveFreq = Float(reader, "WaveFreq");
    reader.Enter("Grid");
    w.m_vertPerRow = Count(reader, "VertPerRow", kGridSide);
    w.m_vertPerCol = Count(reader, "VertPerCol", kGridSide);
    w.m_cellSpacing = Float(reader, "CellSpacing", kExtent);
    w.m_position = Vector(reader, "Pos");
    w.m_scale = Vector(reader, "Scalars");
    reader.Enter("Textures");
    w.m_specularMap = reader.GetValue("SpecularMap");
    w.m_normalMap = reader.GetValue("NormalMap");
    reader.Enter("Type");
    w.m_kind = Int(reader, "entry");
    if (w.m_kind == 1) {
        w.m_planar[0] = w.m_bumpHeight;
        w.m_planar[1] = w.m_refUVDistortion;
        w.m_planar[2] = w.m_fresnelBias;
        w.m_planar[3] = w.m_fresnelPow;
    } else if (w.m_kind == 2) {
        ReadGrid(reader, water);
    }
}

void ReadTerrainData(common::CXmlReader& reader, std::unique_ptr<SModelData::STerrainData>& terrain) {
    if (!EnterSection(reader, "Terrain", terrain)) {
        return;
    }
    SModelData::STerrainData& t = *terrain;
    t.m_amplitude = Float(reader, "Amplitude");
    reader.Enter("Grid");
    t.m_vertPerRow = Count(reader, "VertPerRow", kGridSide);
    t.m_vertPerCol = Count(reader, "VertPerCol", kGridSide);
    t.m_cellSpacing = Float(reader, "CellSpacing", kExtent);
    const common::CVector3 position = Vector(reader, "Pos");
    t.m_position[0] = position.x;
    t.m_position[1] = position.y;
    t.m_position[2] = position.z;
    t.m_rotationAxis = Vector(reader, "RotationInfo");
    t.m_rotationAngle = Float(reader, "Angle");
    const common::CVector3 scale = Vector(reader, "Scalars");
    t.m_scale[0] = scale.x;
    t.m_scale[1] = scale.y;
    t.m_scale[2] = scale.z;
    reader.Enter("Textures");
    const char* const names[] = {"Base1", "Base2", "Base3", "BlendMap", "SpecularMap", "HeightMap"};
    for (int i = 0; i < 6; ++i) {
        t.m_textures[i] = reader.GetValue(names[i]);
    }
}

void ReadSoundData(common::CXmlReader& reader, std::vector<velm::CSound*>& sounds, const SoundMaker& makeSound) {
    reader.Enter("SoundData");
    const int declared = Int(reader, "NumFiles");
    const std::vector<std::string> names = reader.GetValues("FileName");
    const std::size_t count = declared < 0 ? 0 : std::min(names.size(), static_cast<std::size_t>(declared));
    if (declared < 0 || static_cast<std::size_t>(declared) > names.size()) {
        std::fprintf(stderr, "SoundData declares %d files and names %zu; %zu are loaded\n", declared, names.size(),
                     count);
    }
    for (std::size_t i = 0; i < count; ++i) {
        velm::CSound* sound = makeSound ? makeSound(names[i]) : nullptr;
        if (sound != nullptr) {
            sounds.push_back(sound);
        }
    }
}

void ReadPhysicsData(common::CXmlReader& reader, std::unique_ptr<SModelData::SPhysicsData>& physics) {
    if (!EnterSection(reader, "PhysicsData", physics)) {
        return;
    }
    const std::uint32_t sectionDepth = reader.GetScopeCount();
    SModelData::SPhysicsData& p = *physics;
    p.m_mass = Float(reader, "Mass", kMass);
    p.m_kineticFriction = Float(reader, "KineticFriction");
    p.m_staticFriction = Float(reader, "StaticFriction");
    p.m_restitution = Float(reader, "CoefficientRestitution");
    p.m_immovable = reader.GetValue("Immovable") == "TRUE" ? 1 : 0;
    reader.Enter("HullData");
    if (reader.GetValue("HasHull") == "TRUE") {
        p.m_independentHull = reader.GetValue("IndependentHull") == "TRUE" ? 1 : 0;
        const std::string type = reader.GetValue("HullType");
        if (type == "Cylinder") {
            p.m_hullType = SModelData::HULL_CYLINDER;
            p.m_hullDims[0] = Float(reader, "Height", kExtent);
            p.m_hullDims[1] = Float(reader, "Radius", kExtent);
            p.m_hullLayers = Count(reader, "Layers", kHullLayers);
            p.m_hullSlices = Count(reader, "Slices", kHullSlices);
        } else if (type == "Box") {
            p.m_hullDims[0] = Float(reader, "XLength", kExtent);
            p.m_hullDims[1] = Float(reader, "YLength", kExtent);
            p.m_hullDims[2] = Float(reader, "ZLength", kExtent);
        } else if (type == "Mesh") {
            p.m_hullType = SModelData::HULL_MESH;
            ReadHull(reader, p);
        }
    } else {
        p.m_hullType = SModelData::HULL_NONE;
    }
    // Each offset is entered from the previous one's scope; one found back in this section's
    // own scope leaves the depth one below it. Anything else means the list has ended.
    for (;;) {
        reader.Enter("PositionOffsets");
        if (reader.GetScopeCount() != sectionDepth + 1) {
            break;
        }
        const float x = Float(reader, "x");
        const float y = Float(reader, "y");
        const float z = Float(reader, "z");
        p.m_positionOffsets.emplace_back(x, y, z);
    }
}

void ReadHull(common::CXmlReader& reader, SModelData::SPhysicsData& physics) {
    reader.Enter("Hull");
    const int count = Int(reader, "TriCount");
    const common::CVector3 s = Vector(reader, "Scalars");
    for (int i = 0; i < count; ++i) {
        reader.Enter("Triangle");
        if (!reader.HasElement("Point")) {
            std::fprintf(stderr, "Hull declares %d triangles but holds %d\n", count, i);
            break;
        }
        common::CVector3 points[3];
        for (common::CVector3& point : points) {
            reader.Enter("Point");
            const float x = Float(reader, "x");
            const float y = Float(reader, "y");
            const float z = Float(reader, "z");
            point.Set(x * s.x, y * s.y, z * s.z);
        }
        physics.m_meshHull.emplace_back(points[0], points[1], points[2]);
    }
}

} // namespace kelvo
