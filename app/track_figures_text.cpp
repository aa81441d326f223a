#include "track_figures_text.h"

#include <QDateTime>
#include <QTimeZone>

#include <cmath>

#include "output/track_summary_text.h"

namespace torvane::app {
namespace {

QDateTime Utc(long long milliseconds) { return QDateTime::fromMSecsSinceEpoch(milliseconds, QTimeZone::utc()); }

QString Clock(double seconds) { return QString::fromStdString(ClockText(seconds)); }

QString Whole(double value, const QLocale& locale) { return locale.toString(std::floor(value + 0.5), 'f', 0); }

}  // namespace

QString DurationText(double seconds, const QLocale& locale) {
    if (!std::isfinite(seconds) || seconds < 0) return Clock(seconds);
    const auto whole = static_cast<long long>(std::floor(seconds));
    const long long h = whole / 3600, m = whole / 60 % 60, s = whole % 60;
    if (h > 0) return QStringLiteral("%1 h %2 min").arg(locale.toString(h)).arg(m);
    if (m > 0) return QStringLiteral("%1 min %2 s").arg(m).arg(s);
    return QStringLiteral("%1 s").arg(s);
}

QString LengthText(double metres, const QLocale& locale) {
    if (metres < 1000) return Whole(metres, locale) + QStringLiteral(" m");
    return locale.toString(metres / 1000, 'f', metres < 10000 ? 2 : 1) + QStringLiteral(" km");
}

QString SpeedText(double metresPerSecond, const QLocale& locale) {
    return locale.toString(metresPerSecond * 3.6, 'f', 1) + QStringLiteral(" km/h");
}

QList<FigureRow> ReadableFigures(const TrackFigures& f, const QLocale& locale) {
    QList<FigureRow> rows;
    if (f.records <= 0) return {{QStringLiteral("Positions"), locale.toString(0)}};
    rows.append({QStringLiteral("Positions"), locale.toString(f.records)});
    if (f.hasTime) {
        if (f.dated) {
            const QDateTime start = Utc(f.startUtc), end = Utc(f.endUtc);
            const QString time = QStringLiteral("HH:mm:ss");
            const auto dated = [&](const QDateTime& moment) {
                return locale.toString(moment.date(), QLocale::ShortFormat) + u' ' + moment.toString(time) +
                       QStringLiteral(" UTC");
            };
            rows.append({QStringLiteral("Start"), dated(start)});
            rows.append({QStringLiteral("End"), end.date() == start.date() ? end.toString(time) + QStringLiteral(" UTC")
                                                                            : dated(end)});
        } else {
            rows.append({QStringLiteral("Start"), Clock(f.start)});
            rows.append({QStringLiteral("End"), Clock(f.end)});
        }
        rows.append({QStringLiteral("Duration"), f.timesGoBack ? QStringLiteral("none: the times go back")
                                                                : DurationText(f.duration, locale)});
    }
    // Each figure that is counted by a rule says it beside the value.
    const auto ruled = [](const QString& value, const std::string& rule) {
        return value + QStringLiteral(" (") + QString::fromStdString(rule) + u')';
    };
    if (f.hasMotion) {
        rows.append({QStringLiteral("Moving time"), ruled(DurationText(f.movingSeconds, locale), MovingRuleText(f))});
    }
    if (f.hasPosition) rows.append({QStringLiteral("Length"), LengthText(f.lengthMetres, locale)});
    if (f.hasMotion) {
        rows.append({QStringLiteral("Top speed"), SpeedText(f.speedMax, locale)});
        if (f.movingSeconds > 0) {
            rows.append({QStringLiteral("Average speed"), ruled(SpeedText(AverageMovingSpeed(f), locale),
                                                                kAverageSpeedBeside)});
        }
    }
    if (f.hasClimb) {
        rows.append({QStringLiteral("Climb"), ruled(Whole(f.climbMetres, locale) + QStringLiteral(" m up, ") +
                                                        Whole(f.descentMetres, locale) + QStringLiteral(" m down"),
                                                    ClimbRuleText(f))});
    }
    if (f.hasAltitude) {
        const QString low = Whole(f.altMin, locale), high = Whole(f.altMax, locale);
        QString value = low == high ? low : low + (f.altMin < 0 ? QStringLiteral(" to ") : QStringLiteral("\u2013")) + high;
        rows.append({QStringLiteral("Altitude"), value + QStringLiteral(" m")});
    }
    if (f.heartRate.count > 0) {
        rows.append({QStringLiteral("Heart rate"), Whole(f.heartRate.Average(), locale) + QStringLiteral(" bpm average, ") +
                                                       Whole(static_cast<double>(f.heartRate.max), locale) +
                                                       QStringLiteral(" max")});
    }
    if (f.power.count > 0) {
        rows.append({QStringLiteral("Power"), Whole(f.power.Average(), locale) + QStringLiteral(" W average, ") +
                                                  Whole(static_cast<double>(f.power.max), locale) + QStringLiteral(" max")});
    }
    return rows;
}

}  // namespace torvane::app
