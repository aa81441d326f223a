// The last step every converter shares: compose the current record's output
// line into Settings::OutputLine and, for an overlay, widen its bounds.
//
// The "current record" is the position a converter has just read into
// Settings (Latitude, Longitude, Altitude, TimeOfDay). The record loop
// (record_loop.h) calls the converters line by line; each converter ends
// here; the text itself comes from output/position_line.h.
#pragma once

#include "convert/settings.h"

namespace torvane {

// Uses Latitude, Longitude, OutputType and RecordCount (the overlay point
// number) of `s`. `altitude` is the value written in the Table and KML
// lines; `tableAltitude` says whether the Table line has an altitude column;
// `altitudeGiven` whether the log (or a fixed altitude) gives this position
// an altitude, as the dated outputs and the figures carry one.
// Leaves the time of day in TimeOfDay, `tableAltitude` in AltitudeKnown and
// `altitudeGiven` in AltitudeGiven.
// A latitude, longitude or altitude that is not finite (its number did not
// fit) marks the record invalid and leaves OutputLine empty.
void ComposeCurrentRecord(Settings& s, double timeOfDay, double altitude, bool tableAltitude, bool altitudeGiven);

// Marks the record invalid where its latitude lies beyond 90 degrees or its
// longitude beyond 180.
void MarkOutOfRange(Settings& s);

// Altitude manipulation by the settings, rounded once to a 32-bit float.
float ManipulatedAltitude(const Settings& s, double altitude);

}  // namespace torvane
