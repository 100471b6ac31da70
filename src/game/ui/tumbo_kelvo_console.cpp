#include "game/ui/tumbo_kelvo_console.h"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <unordered_map>

#include "engine/gfx/font_table.h"
#include "engine/gfx/velm_gfx.h"
#include "engine/input/input_event.h"
#include "libs/common/script_manager.h"

namespace kelvo {

namespace {

constexpr const char* kBackground = "hud/screen_console.png";
constexpr std::uint32_t kBackspace = 8;
constexpr unsigned kFont = 5;
// Text starts 20 pixels in from the screen's left edge and keeps as far from the right one; the
// panel spans the screen less 5 pixels each side.
constexpr int kTextLeft = 20;
// Without a font nothing is drawn; rows are then cut at the font's nominal advance.
constexpr int kNominalAdvance = 8;

// The drawn width of one character of the console's font.
int CharWidth(wchar_t c) {
    ID3DXFont* font = velm::gfx::FontTable::Exists() ? velm::gfx::FontTable::Instance().GetFont(kFont) : nullptr;
    if (font == nullptr) {
        return kNominalAdvance;
    }
    const wchar_t text[2] = {c, 0};
    RECT rect = {0, 0, 0, 0};
    font->DrawTextW(nullptr, text, 1, &rect, DT_CALCRECT | DT_SINGLELINE | DT_NOCLIP, 0);
    return static_cast<int>(rect.right - rect.left);
}

// A printed text as rows of at most `width` pixels, oldest first: broken at every line feed
// (a final one ends the text, it starts no row), then wrapped after the last blank that fits, or
// inside a word that alone is wider than a row. Tabs draw as blanks and other control
// characters as '?', so that what is measured is what is drawn.
std::vector<std::wstring> WrapText(const std::wstring& text, int width, std::unordered_map<wchar_t, int>& widths) {
    auto measure = [&widths](wchar_t c) {
        const auto found = widths.find(c);
        return found != widths.end() ? found->second : (widths[c] = CharWidth(c));
    };
    std::vector<std::wstring> paragraphs(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
                ++i;
            }
            if (i + 1 < text.size()) {
                paragraphs.emplace_back();
            }
            continue;
        }
        paragraphs.back() += c == L'\t' ? L' ' : (c < 32 ? L'?' : c);
    }
    if (width <= 0) {
        return paragraphs;
    }
    std::vector<std::wstring> rows;
    for (const std::wstring& paragraph : paragraphs) {
        std::size_t start = 0;
        do {
            int used = 0;
            std::size_t end = start;
            std::size_t blank = std::wstring::npos;
            while (end < paragraph.size() && used + measure(paragraph[end]) <= width) {
                if (paragraph[end] == L' ') {
                    blank = end;
                }
                used += measure(paragraph[end]);
                ++end;
            }
            if (end >= paragraph.size()) {
                rows.push_back(paragraph.substr(start));
                break;
            }
            if (blank != std::wstring::npos && blank > start) {
                end = blank;
            } else if (end == start) {
                ++end; // one character wider than a row still moves on
            }
            rows.push_back(paragraph.substr(start, end - start));
            start = end;
            while (start < paragraph.size() && paragraph[start] == L' ') {
                ++start;
            }
        } while (start < paragraph.size());
    }
    return rows;
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

    // Every sprite draws one row: what is wider was wrapped before, so no row runs past the
    // panel or down over the next one.
    m_rowWidth = std::max(0, width - 2 * kTextLeft);
    m_rowsStale = true;
    velm::gfx::STextStyle style;
    style.fontIndex = kFont;
    style.format = DT_SINGLELINE;
    m_lineSprites.push_back(new velm::gfx::CTextSprite(L"", style, kTextLeft, 240, m_rowWidth));
    for (int k = 0; k < static_cast<int>(kScrollbackLines); ++k) {
        m_lineSprites.push_back(new velm::gfx::CTextSprite(L"", style, kTextLeft, 217 - 15 * k, m_rowWidth));
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
    // Every press and release is the console's while it is open, whatever its code: keys share
    // codes with the mouse buttons and axes (Insert and Delete are 210 and 211, the Windows keys
    // 219 and 220). Only movement, a value of neither, passes on.
    if (event.m_value != 0 && event.m_value != 1) {
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
    m_rowsStale = true;
}

void TumboKelvoConsole::LayOutRows() {
    m_rows.clear();
    std::unordered_map<wchar_t, int> widths;
    for (const std::wstring& text : m_scrollback) {
        const std::vector<std::wstring> rows = WrapText(text, m_rowWidth, widths);
        for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
            m_rows.push_back(*row);
            if (m_rows.size() == kScrollbackLines) {
                return;
            }
        }
    }
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
    if (m_rowsStale) {
        LayOutRows();
        m_rowsStale = false;
    }
    for (std::size_t index = 1; index < m_lineSprites.size(); ++index) {
        m_lineSprites[index]->SetText(index - 1 < m_rows.size() ? m_rows[index - 1] : std::wstring());
    }
    for (velm::gfx::CTextSprite* sprite : m_lineSprites) {
        sprite->Render(time, elapsed);
    }
}

} // namespace kelvo
