// kelvo::MultiPlayerMenu, the LAN lobby: six racer slots with portraits and labels, the chat box,
// the searching animation until a peer is found, Start on the host and Back on both sides. The
// host owns the slot list and announces it; clients mirror the announcements. Building the
// screen switches networking on. The screen owns its labels, animation and chat box.
// Main thread only: network input reaches it as events dispatched at the main thread's tick.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/gfx/base_gui.h"
#include "engine/gfx/chat_box.h"
#include "engine/gfx/text_sprite.h"

namespace kelvo {

class CClickSound;

class MultiPlayerMenu : public velm::gfx::CBaseGUI {
public:
    struct SSlot {
        std::uint32_t m_connectionId = 0; // 0: a computer racer
        std::uint32_t m_character = 0;
    };

    static constexpr int kSlotCount = 6;
    enum EChild { kStartButton = 7, kBackButton = 8 };

    MultiPlayerMenu(const std::string& fileName, std::uint8_t host);
    ~MultiPlayerMenu() override;

    void OnLostDevice() override;
    void OnResetDevice() override;
    void Update(unsigned elapsedMs) override;
    void Render(double time, float elapsed) override;
    // Children, then the chat box; never consumes.
    bool HandleInput(const velm::input::SInputEvent& event) override;

    void SetActive(bool on);
    // A received "RacerConnectEvt": slot 0 is a client announcing itself to the host, 1 to 6 the
    // host announcing a slot.
    void OnRacerConnect(std::uint32_t character, std::uint32_t connectionId, std::uint32_t slot);
    // One announcement per slot; connection 0 sends them to every peer.
    void SendRacerConnectEvents(std::uint32_t connectionId);
    void RemovePlayer(std::uint32_t connectionId);
    void SetSlotLabel(int slot, const std::wstring& text, int x, int y);
    static std::string GetRacerImageFile(std::uint32_t character);

    bool IsStartPressed() const { return m_startPressed != 0; }
    bool IsBackPressed() const { return m_backPressed != 0; }
    // The lost-connection handling of a client sends it back like Back.
    void SetBackPressed() { m_backPressed = 1; }
    bool IsHost() const { return m_host != 0; }
    bool IsActive() const { return m_active != 0; }
    const std::vector<SSlot>& GetSlots() const { return m_slots; }
    // The label text of a slot; empty for a slot without label.
    std::wstring GetSlotLabel(int slot) const;
    velm::gfx::CChatBox* GetChatBox() const { return m_chatBox; }
    bool HasSearchingAnimation() const { return m_searching != nullptr; }

private:
    friend class CButtonPressedStart;
    friend class CButtonPressedMultiBack;

    void BuildSlotRows(int frameWidth, int frameHeight, float scale, int rowDistance);
    void AddPortrait(int slot, std::uint32_t character, int frameWidth, int frameHeight, float scale, int rowDistance);
    void SetPortrait(int slot, std::uint32_t character);
    void DeleteSearching();
    static int LabelY(int slot, int rowDistance) { return 40 + (slot - 1) * rowDistance; }

    std::vector<SSlot> m_slots;
    std::map<int, velm::gfx::CTextSprite*> m_labels;
    std::uint8_t m_host = 0;
    velm::gfx::CSprite* m_searching = nullptr;
    velm::gfx::CChatBox* m_chatBox = nullptr;
    std::uint8_t m_active = 0;
    std::uint8_t m_startPressed = 0;
    std::uint8_t m_backPressed = 0;
    std::uint8_t m_connectSent = 0;
    std::unique_ptr<CClickSound> m_click;
    int m_rowDistance = 0;
};

// Start (host): no more clients, the slots become the race line-up and the peers get their list.
class CButtonPressedStart {
public:
    explicit CButtonPressedStart(MultiPlayerMenu& screen) : m_screen(screen) {}
    void operator()() const;

private:
    MultiPlayerMenu& m_screen;
};

class CButtonPressedMultiBack {
public:
    explicit CButtonPressedMultiBack(MultiPlayerMenu& screen) : m_screen(screen) {}
    void operator()() const;

private:
    MultiPlayerMenu& m_screen;
};

} // namespace kelvo
