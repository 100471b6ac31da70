#include "game/ui/multi_player_menu.h"

#include <cstdio>

#include "engine/gfx/button.h"
#include "engine/gfx/layout_values.h"
#include "game/ui/end_race_gui.h"
#include "game/ui/screen_game.h"
#include "game/ui/screen_parts.h"
#include "game/ui/shipped_layouts.h"
#include "libs/common/string_util.h"

namespace kelvo {

namespace {

velm::gfx::STextStyle LabelStyle() {
    velm::gfx::STextStyle style;
    style.fontIndex = 3;
    style.r = 0.0f;
    style.g = 0.0f;
    style.b = 0.0f;
    return style;
}

velm::gfx::CChatBox* MakeChatBox() {
    velm::gfx::STextStyle style;
    style.fontIndex = 5;
    return new velm::gfx::CChatBox(512, 256, style, {3, 325}, {4, 238}, {4, 225}, 506, 14, 50,
                                   "hud/MultiPlayerChatBox.png", L"Player 1", 0);
}

} // namespace

std::string MultiPlayerMenu::GetRacerImageFile(std::uint32_t character) { return RacerImageFile(character); }

MultiPlayerMenu::MultiPlayerMenu(const std::string& fileName, std::uint8_t host) : m_host(host) {
    IScreenGame* game = GetScreenGame();
    if (game != nullptr) {
        game->InitNetwork(true, m_host != 0 ? 1 : 0);
        game->SetAcceptingClients(true);
    }
    const SScreenSize screen = GetScreenSize();
    m_slots.clear();
    if (m_host != 0) {
        m_slots.push_back(
            {game != nullptr ? game->GetLocalClientId() : 1u, game != nullptr ? game->GetSelectedCharacter() : 0u});
    }
    common::CXmlReader reader;
    LoadLayout(reader, fileName, kShippedMultiplayerMenu);
    m_click = std::make_unique<CClickSound>(reader.GetValue("MouseClickSound"));

    reader.Enter(m_host != 0 ? "SearchingClient" : "SearchingServer");
    m_searching = new velm::gfx::CSprite(reader.GetValue("FileName"));
    const int searchX = ScreenPosition(velm::gfx::ReadLayoutFraction(reader, "OffsetX"), screen.m_width);
    const int searchY = ScreenPosition(velm::gfx::ReadLayoutFraction(reader, "OffsetY"), screen.m_height);
    m_searching->AddAnimation("SearchingAni", velm::gfx::ReadLayoutSide(reader, "BBWidth"),
                              velm::gfx::ReadLayoutSide(reader, "BBHeight"), 4, 0, 0, 300, 0, 0, true);
    m_searching->SetAnimation("SearchingAni");
    m_searching->SetPosition(searchX, searchY);
    m_searching->SetZOrder(0);
    m_searching->GetCurrentAnimation()->stopped = 0;

    reader.Enter("RacerImageData");
    const int frameWidth = velm::gfx::ReadLayoutSide(reader, "BBWidth");
    const int frameHeight = velm::gfx::ReadLayoutSide(reader, "BBHeight");
    const float scale = velm::gfx::ReadLayoutScale(reader, "Scale");
    const int rowDistance = velm::gfx::ReadLayoutPixels(reader, "YOffset");
    m_rowDistance = rowDistance;
    if (m_host != 0) {
        SetSlotLabel(1, PlayerLabel(1), 90, LabelY(1, rowDistance));
        AddPortrait(1, m_slots.front().m_character, frameWidth, frameHeight, scale, rowDistance);
    }
    BuildSlotRows(frameWidth, frameHeight, scale, rowDistance);
    if (m_host != 0) {
        AddChild(kStartButton, LayoutButton(reader, "StartButton", screen, [this] { CButtonPressedStart (*this)(); }));
    }
    AddChild(kBackButton, LayoutButton(reader, "BackButton", screen, [this] { CButtonPressedMultiBack (*this)(); }));
    m_chatBox = MakeChatBox();
    SetActive(false);
}

MultiPlayerMenu::~MultiPlayerMenu() {
    for (auto& [slot, label] : m_labels) {
        delete label;
    }
    DeleteSearching();
    delete m_chatBox;
    m_labels.clear();
    m_slots.clear();
}

void MultiPlayerMenu::AddPortrait(int slot, std::uint32_t character, int frameWidth, int frameHeight, float scale,
                                  int rowDistance) {
    auto* portrait =
        ImageButton(GetRacerImageFile(character), 20, 20 + (slot - 1) * rowDistance, frameWidth, frameHeight, true);
    portrait->SetScale(scale, scale, scale);
    AddChild(slot, portrait);
}

void MultiPlayerMenu::BuildSlotRows(int frameWidth, int frameHeight, float scale, int rowDistance) {
    if (m_host != 0) {
        const std::uint32_t hostCharacter = m_slots.front().m_character;
        std::uint32_t c = 1;
        for (int slot = 2; slot <= kSlotCount; ++slot) {
            if (c == hostCharacter) {
                ++c;
            }
            m_slots.push_back({0, c});
            SetSlotLabel(slot, L"Computer", 90, LabelY(slot, rowDistance));
            AddPortrait(slot, c, frameWidth, frameHeight, scale, rowDistance);
            ++c;
        }
        return;
    }
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        SetSlotLabel(slot, L"", 90, LabelY(slot, rowDistance));
        AddPortrait(slot, 0, frameWidth, frameHeight, scale, rowDistance);
    }
}

void MultiPlayerMenu::SetSlotLabel(int slot, const std::wstring& text, int x, int y) {
    const auto found = m_labels.find(slot);
    if (found != m_labels.end()) {
        delete found->second;
        m_labels.erase(found);
    }
    auto* label = new velm::gfx::CTextSprite(text, LabelStyle(), x, y, 100);
    m_labels.emplace(slot, label);
    label->OnResetDevice();
}

std::wstring MultiPlayerMenu::GetSlotLabel(int slot) const {
    const auto found = m_labels.find(slot);
    return found != m_labels.end() ? found->second->GetText() : std::wstring();
}

void MultiPlayerMenu::SetPortrait(int slot, std::uint32_t character) {
    if (auto* portrait = dynamic_cast<velm::gfx::CSprite*>(GetChild(slot))) {
        portrait->LoadTexture(GetRacerImageFile(character));
    }
}

void MultiPlayerMenu::DeleteSearching() {
    delete m_searching;
    m_searching = nullptr;
}

void MultiPlayerMenu::SetActive(bool on) {
    if ((m_active != 0) == on) {
        return;
    }
    m_active = on ? 1 : 0;
    if (m_searching != nullptr) {
        m_searching->SetVisible(on);
    }
    m_chatBox->SetVisible(on);
    for (const auto& [id, child] : GetChildren()) {
        if (auto* button = dynamic_cast<velm::gfx::CButton*>(child)) {
            button->SetEnabled(on);
        }
        child->SetVisible(on);
    }
    for (auto& [slot, label] : m_labels) {
        label->SetVisible(on);
    }
}

void MultiPlayerMenu::OnRacerConnect(std::uint32_t character, std::uint32_t connectionId, std::uint32_t slot) {
    IScreenGame* game = GetScreenGame();
    if (slot == 0) {
        // Only the host hands out slots.
        if (m_host == 0) {
            return;
        }
        // A connection that holds a slot already (a repeated or replayed announcement) keeps it.
        std::size_t found = m_slots.size();
        for (std::size_t index = 0; index < m_slots.size(); ++index) {
            if (connectionId != 0 && m_slots[index].m_connectionId == connectionId) {
                found = index;
                break;
            }
        }
        if (found == m_slots.size()) {
            for (std::size_t index = 0; index < m_slots.size(); ++index) {
                if (m_slots[index].m_connectionId == 0) {
                    found = index;
                    break;
                }
            }
        }
        if (found == m_slots.size()) {
            if (game != nullptr) {
                game->SetAcceptingClients(false);
            }
            DeleteSearching();
            return;
        }
        const int n = static_cast<int>(found) + 1;
        m_slots[found] = {connectionId, character};
        SetSlotLabel(n, PlayerLabel(n), 90, LabelY(n, m_rowDistance));
        SetPortrait(n, character);
        if (game != nullptr && game->IsHost()) {
            game->QueueRacerConnect(character, connectionId, static_cast<std::uint32_t>(n), 0);
        }
        return;
    }
    if (slot > static_cast<std::uint32_t>(kSlotCount)) {
        std::fprintf(stderr, "Lobby: slot %u announced, there are %d; ignored\n", slot, kSlotCount);
        return;
    }
    if (m_connectSent == 0 && game != nullptr) {
        game->QueueRacerConnect(game->GetSelectedCharacter(), game->GetLocalClientId(), 0, 0);
        m_connectSent = 1;
    }
    const int n = static_cast<int>(slot);
    const std::wstring text = connectionId != 0 ? PlayerLabel(n) : std::wstring(L"Computer");
    SetSlotLabel(n, text, 90, LabelY(n, m_rowDistance));
    if (game != nullptr && connectionId != 0 && connectionId == game->GetLocalClientId()) {
        m_chatBox->SetSenderName(text);
        // The id taken when the host was found may have been another player's: the host then
        // gave this machine the next one, a round trip later. It has by now (it came before this
        // announcement), and the host relays every chat line to all but the id the line names.
        m_chatBox->SetSenderValue(connectionId);
    }
    SetPortrait(n, character);
    DeleteSearching();
}

void MultiPlayerMenu::SendRacerConnectEvents(std::uint32_t connectionId) {
    IScreenGame* game = GetScreenGame();
    if (game == nullptr) {
        return;
    }
    std::uint32_t slot = 1;
    for (const SSlot& entry : m_slots) {
        game->QueueRacerConnect(entry.m_character, entry.m_connectionId, slot++, connectionId);
    }
}

void MultiPlayerMenu::RemovePlayer(std::uint32_t connectionId) {
    if (connectionId == 0) {
        return;
    }
    for (std::size_t index = 0; index < m_slots.size(); ++index) {
        if (m_slots[index].m_connectionId == connectionId) {
            m_slots[index].m_connectionId = 0;
            const int n = static_cast<int>(index) + 1;
            SetSlotLabel(n, L"Computer", 90, LabelY(n, m_rowDistance));
            return;
        }
    }
}

void MultiPlayerMenu::Update(unsigned elapsedMs) {
    if (m_searching != nullptr) {
        m_searching->Update(elapsedMs);
    }
    m_chatBox->Update(elapsedMs);
    for (auto& [slot, label] : m_labels) {
        label->Update(elapsedMs);
    }
    CBaseGUI::Update(elapsedMs);
}

void MultiPlayerMenu::Render(double time, float elapsed) {
    if (m_searching != nullptr) {
        m_searching->Render(time, elapsed);
    }
    m_chatBox->Render(time, elapsed);
    for (auto& [slot, label] : m_labels) {
        label->Render(time, elapsed);
    }
    CBaseGUI::Render(time, elapsed);
}

void MultiPlayerMenu::OnLostDevice() {
    CBaseGUI::OnLostDevice();
    for (auto& [slot, label] : m_labels) {
        label->OnLostDevice();
    }
    if (m_searching != nullptr) {
        m_searching->OnLostDevice();
    }
    m_chatBox->OnLostDevice();
}

void MultiPlayerMenu::OnResetDevice() {
    CBaseGUI::OnResetDevice();
    for (auto& [slot, label] : m_labels) {
        label->OnResetDevice();
    }
    if (m_searching != nullptr) {
        m_searching->OnResetDevice();
    }
    m_chatBox->OnResetDevice();
}

bool MultiPlayerMenu::HandleInput(const velm::input::SInputEvent& event) {
    CBaseGUI::HandleInput(event);
    m_chatBox->HandleInput(event);
    return false;
}

void CButtonPressedStart::operator()() const {
    // The button stays pressed after its click: a second click must not line the slots up twice.
    if (m_screen.m_startPressed != 0) {
        return;
    }
    IScreenGame* game = GetScreenGame();
    if (game != nullptr) {
        game->SetAcceptingClients(false);
    }
    m_screen.m_click->Play();
    if (game != nullptr) {
        for (const MultiPlayerMenu::SSlot& slot : m_screen.m_slots) {
            game->AddToRaceLineUp({slot.m_connectionId, slot.m_character});
        }
    }
    m_screen.m_startPressed = 1;
    if (game != nullptr) {
        game->SendPeerListAndStart();
    }
}

void CButtonPressedMultiBack::operator()() const {
    m_screen.m_click->Play();
    if (IScreenGame* game = GetScreenGame()) {
        game->InitNetwork(false, 0);
    }
    m_screen.m_backPressed = 1;
}

} // namespace kelvo
