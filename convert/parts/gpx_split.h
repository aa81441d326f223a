// Where a GPX track can be converted in two parts at once. A track point
// carries the values of the points before it (an elevation or time it does
// not give itself, and its position when it has no "lat=" line), so the
// later half must start with the state one pass has there.
#pragma once

#include <cstdint>

#include "convert/files/platform/file_system.h"
#include "convert/settings.h"

namespace torvane {

// The start of a line that opens a track point near the middle of the
// file's `size` bytes, and in `laterPoint` the point state one pass with
// `s`'s options has at that line: taken by converting the points of up to
// 128 KiB before it. 0 when there is no such line, or when those points do
// not set every value (no time at all, say); one pass is then the way.
std::uint64_t TrackPointBoundaryNearMiddle(platform::FileHandle file, std::uint64_t size, const RunOptions& s,
                                           GpxPointStateRecord& laterPoint);

}  // namespace torvane
