// Dates and times of the dated outputs: days counted from 1970-01-01 in the
// proleptic Gregorian calendar, and their ISO 8601 text in UTC.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace torvane {

inline constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

// Days from 1970-01-01 to the given date (negative before it).
std::int64_t DaysFromCivil(int year, int month, int day);

// Whether day and month name a day of that year's calendar.
bool IsCivilDate(int year, int month, int day);

// A two-digit year of a receiver or flight recorder: below 80 it is 20yy,
// otherwise 19yy.
int YearOfTwoDigits(int yy);

// The UTC day of `utcMilliseconds` since 1970-01-01 (negative before it) and
// the milliseconds into that day (0 to 86,399,999).
void SplitDay(std::int64_t utcMilliseconds, std::int64_t& days, std::int64_t& inDay);

// "YYYY-MM-DDThh:mm:ssZ" of `utcMilliseconds` since 1970-01-01T00:00:00Z,
// with ".sss" before the "Z" when `milliseconds` (else the fraction is cut).
void AppendIsoTime(std::string& text, std::int64_t utcMilliseconds, bool milliseconds);

// The same for one time after another: the date's text is made once a day.
// Write puts it at `out`, which has kMaxIsoTimeText bytes of room (the
// years of 64-bit milliseconds have 12 digits at the most).
inline constexpr std::size_t kMaxIsoTimeText = 48;
class IsoTimeText {
public:
    char* Write(char* out, std::int64_t utcMilliseconds, bool milliseconds);

private:
    std::int64_t day_ = 0;
    bool made_ = false;
    std::string date_;  // "YYYY-MM-DDT"
};

}  // namespace torvane
