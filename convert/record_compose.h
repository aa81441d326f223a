// The last step every converter shares: compose the current record's output
// line into Settings::OutputLine and, for an overlay, widen its bounds.
#pragma once

#include "settings.h"

namespace torvane {

// Uses Latitude, Longitude, OutputType and RecordCount (the overlay point
// number) of `s`. `altitude` is the value written in the Table and KML
// lines; `tableAltitude` says whether the Table line has an altitude column.
// Leaves the time of day in TimeOfDay and `tableAltitude` in AltitudeKnown.
void ComposeCurrentRecord(Settings& s, double timeOfDay, double altitude, bool tableAltitude);

// Altitude manipulation by the settings, rounded once to a 32-bit float.
float ManipulatedAltitude(const Settings& s, double altitude);

}  // namespace torvane
