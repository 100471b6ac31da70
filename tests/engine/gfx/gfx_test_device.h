// The graphics core's device for engine graphics tests (the recording null device, made for
// each test) and the test model of the data tree.
#pragma once

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "engine/gfx/gfx_core.h"
#include "platform/dxut/dxut.h"
#include "platform/dxut/dxut_device.h"

namespace tktest {

// Each test gets a fresh core with the null device; other graphics tests tear theirs down.
class CGfxDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TK_D3D9_DEVICE", "null", 1);
        ASSERT_EQ(D3D_OK, velm::gfx::GFXCore::Instance().CreateDevice());
    }
    void TearDown() override {
        velm::gfx::GFXCore::Destroy();
        platform::DXUTDestroyDevice();
        platform::DXUTReset();
    }
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
