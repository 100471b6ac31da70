// The console overlay: drops over the top of the screen on the grave-accent key, takes typed
// lines with a blinking bar cursor, keeps their history and a scrollback of printed lines, and
// hands each entered line to the script function "ParseConsole". A printed text of several lines,
// or one wider than the panel, is drawn on as many rows as it needs, so nothing is drawn outside
// the panel. Owns its text sprites. Main thread only.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "engine/gfx/base_gui.h"
#include "engine/gfx/text_sprite.h"

namespace kelvo {

// Multibyte to wide and back in the current locale, of any length; a byte or character that
// does not convert becomes '?'.
std::wstring WidenConsoleText(const std::string& text);
std::string NarrowConsoleText(const std::wstring& text);

class TumboKelvoConsole : public velm::gfx::CBaseGUI {
public:
    static constexpr std::uint32_t kGraveKey = 41;
    static constexpr std::uint32_t kEnterKey = 28;
    static constexpr std::uint32_t kUpKey = 200;
    static constexpr std::uint32_t kDownKey = 208;
    static constexpr wchar_t kBarGlyph = 124;
    static constexpr std::uint32_t kBlinkFrames = 250;
    static constexpr std::size_t kScrollbackLines = 15;
    // Backspace works on lines shorter than 57 characters with the bar, so typing stops there.
    static constexpr std::size_t kMostTypedChars = 55;

    TumboKelvoConsole();
    ~TumboKelvoConsole() override;

    void Init();

    void OnLostDevice() override;
    void OnResetDevice() override;
    void Update(unsigned) override {}
    void Render(double time, float elapsed) override;
    bool HandleInput(const velm::input::SInputEvent& event) override;

    void PrintW(const std::wstring& line);
    void Print(const std::string& line);

    bool IsOpen() const { return m_open != 0; }
    // The input line as drawn, the bar included while it shows.
    const std::wstring& GetInputLine() const { return m_inputLine; }
    std::uint32_t GetCursor() const { return m_cursor; }
    bool IsCursorShown() const { return m_cursorShown != 0; }
    const std::list<std::wstring>& GetScrollback() const { return m_scrollback; }
    const std::vector<std::wstring>& GetHistory() const { return m_history; }
    // Null before Init; 0 is the input line, 1-15 the scrollback rows, newest first.
    const velm::gfx::CTextSprite* GetLineSprite(std::size_t index) const {
        return index < m_lineSprites.size() ? m_lineSprites[index] : nullptr;
    }
    // The width a row of text may take: the panel's, less the margins; 0 before Init.
    int GetRowWidth() const { return m_rowWidth; }

private:
    void InsertChar(wchar_t c);
    void DeleteChar(int direction);
    void ShowHistory();
    void Blink();
    void Submit();
    // The rows the scrollback sprites show, newest first: each printed text broken at its line
    // feeds and wrapped to the row width.
    void LayOutRows();

    std::uint32_t m_scrollbackLimit = 128;
    std::uint8_t m_cursorShown = 0;
    std::uint32_t m_blinkCounter = kBlinkFrames;
    std::int32_t m_historyIndex = -1;
    std::uint8_t m_open = 0;
    std::uint32_t m_cursor = 0;
    std::wstring m_inputLine;
    std::vector<velm::gfx::CTextSprite*> m_lineSprites;
    std::list<std::wstring> m_scrollback;
    std::vector<std::wstring> m_history;
    std::vector<std::wstring> m_rows;
    bool m_rowsStale = true;
    int m_rowWidth = 0;
};

} // namespace kelvo
