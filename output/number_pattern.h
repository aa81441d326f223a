// The eight fixed number patterns of every record line and overlay centre.
//
// A pattern has a section for positive values and zero and one for negative
// values. In the negative section the number is written without its own sign;
// the section's prefix (" -" or "-") stands for it. "0" digit groups always
// write their digits, "#" groups only significant ones, so an integer part of
// 0 under a "#" pattern writes no digit before the point at all.
//
// Formatting never looks at the locale: "." is always the decimal point.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace torvane {

struct NumberPattern {
    std::string_view positivePrefix;  // written before a value >= 0 (and NaN)
    std::string_view negativePrefix;  // written before a value < 0
    bool oneSection;                  // no negative section: "-" goes before the whole text
    int integerDigits;           // least digits before the point (0 for "#")
    int decimals;                // digits after the point
};

namespace patterns {
// " 000000.00": time of day in seconds (Table)
inline constexpr NumberPattern TableTime{" ", "", true, 6, 2};
// "  00.0000000; -00.0000000": latitude (Table and KML)
inline constexpr NumberPattern Latitude{"  ", " -", false, 2, 7};
// "  000.0000000; -000.0000000": longitude (Table)
inline constexpr NumberPattern TableLongitude{"  ", " -", false, 3, 7};
// "  0000.00; -0000.00": altitude (Table)
inline constexpr NumberPattern TableAltitude{"  ", " -", false, 4, 2};
// "  000.00000000; -000.00000000": longitude (KML)
inline constexpr NumberPattern KmlLongitude{"  ", " -", false, 3, 8};
// "  000.0; -000.0": altitude (KML)
inline constexpr NumberPattern KmlAltitude{"  ", " -", false, 3, 1};
// Inside a KML coordinate tuple no blank may stand after a comma (strict
// readers split tuples at blanks), so the latitude and altitude that follow
// the longitude there drop their patterns' leading blanks.
inline constexpr NumberPattern KmlTupleLatitude{"", "-", false, 2, 7};
inline constexpr NumberPattern KmlTupleAltitude{"", "-", false, 3, 1};
// "###.00000000; -###.00000000": longitude (OVL)
inline constexpr NumberPattern OvlLongitude{"", " -", false, 0, 8};
// "##.0000000;-##.0000000": latitude (OVL) and the overlay centre texts
inline constexpr NumberPattern OvlLatitude{"", "-", false, 0, 7};
}  // namespace patterns

// Room that FormatNumber may need: the longest double (309 integer digits)
// plus prefix, point and decimals.
inline constexpr std::size_t kMaxNumberText = 360;

// Writes `value` through `pattern` at `out` (which must have kMaxNumberText
// bytes of room) and returns the end of the written text.
//
// Rounding is half away from zero on the exact binary value. The section is
// chosen by the sign before rounding: -0.0 uses the first section, a small
// negative value that rounds to zero uses the negative one. A negative value
// under a one-section pattern gets "-" in front of the whole text. Infinities
// and NaN are written as "inf"/"nan" in place of the digits.
char* FormatNumber(char* out, double value, const NumberPattern& pattern);

// The rounding of FormatNumber, for texts of a layout of their own:
// `magnitude` (not negative) times 10^decimals, rounded half away from zero
// on its exact binary value, for a product below kMostScaled.
inline constexpr double kMostScaled = 4.0e15;
std::uint64_t RoundToDecimals(double magnitude, int decimals);

// Appends the formatted number to `text`.
void AppendNumber(std::string& text, double value, const NumberPattern& pattern);

}  // namespace torvane
