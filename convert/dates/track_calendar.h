// The one date model of every dated output, the summary and the preview:
// which UTC day each position of a log falls on.
//
// A date comes from the log (RMC's date field, ZDA, the IGC header, a GPX
// time) or from the user. Between dates, the day goes one on wherever the
// time of day falls by more than 12 hours from one position to the next (a
// smaller step back is a step back, not a new day). A date the log gives
// resets the running day instead of adding to it, so a midnight seen by two
// sentences of one epoch is counted once. Positions before the first date
// take that date counted back across the midnights between them: a first
// pass with an undated calendar finds the first position's day, and the run
// starts a calendar on it.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>

#include "convert/rounding.h"

namespace torvane {

// Whether the time of day falls by more than 12 hours from `previous` to
// `next` (seconds since midnight): the track passed midnight. Judged on the
// times in whole milliseconds, as they are written: a fall of exactly 12
// hours is none, whatever a difference of binary fractions says.
inline bool PassesMidnight(double previous, double next) {
    constexpr double kHalfDayMilliseconds = 12 * 3600 * 1000;
    const double from = previous * 1000, to = next * 1000;
    // Rounding moves each time by half a millisecond at most: a fall that
    // is a second short of 12 hours (or a rise) is none, without rounding.
    if (from - to < kHalfDayMilliseconds - 1000) return false;
    return RoundToWhole(from) - RoundToWhole(to) > kHalfDayMilliseconds;
}

class TrackCalendar {
public:
    // A calendar that does not know the day yet: it counts the days from
    // the first position until the log gives a date.
    TrackCalendar() = default;
    // A calendar whose first position falls on `firstDay` (days since 1970-01-01).
    explicit TrackCalendar(std::int64_t firstDay) : day_(firstDay), known_(true), startDay_(firstDay) {}

    // The log gives `day`, at `timeOfDay` where its sentence carries one.
    void DateGiven(std::int64_t day, std::optional<double> timeOfDay);

    // The next position, at `timeOfDay`: its UTC time in milliseconds since
    // 1970-01-01, or none while the day is not known.
    std::optional<std::int64_t> Position(double timeOfDay);

    // The first position's day, once a date is known and a position was seen.
    std::optional<std::int64_t> FirstDay() const { return firstDay_; }

    // Whether this calendar, begun at a later part of a log, dates that
    // part's positions as `earlier`, the calendar of the log before it,
    // would have gone on to date them: both agree once told what this one
    // was told up to its first time of day.
    bool Continues(const TrackCalendar& earlier) const;

private:
    void Step(double timeOfDay);
    void TellFirstSteps(TrackCalendar& other) const;

    std::int64_t day_ = 0;  // the day in force; counted from the first position while not known
    bool known_ = false;
    bool anyPosition_ = false;
    std::optional<double> lastTime_;
    std::optional<std::int64_t> firstDay_;

    // What the calendar was begun with and told up to its first time of day.
    std::optional<std::int64_t> startDay_;
    std::optional<std::int64_t> dateBeforeFirstTime_;
    struct FirstTime {
        double timeOfDay;
        std::optional<std::int64_t> date;  // given with it; else a position's
    };
    std::optional<FirstTime> firstTime_;
};

}  // namespace torvane
