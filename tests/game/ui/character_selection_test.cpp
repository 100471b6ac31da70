// The character selection on the shipped layout: the turntable's places, turns of one place in
// one second with the last step clipped, the characters' wrap, the profile cards and the flags.
#include "game/ui/character_selection.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/gfx/gfx_core.h"
#include "engine/gfx/texture_cache.h"
#include "libs/common/vector3.h"
#include "ui_fixtures.h"

namespace {

using kelvo::CCharacterSelection;

constexpr float kPi = 3.14159265f;

class CharacterSelectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        velm::gfx::GFXCore::Instance().SetScreenSize(800, 600);
        for (std::uint32_t id = 1; id <= 6; ++id) {
            m_models.push_back(std::make_unique<tktest::CStandingModel>(id));
            m_host.m_lineUp.push_back(m_models.back().get());
        }
        ::testing::internal::CaptureStderr();
        m_screen = std::make_unique<CCharacterSelection>(
            tktest::SourceFile("data/files/xmlfiles/CharacterSelection.xml"), 1, 0);
        ::testing::internal::GetCapturedStderr();
    }
    void TearDown() override {
        m_screen.reset();
        velm::gfx::TextureCache::Destroy();
        velm::gfx::GFXCore::Destroy();
    }
    // The angle of model i about the turntable's centre, as sin/cos were used to place it.
    float AngleOf(std::size_t i) const {
        const common::CVector3 p = m_models[i]->GetPosition();
        const common::CVector3& c = m_screen->GetTurntableCentre();
        return std::atan2(p.x - c.x, p.z - c.z);
    }
    void ExpectTurnedBy(float angle, const std::string& where) {
        for (std::size_t i = 0; i < m_models.size(); ++i) {
            const common::CVector3 p = m_models[i]->GetPosition();
            const float want = kPi + static_cast<float>(i) * kPi / 3.0f - angle;
            EXPECT_NEAR(p.x, 12.8f + 1.9f * std::sin(want), 1e-3f) << where << " model " << i;
            EXPECT_NEAR(p.z, 506.5f + 1.9f * std::cos(want), 1e-3f) << where << " model " << i;
            EXPECT_NEAR(p.y, 0.05f, 1e-5f) << where;
        }
    }

    tktest::CTestScreenHost m_host;
    std::vector<std::unique_ptr<tktest::CStandingModel>> m_models;
    std::unique_ptr<CCharacterSelection> m_screen;
};

TEST_F(CharacterSelectionTest, TheLineUpStandsSixtyDegreesApartWithTheFirstInFront) {
    const common::CVector3 first = m_models[0]->GetPosition();
    EXPECT_NEAR(first.x, 12.8f, 1e-4f);
    EXPECT_NEAR(first.y, 0.05f, 1e-6f);
    EXPECT_NEAR(first.z, 504.6f, 1e-3f);
    ExpectTurnedBy(0.0f, "placed");
    for (const auto& model : m_models) {
        const common::CVector3& facing = model->GetForwardAxis();
        EXPECT_EQ(facing.x, -1.0f);
        EXPECT_EQ(facing.y, 0.0f);
        EXPECT_EQ(facing.z, 0.0f);
    }
    EXPECT_EQ(m_screen->GetCurrentCharacter(), 1u);
    EXPECT_TRUE(m_screen->IsNetworkRoad());
    EXPECT_FALSE(m_screen->IsHost());
}

TEST_F(CharacterSelectionTest, TurnsTakeOneSecondAndTheLastStepTurnsOnlyWhatIsLeft) {
    m_screen->SetActive(true);
    // Left: three frames of 0.4 s; the third would overrun and turns only the last 0.2 s.
    tktest::ClickChild(m_host, *m_screen, CCharacterSelection::kLeft);
    EXPECT_EQ(m_screen->GetCurrentCharacter(), 2u);
    ASSERT_TRUE(m_screen->IsTurning());
    m_screen->Update(400);
    // The rotation by +a maps (sin t, cos t) to (sin(t - a), cos(t - a)).
    ExpectTurnedBy(0.4f * kPi / 3.0f, "after 0.4 s");
    // Left during a turn changes neither the character nor the turn.
    tktest::ClickChild(m_host, *m_screen, CCharacterSelection::kLeft);
    EXPECT_EQ(m_screen->GetCurrentCharacter(), 2u);
    m_screen->Update(400);
    m_screen->Update(400);
    EXPECT_FALSE(m_screen->IsTurning());
    ExpectTurnedBy(kPi / 3.0f, "after the full turn");
    m_screen->Update(400);
    ExpectTurnedBy(kPi / 3.0f, "nothing turns between turns");

    // Right: one frame of 1.5 s turns back exactly 60 degrees.
    tktest::ClickChild(m_host, *m_screen, CCharacterSelection::kRight);
    EXPECT_EQ(m_screen->GetCurrentCharacter(), 1u);
    m_screen->Update(1500);
    EXPECT_FALSE(m_screen->IsTurning());
    ExpectTurnedBy(0.0f, "back after one long frame");
}

TEST_F(CharacterSelectionTest, CharactersWrapBothWaysAndTheCardsFollowTheFileOrder) {
    m_screen->SetActive(true);
    std::vector<std::uint32_t> seen;
    for (int press = 0; press < 6; ++press) {
        tktest::ClickChild(m_host, *m_screen, CCharacterSelection::kLeft);
        seen.push_back(m_screen->GetCurrentCharacter());
        m_screen->Update(1000);
    }
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{2, 3, 4, 5, 6, 1}));
    tktest::ClickChild(m_host, *m_screen, CCharacterSelection::kRight);
    EXPECT_EQ(m_screen->GetCurrentCharacter(), 6u);

    const auto& profiles = m_screen->GetProfiles();
    ASSERT_EQ(profiles.size(), 6u);
    for (std::uint32_t i = 0; i < 6; ++i) {
        EXPECT_EQ(profiles[i].m_character, i + 1);
        EXPECT_FALSE(profiles[i].m_card->IsVisible());
        EXPECT_EQ(profiles[i].m_card->GetZOrder(), 0);
        EXPECT_EQ(profiles[i].m_card->GetX(), 12);
    }
    m_screen->ShowProfile(4);
    for (std::uint32_t i = 0; i < 6; ++i) {
        EXPECT_EQ(profiles[i].m_card->IsVisible(), i + 1 == 4) << i;
    }
}

TEST_F(CharacterSelectionTest, ButtonsShowFromTheStartAndBackAndOkStaySet) {
    // Built inactive, the screen still shows its arrows, title and buttons: the player sees them
    // while the camera moves in, and the state's SetActive(true) finds them so.
    EXPECT_FALSE(m_screen->IsActive());
    for (int id = CCharacterSelection::kBack; id <= CCharacterSelection::kSelectPlayerFrame; ++id) {
        EXPECT_TRUE(tktest::Child(*m_screen, id)->IsVisible()) << id;
    }
    m_screen->SetActive(true);
    EXPECT_TRUE(tktest::Child(*m_screen, CCharacterSelection::kSelectPlayerFrame)->IsVisible());
    tktest::ClickChild(m_host, *m_screen, CCharacterSelection::kOk);
    EXPECT_TRUE(m_screen->IsOkPressed());
    EXPECT_FALSE(m_screen->IsBackPressed());
    tktest::ClickChild(m_host, *m_screen, CCharacterSelection::kBack);
    EXPECT_TRUE(m_screen->IsBackPressed());
    EXPECT_TRUE(m_screen->IsOkPressed());
    EXPECT_EQ(m_host.m_selected, std::vector<std::uint32_t>{0});
    m_screen->SetActive(false);
    EXPECT_FALSE(tktest::Child(*m_screen, CCharacterSelection::kBack)->IsEnabled());
}

TEST(CharacterSelectionLayoutTest, HostileNumbersAreSaidAndTheButtonsStillTakeTheirClicks) {
    velm::gfx::GFXCore::Instance().SetScreenSize(800, 600);
    tktest::CTestScreenHost host;
    const std::string file = tktest::SourceFile("tests/game/ui/data/CharacterSelection_hostile.xml");
    ::testing::internal::CaptureStderr();
    {
        CCharacterSelection screen(file, 1, 0);
        const std::string errors = ::testing::internal::GetCapturedStderr();
        for (const char* line : {": OffsetY \"1e10\"", ": OffsetX \"nan\"", ": BBWidth \"nan\"",
                                 ": BBHeight \"-inf\" is not a whole number from 1 to 16384; using ",
                                 ": ScaleX \"nan\" is not a number from 0 to 16; using ", ": OffsetY \"inf\"",
                                 ": ForScreenHeight \"nan\""}) {
            EXPECT_NE(errors.find(file + line), std::string::npos) << line << "\n" << errors;
        }
        screen.SetActive(true);
        for (int id : {CCharacterSelection::kOk, CCharacterSelection::kBack, CCharacterSelection::kLeft}) {
            const velm::gfx::CButton* button = tktest::Child(screen, id);
            EXPECT_GT(button->GetWidth(), 0) << id;
            EXPECT_GT(button->GetHeight(), 0) << id;
            EXPECT_LT(button->GetX() + button->GetWidth() / 2, 800) << id;
            EXPECT_LT(button->GetY() + button->GetHeight() / 2, 600) << id;
        }
        tktest::ClickChild(host, screen, CCharacterSelection::kOk);
        EXPECT_TRUE(screen.IsOkPressed());
        tktest::ClickChild(host, screen, CCharacterSelection::kBack);
        EXPECT_TRUE(screen.IsBackPressed());
    }
    velm::gfx::TextureCache::Destroy();
    velm::gfx::GFXCore::Destroy();
}

} // namespace
