// The figures of a track as a person reads them: a few named values in the
// locale's numbers (thousands and decimal separators), lengths in m or km,
// the duration in hours and minutes, UTC times with the date when the track
// has one.
#pragma once

#include <QList>
#include <QLocale>
#include <QString>

namespace torvane {
struct TrackFigures;
}

namespace torvane::app {

struct FigureRow {
    QString name, value;
};

// The rows the track has: Positions, Start, End, Duration, Moving time,
// Length, Top speed, Average speed, Climb, Altitude; a figure counted by a
// rule has the rule beside it ("38 m up, 20 m down (changes over 5 m)").
QList<FigureRow> ReadableFigures(const TrackFigures& figures, const QLocale& locale);

// "10 h 54 min", "4 min 59 s", "59 s".
QString DurationText(double seconds, const QLocale& locale);
// "850 m", "2.35 km", "1,234.8 km".
QString LengthText(double metres, const QLocale& locale);
// "13.3 km/h" of metres per second.
QString SpeedText(double metresPerSecond, const QLocale& locale);

}  // namespace torvane::app
