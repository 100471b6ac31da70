#include "libs/common/xml_reader.h"

#include <fstream>

#include "platform/win32/file_path.h"

namespace common {

void CXmlReader::Load(const std::string& fileName) {
    m_fileName = fileName;
    m_scopes.clear();
    Scope lines;
    std::ifstream file(platform::ResolvePath(fileName));
    std::string line;
    while (file && std::getline(file, line)) {
        std::string stripped;
        stripped.reserve(line.size());
        for (char c : line) {
            // A CR LF file keeps its CR after getline; it is no part of any tag or value.
            if (c != ' ' && c != '\t' && c != '\r') {
                stripped.push_back(c);
            }
        }
        lines.push_back(std::move(stripped));
    }
    m_scopes.push_front(std::move(lines));
    m_scopeCount = 1;
}

void CXmlReader::PopScope() {
    m_scopes.pop_front();
    --m_scopeCount;
}

void CXmlReader::Enter(const std::string& name) {
    const std::string open = "<" + name + ">";
    const std::string close = "</" + name + ">";
    while (!m_scopes.empty()) {
        Scope& current = m_scopes.front();
        std::size_t start = 0;
        std::size_t end = 0;
        bool inside = false;
        bool closed = false;
        Scope collected;
        for (std::size_t i = 0; i < current.size(); ++i) {
            if (current[i] == open) {
                start = i;
                inside = true;
            } else if (current[i] == close) {
                end = i;
                closed = inside;
                break;
            } else if (inside) {
                collected.push_back(current[i]);
            }
        }
        // An opening line with no closing line after it counts as absent, like no opening line.
        if (!closed) {
            PopScope();
            continue;
        }
        current.erase(current.begin() + static_cast<std::ptrdiff_t>(start),
                      current.begin() + static_cast<std::ptrdiff_t>(end) + 1);
        m_scopes.push_front(std::move(collected));
        ++m_scopeCount;
        return;
    }
}

namespace {

// The value of the element on one line; false when the line does not hold its opening tag.
bool ValueOnLine(const std::string& line, const std::string& open, const std::string& close, std::string& value) {
    const std::size_t at = line.find(open);
    if (at == std::string::npos) {
        return false;
    }
    const std::size_t closeAt = line.find(close);
    const std::size_t valueStart = at + open.size();
    if (closeAt == std::string::npos || closeAt < valueStart) {
        value.clear();
    } else {
        value = line.substr(valueStart, closeAt - valueStart);
    }
    return true;
}

} // namespace

std::string CXmlReader::GetValue(const std::string& name) const {
    if (m_scopes.empty()) {
        return {};
    }
    const std::string open = "<" + name + ">";
    const std::string close = "</" + name + ">";
    std::string value;
    for (const std::string& line : m_scopes.front()) {
        if (ValueOnLine(line, open, close, value)) {
            return value;
        }
    }
    return {};
}

std::vector<std::string> CXmlReader::GetValues(const std::string& name) const {
    std::vector<std::string> values;
    if (m_scopes.empty()) {
        return values;
    }
    const std::string open = "<" + name + ">";
    const std::string close = "</" + name + ">";
    std::string value;
    for (const std::string& line : m_scopes.front()) {
        if (ValueOnLine(line, open, close, value)) {
            values.push_back(value);
        }
    }
    return values;
}

bool CXmlReader::HasElement(const std::string& name) const {
    if (m_scopes.empty()) {
        return false;
    }
    const std::string open = "<" + name + ">";
    const std::string close = "</" + name + ">";
    bool opened = false;
    for (const std::string& line : m_scopes.front()) {
        if (line == open) {
            opened = true;
        } else if (line == close) {
            // Enter takes the same view: a closing line with no opening before it ends the search.
            return opened;
        }
    }
    return false;
}

} // namespace common
