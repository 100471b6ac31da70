#include <gtest/gtest.h>

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/d3d9/d3dx9.h"
#include "platform/d3d9/test_support.h"
#include "platform/d3d9/texture_prefetch.h"
#include "support/file_size_limit.h"

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
    // A folder or an endless device in a texture's place is refused before a byte is read. A file
    // read ahead on a worker fails the same way, with the same words, when it is asked for.
    D3DCAPS9 caps;
    device->GetDeviceCaps(&caps);
    for (const std::string& path : {std::string("no_such_texture.png"), corrupt, truncated, huge, ::testing::TempDir(),
                                    std::string("/dev/zero")}) {
        std::string said[2];
        for (int prefetched = 0; prefetched < 2; ++prefetched) {
            if (prefetched == 1) {
                device->Prefetcher().Start(caps, {path});
            }
            ::testing::internal::CaptureStderr();
            IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
            EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileA(device.Get(), path.c_str(), &texture))) << path;
            EXPECT_EQ(texture, nullptr) << path;
            said[prefetched] = ::testing::internal::GetCapturedStderr();
        }
        EXPECT_NE(said[0].find(path), std::string::npos) << path;
        EXPECT_EQ(said[1], said[0]);
    }
    std::remove(corrupt.c_str());
    std::remove(truncated.c_str());
    std::remove(huge.c_str());
}

// A prefetched file gives the texture a load without prefetch gives; one never asked for is let
// go, and a later load reads the file again.
TEST(TextureFile, PrefetchedFilesGiveTheSamePixels) {
    CDeviceHolder device;
    ASSERT_TRUE(device.MakeNull());
    const std::string path = WriteImage("texture_test_prefetched.png");
    D3DCAPS9 caps;
    device->GetDeviceCaps(&caps);
    const auto pixels = [&](bool prefetch) {
        if (prefetch) {
            device->Prefetcher().Start(caps, {path, path});
        }
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(D3DXCreateTextureFromFileA(device.Get(), path.c_str(), &texture), D3D_OK);
        std::vector<std::uint8_t> bgra;
        if (texture != nullptr) {
            EXPECT_EQ(texture->GetLevelCount(), 3u);
            EXPECT_TRUE(texture->CopyPixels(&bgra));
            texture->Release();
        }
        return bgra;
    };
    const std::vector<std::uint8_t> plain = pixels(false);
    ASSERT_EQ(plain.size(), 4u * 2u * 4u);
    EXPECT_EQ(pixels(true), plain);
    EXPECT_EQ(device->Prefetcher().Take(path), nullptr) << "a prefetched file is used once";

    device->Prefetcher().Start(caps, {path});
    device->Prefetcher().Drop();
    EXPECT_EQ(device->Prefetcher().Take(path), nullptr);
    EXPECT_EQ(pixels(false), plain);
    std::remove(path.c_str());
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A screenshot on a full disk, or into a folder that cannot hold it, fails and says so; an image
// saved there before stays whole.
TEST(TextureFile, ASaveThatCannotBeWrittenWholeFailsAndKeepsTheOldImage) {
    CDeviceHolder device;
    ASSERT_TRUE(device.MakeNull());
    IDirect3DTexture9* texture = nullptr;
    const std::string source = WriteImage("texture_test_source.png");
    ASSERT_EQ(D3DXCreateTextureFromFileA(device.Get(), source.c_str(), &texture), D3D_OK);
    IDirect3DSurface9* surface = nullptr;
    texture->GetSurfaceLevel(0, &surface);
    const std::string saved = ::testing::TempDir() + "texture_test_kept.png";
    ASSERT_EQ(D3DXSaveSurfaceToFileA(saved.c_str(), D3DXIFF_PNG, surface, nullptr, nullptr), D3D_OK);
    const std::string before = ReadBytes(saved);
    ASSERT_FALSE(before.empty());
    {
        // The limit holds for a captured standard error too, so the line is read below instead.
        tktest::CFileSizeLimit full(16);
        EXPECT_EQ(D3DXSaveSurfaceToFileA(saved.c_str(), D3DXIFF_PNG, surface, nullptr, nullptr), E_FAIL);
    }
    EXPECT_EQ(ReadBytes(saved), before);
    const std::string below = source + "/below.png";
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(D3DXSaveSurfaceToFileA(below.c_str(), D3DXIFF_PNG, surface, nullptr, nullptr), E_FAIL);
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(log, below + ": image cannot be written (Not a directory); not saved\n");
    surface->Release();
    texture->Release();
    std::remove(source.c_str());
    std::remove(saved.c_str());
}

std::string WriteBytes(const std::string& name, const std::string& bytes) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// The formats of the game's art load; stb's others are refused. A TGA header of a few bytes
// once had tens of megapixels decoded before the cube's aspect refused it, and a PNG chunk's
// length or a BMP's size had stb take gigabytes for a file of a hundred bytes.
TEST(TextureFile, HeadersAreJudgedBeforeDecoding) {
    CDeviceHolder device;
    ASSERT_TRUE(device.MakeNull());
    const std::string base = ::testing::TempDir() + "texture_test_format";
    stbi_write_bmp((base + ".bmp").c_str(), 4, 2, 4, kImage);
    stbi_write_tga((base + ".tga").c_str(), 4, 2, 4, kImage);
    stbi_write_jpg((base + ".jpg").c_str(), 4, 2, 4, kImage, 90);
    for (const char* extension : {".bmp", ".tga", ".jpg"}) {
        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(D3DXCreateTextureFromFileA(device.Get(), (base + extension).c_str(), &texture), D3D_OK) << extension;
        texture->Release();
        std::remove((base + extension).c_str());
    }
    // Run-length TGA headers of a 24576 x 4096 strip of six faces, with 5 bytes of pixels.
    std::string strip(18, '\0');
    strip[2] = '\x0a';
    strip[13] = '\x60';
    strip[15] = '\x10';
    strip[16] = 32;
    // A 4 x 4 PNG whose second chunk says it holds 1.29 GB, and a 4096 x 4096 BMP of 58 bytes.
    const std::string png = std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x04\0\0\0\x04\x08\x02\0\0\0", 29) +
                            "\x26\x97\x09\x42" + std::string("\x4d\0\0\x29IDAT", 8) + std::string(41, 'x');
    std::string bmp = std::string("BM") + std::string(52, '\0') + "\x01\x02\x03\x04";
    bmp[10] = 54;
    bmp[14] = 40;
    bmp[19] = bmp[23] = '\x10';
    bmp[26] = 1;
    bmp[28] = 32;
    const std::pair<std::string, const char*> bad[] = {
        {WriteBytes("texture_test_chunk.png", png), "PNG of 4 x 4 has a chunk running past its end (82 bytes)"},
        {WriteBytes("texture_test_short.bmp", bmp), "BMP of 4096 x 4096 is cut short (58 bytes)"},
        {tk_test::DataPath("truncated-cube.tga"), "TGA of 4129 x 22571 is cut short (27 bytes)"},
        {WriteBytes("texture_test_short.tga", strip + "\xff\x01\x02\x03\x04"), "TGA of 24576 x 4096 is cut short"},
        {WriteBytes("texture_test.ppm", "P6\n2 2\n255\n" + std::string(12, '\x7f')), "is not a PNG, TGA, BMP or JPEG"},
        {WriteBytes("texture_test.hdr", "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 1 +X 1\n\x80\x80\x80\x80"),
         "is not a PNG, TGA, BMP or JPEG"},
    };
    for (const auto& [path, error] : bad) {
        ::testing::internal::CaptureStderr();
        IDirect3DCubeTexture9* cube = reinterpret_cast<IDirect3DCubeTexture9*>(1);
        EXPECT_EQ(D3DXCreateCubeTextureFromFileA(device.Get(), path.c_str(), &cube), D3DXERR_INVALIDDATA) << path;
        EXPECT_EQ(cube, nullptr);
        const std::string log = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find(path + ": "), std::string::npos) << log;
        EXPECT_NE(log.find(error), std::string::npos) << log;
        // The shipped sample stays; only the files written here go (a checkout may itself lie
        // under the temporary folder).
        if (path != tk_test::DataPath("truncated-cube.tga")) {
            std::remove(path.c_str());
        }
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
