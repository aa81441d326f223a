#include "track_figures_text.h"

#include <QDateTime>
#include <QTimeZone>

#include "output/track_figure_rows.h"

namespace torvane::app {

FigureStyle LocaleFigureStyle(const QLocale& locale) {
    return {[locale](double value, int decimals) { return locale.toString(value, 'f', decimals).toStdString(); },
            [locale](long long utcMilliseconds) {
                const QDate day = QDateTime::fromMSecsSinceEpoch(utcMilliseconds, QTimeZone::utc()).date();
                return locale.toString(day, QLocale::ShortFormat).toStdString();
            }};
}

QList<FigureRow> ReadableFigures(const TrackFigures& figures, const QLocale& locale) {
    QList<FigureRow> rows;
    for (const torvane::FigureRow& row : TrackFigureRows(figures, LocaleFigureStyle(locale))) {
        rows.append({QString::fromStdString(row.name), QString::fromStdString(row.value),
                     QString::fromStdString(row.rule)});
    }
    return rows;
}

QString DurationText(double seconds, const QLocale& locale) {
    return QString::fromStdString(DurationWords(seconds, LocaleFigureStyle(locale)));
}

QString LengthText(double metres, const QLocale& locale) {
    return QString::fromStdString(LengthWords(metres, LocaleFigureStyle(locale)));
}

}  // namespace torvane::app
