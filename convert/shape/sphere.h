// Points of the sphere as unit vectors (x toward 0°N 0°E, z toward the
// north pole): distances and directions without the trouble that latitude
// and longitude have at the poles and the antimeridian. Angles are in
// radians; times the earth's radius (output/earth.h) they are metres.
#pragma once

#include <cmath>

namespace torvane {

struct UnitVector {
    double x = 1, y = 0, z = 0;
};

inline double Dot(const UnitVector& a, const UnitVector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

inline UnitVector Cross(const UnitVector& a, const UnitVector& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline double Length(const UnitVector& v) { return std::sqrt(Dot(v, v)); }

UnitVector UnitVectorOf(double latitudeDegrees, double longitudeDegrees);

// The angle between two points seen from the earth's centre (their distance
// on the unit sphere), accurate for near points as for far ones.
inline double AngleBetween(const UnitVector& a, const UnitVector& b) {
    return std::atan2(Length(Cross(a, b)), Dot(a, b));
}

// The distance of `q` from the arc of the great circle from `a` to `b` (the
// shorter one): across the circle where `q` lies beside the arc, else to the
// nearer end. Where `a` and `b` are one point, to that point.
double AngleFromArc(const UnitVector& q, const UnitVector& a, const UnitVector& b);

// Directions at a point: east and north in its tangent plane (at a pole,
// "north" is the direction of the meridian of the point's longitude).
struct LocalFrame {
    UnitVector east, north;
};
LocalFrame LocalFrameOf(double latitudeDegrees, double longitudeDegrees);

// The initial bearing (radians clockwise from north) of the great circle
// from the frame's point toward `q`.
inline double BearingTo(const LocalFrame& frame, const UnitVector& q) {
    return std::atan2(Dot(q, frame.east), Dot(q, frame.north));
}

}  // namespace torvane
