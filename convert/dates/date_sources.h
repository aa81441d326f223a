// Where a log gives its date: the date field of an RMC sentence, a ZDA
// sentence (of any talker), the date line of an IGC header, the time of a
// GPX track point.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace torvane {

struct GivenDate {
    std::int64_t day = 0;                 // days since 1970-01-01
    std::optional<double> timeOfDay;      // seconds since midnight of that day, where the sentence has a time
};

// The date of an NMEA line holding `$..RMC` with status "A" and a date field
// of six digits ddmmyy, or `$..ZDA,hhmmss.ss,dd,mm,yyyy` (yyyy from 0001);
// none otherwise (a void RMC sets no date).
std::optional<GivenDate> NmeaSentenceDate(std::string_view line);

// The date of an IGC header line "HFDTEddmmyy", "HFDTEDATE:ddmmyy,nn" or
// "HFDTEDATE: ddmmyy".
std::optional<std::int64_t> IgcHeaderDate(std::string_view line);

// "YYYY-MM-DD" of a day of the calendar from 0001-01-01 on: days since
// 1970-01-01.
std::optional<std::int64_t> IsoDateDays(std::string_view text);

// An ISO 8601 date and time "YYYY-MM-DDThh:mm:ss", with an optional fraction
// (kept to milliseconds) and zone ("Z", "+hh:mm", "-hh:mm"; none is taken as
// UTC), from the start of `text`: milliseconds since 1970-01-01T00:00:00Z;
// none for a time before 0001-01-01T00:00:00Z.
std::optional<std::int64_t> IsoTimeMilliseconds(std::string_view text);

}  // namespace torvane
