// A file of timed input events for runs without a person: each line is injected into SDL's
// event queue at its frame, as if it had been typed, so that event observers and the window
// procedure both see it. Bad lines are reported with their number and skipped. On the real clock
// a frame number stands for the moment that frame's move comes on 60-a-second fixed steps: the
// game's screens wait on timed things (the menu's buttons wake once its camera has come to rest),
// so a click given by frame must land at the same point of the game whatever the frame rate.
// Main thread only.
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

    // The steps of the fixed-step runs that input files are written against.
    static constexpr double kStepsPerSecond = 60.0;
    // The last frame whose move comes at or before `seconds` on those steps (frame N moves at
    // N / 60 s): on the real clock, what is injected before a frame move at that time.
    static unsigned long FrameAt(double seconds);

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
