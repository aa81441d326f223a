#include "coordinate_text.h"

#include <charconv>
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

void AppendAltitude(std::string& text, float metres) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, metres);
    text.append(buffer, result.ptr);
}

std::string JsonText(std::string_view text) { return Utf8Text(text, JsonAscii); }

}  // namespace torvane
