#include "convert/shape/shape_text.h"

#include "convert/dates/date_sources.h"

namespace torvane {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The number of the digits [at, at + count) of `text`, or -1 where one is no digit.
std::int64_t Number(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size() || count == 0) return -1;
    std::int64_t value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (!IsDigit(text[i])) return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// Whether `zone` is a whole zone: "Z", or a sign with hh, hhmm or hh:mm.
bool IsZone(std::string_view zone) {
    if (zone == "Z") return true;
    if (zone.empty() || (zone[0] != '+' && zone[0] != '-')) return false;
    zone.remove_prefix(1);
    if (zone.size() == 2) return Number(zone, 0, 2) >= 0;
    if (zone.size() == 4) return Number(zone, 0, 4) >= 0;
    return zone.size() == 5 && zone[2] == ':' && Number(zone, 0, 2) >= 0 && Number(zone, 3, 2) >= 0;
}

}  // namespace

std::optional<std::int64_t> ParseZonedTime(std::string_view text) {
    // The date and time have their fixed 19 places; IsoTimeMilliseconds checks them.
    std::size_t at = 19;
    if (text.size() <= at) return std::nullopt;
    if (text[at] == '.' || text[at] == ',') {
        ++at;
        const std::size_t digits = at;
        while (at < text.size() && IsDigit(text[at])) ++at;
        if (at == digits) return std::nullopt;
    }
    if (!IsZone(text.substr(at))) return std::nullopt;
    return IsoTimeMilliseconds(text);
}

std::optional<std::int64_t> ParseTimeShift(std::string_view text) {
    std::int64_t sign = 1;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        sign = text[0] == '-' ? -1 : 1;
        text.remove_prefix(1);
    }
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon > 6 || text.size() != colon + 6 || text[colon + 3] != ':') {
        return std::nullopt;
    }
    const std::int64_t hours = Number(text, 0, colon), minutes = Number(text, colon + 1, 2),
                       seconds = Number(text, colon + 4, 2);
    if (hours < 0 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59) return std::nullopt;
    return sign * ((hours * 60 + minutes) * 60 + seconds) * 1000;
}

std::optional<std::int64_t> ParseDuration(std::string_view text) {
    if (text.empty() || text[0] == '+' || text[0] == '-') return std::nullopt;
    if (text.find(':') != std::string_view::npos) return ParseTimeShift(text);
    std::int64_t unit = 1000;
    switch (text.back()) {
        case 's': text.remove_suffix(1); break;
        case 'm':
            unit = 60'000;
            text.remove_suffix(1);
            break;
        case 'h':
            unit = 3'600'000;
            text.remove_suffix(1);
            break;
        default: break;
    }
    if (text.size() > 9) return std::nullopt;
    const std::int64_t count = Number(text, 0, text.size());
    if (count < 0) return std::nullopt;
    return count * unit;
}

}  // namespace torvane
