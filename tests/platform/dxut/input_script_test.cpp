#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "platform/dxut/input_script.h"
#include "platform/dxut/message_translator.h"

namespace {

using platform::EInputAction;

TEST(InputScript, ReadsEveryKindOfLine) {
    std::istringstream file(
        "# a comment\n"
        "\n"
        "5 key_down Left Shift\r\n"
        "2 text hello there\n"
        "3 mouse_move 10 -4\n"
        "3 mouse_down right 11 12\n"
        "4 mouse_up middle 0 0\n"
        "4 wheel -3\n"
        "6 key_up a\n");
    std::ostringstream errors;
    platform::CInputScript script;
    script.Parse(file, "input.txt", errors);
    EXPECT_EQ(errors.str(), "");
    const auto& actions = script.Actions();
    ASSERT_EQ(actions.size(), 7u);
    // Sorted by frame, file order kept within a frame.
    EXPECT_EQ(actions[0].action, EInputAction::Text);
    EXPECT_EQ(actions[0].text, "hello there");
    EXPECT_EQ(actions[1].action, EInputAction::MouseMove);
    EXPECT_EQ(actions[1].y, -4);
    EXPECT_EQ(actions[2].action, EInputAction::MouseDown);
    EXPECT_EQ(actions[2].button, SDL_BUTTON_RIGHT);
    EXPECT_EQ(actions[3].button, SDL_BUTTON_MIDDLE);
    EXPECT_EQ(actions[4].notches, -3);
    EXPECT_EQ(actions[5].action, EInputAction::KeyDown);
    EXPECT_EQ(actions[5].key, SDLK_LSHIFT);
    EXPECT_EQ(actions[5].scancode, SDL_SCANCODE_LSHIFT);
    EXPECT_EQ(actions[6].key, SDLK_a);
    EXPECT_EQ(actions[6].line, 9);
}

TEST(InputScript, MalformedLinesAreReportedWithTheirNumberAndSkipped) {
    const char* bad[] = {
        "x key_down A",
        "-1 key_down A",
        "3 key_down",
        "3 key_down NoSuchKey",
        "3 jump",
        "3",
        "3 text",
        "3 text \xC3",
        "3 mouse_move 1",
        "3 mouse_move 1 two",
        "3 mouse_down thumb 1 1",
        "3 mouse_up left 1",
        "3 wheel",
        "3 wheel 1 2",
        "3 mouse_move 1 99999999999",
    };
    for (const char* line : bad) {
        std::istringstream file(std::string("1 key_down Escape\n") + line + "\n2 key_up Escape\n");
        std::ostringstream errors;
        platform::CInputScript script;
        script.Parse(file, "in.txt", errors);
        EXPECT_NE(errors.str().find("in.txt:2: "), std::string::npos) << line << " -> " << errors.str();
        EXPECT_NE(errors.str().find("skipped"), std::string::npos) << line;
        ASSERT_EQ(script.Actions().size(), 2u) << line;
        EXPECT_EQ(script.Actions()[1].line, 3) << line;
    }
}

// A bad line reaches the terminal escaped: its control bytes (an escape sequence, a bell, a
// carriage return inside it, C1 controls), broken UTF-8 and a backslash cannot act on the
// terminal or pass for something else; good UTF-8 stays readable.
TEST(InputScript, ABadLineIsShownWithItsControlBytesEscaped) {
    const struct {
        const char* line;
        const char* shown;
    } cases[] = {
        {"3 jump\x1B[2J\x1B]0;title\x07",
         "unknown event 'jump\\x1B[2J\\x1B]0;title\\x07', line skipped: "
         "3 jump\\x1B[2J\\x1B]0;title\\x07"},
        {"3 key_down caf\xC3\xA9\rX",
         "unknown key name 'caf\xC3\xA9\\x0DX', line skipped: 3 key_down caf\xC3\xA9\\x0DX"},
        {"3 text \xFF\xC2\x9B", "the text is not UTF-8, line skipped: 3 text \\xFF\\xC2\\x9B"},
        {"x\\x1B key_down A", "the frame is not a whole number, line skipped: x\\\\x1B key_down A"},
    };
    for (const auto& c : cases) {
        std::istringstream file(std::string(c.line) + "\n");
        std::ostringstream errors;
        platform::CInputScript script;
        script.Parse(file, "in.txt", errors);
        EXPECT_EQ(errors.str(), std::string("in.txt:1: ") + c.shown + "\n");
        EXPECT_TRUE(script.Actions().empty());
    }
}

TEST(InputScript, MissingFileIsReportedAndInjectsNothing) {
    std::ostringstream errors;
    platform::CInputScript script;
    EXPECT_FALSE(script.Load("/nonexistent/tk_input.txt", errors));
    EXPECT_NE(errors.str().find("/nonexistent/tk_input.txt"), std::string::npos);
    EXPECT_EQ(script.Inject(100, 1), 0);
}

std::string DataFile(const char* name) {
    const char* root = std::getenv("TK_SOURCE_DIR");
    return std::string(root != nullptr ? root : ".") + "/tests/platform/dxut/data/" + name;
}

// Extreme coordinates and wheel turns once overflowed on their way to the window messages.
TEST(InputScript, ExtremeInputSaturatesOnItsWayToTheWindow) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    struct SCase {
        const char* file;
        std::vector<int> wheelDeltas;
        std::vector<int> xrels;
    };
    const SCase cases[] = {
        {"wheel-notches-overflow.txt", {32760}, {}},
        {"wheel-accumulate-overflow.txt", {32760, 32760}, {}},
        {"mouse-xrel-overflow.txt", {}, {INT32_MIN, INT32_MAX}},
    };
    for (const SCase& c : cases) {
        std::ostringstream errors;
        platform::CInputScript script;
        ASSERT_TRUE(script.Load(DataFile(c.file), errors)) << errors.str();
        script.Inject(10, 1);
        platform::CMessageTranslator translator;
        std::vector<int> wheelDeltas;
        std::vector<int> xrels;
        for (SDL_Event event; SDL_PollEvent(&event) != 0;) {
            if (event.type == SDL_MOUSEMOTION) {
                xrels.push_back(event.motion.xrel);
            }
            std::vector<platform::SMessage> out;
            translator.Translate(event, out);
            for (const platform::SMessage& message : out) {
                if (message.message == WM_MOUSEWHEEL) {
                    wheelDeltas.push_back(static_cast<short>(HIWORD(static_cast<DWORD>(message.wParam))));
                }
            }
        }
        EXPECT_EQ(wheelDeltas, c.wheelDeltas) << c.file;
        EXPECT_EQ(xrels, c.xrels) << c.file;
    }
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

} // namespace

// On the real clock a line's frame is the moment its frame moves on 60-a-second steps: a click
// written for frame 340 comes 340 / 60 s into the run, whatever the frame rate, and both halves of
// a click pressed two frames apart still come in order even when one slow frame spans both.
TEST(InputScript, RealClockTakesFramesAsSixtiethsOfASecond) {
    struct SCase {
        double seconds;
        unsigned long frame;
    };
    const SCase cases[] = {
        {-1.0, 0},
        {0.0, 0},
        {1.0 / 120.0, 0},
        {1.0 / 60.0, 1},
        {340.0 / 60.0, 340},
        {339.99 / 60.0, 339},
        {1e300, std::numeric_limits<unsigned long>::max() / 2},
        {std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(platform::CInputScript::FrameAt(c.seconds), c.frame) << c.seconds;
    }

    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    std::istringstream file("340 mouse_down left 5 5\n342 mouse_up left 5 5\n");
    std::ostringstream errors;
    platform::CInputScript script;
    script.Parse(file, "click", errors);
    // A frame at 5.6 s, then one slow frame reaching past both.
    EXPECT_EQ(script.Inject(platform::CInputScript::FrameAt(5.6), 1), 0);
    EXPECT_EQ(script.Inject(platform::CInputScript::FrameAt(5.75), 1), 2);
    std::vector<Uint32> types;
    for (SDL_Event event; SDL_PollEvent(&event) != 0;) {
        types.push_back(event.type);
    }
    EXPECT_EQ(types, (std::vector<Uint32>{SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}));
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}
