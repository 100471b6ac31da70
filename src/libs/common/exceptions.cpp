#include "libs/common/exceptions.h"

#include <cstdio>

#include "platform/win32/file_write.h"

namespace common {

std::string CBaseException::s_reportFile = "exception.txt";

CBaseException::CBaseException(const std::string& sourceFile, int line) : m_sourceFile(sourceFile), m_line(line) {}

const char* CBaseException::what() const noexcept { return "Base Exception Thrown"; }

const char* CBaseException::GetName() const { return "Base Exception"; }

void CBaseException::Report() const {
    // One write of the whole block: a full disk leaves the earlier blocks as they were.
    const std::string block = std::string(GetName()) + " Thrown\nIn file: " + m_sourceFile + "\nLine #" +
                              std::to_string(m_line) + "\n" + std::string(55, '*') + "\n";
    platform::CLogFile file;
    if (!file.Open(s_reportFile, platform::CLogFile::EMode::APPEND) || !file.Write(block) || !file.Close()) {
        std::fprintf(stderr, "%s: %s; the report is on standard error only\n", s_reportFile.c_str(),
                     file.GetError().c_str());
    }
}

const char* COutOfMemException::what() const noexcept { return "Out Of Memory !"; }

const char* COutOfMemException::GetName() const { return "Out Of Memory Exception"; }

} // namespace common
