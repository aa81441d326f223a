#include "track_calendar.h"

#include <cmath>

#include "output/track_time.h"

namespace torvane {

void TrackCalendar::Step(double timeOfDay) {
    if (lastTime_ && PassesMidnight(*lastTime_, timeOfDay)) ++day_;
    lastTime_ = timeOfDay;
}

void TrackCalendar::DateGiven(std::int64_t day, std::optional<double> timeOfDay) {
    if (timeOfDay) Step(*timeOfDay);
    // Until now the day was counted from the first position.
    if (!known_ && anyPosition_) firstDay_ = day - day_;
    day_ = day;
    known_ = true;
}

std::optional<std::int64_t> TrackCalendar::Position(double timeOfDay) {
    Step(timeOfDay);
    if (!anyPosition_) {
        anyPosition_ = true;
        if (known_) firstDay_ = day_;
    }
    // A garbled time field can hold any number; only a time within a few
    // days of its date is a time at all.
    if (!known_ || !(std::fabs(timeOfDay) < 10 * 86400.0)) return std::nullopt;
    return day_ * kMillisecondsPerDay + std::llround(timeOfDay * 1000);
}

}  // namespace torvane
