#include "convert/dates/track_calendar.h"

#include <cmath>

#include "convert/rounding.h"
#include "output/track_time.h"

namespace torvane {

void TrackCalendar::Step(double timeOfDay) {
    if (lastTime_ && PassesMidnight(*lastTime_, timeOfDay)) ++day_;
    lastTime_ = timeOfDay;
}

void TrackCalendar::DateGiven(std::int64_t day, std::optional<double> timeOfDay) {
    if (!firstTime_) {
        if (timeOfDay) firstTime_ = FirstTime{*timeOfDay, day};
        else dateBeforeFirstTime_ = day;
    }
    // A date with its own time of day steps on to it; a date alone (a flight's
    // header) starts afresh: the next position is measured from it, not from
    // the position before it.
    if (timeOfDay) {
        Step(*timeOfDay);
    } else {
        lastTime_.reset();
    }
    // Until now the day was counted from the first position.
    if (!known_ && anyPosition_) firstDay_ = day - day_;
    day_ = day;
    known_ = true;
}

std::optional<std::int64_t> TrackCalendar::Position(double timeOfDay) {
    if (!firstTime_) firstTime_ = FirstTime{timeOfDay, std::nullopt};
    Step(timeOfDay);
    if (!anyPosition_) {
        anyPosition_ = true;
        if (known_) firstDay_ = day_;
    }
    // A garbled time field can hold any number; only a time within a few
    // days of its date is a time at all.
    if (!known_ || !(std::fabs(timeOfDay) < 10 * 86400.0)) return std::nullopt;
    return day_ * kMillisecondsPerDay + RoundToInteger(timeOfDay * 1000);
}

void TrackCalendar::TellFirstSteps(TrackCalendar& other) const {
    if (dateBeforeFirstTime_) other.DateGiven(*dateBeforeFirstTime_, std::nullopt);
    if (!firstTime_) return;
    if (firstTime_->date) {
        other.DateGiven(*firstTime_->date, firstTime_->timeOfDay);
    } else {
        other.Position(firstTime_->timeOfDay);
    }
}

bool TrackCalendar::Continues(const TrackCalendar& earlier) const {
    // Without a time of day, this part dated no position.
    if (!firstTime_) return true;
    TrackCalendar onePass = earlier;
    TrackCalendar begun = startDay_ ? TrackCalendar(*startDay_) : TrackCalendar();
    TellFirstSteps(onePass);
    TellFirstSteps(begun);
    // From the same state on, both date alike (a day not known yet dates nothing).
    return onePass.known_ == begun.known_ && (!begun.known_ || onePass.day_ == begun.day_) &&
           onePass.lastTime_ == begun.lastTime_;
}

}  // namespace torvane
