#include "platform/dxut/input_script.h"

#include <SDL.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <istream>
#include <limits>
#include <ostream>
#include <sstream>

#include "platform/win32/file_read.h"
#include "platform/win32/utf8.h"

namespace platform {
namespace {

bool ParseInt(const std::string& token, int& value) {
    if (token.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(token.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < INT_MIN || parsed > INT_MAX) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

bool ParseFrame(const std::string& token, unsigned long& frame) {
    if (token.empty() || !std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    errno = 0;
    frame = std::strtoul(token.c_str(), nullptr, 10);
    return errno == 0;
}

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A jump across the whole coordinate range does not fit a 32-bit delta: it saturates.
Sint32 Difference(int to, int from) {
    const long long delta = static_cast<long long>(to) - from;
    return static_cast<Sint32>(std::clamp<long long>(delta, INT32_MIN, INT32_MAX));
}

std::uint16_t ModifierOf(int scancode) {
    switch (scancode) {
        case SDL_SCANCODE_LSHIFT:
            return KMOD_LSHIFT;
        case SDL_SCANCODE_RSHIFT:
            return KMOD_RSHIFT;
        case SDL_SCANCODE_LCTRL:
            return KMOD_LCTRL;
        case SDL_SCANCODE_RCTRL:
            return KMOD_RCTRL;
        case SDL_SCANCODE_LALT:
            return KMOD_LALT;
        case SDL_SCANCODE_RALT:
            return KMOD_RALT;
        case SDL_SCANCODE_LGUI:
            return KMOD_LGUI;
        case SDL_SCANCODE_RGUI:
            return KMOD_RGUI;
        default:
            return 0;
    }
}

} // namespace

bool CInputScript::Load(const std::string& path, std::ostream& errors) {
    // A few lines a second of play: a larger file is no input file.
    constexpr std::uint64_t kMostInputFileBytes = 64u << 20;
    std::string text;
    std::string why;
    if (!platform::ReadWholeFile(path, kMostInputFileBytes, text, why)) {
        errors << "TK_INPUT_FILE: " << EscapeForLine(path) << " " << why << "; no input is injected\n";
        return false;
    }
    std::istringstream file(text);
    Parse(file, EscapeForLine(path), errors);
    return true;
}

void CInputScript::Parse(std::istream& in, const std::string& name, std::ostream& errors) {
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#') {
            continue;
        }
        std::string reason;
        // The line and the words of it the reason quotes are shown escaped: a bad line may hold
        // anything, terminal controls among it.
        if (!ParseLine(trimmed, number, reason)) {
            errors << name << ":" << number << ": " << EscapeForLine(reason)
                   << ", line skipped: " << EscapeForLine(trimmed) << "\n";
        }
    }
    // A file need not be in frame order; lines of one frame keep their order.
    std::stable_sort(m_actions.begin() + static_cast<std::ptrdiff_t>(m_next), m_actions.end(),
                     [](const SInputAction& a, const SInputAction& b) { return a.frame < b.frame; });
}

bool CInputScript::ParseLine(const std::string& line, int number, std::string& reason) {
    std::istringstream words(line);
    std::string frameToken;
    std::string command;
    words >> frameToken >> command;
    SInputAction action;
    action.line = number;
    if (!ParseFrame(frameToken, action.frame)) {
        reason = "the frame is not a whole number";
        return false;
    }
    std::string rest;
    std::getline(words, rest);
    std::vector<std::string> args;
    {
        std::istringstream argWords(rest);
        for (std::string arg; argWords >> arg;) {
            args.push_back(arg);
        }
    }
    if (command == "key_down" || command == "key_up") {
        action.action = command == "key_down" ? EInputAction::KeyDown : EInputAction::KeyUp;
        const std::string keyName = Trim(rest);
        action.key = keyName.empty() ? SDLK_UNKNOWN : SDL_GetKeyFromName(keyName.c_str());
        if (action.key == SDLK_UNKNOWN) {
            reason = "unknown key name '" + keyName + "'";
            return false;
        }
        action.scancode = SDL_GetScancodeFromName(keyName.c_str());
    } else if (command == "text") {
        action.action = EInputAction::Text;
        // The text is everything after the one separating blank, inner blanks included.
        action.text = rest.empty() ? rest : rest.substr(1);
        if (action.text.empty() || !IsValidUtf8(action.text.data(), action.text.size())) {
            reason = action.text.empty() ? "no text" : "the text is not UTF-8";
            return false;
        }
    } else if (command == "mouse_move") {
        action.action = EInputAction::MouseMove;
        if (args.size() != 2 || !ParseInt(args[0], action.x) || !ParseInt(args[1], action.y)) {
            reason = "mouse_move needs x and y";
            return false;
        }
    } else if (command == "mouse_down" || command == "mouse_up") {
        action.action = command == "mouse_down" ? EInputAction::MouseDown : EInputAction::MouseUp;
        if (args.size() != 3 || !ParseInt(args[1], action.x) || !ParseInt(args[2], action.y)) {
            reason = command + " needs a button, x and y";
            return false;
        }
        if (args[0] == "left") {
            action.button = SDL_BUTTON_LEFT;
        } else if (args[0] == "right") {
            action.button = SDL_BUTTON_RIGHT;
        } else if (args[0] == "middle") {
            action.button = SDL_BUTTON_MIDDLE;
        } else {
            reason = "unknown button '" + args[0] + "'";
            return false;
        }
    } else if (command == "wheel") {
        action.action = EInputAction::Wheel;
        if (args.size() != 1 || !ParseInt(args[0], action.notches)) {
            reason = "wheel needs a number of notches";
            return false;
        }
    } else {
        reason = command.empty() ? "no event" : "unknown event '" + command + "'";
        return false;
    }
    m_actions.push_back(action);
    return true;
}

unsigned long CInputScript::FrameAt(double seconds) {
    if (!(seconds > 0.0)) {
        return 0;
    }
    // A whole step reached by rounding (340 / 60 * 60 may come out a hair under 340) counts.
    const double steps = std::floor(seconds * kStepsPerSecond + 1e-6);
    constexpr unsigned long kLast = std::numeric_limits<unsigned long>::max() / 2;
    return steps < static_cast<double>(kLast) ? static_cast<unsigned long>(steps) : kLast;
}

int CInputScript::Inject(unsigned long frame, std::uint32_t windowId) {
    int pushed = 0;
    while (m_next < m_actions.size() && m_actions[m_next].frame <= frame) {
        Push(m_actions[m_next], windowId);
        ++m_next;
        ++pushed;
    }
    return pushed;
}

void CInputScript::Push(const SInputAction& action, std::uint32_t windowId) {
    SDL_Event event;
    SDL_zero(event);
    switch (action.action) {
        case EInputAction::KeyDown:
        case EInputAction::KeyUp: {
            const bool down = action.action == EInputAction::KeyDown;
            auto scancode = static_cast<SDL_Scancode>(action.scancode);
            if (scancode == SDL_SCANCODE_UNKNOWN) {
                scancode = SDL_GetScancodeFromKey(action.key);
            }
            const std::uint16_t modifier = ModifierOf(scancode);
            m_modifiers = down ? (m_modifiers | modifier) : (m_modifiers & ~modifier);
            event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
            event.key.windowID = windowId;
            event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
            event.key.keysym.scancode = scancode;
            event.key.keysym.sym = action.key;
            event.key.keysym.mod = m_modifiers;
            SDL_PushEvent(&event);
            break;
        }
        case EInputAction::Text: {
            // SDL's text event holds a short buffer: split the text there, never inside a character.
            const std::string& text = action.text;
            std::size_t at = 0;
            while (at < text.size()) {
                std::size_t end = at;
                while (end < text.size()) {
                    const SUtf8Step step = DecodeUtf8(text.data() + end, text.size() - end);
                    if (!step.valid || end + step.length - at >= SDL_TEXTINPUTEVENT_TEXT_SIZE) {
                        break;
                    }
                    end += step.length;
                }
                if (end == at) {
                    break;
                }
                SDL_zero(event);
                event.type = SDL_TEXTINPUT;
                event.text.windowID = windowId;
                SDL_memcpy(event.text.text, text.data() + at, end - at);
                SDL_PushEvent(&event);
                at = end;
            }
            break;
        }
        case EInputAction::MouseMove:
            event.type = SDL_MOUSEMOTION;
            event.motion.windowID = windowId;
            event.motion.state = m_buttons;
            event.motion.x = action.x;
            event.motion.y = action.y;
            event.motion.xrel = Difference(action.x, m_mouseX);
            event.motion.yrel = Difference(action.y, m_mouseY);
            m_mouseX = action.x;
            m_mouseY = action.y;
            SDL_PushEvent(&event);
            break;
        case EInputAction::MouseDown:
        case EInputAction::MouseUp: {
            const bool down = action.action == EInputAction::MouseDown;
            const std::uint32_t mask = SDL_BUTTON(action.button);
            m_buttons = down ? (m_buttons | mask) : (m_buttons & ~mask);
            event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
            event.button.windowID = windowId;
            event.button.button = action.button;
            event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
            event.button.clicks = 1;
            event.button.x = action.x;
            event.button.y = action.y;
            m_mouseX = action.x;
            m_mouseY = action.y;
            SDL_PushEvent(&event);
            break;
        }
        case EInputAction::Wheel:
            event.type = SDL_MOUSEWHEEL;
            event.wheel.windowID = windowId;
            event.wheel.y = action.notches;
            event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
            event.wheel.preciseY = static_cast<float>(action.notches);
            SDL_PushEvent(&event);
            break;
    }
}

} // namespace platform
