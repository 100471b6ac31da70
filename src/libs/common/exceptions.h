// The exception family every subsystem throws: each records the source file and line of its
// throw site and can append a report of itself to "exception.txt". Reporting never throws; a
// report that cannot be written is said on standard error.
#pragma once

#include <exception>
#include <string>

namespace common {

class CBaseException : public std::exception {
public:
    CBaseException(const std::string& sourceFile, int line);
    ~CBaseException() override = default;

    const char* what() const noexcept override;
    virtual const char* GetName() const;
    // Appends a block naming the exception and its throw site to the report file.
    virtual void Report() const;

    const std::string& GetSourceFile() const { return m_sourceFile; }
    int GetLine() const { return m_line; }

    // The report file, relative to the working directory.
    static std::string s_reportFile;

private:
    std::string m_sourceFile;
    int m_line;
};

class COutOfMemException : public CBaseException {
public:
    COutOfMemException(const std::string& sourceFile, int line) : CBaseException(sourceFile, line) {}

    const char* what() const noexcept override;
    const char* GetName() const override;
};

} // namespace common
