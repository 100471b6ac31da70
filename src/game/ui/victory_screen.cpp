#include "game/ui/victory_screen.h"

#include <algorithm>

#include "engine/core/model.h"
#include "engine/core/object_id.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/gfx/layout_values.h"
#include "game/ui/end_race_gui.h"
#include "game/ui/screen_game.h"
#include "game/ui/screen_parts.h"
#include "game/ui/shipped_layouts.h"
#include "game/world/kelvo_model.h"
#include "libs/common/quaternion.h"
#include "libs/common/string_util.h"

namespace kelvo {

namespace {

// The trophy's centre stands this far over the highest point of the winner as drawn: its own half
// height and a little air between.
constexpr float kTrophyClearance = 0.3f;

// How high the trophy must stand to turn over the racer as it is drawn now, whatever its pose;
// false for a racer drawn without geometry.
bool OverRacer(IScreenGame& game, std::uint32_t racerId, float& height) {
    const auto* racer = dynamic_cast<const CKelvoModel*>(game.FindModel(racerId));
    const velm::gfx::IGfxUnit* unit = racer != nullptr ? racer->GetGfxUnit() : nullptr;
    if (unit == nullptr || unit->GetGeometry().vertexCount == 0) {
        return false;
    }
    const velm::gfx::SUnitGeometry& geometry = unit->GetGeometry();
    float top = 0.0f;
    for (std::uint32_t i = 0; i < geometry.vertexCount; ++i) {
        D3DXVECTOR3 at;
        D3DXVec3TransformCoord(&at, &geometry.vertices[i].position, &unit->GetWorldMatrix());
        top = i == 0 ? at.y : std::max(top, at.y);
    }
    height = top + kTrophyClearance;
    return true;
}

velm::gfx::CSprite* Banner(common::CXmlReader& reader, const char* element, const SScreenSize& screen) {
    reader.Enter(element);
    auto* banner = new velm::gfx::CSprite(reader.GetValue("FileName"));
    velm::gfx::SSpriteAnimation look =
        OneFrame(velm::gfx::ReadLayoutSide(reader, "BBWidth"), velm::gfx::ReadLayoutSide(reader, "BBHeight"));
    const float scaleX = velm::gfx::ReadLayoutScale(reader, "ScalarX");
    const float scaleY = velm::gfx::ReadLayoutScale(reader, "ScalarY");
    const POINT corner = LayoutCorner(reader, screen, static_cast<float>(look.frameWidth) * scaleX,
                                      static_cast<float>(look.frameHeight) * scaleY);
    banner->AddAnimation(element, look);
    banner->SetAnimation(element);
    banner->SetPosition(corner.x, corner.y);
    banner->SetZOrder(0);
    banner->GetCurrentAnimation()->stopped = 0;
    banner->SetScale(scaleX, scaleY, 1.0f);
    return banner;
}

} // namespace

CVictoryScreen::CVictoryScreen(const std::string& fileName) {
    SetVisible(false);
    const SScreenSize screen = GetScreenSize();
    common::CXmlReader reader;
    LoadLayout(reader, fileName, kShippedVictory);
    m_winText = Banner(reader, "WinText", screen);
    m_loseText = Banner(reader, "LoseText", screen);
    AddChild(0, LayoutButton(reader, "Continue", screen, [this] { CButtonPressedContinue (*this)(); }));
}

CVictoryScreen::~CVictoryScreen() {
    delete m_winText;
    delete m_loseText;
}

void CVictoryScreen::OnLostDevice() {
    CBaseGUI::OnLostDevice();
    if (m_current != nullptr) {
        m_current->OnLostDevice();
    }
}

void CVictoryScreen::OnResetDevice() {
    CBaseGUI::OnResetDevice();
    if (m_current != nullptr) {
        m_current->OnResetDevice();
    }
}

void CVictoryScreen::Render(double time, float elapsed) {
    if (!IsVisible()) {
        return;
    }
    CBaseGUI::Render(time, elapsed);
    if (m_current != nullptr) {
        m_current->Render(time, elapsed);
    }
}

bool CVictoryScreen::HandleInput(const velm::input::SInputEvent& event) {
    return IsVisible() && CBaseGUI::HandleInput(event);
}

void CVictoryScreen::Show() {
    SetVisible(true);
    IScreenGame* game = GetScreenGame();
    CEndRaceGUI* board = game != nullptr ? game->GetEndRaceGUI() : nullptr;
    const auto* winner = board != nullptr && !board->GetRows().empty()
                             ? dynamic_cast<CKelvoModel*>(game->FindModel(board->GetRows().front().m_racerId))
                             : nullptr;
    if (winner != nullptr && winner->GetControlKind() == CONTROL_LOCAL_PLAYER) {
        m_current = m_winText;
        m_winnerId = winner->GetID();
        m_trophyShown = 1;
        CreateTrophy();
    } else {
        m_current = m_loseText;
    }
    if (board != nullptr) {
        board->ClearResultRows();
    }
}

void CVictoryScreen::CreateTrophy() {
    IScreenGame* game = GetScreenGame();
    if (game == nullptr) {
        return;
    }
    if (game->FindModel(m_trophyId) != nullptr) {
        game->DestroyEnvObject(m_trophyId);
    }
    m_trophyId = velm::NewObjectID();
    if (game->IsNetworked() && !game->IsHost()) {
        return;
    }
    game->CreateTrophyObject(m_trophyId);
}

void CVictoryScreen::Update(unsigned elapsedMs) {
    IScreenGame* game = GetScreenGame();
    velm::CModel* trophy = m_trophyShown != 0 && game != nullptr ? game->FindModel(m_trophyId) : nullptr;
    if (trophy != nullptr) {
        // Just right of the camera's target, which lies inside the winner's body: raised over
        // the winner, where it shows whole above the racer and the water.
        common::CVector3 p = game->GetCameraTarget();
        p.x += 0.07f;
        float overRacer = 0.0f;
        if (OverRacer(*game, m_winnerId, overRacer)) {
            p.y = std::max(p.y, overRacer);
        }
        common::CVector3 axis;
        float angle = 0.0f;
        trophy->GetOrientation().ToAxisAngle(axis, angle);
        angle -= kTurnPerFrame;
        if (angle < 0.0f) {
            angle = kFullTurn;
        }
        common::CQuaternion turn;
        turn.FromAxisAngle(common::CVector3(0.0f, 1.0f, 0.0f), angle);
        trophy->SetOrientation(turn);
        trophy->SetPosition(p);
    }
    CBaseGUI::Update(elapsedMs);
}

void CVictoryScreen::Close() {
    IScreenGame* game = GetScreenGame();
    if (m_trophyShown != 0) {
        if (game != nullptr && game->FindModel(m_trophyId) != nullptr) {
            game->DestroyEnvObject(m_trophyId);
        }
        m_trophyShown = 0;
    }
    SetVisible(false);
}

void CButtonPressedContinue::operator()() const {
    m_screen.Close();
    if (IScreenGame* game = GetScreenGame()) {
        game->ResetRace();
    }
}

} // namespace kelvo
