#include "game/ui/end_race_gui.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "engine/gfx/cursor.h"
#include "engine/gfx/layout_values.h"
#include "engine/phy/buoyancy_force.h"
#include "game/ui/screen_game.h"
#include "game/ui/screen_parts.h"
#include "game/ui/shipped_layouts.h"
#include "game/ui/victory_screen.h"
#include "game/world/kelvo_model.h"
#include "game/world/racer_model.h"
#include "libs/common/string_util.h"

namespace kelvo {

namespace {

constexpr int kPlaceCount = 6;
constexpr int kPortraitSide = 64;
constexpr int kRowStep = 80;
// The board's places are given on the 800 x 600 screen its layout was drawn for: place image k
// at (50, 80 k), row k's portrait at (120, 80 + 80 k) and its texts at (220 and 520, 95 + 80 k).
// They are taken as the same fractions of the back buffer as the layout's own offsets are, a
// picture by its middle and a text by the middle of its row, so that at any size each row stays
// on its band of the background, beside its place and under the headings.
constexpr int kDesignWidth = 800;
constexpr int kDesignHeight = 600;
constexpr int kPlaceX = 50;
constexpr int kPortraitX = 120;
constexpr int kTrackTimeX = 220;
constexpr int kTotalTimeX = 520;
constexpr int kFirstRowTop = 80;
constexpr int kTextBelowRowTop = 15;

int DesignToScreen(int design, int designSide, int side) {
    return static_cast<int>(static_cast<long long>(design) * side / designSide);
}

void WriteTwoDigits(std::ostringstream& out, long long value) {
    if (value < 10) {
        out << '0';
    }
    out << value;
}

velm::gfx::CTextSprite* RowText(const std::string& text) {
    velm::gfx::STextStyle style;
    style.fontIndex = 4;
    style.r = 0.0f;
    style.g = 0.0f;
    style.b = 0.0f;
    auto* sprite = new velm::gfx::CTextSprite(Widen(text), style, 0, 0, 200);
    sprite->OnResetDevice();
    return sprite;
}

} // namespace

std::string FormatResultTime(float seconds) {
    // Worked in double so that a float such as 9.05 keeps its hundredths.
    const double t = seconds > 0.0f ? static_cast<double>(seconds) : 0.0;
    const long long m = static_cast<long long>(t / 60.0);
    const long long s = static_cast<long long>(t - 60.0 * static_cast<double>(m));
    const long long h =
        static_cast<long long>(t * 100.0 - 6000.0 * static_cast<double>(m) - 100.0 * static_cast<double>(s));
    std::ostringstream out;
    WriteTwoDigits(out, m);
    out << ':';
    WriteTwoDigits(out, s);
    out << ':';
    WriteTwoDigits(out, h < 0 ? 0 : h);
    return out.str();
}

const char* RacerImageFile(std::uint32_t character) {
    static const char* const kFiles[] = {
        "hud/tex_squareborder.png", "hud/tex_hud_monkey.png",    "hud/tex_hud_bear.png",     "hud/tex_hud_alien.png",
        "hud/tex_hud_fish.png",     "hud/tex_hud_hillbilly.png", "hud/tex_hud_moviestar.png"};
    return character < sizeof(kFiles) / sizeof(kFiles[0]) ? kFiles[character] : "";
}

CEndRaceGUI::CEndRaceGUI(const std::string& fileName) {
    const SScreenSize screen = GetScreenSize();
    m_screenWidth = screen.m_width;
    m_screenHeight = screen.m_height;
    common::CXmlReader reader;
    LoadLayout(reader, fileName, kShippedEndRace);
    m_click = std::make_unique<CClickSound>(reader.GetValue("MouseClickSound"));

    reader.Enter("Background");
    LoadTexture(reader.GetValue("FileName"));
    const int width = velm::gfx::ReadLayoutSide(reader, "BBWidth");
    const int height = velm::gfx::ReadLayoutSide(reader, "BBHeight");
    SetScale(PictureScale(velm::gfx::ReadLayoutScale(reader, "ScalarX"), width, screen.m_width),
             PictureScale(velm::gfx::ReadLayoutScale(reader, "ScalarY"), height, screen.m_height), 1.0f);
    SetPosition(0, 0);
    AddAnimation("BGAni", width, height, 1, 0, 0, 200, 0, 0, false);
    SetAnimation("BGAni");

    auto* next = LayoutButton(reader, "NextRaceButton", screen, [this] { CButtonPressedNextRace (*this)(); });
    next->SetZOrder(2);
    AddChild(kNextRaceButton, next);
    for (int element = 0; element < 2; ++element) {
        const char* name = element == 0 ? "TrackTime" : "TotalTime";
        const velm::gfx::SButtonLayout layout =
            velm::gfx::CButton::ReadLayout(reader, name, screen.m_width, screen.m_height);
        auto* heading = ImageButton(layout.fileName, layout.x, layout.y, layout.width, layout.height, true);
        heading->SetZOrder(2);
        AddChild(element == 0 ? kTrackTimeHeading : kTotalTimeHeading, heading);
    }
    for (int place = 1; place <= kPlaceCount; ++place) {
        const std::string file = "hud/" + std::to_string(place) +
                                 (place == 1   ? "st"
                                  : place == 2 ? "nd"
                                  : place == 3 ? "rd"
                                               : "th") +
                                 ".png";
        const POINT at = RowPicture(kPlaceX, kRowStep * place);
        auto* image = ImageButton(file, at.x, at.y, kPortraitSide, kPortraitSide, false);
        image->SetZOrder(2);
        AddChild(place, image);
    }
    next->SetEnabled(false);
    next->SetVisible(false);
}

CEndRaceGUI::~CEndRaceGUI() {
    for (SResultRow& row : m_rows) {
        DeleteRow(row);
    }
}

void CEndRaceGUI::DeleteRow(SResultRow& row) {
    delete row.m_portrait;
    delete row.m_trackText;
    delete row.m_totalText;
    row.m_portrait = nullptr;
    row.m_trackText = nullptr;
    row.m_totalText = nullptr;
}

void CEndRaceGUI::OnLostDevice() {
    CBaseGUI::OnLostDevice();
    for (SResultRow& row : m_rows) {
        row.m_portrait->OnLostDevice();
        row.m_trackText->OnLostDevice();
        row.m_totalText->OnLostDevice();
    }
}

void CEndRaceGUI::OnResetDevice() {
    CBaseGUI::OnResetDevice();
    for (SResultRow& row : m_rows) {
        row.m_portrait->OnResetDevice();
        row.m_trackText->OnResetDevice();
        row.m_totalText->OnResetDevice();
    }
}

void CEndRaceGUI::Update(unsigned elapsedMs) {
    if (m_shown != 0) {
        CBaseGUI::Update(elapsedMs);
    }
}

bool CEndRaceGUI::HandleInput(const velm::input::SInputEvent& event) {
    return m_shown != 0 && CBaseGUI::HandleInput(event);
}

void CEndRaceGUI::Render(double time, float elapsed) {
    if (m_shown == 0) {
        return;
    }
    CBaseGUI::Render(time, elapsed);
    int k = 0;
    for (SResultRow& row : m_rows) {
        const int rowTop = kFirstRowTop + kRowStep * k;
        const POINT portrait = RowPicture(kPortraitX, rowTop);
        const int textY = RowMiddle(rowTop) - kPortraitSide / 2 + kTextBelowRowTop;
        row.m_portrait->SetPosition(portrait.x, portrait.y);
        row.m_trackText->SetPosition(DesignToScreen(kTrackTimeX, kDesignWidth, m_screenWidth), textY);
        row.m_totalText->SetPosition(DesignToScreen(kTotalTimeX, kDesignWidth, m_screenWidth), textY);
        row.m_portrait->Render(time, elapsed);
        row.m_trackText->Render(time, elapsed);
        row.m_totalText->Render(time, elapsed);
        ++k;
    }
}

int CEndRaceGUI::RowMiddle(int designTop) const {
    return DesignToScreen(designTop + kPortraitSide / 2, kDesignHeight, m_screenHeight);
}

POINT CEndRaceGUI::RowPicture(int designLeft, int designTop) const {
    return {DesignToScreen(designLeft + kPortraitSide / 2, kDesignWidth, m_screenWidth) - kPortraitSide / 2,
            RowMiddle(designTop) - kPortraitSide / 2};
}

bool CEndRaceGUI::HasFinished(std::uint32_t racerId) const {
    return std::find(m_finished.begin(), m_finished.end(), racerId) != m_finished.end();
}

bool CEndRaceGUI::HasResultRow(std::uint32_t racerId) const {
    for (const SResultRow& row : m_rows) {
        if (row.m_racerId == racerId) {
            return true;
        }
    }
    return false;
}

std::vector<std::uint32_t> CEndRaceGUI::GetResultRows() const {
    std::vector<std::uint32_t> ids;
    for (const SResultRow& row : m_rows) {
        ids.push_back(row.m_racerId);
    }
    return ids;
}

bool CEndRaceGUI::AddResultRow(std::uint32_t racerId) {
    IScreenGame* game = GetScreenGame();
    // An id off the network may name any object, or none: only a racer of this game gets a row.
    auto* racer = game != nullptr ? dynamic_cast<CRacerModel*>(game->FindModel(racerId)) : nullptr;
    if (racer == nullptr) {
        std::fprintf(stderr, "Results: no racer with id %u; no row added\n", racerId);
        return false;
    }
    if (std::find(m_finished.begin(), m_finished.end(), racerId) != m_finished.end()) {
        return false;
    }
    m_finished.push_back(racerId);
    const float t = game->GetRaceClock();
    racer->AddRaceTime(t);
    SResultRow row;
    row.m_racerId = racerId;
    row.m_total = racer->GetTotalRaceTime();
    row.m_trackTime = FormatResultTime(t);
    row.m_totalTime = FormatResultTime(row.m_total);
    row.m_portrait = new velm::gfx::CSprite(RacerImageFile(racer->GetObjectType()));
    velm::gfx::SSpriteAnimation look = OneFrame(kPortraitSide, kPortraitSide);
    look.stopped = 0;
    row.m_portrait->AddAnimation("ImageName", look);
    row.m_portrait->SetAnimation("ImageName");
    row.m_portrait->SetZOrder(4);
    row.m_trackText = RowText(row.m_trackTime);
    row.m_totalText = RowText(row.m_totalTime);
    auto at = m_rows.begin();
    while (at != m_rows.end() && at->m_total <= row.m_total) {
        ++at;
    }
    m_rows.insert(at, row);

    // A networked server tells everyone of a finish, itself included (its run trace hears of
    // finishes that way); a game off the network only notes its own.
    if (game->IsNetworked()) {
        if (game->IsHost()) {
            game->TriggerRacerFinished(racerId);
        }
    } else {
        game->NoteRacerFinished(racerId);
    }
    if (racer->GetControlKind() == CONTROL_LOCAL_PLAYER) {
        m_shown = 1;
        game->SetHUDVisible(false);
        if (velm::gfx::CCursor* cursor = game->GetCursor()) {
            cursor->Show(true);
        }
        if (auto* next = dynamic_cast<velm::gfx::CButton*>(GetChild(kNextRaceButton))) {
            next->SetEnabled(true);
            next->SetVisible(true);
        }
    }
    racer->RemoveController();
    if (velm::phy::BuoyancyForce* buoyancy = racer->GetBuoyancy()) {
        buoyancy->SetUseRiverSpeed(false);
        buoyancy->SetFlowSpeed(0.0f);
    }
    return true;
}

void CEndRaceGUI::Hide() {
    m_shown = 0;
    if (auto* next = dynamic_cast<velm::gfx::CButton*>(GetChild(kNextRaceButton))) {
        next->SetEnabled(false);
        next->SetVisible(false);
    }
}

void CEndRaceGUI::ClearResultRows() {
    for (SResultRow& row : m_rows) {
        DeleteRow(row);
    }
    m_rows.clear();
    Hide();
}

void CEndRaceGUI::OnRaceReset() {
    ClearResultRows();
    m_finished.clear();
}

void CEndRaceGUI::PlayClick() const { m_click->Play(); }

void CButtonPressedNextRace::operator()() const {
    m_screen.PlayClick();
    IScreenGame* game = GetScreenGame();
    // The board is done with either way: a second click must not reach it under the victory screen.
    m_screen.Hide();
    if (game == nullptr) {
        m_screen.ClearResultRows();
        return;
    }
    game->InitNetwork(false, 0);
    game->ClearRaceLineUp();
    game->SetRaceFogOn(false);
    if (CVictoryScreen* victory = game->GetVictoryScreen()) {
        victory->Show();
    } else {
        m_screen.ClearResultRows();
    }
}

} // namespace kelvo
