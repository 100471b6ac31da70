// The line-based tag reader every data file goes through. A file is a list of lines with spaces
// and tabs removed; Enter() consumes an element and makes its lines the current scope (falling
// back to enclosing scopes when absent); GetValue() reads an element's text on one line. Nothing
// is thrown or reported: missing files and elements read as empty. One reader per thread.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <vector>

namespace common {

class CXmlReader {
public:
    CXmlReader() = default;
    virtual ~CXmlReader() = default;

    void Load(const std::string& fileName);
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
    using Scope = std::vector<std::string>;

    void PopScope();

    std::list<Scope> m_scopes;
    std::uint32_t m_scopeCount = 0;
    std::string m_fileName;
};

} // namespace common
