#include "libs/common/checked_number.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace common {

namespace {

std::string Shown(double value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

bool Within(double value, const SNumberBounds& bounds) {
    return std::isfinite(value) && value >= bounds.lowest && value <= bounds.highest;
}

std::string Wanted(const char* kind, const SNumberBounds& bounds) {
    return std::string(kind) + " from " + Shown(bounds.lowest) + " to " + Shown(bounds.highest);
}

// A decimal number truncated toward zero: atoi's value for its digits, and no overflow.
double WholeFromText(const std::string& text) { return std::trunc(std::atof(text.c_str())); }

} // namespace

void ReportRefusedValue(std::ostream& errors, const std::string& origin, const std::string& field,
                        const std::string& shown, const std::string& wanted, const std::string& fallback) {
    // Built whole first, so that lines of two threads do not interleave.
    std::ostringstream line;
    line << origin << ": " << field;
    if (shown.empty()) {
        line << " is missing or empty";
    } else {
        line << " \"" << shown << "\" is not " << wanted;
    }
    line << "; using " << fallback << "\n";
    errors << line.str() << std::flush;
}

bool IsAcceptableSetting(double value, const SNumberBounds& bounds, const std::string& origin, const std::string& field,
                         std::ostream& errors) {
    if (Within(value, bounds)) {
        return true;
    }
    ReportRefusedValue(errors, origin, field, Shown(value), Wanted("a number", bounds), "the value it had");
    return false;
}

double CheckNumber(double value, const SNumberBounds& bounds, const std::string& origin, const std::string& field,
                   std::ostream& errors) {
    if (Within(value, bounds)) {
        return value;
    }
    ReportRefusedValue(errors, origin, field, Shown(value), Wanted("a number", bounds), Shown(bounds.fallback));
    return bounds.fallback;
}

int CheckWhole(double value, const SNumberBounds& bounds, const std::string& origin, const std::string& field,
               std::ostream& errors) {
    if (Within(value, bounds)) {
        return static_cast<int>(std::trunc(value));
    }
    ReportRefusedValue(errors, origin, field, Shown(value), Wanted("a whole number", bounds), Shown(bounds.fallback));
    return static_cast<int>(bounds.fallback);
}

double ReadNumber(const std::string& text, const SNumberBounds& bounds, const std::string& origin,
                  const std::string& field, std::ostream& errors) {
    const double value = std::atof(text.c_str());
    if (Within(value, bounds)) {
        return value;
    }
    ReportRefusedValue(errors, origin, field, text, Wanted("a number", bounds), Shown(bounds.fallback));
    return bounds.fallback;
}

float ReadFloat(const std::string& text, const SNumberBounds& bounds, const std::string& origin,
                const std::string& field, std::ostream& errors) {
    return static_cast<float>(ReadNumber(text, bounds, origin, field, errors));
}

int ReadWhole(const std::string& text, const SNumberBounds& bounds, const std::string& origin, const std::string& field,
              std::ostream& errors) {
    const double value = WholeFromText(text);
    if (Within(value, bounds)) {
        return static_cast<int>(value);
    }
    ReportRefusedValue(errors, origin, field, text, Wanted("a whole number", bounds), Shown(bounds.fallback));
    return static_cast<int>(bounds.fallback);
}

double ReadNumber(const CXmlReader& reader, const char* field, const SNumberBounds& bounds, std::ostream& errors) {
    return ReadNumber(reader.GetValue(field), bounds, reader.GetFileName(), field, errors);
}

float ReadFloat(const CXmlReader& reader, const char* field, const SNumberBounds& bounds, std::ostream& errors) {
    return ReadFloat(reader.GetValue(field), bounds, reader.GetFileName(), field, errors);
}

int ReadWhole(const CXmlReader& reader, const char* field, const SNumberBounds& bounds, std::ostream& errors) {
    return ReadWhole(reader.GetValue(field), bounds, reader.GetFileName(), field, errors);
}

CVector3 ReadVector(const CXmlReader& reader, const std::string& element, const char* x, const char* y, const char* z) {
    const auto axis = [&reader, &element](const char* name) {
        return ReadFloat(reader.GetValue(name), kAnyDataNumber, reader.GetFileName(), element + " " + name);
    };
    const float vx = axis(x);
    const float vy = axis(y);
    const float vz = axis(z);
    return CVector3(vx, vy, vz);
}

int ReadWholeClamped(const CXmlReader& reader, const char* field, const SNumberBounds& bounds, std::ostream& errors) {
    const std::string text = reader.GetValue(field);
    const double value = WholeFromText(text);
    if (Within(value, bounds)) {
        return static_cast<int>(value);
    }
    const double held = !std::isfinite(value)   ? bounds.fallback
                        : value < bounds.lowest ? bounds.lowest
                                                : bounds.highest;
    ReportRefusedValue(errors, reader.GetFileName(), field, text, Wanted("a whole number", bounds), Shown(held));
    return static_cast<int>(held);
}

} // namespace common
