// Numbers of the dated outputs (GPX, GeoJSON, the KML time track): degrees
// in seven decimals and altitudes as the shortest text of their value.
#pragma once

#include <cstddef>
#include <string>

#include "number_pattern.h"

namespace torvane {

// Room that one degrees or altitude text may need.
inline constexpr std::size_t kMaxCoordinateText = kMaxNumberText;

// `degrees` with seven decimals, rounded half away from zero, without a
// sign when it rounds to zero. With `longitude`, 180 is written as -180
// (the same meridian, within the range GPX allows).
char* WriteDegrees(char* out, double degrees, bool longitude);
void AppendDegrees(std::string& text, double degrees, bool longitude);

// The shortest text that reads back as the 32-bit altitude (432.5, -2, 12.34).
char* WriteAltitude(char* out, float metres);
void AppendAltitude(std::string& text, float metres);

// `text` as the contents of a JSON string (without the quotes): quote,
// backslash and control characters escaped, bytes that are not UTF-8 taken
// as Latin-1.
std::string JsonText(std::string_view text);

}  // namespace torvane
