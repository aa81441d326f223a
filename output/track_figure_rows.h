// The figures of a track as a person reads them, in one place for the
// window's panel, the preview document and the page: a few named values,
// lengths in m or km, the duration in hours and minutes, UTC times with the
// date when the track has one, and beside a figure counted by a rule, that
// rule.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "track_summary_text.h"

namespace torvane {

struct FigureRow {
    std::string name, value;
    std::string rule;  // how the value was counted; empty for a plain figure
};

// How numbers and dates are written: by default as in English, "1,234.5"
// and "2026-12-08"; a window passes its locale's.
struct FigureStyle {
    // `value` with exactly `decimals` decimals (none: a whole number).
    std::function<std::string(double value, int decimals)> number;
    // The date of a UTC time in milliseconds since 1970-01-01.
    std::function<std::string(long long utcMilliseconds)> date;
};
FigureStyle EnglishFigureStyle();

// The rows the track has: Positions, Start, End, Duration, Moving time,
// Length, Top speed, Average speed, Climb, Altitude, Heart rate, Power.
std::vector<FigureRow> TrackFigureRows(const TrackFigures& figures, const FigureStyle& style);
// "Climb  38 m up, 20 m down (changes over 5 m)": the rule after its value.
std::string RowText(const FigureRow& row);

// "10 h 54 min", "4 min 59 s", "59 s".
std::string DurationWords(double seconds, const FigureStyle& style);
// "850 m", "2.35 km", "1,234.8 km".
std::string LengthWords(double metres, const FigureStyle& style);
// "13.3 km/h" of metres per second.
std::string SpeedWords(double metresPerSecond, const FigureStyle& style);

}  // namespace torvane
