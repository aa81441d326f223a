// The kinds of output a user chooses among, and what the altitude dialog
// does to every altitude: the choices every part of the system reads.
#pragma once

namespace torvane {

// GPX and GeoJSON are the dated outputs: their documents are written whole by
// convert/dated_track_writer, not from record lines.
enum class OutputKind { None, Table, KML, OVL, GPX, GeoJSON };

// What the altitude dialog does to every altitude. NeverSet until its
// Continue is first pressed; from then on Add or SetFixed.
enum class AltitudeMode { NeverSet, Add, SetFixed };

}  // namespace torvane
