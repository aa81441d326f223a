#include "convert/summary/great_circle.h"

#include <algorithm>
#include <numbers>

#include "output/earth.h"

namespace torvane {
namespace {

double Radians(double degrees) { return degrees * (std::numbers::pi / 180); }

// The haversine of two half differences' sines.
double FromSines(double sinLat, double sinLon, double cosLat1, double cosLat2) {
    const double h = sinLat * sinLat + cosLat1 * cosLat2 * sinLon * sinLon;
    return 2 * kEarthRadiusMetres * std::asin(std::sqrt(std::min(1.0, h)));
}

}  // namespace

double CosLatitude(double latitudeDegrees) { return std::cos(Radians(latitudeDegrees)); }

// A record that keeps its latitude or longitude from the one before (a
// track going due north, a pause) needs no sine for it: sin(0) is 0.
double HaversineMetres(double lat1, double lon1, double cosLat1, double lat2, double lon2, double cosLat2,
                       RecentSines& sines) {
    const double halfLat = Radians(lat2 - lat1) / 2, halfLon = Radians(lon2 - lon1) / 2;
    return FromSines(halfLat == 0 ? halfLat : sines.Sine(halfLat), halfLon == 0 ? halfLon : sines.Sine(halfLon),
                     cosLat1, cosLat2);
}

double HaversineMetres(double lat1, double lon1, double cosLat1, double lat2, double lon2, double cosLat2) {
    const double halfLat = Radians(lat2 - lat1) / 2, halfLon = Radians(lon2 - lon1) / 2;
    return FromSines(halfLat == 0 ? halfLat : std::sin(halfLat), halfLon == 0 ? halfLon : std::sin(halfLon), cosLat1,
                     cosLat2);
}

double HaversineMetres(double lat1, double lon1, double lat2, double lon2) {
    return HaversineMetres(lat1, lon1, CosLatitude(lat1), lat2, lon2, CosLatitude(lat2));
}

}  // namespace torvane
