#include "platform/d3d9/d3dx9_font.h"

#include <gtest/gtest.h>

#include <cwchar>

#include "platform/d3d9/test_support.h"

namespace {

D3DXFONT_DESCW Desc(const wchar_t* face, INT height, UINT width, UINT weight) {
    D3DXFONT_DESCW desc = {};
    desc.Height = height;
    desc.Width = width;
    desc.Weight = weight;
    desc.MipLevels = 1;
    desc.OutputPrecision = 8;
    desc.Quality = 4;
    std::wcsncpy(desc.FaceName, face, kLfFaceSize - 1);
    return desc;
}

class D3DXFontTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_device.MakeNull()); }
    ID3DXFont* Make(const D3DXFONT_DESCW& desc) {
        ID3DXFont* font = nullptr;
        EXPECT_EQ(D3D_OK, D3DXCreateFontIndirectW(m_device.Get(), &desc, &font));
        return font;
    }
    tk_test::CDeviceHolder m_device;
};

TEST_F(D3DXFontTest, TheGameFacesMapToInstalledFonts) {
    const struct {
        const wchar_t* face;
        INT height;
        UINT width;
        UINT weight;
        const char* family;
    } cases[] = {
        {L"Arial", 16, 10, 400, "Liberation Sans"},
        {L"Arial", 16, 10, 700, "Liberation Sans"},
        {L"Times New Roman", 16, 10, 400, "Liberation Serif"},
        {L"Times New Roman", 16, 10, 700, "Liberation Serif"},
        {L"Arial", 16, 8, 400, "Liberation Sans"},
    };
    for (const auto& c : cases) {
        ::testing::internal::CaptureStderr();
        ID3DXFont* font = Make(Desc(c.face, c.height, c.width, c.weight));
        ::testing::internal::GetCapturedStderr();
        ASSERT_NE(nullptr, font);
        EXPECT_EQ(c.family, font->GetFamily());
        EXPECT_EQ(c.weight >= 700, font->GetFile().find("Bold") != std::string::npos) << font->GetFile();
        font->Release();
    }
}

TEST_F(D3DXFontTest, AFaceNotInstalledFallsBackToASansFaceWithALogLine) {
    ::testing::internal::CaptureStderr();
    ID3DXFont* font = Make(Desc(L"Ravie", 30, 20, 700));
    const std::string log = ::testing::internal::GetCapturedStderr();
    ASSERT_NE(nullptr, font);
    EXPECT_NE(std::string::npos, log.find("face \"Ravie\" is not installed")) << log;
    EXPECT_NE(std::string::npos, font->GetFamily().find("Sans")) << font->GetFamily();
    RECT rect = {0, 0, 200, 0};
    EXPECT_EQ(30, font->DrawTextW(nullptr, L"Go", -1, &rect, DT_CALCRECT, 0xFFFFFFFF));
    font->Release();
}

TEST_F(D3DXFontTest, MeasuringFollowsLinesTabsAndWordBreaks) {
    ID3DXFont* font = Make(Desc(L"Arial", 16, 10, 400));
    ASSERT_NE(nullptr, font);
    auto measure = [&](const wchar_t* text, LONG width, DWORD format, INT* height) {
        RECT rect = {5, 7, 5 + width, 7};
        *height = font->DrawTextW(nullptr, text, -1, &rect, format | DT_CALCRECT, 0xFFFFFFFF);
        EXPECT_EQ(7 + *height, rect.bottom);
        return rect.right - rect.left;
    };
    INT height = 0;
    const LONG word = measure(L"Kelvo", 0, 0, &height);
    EXPECT_EQ(16, height);
    EXPECT_GT(word, 20);
    EXPECT_EQ(word, measure(L"Kelvo", 200, DT_WORDBREAK, &height));
    measure(L"Kelvo\nTumbo", 0, 0, &height);
    EXPECT_EQ(32, height);
    const LONG plain = measure(L"a\tb", 0, 0, &height);
    const LONG expanded = measure(L"a\tb", 0, DT_EXPANDTABS, &height);
    EXPECT_GE(expanded, 80); // the tab reaches the first stop, 8 average widths of 10
    EXPECT_LT(plain, expanded);
    const LONG wrapped = measure(L"one two three four five six", 80, DT_WORDBREAK, &height);
    EXPECT_GT(height, 32);
    EXPECT_LE(wrapped, 80);
    RECT counted = {0, 0, 50, 0};
    EXPECT_EQ(48, font->DrawTextW(nullptr, L"a\nb\nc", 5, &counted, DT_CALCRECT, 0));
    EXPECT_EQ(32, font->DrawTextW(nullptr, L"a\nb\nc", 3, &counted, DT_CALCRECT, 0));
    font->Release();
}

TEST(D3DXFontGl, TextIsDrawnInsideTheRectangleItMeasures) {
    tk_test::CDeviceHolder device;
    std::string reason;
    constexpr UINT kWidth = 160;
    constexpr UINT kHeight = 64;
    if (!device.MakeGl(kWidth, kHeight, &reason)) {
        GTEST_SKIP() << "no offscreen OpenGL: " << reason;
    }
    D3DXFONT_DESCW desc = Desc(L"Arial", 16, 10, 700);
    ID3DXFont* font = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateFontIndirectW(device.Get(), &desc, &font));
    ID3DXSprite* sprite = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateSprite(device.Get(), &sprite));
    const wchar_t* text = L"Tumbo\tKelvo go";
    RECT measured = {12, 9, 12 + 120, 9};
    const INT height = font->DrawTextW(sprite, text, -1, &measured, 0x550, 0xFFFFFFFF);
    ASSERT_GT(height, 0);
    device->BeginScene();
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    sprite->Begin(D3DXSPRITE_ALPHABLEND);
    RECT draw = {12, 9, 12 + 120, 9 + height};
    font->DrawTextW(sprite, text, -1, &draw, 0x150, 0xFFFFFFFF);
    sprite->End();
    device->EndScene();
    const std::vector<std::uint8_t> bgra = device.ReadBackBuffer();
    ASSERT_FALSE(bgra.empty());
    int lit = 0;
    for (LONG y = 0; y < static_cast<LONG>(kHeight); ++y) {
        for (LONG x = 0; x < static_cast<LONG>(kWidth); ++x) {
            const std::uint8_t* p = &bgra[(static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)) * 4];
            if (p[0] + p[1] + p[2] == 0) {
                continue;
            }
            ++lit;
            EXPECT_TRUE(x >= measured.left && x < measured.right && y >= measured.top && y < measured.bottom)
                << "lit pixel " << x << ", " << y << " outside the measured box";
        }
    }
    EXPECT_GT(lit, 60);
    sprite->Release();
    font->Release();
}

} // namespace
