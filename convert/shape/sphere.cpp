#include "convert/shape/sphere.h"

#include <algorithm>
#include <numbers>

namespace torvane {
namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180;

}  // namespace

UnitVector UnitVectorOf(double latitudeDegrees, double longitudeDegrees) {
    const double phi = latitudeDegrees * kRadiansPerDegree, lambda = longitudeDegrees * kRadiansPerDegree;
    return {std::cos(phi) * std::cos(lambda), std::cos(phi) * std::sin(lambda), std::sin(phi)};
}

LocalFrame LocalFrameOf(double latitudeDegrees, double longitudeDegrees) {
    const double phi = latitudeDegrees * kRadiansPerDegree, lambda = longitudeDegrees * kRadiansPerDegree;
    return {{-std::sin(lambda), std::cos(lambda), 0},
            {-std::sin(phi) * std::cos(lambda), -std::sin(phi) * std::sin(lambda), std::cos(phi)}};
}

double AngleFromArc(const UnitVector& q, const UnitVector& a, const UnitVector& b) {
    const UnitVector normal = Cross(a, b);
    const double length = Length(normal);
    const double toEnds = std::min(AngleBetween(q, a), AngleBetween(q, b));
    if (length == 0) return toEnds;
    const UnitVector n{normal.x / length, normal.y / length, normal.z / length};
    // Beside the arc: on b's side of the plane through a across the arc, and
    // on a's side of the one through b.
    const bool beside = Dot(Cross(n, a), q) >= 0 && Dot(Cross(b, n), q) >= 0;
    if (!beside) return toEnds;
    const double across = std::asin(std::min(1.0, std::abs(Dot(q, n))));
    return std::min(across, toEnds);
}

}  // namespace torvane
