// The texts of the shaping options: the times of a crop, a time shift, the
// pause that splits a track. Each is the whole of its text, or none.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace torvane {

// "YYYY-MM-DDThh:mm:ss", an optional fraction (to milliseconds), and a zone
// that must be there: "Z", "+hh:mm", "-hh:mm", "+hhmm" or "+hh". Milliseconds
// since 1970-01-01T00:00:00Z.
std::optional<std::int64_t> ParseZonedTime(std::string_view text);

// "hh:mm:ss" with an optional sign ("+01:00:00", "-00:00:30"; hours of one
// to six digits, minutes and seconds of two below 60): milliseconds.
std::optional<std::int64_t> ParseTimeShift(std::string_view text);

// A duration: "hh:mm:ss" (hours of one to six digits), or a whole number
// of seconds, minutes or hours ("90", "90s", "15m", "2h"; up to nine
// digits): milliseconds.
std::optional<std::int64_t> ParseDuration(std::string_view text);

}  // namespace torvane
