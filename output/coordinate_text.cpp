#include "coordinate_text.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "digit_pairs.h"
#include "number_pattern.h"
#include "utf8_text.h"

namespace torvane {
namespace {

constexpr NumberPattern kDegrees{"", "-", false, 1, 7};

void JsonAscii(std::string& out, char c) {
    if (c == '"' || c == '\\') {
        out += '\\';
        out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
        static constexpr char kHex[] = "0123456789abcdef";
        out += "\\u00";
        out += kHex[(c >> 4) & 0xF];
        out += kHex[c & 0xF];
    } else {
        out += c;
    }
}

// The whole number nearest `x` (|x| below 2^51), halves to the even one,
// as std::nearbyint in the default rounding: where doubles are computed in
// their own precision, adding and taking away 1.5 * 2^52 leaves no fraction.
double NearestWhole(double x) {
#if FLT_EVAL_METHOD == 0
    constexpr double kNoFraction = 6755399441055744.0;
    return (x + kNoFraction) - kNoFraction;
#else
    return std::nearbyint(x);
#endif
}

// `value` (below 100,000) in its digits, no leading zero.
char* PutWhole(char* out, std::uint32_t value) {
    const int digits = value >= 1000 ? (value >= 10000 ? 5 : 4) : (value >= 100 ? 3 : (value >= 10 ? 2 : 1));
    return number_detail::PutDigits(out, value, digits);
}

// `metres` with `Decimals` decimals, when their nearest value reads back as
// `metres` (|metres| below 100 km); else null.
template <int Decimals>
char* AltitudeWithDecimals(char* out, float metres) {
    constexpr std::uint32_t kScale = Decimals == 0 ? 1 : Decimals == 1 ? 10 : 100;
    const double scaled = NearestWhole(static_cast<double>(metres) * kScale);
    if (static_cast<float>(scaled / kScale) != metres) return nullptr;
    const auto units = static_cast<std::uint32_t>(std::fabs(scaled));
    if (metres < 0) *out++ = '-';
    out = PutWhole(out, units / kScale);
    if constexpr (Decimals > 0) *out++ = '.';
    if constexpr (Decimals == 2) *out++ = static_cast<char>('0' + units % 100 / 10);
    if constexpr (Decimals > 0) *out++ = static_cast<char>('0' + units % 10);
    return out;
}

// The altitudes logs hold (whole metres, or one or two decimals, below
// 100 km) without the library's general search for the shortest digits: the
// fewest decimals whose nearest value reads back as `metres` are those
// digits. Below 100 km two decimals are finer than a float's steps, so that
// value is the only one with as few digits, and a fixed text is no longer
// than an exponent one. Null for any other value (and for zero, whose sign
// the library keeps).
char* FewDecimalsAltitude(char* out, float metres) {
    if (!(std::fabs(metres) < 1e5f) || metres == 0) return nullptr;
    if (char* const end = AltitudeWithDecimals<0>(out, metres)) return end;
    if (char* const end = AltitudeWithDecimals<1>(out, metres)) return end;
    return AltitudeWithDecimals<2>(out, metres);
}

}  // namespace

char* WriteDegrees(char* out, double degrees, bool longitude) {
    const double magnitude = std::fabs(degrees);
    // Beyond any coordinate (a garbled field, or not a number): neither
    // zero nor 180, so the general pattern writes it as it is.
    if (!(magnitude < 900)) return FormatNumber(out, degrees, kDegrees);
    // (in units of 1e-7, rounded half away from zero)
    const std::uint64_t scaled = number_detail::RoundScaled(magnitude, 7);
    if ((degrees < 0 && scaled != 0) || (longitude && scaled == 1'800'000'000)) *out++ = '-';
    const auto whole = static_cast<unsigned>(scaled / 10'000'000);
    auto decimals = static_cast<unsigned>(scaled % 10'000'000);
    if (whole >= 100) *out++ = static_cast<char>('0' + whole / 100);
    if (whole >= 10) *out++ = static_cast<char>('0' + whole / 10 % 10);
    *out++ = static_cast<char>('0' + whole % 10);
    *out++ = '.';
    WriteDigitPair(out + 5, decimals % 100);
    decimals /= 100;
    WriteDigitPair(out + 3, decimals % 100);
    decimals /= 100;
    WriteDigitPair(out + 1, decimals % 100);
    out[0] = static_cast<char>('0' + decimals / 100);
    return out + 7;
}

void AppendDegrees(std::string& text, double degrees, bool longitude) {
    char buffer[kMaxCoordinateText];
    text.append(buffer, WriteDegrees(buffer, degrees, longitude));
}

char* WriteAltitude(char* out, float metres) {
    char* const end = FewDecimalsAltitude(out, metres);
    return end != nullptr ? end : std::to_chars(out, out + kMaxCoordinateText, metres).ptr;
}

void AppendAltitude(std::string& text, float metres) {
    char buffer[kMaxCoordinateText];
    text.append(buffer, WriteAltitude(buffer, metres));
}

std::string JsonText(std::string_view text) { return Utf8Text(text, JsonAscii); }

}  // namespace torvane
