#include "coordinate_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

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

}  // namespace

void AppendDegrees(std::string& text, double degrees, bool longitude) {
    char buffer[kMaxNumberText];
    const char* end = FormatNumber(buffer, degrees, kDegrees);
    std::string_view digits(buffer, static_cast<std::size_t>(end - buffer));
    if (digits == "-0.0000000") digits.remove_prefix(1);
    if (longitude && digits == "180.0000000") digits = "-180.0000000";
    text += digits;
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
    const double value = metres;
    std::int64_t scale = 1;
    for (int decimals = 0; decimals <= 2; ++decimals, scale *= 10) {
        const double scaled = std::nearbyint(value * static_cast<double>(scale));
        if (static_cast<float>(scaled / static_cast<double>(scale)) != metres) continue;
        const auto units = static_cast<std::int64_t>(std::fabs(scaled));
        if (metres < 0) *out++ = '-';
        out = std::to_chars(out, out + 8, units / scale).ptr;
        if (decimals > 0) *out++ = '.';
        if (decimals == 2) *out++ = static_cast<char>('0' + units % 100 / 10);
        if (decimals > 0) *out++ = static_cast<char>('0' + units % 10);
        return out;
    }
    return nullptr;
}

void AppendAltitude(std::string& text, float metres) {
    char buffer[64];
    const char* end = FewDecimalsAltitude(buffer, metres);
    if (end == nullptr) end = std::to_chars(buffer, buffer + sizeof buffer, metres).ptr;
    text.append(buffer, static_cast<std::size_t>(end - buffer));
}

std::string JsonText(std::string_view text) { return Utf8Text(text, JsonAscii); }

}  // namespace torvane
