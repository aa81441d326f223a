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

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "digit_pairs.h"

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
inline char* FormatNumber(char* out, double value, const NumberPattern& pattern);

// The rounding of FormatNumber, for texts of a layout of their own:
// `magnitude` (not negative) times 10^decimals, rounded half away from zero
// on its exact binary value, for a product below kMostScaled.
inline constexpr double kMostScaled = 4.0e15;
std::uint64_t RoundToDecimals(double magnitude, int decimals);

// Appends the formatted number to `text`.
void AppendNumber(std::string& text, double value, const NumberPattern& pattern);

// FormatNumber is written out here, so that a line's writer, which names
// its patterns, has each one's prefix, digits and decimals built in.
namespace number_detail {

inline constexpr std::uint64_t kPowersOfTen[] = {
    1ULL,
    10ULL,
    100ULL,
    1000ULL,
    10000ULL,
    100000ULL,
    1000000ULL,
    10000000ULL,
    100000000ULL,
    1000000000ULL,
    10000000000ULL,
    100000000000ULL,
    1000000000000ULL,
    10000000000000ULL,
    100000000000000ULL,
    1000000000000000ULL,
    10000000000000000ULL,
    100000000000000000ULL,
    1000000000000000000ULL,
    10000000000000000000ULL,
};

inline char* PutPrefix(char* out, std::string_view text) {
    // (every prefix is at most two bytes)
    if (!text.empty()) out[0] = text[0];
    if (text.size() == 2) out[1] = text[1];
    return out + text.size();
}

// Rounds the exact value of magnitude * 10^decimals to an integer, half away
// from zero, in integers: the double is mantissa * 2^exponent, so the scaled
// value is mantissa * 10^decimals (below 2^117) shifted right, and the last
// bit shifted out says whether it rounds up. Valid while the result stays
// below 2^53 (magnitude below 2^52).
inline std::uint64_t RoundScaled(double magnitude, int decimals) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(magnitude);
    const int biased = static_cast<int>(bits >> 52);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    int exponent = -1074;  // subnormal
    if (biased != 0) {
        mantissa |= std::uint64_t{1} << 52;
        exponent = biased - 1075;
    }
    const std::uint64_t power = kPowersOfTen[decimals];
    if (exponent >= 0) return (mantissa << exponent) * power;
    // Shifted right by one bit less than the exponent asks, the last bit is
    // the first one dropped: adding it rounds half away from zero.
    const int keep = -exponent - 1;
#if defined(__SIZEOF_INT128__)
    __extension__ using Wide = unsigned __int128;
    const Wide product = static_cast<Wide>(mantissa) * power;
    const std::uint64_t halves = keep < 128 ? static_cast<std::uint64_t>(product >> keep) : 0;
#else
    // The 128-bit product high:low = mantissa * power.
    const std::uint64_t lowPart = (mantissa & 0xffffffffu) * power;  // below 2^62
    const std::uint64_t highPart = (mantissa >> 32) * power;         // below 2^51
    const std::uint64_t low = lowPart + (highPart << 32);
    const std::uint64_t high = (highPart >> 32) + (low < lowPart ? 1 : 0);
    std::uint64_t halves = 0;
    if (keep == 0) halves = low;
    else if (keep < 64) halves = (low >> keep) | (high << (64 - keep));
    else if (keep < 128) halves = high >> (keep - 64);
#endif
    return (halves + 1) >> 1;
}

// Writes the `count` last decimal digits of `value` (leading zeros
// included) and returns their end.
inline char* PutDigits(char* out, std::uint32_t value, int count) {
    char* const end = out + count;
    char* at = end;
    for (; count >= 2; count -= 2) {
        at -= 2;
        WriteDigitPair(at, value % 100);
        value /= 100;
    }
    if (count == 1) *--at = static_cast<char>('0' + value % 10);
    return end;
}

// An integer part with at least `minDigits` digits (leading zeros).
char* PutInteger(char* out, std::uint64_t value, int minDigits);

// The digits of a value that is not a number, infinite or too large for
// RoundScaled, after the prefix.
char* PutRareDigits(char* out, double magnitude, const NumberPattern& pattern);

}  // namespace number_detail

inline char* FormatNumber(char* out, double value, const NumberPattern& pattern) {
    using namespace number_detail;
    if (value < 0.0) {
        if (pattern.oneSection) *out++ = '-';
        out = PutPrefix(out, pattern.oneSection ? pattern.positivePrefix : pattern.negativePrefix);
    } else {
        out = PutPrefix(out, pattern.positivePrefix);
    }
    const double magnitude = std::fabs(value);
    // (false for NaN too)
    if (!(magnitude * static_cast<double>(kPowersOfTen[pattern.decimals]) < kMostScaled)) {
        return PutRareDigits(out, magnitude, pattern);
    }
    const std::uint64_t scaled = RoundScaled(magnitude, pattern.decimals);
    const std::uint64_t unit = kPowersOfTen[pattern.decimals];
    const std::uint64_t integerPart = scaled / unit;
    if (integerPart != 0 || pattern.integerDigits > 0) {
        if (integerPart < 10000 && pattern.integerDigits <= 4) {
            // A coordinate's or altitude's: four digits are written, then
            // those the number shows taken.
            const auto part = static_cast<unsigned>(integerPart);
            const int digits = part >= 100 ? (part >= 1000 ? 4 : 3) : (part >= 10 ? 2 : 1);
            const int count = digits > pattern.integerDigits ? digits : pattern.integerDigits;
            char four[8] = {};
            WriteDigitPair(four, part / 100);
            WriteDigitPair(four + 2, part % 100);
            std::memcpy(out, four + 4 - count, 4);  // (the room has the bytes beyond)
            out += count;
        } else {
            out = PutInteger(out, integerPart, pattern.integerDigits);
        }
    }
    if (pattern.decimals > 0) {
        *out++ = '.';
        const std::uint64_t fraction = scaled - integerPart * unit;
        if (pattern.decimals <= 9) {
            out = PutDigits(out, static_cast<std::uint32_t>(fraction), pattern.decimals);
        } else {
            out = PutInteger(out, fraction, pattern.decimals);
        }
    }
    return out;
}

}  // namespace torvane
