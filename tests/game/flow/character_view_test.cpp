// The character selection as the player meets it once the camera has come to rest, drawn by the
// OpenGL device at the shipped 1024 x 768 and at 800 x 600: the racer in front of the turntable,
// whichever character it is, stands wholly inside the picture; no racer of the line-up hides behind
// the profile card or the buttons; the line-up shows its faces to the camera, while in a race the
// camera behind the player's racer sees its back. With TK_SCREEN_SHOTS naming a folder, the picture
// with each character in front is saved there as charsel_<name>_<width>.png.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/velm_camera.h"
#include "engine/gfx/cursor.h"
#include "engine/gfx/velm_gfx.h"
#include "game/content/content_fixtures.h"
#include "game/ui/character_selection.h"
#include "game/ui/start_menu.h"
#include "game/world/kelvo_model.h"
#include "running_game.h"

namespace {

const char* const kNames[] = {"", "monkey", "bear", "alien", "fish", "hillbilly", "moviestar"};
constexpr float kSelectionRadius = 7.071058f;
// The camera's 2 s move and a turn of the line-up, with a little to spare, at 60 frames a second.
constexpr int kCameraFrames = 140;
constexpr int kTurnFrames = 75;
// How far two drawings of one point may differ and still count as the same colour.
constexpr int kSameColour = 6;

struct SPixel {
    int m_x = 0;
    int m_y = 0;
};

// The running game on the character selection at one window size.
class CSelectionRun {
public:
    CSelectionRun(int width, int height) : m_run("gl", width, height), m_width(width), m_height(height) {}

    bool DrawsWithOpenGl() const { return m_run.DrawsWithOpenGl(); }
    kelvo::CTumboKelvoGame& Game() { return m_run.Game(); }
    tktest::CRunningGame& Run() { return m_run; }

    // On from start-up through the start menu to the selection, the camera come to rest.
    bool Reach() {
        kelvo::CTumboKelvoGame& game = Game();
        if (!m_run.StepUntil("MenuState", 3000)) {
            return false;
        }
        m_run.Step(kCameraFrames);
        if (!tktest::ClickScreenButton(game, game.GetStartMenu(), kelvo::CStartMenu::kSinglePlayer) ||
            !m_run.StepUntil("CharSelState", 10)) {
            return false;
        }
        m_run.Step(kCameraFrames);
        ParkCursor();
        return !game.IsCameraMoving() && game.GetCharacterSelection() != nullptr;
    }
    bool TurnLeft() {
        kelvo::CCharacterSelection* selection = Game().GetCharacterSelection();
        const bool clicked = tktest::ClickScreenButton(Game(), selection, kelvo::CCharacterSelection::kLeft);
        m_run.Step(kTurnFrames);
        ParkCursor();
        return clicked && !selection->IsTurning();
    }
    std::vector<kelvo::CKelvoModel*> LineUp() {
        std::vector<kelvo::CKelvoModel*> racers;
        for (velm::CModel* model : Game().GetCharSelRacers()) {
            racers.push_back(dynamic_cast<kelvo::CKelvoModel*>(model));
        }
        return racers;
    }
    kelvo::CKelvoModel* InFront() {
        const std::uint32_t character = Game().GetCharacterSelection()->GetCurrentCharacter();
        for (kelvo::CKelvoModel* racer : LineUp()) {
            if (racer != nullptr && racer->GetObjectType() == character) {
                return racer;
            }
        }
        return nullptr;
    }
    // The line-up holds its pose while a moment is drawn more than once, with or without the
    // screens, so that the pictures differ only by what was switched.
    void HoldPoses(bool hold) {
        for (kelvo::CKelvoModel* racer : LineUp()) {
            racer->SetAnimationSpeed(hold ? 0.0f : 0.35f);
        }
    }
    // The frame as drawn now, with or without the screens over the world.
    std::vector<std::uint8_t> Draw(bool screens, const std::string& shot = "") {
        velm::gfx::CVelmGfx* gfx = velm::GetApp()->GetGfx();
        const std::uint32_t flags = gfx->GetRenderFlags();
        gfx->SetRenderFlags(screens ? flags : flags & ~velm::gfx::kRenderScreenUnits);
        std::vector<std::uint8_t> pixels = m_run.Draw(shot);
        gfx->SetRenderFlags(flags);
        return pixels;
    }

    // Where a world point lands in the picture, in pixels from the top left.
    SPixel Project(const D3DXVECTOR3& point) {
        const velm::CVelmCamera* camera = Game().GetCamera();
        D3DXMATRIX toScreen;
        const D3DXMATRIX view = camera->GetViewMatrix();
        const D3DXMATRIX projection = camera->GetProjectionMatrix();
        D3DXMatrixMultiply(&toScreen, &view, &projection);
        D3DXVECTOR3 at;
        D3DXVec3TransformCoord(&at, &point, &toScreen);
        return {static_cast<int>(std::floor((at.x + 1.0f) * 0.5f * static_cast<float>(m_width))),
                static_cast<int>(std::floor((1.0f - at.y) * 0.5f * static_cast<float>(m_height)))};
    }
    bool Inside(const SPixel& p, int margin) const {
        return p.m_x >= margin && p.m_y >= margin && p.m_x < m_width - margin && p.m_y < m_height - margin;
    }
    int Difference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b, const SPixel& p) const {
        const std::size_t i = (static_cast<std::size_t>(p.m_y) * static_cast<std::size_t>(m_width) + p.m_x) * 4;
        return std::abs(a[i] - b[i]) + std::abs(a[i + 1] - b[i + 1]) + std::abs(a[i + 2] - b[i + 2]);
    }

    // The racer's drawn points over the still water; with `facing`, only those that plainly face
    // the camera (the ones on its outline may land either side of it).
    std::vector<D3DXVECTOR3> OverTheWater(const kelvo::CKelvoModel& racer, bool facing) {
        std::vector<D3DXVECTOR3> points;
        common::CVector3 surface;
        if (!tktest::CRunningGame::SurfaceUnder(racer, surface)) {
            return points;
        }
        const common::CVector3 eyeAt = Game().GetCamera()->GetEye();
        const D3DXVECTOR3 eye(eyeAt.x, eyeAt.y, eyeAt.z);
        for (const tktest::SDrawnPoint& point : tktest::DrawnPoints(racer.GetGfxUnit())) {
            D3DXVECTOR3 toEye = eye - point.m_position;
            D3DXVec3Normalize(&toEye, &toEye);
            if (point.m_position.y > surface.y && (!facing || D3DXVec3Dot(&point.m_normal, &toEye) > 0.3f)) {
                points.push_back(point.m_position);
            }
        }
        return points;
    }

    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    // The pointer out of the way, in the top left corner where nothing of the selection stands.
    void ParkCursor() {
        if (auto* cursor = static_cast<velm::gfx::CCursor*>(Game().GetCursor())) {
            cursor->SetPosition(0, 0);
        }
    }

    tktest::CRunningGame m_run;
    int m_width;
    int m_height;
};

// How much nearer a place a racer's eyes are than its middle, across the water: positive when its
// face is turned toward the place, negative when its back is.
float EyesNearer(const kelvo::CKelvoModel& racer, const common::CVector3& place) {
    D3DXVECTOR3 eyes(0.0f, 0.0f, 0.0f);
    int count = 0;
    for (const tktest::SDrawnPoint& point : tktest::DrawnPoints(racer.GetGfxUnit())) {
        // Every character's third colour is its eyes': the third cell of the skin atlas's first row.
        if (point.m_u > 0.5f && point.m_u < 0.75f && point.m_v < 0.25f) {
            eyes += point.m_position;
            ++count;
        }
    }
    if (count == 0) {
        return 0.0f;
    }
    eyes /= static_cast<float>(count);
    const common::CVector3 middle = racer.GetPosition();
    return std::hypot(place.x - middle.x, place.z - middle.z) - std::hypot(place.x - eyes.x, place.z - eyes.z);
}

class CharacterViewTest : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(CharacterViewTest, TheRacerInFrontStandsWhollyInsideThePictureWhicheverItIs) {
    CSelectionRun run(GetParam().first, GetParam().second);
    if (!run.DrawsWithOpenGl()) {
        GTEST_SKIP() << "no OpenGL 3.3 core device offscreen";
    }
    ASSERT_TRUE(run.Reach());
    EXPECT_NEAR(run.Game().GetCamera()->GetRadius(), kSelectionRadius, 1e-3f);
    const char* shots = std::getenv("TK_SCREEN_SHOTS");
    // A hundredth of the picture's height is kept free at its edges.
    const int margin = run.Height() / 100;
    for (int turn = 0; turn < 6; ++turn) {
        if (turn > 0) {
            ASSERT_TRUE(run.TurnLeft());
        }
        kelvo::CKelvoModel* racer = run.InFront();
        ASSERT_NE(racer, nullptr);
        const char* name = kNames[racer->GetObjectType()];
        run.HoldPoses(true);
        const std::vector<std::uint8_t> shown =
            run.Draw(true, shots != nullptr
                               ? std::string(shots) + "/charsel_" + name + "_" + std::to_string(run.Width()) + ".png"
                               : "");
        racer->GetGfxUnit()->SetSkipped(1);
        const std::vector<std::uint8_t> without = run.Draw(true);
        racer->GetGfxUnit()->SetSkipped(0);
        run.HoldPoses(false);

        // Every point of it over the water lands in the picture, clear of the edges.
        const std::vector<D3DXVECTOR3> whole = run.OverTheWater(*racer, false);
        ASSERT_FALSE(whole.empty()) << name;
        int lowest = 0;
        int outside = 0;
        for (const D3DXVECTOR3& point : whole) {
            const SPixel at = run.Project(point);
            lowest = std::max(lowest, at.m_y);
            outside += run.Inside(at, margin) ? 0 : 1;
        }
        EXPECT_EQ(outside, 0) << name << ": " << outside << " of " << whole.size()
                              << " points out of the picture; the lowest at row " << lowest;
        // And the picture shows it there: its points facing the camera are drawn, not hidden
        // behind a screen.
        int probed = 0;
        int drawn = 0;
        for (const D3DXVECTOR3& point : run.OverTheWater(*racer, true)) {
            const SPixel at = run.Project(point);
            if (run.Inside(at, 0)) {
                ++probed;
                drawn += run.Difference(shown, without, at) > 30 ? 1 : 0;
            }
        }
        ASSERT_GE(probed, 20) << name;
        EXPECT_GE(drawn * 10, probed * 9) << name << ": " << drawn << " of " << probed << " points drawn";
    }
}

TEST_P(CharacterViewTest, NoRacerOfTheLineUpHidesBehindTheCardOrTheButtons) {
    CSelectionRun run(GetParam().first, GetParam().second);
    if (!run.DrawsWithOpenGl()) {
        GTEST_SKIP() << "no OpenGL 3.3 core device offscreen";
    }
    ASSERT_TRUE(run.Reach());
    for (int turn = 0; turn < 6; ++turn) {
        if (turn > 0) {
            ASSERT_TRUE(run.TurnLeft());
        }
        const std::uint32_t front = run.InFront()->GetObjectType();
        run.HoldPoses(true);
        const std::vector<std::uint8_t> screens = run.Draw(true);
        const std::vector<std::uint8_t> world = run.Draw(false);
        run.HoldPoses(false);
        for (kelvo::CKelvoModel* racer : run.LineUp()) {
            ASSERT_NE(racer, nullptr);
            int probed = 0;
            int covered = 0;
            for (const D3DXVECTOR3& point : run.OverTheWater(*racer, true)) {
                const SPixel at = run.Project(point);
                if (run.Inside(at, 0)) {
                    ++probed;
                    covered += run.Difference(screens, world, at) > kSameColour ? 1 : 0;
                }
            }
            ASSERT_GE(probed, 20) << kNames[racer->GetObjectType()] << " with " << kNames[front] << " in front";
            EXPECT_LE(covered * 10, probed)
                << kNames[racer->GetObjectType()] << " with " << kNames[front] << " in front: " << covered << " of "
                << probed << " points under the screens";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, CharacterViewTest,
                         ::testing::Values(std::make_pair(1024, 768), std::make_pair(800, 600)));

// Over whole rounds of the line-up's animation every racer's eyes are nearer the selection camera
// than its middle; then, in a race, the camera behind the player's racer finds them on the far side.
TEST(CharacterFacingTest, TheLineUpFacesTheCameraAndTheRaceCameraSeesTheRacersBack) {
    CSelectionRun run(1024, 768);
    if (!run.DrawsWithOpenGl()) {
        GTEST_SKIP() << "no OpenGL 3.3 core device offscreen";
    }
    ASSERT_TRUE(run.Reach());
    const common::CVector3 eye = run.Game().GetCamera()->GetEye();
    // Each drawing moves the animations on by a frame: played fast, a round takes a few drawings.
    for (kelvo::CKelvoModel* racer : run.LineUp()) {
        racer->SetAnimationSpeed(3.0f);
    }
    for (int frame = 0; frame < 40; ++frame) {
        run.Run().Step();
        run.Draw(true);
        for (kelvo::CKelvoModel* racer : run.LineUp()) {
            // A line-up racer's eyes stand 4 to 5 cm before its middle.
            EXPECT_GT(EyesNearer(*racer, eye), 0.02f) << kNames[racer->GetObjectType()] << " at frame " << frame;
        }
    }

    kelvo::CTumboKelvoGame& game = run.Game();
    ASSERT_TRUE(tktest::ClickScreenButton(game, game.GetCharacterSelection(), kelvo::CCharacterSelection::kOk));
    ASSERT_TRUE(run.Run().StepUntil("StartTrack1State", 10));
    for (int frame = 0; frame < 40; ++frame) {
        run.Run().Step(3);
        run.Draw(true);
    }
    const auto* racer = dynamic_cast<const kelvo::CKelvoModel*>(game.GetLocalRacerModel());
    ASSERT_NE(racer, nullptr);
    EXPECT_LT(EyesNearer(*racer, game.GetCamera()->GetEye()), -0.05f) << "the race camera sees the racer's face";
}

} // namespace

// The frame draws the world more than once (the line-up in the water's reflection and refraction,
// a race with the console's depth pass switched on), yet a racer's animation moves on by the
// frame's time once a frame: each racer drawn has played one more sixtieth of a second.
TEST(CharacterFacingTest, AnimationsMoveOnOnceAFrameHoweverManyPassesDrawTheRacers) {
    CSelectionRun run(1024, 768);
    if (!run.DrawsWithOpenGl()) {
        GTEST_SKIP() << "no OpenGL 3.3 core device offscreen";
    }
    ASSERT_TRUE(run.Reach());
    constexpr double kStep = tktest::CRunningGame::kFrame;
    for (int frame = 0; frame < 30; ++frame) {
        std::vector<double> before;
        for (kelvo::CKelvoModel* racer : run.LineUp()) {
            before.push_back(racer->GetGfxUnit()->GetAnimationTime());
        }
        run.Run().Step();
        run.Draw(true);
        for (std::size_t i = 0; i < before.size(); ++i) {
            kelvo::CKelvoModel* racer = run.LineUp()[i];
            // One out of the view is not drawn and waits.
            const double played = racer->GetGfxUnit()->GetAnimationTime() - before[i];
            const double expected = racer == run.InFront() || played > kStep / 2 ? kStep : 0.0;
            EXPECT_NEAR(played, expected, 1e-6) << kNames[racer->GetObjectType()] << " at frame " << frame;
        }
    }

    kelvo::CTumboKelvoGame& game = run.Game();
    ASSERT_TRUE(tktest::ClickScreenButton(game, game.GetCharacterSelection(), kelvo::CCharacterSelection::kOk));
    ASSERT_TRUE(run.Run().StepUntil("StartTrack1State", 10));
    run.Run().Step(30);
    velm::gfx::CVelmGfx* gfx = velm::GetApp()->GetGfx();
    gfx->SetRenderFlags(gfx->GetRenderFlags() | velm::gfx::kPreDepth);
    run.Draw(true);
    const auto* racer = dynamic_cast<const kelvo::CKelvoModel*>(game.GetLocalRacerModel());
    ASSERT_NE(racer, nullptr);
    const velm::gfx::IGfxUnit* unit = racer->GetGfxUnit();
    int measured = 0;
    for (int frame = 0; frame < 30; ++frame) {
        const double before = unit->GetAnimationTime();
        run.Run().Step();
        run.Draw(true);
        const double after = unit->GetAnimationTime();
        // A new animation set starts its time again.
        if (after >= before) {
            EXPECT_NEAR(after - before, kStep, 1e-6) << "race frame " << frame;
            ++measured;
        }
    }
    EXPECT_GE(measured, 20);
}
