// A loader that fills one settings record from a data file; the application reads the record
// after Load. Not shared between threads.
#pragma once

#include <string>

namespace velm {

template <typename T>
class ACLoader {
public:
    virtual ~ACLoader() = default;
    virtual void Load(const std::string& fileName) = 0;
    virtual const T& GetInfo() const { return m_info; }
    virtual T& GetInfo() { return m_info; }

protected:
    T m_info;
};

} // namespace velm
