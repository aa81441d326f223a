// Line-oriented reader of GPX track points. It keeps GpxPointState from line
// to line and produces a line only for the line that closes a track point.
#pragma once

#include <string_view>

#include "convert/settings.h"

namespace torvane {

// Handles one line of the GPX copy; s.OutputLine holds the completed track
// point's line, or is empty. RecordInvalid is true unless this line
// completed a track point in range.
void ConvertGpxLine(Settings& s, std::string_view line);

}  // namespace torvane
