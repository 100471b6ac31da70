// The line-based tag reader every data file goes through. A file is a list of lines with spaces
// and tabs removed; Enter() consumes an element and makes its lines the current scope (falling
// back to enclosing scopes when absent); GetValue() reads an element's text on one line. Nothing
// is thrown: missing files and elements read as empty, and LoadContent says on standard error
// which file could not be used and why. Reading time grows with the file's length, not its square.
// One reader per thread.
#pragma once

#include <cstdint>
#include <deque>
#include <iosfwd>
#include <list>
#include <string>
#include <vector>

namespace common {

class CXmlReader {
public:
    CXmlReader() = default;
    virtual ~CXmlReader() = default;

    // Data files are small; a larger one, or one with a longer line, is refused whole.
    static constexpr std::uint64_t kMostFileBytes = 64u << 20;
    static constexpr std::size_t kMostLineBytes = 64u << 10;

    // Reads the file. False when it cannot be used: not a readable regular file of a sane size,
    // a line too long (then one empty scope, as for a missing file), or no element in it (empty,
    // not a tag file, or cut short: its lines are kept). GetError() tells which.
    bool Load(const std::string& fileName);
    // Load, and when the file cannot be used one line on `errors`: the file, what is wrong and
    // `instead`, what the game does without it.
    bool LoadContent(const std::string& fileName, const std::string& instead);
    bool LoadContent(const std::string& fileName, const std::string& instead, std::ostream& errors);
    const std::string& GetError() const { return m_error; }
    // True when the last Load got the file's lines, whether or not they hold an element.
    bool WasRead() const { return m_read; }
    void Enter(const std::string& name);
    std::string GetValue(const std::string& name) const;
    // Every value of `name` in the current scope, in file order; GetValue gives only the first.
    std::vector<std::string> GetValues(const std::string& name) const;
    // True when the current scope itself holds an opening line of `name` (nothing is consumed).
    bool HasElement(const std::string& name) const;

    std::uint32_t GetScopeCount() const { return m_scopeCount; }
    // The name last given to Load, for lines about the file's values.
    const std::string& GetFileName() const { return m_fileName; }

private:
    // A deque, so taking an element out near the front moves only the lines before it.
    using Scope = std::deque<std::string>;

    void PopScope();

    std::list<Scope> m_scopes;
    std::uint32_t m_scopeCount = 0;
    std::string m_error;
    bool m_read = false;
    std::string m_fileName;
};

} // namespace common
