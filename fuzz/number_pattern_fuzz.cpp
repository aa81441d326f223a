// The number patterns on arbitrary doubles (first byte odd: eight bytes of
// a double follow) or on the leading number of arbitrary text (first byte
// even). The written text must be the exact decimal value rounded half away
// from zero, in the section the sign chooses; and the leading number must be
// the correctly rounded value of the digits read.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "convert/text_scan.h"
#include "fuzz_support.h"
#include "output/number_pattern.h"

namespace {

using torvane::NumberPattern;
using torvane::fuzz::Require;

const NumberPattern& PatternAt(unsigned index) {
    namespace p = torvane::patterns;
    static constexpr const NumberPattern* kAll[] = {
        &p::TableTime,    &p::Latitude,         &p::TableLongitude,   &p::TableAltitude, &p::KmlLongitude,
        &p::KmlAltitude,  &p::KmlTupleLatitude, &p::KmlTupleAltitude, &p::OvlLongitude,  &p::OvlLatitude,
    };
    return *kAll[index % (sizeof kAll / sizeof kAll[0])];
}

// The text the pattern must give, from the exact decimal expansion of the
// value that the C library prints.
std::string Expected(double value, const NumberPattern& pattern) {
    std::string text;
    if (value < 0) {
        text = pattern.oneSection ? "-" + std::string(pattern.positivePrefix) : std::string(pattern.negativePrefix);
    } else {
        text = pattern.positivePrefix;
    }
    if (std::isnan(value)) return text + "nan";
    if (std::isinf(value)) return text + "inf";

    static constexpr int kAllDecimals = 1100;  // more than any double has
    char exact[1500];
    std::snprintf(exact, sizeof exact, "%.*f", kAllDecimals, std::fabs(value));
    std::string digits(exact);
    const std::size_t point = digits.find('.');
    const bool up = digits[point + 1 + static_cast<std::size_t>(pattern.decimals)] >= '5';
    digits.resize(point + 1 + static_cast<std::size_t>(pattern.decimals));
    digits.insert(0, "0");  // room for a carry
    for (std::size_t i = digits.size(); up && i-- > 0;) {
        if (digits[i] == '.') continue;
        if (digits[i] == '9') {
            digits[i] = '0';
        } else {
            ++digits[i];
            break;
        }
    }
    std::string integer = digits.substr(0, digits.find('.'));
    integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size()));
    if (static_cast<int>(integer.size()) < pattern.integerDigits) {
        integer.insert(0, static_cast<std::size_t>(pattern.integerDigits) - integer.size(), '0');
    }
    return text + integer + digits.substr(digits.find('.'));
}

// Written digits read back lie within half a unit of the last decimal.
void CheckReadBack(double value, const NumberPattern& pattern, const std::string& written) {
    if (!std::isfinite(value) || std::fabs(value) > 1e15) return;
    const std::size_t digits = written.find_first_of("0123456789.");
    const long double back = std::strtold(written.c_str() + digits, nullptr);
    const long double unit = std::pow(10.0L, -pattern.decimals);
    const long double error = std::fabs(back - std::fabs(static_cast<long double>(value)));
    Require(error <= unit / 2 * (1 + 1e-15L) + std::fabs(value) * 1e-18L, "written value is not within half a unit",
            written);
}

// The number at the start of `text` as LeadingNumber reads it, as text for
// the C library: blanks skipped, a sign, digits with at most one point.
std::string NumberPrefix(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    std::string out;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) out += text[i++];
    bool point = false;
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            out += text[i];
        } else if (text[i] == '.' && !point) {
            point = true;
            out += '.';
        } else {
            break;
        }
    }
    return out;
}

void CheckLeadingNumber(std::string_view text, double value) {
    const std::string prefix = NumberPrefix(text);
    const bool anyDigit = prefix.find_first_of("0123456789") != std::string::npos;
    const double expected = anyDigit ? std::strtod(prefix.c_str(), nullptr) : 0.0;
    // Values below the normal range may read as 0.
    const bool tiny = expected != 0 && std::fabs(expected) < 2.3e-308 && value == 0;
    Require(value == expected || tiny, "leading number is not the correctly rounded value", prefix);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const NumberPattern& pattern = PatternAt(data[0] >> 1);
    double value = 0;
    if ((data[0] & 1) != 0) {
        unsigned char bytes[sizeof value] = {};
        std::memcpy(bytes, data + 1, std::min(size - 1, sizeof bytes));
        std::memcpy(&value, bytes, sizeof value);
    } else {
        const std::string_view text = torvane::fuzz::AsText(data + 1, size - 1);
        value = torvane::LeadingNumber(text);
        CheckLeadingNumber(text, value);
    }

    char buffer[torvane::kMaxNumberText];
    const char* end = torvane::FormatNumber(buffer, value, pattern);
    const std::string written(buffer, static_cast<std::size_t>(end - buffer));
    Require(written.size() < sizeof buffer, "text longer than the room FormatNumber asks for");
    Require(written == Expected(value, pattern), "number text differs from the exact rounding",
            written + " / expected " + Expected(value, pattern));
    CheckReadBack(value, pattern, written);
    return 0;
}
