#include "convert/summary/great_circle.h"

#include <algorithm>
#include <numbers>

#include "output/earth.h"

namespace torvane {
namespace {

double Radians(double degrees) { return degrees * (std::numbers::pi / 180); }

// The haversine distance with the sines of the half differences from
// `sine`. A record that keeps its latitude or longitude from the one before
// (a track going due north, a pause) needs no sine for it: sin(0) is 0.
template <class Sine>
double Haversine(double lat1, double lon1, double cosLat1, double lat2, double lon2, double cosLat2, Sine sine) {
    const double halfLat = Radians(lat2 - lat1) / 2, halfLon = Radians(lon2 - lon1) / 2;
    const double sinLat = halfLat == 0 ? halfLat : sine(halfLat), sinLon = halfLon == 0 ? halfLon : sine(halfLon);
    const double h = sinLat * sinLat + cosLat1 * cosLat2 * sinLon * sinLon;
    return 2 * kEarthRadiusMetres * std::asin(std::sqrt(std::min(1.0, h)));
}

}  // namespace

double CosLatitude(double latitudeDegrees) { return std::cos(Radians(latitudeDegrees)); }

double HaversineMetres(double lat1, double lon1, double cosLat1, double lat2, double lon2, double cosLat2,
                       RecentSines& sines) {
    return Haversine(lat1, lon1, cosLat1, lat2, lon2, cosLat2, [&sines](double x) { return sines.Sine(x); });
}

double HaversineMetres(double lat1, double lon1, double cosLat1, double lat2, double lon2, double cosLat2) {
    return Haversine(lat1, lon1, cosLat1, lat2, lon2, cosLat2, [](double x) { return std::sin(x); });
}

double HaversineMetres(double lat1, double lon1, double lat2, double lon2) {
    return HaversineMetres(lat1, lon1, CosLatitude(lat1), lat2, lon2, CosLatitude(lat2));
}

}  // namespace torvane
