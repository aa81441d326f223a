// What a GPX track point's extensions measured, one element a line (as the
// GPX copy lays them out): Garmin's TrackPointExtension v1 and v2 (hr, cad,
// atemp, speed), the common gpxdata elements (hr, cadence, temp), and power
// (Strava's `power`, the PowerExtension's `PowerInWatts`), whatever prefix
// their namespace has.
#pragma once

#include <string_view>

#include "output/measurements.h"

namespace torvane {

// Reads the element that opens `line` into `m` where it is one of the
// measurements and holds a plain number in range ("150", "21.5"); any
// other text (a reference, a word, a value spread over lines) is no value,
// and leaves `m` as it was.
void ReadGpxMeasurement(std::string_view line, Measurements& m);

}  // namespace torvane
