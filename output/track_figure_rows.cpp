#include "track_figure_rows.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "track_time.h"

namespace torvane {
namespace {

// "1,234.5": the thousands of the whole part apart, "." before the decimals.
std::string EnglishNumber(double value, int decimals) {
    if (!std::isfinite(value)) return "-";
    char buffer[400];  // the longest double written whole
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string text(buffer, result.ptr);
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);  // no "-0"
    const std::size_t digitsFrom = text[0] == '-' ? 1 : 0;
    for (std::size_t at = std::min(text.find('.'), text.size()); at > digitsFrom + 3; at -= 3) text.insert(at - 3, 1, ',');
    return text;
}

std::string IsoDate(long long utcMilliseconds) {
    std::string iso;
    AppendIsoTime(iso, utcMilliseconds, false);  // YYYY-MM-DDThh:mm:ssZ
    return iso.substr(0, iso.size() - 10);
}

std::string TimeOfDay(long long utcMilliseconds) {
    std::string iso;
    AppendIsoTime(iso, utcMilliseconds, false);
    return iso.substr(iso.size() - 9, 8);
}

std::int64_t DayOf(std::int64_t utcMilliseconds) {
    std::int64_t day = 0, inDay = 0;
    SplitDay(utcMilliseconds, day, inDay);
    return day;
}

std::string Whole(double value, const FigureStyle& style) { return style.number(std::floor(value + 0.5), 0); }

}  // namespace

FigureStyle EnglishFigureStyle() { return {EnglishNumber, IsoDate}; }

std::string DurationWords(double seconds, const FigureStyle& style) {
    if (!std::isfinite(seconds) || seconds < 0) return ClockText(seconds);
    const auto whole = static_cast<long long>(std::floor(seconds));
    const long long h = whole / 3600, m = whole / 60 % 60, s = whole % 60;
    if (h > 0) return style.number(static_cast<double>(h), 0) + " h " + std::to_string(m) + " min";
    if (m > 0) return std::to_string(m) + " min " + std::to_string(s) + " s";
    return std::to_string(s) + " s";
}

std::string LengthWords(double metres, const FigureStyle& style) {
    if (metres < 1000) return Whole(metres, style) + " m";
    return style.number(metres / 1000, metres < 10000 ? 2 : 1) + " km";
}

std::string SpeedWords(double metresPerSecond, const FigureStyle& style) {
    return style.number(metresPerSecond * 3.6, 1) + " km/h";
}

std::string RowText(const FigureRow& row) {
    std::string text = row.name + ' ' + row.value;
    if (!row.rule.empty()) text += " (" + row.rule + ')';
    return text;
}

std::vector<FigureRow> TrackFigureRows(const TrackFigures& f, const FigureStyle& style) {
    if (f.records <= 0) return {{"Positions", style.number(0, 0), {}}};
    std::vector<FigureRow> rows;
    const auto add = [&rows](const char* name, std::string value, std::string rule = {}) {
        rows.push_back({name, std::move(value), std::move(rule)});
    };
    add("Positions", style.number(static_cast<double>(f.records), 0));
    if (f.hasTime) {
        if (f.dated) {
            const bool sameDay = DayOf(f.startUtc) == DayOf(f.endUtc);
            add("Start", style.date(f.startUtc) + ' ' + TimeOfDay(f.startUtc) + " UTC");
            add("End", (sameDay ? std::string() : style.date(f.endUtc) + ' ') + TimeOfDay(f.endUtc) + " UTC");
        } else {
            add("Start", ClockText(f.start));
            add("End", ClockText(f.end));
        }
        add("Duration", f.timesGoBack ? "none: the times go back" : DurationWords(f.duration, style));
    }
    if (f.hasMotion) add("Moving time", DurationWords(f.movingSeconds, style), MovingRuleText(f));
    if (f.hasPosition) add("Length", LengthWords(f.lengthMetres, style));
    if (f.hasMotion) {
        add("Top speed", SpeedWords(f.speedMax, style));
        if (f.movingSeconds > 0) add("Average speed", SpeedWords(AverageMovingSpeed(f), style), kAverageSpeedBeside);
    }
    if (f.hasClimb) {
        add("Climb", Whole(f.climbMetres, style) + " m up, " + Whole(f.descentMetres, style) + " m down",
            ClimbRuleText(f));
    }
    if (f.hasAltitude) {
        const std::string low = Whole(f.altMin, style), high = Whole(f.altMax, style);
        add("Altitude", (low == high ? low : low + (f.altMin < 0 ? " to " : "\u2013") + high) + " m");
    }
    if (f.heartRate.count > 0) {
        add("Heart rate", Whole(f.heartRate.Average(), style) + " bpm average, " +
                              Whole(static_cast<double>(f.heartRate.max), style) + " max");
    }
    if (f.power.count > 0) {
        add("Power", Whole(f.power.Average(), style) + " W average, " + Whole(static_cast<double>(f.power.max), style) +
                         " max");
    }
    return rows;
}

}  // namespace torvane
