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

#include "convert/read/text_scan.h"
#include "fuzz_support.h"
#include "number_oracle.h"
#include "output/number_pattern.h"

namespace {

using torvane::NumberPattern;
using torvane::fuzz::Require;

const NumberPattern& PatternAt(unsigned index) {
    constexpr auto& all = torvane::oracle::kAllPatterns;
    return *all[index % (sizeof all / sizeof all[0])];
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

void CheckLeadingNumber(std::string_view text, double value) {
    Require(torvane::oracle::SameLeadingNumber(value, torvane::oracle::LeadingNumberValue(text)),
            "leading number is not the correctly rounded value", text);
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
    const std::string expected = torvane::oracle::PatternText(value, pattern);
    Require(written == expected, "number text differs from the exact rounding", written + " / expected " + expected);
    CheckReadBack(value, pattern, written);
    return 0;
}
