#include <gtest/gtest.h>

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/d3d9/d3dx9.h"
#include "platform/d3d9/test_support.h"

namespace {

using tk_test::CDeviceHolder;

// 4 x 2 pixels, RGBA, each one different; row 0 is the top row.
const std::uint8_t kImage[2][4][4] = {
    {{255, 0, 0, 255}, {0, 255, 0, 200}, {0, 0, 255, 100}, {10, 20, 30, 40}},
    {{1, 2, 3, 4}, {50, 60, 70, 80}, {90, 100, 110, 120}, {255, 255, 255, 0}},
};

std::string WriteImage(const std::string& name) {
    const std::string path = ::testing::TempDir() + name;
    EXPECT_NE(stbi_write_png(path.c_str(), 4, 2, 4, kImage, 16), 0);
    return path;
}

TEST(TextureFile, LoadsTopRowFirstInArgbByteOrder) {
    CDeviceHolder device;
    ASSERT_TRUE(device.MakeNull());
    const std::string path = WriteImage("texture_test_4x2.png");
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileA(device.Get(), path.c_str(), &texture), D3D_OK);
    D3DSURFACE_DESC desc;
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 4u);
    EXPECT_EQ(desc.Height, 2u);
    EXPECT_EQ(texture->GetLevelCount(), 3u) << "a full mip chain";
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const auto* bits = static_cast<const std::uint8_t*>(locked.pBits);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            const std::uint8_t* pixel = bits + y * locked.Pitch + x * 4;
            EXPECT_EQ(pixel[0], kImage[y][x][2]);
            EXPECT_EQ(pixel[1], kImage[y][x][1]);
            EXPECT_EQ(pixel[2], kImage[y][x][0]);
            EXPECT_EQ(pixel[3], kImage[y][x][3]);
        }
    }
    texture->UnlockRect(0);
    EXPECT_EQ(texture->LockRect(1, &locked, nullptr, 0), D3DERR_INVALIDCALL) << "lower levels keep no memory";

    IDirect3DSurface9* surface = nullptr;
    texture->GetSurfaceLevel(0, &surface);
    const std::string saved = ::testing::TempDir() + "texture_test_saved.png";
    ASSERT_EQ(D3DXSaveSurfaceToFileA(saved.c_str(), D3DXIFF_PNG, surface, nullptr, nullptr), D3D_OK);
    surface->Release();
    texture->Release();
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* png = stbi_load(saved.c_str(), &width, &height, &channels, 4);
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(std::vector<std::uint8_t>(png, png + 32),
              std::vector<std::uint8_t>(&kImage[0][0][0], &kImage[0][0][0] + 32));
    stbi_image_free(png);
    std::remove(path.c_str());
    std::remove(saved.c_str());
}

TEST(TextureFile, MissingOrCorruptFilesGiveNoTexture) {
    CDeviceHolder device;
    ASSERT_TRUE(device.MakeNull());
    const std::string corrupt = ::testing::TempDir() + "texture_test_corrupt.png";
    std::ofstream(corrupt) << "\x89PNG this is not an image";
    const std::string truncated = ::testing::TempDir() + "texture_test_truncated.png";
    {
        const std::string whole = WriteImage("texture_test_whole.png");
        std::ifstream in(whole, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::ofstream(truncated, std::ios::binary) << bytes.substr(0, bytes.size() / 2);
        std::remove(whole.c_str());
    }
    // A header claiming 60000 x 60000 pixels (stb does not check the chunk checksum).
    const std::string huge = ::testing::TempDir() + "texture_test_huge.png";
    {
        const std::string whole = WriteImage("texture_test_whole.png");
        std::ifstream in(whole, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const char size[8] = {0, 0, '\xEA', '\x60', 0, 0, '\xEA', '\x60'};
        bytes.replace(16, 8, size, 8);
        std::ofstream(huge, std::ios::binary) << bytes;
        std::remove(whole.c_str());
    }
    for (const std::string& path : {std::string("no_such_texture.png"), corrupt, truncated, huge}) {
        ::testing::internal::CaptureStderr();
        IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
        EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileA(device.Get(), path.c_str(), &texture))) << path;
        EXPECT_EQ(texture, nullptr) << path;
        EXPECT_NE(::testing::internal::GetCapturedStderr().find(path), std::string::npos) << path;
    }
    std::remove(corrupt.c_str());
    std::remove(truncated.c_str());
    std::remove(huge.c_str());
}

std::string WriteBytes(const std::string& name, const std::string& bytes) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// The four formats of the game's art load; stb's other formats are refused.
TEST(TextureFile, OnlyPngTgaBmpAndJpegAreTaken) {
    CDeviceHolder device;
    ASSERT_TRUE(device.MakeNull());
    const std::string base = ::testing::TempDir() + "texture_test_format";
    struct SWritten {
        std::string path;
        int written;
    };
    stbi_write_tga_with_rle = 0;
    const SWritten raw = {base + "_raw.tga", stbi_write_tga((base + "_raw.tga").c_str(), 4, 2, 4, kImage)};
    stbi_write_tga_with_rle = 1;
    const SWritten good[] = {
        {base + ".bmp", stbi_write_bmp((base + ".bmp").c_str(), 4, 2, 4, kImage)},
        {base + ".tga", stbi_write_tga((base + ".tga").c_str(), 4, 2, 4, kImage)},
        {base + ".jpg", stbi_write_jpg((base + ".jpg").c_str(), 4, 2, 4, kImage, 90)},
        raw,
    };
    for (const SWritten& file : good) {
        ASSERT_NE(file.written, 0) << file.path;
        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(D3DXCreateTextureFromFileA(device.Get(), file.path.c_str(), &texture), D3D_OK) << file.path;
        D3DSURFACE_DESC desc;
        texture->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Width, 4u) << file.path;
        EXPECT_EQ(desc.Height, 2u) << file.path;
        texture->Release();
        std::remove(file.path.c_str());
    }
    static const char kGif[] =
        "GIF89a\x01\x00\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;";
    const std::string others[] = {
        WriteBytes("texture_test.gif", std::string(kGif, sizeof(kGif) - 1)),
        WriteBytes("texture_test.ppm", std::string("P6\n2 2\n255\n") + std::string(12, '\x7f')),
        WriteBytes("texture_test.hdr", "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 1 +X 1\n\x80\x80\x80\x80"),
    };
    for (const std::string& path : others) {
        ::testing::internal::CaptureStderr();
        IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
        EXPECT_EQ(D3DXCreateTextureFromFileA(device.Get(), path.c_str(), &texture), D3DXERR_INVALIDDATA) << path;
        EXPECT_EQ(texture, nullptr);
        EXPECT_NE(::testing::internal::GetCapturedStderr().find(path + ": texture file is not a PNG, TGA, BMP or JPEG"),
                  std::string::npos)
            << path;
        std::remove(path.c_str());
    }
}

// A TGA header of a few bytes once made the loader decode tens of megapixels of nothing before
// the cube's aspect refused it; the size is now judged from the header alone.
TEST(TextureFile, TruncatedTgaIsRefusedFromItsHeader) {
    CDeviceHolder device;
    ASSERT_TRUE(device.MakeNull());
    ::testing::internal::CaptureStderr();
    IDirect3DCubeTexture9* cube = reinterpret_cast<IDirect3DCubeTexture9*>(1);
    EXPECT_EQ(D3DXCreateCubeTextureFromFileA(device.Get(), tk_test::DataPath("truncated-cube.tga").c_str(), &cube),
              D3DXERR_INVALIDDATA);
    EXPECT_EQ(cube, nullptr);
    std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("truncated-cube.tga: TGA of 4129 x 22571 is cut short (27 bytes)"), std::string::npos) << log;

    // Headers of run-length and plain true-colour TGAs, 24576 x 4096 (a strip of six faces the
    // device takes), with a few bytes of data where hundreds of megabytes would be due.
    for (const char type : {'\x0a', '\x02'}) {
        std::string header(18, '\0');
        header[2] = type;
        header[12] = '\x00';
        header[13] = '\x60';
        header[15] = '\x10';
        header[16] = 32;
        const std::string path = WriteBytes("texture_test_short.tga", header + "\xff\x01\x02\x03\x04");
        ::testing::internal::CaptureStderr();
        cube = reinterpret_cast<IDirect3DCubeTexture9*>(1);
        EXPECT_EQ(D3DXCreateCubeTextureFromFileA(device.Get(), path.c_str(), &cube), D3DXERR_INVALIDDATA);
        EXPECT_EQ(cube, nullptr);
        log = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find(path + ": TGA of 24576 x 4096 is cut short (23 bytes)"), std::string::npos) << log;
        std::remove(path.c_str());
    }
}

TEST(TextureFile, CubeFilesAreStripsOfSixFaces) {
    CDeviceHolder device;
    ASSERT_TRUE(device.MakeNull());
    std::vector<std::uint8_t> strip(12 * 2 * 4, 255);
    const std::string path = ::testing::TempDir() + "texture_test_cube.png";
    stbi_write_png(path.c_str(), 12, 2, 4, strip.data(), 48);
    IDirect3DCubeTexture9* cube = nullptr;
    ASSERT_EQ(D3DXCreateCubeTextureFromFileA(device.Get(), path.c_str(), &cube), D3D_OK);
    D3DSURFACE_DESC desc;
    cube->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 2u);
    cube->Release();
    const std::string wrong = WriteImage("texture_test_not_cube.png");
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(FAILED(D3DXCreateCubeTextureFromFileA(device.Get(), wrong.c_str(), &cube)));
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(cube, nullptr);
    std::remove(path.c_str());
    std::remove(wrong.c_str());
}

} // namespace
