// A file of timed input events for runs without a person: each line is injected into SDL's
// event queue at its frame, as if it had been typed, so that event observers and the window
// procedure both see it. Bad lines are reported with their number and skipped. Main thread only.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace platform {

enum class EInputAction { KeyDown, KeyUp, Text, MouseMove, MouseDown, MouseUp, Wheel };

struct SInputAction {
    unsigned long frame = 0; // injected before this frame's messages are pumped
    EInputAction action = EInputAction::KeyDown;
    std::int32_t key = 0;    // SDL keycode
    int scancode = 0;        // SDL scancode, 0 when the name gives none
    std::string text;        // UTF-8, for Text
    std::uint8_t button = 0; // SDL button number
    int x = 0;
    int y = 0;
    int notches = 0;
    int line = 0;
};

class CInputScript {
public:
    // False when the file cannot be read (reported on `errors`).
    bool Load(const std::string& path, std::ostream& errors);
    // `name` prefixes the reports of malformed lines ("name:line: reason: text"), which show
    // the line's control bytes escaped.
    void Parse(std::istream& in, const std::string& name, std::ostream& errors);

    const std::vector<SInputAction>& Actions() const { return m_actions; }

    // Pushes, as SDL events for the window `windowId`, every action due at or before `frame`
    // that was not pushed yet; returns how many were pushed.
    int Inject(unsigned long frame, std::uint32_t windowId);

private:
    bool ParseLine(const std::string& line, int number, std::string& reason);
    void Push(const SInputAction& action, std::uint32_t windowId);

    std::vector<SInputAction> m_actions; // in frame order, file order within a frame
    std::size_t m_next = 0;
    std::uint16_t m_modifiers = 0; // SDL modifiers held by the injected keys
    std::uint32_t m_buttons = 0;   // SDL button mask held by the injected buttons
    int m_mouseX = 0;
    int m_mouseY = 0;
};

} // namespace platform
