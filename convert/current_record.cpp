#include "current_record.h"

namespace torvane {

void ComposeCurrentRecord(Settings& s, double timeOfDay, double altitude, bool tableAltitude) {
    s.TimeOfDay = timeOfDay;
    s.AltitudeKnown = tableAltitude;
    if (s.PositionsOnly) {
        s.OutputLine.assign(1, '*');  // a position, no text
        return;
    }
    const PositionRecord record{timeOfDay, s.Latitude, s.Longitude, altitude, tableAltitude};
    ComposeRecordLine(s.OutputLine, s.OutputType, record, s.RecordCount);
    if (s.OutputType == OutputKind::OVL) s.OverlayExtent.Include(s.Latitude, s.Longitude);
}

float ManipulatedAltitude(const Settings& s, double altitude) {
    return static_cast<float>(ApplyAltitudeManipulation(altitude, s.AltitudeMode, s.AltitudeValue));
}

}  // namespace torvane
