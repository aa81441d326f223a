// The figures of a track's motion, each counted by a rule it states: climb
// and descent over a threshold, moving time over a speed, the greatest and
// the average speed. Both counters take the positions in track order and
// join the counter of the positions that follow as one pass would have
// counted them all; their sums are whole units (millimetres, milliseconds,
// nanometres), the same in whatever parts the track was counted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace torvane {

// Climb and descent: the rises from each low to the next high and the falls
// from each high to the next low, where a turn is counted only once the
// altitude has come back more than the threshold from the high or low (and
// the first change once it has left the first altitude by more than it):
// the ups and downs of an altitude that wavers within the threshold count
// nothing. A position without an altitude is left out.
class ClimbCounter {
public:
    static constexpr std::int64_t kThresholdMillimetres = 5000;
    // The altitudes of a later part kept to replay its start at a join.
    static constexpr std::size_t kReplayAltitudes = 16384;

    void Add(double altitudeMetres);
    // Joins the counter of the altitudes that follow these. False when the
    // join cannot be made exact: the course of `later`, begun without the
    // altitudes before it, meets the one that goes on from these only after
    // the altitudes it keeps (then the track is to be counted in one pass,
    // and this counter is left as it was).
    bool Append(const ClimbCounter& later);

    bool Any() const { return state_.started; }
    // With the swing still open at the end counted.
    std::int64_t ClimbMillimetres() const;
    std::int64_t DescentMillimetres() const;

private:
    struct State {
        bool started = false;
        int direction = 0;          // +1 rising, -1 falling, 0 not yet left the first altitude
        std::int64_t base = 0;      // the last turn (the first altitude before one)
        std::int64_t extreme = 0;   // the highest (rising) or lowest (falling) since
        std::int64_t climb = 0, descent = 0;  // of the swings closed
        bool SameCourse(const State& other) const {
            return started == other.started && direction == other.direction && base == other.base &&
                   extreme == other.extreme;
        }
    };
    static void Step(State& state, std::int64_t millimetres);

    State state_;
    std::vector<std::int64_t> first_;  // the first altitudes, up to kReplayAltitudes
    bool firstAll_ = true;             // `first_` holds every altitude
};

// Moving time, its distance and the greatest speed, over the steps between
// consecutive positions with a time: a step is moving where its speed (its
// great-circle distance over its time) is above kMovingKmh. A step whose
// time does not go forward counts nothing; a position without a time is
// left out (the step runs from the timed position before it to the next).
class MotionCounter {
public:
    static constexpr double kMovingKmh = 1;

    void Add(double latitude, double longitude, std::int64_t milliseconds);
    // The same where the caller has the distance from the position added
    // last at hand (it is not measured again).
    void Add(double latitude, double longitude, std::int64_t milliseconds, double metresFromLast);
    // Joins the counter of the positions that follow these, whose times are
    // `laterShift` milliseconds behind (the days a later part could not know).
    void Append(const MotionCounter& later, std::int64_t laterShift);

    bool AnyStep() const { return steps_ > 0; }
    std::int64_t MovingMilliseconds() const { return movingMs_; }
    std::int64_t MovingNanometres() const { return movingNm_; }
    double GreatestSpeed() const { return greatest_; }  // metres per second

private:
    struct Timed {
        double latitude = 0, longitude = 0;
        std::int64_t milliseconds = 0;
    };
    // A step of `ms` milliseconds (more than 0) and `metres`.
    void CountStep(std::int64_t ms, double metres);

    bool any_ = false;  // a position was added: `first_` and `last_` hold
    Timed first_, last_;
    std::int64_t steps_ = 0;  // steps whose time goes forward
    std::int64_t movingMs_ = 0, movingNm_ = 0;
    double greatest_ = 0;
};

}  // namespace torvane
