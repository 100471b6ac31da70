#include <gtest/gtest.h>

#include <stb/stb_image_write.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <vector>

#include "engine/gfx/gfx_skybox.h"
#include "engine/gfx/gfx_terrain.h"
#include "engine/gfx/terrain.h"
#include "gl_test_frame.h"
#include "support/source_file.h"

namespace {

using tktest::SPixel;

// Square ground of side x side vertices one metre apart, its heights (0 to 255 over `amplitude`)
// given for each column and row and written as the height map, one texture on it.
template <typename Height>
velm::STerrainInfo Ground(const tktest::CTempDir& dir, int side, float amplitude, Height height, const char* texture) {
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(side * side) * 4, 255);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            rgba[static_cast<std::size_t>(y * side + x) * 4 + 1] = static_cast<std::uint8_t>(height(x, y));
        }
    }
    stbi_write_png((dir.Path() + "/heights.png").c_str(), side, side, 4, rgba.data(), side * 4);
    velm::STerrainInfo info;
    info.vertPerRow = info.vertPerCol = static_cast<std::uint32_t>(side);
    info.cellSpacing = 1.0f;
    info.amplitude = amplitude;
    info.rotationAxis = common::CVector3(0.0f, 1.0f, 0.0f);
    info.scale = common::CVector3(1.0f, 1.0f, 1.0f);
    info.base1 = texture;
    info.base2 = info.base3 = info.blendMap = info.specularMap = "none";
    info.heightMap = "heights.png";
    return info;
}

// The skybox and the terrain on the OpenGL device; their effects show the first texture unlit.
class GlWorldTest : public tktest::CGlFrameTest {
protected:
    void SetUp() override {
        StartDevice(
            {{"Skybox.fx",
              tktest::LitEffect({"RenderSkybox"}, 1, tktest::Textures({"g_SkyboxTexture"}), "g_SkyboxTexture", true)},
             {"Terrain.fx", tktest::LitEffect({"RenderTerrain"}, 1,
                                              tktest::Textures({"g_TerrainBase1", "g_TerrainBase2", "g_TerrainBase3",
                                                                "g_TerrainBlend", "g_SpecularMap"}),
                                              "g_TerrainBase1", true)}});
    }
};

TEST_F(GlWorldTest, EachSkyboxFaceFillsTheViewTowardIt) {
    if (!m_skip.empty()) {
        GTEST_SKIP() << m_skip;
    }
    const struct {
        const char* name;
        SPixel colour;
        D3DXVECTOR3 direction;
        D3DXVECTOR3 up;
    } faces[6] = {
        {"right.bmp", {255, 0, 0}, {1, 0, 0}, {0, 1, 0}},   {"left.bmp", {0, 255, 0}, {-1, 0, 0}, {0, 1, 0}},
        {"up.bmp", {0, 0, 255}, {0, 1, 0}, {0, 0, 1}},      {"down.bmp", {255, 255, 0}, {0, -1, 0}, {0, 0, 1}},
        {"front.bmp", {0, 255, 255}, {0, 0, 1}, {0, 1, 0}}, {"back.bmp", {255, 0, 255}, {0, 0, -1}, {0, 1, 0}}};
    std::array<std::string, 6> names;
    for (int i = 0; i < 6; ++i) {
        m_dir.Write(faces[i].name, tktest::SolidBmp(static_cast<std::uint8_t>(faces[i].colour.r),
                                                    static_cast<std::uint8_t>(faces[i].colour.g),
                                                    static_cast<std::uint8_t>(faces[i].colour.b)));
        names[static_cast<std::size_t>(i)] = faces[i].name;
    }
    velm::gfx::CGFXSkyBox sky;
    sky.Create(10.0f, names);
    // Away from where the faces were made: they must follow.
    const D3DXVECTOR3 camera(30.0f, -4.0f, 12.0f);
    sky.FollowCamera(camera.x, camera.y, camera.z);
    std::vector<velm::gfx::IGfxUnit*> units;
    for (int i = 0; i < 6; ++i) {
        units.push_back(sky.GetFace(static_cast<velm::gfx::CGFXSkyBox::EFace>(i)));
    }
    for (const auto& face : faces) {
        Look(camera, camera + face.direction, face.up);
        const std::vector<std::uint8_t> frame = Draw(units);
        ASSERT_EQ(frame.size(), static_cast<std::size_t>(kSize * kSize * 4));
        // The face spans the whole 90-degree view: the centre and a point near each corner.
        for (const auto& [x, y] : {std::pair<int, int>{32, 32}, {6, 6}, {57, 6}, {6, 57}, {57, 57}}) {
            ExpectNear(At(frame, x, y), face.colour,
                       std::string(face.name) + " at " + std::to_string(x) + ", " + std::to_string(y));
        }
    }
}

TEST_F(GlWorldTest, TerrainFromAHeightMapShowsItsRidgeAgainstTheSky) {
    if (!m_skip.empty()) {
        GTEST_SKIP() << m_skip;
    }
    // 5 x 5: the two right-hand columns high, the rest flat.
    m_dir.Write("blue.bmp", tktest::SolidBmp(0, 0, 255));
    velm::CTerrain terrain(Ground(
                               m_dir, 5, 2.0f, [](int x, int) { return x >= 3 ? 255 : 0; }, "blue.bmp"),
                           1);
    // Level with and above the ridge's top (y 2), looking along +z across x in [-2, 2].
    Look(D3DXVECTOR3(0.0f, 3.0f, -6.0f), D3DXVECTOR3(0.0f, 3.0f, 0.0f), D3DXVECTOR3(0.0f, 1.0f, 0.0f));
    const std::vector<std::uint8_t> frame = Draw({terrain.GetTerrainUnit()});
    ASSERT_EQ(frame.size(), static_cast<std::size_t>(kSize * kSize * 4));
    ExpectNear(At(frame, 44, 39), {0, 0, 255}, "the ridge's top on the right");
    ExpectNear(At(frame, 20, 39), {0, 0, 0}, "sky over the flat left at the same height");
    ExpectNear(At(frame, 22, 50), {0, 0, 255}, "the flat ground lower down on the left");
    ExpectNear(At(frame, 44, 30), {0, 0, 0}, "sky above the ridge");
}

// The shipped terrain effect, whose ground past the fog's end is drawn by its plain-fog technique.
class GlFoggedGroundTest : public tktest::CGlFrameTest {
protected:
    void SetUp() override {
        const auto shipped = [](const std::string& name) {
            std::ifstream file(tktest::SourceFile("data/files/fx/" + name));
            std::stringstream text;
            text << file.rdbuf();
            return std::make_pair(name, text.str());
        };
        StartDevice({shipped("Terrain.fx"), shipped("PreZ.fx")});
    }
};

TEST_F(GlFoggedGroundTest, GroundPastTheFogsEndIsDrawnInItsColourAndOnlyItsOutlineMayMove) {
    if (!m_skip.empty()) {
        GTEST_SKIP() << m_skip;
    }
    // Rolling ground 64 m square, red, seen from one edge across its length.
    m_dir.Write("red.bmp", tktest::SolidBmp(255, 0, 0));
    const auto hills = [](int x, int y) { return static_cast<int>(128 + 100 * std::sin(x * 0.3) * std::cos(y * 0.2)); };
    velm::CTerrain terrain(Ground(m_dir, 65, 3.0f, hills, "red.bmp"), 1);
    velm::gfx::CAtmosphereManager& fog = velm::gfx::AtmosphereManager::Instance();
    fog.m_fogStart = 5.0f;
    fog.m_fogEnd = 30.0f;
    fog.m_r = 0.62f;
    fog.m_g = 0.74f;
    fog.m_b = 0.86f;
    fog.m_a = 1.0f;
    D3DLIGHT9 light = velm::gfx::LightsManager::Instance().GetLight();
    light.Ambient = {1.0f, 1.0f, 1.0f, 1.0f};
    velm::gfx::LightsManager::Instance().SetLight(light, 0);
    Look(D3DXVECTOR3(0.0f, 8.0f, -36.0f), D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(0.0f, 1.0f, 0.0f));
    const platform::d3d9::SDeviceStats& stats = velm::gfx::GFXCore::Instance().GetDevice()->Stats();

    velm::gfx::Renderer::Instance().m_cutOutOfView = false;
    std::uint64_t draws = stats.draws;
    const std::vector<std::uint8_t> whole = Draw({terrain.GetTerrainUnit()});
    const std::uint64_t wholeDraws = stats.draws - draws;
    velm::gfx::Renderer::Instance().m_cutOutOfView = true;
    draws = stats.draws;
    const std::vector<std::uint8_t> cut = Draw({terrain.GetTerrainUnit()});
    EXPECT_GT(stats.draws - draws, wholeDraws) << "the near ground and the fogged ground are drawn apart";
    ASSERT_EQ(cut.size(), whole.size());
    // The fog's colour comes out of the ground's effect as a mix that may round the other way by
    // one level, and the far ground's coarser cover may move its outline: a pixel may be fog in one
    // frame and the clear colour in the other, along that line only. Nothing else may differ.
    const auto fogged = [](const tktest::SPixel& p) {
        return std::abs(p.r - 158) <= 1 && std::abs(p.g - 189) <= 1 && std::abs(p.b - 219) <= 1;
    };
    int moved = 0;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const tktest::SPixel a = At(cut, x, y);
            const tktest::SPixel b = At(whole, x, y);
            if (std::abs(a.r - b.r) <= 1 && std::abs(a.g - b.g) <= 1 && std::abs(a.b - b.b) <= 1) {
                continue;
            }
            ++moved;
            EXPECT_TRUE((fogged(a) && b.r == 0 && b.g == 0 && b.b == 0) ||
                        (fogged(b) && a.r == 0 && a.g == 0 && a.b == 0))
                << "at " << x << ", " << y << ": " << a.r << ", " << a.g << ", " << a.b << " against " << b.r << ", "
                << b.g << ", " << b.b;
        }
    }
    EXPECT_LE(moved, kSize / 4) << "the outline moves here and there, not the ground";
    // A pre-depth pass lays the depth of the ground the colour pass draws, far cover and all.
    const std::vector<std::uint8_t> laid = Draw({terrain.GetTerrainUnit()}, true);
    ASSERT_EQ(laid.size(), cut.size());
    int most = 0;
    for (std::size_t i = 0; i < cut.size(); ++i) {
        most = std::max(most, std::abs(static_cast<int>(cut[i]) - static_cast<int>(laid[i])));
    }
    EXPECT_LE(most, 1) << "the frame drawn over a pre-depth pass";
    const tktest::SPixel near = At(cut, 32, 60);
    EXPECT_TRUE(near.r > 200 && near.g < 60 && near.b < 60)
        << "the near ground, red under a little fog: " << near.r << ", " << near.g << ", " << near.b;
    ExpectNear(At(cut, 32, 30), {158, 189, 219}, "the far ground, fog");
}

} // namespace
