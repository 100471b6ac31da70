#include "game/flow/game_trace.h"

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
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
}

void CGameTrace::Open(const std::string& path) {
    if (path.empty()) {
        return;
    }
    m_file = std::fopen(path.c_str(), "w");
    if (m_file == nullptr) {
        std::fprintf(stderr, "TK_TRACE: '%s' cannot be written; no trace\n", path.c_str());
    }
}

void CGameTrace::StateEntered(const std::string& name) {
    if (m_file == nullptr) {
        return;
    }
    std::fprintf(m_file, "%lu state %s\n", platform::GetFrameNumber(), name.c_str());
    // Flushed at once: a run that stops early still leaves the lines it reached.
    std::fflush(m_file);
}

void CGameTrace::RacerFinished(std::uint32_t racerId, std::uint32_t place, float time) {
    if (m_file == nullptr) {
        return;
    }
    std::fprintf(m_file, "%lu finish %u %u %.3f\n", platform::GetFrameNumber(), racerId, place,
                 static_cast<double>(time));
    std::fflush(m_file);
}

void CGameTrace::RacerEntered(std::uint32_t racerId, std::uint32_t connectionId) {
    if (m_file == nullptr) {
        return;
    }
    std::fprintf(m_file, "%lu racer %u %u\n", platform::GetFrameNumber(), racerId, connectionId);
    std::fflush(m_file);
}

void CGameTrace::RacerToComputer(std::uint32_t racerId) {
    if (m_file == nullptr) {
        return;
    }
    std::fprintf(m_file, "%lu computer %u\n", platform::GetFrameNumber(), racerId);
    std::fflush(m_file);
}

void CGameTrace::TookOver() {
    if (m_file == nullptr) {
        return;
    }
    std::fprintf(m_file, "%lu takeover\n", platform::GetFrameNumber());
    std::fflush(m_file);
}

} // namespace kelvo
