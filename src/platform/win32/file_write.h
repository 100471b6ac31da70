// The one way the game writes a file. Every write, the flush to disk and the close are checked,
// so a full disk or a folder that cannot be written is known and never taken for success; the
// reason comes back as a short phrase for the caller to put after the file's name. Thread-safe
// for distinct files; names are not resolved.
#pragma once

#include <string>

namespace platform {

// Writes `contents` to a new file beside `path` and renames it over `path` once every write, the
// flush and the close have succeeded. On any failure the new file is removed and whatever stood
// at `path` is left as it was: a good file is never replaced by a truncated one. A device or a
// pipe at `path` is refused.
bool ReplaceFile(const std::string& path, const std::string& contents, std::string& error);

// A file that grows as the game goes (the run trace, the driving samples) and that others may
// read while it grows, so it is written in place, each Write straight to the file. A write that
// fails takes back what part of it reached the file; the file then stays closed and later
// writes do nothing: the caller says so once.
class CLogFile {
public:
    enum class EMode { TRUNCATE, APPEND };

    CLogFile() = default;
    ~CLogFile();
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    // Creates or empties the file (TRUNCATE), or opens it to add at its end (APPEND).
    bool Open(const std::string& path, EMode mode);
    // Every byte of `text` reaches the file, or false with the reason and the file closed.
    bool Write(const std::string& text);
    // Closes the file; false with the reason when the close reports a failed write.
    bool Close();

    bool IsOpen() const { return m_fd >= 0; }
    const std::string& GetError() const { return m_error; }

private:
    bool Fail(const char* what, int error);

    int m_fd = -1;
    std::string m_error;
};

} // namespace platform
