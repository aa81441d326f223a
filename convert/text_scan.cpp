#include "text_scan.h"

#include <charconv>
#include <cstring>
#include <limits>

namespace torvane {

double LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t start = i;
    bool sawPoint = false;
    bool sawDigit = false;
    bool integerNonZero = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            sawDigit = true;
            if (!sawPoint && c != '0') integerNonZero = true;
        } else if (c == '.' && !sawPoint) {
            sawPoint = true;
        } else {
            break;
        }
    }
    if (!sawDigit) return 0.0;

    double value = 0.0;
    const auto result = std::from_chars(text.data() + start, text.data() + i, value, std::chars_format::fixed);
    if (result.ec == std::errc::result_out_of_range) {
        // No exponent is read, so only a huge integer part or a long run of
        // zeros after the point can leave the range of a double.
        value = integerNonZero ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (result.ec != std::errc{}) {
        value = 0.0;
    }
    return negative ? -value : value;
}

void ScanMarkPositions(std::string_view line, char mark, int last, std::array<int, 16>& positions) {
    positions[0] = 1;
    for (int i = 1; i <= last; ++i) {
        // Search from 1-based position positions[i-1] + 1, i.e. 0-based index positions[i-1].
        const std::size_t from = static_cast<std::size_t>(positions[i - 1]);
        const void* hit = from < line.size() ? std::memchr(line.data() + from, mark, line.size() - from) : nullptr;
        positions[i] = hit ? static_cast<int>(static_cast<const char*>(hit) - line.data()) + 1 : 0;
    }
}

std::string_view TextBetween(std::string_view line, int from, int to) {
    const int length = to - from - 1;
    if (length <= 0) return {};
    return Mid(line, from + 1, length);
}

std::string_view Mid(std::string_view text, int start, int length) {
    if (start < 1 || length <= 0) return {};
    const std::size_t index = static_cast<std::size_t>(start - 1);
    if (index >= text.size()) return {};
    return text.substr(index, static_cast<std::size_t>(length));
}

std::string_view MidToEnd(std::string_view text, int start) {
    if (start < 1) return text;
    const std::size_t index = static_cast<std::size_t>(start - 1);
    if (index >= text.size()) return {};
    return text.substr(index);
}

}  // namespace torvane
