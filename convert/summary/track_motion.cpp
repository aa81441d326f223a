#include "convert/summary/track_motion.h"

#include <algorithm>
#include <cmath>

#include "convert/rounding.h"
#include "convert/summary/track_summary.h"

namespace torvane {
namespace {

// Altitudes in whole millimetres; any beyond a million kilometres are held there.
std::int64_t Millimetres(double metres) {
    constexpr double kMost = 1e12;
    return RoundToInteger(std::clamp(metres * 1000, -kMost, kMost));
}

}  // namespace

void ClimbCounter::Step(State& s, std::int64_t a) {
    if (!s.started) {
        s.started = true;
        s.base = s.extreme = a;
        return;
    }
    constexpr std::int64_t kT = kThresholdMillimetres;
    switch (s.direction) {
        case 0:
            if (a - s.base > kT || s.base - a > kT) {
                s.direction = a > s.base ? 1 : -1;
                s.extreme = a;
            }
            break;
        case 1:
            if (a > s.extreme) {
                s.extreme = a;
            } else if (s.extreme - a > kT) {
                s.climb += s.extreme - s.base;
                s.base = s.extreme;
                s.direction = -1;
                s.extreme = a;
            }
            break;
        default:
            if (a < s.extreme) {
                s.extreme = a;
            } else if (a - s.extreme > kT) {
                s.descent += s.base - s.extreme;
                s.base = s.extreme;
                s.direction = 1;
                s.extreme = a;
            }
            break;
    }
}

void ClimbCounter::Add(double altitudeMetres) {
    const std::int64_t a = Millimetres(altitudeMetres);
    Step(state_, a);
    if (first_.size() < kReplayAltitudes) {
        first_.push_back(a);
    } else {
        firstAll_ = false;
    }
}

bool ClimbCounter::Append(const ClimbCounter& later) {
    if (!later.state_.started) return true;
    // The later part's course began at its own first altitude; one pass
    // comes there with this part's. Both are replayed over the later part's
    // first altitudes until they are at the same turn with the same
    // extreme: from there on they go alike, and what the later part
    // counted after that point is added.
    State joined = state_, alone;
    bool met = false;
    for (const std::int64_t a : later.first_) {
        Step(joined, a);
        Step(alone, a);
        if (joined.SameCourse(alone)) {
            met = true;
            break;
        }
    }
    if (met) {
        joined.climb += later.state_.climb - alone.climb;
        joined.descent += later.state_.descent - alone.descent;
        joined.direction = later.state_.direction;
        joined.base = later.state_.base;
        joined.extreme = later.state_.extreme;
    } else if (!later.firstAll_) {
        return false;
    }
    state_ = joined;
    for (const std::int64_t a : later.first_) {
        if (first_.size() == kReplayAltitudes) break;
        if (firstAll_) first_.push_back(a);
    }
    firstAll_ = firstAll_ && later.firstAll_ && first_.size() < kReplayAltitudes;
    return true;
}

std::int64_t ClimbCounter::ClimbMillimetres() const {
    return state_.climb + (state_.direction > 0 ? state_.extreme - state_.base : 0);
}

std::int64_t ClimbCounter::DescentMillimetres() const {
    return state_.descent + (state_.direction < 0 ? state_.base - state_.extreme : 0);
}

void MotionCounter::CountStep(std::int64_t ms, double metres) {
    ++steps_;
    const double speed = metres / (static_cast<double>(ms) / 1000);
    greatest_ = std::max(greatest_, speed);
    if (speed * 3.6 > kMovingKmh) {
        movingMs_ += ms;
        movingNm_ += RoundToInteger(metres * 1e9);
    }
}

void MotionCounter::Add(double latitude, double longitude, std::int64_t milliseconds) {
    Add(latitude, longitude, milliseconds,
        any_ ? HaversineMetres(last_.latitude, last_.longitude, latitude, longitude) : 0.0);
}

void MotionCounter::Add(double latitude, double longitude, std::int64_t milliseconds, double metresFromLast) {
    // A step whose time does not go forward counts nothing.
    if (any_ && milliseconds > last_.milliseconds) CountStep(milliseconds - last_.milliseconds, metresFromLast);
    const Timed here{latitude, longitude, milliseconds};
    if (!any_) first_ = here;
    any_ = true;
    last_ = here;
}

void MotionCounter::Append(const MotionCounter& later, std::int64_t laterShift) {
    if (!later.any_) return;
    Timed laterFirst = later.first_, laterLast = later.last_;
    laterFirst.milliseconds += laterShift;
    laterLast.milliseconds += laterShift;
    Add(laterFirst.latitude, laterFirst.longitude, laterFirst.milliseconds);
    last_ = laterLast;
    steps_ += later.steps_;
    movingMs_ += later.movingMs_;
    movingNm_ += later.movingNm_;
    greatest_ = std::max(greatest_, later.greatest_);
}

}  // namespace torvane
