// One position of a dated output (GPX, GeoJSON, the KML time track): where
// it is, its altitude where the log has one, and its UTC time where the log
// (or the user) gives a date, and what was measured there.
#pragma once

#include <cstdint>

#include "measurements.h"

namespace torvane {

struct DatedPoint {
    double latitude = 0;   // signed decimal degrees, south negative
    double longitude = 0;  // signed decimal degrees, west negative
    bool hasAltitude = false;
    float altitude = 0;  // metres, after the altitude manipulation
    bool hasTime = false;
    std::int64_t utcMilliseconds = 0;  // since 1970-01-01T00:00:00Z
    Measurements measurements;         // what the log measured there
};

}  // namespace torvane
