// The graphics core's device for engine graphics tests (the recording null device, made for
// each test) and the test model of the data tree.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "engine/gfx/gfx_core.h"
#include "platform/dxut/dxut.h"
#include "platform/dxut/dxut_device.h"
#include "support/temp_dir.h"

namespace tktest {

// Tests whose graphics core may only make the null device; the core, the device and the
// framework are torn down after each test.
class CNullCoreTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("TK_D3D9_DEVICE", "null", 1); }
    void TearDown() override {
        velm::gfx::GFXCore::Destroy();
        platform::DXUTDestroyDevice();
        platform::DXUTReset();
    }
};

// Each test gets a fresh core with the null device already made.
class CGfxDeviceTest : public CNullCoreTest {
protected:
    void SetUp() override {
        CNullCoreTest::SetUp();
        ASSERT_EQ(D3D_OK, velm::gfx::GFXCore::Instance().CreateDevice());
    }
};

// Screenshots go to the working directory: tests that take them work in a directory of their
// own, so that test programs running side by side never see each other's files.
class CScreenshotDirectory {
public:
    CScreenshotDirectory() : m_previous(std::filesystem::current_path()) {
        std::filesystem::current_path(m_dir.Path());
    }
    ~CScreenshotDirectory() { std::filesystem::current_path(m_previous); }
    CScreenshotDirectory(const CScreenshotDirectory&) = delete;
    CScreenshotDirectory& operator=(const CScreenshotDirectory&) = delete;

private:
    CTempDir m_dir;
    std::filesystem::path m_previous;
};

inline bool HasGfxDevice() {
    return velm::gfx::GFXCore::Exists() && velm::gfx::GFXCore::Instance().GetDevice() != nullptr;
}

inline std::string ModelDirectory() {
    const char* root = std::getenv("TK_SOURCE_DIR");
    return std::string(root != nullptr ? root : "../../../..") + "/data/arts/models/D3D_X_files/";
}

inline std::string TestModelPath() { return ModelDirectory() + "test_column.x"; }

} // namespace tktest
