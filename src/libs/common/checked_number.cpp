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

// The whole text as one number (truncated toward zero for a whole one); false for an empty text
// or one with anything else in it.
bool ParseNumberText(const std::string& text, bool whole, double& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    if (end == nullptr || *end != '\0') {
        return false;
    }
    if (whole) {
        value = std::trunc(value);
    }
    return true;
}

// A field of a reader that holds its file's shipped values: the shipped value stands in for one
// the file lacks or that is refused (not a number, not finite or beyond the bounds), so that what
// the file lays out keeps working as shipped. When the file cannot be used at all, its line is
// said already and the shipped values are taken without more.
double ReadWithShipped(const CXmlReader& reader, const char* field, const SNumberBounds& bounds, bool whole,
                       std::ostream& errors) {
    const std::string shippedText = reader.GetShippedValue(field);
    const std::string own = reader.ReadsOwnValues() ? reader.GetOwnValue(field) : std::string();
    // A field that neither the file nor the shipped text holds (an optional one) reads as it would
    // without shipped values.
    if (shippedText.empty() && own.empty()) {
        return ReadNumber(own, bounds, reader.GetFileName(), field, errors);
    }
    double shipped = bounds.fallback;
    double parsed = 0.0;
    if (ParseNumberText(shippedText, whole, parsed) && Within(parsed, bounds)) {
        shipped = parsed;
    }
    if (!reader.ReadsOwnValues()) {
        return shipped;
    }
    if (own.empty()) {
        ReportRefusedValue(errors, reader.GetFileName(), field, "", "", Shown(shipped) + " as shipped");
        return shipped;
    }
    if (ParseNumberText(own, whole, parsed) && Within(parsed, bounds)) {
        return parsed;
    }
    ReportRefusedValue(errors, reader.GetFileName(), field, own, Wanted(whole ? "a whole number" : "a number", bounds),
                       Shown(shipped) + " as shipped");
    return shipped;
}

} // namespace

std::string ScriptGlobalField(const std::string& name) { return "script global " + name; }

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
    if (reader.HasShipped()) {
        return ReadWithShipped(reader, field, bounds, false, errors);
    }
    return ReadNumber(reader.GetValue(field), bounds, reader.GetFileName(), field, errors);
}

float ReadFloat(const CXmlReader& reader, const char* field, const SNumberBounds& bounds, std::ostream& errors) {
    return static_cast<float>(ReadNumber(reader, field, bounds, errors));
}

int ReadWhole(const CXmlReader& reader, const char* field, const SNumberBounds& bounds, std::ostream& errors) {
    if (reader.HasShipped()) {
        return static_cast<int>(ReadWithShipped(reader, field, bounds, true, errors));
    }
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
    if (reader.HasShipped()) {
        return static_cast<int>(ReadWithShipped(reader, field, bounds, true, errors));
    }
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
