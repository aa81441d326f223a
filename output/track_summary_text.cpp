#include "track_summary_text.h"

#include "track_time.h"

#include <charconv>
#include <cmath>

namespace torvane {

std::string ClockText(double seconds) {
    // No clock for what is no time or beyond any log's reach (and beyond a long long).
    if (!std::isfinite(seconds) || std::fabs(seconds) >= 1e15) return "-";
    if (seconds < 0) {  // a log whose times run back
        std::string text = ClockText(-seconds);
        text.insert(text.begin(), '-');
        return text;
    }
    const long long whole = static_cast<long long>(std::floor(seconds));
    const long long h = whole / 3600, m = whole / 60 % 60, sec = whole % 60;
    std::string text;
    const auto two = [&text](long long v) {
        if (v < 10) text += '0';
        text += std::to_string(v);
    };
    two(h);
    text += ':';
    two(m);
    text += ':';
    two(sec);
    return text;
}

std::string NumberText(double value, int decimals) {
    if (!std::isfinite(value)) return "-";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string text(buffer, result.ptr);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    if (text == "-0") text = "0";
    return text;
}

std::string TrackSummaryText(const TrackFigures& f) {
    std::string text;
    const auto line = [&text](const char* name, const std::string& value) {
        text += name;
        text += ": ";
        text += value;
        text += '\n';
    };
    const bool time = f.hasTime && f.records > 0;
    const bool position = f.hasPosition && f.records > 0;
    const bool altitude = f.hasAltitude && f.records > 0;
    line("records", std::to_string(f.records));
    const auto moment = [&f](double timeOfDay, long long utc) {
        if (!f.dated) return ClockText(timeOfDay);
        std::string text;
        AppendIsoTime(text, utc, false);
        return text;
    };
    line("start", time ? moment(f.start, f.startUtc) : "-");
    line("end", time ? moment(f.end, f.endUtc) : "-");
    line("duration", !time ? "-" : f.timesGoBack ? "- (the times go back)" : ClockText(f.duration));
    line("length_m", position ? NumberText(f.lengthMetres, 1) : "-");
    line("lat_min", position ? NumberText(f.latMin, 6) : "-");
    line("lat_max", position ? NumberText(f.latMax, 6) : "-");
    line("lon_min", position ? NumberText(f.lonMin, 6) : "-");
    line("lon_max", position ? NumberText(f.lonMax, 6) : "-");
    line("alt_min", altitude ? NumberText(f.altMin, 1) : "-");
    line("alt_max", altitude ? NumberText(f.altMax, 1) : "-");
    if (f.heartRate.count > 0) {
        line("hr_avg", NumberText(f.heartRate.Average(), 1));
        line("hr_max", std::to_string(f.heartRate.max));
    }
    if (f.power.count > 0) {
        line("power_avg", NumberText(f.power.Average(), 1));
        line("power_max", std::to_string(f.power.max));
    }
    const bool climb = f.hasClimb && f.records > 0;
    const bool motion = f.hasMotion && f.records > 0;
    line("climb_m", climb ? NumberText(f.climbMetres, 1) : "-");
    line("descent_m", climb ? NumberText(f.descentMetres, 1) : "-");
    line("climb_rule", ClimbRuleText(f));
    line("moving_time", motion ? ClockText(f.movingSeconds) : "-");
    line("moving_rule", "steps " + MovingRuleText(f));
    line("speed_max_kmh", motion ? NumberText(f.speedMax * 3.6, 1) : "-");
    line("speed_avg_kmh", motion && f.movingSeconds > 0 ? NumberText(AverageMovingSpeed(f) * 3.6, 1) : "-");
    line("speed_avg_rule", kAverageSpeedRule);
    return text;
}

std::string ClimbRuleText(const TrackFigures& f) { return "changes over " + NumberText(f.climbThresholdMetres, 1) + " m"; }

std::string MovingRuleText(const TrackFigures& f) { return "above " + NumberText(f.movingSpeedKmh, 1) + " km/h"; }

double AverageMovingSpeed(const TrackFigures& f) {
    return f.movingSeconds > 0 ? f.movingMetres / f.movingSeconds : 0;
}

}  // namespace torvane
