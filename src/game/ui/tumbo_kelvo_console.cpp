#include "game/ui/tumbo_kelvo_console.h"

#include <algorithm>
#include <climits>
#include <cwchar>

#include "engine/gfx/velm_gfx.h"
#include "engine/input/input_event.h"
#include "libs/common/script_manager.h"

namespace kelvo {

namespace {

constexpr const char* kBackground = "hud/screen_console.png";
constexpr std::uint32_t kBackspace = 8;

// The mouse shares the record's code space; only keys belong to the console.
bool IsKeyboardCode(std::uint32_t code) {
    return velm::input::IsButtonCode(code) &&
           (code < velm::input::MOUSE_BUTTON_0 || code > velm::input::MOUSE_AXIS_WHEEL);
}

} // namespace

std::wstring WidenConsoleText(const std::string& text) {
    std::wstring wide;
    std::mbstate_t state{};
    const char* at = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        wchar_t c = 0;
        const std::size_t used = std::mbrtowc(&c, at, left, &state);
        if (used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2)) {
            wide += L'?';
            state = std::mbstate_t{};
            ++at;
            --left;
            continue;
        }
        // A zero byte inside the text counts one.
        const std::size_t step = used == 0 ? 1 : used;
        wide += c;
        at += step;
        left -= step;
    }
    return wide;
}

std::string NarrowConsoleText(const std::wstring& text) {
    std::string narrow;
    std::mbstate_t state{};
    char bytes[MB_LEN_MAX];
    for (wchar_t c : text) {
        const std::size_t used = std::wcrtomb(bytes, c, &state);
        if (used == static_cast<std::size_t>(-1)) {
            narrow += '?';
            state = std::mbstate_t{};
            continue;
        }
        narrow.append(bytes, used);
    }
    return narrow;
}

TumboKelvoConsole::TumboKelvoConsole() { SetZOrder(5); }

TumboKelvoConsole::~TumboKelvoConsole() {
    for (velm::gfx::CTextSprite* sprite : m_lineSprites) {
        delete sprite;
    }
}

void TumboKelvoConsole::Init() {
    if (!m_lineSprites.empty()) {
        return;
    }
    const int width = static_cast<int>(velm::gfx::GetScreenWidth());
    LoadTexture(kBackground);
    SetPosition(5, 5);
    SetScale(static_cast<float>(width - 10) / 512.0f, 1.0f, 1.0f);
    SetZOrder(5);
    velm::gfx::SSpriteAnimation frame;
    frame.frameWidth = 512;
    frame.frameHeight = 256;
    frame.frameCount = 1;
    AddAnimation(kBackground, frame);
    SetAnimation(kBackground);

    velm::gfx::STextStyle style;
    style.fontIndex = 5;
    m_lineSprites.push_back(new velm::gfx::CTextSprite(L"", style, 20, 240, width));
    for (int k = 0; k < static_cast<int>(kScrollbackLines); ++k) {
        m_lineSprites.push_back(new velm::gfx::CTextSprite(L"", style, 20, 217 - 15 * k, width));
    }
    for (velm::gfx::CTextSprite* sprite : m_lineSprites) {
        sprite->OnResetDevice();
    }
}

void TumboKelvoConsole::OnLostDevice() {
    CSprite::OnLostDevice();
    for (velm::gfx::CTextSprite* sprite : m_lineSprites) {
        sprite->OnLostDevice();
    }
}

void TumboKelvoConsole::OnResetDevice() {
    CSprite::OnResetDevice();
    for (velm::gfx::CTextSprite* sprite : m_lineSprites) {
        sprite->OnResetDevice();
    }
}

bool TumboKelvoConsole::HandleInput(const velm::input::SInputEvent& event) {
    if (event.m_code != kGraveKey && m_open == 0) {
        return false;
    }
    if (!IsKeyboardCode(event.m_code) || (event.m_value != 0 && event.m_value != 1)) {
        return false;
    }
    if (event.m_value == 0) {
        const std::uint32_t c = velm::input::ScanCodeToAscii(event);
        if (c >= 32 && c <= 126 && c != 96) {
            if (m_inputLine.size() - m_cursorShown < kMostTypedChars) {
                InsertChar(static_cast<wchar_t>(c));
            }
        } else if (c == kBackspace && !m_inputLine.empty() && m_inputLine.size() < kMostTypedChars + 2) {
            if (m_cursorShown != 0) {
                DeleteChar(-1);
                m_cursorShown = 0;
            }
            DeleteChar(-1);
        }
        return true;
    }
    switch (event.m_code) {
        case kGraveKey:
            m_open = m_open != 0 ? 0 : 1;
            break;
        case kEnterKey:
            Submit();
            break;
        case kUpKey:
            if (m_historyIndex < static_cast<std::int32_t>(m_history.size()) - 1) {
                ++m_historyIndex;
                ShowHistory();
            }
            break;
        case kDownKey:
            if (m_historyIndex > 0) {
                --m_historyIndex;
                ShowHistory();
            } else {
                m_inputLine.clear();
                m_historyIndex = -1;
                m_cursor = 0;
                m_cursorShown = 0;
            }
            break;
        default:
            break;
    }
    return true;
}

void TumboKelvoConsole::Submit() {
    if (m_cursorShown != 0) {
        DeleteChar(-1);
    }
    const std::wstring line = m_inputLine;
    m_history.push_back(line);
    PrintW(line);
    m_inputLine.clear();
    m_cursorShown = 0;
    m_cursor = 0;
    // Last: the script may print, or even reach the console again.
    const std::string narrow = NarrowConsoleText(line);
    common::CScriptManager::GetInstance()->CallFunction("ParseConsole", "s", narrow.c_str());
}

void TumboKelvoConsole::InsertChar(wchar_t c) {
    if (m_cursorShown != 0 && m_cursor > 0) {
        m_inputLine[m_cursor - 1] = c;
    } else {
        if (m_cursor > m_inputLine.size()) {
            m_cursor = static_cast<std::uint32_t>(m_inputLine.size());
        }
        m_inputLine.insert(m_cursor, 1, c);
        ++m_cursor;
    }
    if (c != kBarGlyph) {
        m_cursorShown = 0;
        m_blinkCounter = kBlinkFrames;
        InsertChar(kBarGlyph);
        m_cursorShown = 1;
    }
}

void TumboKelvoConsole::DeleteChar(int direction) {
    if (direction == -1 && m_cursor > 0) {
        m_cursor = std::min<std::uint32_t>(m_cursor - 1, static_cast<std::uint32_t>(m_inputLine.size()));
        if (m_cursor < m_inputLine.size()) {
            m_inputLine.erase(m_cursor, 1);
        }
        return;
    }
    if (m_cursor < m_inputLine.size()) {
        m_inputLine.erase(m_cursor, 1);
    }
}

void TumboKelvoConsole::ShowHistory() {
    if (m_history.empty()) {
        return;
    }
    m_inputLine = m_history[m_history.size() - 1 - static_cast<std::size_t>(m_historyIndex)];
    // The recalled line holds no bar: the cursor sits at its end and the next render shows the bar.
    m_cursor = static_cast<std::uint32_t>(m_inputLine.size());
    m_cursorShown = 0;
    m_blinkCounter = 0;
}

void TumboKelvoConsole::Blink() {
    if (m_blinkCounter > 0) {
        --m_blinkCounter;
    }
    if (m_blinkCounter != 0) {
        return;
    }
    m_blinkCounter = kBlinkFrames;
    if (m_cursorShown == 0) {
        InsertChar(kBarGlyph);
        m_cursorShown = 1;
    } else {
        DeleteChar(-1);
        m_cursorShown = 0;
    }
}

void TumboKelvoConsole::PrintW(const std::wstring& line) {
    if (m_scrollback.size() > m_scrollbackLimit) {
        m_scrollback.pop_back();
    }
    m_scrollback.push_front(L">" + line);
}

void TumboKelvoConsole::Print(const std::string& line) { PrintW(WidenConsoleText(line)); }

void TumboKelvoConsole::Render(double time, float elapsed) {
    if (m_open == 0) {
        return;
    }
    CSprite::Render(time, elapsed);
    Blink();
    if (m_lineSprites.empty()) {
        return;
    }
    m_lineSprites[0]->SetText(m_inputLine);
    std::size_t index = 1;
    for (auto line = m_scrollback.begin(); line != m_scrollback.end() && index < m_lineSprites.size();
         ++line, ++index) {
        m_lineSprites[index]->SetText(*line);
    }
    for (velm::gfx::CTextSprite* sprite : m_lineSprites) {
        sprite->Render(time, elapsed);
    }
}

} // namespace kelvo
