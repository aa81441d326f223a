// The great-circle distance of the summary's steps: the haversine formula on
// a sphere of kEarthRadiusMetres, with the library's sine, cosine and arc
// sine, so the figures are the same wherever they were counted.
#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace torvane {

// The distance in metres between two positions.
double HaversineMetres(double lat1, double lon1, double lat2, double lon2);
// The same, given the cosines of the two latitudes (CosLatitude).
double HaversineMetres(double lat1, double lon1, double cosLat1, double lat2, double lon2, double cosLat2);
double CosLatitude(double latitudeDegrees);

// The sines of the arguments met last, kept by their bits. The steps of a
// log whose positions are recorded to a thousandth of a minute (IGC) or a
// ten-thousandth (NMEA) come back to the same few differences of latitude
// and of longitude again and again, and a sine kept is the library's own,
// bit for bit.
class RecentSines {
public:
    double Sine(double x) {
        const auto bits = std::bit_cast<std::uint64_t>(x);
        Entry& entry = entries_[(bits * 0x9E3779B97F4A7C15u) >> (64 - kIndexBits)];
        if (entry.bits != bits) entry = Entry{bits, std::sin(x)};
        return entry.value;
    }

private:
    static constexpr int kIndexBits = 10;
    struct Entry {
        std::uint64_t bits = 0;  // +0.0, whose sine is +0.0
        double value = 0;
    };
    std::array<Entry, std::size_t{1} << kIndexBits> entries_{};
};

// HaversineMetres with the sines of the half differences from `sines`.
double HaversineMetres(double lat1, double lon1, double cosLat1, double lat2, double lon2, double cosLat2,
                       RecentSines& sines);

}  // namespace torvane
