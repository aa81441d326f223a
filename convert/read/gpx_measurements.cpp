#include "convert/read/gpx_measurements.h"

#include <cmath>

#include "convert/read/text_scan.h"

namespace torvane {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A sign, digits, at most one "." among them, and at least one digit.
bool PlainNumber(std::string_view text, double& value) {
    text = Trimmed(text);
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    bool digit = false, point = false;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (!digit) return false;
    value = LeadingNumber(text);
    return std::isfinite(value);
}

// Which measurement an element's local name (without its prefix) holds.
std::uint8_t MeasureOf(std::string_view name) {
    switch (name.size()) {
        case 2: return name == "hr" ? Measurements::kHeartRate : 0;
        case 3: return name == "cad" ? Measurements::kCadence : 0;
        case 4: return name == "temp" ? Measurements::kTemperature : 0;
        case 5:
            if (name == "atemp") return Measurements::kTemperature;
            if (name == "speed") return Measurements::kSpeed;
            return name == "power" ? Measurements::kPower : 0;
        case 7: return name == "cadence" ? Measurements::kCadence : 0;
        case 12: return name == "PowerInWatts" ? Measurements::kPower : 0;
        default: return 0;
    }
}

// `value` rounded to a whole number within [0, most].
bool Whole(double value, double most, long& whole) {
    if (value < -0.5 || value >= most + 0.5) return false;
    whole = std::lround(value);
    return true;
}

}  // namespace

void ReadGpxMeasurement(std::string_view line, Measurements& m) {
    const std::size_t open = line.find('<');
    if (open == std::string_view::npos) return;
    std::size_t end = open + 1;
    while (end < line.size() && line[end] != '>' && line[end] != '/' && !IsBlank(line[end])) ++end;
    std::string_view name = line.substr(open + 1, end - open - 1);
    if (const std::size_t colon = name.rfind(':'); colon != std::string_view::npos) name.remove_prefix(colon + 1);
    const std::uint8_t bit = MeasureOf(name);
    if (bit == 0) return;
    const std::size_t tagEnd = line.find('>', end);
    if (tagEnd == std::string_view::npos || line[tagEnd - 1] == '/') return;
    const std::size_t next = line.find('<', tagEnd);
    if (next == std::string_view::npos) return;
    double value = 0;
    if (!PlainNumber(line.substr(tagEnd + 1, next - tagEnd - 1), value)) return;
    long whole = 0;
    switch (bit) {
        case Measurements::kHeartRate:
            if (!Whole(value, 255, whole)) return;
            m.heartRate = static_cast<std::uint8_t>(whole);
            break;
        case Measurements::kCadence:
            if (!Whole(value, 255, whole)) return;
            m.cadence = static_cast<std::uint8_t>(whole);
            break;
        case Measurements::kPower:
            if (!Whole(value, 65535, whole)) return;
            m.power = static_cast<std::uint16_t>(whole);
            break;
        case Measurements::kTemperature:
            if (std::fabs(value) >= 3276.75) return;
            m.temperature = static_cast<std::int16_t>(std::lround(value * 10));
            break;
        default:  // the speed
            if (value < 0 || value >= 1e9) return;
            m.speed = static_cast<float>(value);
            break;
    }
    m.has |= bit;
}

}  // namespace torvane
