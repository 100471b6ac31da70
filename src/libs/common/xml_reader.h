// The line-based tag reader every data file goes through. A file is a list of lines with spaces
// and tabs removed; Enter() consumes an element and makes its lines the current scope (falling
// back to enclosing scopes when absent); GetValue() reads an element's text on one line. Nothing
// is thrown: missing files and elements read as empty, and LoadContent says on standard error
// which file could not be used and why. Reading time grows with the file's length, not its square.
// A reader may also hold the values its file ships with (SetShipped), which stand in for what the
// file lacks. One reader per thread.
#pragma once

#include <cstdint>
#include <deque>
#include <iosfwd>
#include <list>
#include <memory>
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
    // With shipped values, an element the file lacks (where the shipped text has it) is said on
    // standard error.
    void Enter(const std::string& name);
    // The file's value; with shipped values, the shipped one when ReadsOwnValues is false or the
    // file has none (or an empty one).
    std::string GetValue(const std::string& name) const;

    // The values the file ships with, as the program holds them: the text of the file as it
    // ships, read as a file is. Kept for every later Load and entered in step with the file, so
    // that each scope has its shipped counterpart.
    void SetShipped(const std::string& text);
    bool HasShipped() const { return m_shippedText != nullptr; }
    // True when the last Load could use the file (Load's answer).
    bool IsUsable() const { return m_usable; }
    // Every value reads as shipped while on: for an item whose own values, each acceptable, put it
    // beyond use together.
    void ReadShippedOnly(bool on) { m_shippedOnly = on; }
    bool IsShippedOnly() const { return m_shippedOnly; }
    // Whether the current scope's values come from the file: always without shipped values; with
    // them, when the file could be used, ReadShippedOnly is off and the file's scopes are in step
    // with the shipped ones. An element the file lacks is entered in the shipped text alone, and
    // what the file would give there (a value of an enclosing scope) is not its value.
    bool ReadsOwnValues() const;
    // The file's own value, empty when it has none; the shipped value, empty when none ships.
    std::string GetOwnValue(const std::string& name) const;
    std::string GetShippedValue(const std::string& name) const;
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

    using Scopes = std::list<Scope>;

    // Splits the text into stripped lines; false, with the reason, when a line is too long.
    static bool SplitLines(const std::string& text, Scope& lines, std::string& error);
    static void EnterScope(Scopes& scopes, std::uint32_t& count, const std::string& name);
    static std::string ValueIn(const Scopes& scopes, const std::string& name);

    Scopes m_scopes;
    std::uint32_t m_scopeCount = 0;
    std::string m_error;
    bool m_read = false;
    bool m_usable = false;
    std::string m_fileName;
    // Shared between copies: the text never changes once given.
    std::shared_ptr<const std::string> m_shippedText;
    Scopes m_shippedScopes;
    std::uint32_t m_shippedScopeCount = 0;
    bool m_shippedOnly = false;
};

} // namespace common
