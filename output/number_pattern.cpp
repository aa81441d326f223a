#include "number_pattern.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "digit_pairs.h"

namespace torvane {
namespace {

using number_detail::kPowersOfTen;

char* Append(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

char* AppendZeros(char* out, int count) {
    for (int i = 0; i < count; ++i) *out++ = '0';
    return out;
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

char* number_detail::PutInteger(char* out, std::uint64_t value, int minDigits) { return WritePadded(out, value, minDigits); }

char* number_detail::PutRareDigits(char* out, double magnitude, const NumberPattern& pattern) {
    if (std::isnan(magnitude)) return Append(out, "nan");
    if (std::isinf(magnitude)) return Append(out, "inf");
    return WriteLarge(out, magnitude, pattern.integerDigits, pattern.decimals);
}

std::uint64_t RoundToDecimals(double magnitude, int decimals) { return number_detail::RoundScaled(magnitude, decimals); }

void AppendNumber(std::string& text, double value, const NumberPattern& pattern) {
    char buffer[kMaxNumberText];
    const char* end = FormatNumber(buffer, value, pattern);
    text.append(buffer, static_cast<std::size_t>(end - buffer));
}

}  // namespace torvane
