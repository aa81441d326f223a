#include "number_pattern.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "digit_pairs.h"

namespace torvane {
namespace {

constexpr std::uint64_t kPowersOfTen[] = {
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

char* Append(char* out, std::string_view text) {
    if (text.size() <= 2) {  // every prefix: written byte by byte, not by a call
        if (!text.empty()) out[0] = text[0];
        if (text.size() == 2) out[1] = text[1];
    } else {
        std::memcpy(out, text.data(), text.size());
    }
    return out + text.size();
}

char* AppendZeros(char* out, int count) {
    for (int i = 0; i < count; ++i) *out++ = '0';
    return out;
}

// Rounds the exact value of magnitude * 10^decimals to an integer, half away
// from zero, in integers: the double is mantissa * 2^exponent, so the scaled
// value is mantissa * 10^decimals (below 2^83) shifted right, and the last
// bit shifted out says whether it rounds up. Valid while the result stays
// below 2^53 (magnitude below 2^52, exponent negative).
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
    // The 128-bit product high:low = mantissa * power.
    const std::uint64_t lowPart = (mantissa & 0xffffffffu) * power;  // below 2^62
    const std::uint64_t highPart = (mantissa >> 32) * power;         // below 2^51
    const std::uint64_t low = lowPart + (highPart << 32);
    const std::uint64_t high = (highPart >> 32) + (low < lowPart ? 1 : 0);
    // Shifted right by one bit less than the exponent asks, the last bit is
    // the first one dropped: adding it rounds half away from zero.
    const int keep = -exponent - 1;
    std::uint64_t halves = 0;
    if (keep == 0) halves = low;
    else if (keep < 64) halves = (low >> keep) | (high << (64 - keep));
    else if (keep < 128) halves = high >> (keep - 64);
    return (halves + 1) >> 1;
}

// Writes `value` in decimal with at least `minDigits` digits (leading zeros).
char* WritePadded(char* out, std::uint64_t value, int minDigits) {
    int count = minDigits > 1 ? minDigits : 1;
    while (count < 20 && value >= kPowersOfTen[count]) ++count;
    char* const end = out + count;
    char* at = end;
    while (value >= 100) {
        const std::size_t pair = static_cast<std::size_t>(value % 100) * 2;
        value /= 100;
        at -= 2;
        at[0] = kDigitPairs[pair];
        at[1] = kDigitPairs[pair + 1];
    }
    if (value >= 10) {
        at -= 2;
        at[0] = kDigitPairs[value * 2];
        at[1] = kDigitPairs[value * 2 + 1];
    } else {
        *--at = static_cast<char>('0' + value);
    }
    while (at > out) *--at = '0';
    return end;
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
    if (magnitude * scale < kMostScaled) {
        return WriteScaled(out, RoundScaled(magnitude, pattern.decimals), pattern.integerDigits, pattern.decimals);
    }
    return WriteLarge(out, magnitude, pattern.integerDigits, pattern.decimals);
}

std::uint64_t RoundToDecimals(double magnitude, int decimals) { return RoundScaled(magnitude, decimals); }

void AppendNumber(std::string& text, double value, const NumberPattern& pattern) {
    char buffer[kMaxNumberText];
    const char* end = FormatNumber(buffer, value, pattern);
    text.append(buffer, static_cast<std::size_t>(end - buffer));
}

}  // namespace torvane
