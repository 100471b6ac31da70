// The one check of numbers the game takes from outside, from data files and from scripts: a
// value that is not finite or lies outside what its user can take is refused, and one line on
// standard error names where it came from, the field, the value and what is used instead. The
// bounds and the value used instead are each user's own, named beside that user. Any thread.
#pragma once

#include <iostream>
#include <string>

#include "libs/common/vector3.h"
#include "libs/common/xml_reader.h"

namespace common {

struct SNumberBounds {
    double lowest;
    double highest;
    // Used in place of a refused value.
    double fallback;
};

// The script that sets the globals the game reads (its start-up script), named as their origin
// in the lines about them; the field is "script global <name>" (ScriptGlobalField).
constexpr const char* kScriptGlobalOrigin = "Scripts/StartGame.LUA";
std::string ScriptGlobalField(const std::string& name);

// For a number with no narrower bounds of its own: beyond anything the game measures (metres,
// kilograms, seconds, radians), and where a float still holds a tenth of a unit.
constexpr SNumberBounds kAnyDataNumber = {-1.0e6, 1.0e6, 0.0};

// "<origin>: <field> "<shown>" is not <wanted>; using <fallback>", or "<origin>: <field> is
// missing or empty; using <fallback>" when nothing is shown.
void ReportRefusedValue(std::ostream& errors, const std::string& origin, const std::string& field,
                        const std::string& shown, const std::string& wanted, const std::string& fallback);

// For a setter, whose refusal keeps the value held: true when the value is finite and within the
// bounds (their fallback is not used); otherwise false, with a line ending "using the value it had".
bool IsAcceptableSetting(double value, const SNumberBounds& bounds, const std::string& origin, const std::string& field,
                         std::ostream& errors = std::cerr);
// A number from a script or a computation: itself when finite and within the bounds, else the
// fallback with a line.
double CheckNumber(double value, const SNumberBounds& bounds, const std::string& origin, const std::string& field,
                   std::ostream& errors = std::cerr);
// The same for a whole number: the accepted value truncated toward zero.
int CheckWhole(double value, const SNumberBounds& bounds, const std::string& origin, const std::string& field,
               std::ostream& errors = std::cerr);

// A data file's text read as the readers have always read it (an empty or non-numeric text is
// 0, and so is left unreported: 0 must lie within the bounds), then checked. A whole number is
// read as a decimal number and truncated toward zero, so that "1e10" or "nan" is refused rather
// than read as 1 or 0.
double ReadNumber(const std::string& text, const SNumberBounds& bounds, const std::string& origin,
                  const std::string& field, std::ostream& errors = std::cerr);
float ReadFloat(const std::string& text, const SNumberBounds& bounds, const std::string& origin,
                const std::string& field, std::ostream& errors = std::cerr);
int ReadWhole(const std::string& text, const SNumberBounds& bounds, const std::string& origin, const std::string& field,
              std::ostream& errors = std::cerr);

// A field of the reader's current scope; the line names the reader's file. When the reader holds
// its file's shipped values (CXmlReader::SetShipped), a value the file lacks or that is refused,
// a text that is not wholly a number among them, takes the shipped value instead of the
// fallback, and a missing one is said too; when the file cannot be used they all read as shipped.
double ReadNumber(const CXmlReader& reader, const char* field, const SNumberBounds& bounds,
                  std::ostream& errors = std::cerr);
float ReadFloat(const CXmlReader& reader, const char* field, const SNumberBounds& bounds,
                std::ostream& errors = std::cerr);
int ReadWhole(const CXmlReader& reader, const char* field, const SNumberBounds& bounds,
              std::ostream& errors = std::cerr);
// The three fields of a vector in the reader's current scope (the caller has entered its
// element), each within kAnyDataNumber; the lines name them "<element> <field>".
CVector3 ReadVector(const CXmlReader& reader, const std::string& element, const char* x = "x", const char* y = "y",
                    const char* z = "z");
// For a size whose edge is what a value beyond it meant: held to the nearer bound, with the line;
// only a value that is not finite gives the fallback. With shipped values, as ReadWhole.
int ReadWholeClamped(const CXmlReader& reader, const char* field, const SNumberBounds& bounds,
                     std::ostream& errors = std::cerr);

} // namespace common
