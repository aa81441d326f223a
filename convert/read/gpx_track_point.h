// Line-oriented reader of GPX track points. It keeps its state (`point`)
// from line to line and gives a position only for the line that closes a
// track point.
#pragma once

#include <string_view>

#include "convert/read/position.h"

namespace torvane {

// Reads one line of the GPX copy. `record` is invalid unless this line
// completed a track point in range, and has a position only where it
// completed one whose coordinates could be read.
void ReadGpxLine(const RunOptions& options, GpxPointStateRecord& point, Record& record, std::string_view line);

}  // namespace torvane
