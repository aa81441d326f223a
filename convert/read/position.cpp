#include "convert/read/position.h"

#include <cmath>

#include "output/position_line.h"

namespace torvane {

void MarkOutOfRange(Record& record) {
    const Position& p = record.position;
    if (p.latitude > 90 || p.latitude < -90 || p.longitude > 180 || p.longitude < -180) {
        record.invalid = true;
        record.reason = LineReason::OutOfRange;
    }
}

void CompletePosition(Record& record, double timeOfDay, double altitude, bool tableAltitude, bool altitudeGiven) {
    Position& p = record.position;
    // A number too large for its value (an altitude beyond a 32-bit float, a
    // coordinate beyond a double) is unreadable, like a field that fails its
    // check.
    if (!std::isfinite(p.latitude) || !std::isfinite(p.longitude) || !std::isfinite(altitude)) {
        record.Fail(LineReason::NumberTooLarge);
        return;
    }
    p.timeOfDay = timeOfDay;
    p.altitude = static_cast<float>(altitude);
    p.tableAltitude = tableAltitude;
    p.altitudeGiven = altitudeGiven;
    record.hasPosition = true;
}

float ManipulatedAltitude(const RunOptions& options, double altitude) {
    return static_cast<float>(ApplyAltitudeManipulation(altitude, options.AltitudeMode, options.AltitudeValue));
}

}  // namespace torvane
