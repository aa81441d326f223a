#include "number_pattern.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace torvane {
namespace {

constexpr std::uint64_t kPowersOfTen[] = {
    1ULL,         10ULL,         100ULL,         1000ULL,         10000ULL,
    100000ULL,    1000000ULL,    10000000ULL,    100000000ULL,    1000000000ULL,
};

char* Append(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

char* AppendZeros(char* out, int count) {
    for (int i = 0; i < count; ++i) *out++ = '0';
    return out;
}

// Rounds the exact value of magnitude * 10^decimals to an integer, half away
// from zero. Valid while the scaled value stays below 2^52, where every
// x + 0.5 is exactly representable; fma then gives the sign of the exact
// difference, so no double rounding can move a value across a boundary.
std::uint64_t RoundScaled(double magnitude, double scale) {
    const double n0 = std::floor(magnitude * scale);
    if (std::fma(magnitude, scale, -(n0 + 0.5)) >= 0.0) {
        if (std::fma(magnitude, scale, -(n0 + 1.5)) >= 0.0) return static_cast<std::uint64_t>(n0) + 2;
        return static_cast<std::uint64_t>(n0) + 1;
    }
    if (n0 >= 1.0 && std::fma(magnitude, scale, -(n0 - 0.5)) < 0.0) return static_cast<std::uint64_t>(n0) - 1;
    return static_cast<std::uint64_t>(n0);
}

// Writes `value` in decimal with at least `minDigits` digits (leading zeros).
char* WritePadded(char* out, std::uint64_t value, int minDigits) {
    char digits[24];
    char* first = digits + sizeof digits;
    do {
        *--first = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    const char* const padTo = digits + sizeof digits - minDigits;
    while (first > padTo) *--first = '0';
    const std::size_t count = static_cast<std::size_t>(digits + sizeof digits - first);
    std::memcpy(out, first, count);
    return out + count;
}

// Writes integer part and decimals of a magnitude that fits the fast path.
char* WriteScaled(char* out, std::uint64_t scaled, int integerDigits, int decimals) {
    const std::uint64_t unit = kPowersOfTen[decimals];
    const std::uint64_t integerPart = scaled / unit;
    if (integerPart != 0 || integerDigits > 0) out = WritePadded(out, integerPart, integerDigits);
    if (decimals > 0) {
        *out++ = '.';
        out = WritePadded(out, scaled % unit, decimals);
    }
    return out;
}

// Large magnitudes: their exact decimal expansion is short, so it is written
// in full and rounded as text.
char* WriteLarge(char* out, double magnitude, int integerDigits, int decimals) {
    constexpr int kExactDecimals = 40;  // covers every fraction of a value >= 2^25
    char text[400];
    text[0] = '0';  // room for a carry into a new leading digit
    const auto result = std::to_chars(text + 1, text + sizeof text, magnitude, std::chars_format::fixed,
                                      kExactDecimals);
    char* const end = result.ptr;
    char* const point = static_cast<char*>(std::memchr(text + 1, '.', static_cast<std::size_t>(end - text - 1)));
    char* const cut = point + 1 + decimals;  // first digit that is dropped
    if (*cut >= '5') {
        char* digit = cut - 1;
        for (;; --digit) {
            if (*digit == '.') continue;
            if (*digit == '9') {
                *digit = '0';
                continue;
            }
            ++*digit;
            break;
        }
    }
    const char* first = text[0] == '0' ? text + 1 : text;
    const int count = static_cast<int>(point - first);
    out = AppendZeros(out, integerDigits - count);
    const std::size_t length = static_cast<std::size_t>(decimals > 0 ? cut - first : point - first);
    std::memcpy(out, first, length);
    return out + length;
}

}  // namespace

char* FormatNumber(char* out, double value, const NumberPattern& pattern) {
    const bool negative = value < 0.0;
    if (negative) {
        if (pattern.oneSection) {
            *out++ = '-';
            out = Append(out, pattern.positivePrefix);
        } else {
            out = Append(out, pattern.negativePrefix);
        }
    } else {
        out = Append(out, pattern.positivePrefix);
    }

    if (std::isnan(value)) return Append(out, "nan");
    const double magnitude = std::fabs(value);
    if (std::isinf(magnitude)) return Append(out, "inf");

    const double scale = static_cast<double>(kPowersOfTen[pattern.decimals]);
    if (magnitude * scale < 4.0e15) {
        return WriteScaled(out, RoundScaled(magnitude, scale), pattern.integerDigits, pattern.decimals);
    }
    return WriteLarge(out, magnitude, pattern.integerDigits, pattern.decimals);
}

void AppendNumber(std::string& text, double value, const NumberPattern& pattern) {
    char buffer[kMaxNumberText];
    const char* end = FormatNumber(buffer, value, pattern);
    text.append(buffer, static_cast<std::size_t>(end - buffer));
}

}  // namespace torvane
