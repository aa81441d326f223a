// The figures of a track in the window's locale: its numbers (thousands
// and decimal separators) and its short dates.
#pragma once

#include <QList>
#include <QLocale>
#include <QString>

namespace torvane {
struct TrackFigures;
struct FigureStyle;
}

namespace torvane::app {

struct FigureRow {
    QString name, value;
    QString rule;  // how the value was counted; empty for a plain figure
};

FigureStyle LocaleFigureStyle(const QLocale& locale);

// The rows the track has, each counted by a rule with that rule.
QList<FigureRow> ReadableFigures(const TrackFigures& figures, const QLocale& locale);

// "10 h 54 min", "4 min 59 s", "59 s".
QString DurationText(double seconds, const QLocale& locale);
// "850 m", "2.35 km", "1,234.8 km".
QString LengthText(double metres, const QLocale& locale);

}  // namespace torvane::app
