#include "engine/gfx/layout_values.h"

#include "engine/gfx/button.h"
#include "libs/common/checked_number.h"

namespace velm {
namespace gfx {

double ReadLayoutFraction(const common::CXmlReader& reader, const char* field) {
    return common::ReadNumber(reader, field, {0.0, 1.0, 0.0});
}

int ReadLayoutSide(const common::CXmlReader& reader, const char* field) {
    return common::ReadWholeClamped(reader, field, {1.0, CButton::kMostSide, kFallbackLayoutSide});
}

int ReadLayoutPixels(const common::CXmlReader& reader, const char* field) {
    return static_cast<int>(common::ReadNumber(reader, field, {-CButton::kMostSide, CButton::kMostSide, 0.0}));
}

double ReadLayoutAnchor(const common::CXmlReader& reader, const char* field) {
    // An anchor is optional: an item the file lays out without one stands by its corner, whatever
    // the shipped item does.
    if (reader.HasShipped() && reader.ReadsOwnValues() && reader.GetOwnValue(field).empty()) {
        return 0.0;
    }
    return common::ReadNumber(reader, field, {-kLargestLayoutScale, kLargestLayoutScale, 0.0});
}

float ReadLayoutScale(const common::CXmlReader& reader, const char* field) {
    return common::ReadFloat(reader, field, {0.0, kLargestLayoutScale, 1.0});
}

} // namespace gfx
} // namespace velm
