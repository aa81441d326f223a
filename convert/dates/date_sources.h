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

// The day of the date field "ddmmyy" an RMC sentence had last, which a log
// repeats line after line: the same six characters give the same day.
class ShortDateMemo {
public:
    // The day of `field` (six characters), none for no date.
    std::optional<std::int64_t> Day(std::string_view field);

private:
    std::uint64_t text_ = 0;  // the six characters, as the low bytes
    bool any_ = false;
    std::optional<std::int64_t> day_;
};

// The date of an NMEA line holding `$..RMC` with status "A" and a date field
// of six digits ddmmyy, or `$..ZDA,hhmmss.ss,dd,mm,yyyy` (yyyy from 0001);
// none otherwise (a void RMC sets no date).
std::optional<GivenDate> NmeaSentenceDate(std::string_view line);
// The same, with the RMC date field's day taken from `memo` where it holds it.
std::optional<GivenDate> NmeaSentenceDate(std::string_view line, ShortDateMemo& memo);

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
