// The numbers of screen layout files, checked before a screen is built of them: a position is a
// fraction of the back buffer's side from 0 to 1, so that what it places stays on the screen
// within the player's reach; a size is from 1 to CButton::kMostSide pixels (a box of none cannot
// be clicked), a distance in pixels as far either way; a scale from 0 to kLargestLayoutScale.
// Anything else, or what is not finite, is said on standard error naming the file and the field.
// The game's screens read their files with the shipped layout behind them
// (CXmlReader::SetShipped): there a refused or missing value takes the shipped one. Without it a
// refused value reads as 0 (a position or a distance), the nearer end of the range (a size;
// kFallbackLayoutSide when not a number) or 1 (a scale), and an empty or non-numeric value reads
// as 0. Any thread.
#pragma once

#include "libs/common/xml_reader.h"

namespace velm {
namespace gfx {

// Sixteen times the picture's size already covers any screen.
constexpr float kLargestLayoutScale = 16.0f;
// A cursor's frame: a box the player can find and click.
constexpr int kFallbackLayoutSide = 64;

double ReadLayoutFraction(const common::CXmlReader& reader, const char* field);
int ReadLayoutSide(const common::CXmlReader& reader, const char* field);
// Truncated toward zero.
int ReadLayoutPixels(const common::CXmlReader& reader, const char* field);
float ReadLayoutScale(const common::CXmlReader& reader, const char* field);
// An anchor: a point of an item as a fraction of its drawn size, from -kLargestLayoutScale to
// kLargestLayoutScale (0 when absent).
double ReadLayoutAnchor(const common::CXmlReader& reader, const char* field);

} // namespace gfx
} // namespace velm
