#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/gfx/button.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/gfx/particle_sys_registry.h"
#include "engine/gfx/particle_system.h"
#include "engine/gfx/particle_test_files.h"
#include "engine/gfx/velm_gfx.h"
#include "support/gl_velm_gfx.h"
#include "support/temp_dir.h"

namespace {

using velm::gfx::GFXCore;

constexpr int kSize = 64;

// A 24-bit BMP of `width` x 8 x rows pixels: each band of 8 rows one colour, top band first.
std::string BandsBmp(int width, const std::vector<std::array<std::uint8_t, 3>>& bands) {
    const int height = 8 * static_cast<int>(bands.size());
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const int size = 54 + rowBytes * height;
    std::string bytes(54, '\0');
    auto put32 = [&bytes](std::size_t at, int value) {
        for (int i = 0; i < 4; ++i) {
            bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
        }
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    bytes[26] = 1;
    bytes[28] = 24;
    for (int y = height - 1; y >= 0; --y) {
        const auto& colour = bands[static_cast<std::size_t>(y / 8)];
        std::string row;
        for (int x = 0; x < width; ++x) {
            row += {static_cast<char>(colour[2]), static_cast<char>(colour[1]), static_cast<char>(colour[0])};
        }
        row.resize(static_cast<std::size_t>(rowBytes), '\0');
        bytes += row;
    }
    return bytes;
}

// Screen units and particles on the OpenGL device in a 64 x 64 frame, probed at pixels.
class GlScreensParticlesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_skip = m_gl.Start(kSize, kSize, tktest::SourceFile("data/files/fx/"), m_dir.Path() + "/", {"Particle.fx"});
        m_log = m_gl.Log();
    }

    std::array<int, 3> At(const std::vector<std::uint8_t>& bgra, int x, int y) const { return m_gl.At(bgra, x, y); }

    std::string m_skip;
    std::string m_log;
    tktest::CTempDir m_dir;
    tktest::CGlVelmGfx m_gl;
};

TEST_F(GlScreensParticlesTest, AButtonDrawsTheFrameRowOfItsState) {
    if (!m_skip.empty()) {
        GTEST_SKIP() << m_skip;
    }
    m_dir.Write("rows.bmp", BandsBmp(16, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}}));
    POINT cursor = {0, 0};
    velm::gfx::SButtonLayout layout;
    layout.fileName = "rows.bmp";
    layout.x = 20;
    layout.y = 30;
    layout.width = 16;
    layout.height = 8;
    std::unique_ptr<velm::gfx::CButton> button(velm::gfx::CButton::FromLayout(
        layout, [&cursor](const POINT& corner) { return velm::gfx::IsPointInBox(cursor, corner, 16, 8); }, nullptr));
    ASSERT_EQ(button->GetTextureWidth(), 16);
    auto frame = [&]() { return m_gl.Frame({button.get()}); };
    velm::input::SInputEvent move;
    move.m_code = velm::input::MOUSE_AXIS_X;
    std::vector<std::uint8_t> pixels = frame();
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(kSize * kSize * 4));
    EXPECT_EQ(At(pixels, 27, 33), (std::array<int, 3>{255, 0, 0})) << "normal row";
    EXPECT_EQ(At(pixels, 27, 40), (std::array<int, 3>{0, 0, 0})) << "below the button";
    cursor = {25, 32};
    button->HandleInput(move);
    pixels = frame();
    EXPECT_EQ(At(pixels, 27, 33), (std::array<int, 3>{0, 255, 0})) << "cursor over";
    velm::input::SInputEvent press;
    press.m_code = 210;
    press.m_value = 0;
    EXPECT_TRUE(button->HandleInput(press));
    pixels = frame();
    EXPECT_EQ(At(pixels, 27, 33), (std::array<int, 3>{0, 0, 255})) << "pressed";
    EXPECT_EQ(At(pixels, 19, 33), (std::array<int, 3>{0, 0, 0})) << "left of the button";
}

TEST_F(GlScreensParticlesTest, AFadingParticleDimsThenVanishes) {
    if (!m_skip.empty()) {
        GTEST_SKIP() << m_skip;
    }
    ASSERT_EQ(m_log.find("Particle.fx"), std::string::npos) << m_log;
    m_dir.Write("white.bmp", BandsBmp(8, {{255, 255, 255}}));
    tktest::SParticleTemplate t;
    t.name = "fading";
    t.limit = "1";
    t.roles = {"normal_color_init",
               "normal_life_init",
               "normal_size_init",
               "normal_position_init",
               "null",
               "fade_color_update",
               "null",
               "null",
               "null",
               "null"};
    t.functors =
        "<normal_color_init>\n<color_norm_init>-1</color_norm_init>\n</normal_color_init>\n"
        "<normal_life_init>\n<life>1</life>\n</normal_life_init>\n"
        "<normal_size_init>\n<x>2</x>\n<y>2</y>\n<z>1</z>\n</normal_size_init>\n"
        "<normal_position_init>\n</normal_position_init>\n"
        "<fade_color_update>\n<fade_rate>128</fade_rate>\n</fade_color_update>\n";
    std::string xml = t.Xml();
    xml.replace(xml.find("<sys_texture>none"), 17, "<sys_texture>white.bmp");
    m_dir.Write("particle_sys/fading.xml", xml);
    const std::string table = m_dir.Write("table.xml",
                                          "<particle_system_table>\n<entry>\n<name>fading.xml</name>\n</entry>\n"
                                          "</particle_system_table>\n");
    velm::gfx::CParticleSysRegistry& registry = velm::gfx::ParticleSysRegistry::Instance();
    registry.Init(table, m_dir.Path() + "/particle_sys/");
    // The camera at z = -2 looks along +z with a 90-degree view: the quad, one unit ahead of the
    // system at the origin and 2 units wide, covers the middle of the frame.
    velm::gfx::CGFXCore& core = GFXCore::Instance();
    D3DXMATRIX view;
    D3DXMATRIX projection;
    core.CameraEye() = D3DXVECTOR3(0.0f, 0.0f, -2.0f);
    core.CameraTarget() = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    core.CameraUp() = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &core.CameraEye(), &core.CameraTarget(), &core.CameraUp());
    D3DXMatrixPerspectiveFovLH(&projection, 1.5707964f, 1.0f, 0.1f, 100.0f);
    core.SetViewMatrix(view);
    core.SetProjectionMatrix(projection);
    auto* system = new velm::gfx::CParticleSystem();
    ASSERT_TRUE(system->Create("fading"));
    system->SetID(9);
    auto frame = [&]() {
        velm::gfx::UpdateParticleSystems(0.0, 0.016f);
        std::vector<velm::gfx::IGfxUnit*> units;
        velm::gfx::GatherParticleUnits(&units);
        m_gl.Gfx().CullParticleUnits(units);
        return m_gl.Render();
    };
    std::vector<std::uint8_t> pixels = frame();
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(kSize * kSize * 4));
    // Born opaque, faded by 128 in its first update: alpha 127 over black.
    for (int channel : At(pixels, 32, 32)) {
        EXPECT_NEAR(channel, 127, 3);
    }
    EXPECT_EQ(At(pixels, 4, 4), (std::array<int, 3>{0, 0, 0})) << "outside the quad";
    pixels = frame();
    EXPECT_EQ(At(pixels, 32, 32), (std::array<int, 3>{0, 0, 0})) << "faded out";
    // Hidden, the system is neither stepped nor drawn.
    velm::gfx::FindParticleSystem(9)->SetSkipped(1);
    const float age = system->GetAge();
    frame();
    EXPECT_FLOAT_EQ(system->GetAge(), age);
}

} // namespace
