#include "libs/common/xml_reader.h"

#include <iostream>

#include "platform/win32/file_path.h"
#include "platform/win32/file_read.h"

namespace common {

namespace {

// The name of a line that is an opening tag ("<Name>"), or the empty string for any other line.
std::string OpeningName(const std::string& line) {
    if (line.size() < 3 || line.front() != '<' || line.back() != '>' || line[1] == '/') {
        return {};
    }
    std::string name = line.substr(1, line.size() - 2);
    return name.find_first_of("<>") == std::string::npos ? name : std::string();
}

// True for a line that holds a whole element ("<Name>value</Name>").
bool IsValueLine(const std::string& line) {
    const std::size_t end = line.find('>');
    if (line.size() < 3 || line[0] != '<' || line[1] == '/' || end == std::string::npos) {
        return false;
    }
    return line.find("</" + line.substr(1, end), end) != std::string::npos;
}

// What keeps the lines from holding an element, or the empty string when they hold one: the
// first opening line has its closing line after it (or, in a file of values alone, a line holds
// a whole element). Random bytes, an empty file and a file cut short all fail here, where a
// loader would otherwise read only empty values without a word.
std::string ContentProblem(const std::deque<std::string>& lines) {
    bool blank = true;
    bool values = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        blank = blank && lines[i].empty();
        const std::string name = OpeningName(lines[i]);
        if (name.empty()) {
            values = values || IsValueLine(lines[i]);
            continue;
        }
        const std::string close = "</" + name + ">";
        for (std::size_t j = i + 1; j < lines.size(); ++j) {
            if (lines[j] == close) {
                return {};
            }
        }
        return "is cut short (<" + name + "> is never closed)";
    }
    if (values) {
        return {};
    }
    return blank ? "is empty" : "holds no element";
}

} // namespace

bool CXmlReader::SplitLines(const std::string& text, Scope& lines, std::string& error) {
    std::size_t number = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            end = text.size();
        }
        ++number;
        if (end - at > kMostLineBytes) {
            error =
                "has a line (" + std::to_string(number) + ") longer than " + std::to_string(kMostLineBytes) + " bytes";
            lines.clear();
            return false;
        }
        std::string stripped;
        stripped.reserve(end - at);
        for (std::size_t i = at; i < end; ++i) {
            const char c = text[i];
            // A CR LF file keeps its CR before the LF; it is no part of any tag or value.
            if (c != ' ' && c != '\t' && c != '\r') {
                stripped.push_back(c);
            }
        }
        lines.push_back(std::move(stripped));
        at = end + 1;
    }
    return true;
}

bool CXmlReader::Load(const std::string& fileName) {
    m_fileName = fileName;
    m_scopes.clear();
    m_error.clear();
    Scope lines;
    std::string text;
    m_read = platform::ReadWholeFile(platform::ResolvePath(fileName), kMostFileBytes, text, m_error);
    if (m_read) {
        m_read = SplitLines(text, lines, m_error);
        if (m_read) {
            m_error = ContentProblem(lines);
        }
    }
    m_scopes.push_front(std::move(lines));
    m_scopeCount = 1;
    m_usable = m_error.empty();
    m_shippedScopes.clear();
    m_shippedScopeCount = 0;
    if (m_shippedText != nullptr) {
        Scope shipped;
        std::string ignored;
        SplitLines(*m_shippedText, shipped, ignored);
        m_shippedScopes.push_front(std::move(shipped));
        m_shippedScopeCount = 1;
    }
    return m_usable;
}

void CXmlReader::SetShipped(const std::string& text) { m_shippedText = std::make_shared<const std::string>(text); }

bool CXmlReader::LoadContent(const std::string& fileName, const std::string& instead) {
    return LoadContent(fileName, instead, std::cerr);
}

bool CXmlReader::LoadContent(const std::string& fileName, const std::string& instead, std::ostream& errors) {
    if (Load(fileName)) {
        return true;
    }
    errors << fileName << ": " << m_error << "; " << instead << "\n";
    return false;
}

void CXmlReader::EnterScope(Scopes& scopes, std::uint32_t& count, const std::string& name) {
    const std::string open = "<" + name + ">";
    const std::string close = "</" + name + ">";
    while (!scopes.empty()) {
        Scope& current = scopes.front();
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
            scopes.pop_front();
            --count;
            continue;
        }
        current.erase(current.begin() + static_cast<std::ptrdiff_t>(start),
                      current.begin() + static_cast<std::ptrdiff_t>(end) + 1);
        scopes.push_front(std::move(collected));
        ++count;
        return;
    }
}

void CXmlReader::Enter(const std::string& name) {
    const bool wasInStep = ReadsOwnValues();
    EnterScope(m_scopes, m_scopeCount, name);
    if (m_shippedText != nullptr) {
        EnterScope(m_shippedScopes, m_shippedScopeCount, name);
        // Said once, where the file first falls out of step: what follows is read as shipped.
        if (wasInStep && !ReadsOwnValues()) {
            std::cerr << m_fileName << ": <" << name
                      << "> is missing or out of place; it and what follows are read as shipped\n";
        }
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

std::string CXmlReader::ValueIn(const Scopes& scopes, const std::string& name) {
    if (scopes.empty()) {
        return {};
    }
    const std::string open = "<" + name + ">";
    const std::string close = "</" + name + ">";
    std::string value;
    for (const std::string& line : scopes.front()) {
        if (ValueOnLine(line, open, close, value)) {
            return value;
        }
    }
    return {};
}

std::string CXmlReader::GetOwnValue(const std::string& name) const { return ValueIn(m_scopes, name); }

std::string CXmlReader::GetShippedValue(const std::string& name) const { return ValueIn(m_shippedScopes, name); }

bool CXmlReader::ReadsOwnValues() const {
    return m_shippedText == nullptr || (m_usable && !m_shippedOnly && m_scopeCount == m_shippedScopeCount);
}

std::string CXmlReader::GetValue(const std::string& name) const {
    if (m_shippedText == nullptr) {
        return GetOwnValue(name);
    }
    if (!ReadsOwnValues()) {
        return GetShippedValue(name);
    }
    std::string own = GetOwnValue(name);
    return own.empty() ? GetShippedValue(name) : own;
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
