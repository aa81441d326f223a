// A GPX 1.1 document of one track: metadata (name, the first point's time,
// bounds), one trk with one trkseg, one trkpt line per position. Lines end
// in CR LF; the point lines get theirs from the writer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "coordinate_text.h"
#include "dated_point.h"
#include "measurements.h"
#include "position_line.h"
#include "track_time.h"

namespace torvane {

struct GpxFrame {
    std::string_view name;         // of the metadata and of the track
    std::string_view creator;      // "Torvane VERSION"
    const DatedPoint* first = nullptr;  // the first point, when there is one
    OverlayBounds bounds;          // of every point; none when empty
    bool milliseconds = false;     // times with ".sss"
    std::uint8_t measures = 0;     // the measurements any point has (Measurements bits)
};

// The namespaces of the measurements: Garmin's TrackPointExtension v2 for
// temperature, heart rate, cadence and speed, its PowerExtension v1 for power.
inline constexpr std::string_view kTrackPointExtensionNamespace =
    "http://www.garmin.com/xmlschemas/TrackPointExtension/v2";
inline constexpr std::string_view kPowerExtensionNamespace = "http://www.garmin.com/xmlschemas/PowerExtension/v1";

// Everything before the first trkpt line.
std::string GpxHeader(const GpxFrame& frame);

// `<trkpt lat=".." lon=".."><ele>..</ele><time>..</time></trkpt>`, indented,
// without a line end; ele and time only where the point has them. A point
// with measurements has `<extensions>` after them: a
// `gpxtpx:TrackPointExtension` with what it has of atemp, hr, cad and speed
// (in the extension's order), then `pwr:PowerInWatts`. Written at `out`,
// which has kMaxGpxPointText bytes of room; returns its end.
inline constexpr std::size_t kMaxGpxPointText =
    3 * kMaxCoordinateText + kMaxIsoTimeText + 96 + 5 * (kMaxMeasureText + 40) + 120;
char* WriteGpxPoint(char* out, const DatedPoint& point, bool milliseconds, IsoTimeText& times);

// Everything after the last trkpt line.
std::string_view GpxTrailer();

// Between two pieces of a split track: one track segment ends, the next begins.
std::string_view GpxSegmentBreak();

}  // namespace torvane
