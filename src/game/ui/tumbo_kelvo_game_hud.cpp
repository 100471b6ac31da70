#include "game/ui/tumbo_kelvo_game_hud.h"

#include <algorithm>
#include <cmath>

#include "engine/gfx/velm_gfx.h"

namespace kelvo {

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kSpinPerFrame = 0.436332f; // 25 degrees
// The map and the ladder are laid out for the shipped 1024 x 768 screen and scaled with the
// screen from there, so that they take the same share of it at any size.
constexpr float kLayoutWidth = 1024.0f;
constexpr float kLayoutHeight = 768.0f;
constexpr float kSlotX = 42.0f;
constexpr float kFirstSlotY = 132.0f;
constexpr float kSlotSpacing = 64.0f;
constexpr float kSwingHalfHeight = 42.0f;
constexpr float kMapFromRight = 175.0f;
constexpr float kMapTop = 80.0f;
constexpr float kMapScaleX = 0.7f;
constexpr float kMapScaleY = 0.45f;
// The heads' rail: 35 pixels right of the map's middle; progress 0 ten pixels below its top.
constexpr float kRailRightOfMiddle = 35.0f;
constexpr float kHeadBelowTop = 10.0f;
constexpr float kHeadScale = 0.4f;
constexpr int kHeadFrame = 64;
constexpr int kTextFromRight = 160;
constexpr int kSpeedFromBottom = 50;
constexpr int kClockY = 20;

const char* const kItemTextures[] = {
    "hud/tex_hud_drill.png", "hud/tex_hud_reflective.png", "hud/tex_hud_bait.png",      "hud/tex_hud_shark.png",
    "hud/tex_hud_pole.png",  "hud/tex_hud_whirlpool.png",  "hud/tex_hud_propeller.png", "hud/tex_hud_mine.png",
};
const char* const kPlaceTextures[] = {"hud/1st.png", "hud/2nd.png", "hud/3rd.png",
                                      "hud/4th.png", "hud/5th.png", "hud/6th.png"};
const char* const kPortraitTextures[] = {"hud/tex_hud_monkey.png",    "hud/tex_hud_bear.png",
                                         "hud/tex_hud_alien.png",     "hud/tex_hud_fish.png",
                                         "hud/tex_hud_hillbilly.png", "hud/tex_hud_moviestar.png"};
const char* const kHeadTextures[] = {"hud/tex_hud_monkey_head.png",    "hud/tex_hud_bear_head.png",
                                     "hud/tex_hud_alien_head.png",     "hud/tex_hud_fish_head.png",
                                     "hud/tex_hud_hillbilly_head.png", "hud/tex_hud_moviestar_head.png"};

// Every HUD sprite shows one still frame from the texture origin, under the texture's name.
velm::gfx::CSprite* MakeSprite(const char* texture, float scaleX, float scaleY, int x, int y, int pivot, int frameWidth,
                               int frameHeight) {
    auto* sprite = new velm::gfx::CSprite(texture);
    sprite->SetScale(scaleX, scaleY, 1.0f);
    sprite->SetPosition(x, y);
    velm::gfx::SSpriteAnimation frame;
    frame.pivotX = pivot;
    frame.pivotY = pivot;
    frame.frameWidth = frameWidth;
    frame.frameHeight = frameHeight;
    frame.frameCount = 1;
    sprite->AddAnimation(texture, frame);
    sprite->SetAnimation(texture);
    return sprite;
}

velm::gfx::STextStyle HudTextStyle() {
    velm::gfx::STextStyle style;
    style.fontIndex = 0;
    return style;
}

int Scaled(float pixels, float scale) { return static_cast<int>(pixels * scale); }

void TwoDigits(std::wstring& text, long value) {
    if (value <= 9) {
        text += L'0';
    }
    text += std::to_wstring(value);
}

} // namespace

std::wstring RaceClockText(float seconds) {
    // Float throughout: a clock of 5.05 s must read 05 hundredths, which double arithmetic loses.
    float t = seconds;
    const long hours = static_cast<long>(t / 3600.0f);
    t -= static_cast<float>(hours) * 3600.0f;
    const long minutes = static_cast<long>(t / 60.0f);
    t -= static_cast<float>(minutes) * 60.0f;
    const long whole = static_cast<long>(t);
    const long hundredths = static_cast<long>((t - static_cast<float>(whole)) * 100.0f);
    std::wstring text;
    TwoDigits(text, minutes);
    text += L':';
    TwoDigits(text, whole);
    text += L':';
    TwoDigits(text, hundredths);
    return text;
}

TumboKelvoGameHUD::TumboKelvoGameHUD()
    : m_overlayTimer(0.0f, true),
      m_spinTimer(0.0f, false),
      m_raceClock(true),
      m_mainThread(std::this_thread::get_id()) {
    m_random.SeedWithTime();
    SetZOrder(0);
    m_raceClock.Restart();
}

TumboKelvoGameHUD::~TumboKelvoGameHUD() {
    ClearRacerEntries();
    for (velm::gfx::CSprite* icon : m_itemIcons) {
        delete icon;
    }
    for (velm::gfx::CSprite* image : m_placeImages) {
        delete image;
    }
    delete m_levelMap;
    delete m_overlay;
    delete m_speedText;
    delete m_clockText;
}

void TumboKelvoGameHUD::Init() {
    if (m_levelMap != nullptr) {
        return;
    }
    const int width = static_cast<int>(velm::gfx::GetScreenWidth());
    const int height = static_cast<int>(velm::gfx::GetScreenHeight());
    if (width > 0 && height > 0) {
        m_scale = std::min(static_cast<float>(width) / kLayoutWidth, static_cast<float>(height) / kLayoutHeight);
    }
    for (const char* texture : kItemTextures) {
        m_itemIcons.push_back(MakeSprite(texture, 1.0f, 1.0f, 336, 10, 0, 64, 64));
    }
    for (const char* texture : kPlaceTextures) {
        m_placeImages.push_back(MakeSprite(texture, 1.0f, 1.0f, 10, 10, 0, 64, 64));
    }
    m_levelMap = MakeSprite("hud/level_map.png", kMapScaleX * m_scale, kMapScaleY * m_scale,
                            width - Scaled(kMapFromRight, m_scale), Scaled(kMapTop, m_scale), 0, 256, 1024);
    m_overlay = MakeSprite("hud/tex_item_reflected.png", 1.0f, 1.0f, width / 2 - 50, height / 2 - 50, 0, 128, 128);
    // The speed and the clock keep to the right edge, over and under the level map, as the map
    // does: (640, 550) and (640, 20) on an 800 x 600 screen.
    m_speedText = new velm::gfx::CTextSprite(m_speedValue, HudTextStyle(), width - kTextFromRight,
                                             height - kSpeedFromBottom, 200);
    m_clockText = new velm::gfx::CTextSprite(L"", HudTextStyle(), width - kTextFromRight, kClockY, 200);
}

void TumboKelvoGameHUD::OnLostDevice() {
    CBaseGUI::OnLostDevice();
    for (velm::gfx::CSprite* icon : m_itemIcons) {
        icon->OnLostDevice();
    }
    for (velm::gfx::CSprite* image : m_placeImages) {
        image->OnLostDevice();
    }
    for (auto& [id, entry] : m_entries) {
        entry.m_portrait->OnLostDevice();
        entry.m_head->OnLostDevice();
    }
    for (velm::gfx::CSprite* sprite : {m_levelMap, m_overlay, static_cast<velm::gfx::CSprite*>(m_speedText),
                                       static_cast<velm::gfx::CSprite*>(m_clockText)}) {
        if (sprite != nullptr) {
            sprite->OnLostDevice();
        }
    }
}

void TumboKelvoGameHUD::OnResetDevice() {
    CBaseGUI::OnResetDevice();
    for (velm::gfx::CSprite* icon : m_itemIcons) {
        icon->OnResetDevice();
    }
    for (velm::gfx::CSprite* image : m_placeImages) {
        image->OnResetDevice();
    }
    for (auto& [id, entry] : m_entries) {
        entry.m_portrait->OnResetDevice();
        entry.m_head->OnResetDevice();
    }
    for (velm::gfx::CSprite* sprite : {m_levelMap, m_overlay, static_cast<velm::gfx::CSprite*>(m_speedText),
                                       static_cast<velm::gfx::CSprite*>(m_clockText)}) {
        if (sprite != nullptr) {
            sprite->OnResetDevice();
        }
    }
}

void TumboKelvoGameHUD::AddRacerEntry(std::uint32_t racerId, std::uint32_t character) {
    if (character < 1 || character > kCharacterCount) {
        return;
    }
    if (std::this_thread::get_id() == m_mainThread) {
        TakePendingEntries();
        AddEntryNow(racerId, character);
        return;
    }
    std::lock_guard<std::mutex> lock(m_pendingMutex);
    m_pending.push_back(SPendingEntry{racerId, character});
}

void TumboKelvoGameHUD::TakePendingEntries() {
    std::vector<SPendingEntry> pending;
    {
        std::lock_guard<std::mutex> lock(m_pendingMutex);
        pending.swap(m_pending);
    }
    for (const SPendingEntry& entry : pending) {
        AddEntryNow(entry.m_racerId, entry.m_character);
    }
}

void TumboKelvoGameHUD::AddEntryNow(std::uint32_t racerId, std::uint32_t character) {
    if (m_entries.count(racerId) != 0) {
        return;
    }
    const std::uint32_t slot = m_nextSlot++;
    std::int32_t x = 0;
    std::int32_t y = 0;
    RankToSlotPosition(slot, &x, &y);
    SRacerEntry entry;
    entry.m_portrait = MakeSprite(kPortraitTextures[character - 1], m_scale, m_scale, x, y, 32, 64, 64);
    entry.m_head = MakeSprite(kHeadTextures[character - 1], kHeadScale * m_scale, kHeadScale * m_scale, 0, 0,
                              kHeadFrame / 2, kHeadFrame, kHeadFrame);
    m_entries.emplace(racerId, entry);
}

void TumboKelvoGameHUD::ShiftRacerRank(std::uint32_t racerId, std::int32_t steps) {
    TakePendingEntries();
    const auto found = m_entries.find(racerId);
    if (found != m_entries.end()) {
        found->second.m_pendingSteps += steps;
    }
}

void TumboKelvoGameHUD::StartIconSpin(std::uint32_t racerId, std::int32_t turns) {
    TakePendingEntries();
    const auto found = m_entries.find(racerId);
    if (found == m_entries.end()) {
        return;
    }
    found->second.m_spinning = 1;
    found->second.m_spinTurns = turns;
    found->second.m_spinAngle = 0.0f;
}

void TumboKelvoGameHUD::ClearRacerEntries() {
    {
        // Entries still waiting belong to the race being cleared.
        std::lock_guard<std::mutex> lock(m_pendingMutex);
        m_pending.clear();
    }
    for (auto& [id, entry] : m_entries) {
        delete entry.m_portrait;
        delete entry.m_head;
    }
    m_entries.clear();
    m_nextSlot = 1;
}

void TumboKelvoGameHUD::SetSpeed(int speed) {
    m_speedValue = std::to_wstring(speed) + L" km/h";
    if (m_speedText != nullptr) {
        m_speedText->SetText(m_speedValue);
    }
}

void TumboKelvoGameHUD::SetPlace(std::uint32_t place) {
    if (place <= kSlotCount) {
        m_place = place;
    }
}

void TumboKelvoGameHUD::StartItemSpin(float interval, float step, std::uint32_t itemType) {
    m_spinInterval = interval;
    m_spinStep = step;
    m_finalItem = itemType;
    m_shownItem = kFirstItem + (m_random.RandomInt(1000) & 7u);
    m_spinTimer.StartCountdown(interval);
    m_spinning = 1;
}

void TumboKelvoGameHUD::SlowItemSpin(float interval, float step) {
    m_spinInterval = interval;
    m_spinStep = step;
    m_spinTimer.StartCountdown(interval);
}

void TumboKelvoGameHUD::StopItemSpin() {
    if (m_spinning == 0) {
        return;
    }
    m_spinInterval = 0.0f;
    m_spinStep = 0.0f;
    m_shownItem = m_finalItem;
    m_spinning = 0;
}

void TumboKelvoGameHUD::ClearItemIcon() {
    if (m_spinning != 0) {
        return;
    }
    m_finalItem = 0;
    m_shownItem = 0;
}

void TumboKelvoGameHUD::ShowHitOverlay() {
    ++m_hitOverlays;
    if (m_overlay != nullptr) {
        m_overlay->SetVisible(true);
    }
    m_overlayTimer.StartCountdown(5.0f);
}

void TumboKelvoGameHUD::ResetRaceClock() {
    m_raceClock.Restart();
    m_raceClock.Stop();
}

void TumboKelvoGameHUD::StartRaceClock() { m_raceClock.Restart(); }

float TumboKelvoGameHUD::GetRaceClock() { return static_cast<float>(m_raceClock.GetElapsedSeconds()); }

void TumboKelvoGameHUD::Update(unsigned elapsedMs) {
    CBaseGUI::Update(elapsedMs);
    TakePendingEntries();
    if (m_spinning != 0 && m_spinTimer.IsExpired()) {
        m_spinInterval += m_spinStep;
        m_shownItem += 1;
        if (m_shownItem >= kLastItem + 1) {
            m_shownItem = kFirstItem;
        }
        m_spinTimer.StartCountdown(m_spinInterval);
    }
    UpdateRacerEntries(static_cast<float>(elapsedMs) * 0.001f);
    if (m_overlay != nullptr && m_overlay->IsVisible() && m_overlayTimer.IsExpired()) {
        m_overlay->SetVisible(false);
    }
    if (m_levelMap != nullptr) {
        m_levelMap->Update(elapsedMs);
    }
}

void TumboKelvoGameHUD::RankToSlotPosition(std::uint32_t rank, std::int32_t* x, std::int32_t* y) const {
    if (rank < 1 || rank > kSlotCount) {
        return;
    }
    *x = Scaled(kSlotX, m_scale);
    *y = Scaled(kFirstSlotY + kSlotSpacing * static_cast<float>(rank - 1), m_scale);
}

std::uint32_t TumboKelvoGameHUD::SlotPositionToRank(std::int32_t x, std::int32_t y) const {
    for (std::uint32_t rank = 1; rank <= kSlotCount; ++rank) {
        std::int32_t sx = 0;
        std::int32_t sy = 0;
        RankToSlotPosition(rank, &sx, &sy);
        if (sx == x && sy == y) {
            return rank;
        }
    }
    return 0;
}

void TumboKelvoGameHUD::UpdateRacerEntries(float dt) {
    const float a = dt * 8.0f;
    const float c = std::cos(a);
    const float s = std::sin(a);
    const auto mapWidth = static_cast<float>(m_levelMap != nullptr ? m_levelMap->GetTextureWidth() : 0);
    const auto mapHeight = static_cast<float>(m_levelMap != nullptr ? m_levelMap->GetTextureHeight() : 0);
    const auto width = static_cast<float>(velm::gfx::GetScreenWidth());
    const auto headX = static_cast<std::int32_t>(
        width + (mapWidth * kMapScaleX * 0.5f + kRailRightOfMiddle - kMapFromRight) * m_scale);
    // The course runs past the map's last row (progress 1 at the bottom of the rail and beyond):
    // a head stops where it still lies whole inside the map, as at the top.
    const int mapTop = Scaled(kMapTop, m_scale);
    const auto headHalf = static_cast<int>(std::ceil(static_cast<float>(kHeadFrame) * kHeadScale * m_scale * 0.5f));
    const int highest = mapTop + headHalf;
    const int lowest = std::max(highest, mapTop + static_cast<int>(mapHeight * kMapScaleY * m_scale) - headHalf);
    for (auto& [id, entry] : m_entries) {
        velm::gfx::CSprite& portrait = *entry.m_portrait;
        if (entry.m_moving != 0) {
            if (entry.m_swingAngle >= kPi) {
                portrait.SetPosition(entry.m_targetX, entry.m_targetY);
                entry.m_moving = 0;
            } else {
                const float d = entry.m_movingDown != 0 ? -1.0f : 1.0f;
                entry.m_swingAngle += a;
                const auto vx = static_cast<float>(portrait.GetX() - entry.m_centreX);
                const auto vy = static_cast<float>(entry.m_centreY - portrait.GetY());
                const auto nx = static_cast<std::int32_t>(vx * c - vy * d * s * 0.761905f);
                const auto ny = static_cast<std::int32_t>(vx * d * s * 1.3125f + vy * c);
                portrait.SetPosition(entry.m_centreX + nx, entry.m_centreY - ny);
            }
        } else if (entry.m_pendingSteps != 0) {
            const std::uint32_t rank = SlotPositionToRank(portrait.GetX(), portrait.GetY());
            const bool down = entry.m_pendingSteps < 0;
            entry.m_pendingSteps += down ? 1 : -1;
            const std::uint32_t target = down ? rank + 1 : rank - 1;
            // Off the ladder (or not on a slot) there is nowhere to swing to: the step is dropped.
            if (rank != 0 && target >= 1 && target <= kSlotCount) {
                entry.m_movingDown = down ? 1 : 0;
                entry.m_centreX = portrait.GetX();
                const int half = Scaled(kSwingHalfHeight, m_scale);
                entry.m_centreY = portrait.GetY() + (down ? half : -half);
                RankToSlotPosition(target, &entry.m_targetX, &entry.m_targetY);
                entry.m_swingAngle = 0.0f;
                entry.m_moving = 1;
            }
        }
        if (entry.m_spinning != 0) {
            if (static_cast<float>(entry.m_spinTurns) * 2.0f * kPi > entry.m_spinAngle) {
                portrait.SetRotation(entry.m_spinAngle);
                entry.m_spinAngle += kSpinPerFrame;
            } else {
                entry.m_spinning = 0;
                portrait.SetRotation(0.0f);
            }
        }
        float progress = m_progress ? m_progress(id) : 0.0f;
        progress = progress > 0.0f ? std::min(progress, 1.0f) : 0.0f;
        const int headY = mapTop + static_cast<int>((progress * mapHeight * kMapScaleY + kHeadBelowTop) * m_scale);
        entry.m_head->SetPosition(headX, std::clamp(headY, highest, lowest));
    }
}

void TumboKelvoGameHUD::UpdateClockText() {
    if (m_clockText != nullptr) {
        m_clockText->SetText(RaceClockText(GetRaceClock()));
    }
}

velm::gfx::CSprite* TumboKelvoGameHUD::ItemIcon(std::uint32_t item) const {
    const std::uint32_t index = item - kFirstItem;
    return item >= kFirstItem && index < m_itemIcons.size() ? m_itemIcons[index] : nullptr;
}

velm::gfx::CSprite* TumboKelvoGameHUD::PlaceImage(std::uint32_t place) const {
    return place >= 1 && place <= m_placeImages.size() ? m_placeImages[place - 1] : nullptr;
}

void TumboKelvoGameHUD::Render(double time, float elapsed) {
    if (!IsVisible()) {
        return;
    }
    TakePendingEntries();
    CBaseGUI::Render(time, elapsed);
    if (velm::gfx::CSprite* icon = ItemIcon(m_shownItem)) {
        icon->Render(time, elapsed);
    }
    if (velm::gfx::CSprite* image = PlaceImage(m_place)) {
        image->Render(time, elapsed);
    }
    if (m_racePanelShown != 0 && m_levelMap != nullptr) {
        m_levelMap->Render(time, elapsed);
        m_speedText->Render(time, elapsed);
        UpdateClockText();
        m_clockText->Render(time, elapsed);
    }
    if (m_overlay != nullptr && m_overlay->IsVisible()) {
        m_overlay->Render(time, elapsed);
    }
    for (auto& [id, entry] : m_entries) {
        entry.m_portrait->Render(time, elapsed);
        entry.m_head->Render(time, elapsed);
    }
}

std::string TumboKelvoGameHUD::GetSpeedText() const {
    // Digits, a blank and Latin letters only: each wide character is one narrow one.
    return std::string(m_speedValue.begin(), m_speedValue.end());
}

const std::wstring& TumboKelvoGameHUD::GetClockText() const {
    static const std::wstring kNone;
    return m_clockText != nullptr ? m_clockText->GetText() : kNone;
}

int TumboKelvoGameHUD::GetRankOffset(std::uint32_t racerId) const {
    const auto found = m_entries.find(racerId);
    return found == m_entries.end() ? 0 : found->second.m_pendingSteps;
}

TumboKelvoGameHUD::SIconSpin TumboKelvoGameHUD::GetIconSpin(std::uint32_t racerId) const {
    SIconSpin spin;
    const auto found = m_entries.find(racerId);
    if (found != m_entries.end()) {
        spin.m_spinning = found->second.m_spinning;
        spin.m_count = static_cast<std::uint32_t>(found->second.m_spinTurns);
        spin.m_angle = found->second.m_spinAngle;
    }
    return spin;
}

const TumboKelvoGameHUD::SRacerEntry* TumboKelvoGameHUD::GetRacerEntry(std::uint32_t racerId) const {
    const auto found = m_entries.find(racerId);
    return found == m_entries.end() ? nullptr : &found->second;
}

} // namespace kelvo
