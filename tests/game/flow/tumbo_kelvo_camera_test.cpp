// The game camera: its file, following a racer, the timed transition (which ends exactly at its
// end values, and at once for a duration of zero or less instead of dividing by zero), and free
// flight by keypad and mouse.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "engine/core/model.h"
#include "engine/input/input_event.h"
#include "engine/phy/rigid_body.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/world/in_game/world_fixtures.h"
#include "game/world/shipped_cameras.h"
#include "game/world/tumbo_kelvo_camera.h"
#include "platform/dinput/dik_codes.h"
#include "support/damaged_file.h"
#include "support/game_folder.h"
#include "support/temp_dir.h"

namespace {

TEST(GameCameraTest, TransitionReachesItsEndExactlyAndAnEmptyDurationSnaps) {
    struct SCase {
        float m_duration;
        int m_frames; // frames until the transition stops
    };
    const SCase cases[] = {{2.0f, 120}, {0.5f, 30}, {0.0f, 0}, {-1.0f, 0}};
    const common::CVector3 end(5.6f, -1.17f, 505.65f);
    for (const SCase& test : cases) {
        kelvo::CTumboKelvoCamera camera("RaceCameraInit.xml");
        camera.StartTransition(end, test.m_duration, 7.0f, 2.85f, -0.5f);
        int frames = 0;
        while (camera.IsTransitionRunning() && frames < 1000) {
            camera.Update(1.0f / 60.0f);
            ++frames;
        }
        EXPECT_NEAR(frames, test.m_frames, 1) << test.m_duration;
        EXPECT_TRUE(std::isfinite(camera.GetEye().x)) << test.m_duration;
        EXPECT_NEAR(camera.GetTarget().x, end.x, 1e-3f) << test.m_duration;
        EXPECT_NEAR(camera.GetTarget().z, end.z, 1e-2f) << test.m_duration;
        EXPECT_NEAR(camera.GetRadius(), 7.0f, 1e-3f) << test.m_duration;
        EXPECT_NEAR(camera.GetYaw(), 2.85f, 1e-3f) << test.m_duration;
        EXPECT_NEAR(camera.GetPitch(), -0.5f, 1e-3f) << test.m_duration;
        // Further frames leave it where it ended.
        camera.Update(1.0f / 60.0f);
        EXPECT_NEAR(camera.GetRadius(), 7.0f, 1e-3f);
    }
}

} // namespace

namespace {

constexpr float kTolerance = 1e-4f;

// A camera file with every element set apart, locked or free.
std::string CameraFile(int locked) {
    return "<Camera>\n\t<Locked>" + std::to_string(locked) +
           "</Locked>\n\t<MaxSpeed>12</MaxSpeed>\n\t<MoveVecX>0</MoveVecX>\n\t<MoveVecY>0</MoveVecY>\n"
           "\t<MoveVecZ>0</MoveVecZ>\n\t<MoveSpeed>2</MoveSpeed>\n\t<TargetX>1</TargetX>\n\t<TargetY>2</TargetY>\n"
           "\t<TargetZ>3</TargetZ>\n\t<PosX>1</PosX>\n\t<PosY>2</PosY>\n\t<PosZ>13</PosZ>\n\t<Radius>10</Radius>\n"
           "\t<MaxRadius>40</MaxRadius>\n\t<Azimuth>-1.5708</Azimuth>\n\t<Latitude>-0.3</Latitude>\n"
           "\t<Far>900</Far>\n\t<FOV>0.9</FOV>\n\t<Aspect>1.5</Aspect>\n\t<Near>0.25</Near>\n"
           "\t<RacerRadius>6</RacerRadius>\n\t<RacerAzimuth>-1.5708</RacerAzimuth>\n"
           "\t<RacerLatitude>-0.35</RacerLatitude>\n</Camera>\n";
}

class CTestModel : public velm::CModel {
public:
    explicit CTestModel(const common::CVector3& at) : velm::CModel(std::make_shared<velm::phy::CRigidBody>(), 77) {
        SetPosition(at);
    }
    void Update(double, float) override {}
};

velm::input::SInputEvent Input(std::uint32_t code, std::uint32_t value) {
    velm::input::SInputEvent event;
    event.m_code = code;
    event.m_value = value;
    return event;
}

void ExpectNear(const common::CVector3& actual, const common::CVector3& expected, float tolerance = kTolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

class GameCameraFileTest : public ::testing::Test {
protected:
    std::string Folder() const { return m_dir.Path() + "/"; }
    tktest::CTempDir m_dir;
    // The default files are read as the game reads them.
    tktest::CGameFolder m_gameFolder;
};

TEST_F(GameCameraFileTest, TheFileSetsTheViewTheProjectionAndTheChaseValues) {
    m_dir.Write("cam.xml", CameraFile(1));
    kelvo::CTumboKelvoCamera camera("cam.xml", Folder());
    EXPECT_EQ(camera.GetMode(), velm::CVelmCamera::MODE_BODY);
    EXPECT_EQ(camera.GetMaxSpeed(), 12.0f);
    EXPECT_EQ(camera.GetMaxRadius(), 40.0f);
    EXPECT_EQ(camera.GetMoveSpeed(), 2.0f);
    EXPECT_EQ(camera.GetFarPlane(), 900.0f);
    EXPECT_EQ(camera.GetNearPlane(), 0.25f);
    EXPECT_EQ(camera.GetAspectRatio(), 1.5f);
    EXPECT_NEAR(camera.GetFieldOfView(), 0.9f, kTolerance);
    EXPECT_NEAR(camera.GetRadius(), 10.0f, kTolerance);
    EXPECT_NEAR(camera.GetYaw(), -1.5708f, kTolerance);
    EXPECT_NEAR(camera.GetPitch(), -0.3f, kTolerance);
    // Locked: the eye orbits the file's target, and the body carries the eye.
    ExpectNear(camera.GetTarget(), common::CVector3(1, 2, 3));
    const common::CVector3 eye = camera.GetEye();
    EXPECT_NEAR((camera.GetTarget() - eye).Length(), 10.0f, 1e-3f);
    EXPECT_GT(eye.z, 3.0f);
    EXPECT_GT(eye.y, 2.0f);

    // The default files: the race camera locked behind the menu view, the free-roam one free.
    kelvo::CTumboKelvoCamera race("RaceCameraInit.xml");
    kelvo::CTumboKelvoCamera freeRoam("FreeRoamCameraInit.xml");
    EXPECT_EQ(race.GetMode(), velm::CVelmCamera::MODE_BODY);
    EXPECT_EQ(freeRoam.GetMode(), 0);
    ExpectNear(race.GetTarget(), common::CVector3(5.6f, -1.17f, 505.655f), 1e-3f);
    EXPECT_GT(freeRoam.GetMoveSpeed(), 0.0f);
}

TEST_F(GameCameraFileTest, AMissingOrEmptyFileSaysSoAndKeepsAUsableProjection) {
    m_dir.Write("empty.xml", "<Lens>\n</Lens>\n");
    for (const char* name : {"absent.xml", "empty.xml"}) {
        testing::internal::CaptureStderr();
        kelvo::CTumboKelvoCamera camera(name, Folder());
        const std::string errors = testing::internal::GetCapturedStderr();
        const char* said = name == std::string("absent.xml") ? ": does not exist" : ": no Camera element";
        EXPECT_NE(errors.find(std::string(name) + said), std::string::npos) << errors;
        EXPECT_EQ(camera.GetMode(), 0) << name;
        const D3DXMATRIX projection = camera.GetProjectionMatrix();
        for (int cell = 0; cell < 16; ++cell) {
            EXPECT_TRUE(std::isfinite(projection.m[cell / 4][cell % 4])) << name << " cell " << cell;
        }
        EXPECT_TRUE(std::isfinite(camera.GetEye().x)) << name;
    }
}

// The race camera's file damaged as a whole or in a value: what is refused is said with the file
// and field and taken as shipped, so the race is seen as the game ships it.
TEST_F(GameCameraFileTest, ADamagedRaceCameraIsSaidAndSeesAsShipped) {
    std::string file = tktest::ReadAll(tktest::SourceFile("data/files/xmlfiles/RaceCameraInit.xml"));
    ASSERT_EQ(file, kelvo::kShippedRaceCamera) << "the table in src/game/world/shipped_cameras.cpp differs";
    ASSERT_EQ(tktest::ReadAll(tktest::SourceFile("data/files/xmlfiles/FreeRoamCameraInit.xml")),
              kelvo::kShippedFreeRoamCamera);
    auto with = [&file](const char* element, const char* value) {
        const std::string open = std::string("<") + element + ">";
        const std::size_t at = file.find(open) + open.size();
        return file.substr(0, at) + value + file.substr(file.find('<', at));
    };
    const struct {
        const char* what;
        std::string content;
        const char* said;
    } cases[] = {
        {"NaN radius", with("Radius", "nan"),
         ": Radius \"nan\" is not a number from 0.01 to 1e+06; using 7.0711 as shipped"},
        {"no field of view", with("FOV", "0"), ": FOV \"0\" is not a number from 0.01 to"},
        {"a far plane behind the eye", with("Far", "-1e30"), ": Far \"-1e30\" is not a number from 0.001 to 1e+06"},
        {"a chase radius of 0", with("RacerRadius", "0"), ": RacerRadius \"0\""},
        {"empty", "", ": is empty; the camera is as shipped"},
        {"random bytes", tktest::ReadAll(tktest::SourceFile("tests/support/data/random_bytes.bin")),
         ": holds no element"},
    };
    const kelvo::CTumboKelvoCamera shipped("RaceCameraInit.xml");
    for (const auto& c : cases) {
        const std::string path = m_dir.Write("RaceCameraInit.xml", c.content);
        testing::internal::CaptureStderr();
        kelvo::CTumboKelvoCamera camera("RaceCameraInit.xml", Folder());
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_NE(errors.find(path + c.said), std::string::npos) << c.what << "\n" << errors;
        EXPECT_EQ(camera.GetMode(), velm::CVelmCamera::MODE_BODY) << c.what;
        EXPECT_NEAR(camera.GetRadius(), shipped.GetRadius(), kTolerance) << c.what;
        EXPECT_EQ(camera.GetFieldOfView(), shipped.GetFieldOfView()) << c.what;
        EXPECT_EQ(camera.GetFarPlane(), shipped.GetFarPlane()) << c.what;
        EXPECT_EQ(camera.GetNearPlane(), shipped.GetNearPlane()) << c.what;
        ExpectNear(camera.GetTarget(), shipped.GetTarget(), 1e-3f);
    }
}

TEST_F(GameCameraFileTest, FollowingKeepsTheChaseHeadingAndRisesWithTheRacer) {
    m_dir.Write("cam.xml", CameraFile(0));
    kelvo::CTumboKelvoCamera camera("cam.xml", Folder());
    // Far to the side of the file's view: the camera still sits straight behind, down the course.
    CTestModel racer(common::CVector3(-40.0f, 0.3f, -200.0f));
    camera.SetTarget(&racer);
    EXPECT_EQ(camera.GetMode(), velm::CVelmCamera::MODE_BODY);
    EXPECT_NEAR(camera.GetYaw(), -1.5708f, kTolerance);
    EXPECT_NEAR(camera.GetRadius(), 6.0f, kTolerance);
    EXPECT_NEAR(camera.GetPitch(), -0.35f, kTolerance);
    EXPECT_NEAR(camera.GetEye().x, -40.0f, 1e-3f);
    EXPECT_GT(camera.GetEye().z, -200.0f);

    const common::CVector3 offset = camera.GetEye() - camera.GetTarget();
    racer.SetPosition(common::CVector3(-39.0f, 1.3f, -205.0f));
    camera.Update(1.0f / 60.0f);
    ExpectNear(camera.GetTarget(), common::CVector3(-39.0f, 1.8f, -205.0f));
    ExpectNear(camera.GetEye(), common::CVector3(-39.0f, 1.3f, -205.0f) + offset);
    ExpectNear(camera.GetBody()->GetPosition(), camera.GetEye());

    // Let go: the racer moves on without the camera.
    const common::CVector3 eye = camera.GetEye();
    camera.SetTarget(nullptr);
    racer.SetPosition(common::CVector3(0.0f, 0.0f, -300.0f));
    camera.Update(1.0f / 60.0f);
    ExpectNear(camera.GetEye(), eye);
}

TEST_F(GameCameraFileTest, TheLastTransitionStepIsShortAndTheTimeKeepsItsEarlierValue) {
    m_dir.Write("cam.xml", CameraFile(1));
    kelvo::CTumboKelvoCamera camera("cam.xml", Folder());
    camera.StartTransition(common::CVector3(1, 2, -7), 1.0f, 4.0f, -1.5708f, -0.3f);
    for (int frame = 0; frame < 3; ++frame) {
        camera.Update(0.4f);
    }
    EXPECT_FALSE(camera.IsTransitionRunning());
    EXPECT_NEAR(camera.GetTransitionTime(), 0.8f, kTolerance);
    ExpectNear(camera.GetTarget(), common::CVector3(1, 2, -7));
    EXPECT_NEAR(camera.GetRadius(), 4.0f, kTolerance);
    ExpectNear(camera.GetBody()->GetPosition(), camera.GetEye());
}

TEST_F(GameCameraFileTest, AFreeCameraFliesByKeypadAndMouseWithSignedAxes) {
    m_dir.Write("cam.xml", CameraFile(0));
    struct SCase {
        const char* m_what;
        std::uint32_t m_code;
        std::uint32_t m_value;
        float m_yaw, m_pitch, m_radius; // changes
        float m_forward;                // eye movement along the view
    };
    const auto up = [](int motion) { return static_cast<std::uint32_t>(motion); };
    const SCase cases[] = {
        {"mouse right", velm::input::MOUSE_AXIS_X, up(5), -0.1f, 0, 0, 0},
        {"mouse left", velm::input::MOUSE_AXIS_X, up(-5), 0.1f, 0, 0, 0},
        {"mouse down", velm::input::MOUSE_AXIS_Y, up(3), 0, -0.06f, 0, 0},
        {"mouse up", velm::input::MOUSE_AXIS_Y, up(-3), 0, 0.06f, 0, 0},
        {"numpad 7", DIK_NUMPAD7, 0, 0, 0, 0.75f, 0},
        {"numpad 1", DIK_NUMPAD1, 0, 0, 0, -0.75f, 0},
        {"numpad 8", DIK_NUMPAD8, 0, 0, -0.05f, 0, 0},
        {"numpad 2", DIK_NUMPAD2, 0, 0, 0.05f, 0, 0},
        {"numpad 4", DIK_NUMPAD4, 0, -0.02f, 0, 0, 0},
        {"numpad 6", DIK_NUMPAD6, 0, 0.02f, 0, 0, 0},
        {"numpad 9", DIK_NUMPAD9, 0, 0, 0, 0, 0.5f},
        {"numpad 3", DIK_NUMPAD3, 0, 0, 0, 0, -0.5f},
        {"numpad 7 up", DIK_NUMPAD7, 1, 0, 0, 0, 0},
        {"button 2 up", velm::input::MOUSE_BUTTON_0 + 2, 1, 0, 0, 0, 0},
        {"other key", DIK_NUMPAD5, 0, 0, 0, 0, 0},
    };
    for (const SCase& test : cases) {
        kelvo::CTumboKelvoCamera camera("cam.xml", Folder());
        const common::CVector3 eye = camera.GetEye();
        const common::CVector3 view = (camera.GetTarget() - eye).GetNormalized();
        const float yaw = camera.GetYaw(), pitch = camera.GetPitch(), radius = camera.GetRadius();
        EXPECT_FALSE(camera.HandleInput(Input(test.m_code, test.m_value))) << test.m_what;
        EXPECT_NEAR(camera.GetYaw() - yaw, test.m_yaw, kTolerance) << test.m_what;
        EXPECT_NEAR(camera.GetPitch() - pitch, test.m_pitch, kTolerance) << test.m_what;
        EXPECT_NEAR(camera.GetRadius() - radius, test.m_radius, kTolerance) << test.m_what;
        ExpectNear(camera.GetEye(), eye + view * test.m_forward);
        EXPECT_FALSE(camera.IsMoving()) << test.m_what;

        // Locked, or with flight switched off, the camera ignores the same event.
        for (int way = 0; way < 2; ++way) {
            kelvo::CTumboKelvoCamera still("cam.xml", Folder());
            way == 0 ? still.SetMode(velm::CVelmCamera::MODE_BODY) : still.ToggleMove();
            const float stillYaw = still.GetYaw(), stillRadius = still.GetRadius();
            const common::CVector3 stillEye = still.GetEye();
            still.HandleInput(Input(test.m_code, test.m_value));
            EXPECT_EQ(still.GetYaw(), stillYaw) << test.m_what << " way " << way;
            EXPECT_EQ(still.GetRadius(), stillRadius) << test.m_what << " way " << way;
            ExpectNear(still.GetEye(), stillEye);
        }
    }
}

TEST_F(GameCameraFileTest, AHeldMouseButtonFliesTheSameStepEveryFrameWhateverItsLength) {
    m_dir.Write("cam.xml", CameraFile(0));
    kelvo::CTumboKelvoCamera camera("cam.xml", Folder());
    camera.SetMoveVector(common::CVector3(1, 0, 0));
    const common::CVector3 start = camera.GetEye();
    const common::CVector3 view = (camera.GetTarget() - start).GetNormalized();
    camera.HandleInput(Input(velm::input::MOUSE_BUTTON_0, 0));
    EXPECT_TRUE(camera.IsMoving());
    camera.Update(0.01f);
    camera.Update(0.5f);
    ExpectNear(camera.GetEye(), start + view * 4.0f);
    // The right button flies backward at the same speed; its release stops the flight.
    camera.HandleInput(Input(velm::input::MOUSE_BUTTON_0 + 1, 0));
    EXPECT_EQ(camera.GetMoveSpeed(), -2.0f);
    camera.Update(0.1f);
    camera.HandleInput(Input(velm::input::MOUSE_BUTTON_0 + 1, 1));
    EXPECT_FALSE(camera.IsMoving());
    camera.Update(0.1f);
    ExpectNear(camera.GetEye(), start + view * 2.0f);
}

} // namespace

namespace {

TEST(GameCamerasTest, TheRaceCameraFollowsTheLocalRacerAndTheToggleHandsOverItsView) {
    tktest::CRaceFixture race;
    kelvo::CTumboKelvoGame& game = race.m_game;
    kelvo::CRacerModel* racer = race.AddRacer(40, 2, kelvo::CONTROL_LOCAL_PLAYER, 3.0f, true, false);
    game.SetLocalRacer(40, racer);
    game.GetRaceCamera()->SetTarget(racer);
    ASSERT_EQ(game.GetCamera(), game.GetRaceCamera());

    for (int frame = 0; frame < 30; ++frame) {
        racer->SetPosition(racer->GetPosition() + common::CVector3(0.0f, 0.0f, -0.2f));
        game.Update(race.m_time, tktest::CRaceFixture::kFrame);
        race.m_time += tktest::CRaceFixture::kFrame;
    }
    const common::CVector3 at = racer->GetPosition();
    const velm::CVelmCamera& active = *game.GetCamera();
    ExpectNear(active.GetTarget(), at + common::CVector3(0.0f, 0.5f, 0.0f));
    // Behind (upstream, +z) and above the racer, in line with it, the body carrying the eye.
    EXPECT_GT(active.GetEye().z, at.z + 4.0f);
    EXPECT_GT(active.GetEye().y, at.y + 1.0f);
    EXPECT_NEAR(active.GetEye().x, at.x, 1e-3f);
    ExpectNear(active.GetBody()->GetPosition(), active.GetEye());

    // The free-roam camera starts where the race camera looks from, free to look around.
    game.ToggleCamera();
    kelvo::CTumboKelvoCamera& free = *game.GetFreeRoamCamera();
    ASSERT_EQ(game.GetCamera(), &free);
    EXPECT_EQ(free.GetMode(), 0);
    ExpectNear(free.GetEye(), game.GetRaceCamera()->GetEye(), 1e-3f);
    ExpectNear(free.GetTarget(), game.GetRaceCamera()->GetTarget(), 1e-3f);
    ExpectNear(free.GetMoveVector(), common::CVector3(1, 0, 0));
    EXPECT_FALSE(free.IsMoving());
    const common::CVector3 raceEye = game.GetRaceCamera()->GetEye();
    free.HandleInput(Input(velm::input::MOUSE_AXIS_X, static_cast<std::uint32_t>(-10)));
    ExpectNear(free.GetEye(), raceEye, 1e-3f);
    EXPECT_NEAR(free.GetYaw(), game.GetRaceCamera()->GetYaw() + 0.2f, kTolerance);

    game.ToggleCamera();
    EXPECT_EQ(game.GetCamera(), game.GetRaceCamera());
    ExpectNear(game.GetRaceCamera()->GetMoveVector(), common::CVector3(0, 0, 0));

    // After a reset the racer no longer moves the race camera, which waits at the menu view.
    game.ResetRace();
    racer->SetPosition(racer->GetPosition() + common::CVector3(0.0f, 2.0f, -5.0f));
    game.Update(race.m_time, tktest::CRaceFixture::kFrame);
    ExpectNear(game.GetRaceCamera()->GetTarget(), common::CVector3(5.6f, -1.17f, 505.655f), 1e-3f);
    EXPECT_NEAR(game.GetRaceCamera()->GetRadius(), 7.07106f, kTolerance);
}

} // namespace
