// A GPX 1.1 document of one track: metadata (name, the first point's time,
// bounds), one trk with one trkseg, one trkpt line per position. Lines end
// in CR LF; the point lines get theirs from the writer.
#pragma once

#include <string>
#include <string_view>

#include "dated_point.h"
#include "position_line.h"
#include "track_time.h"

namespace torvane {

struct GpxFrame {
    std::string_view name;         // of the metadata and of the track
    std::string_view creator;      // "Torvane VERSION"
    const DatedPoint* first = nullptr;  // the first point, when there is one
    OverlayBounds bounds;          // of every point; none when empty
    bool milliseconds = false;     // times with ".sss"
};

// Everything before the first trkpt line.
std::string GpxHeader(const GpxFrame& frame);

// `<trkpt lat=".." lon=".."><ele>..</ele><time>..</time></trkpt>`, indented,
// without a line end; ele and time only where the point has them.
void ComposeGpxPoint(std::string& line, const DatedPoint& point, bool milliseconds, IsoTimeText& times);

// Everything after the last trkpt line.
std::string_view GpxTrailer();

// Between two pieces of a split track: one track segment ends, the next begins.
std::string_view GpxSegmentBreak();

}  // namespace torvane
