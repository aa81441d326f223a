#include "convert/write/current_record.h"

#include <cmath>

namespace torvane {

void ComposeCurrentRecord(Settings& s, double timeOfDay, double altitude, bool tableAltitude, bool altitudeGiven) {
    // A number too large for its value (an altitude beyond a 32-bit float, a
    // coordinate beyond a double) is unreadable, like a field that fails its
    // check: the record is invalid and has no line.
    if (!std::isfinite(s.Latitude) || !std::isfinite(s.Longitude) || !std::isfinite(altitude)) {
        s.RecordInvalid = true;
        s.OutputLine.clear();
        s.Composed = false;
        s.Reason = LineReason::NumberTooLarge;
        return;
    }
    s.TimeOfDay = timeOfDay;
    s.AltitudeKnown = tableAltitude;
    s.AltitudeGiven = altitudeGiven;
    s.Composed = true;
    if (s.PositionsOnly) return;  // a position, no text
    const PositionRecord record{timeOfDay, s.Latitude, s.Longitude, altitude, tableAltitude};
    ComposeRecordLine(s.OutputLine, s.OutputType, record, s.RecordCount);
    if (s.OutputType == OutputKind::OVL) s.OverlayExtent.Include(s.Latitude, s.Longitude);
}

void MarkOutOfRange(Settings& s) {
    if (s.Latitude > 90 || s.Latitude < -90 || s.Longitude > 180 || s.Longitude < -180) {
        s.RecordInvalid = true;
        s.Reason = LineReason::OutOfRange;
    }
}

float ManipulatedAltitude(const Settings& s, double altitude) {
    return static_cast<float>(ApplyAltitudeManipulation(altitude, s.AltitudeMode, s.AltitudeValue));
}

}  // namespace torvane
