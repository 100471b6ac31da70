// The run trace of a headless run: when TK_TRACE names a file, one line per top-level state
// entered, per racer of a race made (with whose it is), per racer this machine's computer takes
// over, per racer finishing and on taking over as the server, each led by the framework's frame
// number, so a run can be checked from outside. Main thread only; a file that cannot be opened,
// or a write that fails (a full disk), is said once and the trace stops.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32/file_write.h"

namespace kelvo {

class CGameTrace {
public:
    // Opens the file named by TK_TRACE; without the variable the trace writes nothing.
    CGameTrace();
    // Writes to the named file (empty: nothing); tests use it directly.
    explicit CGameTrace(const std::string& path);
    ~CGameTrace();
    CGameTrace(const CGameTrace&) = delete;
    CGameTrace& operator=(const CGameTrace&) = delete;

    void StateEntered(const std::string& name);
    void RacerFinished(std::uint32_t racerId, std::uint32_t place, float time);
    // A racer of the race was made; the connection id says whose (0: a computer's).
    void RacerEntered(std::uint32_t racerId, std::uint32_t connectionId);
    // This machine's computer drives the racer from now on (its driver's machine was lost).
    void RacerToComputer(std::uint32_t racerId);
    // This client has taken over as the server; written once it has handed out the racers and
    // told of the finishes it knows.
    void TookOver();
    bool IsOpen() const { return m_file.IsOpen(); }

private:
    void Open(const std::string& path);
    // One line after the frame number, written at once.
    void Line(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void Failed();

    platform::CLogFile m_file;
    std::string m_path;
};

} // namespace kelvo
