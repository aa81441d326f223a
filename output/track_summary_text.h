// The figures of a track as "name: value" lines, numbers with "." as
// decimal point whatever the locale.
#pragma once

#include <string>

namespace torvane {

struct TrackFigures {
    long long records = 0;
    bool hasTime = false;
    double start = 0, end = 0, duration = 0;  // seconds
    // The last time lies before the first: no duration, said in words.
    bool timesGoBack = false;
    // A dated track: its first and last record's UTC time (milliseconds
    // since 1970-01-01).
    bool dated = false;
    long long startUtc = 0, endUtc = 0;
    double lengthMetres = 0;
    bool hasPosition = false;
    double latMin = 0, latMax = 0, lonMin = 0, lonMax = 0;
    bool hasAltitude = false;
    double altMin = 0, altMax = 0;
    // Heart rate and power of the records that have a value (the others
    // are left out, not taken as 0): how many, their sum and the greatest.
    // Whole numbers, so parts add up exactly as one pass.
    struct Measured {
        long long count = 0, sum = 0, max = 0;
        void Add(long long value) {
            ++count;
            sum += value;
            if (value > max) max = value;
        }
        void Add(const Measured& later) {
            count += later.count;
            sum += later.sum;
            if (later.max > max) max = later.max;
        }
        double Average() const { return count > 0 ? static_cast<double>(sum) / static_cast<double>(count) : 0; }
    };
    Measured heartRate, power;
    // Climb and descent, counted where a change exceeds the threshold.
    bool hasClimb = false;
    double climbMetres = 0, descentMetres = 0, climbThresholdMetres = 5;
    // Over the steps between consecutive timed positions: those faster
    // than the moving speed, their time and distance; the greatest speed.
    bool hasMotion = false;
    double movingSeconds = 0, movingMetres = 0, speedMax = 0;  // speed in metres per second
    double movingSpeedKmh = 1;
};

// "hh:mm:ss" of a time of day in seconds (whole seconds, rounded down).
std::string ClockText(double seconds);
// A number with up to `decimals` decimals, "." as decimal point, trailing zeros dropped.
std::string NumberText(double value, int decimals);

// One line each, ending in "\n": records, start, end, duration, length_m,
// lat_min, lat_max, lon_min, lon_max, alt_min, alt_max; "-" for a value
// the track does not have ("- (the times go back)" for the duration of a track
// whose last time lies before its first). Start and end are "YYYY-MM-DDThh:mm:ssZ" for a
// dated track, else times of day. Then, where records have them, hr_avg,
// hr_max, power_avg and power_max (the mean over the records with a value).
// Then the motion figures, each with its rule: climb_m, descent_m,
// climb_rule, moving_time, moving_rule, speed_max_kmh, speed_avg_kmh,
// speed_avg_rule ("-" for a figure the track does not have).
std::string TrackSummaryText(const TrackFigures& f);

// The rules of the figures: "changes over 5 m", "above 1 km/h", and the
// average's "moving distance / moving time".
std::string ClimbRuleText(const TrackFigures& f);
std::string MovingRuleText(const TrackFigures& f);
inline constexpr const char* kAverageSpeedRule = "moving distance / moving time";
// The same, short, beside the figure in the window and on the page.
inline constexpr const char* kAverageSpeedBeside = "over the moving time";
// The average speed over the moving time, in metres per second (0 without one).
double AverageMovingSpeed(const TrackFigures& f);

}  // namespace torvane
