#include "shape_tracks.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "output/earth.h"

namespace torvane::test {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kRad = kPi / 180;

double Bearing(const Position& a, const Position& b) {
    const double p1 = a.latitude * kRad, p2 = b.latitude * kRad, dl = (b.longitude - a.longitude) * kRad;
    return std::atan2(std::sin(dl) * std::cos(p2), std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl));
}

double Angle(const Position& a, const Position& b) { return MetresBetween(a, b) / kEarthRadiusMetres; }

}  // namespace

double MetresBetween(const Position& a, const Position& b) {
    const double p1 = a.latitude * kRad, p2 = b.latitude * kRad;
    const double dp = p2 - p1, dl = (b.longitude - a.longitude) * kRad;
    const double h = std::sin(dp / 2) * std::sin(dp / 2) + std::cos(p1) * std::cos(p2) * std::sin(dl / 2) * std::sin(dl / 2);
    return 2 * kEarthRadiusMetres * std::atan2(std::sqrt(h), std::sqrt(std::max(0.0, 1 - h)));
}

double MetresFromCircle(const Position& q, const Position& a, const Position& b) {
    const double d13 = Angle(a, q);
    const double xt = std::asin(std::sin(d13) * std::sin(Bearing(a, q) - Bearing(a, b)));
    return std::abs(xt) * kEarthRadiusMetres;
}

double MetresFromArc(const Position& q, const Position& a, const Position& b) {
    const double d12 = Angle(a, b), d13 = Angle(a, q);
    const double toEnds = std::min(MetresBetween(q, a), MetresBetween(q, b));
    if (d12 == 0 || d13 == 0) return toEnds;
    const double turn = Bearing(a, q) - Bearing(a, b);
    // The right-angled triangle a, foot, q: tan(along) = tan(d13) cos(turn).
    const double along = std::atan2(std::sin(d13) * std::cos(turn), std::cos(d13));
    if (along < 0 || along > d12) return toEnds;
    return std::min(toEnds, std::abs(std::asin(std::sin(d13) * std::sin(turn))) * kEarthRadiusMetres);
}

Position Destination(const Position& from, double bearingDegrees, double metres) {
    const double d = metres / kEarthRadiusMetres, t = bearingDegrees * kRad;
    const double p1 = from.latitude * kRad, l1 = from.longitude * kRad;
    const double p2 = std::asin(std::sin(p1) * std::cos(d) + std::cos(p1) * std::sin(d) * std::cos(t));
    const double l2 = l1 + std::atan2(std::sin(t) * std::sin(d) * std::cos(p1), std::cos(d) - std::sin(p1) * std::sin(p2));
    Position to = from;
    to.latitude = p2 / kRad;
    to.longitude = std::remainder(l2 / kRad, 360.0);
    return to;
}

std::vector<Position> GeneratedTrack(TrackStyle style, std::size_t count, std::mt19937_64& random,
                                     std::int64_t startTime, double untimedShare) {
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<Position> track;
    track.reserve(count);
    Position at;
    // Starts anywhere, a quarter of them close to a pole or the antimeridian.
    const double where = unit(random);
    at.latitude = where < 0.125 ? (unit(random) < 0.5 ? 89.99 : -89.99) : unit(random) * 160 - 80;
    at.longitude = where >= 0.125 && where < 0.25 ? 179.99 : unit(random) * 360 - 180;
    double heading = unit(random) * 360;
    const Position home = at;
    TrackStyle now = style;
    for (std::size_t i = 0; i < count; ++i) {
        if (style == TrackStyle::Mixed && unit(random) < 0.01) {
            now = static_cast<TrackStyle>(random() % 4);
            if (unit(random) < 0.3) at = Destination(at, unit(random) * 360, 1e5 + unit(random) * 5e5);
        }
        switch (now) {
            case TrackStyle::Wander:
                heading += (unit(random) - 0.5) * 40;
                at = Destination(at, heading, 2 + unit(random) * 100);
                break;
            case TrackStyle::Zigzag:
                if (i % 4 == 0) heading += 90 + unit(random) * 90;
                at = Destination(at, heading, 5 + unit(random) * 30);
                break;
            case TrackStyle::OutAndBack:
                if (i % 25 == 0) heading += 180 + (unit(random) - 0.5) * 4;
                at = Destination(at, heading, 10 + unit(random) * 5);
                break;
            case TrackStyle::Parked:
            case TrackStyle::Mixed:
                at = Destination(home, unit(random) * 360, unit(random) * 8);
                break;
        }
        Position p = at;
        p.timeOfDay = static_cast<double>(i % 86400);
        p.altitude = static_cast<float>(i);
        if (unit(random) >= untimedShare) p.utcTime = startTime + static_cast<std::int64_t>(i) * 1000;
        else p.utcTime.reset();
        track.push_back(p);
    }
    return track;
}

}  // namespace torvane::test
