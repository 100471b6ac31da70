#include "engine/gfx/mesh_cache.h"
#include "engine/gfx/texture_cache.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "engine/gfx/gfx_test_device.h"
#include "support/temp_dir.h"

namespace {

using velm::gfx::CAnimationController;
using velm::gfx::CMeshCache;
using velm::gfx::CTextureRef;
using velm::gfx::SGfxDirectories;
using velm::gfx::SMeshRequest;
using velm::gfx::TextureCache;

// A 2 x 2 24-bit BMP.
std::string SmallBmp() {
    const std::uint8_t header[54] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0,  0,
                                     2,   0,   0,  0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0,  0, 16, 0,
                                     0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0,  0};
    std::string bytes(reinterpret_cast<const char*>(header), sizeof(header));
    bytes += std::string("\xff\x00\x00\x00\xff\x00\x00\x00", 8);
    bytes += std::string("\x00\x00\xff\xff\xff\xff\x00\x00", 8);
    return bytes;
}

class CachesTest : public tktest::CGfxDeviceTest {
protected:
    void SetUp() override {
        tktest::CGfxDeviceTest::SetUp();
        m_dir.Write("small.bmp", SmallBmp());
        SGfxDirectories::s_texture = m_dir.Path() + "/";
        SGfxDirectories::s_mesh = tktest::ModelDirectory();
    }
    void TearDown() override {
        TextureCache::Destroy();
        SGfxDirectories::s_texture.clear();
        SGfxDirectories::s_mesh.clear();
        tktest::CGfxDeviceTest::TearDown();
    }
    tktest::CTempDir m_dir;
};

TEST_F(CachesTest, TwoTextureObjectsOfOneFileShareOneLoad) {
    auto first = std::make_unique<CTextureRef>();
    auto second = std::make_unique<CTextureRef>();
    first->SetFile("small.bmp");
    second->SetFile("small.bmp");
    ASSERT_NE(nullptr, first->GetTexture());
    EXPECT_EQ(first->GetTexture(), second->GetTexture());
    EXPECT_EQ(2u, first->GetWidth());
    EXPECT_EQ(1u, TextureCache::Instance().GetEntryCount());
    EXPECT_EQ(2u, TextureCache::Instance().GetUseCount("small.bmp"));

    first->SetFile("small.bmp");
    EXPECT_EQ(2u, TextureCache::Instance().GetUseCount("small.bmp"));

    first.reset();
    EXPECT_EQ(1u, TextureCache::Instance().GetUseCount("small.bmp"));
    EXPECT_EQ(2u, second->GetHeight());
    second->Release();
    EXPECT_EQ(0u, TextureCache::Instance().GetEntryCount());
    EXPECT_EQ(nullptr, second->GetTexture());
}

TEST_F(CachesTest, TexturesAreKeyedByTheExactNameAndFailuresAreCounted) {
    CTextureRef plain;
    CTextureRef prefixed;
    CTextureRef missing;
    CTextureRef missingAgain;
    plain.SetFile("small.bmp");
    prefixed.SetFile("./small.bmp");
    ::testing::internal::CaptureStderr();
    missing.SetFile("missing.png");
    missingAgain.SetFile("missing.png");
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(3u, TextureCache::Instance().GetEntryCount());
    EXPECT_NE(plain.GetTexture(), prefixed.GetTexture());
    EXPECT_EQ(nullptr, missing.GetTexture());
    EXPECT_EQ(0u, missing.GetWidth());
    EXPECT_EQ(2u, TextureCache::Instance().GetUseCount("missing.png"));
    missing.SetFile("small.bmp");
    EXPECT_EQ(1u, TextureCache::Instance().GetUseCount("missing.png"));
    EXPECT_EQ(2u, TextureCache::Instance().GetUseCount("small.bmp"));
    missingAgain.Release();
    EXPECT_EQ(0u, TextureCache::Instance().GetUseCount("missing.png"));
    EXPECT_EQ(2u, TextureCache::Instance().GetEntryCount());
}

TEST_F(CachesTest, OneHierarchyPerMeshFileWithAControllerCloneForEachRequest) {
    CMeshCache cache;
    CAnimationController first;
    CAnimationController second;
    CAnimationController other;
    SMeshRequest a{"test_column.x", D3DXMESH_MANAGED, &first, nullptr};
    SMeshRequest b{"test_column.x", D3DXMESH_MANAGED, &second, nullptr};
    SMeshRequest c{"./test_column.x", D3DXMESH_MANAGED, &other, nullptr};
    cache.Get(&a);
    cache.Get(&b);
    cache.Get(&c);
    EXPECT_EQ(2u, cache.GetEntryCount());
    EXPECT_EQ(2u, cache.GetUseCount("test_column.x"));
    EXPECT_EQ(a.hierarchy, b.hierarchy);
    EXPECT_NE(a.hierarchy, c.hierarchy);
    ASSERT_NE(nullptr, first.GetController());
    const ID3DXAnimationController* source = first.GetController();
    EXPECT_EQ(source->GetMaxNumAnimationSets(), second.GetController()->GetMaxNumAnimationSets());
    EXPECT_EQ(source->GetMaxNumTracks(), second.GetController()->GetMaxNumTracks());
    EXPECT_EQ(source->GetMaxNumAnimationOutputs(), second.GetController()->GetMaxNumAnimationOutputs());
    EXPECT_EQ(source->GetMaxNumEvents(), second.GetController()->GetMaxNumEvents());

    cache.Release(a);
    EXPECT_EQ(1u, cache.GetUseCount("test_column.x"));
    EXPECT_TRUE(b.hierarchy->IsLoaded());
    cache.Release(b);
    cache.Release(c);
    EXPECT_EQ(0u, cache.GetEntryCount());
}

TEST_F(CachesTest, AMeshFileThatFailsToLoadIsStillEntered) {
    CMeshCache cache;
    CAnimationController controller;
    SMeshRequest request{"no_such_model.x", D3DXMESH_MANAGED, &controller, nullptr};
    ::testing::internal::CaptureStderr();
    cache.Get(&request);
    cache.Get(&request);
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, log.find("no_such_model.x")) << log;
    ASSERT_NE(nullptr, request.hierarchy);
    EXPECT_FALSE(request.hierarchy->IsLoaded());
    EXPECT_EQ(nullptr, controller.GetController());
    EXPECT_EQ(2u, cache.GetUseCount("no_such_model.x"));
    cache.Release(request);
    cache.Release(request);
    EXPECT_EQ(0u, cache.GetEntryCount());
}

} // namespace
