// The character selection as the player meets it once the camera has come to rest: the racer in
// front of the turntable, whichever character it is, stands wholly inside the picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/velm_camera.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/mesh_hierarchy.h"
#include "game/content/content_fixtures.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/ui/character_selection.h"
#include "game/ui/start_menu.h"
#include "platform/dxut/dxut.h"
#include "platform/dxut/dxut_device.h"

namespace {

const char* const kCharacterMeshes[] = {"monkey.x", "bear.x", "alien.x", "fish.x", "hillbilly.x", "moviestar.x"};

// Each character's drawn vertices in its bind pose, loaded on the null device.
std::vector<std::vector<D3DXVECTOR3>> CharacterVertices() {
    setenv("TK_D3D9_DEVICE", "null", 1);
    std::vector<std::vector<D3DXVECTOR3>> meshes;
    if (velm::gfx::GFXCore::Instance().CreateDevice() == D3D_OK) {
        const char* source = std::getenv("TK_SOURCE_DIR");
        for (const char* file : kCharacterMeshes) {
            velm::gfx::CMeshHierarchy mesh;
            meshes.emplace_back();
            const std::string path =
                std::string(source != nullptr ? source : "../../../..") + "/data/arts/models/D3D_X_files/" + file;
            if (mesh.Load(path, D3DXMESH_MANAGED, nullptr) != D3D_OK || mesh.GetMeshContainer() == nullptr) {
                continue;
            }
            mesh.Update();
            for (const velm::gfx::SMeshVertex& vertex : mesh.GetMeshContainer()->skinnedVertices) {
                meshes.back().push_back(vertex.position);
            }
        }
    }
    velm::gfx::GFXCore::Destroy();
    platform::DXUTDestroyDevice();
    platform::DXUTReset();
    unsetenv("TK_D3D9_DEVICE");
    return meshes;
}

TEST(CharacterViewTest, TheRacerInFrontStandsWhollyInsideThePictureWhicheverItIs) {
    const std::vector<std::vector<D3DXVECTOR3>> meshes = CharacterVertices();
    ASSERT_EQ(meshes.size(), 6u);

    tktest::CFlowEnvironment environment;
    auto game = std::make_unique<kelvo::CTumboKelvoGame>();
    game->Init();
    double time = 0.0;
    ASSERT_TRUE(tktest::RunGameUntil(*game, time, "MenuState", 10.0));
    tktest::RunGameUntil(*game, time, "never", 2.5);
    ASSERT_TRUE(tktest::ClickScreenButton(*game, game->GetStartMenu(), kelvo::CStartMenu::kSinglePlayer));
    ASSERT_TRUE(tktest::RunGameUntil(*game, time, "CharSelState", 1.0));
    tktest::RunGameUntil(*game, time, "never", 2.5);
    ASSERT_FALSE(game->IsCameraMoving());
    const kelvo::CCharacterSelection* selection = game->GetCharacterSelection();
    ASSERT_NE(selection, nullptr);

    // The turntable's front place, where the racer being chosen stands.
    const common::CVector3& centre = selection->GetTurntableCentre();
    const D3DXVECTOR3 front(centre.x, centre.y, centre.z - selection->GetTurntableRadius());
    const velm::CVelmCamera* camera = game->GetCamera();
    ASSERT_NE(camera, nullptr);
    D3DXMATRIX toScreen;
    const D3DXMATRIX view = camera->GetViewMatrix();
    const D3DXMATRIX projection = camera->GetProjectionMatrix();
    D3DXMatrixMultiply(&toScreen, &view, &projection);
    for (std::size_t character = 0; character < meshes.size(); ++character) {
        ASSERT_FALSE(meshes[character].empty()) << kCharacterMeshes[character];
        float lowest = 1.0f;
        float widest = 0.0f;
        for (const D3DXVECTOR3& vertex : meshes[character]) {
            const D3DXVECTOR3 world = vertex + front;
            D3DXVECTOR3 at;
            D3DXVec3TransformCoord(&at, &world, &toScreen);
            lowest = std::min(lowest, at.y);
            widest = std::max(widest, std::max(std::fabs(at.x), at.y));
        }
        // The picture spans -1 to 1 on both axes; a little of it is kept free at the edges.
        EXPECT_GT(lowest, -0.95f) << kCharacterMeshes[character] << " reaches the bottom edge";
        EXPECT_LT(widest, 0.95f) << kCharacterMeshes[character] << " reaches a side or the top";
    }
    game.reset();
}

} // namespace
