#include "libs/common/exceptions.h"

#include <cstdio>

namespace common {

std::string CBaseException::s_reportFile = "exception.txt";

CBaseException::CBaseException(const std::string& sourceFile, int line) : m_sourceFile(sourceFile), m_line(line) {}

const char* CBaseException::what() const noexcept { return "Base Exception Thrown"; }

const char* CBaseException::GetName() const { return "Base Exception"; }

void CBaseException::Report() const {
    std::FILE* file = std::fopen(s_reportFile.c_str(), "a");
    if (file == nullptr) {
        return;
    }
    std::fprintf(file, "%s Thrown\nIn file: %s\nLine #%d\n%s\n", GetName(), m_sourceFile.c_str(), m_line,
                 std::string(55, '*').c_str());
    std::fclose(file);
}

const char* COutOfMemException::what() const noexcept { return "Out Of Memory !"; }

const char* COutOfMemException::GetName() const { return "Out Of Memory Exception"; }

} // namespace common
