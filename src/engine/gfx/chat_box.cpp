#include "engine/gfx/chat_box.h"

#include <cstdlib>
#include <memory>

#include "engine/events/engine_events.h"
#include "engine/events/event_manager.h"
#include "libs/common/string_util.h"

namespace velm {
namespace gfx {

const char* const kChatBackgroundAnimation = "BG_Ani";

namespace {

constexpr wchar_t kCaret = L'|';
constexpr std::uint32_t kLeftShift = 42;
constexpr std::uint32_t kRightShift = 54;
constexpr std::uint32_t kBackspace = 14;
constexpr std::uint32_t kReturn = 28;
constexpr int kLineZOrder = 5;
constexpr float kBlinkSeconds = 0.5f;
constexpr std::size_t kWideBufferBytes = 1024;
constexpr std::size_t kNarrowBufferBytes = 512;

// The US layout's shifted symbols of the unshifted keys; 0 where shift changes nothing.
char Shifted(char c) {
    switch (c) {
        case '\'':
            return '"';
        case ',':
            return '<';
        case '-':
            return '_';
        case '.':
            return '>';
        case '/':
            return '?';
        case '0':
            return ')';
        case '1':
            return '!';
        case '2':
            return '@';
        case '3':
            return '#';
        case '4':
            return '$';
        case '5':
            return '%';
        case '6':
            return '^';
        case '7':
            return '&';
        case '8':
            return '*';
        case '9':
            return '(';
        case ';':
            return ':';
        case '=':
            return '+';
        case '[':
            return '{';
        case '\\':
            return '|';
        case ']':
            return '}';
        case '`':
            return '~';
        default:
            return c;
    }
}

} // namespace

CChatBox::CChatBox(int boxWidth, int boxHeight, const STextStyle& style, SScreenPoint boxPosition,
                   SScreenPoint inputPosition, SScreenPoint messagePosition, int textWidth, int maxLines, int maxChars,
                   const std::string& backgroundFile, const std::wstring& senderName, int margin)
    : m_style(style),
      m_inputPosition(inputPosition),
      m_messagePosition(messagePosition),
      m_boxPosition(boxPosition),
      m_textWidth(textWidth - margin),
      m_maxChars(maxChars),
      m_maxLines(maxLines) {
    SetSenderName(senderName);
    m_typed = std::wstring(1, kCaret);
    m_inputLine = new CTextSprite(m_typed, m_style, m_inputPosition.x + m_boxPosition.x,
                                  m_inputPosition.y + m_boxPosition.y, m_textWidth);
    m_inputLine->SetZOrder(kLineZOrder);
    if (!backgroundFile.empty()) {
        LoadTexture(backgroundFile);
        AddAnimation(kChatBackgroundAnimation, boxWidth, boxHeight, 1, 0, 0, 200, 0, 0, false);
        SetAnimation(kChatBackgroundAnimation);
        GetCurrentAnimation()->stopped = 0;
        SetPosition(boxPosition.x, boxPosition.y);
        SetZOrder(4);
    }
}

CChatBox::~CChatBox() {
    delete m_inputLine;
    for (CTextSprite* line : m_lines) {
        delete line;
    }
}

void CChatBox::SetSenderName(const std::wstring& name) { m_prefix = name + L": "; }

void CChatBox::AddMessage(const std::string& text) {
    wchar_t wide[kWideBufferBytes / 2] = {};
    common::ConvertAnsiStringToWide(text.c_str(), wide, static_cast<int>(kWideBufferBytes / 2));
    AddMessageW(wide);
}

void CChatBox::AddMessageW(const std::wstring& text) {
    if (text.empty() || m_maxLines <= 0) {
        return;
    }
    if (m_lineCount >= m_maxLines) {
        delete m_lines.back();
        m_lines.pop_back();
        --m_lineCount;
    }
    auto* line = new CTextSprite(text, m_style, m_messagePosition.x + m_boxPosition.x,
                                 m_messagePosition.y + m_boxPosition.y, m_textWidth);
    line->OnResetDevice();
    line->SetZOrder(kLineZOrder);
    m_lines.push_front(line);
    ++m_lineCount;
    for (CTextSprite* each : m_lines) {
        each->SetPosition(each->GetX(), each->GetY() - m_lineSpacing);
    }
}

void CChatBox::Update(unsigned elapsedMs) {
    m_blinkTimer += static_cast<float>(elapsedMs) * 0.001f;
    if (m_blinkTimer > kBlinkSeconds) {
        if (m_caretShown != 0) {
            if (!m_typed.empty() && m_typed.back() == kCaret) {
                m_typed.pop_back();
            }
        } else {
            m_typed.push_back(kCaret);
        }
        m_caretShown = m_caretShown != 0 ? 0 : 1;
        m_blinkTimer = 0.0f;
    }
    CBaseGUI::Update(elapsedMs);
    m_inputLine->SetText(m_typed);
    m_inputLine->Update(elapsedMs);
    for (CTextSprite* line : m_lines) {
        line->Update(elapsedMs);
    }
}

void CChatBox::Render(double time, float elapsed) {
    CBaseGUI::Render(time, elapsed);
    m_inputLine->Render(time, elapsed);
    for (CTextSprite* line : m_lines) {
        line->Render(time, elapsed);
    }
}

void CChatBox::SetVisible(bool visible) {
    CBaseGUI::SetVisible(visible);
    for (CTextSprite* line : m_lines) {
        line->SetVisible(visible);
    }
}

bool CChatBox::HandleInput(const input::SInputEvent& event) {
    const bool shift = event.m_code == kLeftShift || event.m_code == kRightShift;
    if (event.m_value == 0) {
        if (shift) {
            m_shiftHeld = 1;
        } else if (event.m_code == kBackspace) {
            DeleteCharacter();
        } else if (event.m_code == kReturn) {
            Send();
        } else {
            AddCharacter(static_cast<char>(input::ScanCodeToAscii(event)));
        }
    } else if (event.m_value == 1 && shift) {
        m_shiftHeld = 0;
    }
    return false;
}

void CChatBox::AddCharacter(char c) {
    if (static_cast<long long>(m_prefix.size() + m_typed.size()) >= m_maxChars) {
        return;
    }
    char typed = 0;
    if (c == ' ') {
        typed = c;
    } else if (c >= 'a' && c <= 'z') {
        typed = m_shiftHeld != 0 ? static_cast<char>(c - 'a' + 'A') : c;
    } else if ((c >= 33 && c <= 64) || (c >= 91 && c <= 96)) {
        typed = m_shiftHeld != 0 ? Shifted(c) : c;
    } else {
        return;
    }
    if (m_caretShown != 0 && !m_typed.empty() && m_typed.back() == kCaret) {
        m_typed.back() = static_cast<wchar_t>(typed);
        m_typed.push_back(kCaret);
    } else {
        m_typed.push_back(static_cast<wchar_t>(typed));
    }
}

bool CChatBox::HoldsText() const {
    return !m_typed.empty() && !(m_typed.size() == 1 && m_caretShown != 0 && m_typed[0] == kCaret);
}

void CChatBox::DeleteCharacter() {
    if (!HoldsText()) {
        return;
    }
    if (m_caretShown != 0 && m_typed.back() == kCaret) {
        m_typed.erase(m_typed.size() - 2, 1);
    } else {
        m_typed.pop_back();
    }
}

void CChatBox::Send() {
    if (!HoldsText()) {
        return;
    }
    if (m_caretShown != 0 && m_typed.back() == kCaret) {
        m_typed.pop_back();
    }
    const std::wstring full = m_prefix + m_typed;
    AddMessageW(full);
    std::string narrow = common::ToNarrow(full);
    if (narrow.size() >= kNarrowBufferBytes) {
        narrow.resize(kNarrowBufferBytes - 1);
    }
    QueueEvent(std::make_shared<CTextMessageEvt>(narrow, m_senderValue));
    m_typed.clear();
    if (m_caretShown != 0) {
        m_typed.push_back(kCaret);
    }
    delete m_inputLine;
    m_inputLine = new CTextSprite(m_typed, m_style, m_inputPosition.x + m_boxPosition.x,
                                  m_inputPosition.y + m_boxPosition.y, m_textWidth);
    m_inputLine->SetZOrder(kLineZOrder);
}

} // namespace gfx
} // namespace velm
