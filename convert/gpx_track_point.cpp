#include "gpx_track_point.h"

namespace torvane {

void ConvertGpxLine(Settings& s, std::string_view /*line*/) {
    s.RecordInvalid = true;
    s.OutputLine.clear();
}

}  // namespace torvane
