#include "game/flow/game_trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "platform/dxut/dxut.h"

namespace kelvo {

CGameTrace::CGameTrace() {
    if (const char* path = std::getenv("TK_TRACE")) {
        Open(path);
    }
}

CGameTrace::CGameTrace(const std::string& path) { Open(path); }

CGameTrace::~CGameTrace() {
    if (m_file.IsOpen() && !m_file.Close()) {
        Failed();
    }
}

void CGameTrace::Open(const std::string& path) {
    if (path.empty()) {
        return;
    }
    m_path = path;
    if (!m_file.Open(path, platform::CLogFile::EMode::TRUNCATE)) {
        std::fprintf(stderr, "TK_TRACE: '%s' %s; no trace\n", path.c_str(), m_file.GetError().c_str());
    }
}

void CGameTrace::Failed() {
    std::fprintf(stderr, "TK_TRACE: '%s' %s; the trace stops here\n", m_path.c_str(), m_file.GetError().c_str());
}

void CGameTrace::Line(const char* format, ...) {
    if (!m_file.IsOpen()) {
        return;
    }
    char line[256];
    std::va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    // Each line reaches the file at once: a run that stops early still leaves the lines it reached,
    // and others read the trace while the game runs.
    if (!m_file.Write(std::to_string(platform::GetFrameNumber()) + " " + line + "\n")) {
        Failed();
    }
}

void CGameTrace::StateEntered(const std::string& name) { Line("state %s", name.c_str()); }

void CGameTrace::RacerFinished(std::uint32_t racerId, std::uint32_t place, float time) {
    Line("finish %u %u %.3f", racerId, place, static_cast<double>(time));
}

void CGameTrace::RacerEntered(std::uint32_t racerId, std::uint32_t connectionId) {
    Line("racer %u %u", racerId, connectionId);
}

void CGameTrace::RacerToComputer(std::uint32_t racerId) { Line("computer %u", racerId); }

void CGameTrace::TookOver() { Line("takeover"); }

} // namespace kelvo
