// velm::gfx::CChatBox: the lobby's chat: a typed line with a blinking caret, typed from key
// records, and the newest message lines above it. Return shows the line and queues it as a
// "Text_Message_Event"; the box never consumes input. It owns its input and message lines.
// Main thread only.
#pragma once

#include <list>
#include <string>

#include "engine/gfx/base_gui.h"
#include "engine/gfx/text_sprite.h"

namespace velm {
namespace gfx {

extern const char* const kChatBackgroundAnimation;

struct SScreenPoint {
    int x = 0;
    int y = 0;
};

class CChatBox : public CBaseGUI {
public:
    static constexpr int kLineSpacing = 16;

    CChatBox(int boxWidth, int boxHeight, const STextStyle& style, SScreenPoint boxPosition, SScreenPoint inputPosition,
             SScreenPoint messagePosition, int textWidth, int maxLines, int maxChars, const std::string& backgroundFile,
             const std::wstring& senderName, int margin);
    ~CChatBox() override;

    void Update(unsigned elapsedMs) override;
    void Render(double time, float elapsed) override;
    void SetVisible(bool visible) override;
    bool HandleInput(const input::SInputEvent& event) override;

    void SetSenderName(const std::wstring& name);
    void SetSenderValue(std::uint32_t value) { m_senderValue = value; }
    std::uint32_t GetSenderValue() const { return m_senderValue; }
    void AddMessage(const std::string& text);
    void AddMessageW(const std::wstring& text);

    // The typed line as shown, caret included while it is shown.
    const std::wstring& GetTypedLine() const { return m_typed; }
    // Newest first.
    const std::list<CTextSprite*>& GetMessageLines() const { return m_lines; }
    const CTextSprite* GetInputLine() const { return m_inputLine; }
    bool IsCaretShown() const { return m_caretShown != 0; }

private:
    void AddCharacter(char c);
    void DeleteCharacter();
    void Send();
    bool HoldsText() const;

    std::uint8_t m_shiftHeld = 0;
    STextStyle m_style;
    SScreenPoint m_inputPosition;
    SScreenPoint m_messagePosition;
    SScreenPoint m_boxPosition;
    int m_textWidth = 0;
    int m_maxChars = 0;
    int m_lineSpacing = kLineSpacing;
    std::wstring m_prefix;
    std::wstring m_typed;
    CTextSprite* m_inputLine = nullptr;
    std::list<CTextSprite*> m_lines;
    int m_lineCount = 0;
    int m_maxLines = 0;
    std::uint32_t m_senderValue = 0;
    float m_blinkTimer = 0.0f;
    std::uint8_t m_caretShown = 1;
};

} // namespace gfx
} // namespace velm
