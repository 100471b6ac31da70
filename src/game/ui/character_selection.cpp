#include "game/ui/character_selection.h"

#include <algorithm>
#include <cmath>

#include "engine/core/model.h"
#include "engine/gfx/button.h"
#include "engine/gfx/layout_values.h"
#include "game/ui/point_in_button.h"
#include "game/ui/screen_host.h"
#include "game/ui/shipped_layouts.h"
#include "game/world/kelvo_model.h"
#include "libs/common/string_util.h"
#include "libs/common/xml_reader.h"

namespace kelvo {
namespace {

const char* const kProfileAnimation = "Profile_Ani";
constexpr float kPi = 3.14159265f;
const common::CVector3 kLineUpFacing(-1.0f, 0.0f, 0.0f);

std::vector<velm::CModel*> LineUp() {
    IScreenHost* host = GetScreenHost();
    return host != nullptr ? host->GetCharSelRacers() : std::vector<velm::CModel*>();
}

velm::gfx::CSprite* ReadCard(common::CXmlReader& reader, const SBackBufferSize& screen) {
    reader.Enter("CharProfile");
    auto* card = new velm::gfx::CSprite(reader.GetValue("FileName"));
    const int width = velm::gfx::ReadLayoutSide(reader, "Width");
    const int height = velm::gfx::ReadLayoutSide(reader, "Height");
    // A card drawn for a screen height grows and shrinks with the screen, as the line-up behind it
    // does: in fixed pixels it would cover a greater share of a smaller picture, and racers with it.
    const int forHeight = velm::gfx::ReadLayoutPixels(reader, "ForScreenHeight");
    const float withScreen =
        forHeight > 0 && screen.height > 0 ? static_cast<float>(screen.height) / static_cast<float>(forHeight) : 1.0f;
    const float scaleX =
        std::min(velm::gfx::ReadLayoutScale(reader, "ScaleX") * withScreen, velm::gfx::kLargestLayoutScale);
    const float scaleY =
        std::min(velm::gfx::ReadLayoutScale(reader, "ScaleY") * withScreen, velm::gfx::kLargestLayoutScale);
    const POINT corner = velm::gfx::ReadLayoutCorner(
        reader, screen.width, screen.height, static_cast<float>(width) * scaleX, static_cast<float>(height) * scaleY);
    card->SetPosition(corner.x, corner.y);
    card->SetScale(scaleX, scaleY, 1.0f);
    card->AddAnimation(kProfileAnimation, width, height, 1, 0, 0, 200, 0, 0, false);
    card->SetAnimation(kProfileAnimation);
    card->GetCurrentAnimation()->stopped = 0;
    card->SetZOrder(0);
    card->SetVisible(false);
    return card;
}

} // namespace

CCharacterSelection::CCharacterSelection(const std::string& fileName, std::uint8_t networkRoad, std::uint8_t host)
    : m_networkRoad(networkRoad), m_host(host) {
    common::CXmlReader reader;
    LoadScreenLayout(reader, fileName, kShippedCharacterSelection);
    m_clickSound = CreateScreenSound(reader.GetValue("MouseClickSound"));
    const SBackBufferSize screen = BackBufferSize();
    AddChild(kBack, MakeLayoutButton(reader, "BackButton", screen, CButtonPressedBack{this}));
    AddChild(kOk, MakeLayoutButton(reader, "OKButton", screen, CButtonPressedOk{this}));
    AddChild(kLeft, MakeLayoutButton(reader, "LeftButton", screen, CButtonPressedLeft{this}));
    AddChild(kRight, MakeLayoutButton(reader, "RightButton", screen, CButtonPressedRight{this}));
    AddChild(kSelectPlayerFrame, MakeLayoutPicture(reader, "SelectPlayerButton", screen));
    // The cards stand for characters 1 to 6 by their order in the file alone.
    for (std::uint32_t character = 1; character <= kCharacterCount; ++character) {
        m_profiles.push_back({character, ReadCard(reader, screen)});
    }
    PlaceTurntable();
    m_currentCharacter = 1;
    SetActive(false);
}

CCharacterSelection::~CCharacterSelection() {
    for (SProfile& profile : m_profiles) {
        delete profile.m_card;
    }
    ReleaseScreenSound(m_clickSound);
}

void CCharacterSelection::PlaceTurntable() {
    float theta = kPi;
    for (velm::CModel* model : LineUp()) {
        if (model != nullptr) {
            model->SetPosition(common::CVector3(m_centre.x + m_radius * std::sin(theta), m_centre.y,
                                                m_centre.z + m_radius * std::cos(theta)));
        }
        if (auto* racer = dynamic_cast<CKelvoModel*>(model)) {
            racer->SetForwardAxis(kLineUpFacing);
        }
        theta += kPi / 3.0f;
    }
}

void CCharacterSelection::SetActive(bool on) {
    if ((m_active != 0) == on) {
        return;
    }
    m_active = on ? 1 : 0;
    for (int id = kBack; id <= kSelectPlayerFrame; ++id) {
        if (auto* button = dynamic_cast<velm::gfx::CButton*>(GetChild(id))) {
            button->SetEnabled(on);
            button->SetVisible(on);
        }
    }
}

void CCharacterSelection::ShowProfile(std::uint32_t character) {
    for (SProfile& profile : m_profiles) {
        profile.m_card->SetVisible(profile.m_character == character);
    }
}

void CCharacterSelection::OnLostDevice() {
    CBaseGUI::OnLostDevice();
    for (SProfile& profile : m_profiles) {
        profile.m_card->OnLostDevice();
    }
}

void CCharacterSelection::OnResetDevice() {
    CBaseGUI::OnResetDevice();
    for (SProfile& profile : m_profiles) {
        profile.m_card->OnResetDevice();
    }
}

void CCharacterSelection::Render(double time, float elapsed) {
    CBaseGUI::Render(time, elapsed);
    for (SProfile& profile : m_profiles) {
        profile.m_card->Render(time, elapsed);
    }
}

void CCharacterSelection::Update(unsigned elapsedMs) {
    CBaseGUI::Update(elapsedMs);
    if (m_turning == 0) {
        return;
    }
    float dt = static_cast<float>(elapsedMs) * 0.001f;
    m_turnElapsed += dt;
    if (m_turnElapsed >= m_turnTime) {
        // The last step turns exactly what is left of the turn.
        m_turnElapsed -= dt;
        dt = m_turnTime - m_turnElapsed;
        m_turning = 0;
    }
    TurnBy(dt * m_turnAngle);
}

void CCharacterSelection::TurnBy(float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    for (velm::CModel* model : LineUp()) {
        if (model == nullptr) {
            continue;
        }
        const common::CVector3 p = model->GetPosition();
        const float dx = p.x - m_centre.x;
        const float dy = p.y - m_centre.y;
        const float dz = p.z - m_centre.z;
        model->SetPosition(
            common::CVector3(m_centre.x + dx * c - dz * s, m_centre.y + dy, m_centre.z + dx * s + dz * c));
    }
}

void CCharacterSelection::Click() const { PlayScreenSound(m_clickSound); }

void CCharacterSelection::StartTurn(std::uint32_t character, float angle) {
    if (m_turning != 0) {
        return;
    }
    m_currentCharacter = character;
    m_turnAngle = angle;
    m_turnTime = kTurnSeconds;
    m_turnElapsed = 0.0f;
    m_turning = 1;
}

void CButtonPressedBack::operator()() const {
    m_screen->Click();
    if (IScreenHost* host = GetScreenHost()) {
        host->SetSelectedCharacter(0);
    }
    m_screen->m_backPressed = 1;
}

void CButtonPressedOk::operator()() const {
    m_screen->Click();
    m_screen->m_okPressed = 1;
}

void CButtonPressedLeft::operator()() const {
    m_screen->Click();
    const std::uint32_t next = m_screen->m_currentCharacter + 1;
    m_screen->StartTurn(next > CCharacterSelection::kCharacterCount ? 1 : next, CCharacterSelection::kTurnAngle);
}

void CButtonPressedRight::operator()() const {
    m_screen->Click();
    const std::uint32_t previous = m_screen->m_currentCharacter - 1;
    m_screen->StartTurn(previous == 0 ? CCharacterSelection::kCharacterCount : previous,
                        -CCharacterSelection::kTurnAngle);
}

} // namespace kelvo
